// qivg as a process: exit statuses, signals, the terminal and the libraries it links.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "CliHarness.h"
#include "ProcessSupport.h"

namespace angoka::testing {
namespace {

class Process : public CliTest {
protected:
    Process() {
        WriteFile(dir_ / "a.txt", "content");
        pw_ = PasswordFile("pw");
        EncryptWithEngine(dir_ / "a.txt", dir_ / "a.qivg", u"pw", u"a.txt", 0, 1);
        WriteFile(dir_ / "junk.qivg", RandomBytes(40, 2));
    }
    std::string pw_;
};

TEST_F(Process, ExitStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{"test", "--password-file", pw_, Arg(dir_ / "a.qivg")}, 0},
        {{"test", "--password-file", pw_, Arg(dir_ / "none.qivg")}, 1},
        {{"test", "--password-file", pw_, "-k", "11", Arg(dir_ / "a.qivg")}, 2},
        {{"test", "--password-file", pw_, "-k", "1", Arg(dir_ / "a.qivg")}, 3},
        {{"test", "--password-file", pw_, "-n", "30", Arg(dir_ / "a.txt")}, 4},
        {{"decrypt", "--password-file", "-", "-o", "-", Arg(dir_ / "a.qivg")}, 0},
    };
    for (const Case& c : cases) {
        const ProcessRun run = RunProcess(c.args, "pw\n");
        EXPECT_EQ(run.status, c.status) << c.args.front() << " " << c.args.back() << "\n" << run.err;
    }
    EXPECT_EQ(RunProcess({"decrypt", "--password-file", "-", "-o", "-", Arg(dir_ / "a.qivg")}, "pw\r\n").out,
              "content");
}

// /dev/stdin on a pipe is a FIFO, not a missing file.
TEST_F(Process, StandardInputOnAPipeIsNoFile) {
    const ProcessRun run =
        RunProcess({"decrypt", "--password-file", pw_, "/dev/stdin"}, ReadFile(dir_ / "a.qivg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qivg: /dev/stdin: 通常のファイルではありません\n");
}

TEST_F(Process, NoTerminalAndNoPasswordFileIsAUsageError) {
    const ProcessRun run = RunProcess({"encrypt", Arg(dir_ / "a.txt")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--password-file"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "a.txt.qivg"));
}

TEST_F(Process, PasswordIsAskedOnTheTerminalWithoutEcho) {
    PtyProcess child({"encrypt", Arg(dir_ / "a.txt")});
    ASSERT_TRUE(child.WaitFor("パスワード: ")) << child.Screen();
    child.Type("hidden1\n");
    ASSERT_TRUE(child.WaitFor("パスワード(確認): ")) << child.Screen();
    child.Type("hidden1\n");
    EXPECT_EQ(child.Wait(), 0) << child.Screen();
    EXPECT_EQ(child.Screen().find("hidden1"), std::string::npos) << child.Screen();
    EXPECT_TRUE(child.Settings().c_lflag & ECHO) << "echo is back";
    EXPECT_EQ(RunProcess({"test", "--password-file", "-", Arg(dir_ / "a.txt.qivg")}, "hidden1").status, 0);
}

TEST_F(Process, MismatchedConfirmationIsAUsageError) {
    PtyProcess child({"encrypt", Arg(dir_ / "a.txt")});
    ASSERT_TRUE(child.WaitFor("パスワード: "));
    child.Type("one\n");
    ASSERT_TRUE(child.WaitFor("パスワード(確認): "));
    child.Type("two\n");
    EXPECT_EQ(child.Wait(), 2);
    EXPECT_NE(child.Screen().find("確認用のパスワードが一致しません"), std::string::npos) << child.Screen();
    EXPECT_FALSE(fs::exists(dir_ / "a.txt.qivg"));
}

TEST_F(Process, CtrlCAtThePromptRestoresTheTerminal) {
    const auto before = dir_.Names();
    PtyProcess child({"decrypt", Arg(dir_ / "a.qivg")});
    ASSERT_TRUE(child.WaitFor("パスワード: "));
    EXPECT_FALSE(child.Settings().c_lflag & ECHO) << "echo is off while the password is typed";
    child.Type("half");
    child.Type("\x03");
    EXPECT_EQ(child.Wait(), 130) << child.Screen();
    EXPECT_TRUE(child.Settings().c_lflag & ECHO) << "echo is back";
    EXPECT_EQ(dir_.Names(), before);
}

// A password file that is a FIFO nobody writes to: Ctrl-C or SIGTERM ends the wait, as at
// the terminal prompt.
class InterruptedPasswordFile : public Process, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptedPasswordFile, EndsWithStatus130) {
    const fs::path fifo = dir_ / "pw.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto before = dir_.Names();
    PtyProcess child({"decrypt", "--password-file", Arg(fifo), Arg(dir_ / "a.qivg")});
    // Our end opens once qivg has opened its own: then it is waiting for the password.
    int writer = -1;
    for (int tries = 0; writer < 0 && tries < 2000; ++tries) {
        writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0) ::usleep(10000);
    }
    ASSERT_GE(writer, 0) << child.Screen();
    child.Signal(GetParam());
    EXPECT_EQ(child.Wait(std::chrono::seconds(20)), 130) << child.Screen();
    EXPECT_NE(child.Screen().find("処理を中止しました"), std::string::npos) << child.Screen();
    ::close(writer);
    EXPECT_EQ(dir_.Names(), before);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedPasswordFile, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

TEST_F(Process, StandardOutputOnATerminalIsRefused) {
    PtyProcess child({"decrypt", "--password-file", pw_, "-o", "-", Arg(dir_ / "a.qivg")});
    EXPECT_EQ(child.Wait(), 2);
    EXPECT_NE(child.Screen().find("標準出力が端末"), std::string::npos) << child.Screen();
    EXPECT_EQ(child.Screen().find("content"), std::string::npos);
}

// A signal part-way through a large file: the run stops at the next chunk, the output and
// its temporary file are gone, and the progress line was on the terminal.
class Interrupt : public Process, public ::testing::WithParamInterface<int> {};

TEST_P(Interrupt, PartWayLeavesNoOutput) {
    fs::create_directories(dir_ / "work");
    const fs::path big = dir_ / "work" / "big.bin";
    WriteFile(big, "");
    fs::resize_file(big, std::uintmax_t{256} << 20);  // sparse: no disk for the source
    PtyProcess child({"encrypt", "--password-file", pw_, Arg(big)});
    ASSERT_TRUE(child.WaitFor("MB/s")) << child.Screen();
    child.Signal(GetParam());
    EXPECT_EQ(child.Wait(), 130) << child.Screen();
    EXPECT_NE(child.Screen().find("big.bin:"), std::string::npos);
    EXPECT_NE(child.Screen().find("処理を中止しました"), std::string::npos) << child.Screen();
    EXPECT_EQ(TreeIn(dir_ / "work"), std::set<std::string>{"big.bin"});
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupt, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

TEST(QivgProgram, LinksNoQt) {
    std::FILE* pipe = ::popen((std::string("readelf -d ") + QIVG_PROGRAM).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string dynamic;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        dynamic.append(buffer, got);
    ASSERT_EQ(::pclose(pipe), 0) << "readelf failed";
    EXPECT_NE(dynamic.find("(NEEDED)"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("Qt"), std::string::npos) << dynamic;
}

}  // namespace
}  // namespace angoka::testing
