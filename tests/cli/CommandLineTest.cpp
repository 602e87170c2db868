// The command line: what is a usage error (status 2, nothing done), and what --help and
// --version say.
#include <cstdlib>
#include <map>

#include "CliHarness.h"
#include "CommandLine.h"

namespace angoka::testing {
namespace {

struct UsageCase {
    const char* label;
    std::vector<std::string> args;
    const char* says;  // part of the message
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.label;
}

class UsageError : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageError, EndsWithStatusTwoAndWritesNothing) {
    WriteFile(dir_ / "a", "x");
    WriteFile(dir_ / "b", "y");
    const std::string pw = PasswordFile("pw");
    // Every path a case names is in the scratch folder, so that a check that fails to refuse
    // writes nowhere else.
    const std::set<std::string> scratchNames = {"a", "b", "out", "dir"};
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "PW" ? pw : scratchNames.count(arg) ? Arg(dir_ / arg) : arg);
    }
    const auto before = dir_.Names();
    const CliRun run = cli_.Run(args);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("qivg --help"), std::string::npos) << run.err;
    EXPECT_EQ(dir_.Names(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageError,
    ::testing::Values(
        UsageCase{"inkey_above", {"decrypt", "-k", "11", "--password-file", "PW", "a"}, "11"},
        UsageCase{"inkey_below", {"decrypt", "-k", "-11", "--password-file", "PW", "a"}, "-11"},
        UsageCase{"rounds_zero", {"encrypt", "-n", "0", "--password-file", "PW", "a"}, "0"},
        UsageCase{"rounds_above", {"encrypt", "--rounds", "31", "--password-file", "PW", "a"}, "31"},
        UsageCase{"inkey_not_a_number", {"test", "-k", "x", "--password-file", "PW", "a"}, "x"},
        UsageCase{
            "rounds_in_hex", {"test", "-n", "0x3", "--password-file", "PW", "a"}, "0x3 は 1〜30 の10進数"},
        UsageCase{"inkey_with_a_plus", {"test", "-k", "+3", "--password-file", "PW", "a"}, "+3"},
        UsageCase{"rounds_with_a_space", {"test", "-n", " 3", "--password-file", "PW", "a"}, " 3"},
        UsageCase{
            "rounds_out_of_int", {"test", "-n", "4294967297", "--password-file", "PW", "a"}, "4294967297"},
        UsageCase{
            "stdout_for_encrypt", {"encrypt", "-o", "-", "--password-file", "PW", "a"}, "decrypt でだけ"},
        UsageCase{"stdout_for_wrap", {"wrap", "-o", "-", "a"}, "decrypt でだけ"},
        UsageCase{"stdout_for_extract", {"extract", "-o", "-", "a"}, "decrypt でだけ"},
        UsageCase{"output_with_two_files", {"wrap", "-o", "out", "a", "b"}, "-o は FILE が一つ"},
        UsageCase{"output_with_recursive",
                  {"decrypt", "-r", "-o", "out", "--password-file", "PW", "a"},
                  "-o は FILE が一つ"},
        UsageCase{"output_and_output_dir", {"wrap", "-o", "out", "-d", "dir", "a"}, "-o と -d"},
        UsageCase{"name_with_two_files",
                  {"encrypt", "--name", "n", "--password-file", "PW", "a", "b"},
                  "--name は FILE が一つ"},
        UsageCase{"empty_extension", {"extract", "--ext", "", "a"}, "--ext"},
        UsageCase{"extension_with_slash", {"extract", "--ext", "x/y", "a"}, "--ext"},
        UsageCase{"extension_only_a_dot", {"extract", "--ext", ".", "a"}, "--ext"},
        UsageCase{"extension_with_nul", {"extract", "--ext", std::string("j\0pg", 4), "a"}, "NUL"},
        UsageCase{"file_with_nul", {"wrap", std::string("a\0b", 3)}, "NUL"},
        UsageCase{"find_settings_with_inkey",
                  {"decrypt", "--find-settings", "-k", "1", "--password-file", "PW", "a"},
                  "--find-settings と -k"},
        UsageCase{"find_settings_with_rounds",
                  {"test", "--find-settings", "-n", "2", "--password-file", "PW", "a"},
                  "--find-settings と -k"},
        UsageCase{"stdin_as_file", {"decrypt", "--password-file", "PW", "-"}, "./-"},
        UsageCase{"option_of_another_command", {"test", "-o", "out", "--password-file", "PW", "a"}, "-o"},
        UsageCase{"password_on_command_line", {"decrypt", "--password", "pw", "a"}, "--password"},
        UsageCase{"no_command", {}, "使い方が正しくありません"},
        UsageCase{"unknown_command", {"compress", "a"}, "compress"}, UsageCase{"no_file", {"wrap"}, "FILE"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CommandLine, TakesNegativeNumbersAndTheLongForms) {
    const auto line = cli::ParseCommandLine({"decrypt", "-k", "-3", "--rounds=30", "--no-stored-name", "-f",
                                             "-q", "--password-file", "p", "--", "-x.qivg"});
    ASSERT_TRUE(line.options) << line.err;
    EXPECT_EQ(line.options->command, cli::Command::Decrypt);
    EXPECT_EQ(line.options->inKey, -3);
    EXPECT_EQ(line.options->rounds, 30);
    EXPECT_TRUE(line.options->noStoredName && line.options->force && line.options->quiet);
    EXPECT_EQ(line.options->passwordFile, "p");
    EXPECT_EQ(line.options->files, std::vector<std::string>{"-x.qivg"});
}

// The numbers are decimal whatever their leading zeros, as the window's spin boxes show them.
TEST(CommandLine, NumbersAreDecimal) {
    const auto line = cli::ParseCommandLine({"test", "-k", "-07", "-n", "010", "--password-file", "p", "f"});
    ASSERT_TRUE(line.options) << line.err;
    EXPECT_EQ(line.options->inKey, -7);
    EXPECT_EQ(line.options->rounds, 10);
    const auto bounds = cli::ParseCommandLine({"test", "-k", "-10", "-n", "30", "--password-file", "p", "f"});
    ASSERT_TRUE(bounds.options) << bounds.err;
    EXPECT_EQ(bounds.options->inKey, -10);
    EXPECT_EQ(bounds.options->rounds, 30);
}

TEST(CommandLine, ExtensionLosesOneLeadingDot) {
    const std::pair<const char*, const char*> cases[] = {{".jpg", "jpg"}, {"jpg", "jpg"}, {"..x", ".x"}};
    for (const auto& [given, kept] : cases) {
        const auto line = cli::ParseCommandLine({"extract", "--ext", given, "f"});
        ASSERT_TRUE(line.options) << line.err;
        EXPECT_EQ(line.options->extension, kept) << given;
    }
}

TEST(CommandLine, VersionIsTheProjects) {
    Cli cli;
    const CliRun run = cli.Run({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("qivg (angoka) ") + ANGOKA_VERSION + "\n");
}

// Every option a command takes, as the manual pages and scripts spell it.
const std::map<std::string, std::vector<std::string>> kOptionsOf = {
    {"encrypt",
     {"-k,--inkey", "-n,--rounds", "--name", "-o,--output", "-d,--output-dir", "-r,--recursive", "-f,--force",
      "-q,--quiet", "--password-file", "-h,--help"}},
    {"decrypt",
     {"-k,--inkey", "-n,--rounds", "--no-stored-name", "-o,--output", "-d,--output-dir", "-r,--recursive",
      "-f,--force", "-q,--quiet", "--password-file", "--find-settings", "-h,--help"}},
    {"test",
     {"-k,--inkey", "-n,--rounds", "-r,--recursive", "-q,--quiet", "--password-file", "--find-settings",
      "-h,--help"}},
    {"wrap", {"-o,--output", "-d,--output-dir", "-r,--recursive", "-f,--force", "-q,--quiet", "-h,--help"}},
    {"extract",
     {"--ext", "-o,--output", "-d,--output-dir", "-r,--recursive", "-f,--force", "-q,--quiet", "-h,--help"}},
};

TEST(CommandLine, EachCommandsHelpNamesEachOfItsOptions) {
    for (const auto& [command, options] : kOptionsOf) {
        Cli cli;
        const CliRun run = cli.Run({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_NE(run.out.find("qivg " + command + " [オプション] FILE..."), std::string::npos) << run.out;
        for (const std::string& option : options) {
            EXPECT_NE(run.out.find("  " + option + " "), std::string::npos) << command << " " << option;
        }
    }
}

TEST(CommandLine, HelpNamesTheCommandsExitStatusesAndWhatTheFormatIsNot) {
    Cli cli;
    const CliRun run = cli.Run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const auto& entry : kOptionsOf) EXPECT_NE(run.out.find("  " + entry.first + " "), std::string::npos);
    for (const char* status : {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  130 "}) {
        EXPECT_NE(run.out.find(status), std::string::npos) << status;
    }
    EXPECT_NE(run.out.find("--version"), std::string::npos);
    EXPECT_NE(run.out.find("現代的な暗号ではありません"), std::string::npos);
    EXPECT_NE(run.out.find("age や GnuPG"), std::string::npos);
}

// The help is what the golden files in tests/cli/golden hold, byte for byte, so that a change to
// it is seen and the manual pages and the README are brought along. ANGOKA_UPDATE_GOLDEN=1 writes
// them anew from the help as it is.
TEST(CommandLine, HelpIsTheGoldenFiles) {
    const bool update = std::getenv("ANGOKA_UPDATE_GOLDEN") != nullptr;
    for (const std::string command : {"", "encrypt", "decrypt", "test", "wrap", "extract"}) {
        SCOPED_TRACE(command);
        Cli cli;
        const CliRun run = cli.Run(command.empty() ? std::vector<std::string>{"--help"}
                                                   : std::vector<std::string>{command, "--help"});
        ASSERT_EQ(run.status, 0);
        const fs::path golden =
            fs::path(ANGOKA_GOLDEN_DIR) / ("help-" + (command.empty() ? "qivg" : command) + ".txt");
        if (update) WriteFile(golden, run.out);
        EXPECT_EQ(run.out, ReadFileIfAny(golden).value_or("(no golden file)"));
    }
}

}  // namespace
}  // namespace angoka::testing
