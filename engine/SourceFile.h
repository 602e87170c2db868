#pragma once
// A source file read in chunks. It is opened once, without blocking, and its type is checked
// on the descriptor, so a FIFO or device put at the path can never hang a run; the size, the
// modification and change times and the identity taken at opening let a run notice a file that changed
// under it (shrank, grew, was replaced or removed) instead of writing a wrong result.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>

#include "CodecTypes.h"
#include "Errors.h"

namespace angoka {

class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Ok, SourceMissing (nothing there, or not a regular file) or IoError.
    Result Open(const std::filesystem::path& path);
    const std::filesystem::path& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    // The permission bits, which a file made from this one takes over.
    unsigned mode() const { return mode_; }

    // Reads up to `size` bytes at `offset`, never past the size taken at opening; fewer only at
    // that end. A file that ends sooner has shrunk: FileError with Errc::SourceChanged.
    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size) const;
    // Throws FileError with Errc::SourceChanged when the file is no longer the one opened: its
    // size, modification time or change time differ, or the path names another file or none.
    void CheckUnchanged() const;

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    unsigned mode_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    timespec modified_{};
    timespec changed_{};
};

// For tests: `hook` runs before every read of every source file (a test sets its cancel flag
// there, to stop a run between two reads); empty: nothing runs.
void SetSourceReadHookForTesting(std::function<void()> hook);

// The options for an output made from `source`: a new file takes the source's permission
// bits (as gzip and zstd do), unless the caller chose others.
inline WriteOptions WithSourceMode(WriteOptions options, const SourceFile& source) {
    if (!options.newFileMode) options.newFileMode = source.mode() & 0777;
    return options;
}

// The outcome for a failed file operation: DestinationExists, DestinationIsFolder and
// DestinationNotFile for what the output policy refuses, IoError for the rest.
Result IoFailure(const FileError& error);

}  // namespace angoka
