#pragma once
// A source file read in chunks, with its size taken once at opening (64-bit).
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "CodecTypes.h"
#include "Errors.h"

namespace angoka {

class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Ok, SourceMissing (nothing there, or a folder) or IoError.
    Result Open(const std::filesystem::path& path);
    std::uint64_t size() const { return size_; }
    // Reads up to `size` bytes at `offset`; fewer only at the end of the file. Throws FileError.
    std::size_t ReadAt(std::uint64_t offset, void* data, std::size_t size);

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The outcome for a failed file operation: DestinationExists, DestinationIsFolder and
// DestinationNotFile for what the output policy refuses, IoError for the rest.
Result IoFailure(const FileError& error);
// DestinationIsFolder when `destination` names a folder, else Ok.
Result CheckDestination(const std::filesystem::path& destination);

}  // namespace angoka
