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
#include "OutputGuard.h"
#include "ProgressLine.h"
#include "Reporter.h"

namespace angoka::cli {

// Where a file's output goes.
struct Output {
    std::filesystem::path path;
    // The path ends in a name stored inside the file: it names a new file or a file, never a
    // symbolic link, which someone who made the file could have planted there.
    bool fromStoredName = false;
};

// What every command needs for its files.
class Context {
public:
    // `jobs`: every file of the run, none of which it may write over; `writeHooks`: the fault
    // hooks every output is written with (tests only).
    Context(const Options& options, const Console& console, Reporter& reporter, ProgressLine& progressLine,
            const std::atomic<bool>& cancel, std::u16string password, const std::vector<FileJob>& jobs,
            const WriteOptions& writeHooks)
        : options(options),
          console(console),
          reporter(reporter),
          progressLine(progressLine),
          cancel(cancel),
          password(std::move(password)),
          guard_(jobs),
          writeHooks_(writeHooks) {}

    const Options& options;
    const Console& console;
    Reporter& reporter;
    ProgressLine& progressLine;
    const std::atomic<bool>& cancel;
    std::u16string password;
    ConsoleRunTime random;  // draws the round keys

    // Progress for the codec: the line on the terminal and the run's cancel flag.
    Progress ProgressFor(const FileJob& job);
    WriteOptions Writing(const Output& output) const;
    // Refuses an output that the run may not write (an input of the run, or an output it has
    // written), and one that exists without -f before the codec does (it checks again as it
    // puts the file in place), so a batch skips such a file without reading it; then makes
    // the output's folders under -d, and refuses a missing one otherwise. False when `job` was
    // reported as failed.
    bool PrepareOutput(const FileJob& job, const Output& output);
    // Reports `result` for `job`: a success, or a failure with `addition` after its message.
    // A failed file leaves no folder made for it.
    void Finish(const FileJob& job, const Result& result, const std::string& addition = {});
    // Finish for a write to `output`, which no later file of the run may then write again.
    void FinishWrite(const FileJob& job, const Output& output, const Result& result);
    // A failure with a message of qivg's own, `named` being the file concerned.
    void Fail(const std::filesystem::path& named, int status, std::string_view message);
    const OutputGuard& Guard() const { return guard_; }

private:
    OutputGuard guard_;
    WriteOptions writeHooks_;
    std::vector<std::filesystem::path> madeFolders_;  // for the file at work, outermost first
};

void EncryptOne(Context& context, const FileJob& job);
void DecryptOne(Context& context, const FileJob& job);
void TestOne(Context& context, const FileJob& job);
void WrapOne(Context& context, const FileJob& job);
void ExtractOne(Context& context, const FileJob& job);

}  // namespace angoka::cli
