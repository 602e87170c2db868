// The settings finder through decrypt and test: a file made with other numbers is found and
// named; a wrong password finds nothing, and a file that is no .qivg file says so.
#include "BmpCodec.h"
#include "CliHarness.h"
#include "CliMessages.h"

namespace angoka::testing {
namespace {

class Finder : public CliTest {
protected:
    // Made with fixed round keys: the finder refuses the real password in about one file in
    // ten (when fewer rounds give a line that ends with it), so random keys would make the
    // tests that rely on it finding the numbers fail now and then.
    Finder() {
        WriteFile(dir_ / "a.txt", "found me");
        EncryptRequest request{
            dir_ / "a.txt", dir_ / "a.txt.qivg", u"pw", u"a.txt", 3, KeysFromScript(DrawScript(8, 1), 8)};
        EXPECT_TRUE(EncryptFile(request).ok());
        fs::remove(dir_ / "a.txt");
    }
    CliRun Run(const std::string& password, std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--password-file", PasswordFile(password)});
        args.push_back(Arg(dir_ / "a.txt.qivg"));
        return cli_.Run(args);
    }
    std::string Message(const std::string& text) const {
        return "qivg: " + Arg(dir_ / "a.txt.qivg") + ": " + text + "\n";
    }
};

TEST_F(Finder, WrongSettingsNameTheRightOnes) {
    for (const char* command : {"decrypt", "test"}) {
        const CliRun run = Run("pw", {command, "-k", "3", "-n", "4"});
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.err, Message("パスワードが一致しません (内部変化数 3、暗号化回数 5 なら一致します: "
                                   "--find-settings で復号できます)"));
    }
    EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
}

TEST_F(Finder, FindSettingsUsesAndSaysThem) {
    const CliRun run = Run("pw", {"decrypt", "--find-settings"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, Message("内部変化数 3、暗号化回数 5 で一致しました"));
    EXPECT_EQ(ReadFile(dir_ / "a.txt"), "found me");

    const CliRun tested = Run("pw", {"test", "-q", "--find-settings"});
    EXPECT_EQ(tested.status, 0);
    EXPECT_EQ(tested.out + tested.err, "") << "-q leaves the settings out";
}

TEST_F(Finder, WrongPasswordFindsNothing) {
    const CliRun plain = Run("pW", {"decrypt", "-k", "3", "-n", "5"});
    EXPECT_EQ(plain.status, 3);
    EXPECT_EQ(plain.err, Message("パスワードが一致しません"));

    const CliRun searched = Run("pW", {"decrypt", "--find-settings"});
    EXPECT_EQ(searched.status, 3);
    EXPECT_EQ(searched.err, Message("パスワードが一致しません"));
    EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
}

// A password that is only the end of the real one opens the file under more rounds, for some
// InKey, content and all: such settings are never used or offered.
TEST_F(CliTest, TheEndOfThePasswordFindsNothing) {
    WriteFile(dir_ / "s.txt", "secret content");
    ASSERT_TRUE(EncryptFile({dir_ / "s.txt", dir_ / "s.qivg", u"secret1", u"s.txt", 0,
                             KeysFromScript(DrawScript(4, 1), 4)})
                    .ok());
    bool opens = false;  // what the finder must not hand on
    for (std::int32_t rounds = 2; rounds <= 30; ++rounds) {
        for (std::int32_t inKey = -10; inKey <= 10; ++inKey)
            opens = opens || OpenQivg({dir_ / "s.qivg", u"ecret1", inKey, rounds}).result.ok();
    }
    ASSERT_TRUE(opens) << "these round keys show nothing";
    const std::string pw = PasswordFile("ecret1");
    const auto before = dir_.Names();
    const std::string mismatch = "qivg: " + Arg(dir_ / "s.qivg") + ": パスワードが一致しません\n";

    const CliRun searched =
        cli_.Run({"decrypt", "--find-settings", "--password-file", pw, Arg(dir_ / "s.qivg")});
    EXPECT_EQ(searched.status, 3);
    EXPECT_EQ(searched.err, mismatch);
    const CliRun plain = cli_.Run({"decrypt", "--password-file", pw, Arg(dir_ / "s.qivg")});
    EXPECT_EQ(plain.status, 3);
    EXPECT_EQ(plain.err, mismatch) << "no numbers named";
    EXPECT_EQ(dir_.Names(), before);
}

// A file that has the shape of a .qivg file under no settings at all is no .qivg file,
// whatever the password: exit 4, not a wrong password. One that begins like a wrapped bitmap
// is pointed to extract.
TEST_F(CliTest, AFileThatIsNoQivgFileSaysSo) {
    WriteFile(dir_ / "a.txt", "content");
    EncryptWithEngine(dir_ / "a.txt", dir_ / "a.qivg", u"pw", u"a.txt");
    const auto& header = BmpHeader();
    const std::string bmp(header.begin(), header.end());
    const std::string notQivg = "正しいqivg形式ファイルではありませんでした";
    const std::string bmpHint = std::string(cli::kWrappedBmpHint);
    const std::pair<std::string, std::string> files[] = {
        {"random.qivg", RandomBytes(300, 9)},
        {"notes.txt", "買い物: 牛乳、卵\nmilk and eggs\r\n"},
        {"picture.bmp", bmp + "wrapped text"},
        {"wrapped.bmp", bmp + ReadFile(dir_ / "a.qivg")},
    };
    const std::vector<std::string> commands[] = {
        {"decrypt"}, {"test"}, {"decrypt", "--find-settings"}, {"test", "--find-settings"}};
    const std::string pw = PasswordFile("pw");
    for (const auto& [name, bytes] : files) {
        WriteFile(dir_ / name, bytes);
        const std::string hint = name.ends_with(".bmp") ? bmpHint : "";
        for (std::vector<std::string> args : commands) {
            SCOPED_TRACE(name + " " + args.back());
            const auto before = dir_.Names();
            args.insert(args.end(), {"--password-file", pw, Arg(dir_ / name)});
            const CliRun run = cli_.Run(args);
            EXPECT_EQ(run.status, 4);
            EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / name) + ": " + notQivg + hint + "\n");
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(dir_.Names(), before);
        }
    }
}

TEST_F(Finder, MissingFileIsReportedAsMissing) {
    const CliRun run =
        cli_.Run({"decrypt", "--find-settings", "--password-file", PasswordFile("pw"), Arg(dir_ / "none")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "none") + ": ファイルが見つかりません\n");
}

}  // namespace
}  // namespace angoka::testing
