// Encryption refuses, before it reads or writes anything, what would make a file that can
// never be opened again.
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

TEST(EncryptChecks, RefuseWhatTheFormatCannotHoldBeforeWriting) {
    const auto keys = KeysFromScript(DrawScript(4, 1), 4);
    struct Case {
        const char* label;
        std::u16string password;
        std::u16string name;
        std::size_t rounds;
        Outcome expected;
    };
    const Case cases[] = {
        {"empty password", u"", u"a.txt", 4, Outcome::EmptyPassword},
        {"password with CR", u"p\rw", u"a.txt", 4, Outcome::UnstorablePassword},
        {"password with LF", u"p\nw", u"a.txt", 4, Outcome::UnstorablePassword},
        {"password outside CP932", u"pâss", u"a.txt", 4, Outcome::UnstorablePassword},
        {"password beyond U+FFFF", u"p\U0001F600", u"a.txt", 4, Outcome::UnstorablePassword},
        {"name with CR", u"pw", u"a\r.txt", 4, Outcome::UnstorableName},
        {"name with LF", u"pw", u"a\n.txt", 4, Outcome::UnstorableName},
        {"name past the reader's limit", u"pw", std::u16string(32 * 1024 + 1, u'n'), 4,
         Outcome::UnstorableName},
        {"two round keys", u"pw", u"a.txt", 2, Outcome::TooFewRounds},
        {"Japanese password and name", u"パスワード", u"例え.txt", 4, Outcome::Ok},
        {"name at the reader's limit", u"pw", std::u16string(32 * 1024, u'n'), 4, Outcome::Ok},
        {"empty name", u"pw", u"", 3, Outcome::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchFolder folder;
        WriteFile(folder / "in.bin", "data");
        const EncryptRequest request{
            folder / "in.bin",
            folder / "out.qivg",
            c.password,
            c.name,
            0,
            std::vector<RoundKey>(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(c.rounds))};
        EXPECT_EQ(CheckEncryptRequest(request), c.expected);
        EXPECT_EQ(EncryptFile(request).outcome, c.expected);
        EXPECT_EQ(fs::exists(folder / "out.qivg"), c.expected == Outcome::Ok);
        if (c.expected != Outcome::Ok) {
            EXPECT_EQ(folder.Names(), std::set<std::string>{"in.bin"});
        } else {
            const OpenedQivg opened =
                OpenQivg({folder / "out.qivg", c.password, 0, static_cast<std::int32_t>(c.rounds) - 3});
            EXPECT_EQ(opened.result.outcome, Outcome::Ok);
            EXPECT_EQ(opened.storedName, std::optional<std::u16string>(c.name));
        }
    }
}

}  // namespace
}  // namespace angoka
