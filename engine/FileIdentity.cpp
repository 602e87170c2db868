#include "FileIdentity.h"

#include <sys/stat.h>

namespace angoka {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    const auto first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

}  // namespace angoka
