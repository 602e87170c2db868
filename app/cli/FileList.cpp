#include "FileList.h"

#include <algorithm>

namespace angoka::cli {
namespace fs = std::filesystem;
namespace {

class Walker {
public:
    Walker(const FileListRequest& request, std::vector<FileJob>& jobs) : request_(request), jobs_(jobs) {}

    void Walk(const fs::path& folder, const fs::path& relative) {
        std::vector<fs::path> files, folders;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_symlink(typeError)) continue;
            if (it->is_directory(typeError)) {
                folders.push_back(it->path());
            } else if (it->is_regular_file(typeError) && request_.takes(it->path())) {
                files.push_back(it->path());
            }
        }
        if (ec) {
            jobs_.push_back({folder, {}, ec});
            return;
        }
        std::sort(files.begin(), files.end());
        std::sort(folders.begin(), folders.end());
        for (const fs::path& file : files) jobs_.push_back({file, OutputFolder(folder, relative), {}});
        for (const fs::path& sub : folders) Walk(sub, relative / sub.filename());
    }

    fs::path OutputFolder(const fs::path& folder, const fs::path& relative) const {
        if (!request_.outputDir) return folder;
        return relative.empty() ? fs::path(*request_.outputDir) : fs::path(*request_.outputDir) / relative;
    }

private:
    const FileListRequest& request_;
    std::vector<FileJob>& jobs_;
};

}  // namespace

std::vector<FileJob> ListFiles(const FileListRequest& request) {
    std::vector<FileJob> jobs;
    Walker walker(request, jobs);
    for (const std::string& file : request.files) {
        const fs::path path(file);
        std::error_code ec;
        if (request.recursive && fs::is_directory(path, ec)) {
            walker.Walk(path, {});
        } else {
            jobs.push_back({path, walker.OutputFolder(path.parent_path(), {}), {}});
        }
    }
    return jobs;
}

}  // namespace angoka::cli
