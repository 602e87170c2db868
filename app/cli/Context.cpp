#include "Commands.h"

namespace angoka::cli {

Progress Context::ProgressFor(const FileJob& job) {
    progressLine.Start(job.input.filename().native());
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

Result Context::PrepareOutput(const std::filesystem::path& output) const {
    std::error_code ec;
    if (!options.force && std::filesystem::exists(std::filesystem::symlink_status(output, ec))) {
        return {Outcome::DestinationExists, output, {}};
    }
    const std::filesystem::path folder = output.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return {Outcome::IoError, folder, ec};
    }
    return {};
}

void Context::Finish(const FileJob& job, const Result& result, const std::string& addition) {
    progressLine.Clear();
    if (result.ok()) {
        reporter.Success();
    } else {
        reporter.Failure(job.input, result, addition);
    }
}

}  // namespace angoka::cli
