#pragma once
// The file helpers every suite uses: a scratch folder of its own per test, whole files written
// and read back, the names in a folder, another working folder for a while, and deterministic
// bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Paths.h"

namespace angoka::testing {

namespace fs = std::filesystem;

// The names in a folder (not below it), hidden ones included.
inline std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Every path in a folder and below it, relative to it ("sub/a.txt"); links are not followed.
inline std::set<std::string> TreeIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

// The running test's name as a scratch folder's name takes it ("Suite-Test"), with no dot: the
// window's BMP names cut back to the last dot of the whole path, which must never be one of the
// folder's. Defined with GoogleTest, which the fuzzers do without.
std::string CurrentTestTag();

// A fresh folder for one test, named after it and unique, removed with everything in it when the
// test ends. Whatever a test writes stays in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (fs::temp_directory_path() / ("angoka-" + CurrentTestTag() + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }
    // A path inside the folder as the engine and the window take it.
    std::u16string PathText(std::string_view name) const { return TextFromPath(path_ / name); }
    std::u16string PathText() const { return TextFromPath(path_); }
    // The names in the folder, to show that nothing (no temporary file either) was left behind.
    std::set<std::string> Names() const { return NamesIn(path_); }

private:
    fs::path path_;
};

// Writes `bytes` as the whole file, creating or truncating it.
inline void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The whole file; nothing when it cannot be read (there is none).
inline std::optional<std::string> ReadFileIfAny(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole file, which must be there.
inline std::string ReadFile(const fs::path& path) {
    std::optional<std::string> bytes = ReadFileIfAny(path);
    if (!bytes) throw std::runtime_error("cannot read " + path.string());
    return *bytes;
}

// Runs in another working folder until it goes out of scope.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() {
        std::error_code ec;
        fs::current_path(previous_, ec);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

inline bool IsRoot() {
    return ::geteuid() == 0;
}

// Deterministic bytes of every value.
inline std::string RandomBytes(std::size_t size, std::uint32_t seed = 1) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
    return bytes;
}

}  // namespace angoka::testing
