// A system without the CP932 converter: every road ends with a clear outcome or message, never
// a crash, and writes nothing.
#include "Messages.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

class CharsetMissing : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(folder / "in.bin", "data");
        // Made while the converter is there: a Japanese name inside.
        ASSERT_TRUE(EncryptFile({folder / "in.bin", folder / "jp.qivg", u"pw", u"例え.txt", 0, Keys()}).ok());
        SetNarrowCharsetForTesting("NO-SUCH-CHARSET");
    }
    void TearDown() override { SetNarrowCharsetForTesting(nullptr); }
    static std::vector<RoundKey> Keys() { return KeysFromScript(DrawScript(4, 2), 4); }

    ScratchFolder folder;
};

TEST_F(CharsetMissing, TheCodecSaysSoAndWritesNothing) {
    const auto names = folder.Names();
    EXPECT_EQ(CheckPassword(u"パスワード"), Outcome::CharsetUnavailable);
    EXPECT_EQ(
        EncryptFile({folder / "in.bin", folder / "out.qivg", u"パスワード", u"in.bin", 0, Keys()}).outcome,
        Outcome::CharsetUnavailable);
    EXPECT_EQ(EncryptFile({folder / "in.bin", folder / "out.qivg", u"pw", u"例え.txt", 0, Keys()}).outcome,
              Outcome::CharsetUnavailable);
    EXPECT_EQ(OpenQivg({folder / "jp.qivg", u"pw", 0, 1}).result.outcome, Outcome::CharsetUnavailable);
    EXPECT_EQ(folder.Names(), names);
    // ASCII needs no converter.
    EXPECT_TRUE(EncryptFile({folder / "in.bin", folder / "out.qivg", u"pw", u"in.bin", 0, Keys()}).ok());
}

TEST_F(CharsetMissing, TheCipherObjectShowsAMessage) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.Pass(u"パスワード");
    std::u16string payload = u"00";
    EXPECT_EQ(cipher.PassAngs(payload), u"");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, kCharsetUnavailable);
}

}  // namespace
}  // namespace angoka
