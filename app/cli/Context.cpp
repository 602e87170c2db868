#include "CliMessages.h"
#include "Commands.h"
#include "ExitStatus.h"

namespace angoka::cli {
namespace fs = std::filesystem;
namespace {

// What an output that exists is refused as without -f. Only a file, or a link that a write
// may follow, is what -f would replace; a folder, a device or a link at a stored name stays
// refused with it too, so their messages do not suggest it.
Outcome ExistingOutput(const Output& output) {
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(output.path, ec);
    if (!fs::exists(own)) return Outcome::Ok;
    if (fs::is_symlink(own) && output.fromStoredName) return Outcome::DestinationNotFile;
    const fs::file_status target = fs::status(output.path, ec);
    if (fs::is_directory(target)) return Outcome::DestinationIsFolder;
    if (fs::exists(target) && !fs::is_regular_file(target)) return Outcome::DestinationNotFile;
    return Outcome::DestinationExists;
}

}  // namespace

Progress Context::ProgressFor(const FileJob& job) {
    progressLine.Start(Printable(job.input.filename().native()));
    Progress progress;
    progress.report = [this](std::uint64_t done, std::uint64_t total) { progressLine.Report(done, total); };
    progress.cancel = &cancel;
    return progress;
}

WriteOptions Context::Writing(const Output& output) const {
    WriteOptions writing = writeHooks_;
    writing.replace = options.force;
    writing.followLinks = !output.fromStoredName;
    return writing;
}

bool Context::PrepareOutput(const FileJob& job, const Output& output) {
    if (const std::string refusal = guard_.Refusal(job.input, output.path); !refusal.empty()) {
        Fail(job.input, kExitFailure, refusal);
        return false;
    }
    if (const Outcome existing = options.force ? Outcome::Ok : ExistingOutput(output);
        existing != Outcome::Ok) {
        FinishWrite(job, output, {existing, output.path, {}});
        return false;
    }
    std::error_code ec;
    // Only -d makes folders, as its help says; a missing folder in -o is more likely a typo.
    const fs::path parent = output.path.parent_path();
    if (!options.outputDir && !parent.empty() && !fs::exists(parent, ec)) {
        Fail(output.path, kExitFailure, kOutputFolderMissing);
        return false;
    }
    for (fs::path folder = parent; !folder.empty() && !fs::exists(folder, ec);
         folder = folder.parent_path()) {
        madeFolders_.insert(madeFolders_.begin(), folder);
        if (folder == folder.parent_path()) break;
    }
    for (const fs::path& folder : madeFolders_) {
        if (!fs::create_directory(folder, ec) && ec) {
            Finish(job, {Outcome::IoError, folder, ec});
            return false;
        }
    }
    return true;
}

void Context::Finish(const FileJob& job, const Result& result, const std::string& addition) {
    if (!result.ok()) {
        const fs::path& named = result.path.empty() ? job.input : result.path;
        return Fail(named, ExitStatusFor(result.outcome), MessageFor(result) + addition);
    }
    progressLine.Clear();
    reporter.Success();
    madeFolders_.clear();
}

void Context::FinishWrite(const FileJob& job, const Output& output, const Result& result) {
    if (result.ok()) guard_.Written(output.path);
    std::error_code ec;
    const bool refusedLink = result.outcome == Outcome::DestinationNotFile && output.fromStoredName &&
                             fs::is_symlink(fs::symlink_status(output.path, ec));
    Finish(job, result, refusedLink ? std::string(kStoredNameLinkNote) : std::string());
}

void Context::Fail(const fs::path& named, int status, std::string_view message) {
    progressLine.Clear();
    reporter.Failure(named, status, message);
    std::error_code ec;
    for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
        fs::remove(*folder, ec);  // only while empty
    }
    madeFolders_.clear();
}

}  // namespace angoka::cli
