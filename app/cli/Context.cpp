#include "Commands.h"
#include "ExitStatus.h"

namespace angoka::cli {

Progress Context::ProgressFor(const FileJob& job) {
    progressLine.Start(Shown(job.input.filename().native()));
    Progress progress;
    progress.report = [this](std::uint64_t done, std::uint64_t total) { progressLine.Report(done, total); };
    progress.cancel = &cancel;
    return progress;
}

WriteOptions Context::Writing() const {
    WriteOptions writing = writeHooks_;
    writing.replace = options.force;
    return writing;
}

bool Context::PrepareOutput(const FileJob& job, const std::filesystem::path& output) {
    namespace fs = std::filesystem;
    if (const std::string refusal = guard_.Refusal(job.input, output); !refusal.empty()) {
        Fail(job.input, kExitFailure, refusal);
        return false;
    }
    std::error_code ec;
    if (!options.force && fs::exists(fs::symlink_status(output, ec))) {
        Finish(job, {Outcome::DestinationExists, output, {}});
        return false;
    }
    for (fs::path folder = output.parent_path(); !folder.empty() && !fs::exists(folder, ec);
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
        const std::filesystem::path& named = result.path.empty() ? job.input : result.path;
        return Fail(named, ExitStatusFor(result.outcome), MessageFor(result) + addition);
    }
    progressLine.Clear();
    reporter.Success();
    madeFolders_.clear();
}

void Context::FinishWrite(const FileJob& job, const std::filesystem::path& output, const Result& result,
                          const std::string& addition) {
    if (result.ok()) guard_.Written(output);
    Finish(job, result, addition);
}

void Context::Fail(const std::filesystem::path& named, int status, std::string_view message) {
    progressLine.Clear();
    reporter.Failure(named, status, message);
    std::error_code ec;
    for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
        std::filesystem::remove(*folder, ec);  // only while empty
    }
    madeFolders_.clear();
}

}  // namespace angoka::cli
