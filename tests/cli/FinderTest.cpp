// The settings finder through decrypt and test: a file made with other numbers is found and
// named; a wrong password finds nothing.
#include "CliHarness.h"

namespace angoka::testing {
namespace {

class Finder : public CliTest {
protected:
    // Made with fixed round keys: the finder refuses the real password in about one file in
    // ten (when fewer rounds give a line that ends with it), so random keys would make the
    // tests that rely on it finding the numbers fail now and then.
    Finder() {
        WriteBytes(dir_ / "a.txt", "found me");
        EncryptRequest request{
            dir_ / "a.txt", dir_ / "a.txt.qivg", u"pw", u"a.txt", 3, KeysFromScript(DrawScript(8, 1), 8)};
        EXPECT_TRUE(EncryptFile(request).ok());
        fs::remove(dir_ / "a.txt");
    }
    CliRun Run(const std::string& password, std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--password-file", PasswordFile(password)});
        args.push_back(S(dir_ / "a.txt.qivg"));
        return cli_.Run(args);
    }
    std::string Message(const std::string& text) const {
        return "qivg: " + S(dir_ / "a.txt.qivg") + ": " + text + "\n";
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
    EXPECT_EQ(ReadBytes(dir_ / "a.txt"), "found me");

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

TEST_F(Finder, MissingFileIsReportedAsMissing) {
    const CliRun run =
        cli_.Run({"decrypt", "--find-settings", "--password-file", PasswordFile("pw"), S(dir_ / "none")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qivg: " + S(dir_ / "none") + ": ファイルが見つかりません\n");
}

}  // namespace
}  // namespace angoka::testing
