#pragma once
// qivg's command line: the commands, their options and the usage checks that need nothing
// but the arguments.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FormatRules.h"
#include "Utf.h"

namespace angoka::cli {

enum class Command { Encrypt, Decrypt, Test, Wrap, Extract };

struct Options {
    Command command = Command::Encrypt;
    std::vector<std::string> files;
    std::int32_t inKey = kDefaultInKey;              // -k
    std::int32_t rounds = kDefaultRounds;            // -n
    std::optional<std::string> name;                 // --name
    bool noStoredName = false;                       // --no-stored-name
    std::optional<std::string> output;               // -o; "-" is standard output
    std::optional<std::string> outputDir;            // -d
    bool recursive = false;                          // -r
    bool force = false;                              // -f
    bool quiet = false;                              // -q
    std::optional<std::string> passwordFile;         // --password-file; "-" is standard input
    bool findSettings = false;                       // --find-settings
    std::string extension = ToUtf8(kQivgExtension);  // --ext

    bool ToStandardOutput() const { return output && *output == "-"; }
    bool NeedsPassword() const { return command != Command::Wrap && command != Command::Extract; }
};

// Either options to run, or a status to end with at once and what to show (help and
// version on standard output, a usage error on standard error).
struct CommandLine {
    std::optional<Options> options;
    int status = 0;
    std::string out;
    std::string err;
};

// `args` without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace angoka::cli
