#include "CliHarness.h"

#include <unistd.h>

#include "ConsoleRunTime.h"
#include "FormatRules.h"
#include "Qivg.h"

namespace angoka::testing {
namespace {

// A scratch file that goes away when closed.
class StreamFile {
public:
    StreamFile() : file_(std::tmpfile()) {}
    ~StreamFile() {
        if (file_) std::fclose(file_);
    }
    StreamFile(const StreamFile&) = delete;
    StreamFile& operator=(const StreamFile&) = delete;

    int fd() const { return ::fileno(file_); }
    void Fill(const std::string& bytes) {
        cli::WriteText(fd(), bytes);
        ::lseek(fd(), 0, SEEK_SET);
    }
    std::string Contents() const {
        std::string bytes;
        char buffer[65536];
        ::lseek(fd(), 0, SEEK_SET);
        for (ssize_t got; (got = ::read(fd(), buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<std::size_t>(got));
        return bytes;
    }

private:
    std::FILE* file_;
};

}  // namespace

std::optional<std::string> ScriptedTerminal::ReadSecret(std::string_view prompt) {
    prompts.emplace_back(prompt);
    if (onRead) onRead();
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
}

CliRun Cli::Run(const std::vector<std::string>& args) {
    StreamFile in, out, err;
    in.Fill(stdinBytes);
    cli::Console console;
    console.in = in.fd();
    console.out = outFd >= 0 ? outFd : out.fd();
    console.err = err.fd();
    console.inIsTerminal = inIsTerminal;
    console.outIsTerminal = outIsTerminal;
    console.errIsTerminal = errIsTerminal;
    console.terminal = withTerminal ? &terminal : nullptr;
    CliRun run;
    run.status = cli::RunQivg(args, console, cancel, writeHooks);
    run.out = out.Contents();
    run.err = err.Contents();
    return run;
}

std::string CliTest::PasswordFile(const std::string& password, const std::string& lineEnd) {
    const fs::path path = dir_ / "password.txt";
    WriteFile(path, password + lineEnd);
    return path.string();
}

void CliTest::EncryptWithCli(const fs::path& file, const std::string& password, int inKey, int rounds) {
    const std::string passwordFile = (dir_ / "encrypt-password.txt").string();
    WriteFile(passwordFile, password + "\n");
    const CliRun run = cli_.Run({"encrypt", "-f", "--password-file", passwordFile, "-k",
                                 std::to_string(inKey), "-n", std::to_string(rounds), file.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    fs::remove(passwordFile);
}

void CliTest::EncryptWithEngine(const fs::path& source, const fs::path& destination,
                                const std::u16string& password, const std::u16string& storedName, int inKey,
                                int rounds) {
    ConsoleRunTime random;
    EncryptRequest request{source, destination, password, storedName, inKey, {}};
    request.rounds = DrawRoundKeys(random, rounds);
    WriteOptions writing;
    writing.replace = true;
    ASSERT_TRUE(EncryptFile(request, {}, writing).ok());
}

}  // namespace angoka::testing
