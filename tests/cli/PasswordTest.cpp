// Where the password comes from and what is refused before any file is touched.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "CliHarness.h"
#include "Messages.h"
#include "Password.h"
#include "Utf.h"

namespace angoka::testing {
namespace {

TEST(Password, FirstLineEndsAtAnyLineEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"pw\r\nrest", "pw"}, {"pw\nrest", "pw"},     {"pw\rrest", "pw"}, {"pw", "pw"}, {"", ""},
        {"\r\npw", ""},       {" p w\t\n", " p w\t"},
    };
    for (const auto& [bytes, line] : cases) EXPECT_EQ(cli::FirstLine(bytes), line) << bytes;
}

class PasswordInput : public CliTest {
protected:
    PasswordInput() { WriteFile(dir_ / "a.txt", "secret content"); }
    // encrypt a.txt, then decrypt it under the password from `passwordFile`.
    CliRun Decrypt(const std::string& passwordFile) {
        return cli_.Run({"decrypt", "-o", Arg(dir_ / "out.txt"), "--password-file", passwordFile,
                         Arg(dir_ / "a.txt.qivg")});
    }
};

TEST_F(PasswordInput, FileWithCrLfIsReadWithoutItsLineEnd) {
    EncryptWithCli(dir_ / "a.txt", "pass word");
    const CliRun run = Decrypt(PasswordFile("pass word", "\r\nsecond line\r\n"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), "secret content");
}

TEST_F(PasswordInput, ByteOrderMarkIsNoPartOfThePassword) {
    EncryptWithCli(dir_ / "a.txt", "pw");
    EXPECT_EQ(Decrypt(PasswordFile("\xEF\xBB\xBFpw")).status, 0);
}

TEST_F(PasswordInput, DashReadsStandardInput) {
    EncryptWithCli(dir_ / "a.txt", "暗号");
    cli_.stdinBytes = "暗号\nnot a file\n";
    const CliRun run = Decrypt("-");
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(PasswordInput, DashOnATerminalIsAskedWithoutEcho) {
    cli_.inIsTerminal = true;
    cli_.withTerminal = true;
    cli_.terminal.answers = {"pw", "pw"};
    cli_.stdinBytes = "typed with echo\n";
    EXPECT_EQ(cli_.Run({"encrypt", "--password-file", "-", Arg(dir_ / "a.txt")}).status, 0);
    EXPECT_EQ(cli_.terminal.prompts.size(), 2u);
    EXPECT_EQ(Decrypt(PasswordFile("pw")).status, 0);
}

TEST_F(PasswordInput, TerminalIsAskedTwiceWhenEncrypting) {
    cli_.withTerminal = true;
    cli_.terminal.answers = {"pw", "pw"};
    const CliRun run = cli_.Run({"encrypt", Arg(dir_ / "a.txt")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(cli_.terminal.prompts, (std::vector<std::string>{"パスワード: ", "パスワード(確認): "}));

    cli_.terminal.answers = {"pw"};
    EXPECT_EQ(cli_.Run({"decrypt", "-o", Arg(dir_ / "out.txt"), Arg(dir_ / "a.txt.qivg")}).status, 0);
    EXPECT_EQ(cli_.terminal.prompts.size(), 3u) << "asked once when decrypting";
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), "secret content");
}

TEST_F(PasswordInput, PasswordFileWinsOverTheTerminal) {
    cli_.withTerminal = true;
    EXPECT_EQ(cli_.Run({"encrypt", "--password-file", PasswordFile("pw"), Arg(dir_ / "a.txt")}).status, 0);
    EXPECT_TRUE(cli_.terminal.prompts.empty());
}

// Each is refused with status 2 before anything is written.
struct RefusedCase {
    const char* label;
    bool terminal;
    std::vector<std::optional<std::string>> answers;  // with the terminal
    const char* passwordFileLine;                     // without it; nullptr: no file
    const char* says;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.label;
}

class RefusedPassword : public PasswordInput, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedPassword, BeforeAnythingIsWritten) {
    const RefusedCase& c = GetParam();
    cli_.withTerminal = c.terminal;
    cli_.terminal.answers.assign(c.answers.begin(), c.answers.end());
    std::vector<std::string> args = {"encrypt", Arg(dir_ / "a.txt")};
    if (c.passwordFileLine) {
        args.push_back("--password-file");
        args.push_back(PasswordFile(c.passwordFileLine));
    }
    const auto before = dir_.Names();
    const CliRun run = cli_.Run(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(dir_.Names(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedPassword,
    ::testing::Values(
        RefusedCase{"no_terminal_no_file", false, {}, nullptr, "--password-file"},
        RefusedCase{"confirmation_differs", true, {"pw", "pW"}, nullptr, "確認用のパスワードが一致しません"},
        RefusedCase{"empty_at_the_terminal", true, {"", ""}, nullptr, "パスワードを入力してください"},
        RefusedCase{"empty_file", false, {}, "", "パスワードを入力してください"},
        RefusedCase{"no_cp932_form", false, {}, "pw\xF0\x9F\x94\x91", "パスワードに使えない文字"},
        RefusedCase{"terminal_read_fails", true, {std::nullopt}, nullptr, "--password-file"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PasswordInput, EmptyPasswordIsRefusedWhenDecryptingToo) {
    EncryptWithCli(dir_ / "a.txt", "pw");
    const CliRun run = Decrypt(PasswordFile(""));
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
}

// A FIFO is read as its writer writes: a password piped in by another program.
TEST_F(PasswordInput, FifoGivesThePasswordItsWriterWrites) {
    EncryptWithCli(dir_ / "a.txt", "pw");
    const fs::path fifo = dir_ / "pw.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&fifo] {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);  // waits for qivg's end
        cli::WriteText(fd, "p");
        cli::WriteText(fd, "w\nrest");
        ::close(fd);
    });
    const CliRun run = Decrypt(fifo.string());
    writer.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir_ / "out.txt"), "secret content");
}

// The longest password is 1024 UTF-16 units, for every command: no file holds a longer one.
// 1024 three-byte characters after a byte order mark are still one.
TEST_F(PasswordInput, LongestPasswordIsTheLimit) {
    std::string longest;
    for (int i = 0; i < 1024; ++i) longest += "あ";
    EncryptWithCli(dir_ / "a.txt", longest);
    EXPECT_EQ(Decrypt(PasswordFile("\xEF\xBB\xBF" + longest, "")).status, 0);
    const std::string tooLong = "qivg: " + ToUtf8(kPasswordTooLong) + "\n";
    for (const std::string& line : {longest + "a", std::string(1025, 'a')}) {
        const std::string file = PasswordFile(line);
        for (const char* command : {"encrypt", "decrypt", "test"}) {
            SCOPED_TRACE(std::string(command) + " " + std::to_string(line.size()));
            const auto before = dir_.Names();
            const CliRun run = cli_.Run({command, "--password-file", file, Arg(dir_ / "a.txt.qivg")});
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, tooLong);
            EXPECT_EQ(dir_.Names(), before);
        }
    }
}

// A password file of one 10 MB line: refused as too long once its first few kilobytes show
// that, however long the rest.
TEST_F(PasswordInput, HugeOneLineFileIsTooLong) {
    const CliRun run = cli_.Run(
        {"test", "--password-file", PasswordFile(std::string(10 << 20, 'x'), ""), Arg(dir_ / "a.txt")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "qivg: " + ToUtf8(kPasswordTooLong) + "\n");
}

TEST_F(PasswordInput, MissingPasswordFileIsAFailure) {
    const CliRun run = cli_.Run({"encrypt", "--password-file", Arg(dir_ / "none"), Arg(dir_ / "a.txt")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ファイルまたはフォルダが見つかりません"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "a.txt.qivg"));
}

TEST_F(PasswordInput, CtrlCAtThePromptEndsWithStatus130) {
    cli_.withTerminal = true;
    cli_.terminal.answers = {std::nullopt};
    cli_.terminal.onRead = [this] { cli_.cancel.store(true); };
    const CliRun run = cli_.Run({"encrypt", Arg(dir_ / "a.txt")});
    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("処理を中止しました"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "a.txt.qivg"));
}

}  // namespace
}  // namespace angoka::testing
