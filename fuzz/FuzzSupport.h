#pragma once
// Shared by the fuzz targets and their seed maker: a private scratch folder, the input taken
// apart into settings and data, and a check that stops the run with a finding. Files are
// written and listed with the tests' helpers.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include "Files.h"

namespace angoka::fuzz {

namespace fs = std::filesystem;

// A finding: says what broke and aborts, so libFuzzer keeps the input that did it.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}
inline void Check(bool condition, const char* what) {
    if (!condition) Fail(what);
}

// One folder for the whole run, under $TMPDIR, removed when the process exits normally;
// fuzz/run-fuzz points TMPDIR at a folder of its own, so nothing is left even after a crash.
inline const fs::path& Scratch() {
    // Never destroyed, so the exit handler can still read it.
    static const fs::path& folder = *[] {
        std::string pattern = (fs::temp_directory_path() / "angoka-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
        return new fs::path(pattern);
    }();
    static const bool removedAtExit = std::atexit([] {
                                          std::error_code ec;
                                          fs::remove_all(Scratch(), ec);
                                      }) == 0;
    (void)removedAtExit;
    return folder;
}

// A fresh empty folder inside the scratch folder.
inline fs::path EmptyFolder(const std::string& name) {
    const fs::path folder = Scratch() / name;
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    return folder;
}

using testing::TreeIn;
using testing::WriteFile;

// A file the target did not write reads as empty, which no check expects.
inline std::string ReadBytes(const fs::path& path) {
    return testing::ReadFileIfAny(path).value_or(std::string());
}

// Takes an input apart from the front; what is asked for past its end reads as zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return rest_.empty(); }
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::int32_t Int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= std::uint32_t{Byte()} << (8 * i);
        std::int32_t s;
        std::memcpy(&s, &v, sizeof s);
        return s;
    }
    std::string_view Bytes(std::size_t count) {
        const std::string_view taken = rest_.substr(0, count);
        rest_.remove_prefix(taken.size());
        return taken;
    }
    std::string_view Rest() { return Bytes(rest_.size()); }

private:
    std::string_view rest_;
};

// The same layout written by the seed maker.
inline void PutInt32(std::string& out, std::int32_t value) {
    std::uint32_t v;
    std::memcpy(&v, &value, sizeof v);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace angoka::fuzz
