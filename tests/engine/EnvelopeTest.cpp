// The password envelope: PassAngs and PassHukgs.
#include <gtest/gtest.h>

#include "BinAngsDL.h"
#include "Envelope.h"
#include "HexText.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using testing::ScratchFolder;
using testing::Utf16;

const std::u16string kMarker = u"CFEC2EC5CF3FADE6";
const std::u16string kMismatch = Utf16("パスワードが一致しません");

class EnvelopeRoad : public ::testing::Test {
protected:
    FakeRunTime services;
    BinAngsDL cipher{services};

    std::u16string Wrap(const std::u16string& pass, const std::u16string& name,
                        const std::u16string& payload) {
        cipher.Pass(pass);
        cipher.FileName(name);
        std::u16string work = payload;
        return cipher.PassAngs(work);
    }
    std::u16string Open(const std::u16string& pass, const std::u16string& encrypted) {
        cipher.Pass(pass);
        cipher.FileName(u"set before");
        std::u16string work = encrypted;
        return cipher.PassHukgs(work);
    }
    // Hex text after the three rounds that PassAngs applies.
    std::u16string ThreeRounds(std::u16string text) {
        for (int i = 0; i < 3; ++i) text = cipher.Angs(text);
        return text;
    }
    std::u16string ThreeRoundsOfBytes(std::string_view bytes) { return ThreeRounds(BytesToHex(bytes)); }
};

// A 3-byte a.txt under a four-character password and one extra round.
TEST_F(EnvelopeRoad, WorkedExampleGivesThe74DigitEnvelopeAndA41ByteFile) {
    ScratchFolder folder;
    testing::WriteFile(folder / "a.txt", "ABC");
    cipher.InKey(-4);
    std::u16string source = folder.PathText("a.txt");
    std::u16string work = kMarker + cipher.OpenBin(source);
    EXPECT_EQ(work, kMarker + u"414243");

    cipher.Pass(u"pass");
    cipher.FileName(u"a.txt");
    std::u16string encrypted = cipher.PassAngs(work);
    ASSERT_EQ(encrypted.size(), 80u);

    const std::u16string envelope = std::u16string(u"70617373") + u"0D0A" + u"612E747874" + u"0D0A" +
                                    u"43464543324543354346334641444536343134323433" + u"0D0A";
    ASSERT_EQ(envelope.size(), 74u);
    std::u16string undone = encrypted;
    for (int i = 0; i < 3; ++i) undone = cipher.Hukgs(undone);
    EXPECT_EQ(undone, envelope);
    // The argument is left holding the envelope after two rounds.
    ASSERT_EQ(work.size(), 78u);
    std::u16string afterTwo = work;
    afterTwo = cipher.Hukgs(afterTwo);
    EXPECT_EQ(cipher.Hukgs(afterTwo), envelope);

    encrypted = cipher.Angs(encrypted);
    std::u16string destination = folder.PathText("a.qivg");
    cipher.SaveBin(destination, encrypted);
    const std::string file = testing::ReadFile(folder / "a.qivg");
    ASSERT_EQ(file.size(), 41u);
    const auto first = static_cast<unsigned char>(file[0]);
    EXPECT_GE(first >> 4, 1);
    EXPECT_GE(first & 15, 1);
    EXPECT_LE(first & 15, 14);

    // And the whole way back.
    cipher.FileName(u"");
    std::u16string back = cipher.OpenBin(destination);
    back = cipher.Hukgs(back);
    back = cipher.PassHukgs(back);
    EXPECT_EQ(back, kMarker + u"414243");
    EXPECT_EQ(cipher.FileName(), u"a.txt");
    EXPECT_EQ(services.messages.size(), 0u);
}

TEST_F(EnvelopeRoad, RoundTripGivesThePayloadAndTheStoredName) {
    struct Case {
        const char* what;
        std::u16string pass, name, payload;
        std::int32_t inKey;
        std::u16string back, storedName;
    };
    const Case cases[] = {
        {"marked content", u"pw", u"a.txt", kMarker + u"00FF", 0, kMarker + u"00FF", u"a.txt"},
        {"empty name", u"pw", u"", kMarker, 10, kMarker, u""},
        {"empty payload", u"pw", u"n", u"", -10, u"", u"n"},
        {"line ends in the payload are joined", u"pw", u"n", u"AB\r\nCD\rEF\nGH", 3, u"ABCDEF\nGH", u"n"},
        {"Japanese password and name", Utf16("暗号"), Utf16("例え.txt"), kMarker, -1, kMarker,
         Utf16("例え.txt")},
        {"name the narrow set cannot hold", u"pw", Utf16("a한.txt"), u"AB", 7, u"AB", u"a?.txt"},
        {"spaces kept", u" pw ", u" n ", u" x ", 1, u" x ", u" n "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cipher.InKey(c.inKey);
        const std::u16string encrypted = Wrap(c.pass, c.name, c.payload);
        EXPECT_EQ(Open(c.pass, encrypted), c.back);
        EXPECT_EQ(cipher.FileName(), c.storedName);
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(cipher.GetErr(), u"0");
}

TEST_F(EnvelopeRoad, ResultHasTwiceTheEnvelopeBytesPlusSixDigits) {
    struct Case {
        std::u16string pass, name, payload;
        std::size_t envelopeBytes;
    };
    const Case cases[] = {
        {u"p", u"", u"", 7},
        {u"pw", u"a.txt", u"AB", 15},
        {Utf16("暗号"), Utf16("例え.txt"), kMarker, 4 + 8 + 16 + 6},  // two bytes per kanji or kana
        {Utf16("ｴﾗｰ"), u"x", u"", 3 + 1 + 6},                         // one byte per half-width kana
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Wrap(c.pass, c.name, c.payload).size(), 2 * c.envelopeBytes + 6);
    }
}

TEST_F(EnvelopeRoad, PasswordMismatchShowsItsMessageAndStillSetsTheName) {
    struct Case {
        std::u16string stored, given;
    };
    const Case cases[] = {
        {u"Secret", u"secret"},
        {u"pw", u"PW"},
        {u"pw", u""},
        {u"pw", u"pw "},
        {Utf16("暗号"), Utf16("暗合")},
        {Utf16("한"), Utf16("한")},  // stored as "?": never matches itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.given));
        services.messages.clear();
        const std::u16string encrypted = Wrap(c.stored, u"stored.txt", kMarker);
        EXPECT_EQ(Open(c.given, encrypted), u"Error");
        EXPECT_EQ(cipher.FileName(), u"stored.txt");
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].prompt, kMismatch);
        EXPECT_EQ(services.messages[0].buttons, Buttons::OK);
        EXPECT_FALSE(services.messages[0].title.has_value());  // the application's title
    }
}

TEST_F(EnvelopeRoad, UnmappablePasswordIsStoredAsQuestionMarks) {
    const std::u16string encrypted = Wrap(Utf16("pw한😀"), u"n", u"AB");
    EXPECT_EQ(Open(u"pw??", encrypted), u"AB");
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(EnvelopeRoad, PayloadErrorLooksLikeAMismatchWithoutTheMessage) {
    EXPECT_EQ(Open(u"pw", Wrap(u"pw", u"n", u"Error")), u"Error");
    EXPECT_EQ(cipher.FileName(), u"n");
    EXPECT_TRUE(services.messages.empty());
}

// What the line reader makes of decrypted bytes that PassAngs never writes.
TEST_F(EnvelopeRoad, ReaderFollowsTheLineRules) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u16string back, name;
    };
    const Case cases[] = {
        {"CR-only line ends", "pw\rn\rAB\rCD\r", u"ABCD", u"n"},
        {"two line ends, no payload", "pw\r\nn\r", u"", u"n"},
        {"last line without line end", "pw\r\nn\r\nAB", u"AB", u"n"},
        {"lone LF is an ordinary character", "pw\r\nn\nm\r\n\nAB\r\n", u"\nAB", u"n\nm"},
        {"CR CR LF: an empty second line", "pw\r\r\nAB\r\n", u"AB", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Open(u"pw", ThreeRoundsOfBytes(c.bytes)), c.back);
        EXPECT_EQ(cipher.FileName(), c.name);
    }
}

// Fewer than two line ends, or digits that are no envelope at all: a mismatch, name emptied.
TEST_F(EnvelopeRoad, NoEnvelopeReadsLikeAMismatch) {
    struct Case {
        const char* what;
        std::u16string encrypted;
    };
    const Case cases[] = {
        {"no line end", ThreeRoundsOfBytes("pw")},
        {"one line end", ThreeRoundsOfBytes("pw\r\nname only")},
        {"empty envelope", ThreeRoundsOfBytes("")},
        {"odd number of digits, line ends and all", ThreeRounds(u"700D0A0D0A0")},
        {"too short for the rounds", u"12345"},
        {"empty text", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services.messages.clear();
        EXPECT_EQ(Open(u"pw", c.encrypted), u"Error");
        EXPECT_EQ(cipher.FileName(), u"");
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].prompt, kMismatch);
    }
}

TEST_F(EnvelopeRoad, EmptyPasswordIsErrorCodeTwoAndTouchesNothing) {
    cipher.Pass(u"");
    std::u16string work = u"ABCD";
    EXPECT_EQ(cipher.PassAngs(work), u"");
    EXPECT_EQ(work, u"ABCD");
    EXPECT_EQ(cipher.GetErr(), u"2");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(services.yields, 0u);
}

TEST_F(EnvelopeRoad, PassAngsYieldsFourTimesAndPassHukgsNever) {
    const std::u16string encrypted = Wrap(u"pw", u"n", u"AB");
    EXPECT_EQ(services.yields, 4u);  // reading the envelope back, then each of the three rounds
    std::u16string work = encrypted;
    cipher.PassHukgs(work);
    EXPECT_EQ(services.yields, 4u);
    EXPECT_EQ(work, encrypted.substr(2));  // the first inverse round works on the argument
}

// The envelope is built and read in memory: nothing appears in the temporary folder or the
// working folder, not even while the engine yields, and a file of the old fixed name is
// left alone.
TEST_F(EnvelopeRoad, NeverTouchesTheDisk) {
    ScratchFolder temp, work;
    testing::WriteFile(temp / "zltbin.tmp", "someone else's");
    const testing::WorkingFolder inside(work.path());
    cipher.TempFilePath(temp.PathText());
    int checks = 0;
    services.onYield = [&] {
        ++checks;
        EXPECT_EQ(temp.Names(), std::set<std::string>{"zltbin.tmp"});
        EXPECT_TRUE(work.Names().empty());
    };
    const std::u16string encrypted = Wrap(u"pw", u"n", kMarker);
    EXPECT_EQ(Open(u"pw", encrypted), kMarker);
    EXPECT_EQ(Open(u"wrong", encrypted), u"Error");
    EXPECT_EQ(checks, 4);

    BinAngsDL unset(services);  // no temporary folder: the working folder would be used
    unset.Pass(u"pw");
    std::u16string payload = u"AB";
    std::u16string again = unset.PassAngs(payload);
    EXPECT_EQ(unset.PassHukgs(again), u"AB");

    EXPECT_EQ(temp.Names(), std::set<std::string>{"zltbin.tmp"});
    EXPECT_EQ(testing::ReadFile(temp / "zltbin.tmp"), "someone else's");
    EXPECT_TRUE(work.Names().empty());
}

TEST(EnvelopeLines, OnlyPasswordsTheEnvelopeCanHoldAreStorable) {
    EXPECT_TRUE(IsStorablePassword(u"pass 暗号 ｶﾅ"));
    EXPECT_TRUE(IsStorablePassword(u"a\nb"));  // a lone LF is an ordinary character
    EXPECT_FALSE(IsStorablePassword(u"a\rb"));
    EXPECT_FALSE(IsStorablePassword(u"pä"));
    EXPECT_FALSE(IsStorablePassword(u"\U0001F600"));
    EXPECT_EQ(StorableName(u"a\rb\r.txt"), u"a_b_.txt");
    EXPECT_EQ(StorableName(u"a\nb\r\n.txt"), u"a_b__.txt");
    EXPECT_EQ(StorableName(u"例え.txt"), u"例え.txt");
}

}  // namespace
}  // namespace angoka
