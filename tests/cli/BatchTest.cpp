// Several FILEs and folders: each file is tried, the first failure sets the status, a summary
// ends the run; -r picks the command's files and -d keeps the tree's shape.
#include "CliHarness.h"

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
            WriteBytes(dir_ / "tree" / file, std::string("content of ") + file);
        }
        ASSERT_EQ(Run({"encrypt", "-r", S(dir_ / "tree")}).status, 0);
        WriteBytes(dir_ / "tree" / "sub" / "notes.bin", "not picked");
    }

    std::string pw_;
};

TEST_F(Batch, OneFailingFileDoesNotStopTheOthers) {
    for (const char* name : {"1.txt", "2.txt"}) WriteBytes(dir_ / name, name);
    ASSERT_EQ(Run({"encrypt", S(dir_ / "1.txt"), S(dir_ / "2.txt")}).status, 0);
    WriteBytes(dir_ / "damaged.qivg", RandomBytes(2, 1));  // shorter than any .qivg file
    fs::remove(dir_ / "1.txt");
    fs::remove(dir_ / "2.txt");

    const CliRun run = Run({"decrypt", S(dir_ / "1.txt.qivg"), S(dir_ / "missing.qivg"),
                            S(dir_ / "damaged.qivg"), S(dir_ / "2.txt.qivg")});
    EXPECT_EQ(run.status, 1) << "the first failure's status";
    EXPECT_EQ(ReadBytes(dir_ / "1.txt"), "1.txt");
    EXPECT_EQ(ReadBytes(dir_ / "2.txt"), "2.txt");
    EXPECT_EQ(run.err, "qivg: " + S(dir_ / "missing.qivg") + ": ファイルが見つかりません\n" + "qivg: " +
                           S(dir_ / "damaged.qivg") + ": ファイルが短すぎるため復号できませんでした\n" +
                           "qivg: 4 件中 2 件成功、2 件失敗\n");

    fs::remove(dir_ / "1.txt");
    const CliRun reversed =
        Run({"decrypt", S(dir_ / "damaged.qivg"), S(dir_ / "missing.qivg"), S(dir_ / "1.txt.qivg")});
    EXPECT_EQ(reversed.status, 4);
    EXPECT_TRUE(fs::exists(dir_ / "1.txt"));
}

TEST_F(Batch, QuietLeavesOutTheSummaryButNotTheErrors) {
    WriteBytes(dir_ / "1.txt", "1");
    const CliRun run = Run({"encrypt", "-q", S(dir_ / "1.txt"), S(dir_ / "none")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qivg: " + S(dir_ / "none") + ": ファイルが見つかりません\n");
}

TEST_F(Batch, RecursiveEncryptTakesEveryFileButQivgOnes) {
    MakeEncryptedTree();
    EXPECT_EQ(NamesIn(dir_ / "tree"), (std::set<std::string>{"a.txt", "a.txt.qivg", "sub", "sub/c.txt",
                                                             "sub/c.txt.qivg", "sub/notes.bin", "sub/deeper",
                                                             "sub/deeper/d.txt", "sub/deeper/d.txt.qivg"}));
    // A second run meets only outputs that exist: refused, nothing written, no .qivg.qivg.
    const CliRun again = Run({"encrypt", "-r", S(dir_ / "tree" / "sub" / "deeper")});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "tree" / "sub" / "deeper" / "d.txt.qivg.qivg"));
}

TEST_F(Batch, RecursiveDecryptKeepsTheTreeUnderOutputDir) {
    MakeEncryptedTree();
    const CliRun run = Run({"decrypt", "-r", "-d", S(dir_ / "out"), S(dir_ / "tree")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(NamesIn(dir_ / "out"),
              (std::set<std::string>{"a.txt", "sub", "sub/c.txt", "sub/deeper", "sub/deeper/d.txt"}));
    EXPECT_EQ(ReadBytes(dir_ / "out" / "sub" / "deeper" / "d.txt"), "content of sub/deeper/d.txt");
    EXPECT_EQ(run.err, "qivg: 3 件中 3 件成功、0 件失敗\n");
}

TEST_F(Batch, RecursiveTestAndAFileNamedOutright) {
    MakeEncryptedTree();
    fs::copy_file(dir_ / "tree" / "a.txt.qivg", dir_ / "copy.dat");
    const CliRun run = Run({"test", "-r", S(dir_ / "tree" / "sub"), S(dir_ / "copy.dat")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, S(dir_ / "tree" / "sub" / "c.txt.qivg") + ": OK (c.txt, 20 バイト)\n" +
                           S(dir_ / "tree" / "sub" / "deeper" / "d.txt.qivg") + ": OK (d.txt, 27 バイト)\n" +
                           S(dir_ / "copy.dat") + ": OK (a.txt, 16 バイト)\n");
}

TEST_F(Batch, EmptyFolderIsNothingToDo) {
    fs::create_directories(dir_ / "empty");
    cli_.withTerminal = true;
    const CliRun run = cli_.Run({"decrypt", "-r", S(dir_ / "empty")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(cli_.terminal.prompts.empty());
}

TEST_F(Batch, SymbolicLinksInATreeAreSkipped) {
    MakeEncryptedTree();
    fs::create_directory_symlink(dir_ / "tree" / "sub", dir_ / "tree" / "loop");
    fs::create_symlink(dir_ / "tree" / "a.txt.qivg", dir_ / "tree" / "link.qivg");
    const CliRun run = Run({"test", "-q", "-r", S(dir_ / "tree")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Run({"test", "-r", S(dir_ / "tree")}).out.find("link.qivg"), std::string::npos);
    EXPECT_EQ(Run({"test", "-r", S(dir_ / "tree")}).out.find("loop"), std::string::npos);
}

TEST_F(Batch, InterruptedRunStartsNoFurtherFile) {
    for (const char* name : {"1.txt", "2.txt"}) WriteBytes(dir_ / name, name);
    cli_.cancel.store(true);  // as if Ctrl-C came while the password was read
    const CliRun run = Run({"encrypt", S(dir_ / "1.txt"), S(dir_ / "2.txt")});
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.err, "qivg: 処理を中止しました\n");
    EXPECT_FALSE(fs::exists(dir_ / "1.txt.qivg"));
    EXPECT_FALSE(fs::exists(dir_ / "2.txt.qivg"));
}

}  // namespace
}  // namespace angoka::testing
