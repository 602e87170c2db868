#pragma once
// Paths are UTF-16 text in the interfaces and the file system's encoding on disk.
#include <filesystem>
#include <string>

namespace angoka {

inline constexpr char16_t kPathSeparator = u'/';

// True for the characters that separate folders in a path typed here.
constexpr bool IsPathSeparator(char16_t c) {
    return c == kPathSeparator;
}

std::filesystem::path PathFromText(const std::u16string& text);
std::u16string TextFromPath(const std::filesystem::path& path);

// Paths as the user typed them. The characters after the last separator (a path without one
// is all name), and the folder part before them with its trailing separator (empty for a
// path without one).
std::u16string BaseName(const std::u16string& path);
std::u16string FolderOf(const std::u16string& path);

// The folder that holds the running program (falls back to the working folder).
std::filesystem::path ExecutableFolder();

}  // namespace angoka
