#pragma once
// One function per command, each doing its job on one file and telling the Reporter how it
// went. RunQivg reads the options and the password once and calls them file by file.
#include <atomic>
#include <filesystem>
#include <string>

#include "CodecTypes.h"
#include "CommandLine.h"
#include "Console.h"
#include "ConsoleRunTime.h"
#include "FileList.h"
#include "ProgressLine.h"
#include "Reporter.h"

namespace angoka::cli {

// What every command needs for its files.
struct Context {
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
    // Makes the output's folder and refuses an output that exists without -f, before the
    // codec does (it checks again as it puts the file in place): a batch skips such a file
    // without reading it.
    Result PrepareOutput(const std::filesystem::path& output) const;
    // Reports `result` for `job`: a success, or a failure with `addition` after its message.
    void Finish(const FileJob& job, const Result& result, const std::string& addition = {});
};

void EncryptOne(Context& context, const FileJob& job);
void DecryptOne(Context& context, const FileJob& job);
void TestOne(Context& context, const FileJob& job);
void WrapOne(Context& context, const FileJob& job);
void ExtractOne(Context& context, const FileJob& job);

}  // namespace angoka::cli
