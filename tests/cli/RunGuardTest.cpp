// One run never writes over what it reads or has already written, -f or not: the file it
// reads, another of its inputs, or an output of an earlier file of the same run.
#include <fcntl.h>
#include <unistd.h>

#include "BmpCodec.h"
#include "CliHarness.h"
#include "CliMessages.h"

namespace angoka::testing {
namespace {

// How a test reads back what an output holds.
enum class Holds { Plain, Wrapped, Encrypted };

class RunGuard : public CliTest {
protected:
    RunGuard() { pw_ = PasswordFile("pw"); }
    CliRun Run(std::vector<std::string> args) {
        if (args.front() != "wrap" && args.front() != "extract")
            args.insert(args.begin() + 1, {"--password-file", pw_});
        return cli_.Run(args);
    }
    // Writes `content` at `name` (in the scratch folder), making its folders.
    fs::path File(const std::string& name, const std::string& content) {
        fs::create_directories((dir_ / name).parent_path());
        WriteFile(dir_ / name, content);
        return dir_ / name;
    }
    std::string Content(const fs::path& output, Holds holds) {
        switch (holds) {
            case Holds::Plain:
                return ReadFile(output);
            case Holds::Wrapped:
                return ReadFile(output).substr(kBmpHeaderSize);
            case Holds::Encrypted:
                return HexRoadDecrypt(output, u"pw", 0, 1).content.value_or("(does not open)");
        }
        return {};
    }
    std::string Line(const fs::path& file, const std::string& message) const {
        return "qivg: " + Arg(file) + ": " + message + "\n";
    }

    std::string pw_;
};

// Two inputs of one run whose outputs have one name: the first is written, the second fails
// with its own message instead of replacing it, and the summary counts it as a failure.
struct TwoForOneCase {
    const char* label;
    std::vector<std::string> args;  // "@x" is the scratch path x
    const char* first;              // the input that is written, and the one that is refused
    const char* second;
    const char* output;
    Holds holds;
    const char* content;  // what the first input gives
};

void PrintTo(const TwoForOneCase& c, std::ostream* os) {
    *os << c.label;
}

class TwoForOne : public RunGuard, public ::testing::WithParamInterface<TwoForOneCase> {};

TEST_P(TwoForOne, SecondFailsAndTheFirstStays) {
    const TwoForOneCase& c = GetParam();
    File("one/a.txt", "first a");
    File("two/a.txt", "second a");
    File("one/docs/x.txt", "first x");
    File("two/docs/x.txt", "second x");
    File("photo.jpg", "first photo");
    File("photo.png", "second photo");
    fs::create_directories(dir_ / "arch");
    EncryptWithEngine(dir_ / "one" / "a.txt", dir_ / "arch" / "1.qivg", u"pw", u"same.txt");
    EncryptWithEngine(dir_ / "two" / "a.txt", dir_ / "arch" / "2.qivg", u"pw", u"same.txt");
    std::vector<std::string> args;
    for (const std::string& arg : c.args)
        args.push_back(arg.starts_with("@") ? Arg(dir_ / arg.substr(1)) : arg);

    const CliRun run = Run(args);
    EXPECT_EQ(run.status, 1);
    const fs::path output = dir_ / c.output;
    EXPECT_EQ(run.err, Line(dir_ / c.second, cli::WrittenThisRunText(Arg(output))) +
                           "qivg: 2 件中 1 件成功、1 件失敗\n");
    EXPECT_EQ(Content(output, c.holds), c.content);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TwoForOne,
    ::testing::Values(TwoForOneCase{"decrypt_two_files_storing_one_name",
                                    {"decrypt", "-r", "-f", "-d", "@out", "@arch"},
                                    "arch/1.qivg",
                                    "arch/2.qivg",
                                    "out/same.txt",
                                    Holds::Plain,
                                    "first a"},
                      TwoForOneCase{"encrypt_two_files_of_one_name",
                                    {"encrypt", "-f", "-d", "@out", "@one/a.txt", "@two/a.txt"},
                                    "one/a.txt",
                                    "two/a.txt",
                                    "out/a.txt.qivg",
                                    Holds::Encrypted,
                                    "first a"},
                      TwoForOneCase{"encrypt_two_trees_of_one_shape",
                                    {"encrypt", "-r", "-f", "-d", "@out", "@one/docs", "@two/docs"},
                                    "one/docs/x.txt",
                                    "two/docs/x.txt",
                                    "out/x.txt.qivg",
                                    Holds::Encrypted,
                                    "first x"},
                      TwoForOneCase{"wrap_two_files_of_one_stem",
                                    {"wrap", "-f", "@photo.jpg", "@photo.png"},
                                    "photo.jpg",
                                    "photo.png",
                                    "photo.bmp",
                                    Holds::Wrapped,
                                    "first photo"}),
    [](const auto& info) { return std::string(info.param.label); });

// a.qivg stores the name b.qivg, beside a real b.qivg that the same run decrypts: in either
// order, b.qivg is read and never replaced.
TEST_F(RunGuard, AStoredNameNeverReplacesAnotherInput) {
    File("a.txt", "a's content");
    File("b.txt", "b's content");
    fs::create_directories(dir_ / "d");
    EncryptWithEngine(dir_ / "a.txt", dir_ / "d" / "a.qivg", u"pw", u"b.qivg");
    EncryptWithEngine(dir_ / "b.txt", dir_ / "d" / "b.qivg", u"pw", u"b.txt");
    const std::string b = ReadFile(dir_ / "d" / "b.qivg");
    const std::string refused =
        Line(dir_ / "d" / "a.qivg", cli::InputOfThisRunText(Arg(dir_ / "d" / "b.qivg")));
    for (const bool aFirst : {true, false}) {
        SCOPED_TRACE(aFirst ? "a first" : "b first");
        fs::remove(dir_ / "d" / "b.txt");
        const fs::path first = dir_ / "d" / (aFirst ? "a.qivg" : "b.qivg");
        const fs::path second = dir_ / "d" / (aFirst ? "b.qivg" : "a.qivg");
        const CliRun run = Run({"decrypt", "-f", Arg(first), Arg(second)});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, refused + "qivg: 2 件中 1 件成功、1 件失敗\n");
        EXPECT_EQ(ReadFile(dir_ / "d" / "b.qivg"), b);
        EXPECT_EQ(ReadFile(dir_ / "d" / "b.txt"), "b's content");
    }
}

// The same file under another name (a hard link) is still the input.
TEST_F(RunGuard, AnOutputThatIsAnotherInputByInodeIsRefused) {
    File("x.txt", "x");
    File("y.dat", "y");
    fs::create_hard_link(dir_ / "y.dat", dir_ / "x.bmp");
    const CliRun run = Run({"wrap", "-f", Arg(dir_ / "x.txt"), Arg(dir_ / "y.dat")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, Line(dir_ / "x.txt", cli::InputOfThisRunText(Arg(dir_ / "x.bmp"))) +
                           "qivg: 2 件中 1 件成功、1 件失敗\n");
    EXPECT_EQ(ReadFile(dir_ / "x.bmp"), "y") << "the input y.dat, read whole before anything";
    EXPECT_EQ(ReadFile(dir_ / "y.bmp").substr(kBmpHeaderSize), "y");
}

// Every command, -f given: an output that is the input (by its own path, through a link or a
// hard link) is refused and the input is left as it was.
struct SelfCase {
    const char* label;
    std::vector<std::string> args;  // "@x" is the scratch path x
    const char* input;
};

void PrintTo(const SelfCase& c, std::ostream* os) {
    *os << c.label;
}

class OutputIsInput : public RunGuard, public ::testing::WithParamInterface<SelfCase> {};

TEST_P(OutputIsInput, IsRefusedEvenWithForce) {
    const SelfCase& c = GetParam();
    File("f.txt", "plain text");
    EncryptWithEngine(dir_ / "f.txt", dir_ / "f.qivg", u"pw", u"f.qivg");
    File("a.bmp", std::string(kBmpHeaderSize, 'h') + "content");
    fs::create_symlink(dir_ / "f.txt", dir_ / "link");
    fs::create_hard_link(dir_ / "a.bmp", dir_ / "hard");
    std::vector<std::string> args;
    for (const std::string& arg : c.args)
        args.push_back(arg.starts_with("@") ? Arg(dir_ / arg.substr(1)) : arg);
    const std::string before = ReadFile(dir_ / c.input);
    const auto names = dir_.Names();

    const CliRun run = Run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, Line(dir_ / c.input, ToUtf8(kOutputIsSource)));
    EXPECT_EQ(ReadFile(dir_ / c.input), before);
    EXPECT_EQ(dir_.Names(), names);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputIsInput,
    ::testing::Values(SelfCase{"encrypt_to_itself", {"encrypt", "-f", "-o", "@f.txt", "@f.txt"}, "f.txt"},
                      SelfCase{"encrypt_through_a_link", {"encrypt", "-f", "-o", "@link", "@f.txt"}, "f.txt"},
                      SelfCase{"decrypt_to_itself", {"decrypt", "-f", "-o", "@f.qivg", "@f.qivg"}, "f.qivg"},
                      SelfCase{"decrypt_under_its_own_stored_name", {"decrypt", "-f", "@f.qivg"}, "f.qivg"},
                      SelfCase{"wrap_a_bmp", {"wrap", "-f", "@a.bmp"}, "a.bmp"},
                      SelfCase{"extract_as_bmp", {"extract", "-f", "--ext", "bmp", "@a.bmp"}, "a.bmp"},
                      SelfCase{
                          "extract_to_a_hard_link", {"extract", "-f", "-o", "@hard", "@a.bmp"}, "a.bmp"}),
    [](const auto& info) { return std::string(info.param.label); });

// Standard output that is the input itself (`>> f.qivg`).
TEST_F(RunGuard, StandardOutputIntoTheInputIsRefused) {
    File("f.txt", "plain text");
    EncryptWithEngine(dir_ / "f.txt", dir_ / "f.qivg", u"pw", u"f.txt");
    const std::string before = ReadFile(dir_ / "f.qivg");
    cli_.outFd = ::open(Arg(dir_ / "f.qivg").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(cli_.outFd, 0);
    const CliRun run = Run({"decrypt", "-o", "-", Arg(dir_ / "f.qivg")});
    ::close(cli_.outFd);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, Line(dir_ / "f.qivg", ToUtf8(kOutputIsSource)));
    EXPECT_EQ(ReadFile(dir_ / "f.qivg"), before);
}

}  // namespace
}  // namespace angoka::testing
