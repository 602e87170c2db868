#include "Commands.h"

namespace angoka::cli {

Progress Context::ProgressFor(const FileJob& job) {
    progressLine.Start(Shown(job.input.filename().native()));
    Progress progress;
    progress.report = [this](std::uint64_t done, std::uint64_t total) { progressLine.Report(done, total); };
    progress.cancel = &cancel;
    return progress;
}

WriteOptions Context::Writing() const {
    WriteOptions writing;
    writing.replace = options.force;
    return writing;
}

Result Context::PrepareOutput(const std::filesystem::path& output) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!options.force && fs::exists(fs::symlink_status(output, ec)))
        return {Outcome::DestinationExists, output, {}};
    for (fs::path folder = output.parent_path(); !folder.empty() && !fs::exists(folder, ec);
         folder = folder.parent_path()) {
        madeFolders_.insert(madeFolders_.begin(), folder);
        if (folder == folder.parent_path()) break;
    }
    for (const fs::path& folder : madeFolders_) {
        if (!fs::create_directory(folder, ec) && ec) return {Outcome::IoError, folder, ec};
    }
    return {};
}

void Context::Finish(const FileJob& job, const Result& result, const std::string& addition) {
    progressLine.Clear();
    if (result.ok()) {
        reporter.Success();
    } else {
        reporter.Failure(job.input, result, addition);
        std::error_code ec;
        for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
            std::filesystem::remove(*folder, ec);  // only while empty
        }
    }
    madeFolders_.clear();
}

}  // namespace angoka::cli
