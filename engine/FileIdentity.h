#pragma once
// Which file a path names, its symbolic links followed, so that a run can tell when two paths
// name one file: an output that is an input, or a file it wrote a moment ago.
#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace angoka {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file at `path`, links followed; nothing when nothing is there (or it cannot be looked at).
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// Whether both paths name one existing file (two names of a hard link included).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace angoka
