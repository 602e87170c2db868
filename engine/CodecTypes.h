#pragma once
// What the streaming file operations share: their outcomes, progress and cancel, and the
// way they open their output.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "AtomicFile.h"

namespace angoka {

enum class Outcome {
    Ok,
    SourceMissing,       // no file at the source path (a folder, device or FIFO does not count)
    TooShort,            // .qivg: fewer than n + 4 bytes
    WrongPassword,       // .qivg: password line differs, or fewer than two line ends
    ErrorPayload,        // .qivg: the password matched but the payload is exactly "Error"
    NotQivg,             // .qivg: the payload does not begin with the format marker
    Truncated,           // .qivg: the envelope's last line has no line end
    OddLength,           // .qivg: the content has an odd number of digits
    BadHex,              // .qivg: a content pair is not two hex digits
    BmpTooShort,         // BMP extract: fewer than 118 bytes
    NoStem,              // BMP: the path has no "."
    EmptyPassword,       // encrypt: no password
    UnstorablePassword,  // encrypt: a character with no narrow form, or a CR or LF
    PasswordTooLong,     // encrypt: more characters than kPasswordLimit
    UnstorableName,      // encrypt: a stored name with a CR or LF, or too long to be read back
    TooFewRounds,        // encrypt: fewer than the envelope's three round keys
    CharsetUnavailable,  // the system cannot convert to or from the narrow character set
    DestinationIsFolder,
    DestinationExists,   // the output exists and replacing it was not allowed
    DestinationNotFile,  // the output is a device, FIFO or socket
    IoError,             // see Result::path and Result::error
    Cancelled,
    InternalError,  // a fault of the program itself, not of the files or the user
};

struct Result {
    Outcome outcome = Outcome::Ok;
    std::filesystem::path path;  // the file concerned
    std::error_code error;       // why, for IoError: errno (generic category) or an Errc
    bool ok() const { return outcome == Outcome::Ok; }
    std::string reason() const { return error ? error.message() : std::string(); }
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

// A buffer for chunks of a file of `size` bytes: a chunk, or less for a small file, so that a
// batch of small files does not fill megabytes for each.
inline std::size_t ChunkFor(std::uint64_t size) {
    return static_cast<std::size_t>(std::clamp<std::uint64_t>(size, 1, kChunkSize));
}

}  // namespace angoka
