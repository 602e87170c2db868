#pragma once
// Writes a file so that the destination is only ever replaced by a complete new one: the
// bytes go to a temporary file beside the destination, which is flushed to disk and renamed
// over it on Commit. Until then the destination is untouched; a file that is never committed
// is removed again.
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>

namespace angoka {

struct WriteOptions {
    // The system call that writes; tests inject one that fails part-way. Empty: write(2).
    std::function<ssize_t(int fd, const void* data, std::size_t size)> writer;
    bool durable = true;  // flush the data to the disk before the rename
};

class AtomicFile {
public:
    using Options = WriteOptions;
    using Writer = decltype(WriteOptions::writer);

    // Refuses a destination that is a folder, then creates the temporary file.
    // Throws FileError.
    explicit AtomicFile(std::filesystem::path destination, Options options = {});
    AtomicFile(std::filesystem::path destination, Writer writer)
        : AtomicFile(std::move(destination), Options{std::move(writer)}) {}
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
// Replaces (or creates) the file with exactly `bytes`, atomically. Throws FileError.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace angoka
