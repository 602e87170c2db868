#pragma once
// One function per command, each doing its job on one file and telling the Reporter how it
// went. RunQivg reads the options and the password once and calls them file by file.
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "CodecTypes.h"
#include "CommandLine.h"
#include "Console.h"
#include "ConsoleRunTime.h"
#include "FileList.h"
#include "ProgressLine.h"
#include "Reporter.h"

namespace angoka::cli {

// What every command needs for its files.
class Context {
public:
    Context(const Options& options, const Console& console, Reporter& reporter, ProgressLine& progressLine,
            const std::atomic<bool>& cancel, std::u16string password)
        : options(options),
          console(console),
          reporter(reporter),
          progressLine(progressLine),
          cancel(cancel),
          password(std::move(password)) {}

    const Options& options;
    const Console& console;
    Reporter& reporter;
    ProgressLine& progressLine;
    const std::atomic<bool>& cancel;
    std::u16string password;
    ConsoleRunTime random;  // draws the round keys

    // Progress for the codec: the line on the terminal and the run's cancel flag.
    Progress ProgressFor(const FileJob& job);
    WriteOptions Writing() const;
    // Refuses an output that exists without -f before the codec does (it checks again as it
    // puts the file in place), so a batch skips such a file without reading it; then makes
    // the output's folder.
    Result PrepareOutput(const std::filesystem::path& output);
    // Reports `result` for `job`: a success, or a failure with `addition` after its message.
    // A failed file leaves no folder made for it.
    void Finish(const FileJob& job, const Result& result, const std::string& addition = {});

private:
    std::vector<std::filesystem::path> madeFolders_;  // for the file at work, outermost first
};

void EncryptOne(Context& context, const FileJob& job);
void DecryptOne(Context& context, const FileJob& job);
void TestOne(Context& context, const FileJob& job);
void WrapOne(Context& context, const FileJob& job);
void ExtractOne(Context& context, const FileJob& job);

}  // namespace angoka::cli
