#include "Paths.h"

#include "Utf.h"

namespace angoka {

std::filesystem::path PathFromText(const std::u16string& text) {
#ifdef _WIN32
    return std::filesystem::path(text);
#else
    return std::filesystem::path(ToUtf8(text));
#endif
}

std::u16string TextFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.u16string();
#else
    return FromUtf8(path.native());
#endif
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return self.parent_path();
}

}  // namespace angoka
