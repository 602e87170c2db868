#pragma once
// Writes a file so that the destination is only ever replaced by a complete new one: the
// bytes go to a temporary file beside the destination, which is flushed to disk and renamed
// over it on Commit. Until then the destination is untouched; a file that is never committed
// is removed again.
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace angoka {

// The one output policy of every file the programs write.
struct WriteOptions {
    // Whether an existing destination may be replaced. Without consent an existing file is
    // never touched: the write ends in DestinationExists, checked atomically when the file is
    // put in place (no check-then-write race).
    bool replace = false;
    // A file that replaces another is flushed to disk before it is put in place, and its
    // folder after; a new file replaces nothing and is flushed only with flushNew (the
    // window, whose users may delete the original as soon as they read that it is done).
    bool flushNew = false;
    bool durable = true;  // false: never flush (benchmarks time the work alone)
    // Permission bits of a new file; unset: 0666 less the umask. A replaced file keeps its own.
    std::optional<unsigned> newFileMode{};

    // Fault hooks for tests: the system calls that write and flush. Empty: write(2), fdatasync(2).
    std::function<ssize_t(int fd, const void* data, std::size_t size)> writer{};
    std::function<int(int fd)> flusher{};
};

class AtomicFile {
public:
    using Options = WriteOptions;

    // Refuses a destination that is a folder, then creates the temporary file.
    // Throws FileError.
    explicit AtomicFile(std::filesystem::path destination, Options options = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const void* data, std::size_t size);  // throws FileError
    void Commit();                                   // throws FileError
    // Removes the temporary file now (the destructor does it too).
    void Discard() noexcept;

    const std::filesystem::path& destination() const { return destination_; }
    const std::filesystem::path& temporaryPath() const { return temporary_; }

private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    Options options_;
    int fd_ = -1;
};

// The whole content of a regular file. Throws FileError.
std::string ReadWholeFile(const std::filesystem::path& path);
// Replaces (or creates) the file with exactly `bytes`, atomically: the cipher object's
// SaveBin, which replaces by design. Throws FileError.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace angoka
