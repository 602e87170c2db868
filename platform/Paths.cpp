#include "Paths.h"

#include "Utf.h"

namespace angoka {

std::filesystem::path PathFromText(const std::u16string& text) {
    return std::filesystem::path(ToUtf8(text));
}

std::u16string TextFromPath(const std::filesystem::path& path) {
    return FromUtf8(path.native());
}

namespace {

std::size_t AfterLastSeparator(const std::u16string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
    return start;
}

}  // namespace

std::u16string BaseName(const std::u16string& path) {
    return path.substr(AfterLastSeparator(path));
}

std::u16string FolderOf(const std::u16string& path) {
    return path.substr(0, AfterLastSeparator(path));
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return self.parent_path();
}

}  // namespace angoka
