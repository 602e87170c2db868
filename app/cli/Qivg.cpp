#include "Qivg.h"

#include "CliMessages.h"
#include "Commands.h"
#include "Errors.h"
#include "ExitStatus.h"
#include "FormatRules.h"
#include "Messages.h"
#include "Password.h"
#include "QivgCodec.h"
#include "RunError.h"
#include "SourceFile.h"
#include "Utf.h"

namespace angoka::cli {
namespace fs = std::filesystem;
namespace {

// What a command takes from a folder walked with -r: decrypt and test the .qivg files,
// extract the .bmp ones; encrypt and wrap everything else, so a second run over the same
// tree does not wrap its own outputs again.
bool TakesFromFolder(Command command, const fs::path& file) {
    const std::string name = file.filename().native();
    switch (command) {
        case Command::Encrypt:
            return !HasExtension(name, kQivgExtension);
        case Command::Decrypt:
        case Command::Test:
            return HasExtension(name, kQivgExtension);
        case Command::Wrap:
            return !HasExtension(name, kBmpExtension);
        case Command::Extract:
            return HasExtension(name, kBmpExtension);
    }
    return false;
}

// Refuses, before anything is asked or written, what cannot work for any file.
void CheckBeforeStart(const Options& options, const Console& console) {
    if (options.ToStandardOutput() && console.outIsTerminal)
        throw RunError{kExitUsage, std::string(kStdoutIsTerminal)};
    if (options.name) {
        if (const Outcome check = CheckStoredName(FromUtf8(*options.name)); check != Outcome::Ok) {
            throw RunError{kExitUsage, ToUtf8(OutcomeText(check))};
        }
    }
}

// Whether `folder` is, or is in, one of the kernel's own trees, where a name such as
// /dev/stdin stands for a stream and the folder is no place for a file of the user's. /dev/shm
// is an ordinary place for files.
bool IsSystemFolder(const fs::path& folder) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, ec).lexically_normal();
    auto part = absolute.begin();
    if (ec || part == absolute.end() || *part++ != "/" || part == absolute.end()) return false;
    const fs::path top = *part++;
    const bool shm = top == "dev" && part != absolute.end() && *part == "shm";
    return (top == "dev" && !shm) || top == "proc" || top == "sys";
}

// Whether the file's output would go beside it in such a tree, with no -o or -d to say where.
bool OutputInSystemFolder(const Options& options, const FileJob& job) {
    return options.command != Command::Test && !options.output && !options.outputDir &&
           IsSystemFolder(job.outputFolder);
}

// Refuses an input that is no file, or whose output has no place, before the command looks at it.
bool CheckInput(Context& context, const FileJob& job) {
    if (job.listError) {
        context.Finish(job, {Outcome::IoError, job.input, job.listError});
        return false;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(job.input, ec);
    if (fs::is_directory(status)) {
        context.Fail(job.input, kExitFailure, kIsFolder);
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        context.Fail(job.input, kExitFailure, kNotRegularFile);  // a FIFO, device or socket
        return false;
    }
    if (!fs::is_regular_file(status)) {
        const bool unreadable = ec && ec != std::errc::no_such_file_or_directory;
        context.Finish(job, unreadable ? Result{Outcome::IoError, job.input, ec}
                                       : Result{Outcome::SourceMissing, job.input, {}});
        return false;
    }
    if (OutputInSystemFolder(context.options, job)) {
        context.Fail(job.input, kExitFailure, kSystemFolderNeedsOutput);
        return false;
    }
    return true;
}

void RunOne(Context& context, const FileJob& job) {
    if (!CheckInput(context, job)) return;
    switch (context.options.command) {
        case Command::Encrypt:
            return EncryptOne(context, job);
        case Command::Decrypt:
            return DecryptOne(context, job);
        case Command::Test:
            return TestOne(context, job);
        case Command::Wrap:
            return WrapOne(context, job);
        case Command::Extract:
            return ExtractOne(context, job);
    }
}

int RunFiles(const Options& options, const Console& console, Reporter& reporter,
             const std::atomic<bool>& cancel, const WriteOptions& writeHooks) {
    CheckBeforeStart(options, console);
    const std::vector<FileJob> jobs = ListFiles(
        {options.files, options.recursive, options.outputDir,
         [command = options.command](const fs::path& file) { return TakesFromFolder(command, file); }});
    if (jobs.empty()) return kExitOk;  // an empty folder under -r: nothing to do

    ProgressLine progressLine(console.err, console.errIsTerminal && !options.quiet);
    std::u16string password =
        options.NeedsPassword() ? ReadPassword(options, console, cancel) : std::u16string();
    Context context{options, console, reporter, progressLine, cancel, std::move(password), jobs, writeHooks};
    for (const FileJob& job : jobs) {
        if (cancel.load()) break;
        RunOne(context, job);
    }
    if (cancel.load()) {
        if (!reporter.Interrupted()) reporter.RunMessage(ToUtf8(kCancelled));
        return kExitInterrupted;
    }
    reporter.Summary();
    return reporter.Status();
}

}  // namespace

int RunQivg(const std::vector<std::string>& args, const Console& console, const std::atomic<bool>& cancel,
            const WriteOptions& writeHooks) {
    const CommandLine line = ParseCommandLine(args);
    Reporter reporter(console, line.options && line.options->quiet);
    if (!line.options) {
        // Help and version on standard output; a usage error on standard error.
        const std::error_code written = WriteText(console.out, line.out);
        WriteText(console.err, line.err);
        if (!written) return line.status;
        reporter.RunMessage(StandardOutputFailedText(written));
        return kExitFailure;
    }
    try {
        return RunFiles(*line.options, console, reporter, cancel, writeHooks);
    } catch (const RunError& error) {
        reporter.RunMessage(error.what());
        return error.status;
    } catch (const FileError& error) {  // what a command let through, as its outcome says it
        reporter.RunMessage(MessageFor(IoFailure(error)));
        return ExitStatusFor(IoFailure(error).outcome);
    } catch (const CharsetError&) {
        reporter.RunMessage(ToUtf8(OutcomeText(Outcome::CharsetUnavailable)));
        return ExitStatusFor(Outcome::CharsetUnavailable);
    }
}

}  // namespace angoka::cli
