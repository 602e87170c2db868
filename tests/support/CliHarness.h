#pragma once
// Runs qivg in-process: its standard streams are scratch files (stdin filled beforehand,
// stdout and stderr read back afterwards), each stream can claim to be a terminal, and a
// scripted terminal answers the password prompts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Console.h"
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka::testing {

class ScriptedTerminal : public cli::Terminal {
public:
    bool available = true;
    // One per prompt; nothing: the read fails (as when Ctrl-C interrupts it).
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> prompts;
    std::function<void()> onRead;  // runs as a prompt is read (a test's Ctrl-C)

    bool Available() override { return available; }
    std::optional<std::string> ReadSecret(std::string_view prompt) override;
};

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli {
public:
    std::string stdinBytes;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    bool withTerminal = false;  // whether the scripted terminal is there at all
    int outFd = -1;             // 0 or more: standard output is this descriptor, not read back
    ScriptedTerminal terminal;
    std::atomic<bool> cancel{false};
    WriteOptions writeHooks;  // handed to RunQivg: the fault hooks of every output

    CliRun Run(const std::vector<std::string>& args);
};

// A scratch folder, a Cli and the helpers most tests want.
class CliTest : public ::testing::Test {
protected:
    // Writes `password` and `lineEnd` into a file and returns its path.
    std::string PasswordFile(const std::string& password, const std::string& lineEnd = "\n");
    // `qivg encrypt` of `file` under `password` with -k and -n; expects success.
    void EncryptWithCli(const fs::path& file, const std::string& password, int inKey = 0, int rounds = 1);
    // A .qivg file made by the engine, storing any name.
    void EncryptWithEngine(const fs::path& source, const fs::path& destination,
                           const std::u16string& password, const std::u16string& storedName, int inKey = 0,
                           int rounds = 1);
    std::string Arg(const fs::path& path) const { return path.string(); }

    ScratchFolder dir_;
    Cli cli_;
};

}  // namespace angoka::testing
