// Several FILEs and folders: each file is tried, the first failure sets the status, a summary
// ends the run; -r picks the command's files and -d keeps the tree's shape.
#include <algorithm>
#include <random>

#include "CliHarness.h"
#include "SourceFile.h"

namespace angoka::testing {
namespace {

class Batch : public CliTest {
protected:
    Batch() { pw_ = PasswordFile("pw"); }
    CliRun Run(std::vector<std::string> args) {
        args.insert(args.begin() + 1, {"--password-file", pw_});
        return cli_.Run(args);
    }
    // tree/a.txt, tree/sub/c.txt and tree/sub/deeper/d.txt, each encrypted beside itself, and
    // tree/sub/notes.bin, which no decryption picks.
    void MakeEncryptedTree() {
        for (const char* file : {"a.txt", "sub/c.txt", "sub/deeper/d.txt"}) {
            fs::create_directories((dir_ / "tree" / file).parent_path());
            WriteFile(dir_ / "tree" / file, std::string("content of ") + file);
        }
        ASSERT_EQ(Run({"encrypt", "-r", Arg(dir_ / "tree")}).status, 0);
        WriteFile(dir_ / "tree" / "sub" / "notes.bin", "not picked");
    }

    std::string pw_;
};

TEST_F(Batch, OneFailingFileDoesNotStopTheOthers) {
    for (const char* name : {"1.txt", "2.txt"}) WriteFile(dir_ / name, name);
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "1.txt"), Arg(dir_ / "2.txt")}).status, 0);
    WriteFile(dir_ / "damaged.qivg", RandomBytes(2, 1));  // shorter than any .qivg file
    fs::remove(dir_ / "1.txt");
    fs::remove(dir_ / "2.txt");

    const CliRun run = Run({"decrypt", Arg(dir_ / "1.txt.qivg"), Arg(dir_ / "missing.qivg"),
                            Arg(dir_ / "damaged.qivg"), Arg(dir_ / "2.txt.qivg")});
    EXPECT_EQ(run.status, 1) << "the first failure's status";
    EXPECT_EQ(ReadFile(dir_ / "1.txt"), "1.txt");
    EXPECT_EQ(ReadFile(dir_ / "2.txt"), "2.txt");
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "missing.qivg") + ": ファイルが見つかりません\n" + "qivg: " +
                           Arg(dir_ / "damaged.qivg") + ": ファイルが短すぎるため復号できませんでした\n" +
                           "qivg: 4 件中 2 件成功、2 件失敗\n");

    fs::remove(dir_ / "1.txt");
    const CliRun reversed =
        Run({"decrypt", Arg(dir_ / "damaged.qivg"), Arg(dir_ / "missing.qivg"), Arg(dir_ / "1.txt.qivg")});
    EXPECT_EQ(reversed.status, 4);
    EXPECT_TRUE(fs::exists(dir_ / "1.txt"));
}

TEST_F(Batch, QuietLeavesOutTheSummaryButNotTheErrors) {
    WriteFile(dir_ / "1.txt", "1");
    const CliRun run = Run({"encrypt", "-q", Arg(dir_ / "1.txt"), Arg(dir_ / "none")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "none") + ": ファイルが見つかりません\n");
}

TEST_F(Batch, RecursiveEncryptTakesEveryFileButQivgOnes) {
    MakeEncryptedTree();
    EXPECT_EQ(TreeIn(dir_ / "tree"), (std::set<std::string>{"a.txt", "a.txt.qivg", "sub", "sub/c.txt",
                                                            "sub/c.txt.qivg", "sub/notes.bin", "sub/deeper",
                                                            "sub/deeper/d.txt", "sub/deeper/d.txt.qivg"}));
    // A second run meets only outputs that exist: refused, nothing written, no .qivg.qivg.
    const CliRun again = Run({"encrypt", "-r", Arg(dir_ / "tree" / "sub" / "deeper")});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "tree" / "sub" / "deeper" / "d.txt.qivg.qivg"));
}

TEST_F(Batch, RecursiveDecryptKeepsTheTreeUnderOutputDir) {
    MakeEncryptedTree();
    const CliRun run = Run({"decrypt", "-r", "-d", Arg(dir_ / "out"), Arg(dir_ / "tree")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TreeIn(dir_ / "out"),
              (std::set<std::string>{"a.txt", "sub", "sub/c.txt", "sub/deeper", "sub/deeper/d.txt"}));
    EXPECT_EQ(ReadFile(dir_ / "out" / "sub" / "deeper" / "d.txt"), "content of sub/deeper/d.txt");
    EXPECT_EQ(run.err, "qivg: 3 件中 3 件成功、0 件失敗\n");
}

TEST_F(Batch, RecursiveTestAndAFileNamedOutright) {
    MakeEncryptedTree();
    fs::copy_file(dir_ / "tree" / "a.txt.qivg", dir_ / "copy.dat");
    const CliRun run = Run({"test", "-r", Arg(dir_ / "tree" / "sub"), Arg(dir_ / "copy.dat")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Arg(dir_ / "tree" / "sub" / "c.txt.qivg") + ": OK (c.txt, 20 バイト)\n" +
                           Arg(dir_ / "tree" / "sub" / "deeper" / "d.txt.qivg") +
                           ": OK (d.txt, 27 バイト)\n" + Arg(dir_ / "copy.dat") +
                           ": OK (a.txt, 16 バイト)\n");
}

// A walked folder comes in name order whatever order the file system lists it in: each
// folder's files, then its subfolders, each in name order. The names are made in shuffled
// order, which no file system lists back as name order.
TEST_F(Batch, RecursiveRunsGoInNameOrder) {
    std::vector<std::string> names;
    for (char c = 'a'; c <= 't'; ++c) names.push_back(std::string(1, c) + ".qivg");
    for (const char* folder : {"m", "c", "x", "a"}) names.push_back(std::string(folder) + "/f.qivg");
    std::mt19937 random(5);
    std::shuffle(names.begin(), names.end(), random);
    WriteFile(dir_ / "plain", "p");
    for (const std::string& name : names) {
        fs::create_directories((dir_ / "tree" / name).parent_path());
        EncryptWithEngine(dir_ / "plain", dir_ / "tree" / name, u"pw", u"p");
    }
    std::vector<std::string> listed;
    for (const auto& entry : fs::directory_iterator(dir_ / "tree")) listed.push_back(entry.path().filename());
    ASSERT_FALSE(std::is_sorted(listed.begin(), listed.end())) << "the listing shows nothing";

    const CliRun run = Run({"test", "-r", Arg(dir_ / "tree")});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected;
    for (char c = 'a'; c <= 't'; ++c)
        expected += Arg(dir_ / "tree" / (std::string(1, c) + ".qivg")) + ": OK (p, 1 バイト)\n";
    for (const char* folder : {"a", "c", "m", "x"})
        expected += Arg(dir_ / "tree" / folder / "f.qivg") + ": OK (p, 1 バイト)\n";
    EXPECT_EQ(run.out, expected);
}

TEST_F(Batch, EmptyFolderIsNothingToDo) {
    fs::create_directories(dir_ / "empty");
    cli_.withTerminal = true;
    const CliRun run = cli_.Run({"decrypt", "-r", Arg(dir_ / "empty")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(cli_.terminal.prompts.empty());
}

TEST_F(Batch, SymbolicLinksInATreeAreSkipped) {
    MakeEncryptedTree();
    fs::create_directory_symlink(dir_ / "tree" / "sub", dir_ / "tree" / "loop");
    fs::create_symlink(dir_ / "tree" / "a.txt.qivg", dir_ / "tree" / "link.qivg");
    const CliRun run = Run({"test", "-q", "-r", Arg(dir_ / "tree")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Run({"test", "-r", Arg(dir_ / "tree")}).out.find("link.qivg"), std::string::npos);
    EXPECT_EQ(Run({"test", "-r", Arg(dir_ / "tree")}).out.find("loop"), std::string::npos);
}

TEST_F(Batch, InterruptedRunStartsNoFurtherFile) {
    for (const char* name : {"1.txt", "2.txt"}) WriteFile(dir_ / name, name);
    cli_.cancel.store(true);  // as if Ctrl-C came while the password was read
    const CliRun run = Run({"encrypt", Arg(dir_ / "1.txt"), Arg(dir_ / "2.txt")});
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.err, "qivg: 処理を中止しました\n");
    EXPECT_FALSE(fs::exists(dir_ / "1.txt.qivg"));
    EXPECT_FALSE(fs::exists(dir_ / "2.txt.qivg"));
}

// Sets the run's cancel flag at the first read of a source file, as a Ctrl-C in the middle of
// a file would; the hook goes away with the test.
class CancelAtFirstRead {
public:
    explicit CancelAtFirstRead(std::atomic<bool>& cancel) {
        SetSourceReadHookForTesting([&cancel] { cancel.store(true); });
    }
    ~CancelAtFirstRead() { SetSourceReadHookForTesting(nullptr); }
    CancelAtFirstRead(const CancelAtFirstRead&) = delete;
    CancelAtFirstRead& operator=(const CancelAtFirstRead&) = delete;
};

// Interrupted while a file is read, on every command: status 130, one line that says so (not a
// failure line and then a second one), and no output.
TEST_F(Batch, InterruptedFileEndsWithStatus130AndOneLine) {
    WriteFile(dir_ / "a.txt", RandomBytes(5000, 4));
    EncryptWithEngine(dir_ / "a.txt", dir_ / "a.qivg", u"pw", u"b.txt");
    WriteFile(dir_ / "x.bmp", std::string(200, 'b'));
    WriteFile(dir_ / "second.txt", "never started");
    const std::vector<std::string> runs[] = {
        {"encrypt", Arg(dir_ / "a.txt"), Arg(dir_ / "second.txt")},
        {"decrypt", Arg(dir_ / "a.qivg"), Arg(dir_ / "second.txt")},
        {"decrypt", "-o", "-", Arg(dir_ / "a.qivg")},
        {"test", Arg(dir_ / "a.qivg"), Arg(dir_ / "second.txt")},
        {"wrap", Arg(dir_ / "a.txt"), Arg(dir_ / "second.txt")},
        {"extract", Arg(dir_ / "x.bmp"), Arg(dir_ / "second.txt")},
    };
    const auto before = dir_.Names();
    for (std::vector<std::string> args : runs) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        cli_.cancel.store(false);
        if (args[0] != "wrap" && args[0] != "extract")
            args.insert(args.begin() + 1, {"--password-file", pw_});
        const CliRun run = [&] {
            CancelAtFirstRead cancelling(cli_.cancel);
            return cli_.Run(args);
        }();
        EXPECT_EQ(run.status, 130);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.err.ends_with("処理を中止しました\n")) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(dir_.Names(), before);
    }
}

}  // namespace
}  // namespace angoka::testing
