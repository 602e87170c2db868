// encrypt, decrypt and test on single files: where outputs go, what is written, what is not.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "CliHarness.h"
#include "CliMessages.h"
#include "Paths.h"
#include "Utf.h"

namespace angoka::testing {
namespace {

class EncryptDecrypt : public CliTest {
protected:
    EncryptDecrypt() : content_(RandomBytes(5000, 3)) {
        fs::create_directories(dir_ / "in");
        WriteFile(dir_ / "in" / "a.txt", content_);
        pw_ = PasswordFile("pw");
    }
    // The password file is given to the commands that take one.
    CliRun Run(std::vector<std::string> args) {
        if (args.front() != "wrap" && args.front() != "extract")
            args.insert(args.begin() + 1, {"--password-file", pw_});
        return cli_.Run(args);
    }

    std::string content_;
    std::string pw_;
};

TEST_F(EncryptDecrypt, RoundTripBesideTheFileUnderTheStoredName) {
    ASSERT_EQ(Run({"encrypt", "-k", "-7", "-n", "12", Arg(dir_ / "in" / "a.txt")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "in" / "a.txt"), content_) << "the source stays";
    fs::rename(dir_ / "in" / "a.txt", dir_ / "in" / "original.txt");

    const CliRun run = Run({"decrypt", "-k", "-7", "-n", "12", Arg(dir_ / "in" / "a.txt.qivg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "quiet on success with a single file";
    EXPECT_EQ(ReadFile(dir_ / "in" / "a.txt"), content_);
}

TEST_F(EncryptDecrypt, JapaneseFileNameRoundTrip) {
    const fs::path japanese = dir_ / "in" / "例え 書類.txt";
    WriteFile(japanese, content_);
    ASSERT_EQ(Run({"encrypt", Arg(japanese)}).status, 0);
    const CliRun run = Run({"decrypt", "-d", Arg(dir_ / "out"), Arg(dir_ / "in" / "例え 書類.txt.qivg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir_ / "out" / "例え 書類.txt"), content_);
}

// A character with no CP932 form is stored as "?": the user is told the name that a
// decryption will restore. A name that fits gets no word.
TEST_F(EncryptDecrypt, NameWithNoCp932FormIsStoredWithQuestionMarks) {
    const fs::path odd = dir_ / "in" / "café☃.txt";
    WriteFile(odd, content_);
    const CliRun run = Run({"encrypt", Arg(odd)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "qivg: " + Arg(odd) + ": " + cli::StoredAsText("caf??.txt") + "\n");
    ASSERT_EQ(Run({"decrypt", "-d", Arg(dir_ / "out"), Arg(odd) + ".qivg"}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "out" / "caf??.txt"), content_);

    const CliRun named = Run({"encrypt", "-f", "--name", "雪だるま☃", Arg(dir_ / "in" / "a.txt")});
    EXPECT_EQ(named.err,
              "qivg: " + Arg(dir_ / "in" / "a.txt") + ": " + cli::StoredAsText("雪だるま?") + "\n");
    EXPECT_EQ(Run({"encrypt", "-f", "-q", Arg(odd)}).err, "");
    EXPECT_EQ(Run({"encrypt", "-f", "--name", "例え 書類.txt", Arg(odd)}).err, "");
}

TEST_F(EncryptDecrypt, OutputOptionNamesTheFileExactly) {
    ASSERT_EQ(Run({"encrypt", "-o", Arg(dir_ / "x.bin"), Arg(dir_ / "in" / "a.txt")}).status, 0);
    ASSERT_EQ(Run({"decrypt", "-o", Arg(dir_ / "y"), Arg(dir_ / "x.bin")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "y"), content_);
    EXPECT_FALSE(fs::exists(dir_ / "a.txt")) << "-o wins over the stored name";
}

TEST_F(EncryptDecrypt, NameOptionIsWhatDecryptionRestores) {
    ASSERT_EQ(Run({"encrypt", "--name", "報告.txt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    ASSERT_EQ(Run({"decrypt", "-d", Arg(dir_ / "out"), Arg(dir_ / "in" / "a.txt.qivg")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "out" / "報告.txt"), content_);
}

TEST_F(EncryptDecrypt, NameWithALineEndIsAUsageErrorBeforeThePassword) {
    cli_.withTerminal = true;
    for (const char* name : {"a\nb", "a\rb"}) {
        const CliRun run = cli_.Run({"encrypt", "--name", name, Arg(dir_ / "in" / "a.txt")});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("保存するファイル名に使えない文字"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(cli_.terminal.prompts.empty());
    EXPECT_FALSE(fs::exists(dir_ / "in" / "a.txt.qivg"));
}

TEST_F(EncryptDecrypt, AFileNameWithALineEndIsStoredWithAnUnderscore) {
    const fs::path odd = dir_ / "in" / "a\nb.txt";
    WriteFile(odd, content_);
    ASSERT_EQ(Run({"encrypt", Arg(odd)}).status, 0);
    ASSERT_EQ(Run({"decrypt", "-d", Arg(dir_ / "out"), Arg(odd.string() + ".qivg")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "out" / "a_b.txt"), content_);
}

TEST_F(EncryptDecrypt, WithoutStoredNameTheFileLosesQivgOrGainsOut) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    fs::copy_file(dir_ / "in" / "a.txt.qivg", dir_ / "in" / "b.QIVG");
    fs::copy_file(dir_ / "in" / "a.txt.qivg", dir_ / "in" / "c.dat");
    const CliRun run =
        Run({"decrypt", "--no-stored-name", "-d", Arg(dir_ / "out"), Arg(dir_ / "in" / "a.txt.qivg"),
             Arg(dir_ / "in" / "b.QIVG"), Arg(dir_ / "in" / "c.dat")});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* name : {"a.txt", "b", "c.dat.out"})
        EXPECT_EQ(ReadFile(dir_ / "out" / name), content_) << name;
}

// A stored name that is no plain file name, or one a user would not see or a program would
// take for something else, is never used, nor a folder made from it: the output is the file
// without ".qivg", and one line says why (-q leaves it out). The absolute name points into the
// scratch folder, so that even a faulty run writes nowhere else.
TEST_F(EncryptDecrypt, UnsafeStoredNameFallsBackToTheFileWithoutQivg) {
    const std::u16string absolute = TextFromPath(dir_ / "x");
    const struct {
        std::u16string stored;
        const char* shown;
        std::string_view why;  // empty: no name, nothing to say
    } cases[] = {
        {u"../x", "../x", cli::kNameHasSeparator},
        {absolute, nullptr, cli::kNameHasSeparator},
        {u"a\\b", "a\\b", cli::kNameHasSeparator},
        {u"..", "..", cli::kNameLeadingDot},
        {u".bashrc", ".bashrc", cli::kNameLeadingDot},
        {u"-rf", "-rf", cli::kNameLeadingDash},
        {u" a.txt", " a.txt", cli::kNameSpaceAtEnd},
        {u"a.txt ", "a.txt ", cli::kNameSpaceAtEnd},
        {u"a.txt\u3000", "a.txt\u3000", cli::kNameSpaceAtEnd},
        {u"a.txt.", "a.txt.", cli::kNameTrailingDot},
        {u"a\x01z\x1b[2J", "a?z?[2J", cli::kNameHasControl},
        {std::u16string(256, u'n'), nullptr, cli::kNameTooLong},
        {u"", nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored));
        fs::remove_all(dir_ / "d");
        fs::create_directories(dir_ / "d");
        EncryptWithEngine(dir_ / "in" / "a.txt", dir_ / "d" / "f.qivg", u"pw", c.stored);
        const CliRun run = Run({"decrypt", Arg(dir_ / "d" / "f.qivg")});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(dir_.Names(), (std::set<std::string>{"d", "in", "password.txt"})) << "nothing outside d";
        EXPECT_EQ(TreeIn(dir_ / "d"), (std::set<std::string>{"f", "f.qivg"}));
        EXPECT_EQ(ReadFile(dir_ / "d" / "f"), content_);
        const std::string shown = c.shown ? c.shown : ToUtf8(c.stored);
        EXPECT_EQ(run.err, c.why.empty()
                               ? std::string()
                               : "qivg: " + Arg(dir_ / "d" / "f.qivg") + ": " +
                                     cli::UnusedNameText(shown, c.why, Arg(dir_ / "d" / "f")) + "\n");

        fs::remove(dir_ / "d" / "f");
        const CliRun quiet = Run({"decrypt", "-q", Arg(dir_ / "d" / "f.qivg")});
        EXPECT_EQ(quiet.status, 0);
        EXPECT_EQ(quiet.err, "");
        const CliRun named = Run({"decrypt", "-o", Arg(dir_ / "d" / "g"), Arg(dir_ / "d" / "f.qivg")});
        EXPECT_EQ(named.err, "") << "-o names the output: no stored name is missed";
    }
}

// Bytes of the name line that are no CP932 character would show as "?" that the file does
// not hold: such a name is not used either.
TEST_F(EncryptDecrypt, StoredNameWithBytesOfNoCharacterIsNotUsed) {
    fs::create_directories(dir_ / "d");
    WriteFile(dir_ / "d" / "f.qivg", CraftQivg(std::string("pw\r\na\xFF"
                                                           "b.txt\r\n") +
                                                   ToUtf8(kMarker) + HexOf("abc") + "\r\n",
                                               0, 1));
    const CliRun run = Run({"decrypt", Arg(dir_ / "d" / "f.qivg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(dir_ / "d" / "f"), "abc");
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "d" / "f.qivg") + ": " +
                           cli::UnusedNameText("a?b.txt", cli::kNameUnreadable, Arg(dir_ / "d" / "f")) +
                           "\n");
}

// A link named as the stored name is refused, -f or not, and the file it points to is kept:
// whoever made the .qivg file chose that name, and may have planted the link beside it.
TEST_F(EncryptDecrypt, LinkAtTheStoredNameIsNeverFollowed) {
    fs::create_directories(dir_ / "d");
    EncryptWithEngine(dir_ / "in" / "a.txt", dir_ / "d" / "f.qivg", u"pw", u"note.txt");
    WriteFile(dir_ / "target", "target");
    fs::create_symlink(dir_ / "target", dir_ / "d" / "note.txt");
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force ? "-f" : "no -f");
        std::vector<std::string> args = {"decrypt", Arg(dir_ / "d" / "f.qivg")};
        if (force) args.insert(args.begin() + 1, "-f");
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "d" / "note.txt") + ": " + ToUtf8(kDestinationNotFile) +
                               std::string(cli::kStoredNameLinkNote) + "\n");
        EXPECT_EQ(ReadFile(dir_ / "target"), "target");
        EXPECT_TRUE(fs::is_symlink(dir_ / "d" / "note.txt"));
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_ / "d")) names.insert(entry.path().filename());
        EXPECT_EQ(names, (std::set<std::string>{"f.qivg", "note.txt"})) << "no fallback, no temporary file";
    }
}

// Names come from folders and from files, not from the user: printed as they are, an escape
// sequence in one would act on the user's terminal.
TEST_F(EncryptDecrypt, NamesReachTheTerminalWithoutTheirControlCharacters) {
    const fs::path odd = dir_ / "in" /
                         "a\x1b[2J\xC2\x9B"
                         "1mb.qivg";
    const std::string shown = Arg(dir_ / "in" / "a?[2J?1mb.qivg");
    EncryptWithEngine(dir_ / "in" / "a.txt", odd, u"pw", u"x\x07y\x1b]0;t\x7Fz");

    const CliRun tested = Run({"test", Arg(odd)});
    EXPECT_EQ(tested.status, 0) << tested.err;
    EXPECT_EQ(tested.out, shown + ": OK (x?y?]0;t?z, 5000 バイト)\n");

    const CliRun refused = Run({"test", "-k", "3", Arg(odd)});
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(refused.err.starts_with("qivg: " + shown + ": パスワードが一致しません")) << refused.err;
    EXPECT_EQ(refused.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(refused.err.find("\xC2\x9B"), std::string::npos);
}

TEST_F(EncryptDecrypt, ExistingOutputNeedsForce) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    const std::string first = ReadFile(dir_ / "in" / "a.txt.qivg");
    const CliRun refused = Run({"encrypt", Arg(dir_ / "in" / "a.txt")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "qivg: " + Arg(dir_ / "in" / "a.txt.qivg") +
                  ": 出力先のファイルが既に存在するため書き込めませんでした (-f で置き換えます)\n");
    EXPECT_EQ(ReadFile(dir_ / "in" / "a.txt.qivg"), first);

    EXPECT_EQ(Run({"encrypt", "-f", Arg(dir_ / "in" / "a.txt")}).status, 0);
    EXPECT_NE(ReadFile(dir_ / "in" / "a.txt.qivg"), first) << "new round keys, new bytes";

    WriteFile(dir_ / "in" / "old", "old");
    EXPECT_EQ(Run({"decrypt", "-o", Arg(dir_ / "in" / "old"), Arg(dir_ / "in" / "a.txt.qivg")}).status, 1);
    EXPECT_EQ(ReadFile(dir_ / "in" / "old"), "old");
    EXPECT_EQ(Run({"decrypt", "-f", "-o", Arg(dir_ / "in" / "old"), Arg(dir_ / "in" / "a.txt.qivg")}).status,
              0);
    EXPECT_EQ(ReadFile(dir_ / "in" / "old"), content_);
}

// Someone else makes the output while qivg writes it: without -f that file is theirs to keep,
// since qivg gives the output policy consent to replace only with -f.
TEST_F(EncryptDecrypt, AnOutputMadeDuringTheWriteIsReplacedOnlyWithForce) {
    const fs::path output = dir_ / "in" / "a.txt.qivg";
    for (const bool force : {false, true}) {
        SCOPED_TRACE(force ? "-f" : "no -f");
        fs::remove(output);
        bool planted = false;
        cli_.writeHooks.writer = [&](int fd, const void* data, std::size_t size) {
            if (!planted) WriteFile(output, "someone else's");
            planted = true;
            return ::write(fd, data, size);
        };
        std::vector<std::string> args = {"encrypt", Arg(dir_ / "in" / "a.txt")};
        if (force) args.insert(args.begin() + 1, "-f");
        const CliRun run = Run(args);
        EXPECT_TRUE(planted);
        if (force) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(HexRoadDecrypt(output, u"pw", 0, 1).content, content_);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err,
                      "qivg: " + Arg(output) +
                          ": 出力先のファイルが既に存在するため書き込めませんでした (-f で置き換えます)\n");
            EXPECT_EQ(ReadFile(output), "someone else's");
        }
    }
}

TEST_F(EncryptDecrypt, OutputDirIsMadeWhenMissing) {
    ASSERT_EQ(Run({"encrypt", "-d", Arg(dir_ / "new" / "deep"), Arg(dir_ / "in" / "a.txt")}).status, 0);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "new" / "deep" / "a.txt.qivg"));
    EXPECT_FALSE(fs::exists(dir_ / "in" / "a.txt.qivg"));
}

// -o names a file, never folders to make: a folder that is not there is more likely a typo.
TEST_F(EncryptDecrypt, OutputIntoAMissingFolderIsRefused) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    const auto before = dir_.Names();
    const std::pair<const char*, std::string> runs[] = {{"encrypt", Arg(dir_ / "in" / "a.txt")},
                                                        {"decrypt", Arg(dir_ / "in" / "a.txt.qivg")},
                                                        {"wrap", Arg(dir_ / "in" / "a.txt")}};
    for (const auto& [command, file] : runs) {
        SCOPED_TRACE(command);
        const CliRun run = Run({command, "-o", Arg(dir_ / "new" / "x"), file});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  "qivg: " + Arg(dir_ / "new" / "x") + ": " + std::string(cli::kOutputFolderMissing) + "\n");
    }
    EXPECT_EQ(dir_.Names(), before);
}

TEST_F(EncryptDecrypt, MissingInputAndFolderAreFailures) {
    fs::create_directories(dir_ / "folder");
    const CliRun missing = Run({"encrypt", Arg(dir_ / "none.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "qivg: " + Arg(dir_ / "none.txt") + ": ファイルが見つかりません\n");
    const CliRun folder = Run({"decrypt", Arg(dir_ / "folder")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("フォルダです (中のファイルを処理するには -r"), std::string::npos)
        << folder.err;
    EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

// A FIFO or a socket named as FILE is no file to read: it is said so, and nothing waits on it.
TEST_F(EncryptDecrypt, StreamsAreNoFiles) {
    ASSERT_EQ(::mkfifo(Arg(dir_ / "fifo").c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(Arg(dir_ / "socket").size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, Arg(dir_ / "socket").c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const auto before = dir_.Names();
    for (const char* command : {"encrypt", "decrypt", "test", "wrap", "extract"}) {
        for (const char* name : {"fifo", "socket"}) {
            SCOPED_TRACE(std::string(command) + " " + name);
            const CliRun run = Run({command, Arg(dir_ / name)});
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / name) + ": 通常のファイルではありません\n");
        }
    }
    ::close(listening);
    EXPECT_EQ(dir_.Names(), before);
}

// A file named through /dev/fd, as /dev/stdin names standard input, has no folder of its own to
// write beside: -o or -d must say where. The output policy gets no place to make a file in, so
// that even a faulty run writes nothing under /dev.
TEST_F(EncryptDecrypt, OutputBesideAFileInDevNeedsADestination) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    const int fd = ::open(Arg(dir_ / "in" / "a.txt.qivg").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string named = "/dev/fd/" + std::to_string(fd);
    cli_.writeHooks.unnamedOpener = [](int) {
        errno = EACCES;
        return -1;
    };
    for (const char* command : {"encrypt", "decrypt", "wrap"}) {
        SCOPED_TRACE(command);
        const CliRun run = Run({command, named});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "qivg: " + named + ": " + std::string(cli::kSystemFolderNeedsOutput) + "\n");
    }
    cli_.writeHooks = {};
    const CliRun placed = Run({"decrypt", "-d", Arg(dir_ / "out"), named});
    ::close(fd);
    EXPECT_EQ(placed.status, 0) << placed.err;
    EXPECT_EQ(ReadFile(dir_ / "out" / "a.txt"), content_);
}

TEST_F(EncryptDecrypt, StandardOutputGetsExactlyTheContent) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    const auto before = dir_.Names();
    const CliRun run = Run({"decrypt", "-o", "-", Arg(dir_ / "in" / "a.txt.qivg")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, content_);
    EXPECT_EQ(dir_.Names(), before);
}

TEST_F(EncryptDecrypt, StandardOutputOnATerminalIsRefused) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    cli_.outIsTerminal = true;
    cli_.withTerminal = true;
    const CliRun run = cli_.Run({"decrypt", "-o", "-", Arg(dir_ / "in" / "a.txt.qivg")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("標準出力が端末"), std::string::npos) << run.err;
    EXPECT_TRUE(cli_.terminal.prompts.empty()) << "refused before the password is asked";
}

// Damage found after the first megabyte went out: what went out stays, the status says so.
TEST_F(EncryptDecrypt, StandardOutputDamagedPartWayEndsWithStatusFour) {
    const std::string big = RandomBytes(3 << 20, 5);
    WriteFile(dir_ / "big", big);
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "big")}).status, 0);
    std::string qivg = ReadFile(dir_ / "big.qivg");
    // Near the end a content digit becomes a byte of 0x80 or more: no hex digit.
    qivg[qivg.size() - 1000] = static_cast<char>(qivg[qivg.size() - 1000] ^ 0x80);
    WriteFile(dir_ / "big.qivg", qivg);

    const CliRun run = Run({"decrypt", "-o", "-", Arg(dir_ / "big.qivg")});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err,
              "qivg: " + Arg(dir_ / "big.qivg") + ": ファイルの内容が壊れているため復号できませんでした\n");
    EXPECT_GE(run.out.size(), std::size_t{1} << 20);
    EXPECT_LT(run.out.size(), big.size());
    EXPECT_EQ(run.out, big.substr(0, run.out.size()));

    EXPECT_EQ(Run({"decrypt", "-f", Arg(dir_ / "big.qivg")}).status, 4);
    EXPECT_EQ(ReadFile(dir_ / "big"), big) << "a file output is left as it was";
}

TEST_F(EncryptDecrypt, TestWritesALinePerGoodFileAndNoFile) {
    WriteFile(dir_ / "in" / "empty", "");
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    ASSERT_EQ(Run({"encrypt", "--name", "名前 (1).txt", Arg(dir_ / "in" / "empty")}).status, 0);
    WriteFile(dir_ / "in" / "junk.qivg", RandomBytes(300, 9));
    const auto before = TreeIn(dir_ / "in");

    const CliRun run = Run({"test", Arg(dir_ / "in" / "a.txt.qivg"), Arg(dir_ / "in" / "junk.qivg"),
                            Arg(dir_ / "in" / "empty.qivg")});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.out, Arg(dir_ / "in" / "a.txt.qivg") + ": OK (a.txt, 5000 バイト)\n" +
                           Arg(dir_ / "in" / "empty.qivg") + ": OK (名前 (1).txt, 0 バイト)\n");
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "in" / "junk.qivg") +
                           ": 正しいqivg形式ファイルではありませんでした\n" +
                           "qivg: 3 件中 2 件成功、1 件失敗\n");
    EXPECT_EQ(TreeIn(dir_ / "in"), before);

    const CliRun quiet =
        Run({"test", "-q", Arg(dir_ / "in" / "a.txt.qivg"), Arg(dir_ / "in" / "empty.qivg")});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
}

// Standard output that takes nothing (here a descriptor open only for reading; a full disk or
// /dev/full alike): what should have gone out did not, so the run fails and says so.
TEST_F(EncryptDecrypt, StandardOutputThatFailsIsAFailure) {
    ASSERT_EQ(Run({"encrypt", Arg(dir_ / "in" / "a.txt")}).status, 0);
    cli_.outFd = ::open(Arg(dir_ / "in" / "a.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(cli_.outFd, 0);
    const std::string failed = "qivg: 標準出力に書き込めませんでした。理由: ";
    const CliRun tested = Run({"test", Arg(dir_ / "in" / "a.txt.qivg")});
    EXPECT_EQ(tested.status, 1);
    EXPECT_TRUE(tested.err.starts_with(failed)) << tested.err;
    const CliRun help = cli_.Run({"decrypt", "--help"});
    EXPECT_EQ(help.status, 1);
    EXPECT_TRUE(help.err.starts_with(failed)) << help.err;
    const CliRun streamed = Run({"decrypt", "-o", "-", Arg(dir_ / "in" / "a.txt.qivg")});
    EXPECT_EQ(streamed.status, 1);
    EXPECT_TRUE(streamed.err.starts_with("qivg: 標準出力: ファイルの読み書きに失敗しました。理由: "))
        << streamed.err;
    ::close(cli_.outFd);
    EXPECT_EQ(ReadFile(dir_ / "in" / "a.txt"), content_);
}

TEST_F(EncryptDecrypt, PayloadErrorSaysOnlyThatDecryptionFailed) {
    // A copy: a faulty run must not write beside the vector in the source tree.
    fs::copy_file(std::string(ANGOKA_VECTORS_DIR) + "/crafted_payload_is_Error.qivg", dir_ / "in" / "e.qivg");
    const CliRun run = cli_.Run({"decrypt", "--password-file", PasswordFile("pw"), "-k", "4", "-n", "2", "-d",
                                 Arg(dir_ / "out"), Arg(dir_ / "in" / "e.qivg")});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.err.ends_with(": 復号に失敗しました\n")) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

}  // namespace
}  // namespace angoka::testing
