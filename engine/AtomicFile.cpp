#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "Errors.h"

namespace angoka {
namespace {

std::error_code Reason(int error) { return SystemError(error); }

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    const auto parent = file.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// A fresh name beside the destination, hidden, that no other writer picks.
std::filesystem::path TemporaryName(const std::filesystem::path& destination) {
    static thread_local std::mt19937_64 generator(std::random_device{}());
    std::string name = ".";
    name += destination.filename().string();
    name += ".angoka-";
    name += std::to_string(generator() % 1000000000ULL);
    name += ".tmp";
    return FolderOf(destination) / name;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path destination, Options options)
    : destination_(std::move(destination)), options_(std::move(options)) {
    std::error_code ec;
    if (std::filesystem::is_directory(destination_, ec) || destination_.filename().empty()) {
        throw FileError(destination_, "write", Reason(EISDIR));
    }
    if (!options_.writer) options_.writer = [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); };
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryName(destination_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        throw FileError(destination_, "create", Reason(error));
    }
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = options_.writer(fd_, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw FileError(destination_, "write", Reason(written < 0 ? errno : ENOSPC));
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void AtomicFile::Commit() {
    if (options_.durable && ::fdatasync(fd_) != 0) throw FileError(destination_, "write", Reason(errno));
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        Discard();
        throw FileError(destination_, "write", Reason(error));
    }
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        const int error = errno;
        Discard();
        throw FileError(destination_, "replace", Reason(error));
    }
    temporary_.clear();
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path, "read", Reason(errno));
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw FileError(path, "read", Reason(error));
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    WriteOptions options;
    options.replace = true;
    AtomicFile file(path, options);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace angoka
