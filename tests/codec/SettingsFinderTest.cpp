// The settings finder: a user who remembers the password but not the two numbers.
#include <algorithm>
#include <iostream>
#include <random>

#include "BmpCodec.h"
#include "QivgCodec.h"
#include "QivgFiles.h"
#include "Utf.h"
#include "VectorTable.h"

namespace angoka {
namespace {

using namespace angoka::testing;

fs::path Encrypted(const ScratchFolder& folder, std::int32_t inKey, int n, std::uint32_t seed) {
    WriteFile(folder / "plain.bin", RandomBytes(5000, seed));
    const fs::path qivg = folder / ("k" + std::to_string(inKey) + "n" + std::to_string(n) + ".qivg");
    EXPECT_TRUE(EncryptFile({folder / "plain.bin", qivg, u"秘密pw", u"plain.bin", inKey,
                             KeysFromScript(DrawScript(n + 3, seed), n + 3)})
                    .ok());
    return qivg;
}

TEST(SettingsFinder, FindsTheNumbersAFileWasMadeWith) {
    ScratchFolder folder;
    std::uint32_t seed = 1;
    for (const QivgSettings made :
         {QivgSettings{0, 1}, QivgSettings{3, 5}, QivgSettings{-10, 30}, QivgSettings{10, 17}}) {
        SCOPED_TRACE(::testing::Message() << made.inKey << " " << made.rounds);
        const FoundSettings found =
            FindSettings(Encrypted(folder, made.inKey, made.rounds, seed++), u"秘密pw");
        ASSERT_TRUE(found.result.ok());
        EXPECT_NE(std::find(found.settings.begin(), found.settings.end(), made), found.settings.end());
        // Only InKey mod 16 counts, so -10 and 6 are the same setting; nothing else matches: a
        // false match needs the password line and the marker to come out right by chance.
        for (const QivgSettings& setting : found.settings) {
            EXPECT_EQ(setting.rounds, made.rounds);
            EXPECT_EQ(Mod16(setting.inKey), Mod16(made.inKey));
        }
    }
}

TEST(SettingsFinder, AWrongPasswordFindsNothing) {
    ScratchFolder folder;
    const FoundSettings found = FindSettings(Encrypted(folder, 3, 5, 9), u"秘密pW");
    EXPECT_TRUE(found.result.ok());
    EXPECT_TRUE(found.settings.empty());
}

TEST(SettingsFinder, ReportsAMissingFileAndFindsNothingInGarbage) {
    ScratchFolder folder;
    EXPECT_EQ(FindSettings(folder / "missing.qivg", u"pw").result.outcome, Outcome::SourceMissing);
    WriteFile(folder / "garbage.qivg", RandomBytes(1 << 16, 4));
    const FoundSettings found = FindSettings(folder / "garbage.qivg", u"pw");
    EXPECT_TRUE(found.result.ok());
    EXPECT_TRUE(found.settings.empty());
    WriteFile(folder / "short.qivg", "abc");
    EXPECT_TRUE(FindSettings(folder / "short.qivg", u"pw").settings.empty());
}

TEST(SettingsFinder, EveryVectorIsFoundUnderItsOwnSettings) {
    // The vectors that open: their recorded settings are among those found.
    int checked = 0;
    for (const VectorRow& row : VectorRows()) {
        if (row.expected != "ok") continue;
        SCOPED_TRACE(row.id);
        const FoundSettings found = FindSettings(VectorFolder() / row.qivg, FromUtf8(row.password));
        const QivgSettings recorded{row.inKey, row.rounds};
        EXPECT_NE(std::find(found.settings.begin(), found.settings.end(), recorded), found.settings.end());
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

// A file made with password P under n rounds also decodes, for some InKey, under n + j rounds
// with only the end of P: the first j characters of the password line are taken for round
// keys. The finder must never hand such a setting to anyone.
fs::path MadeWith(const ScratchFolder& folder, const std::string& name, const std::u16string& password,
                  QivgSettings made, std::uint32_t seed, std::size_t contentSize = 40) {
    WriteFile(folder / "plain.bin", RandomBytes(contentSize, seed));
    const fs::path qivg = folder / name;
    fs::remove(qivg);
    const int rounds = made.rounds + 3;
    std::mt19937 random(seed);
    std::deque<double> draws;
    for (int i = 0; i < 2 * rounds; ++i)
        draws.push_back(std::uniform_real_distribution<double>(0, 1)(random));
    const Result r = EncryptFile(
        {folder / "plain.bin", qivg, password, u"plain.bin", made.inKey, KeysFromScript(draws, rounds)});
    EXPECT_TRUE(r.ok()) << r.reason();
    return qivg;
}

bool Finds(const FoundSettings& found, QivgSettings made) {
    return std::any_of(found.settings.begin(), found.settings.end(), [&](const QivgSettings& s) {
        return s.rounds == made.rounds && Mod16(s.inKey) == Mod16(made.inKey);
    });
}

TEST(SettingsFinder, TheEndOfAPasswordOpensNothing) {
    ScratchFolder folder;
    const struct {
        std::u16string real, tried;
        QivgSettings made;
    } cases[] = {
        {u"secret1", u"ecret1", {0, 1}},   {u"secret1", u"1", {0, 1}},
        {u"secret1", u"t1", {5, 12}},      {u"xx", u"x", {0, 1}},
        {u"xx", u"x", {-7, 20}},           {u"aaaa", u"a", {0, 1}},
        {u"aaaa", u"aa", {3, 9}},          {u"暗号化鍵", u"鍵", {0, 1}},
        {u"暗号化鍵", u"化鍵", {-10, 30}}, {u"ひみつのかぎ", u"ぎ", {2, 4}},
    };
    std::uint32_t seed = 100;
    int opened = 0;  // how many of the files some setting opens with the end alone
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.real) + " / " + ToUtf8(c.tried));
        for (int file = 0; file < 16; ++file, ++seed) {
            const fs::path qivg = MadeWith(folder, "f.qivg", c.real, c.made, seed);
            // The end alone does open the file under some settings: that is the fault.
            for (std::int32_t rounds = c.made.rounds + 1; rounds <= 30; ++rounds) {
                for (std::int32_t inKey = -8; inKey < 8; ++inKey) {
                    if (OpenQivg({qivg, c.tried, inKey, rounds}).result.ok()) ++opened;
                }
            }
            EXPECT_TRUE(FindSettings(qivg, c.tried).settings.empty()) << "file " << file;
        }
    }
    EXPECT_GT(opened, 0) << "no case shows that the end of a password can open a file";
}

// Whatever password is typed, a .qivg file has the shape of one and anything else has none.
TEST(SettingsFinder, TellsAQivgFileFromAnyOtherByItsShape) {
    ScratchFolder folder;
    const fs::path qivg = MadeWith(folder, "made.qivg", u"secret", {-4, 17}, 4, 20000);
    // The content is far longer than the bytes the finder reads: the marker still shows.
    EXPECT_TRUE(FindSettings(qivg, u"other").qivgShape);
    EXPECT_TRUE(FindSettings(qivg, u"secret").qivgShape);
    EXPECT_TRUE(Finds(FindSettings(qivg, u"secret"), {-4, 17}));
    EXPECT_EQ(MismatchOutcome(FindSettings(qivg, u"other")), Outcome::WrongPassword);

    const auto& bmp = BmpHeader();
    const struct {
        const char* name;
        std::string bytes;
    } foreign[] = {
        {"random bytes", RandomBytes(1 << 16, 8)},
        {"a text file", std::string(3000, 'a') + "\r\nline two\r\n" + std::string(5000, 'z')},
        {"zero bytes", std::string(40000, '\0')},
        {"empty", ""},
        {"a wrapped .qivg file", std::string(bmp.begin(), bmp.end()) + ReadFile(qivg)},
    };
    for (const auto& f : foreign) {
        SCOPED_TRACE(f.name);
        WriteFile(folder / "foreign", f.bytes);
        const FoundSettings found = FindSettings(folder / "foreign", u"secret");
        ASSERT_TRUE(found.result.ok());
        EXPECT_FALSE(found.qivgShape);
        EXPECT_EQ(MismatchOutcome(found), Outcome::NotQivg);
    }
    // A missing file is reported as missing, never as no .qivg file.
    EXPECT_EQ(MismatchOutcome(FindSettings(folder / "missing", u"secret")), Outcome::WrongPassword);
}

// Random files, random passwords of ASCII, kana and kanji, random numbers: every proper end of
// the password is refused, and the password itself still finds its settings in most files.
TEST(SettingsFinder, EveryEndIsRefusedAndMostRealPasswordsAreFound) {
    static const std::u16string kCharacters =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&()*+-./:;<=>?@[]^_{|}~ "
        u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
        u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
        u"日本語暗号化鍵秘密文書写真東京大阪電話番号住所氏名会社学校先生友達家族愛花山川海空雨雪";
    ScratchFolder folder;
    std::mt19937 random(2026);
    const auto pick = [&random](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    constexpr int kFiles = 400;
    int found = 0, ends = 0;
    for (int file = 0; file < kFiles; ++file) {
        std::u16string password;
        for (int i = pick(2, 11); i > 0; --i)
            password +=
                kCharacters[static_cast<std::size_t>(pick(0, static_cast<int>(kCharacters.size()) - 1))];
        const QivgSettings made{pick(-10, 10), pick(1, 30)};
        const fs::path qivg =
            MadeWith(folder, "r.qivg", password, made, random(), static_cast<std::size_t>(pick(0, 300)));
        if (Finds(FindSettings(qivg, password), made)) ++found;
        for (std::size_t cut = 1; cut < password.size(); ++cut, ++ends) {
            const std::u16string end = password.substr(cut);
            EXPECT_TRUE(FindSettings(qivg, end).settings.empty())
                << ToUtf8(password) << " opened with " << ToUtf8(end) << " (made " << made.inKey << "/"
                << made.rounds << ")";
        }
    }
    std::cout << "[          ] real password found in " << found << " of " << kFiles << " files; " << ends
              << " ends refused\n";
    EXPECT_GE(found, kFiles * 85 / 100);
}

}  // namespace
}  // namespace angoka
