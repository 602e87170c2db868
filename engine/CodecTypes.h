#pragma once
// What the streaming file operations share: their outcomes, progress and cancel, and the
// way they open their output.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "AtomicFile.h"

namespace angoka {

enum class Outcome {
    Ok,
    SourceMissing,      // no file at the source path (a folder does not count)
    TooShort,           // .qivg: fewer than n + 4 bytes
    WrongPassword,      // .qivg: password line differs, payload "Error", or fewer than two line ends
    NotQivg,            // .qivg: the payload does not begin with the format marker
    Truncated,          // .qivg: the envelope's last line has no line end
    OddLength,          // .qivg: the content has an odd number of digits
    BadHex,             // .qivg: a content pair is not two hex digits
    BmpTooShort,        // BMP extract: fewer than 118 bytes
    NoStem,             // BMP: the path has no "."
    DestinationIsFolder,
    IoError,            // see Result::path and Result::reason
    Cancelled,
};

struct Result {
    Outcome outcome = Outcome::Ok;
    std::filesystem::path path;  // the file concerned, for IoError
    std::string reason;          // the system's reason, for IoError
    bool ok() const { return outcome == Outcome::Ok; }
};

// Progress and cancel: `report` gets (bytes done, bytes total) after every chunk; `cancel`
// is checked between chunks. Both may be left empty. Never touches a window.
struct Progress {
    std::function<void(std::uint64_t done, std::uint64_t total)> report;
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    void Report(std::uint64_t done, std::uint64_t total) const {
        if (report) report(done, total);
    }
};

inline constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// How output files are written: tests swap in a failing writer, benchmarks may skip the
// flush to disk to time the work alone.
using OutputOptions = WriteOptions;

}  // namespace angoka
