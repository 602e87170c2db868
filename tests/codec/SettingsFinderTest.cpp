// The settings finder: a user who remembers the password but not the two numbers.
#include <algorithm>

#include "CodecTestSupport.h"
#include "QivgCodec.h"
#include "Utf.h"
#include "VectorTable.h"

namespace angoka {
namespace {

using namespace angoka::testing;

fs::path Encrypted(const ScratchFolder& folder, std::int32_t inKey, int n, std::uint32_t seed) {
    WriteBytes(folder / "plain.bin", RandomBytes(5000, seed));
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
    WriteBytes(folder / "garbage.qivg", RandomBytes(1 << 16, 4));
    const FoundSettings found = FindSettings(folder / "garbage.qivg", u"pw");
    EXPECT_TRUE(found.result.ok());
    EXPECT_TRUE(found.settings.empty());
    WriteBytes(folder / "short.qivg", "abc");
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

}  // namespace
}  // namespace angoka
