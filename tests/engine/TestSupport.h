#pragma once
// Helpers shared by the engine tests: a scratch folder per test, whole-file helpers, and
// the draws that make a scripted round pick a given offset and decoy digit.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "FakeRunTime.h"
#include "Paths.h"
#include "Utf.h"

namespace angoka::test {

// The names in a folder, sorted (hidden ones included).
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A fresh folder, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "angoka-engine-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // A path inside the folder as the engine takes it.
    std::u16string PathText(std::string_view name) const { return TextFromPath(path_ / name); }
    std::u16string PathText() const { return TextFromPath(path_); }

    // The names in the folder, sorted (hidden ones included).
    std::vector<std::string> Names() const { return NamesIn(path_); }

private:
    std::filesystem::path path_;
};

// Runs in another working folder until it goes out of scope.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text from a UTF-8 literal.
inline std::u16string Utf16(std::string_view utf8) {
    return FromUtf8(utf8);
}

// Draws u with floor(u * 14) + 1 == offset and floor(u * 15) + 1 == decoy.
constexpr double OffsetDraw(int offset) {
    return (offset - 0.5) / 14;
}
constexpr double DecoyDraw(int decoy) {
    return (decoy - 0.5) / 15;
}

// Scripts the next round: a round draws its offset first, then its decoy digit.
inline void ScriptRound(FakeRunTime& services, int offset, int decoy) {
    services.draws.push_back(OffsetDraw(offset));
    services.draws.push_back(DecoyDraw(decoy));
}

inline bool IsRoot() {
    return ::geteuid() == 0;
}

}  // namespace angoka::test
