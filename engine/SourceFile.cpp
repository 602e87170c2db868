#include "SourceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Errors.h"

namespace angoka {

SourceFile::~SourceFile() {
    if (fd_ >= 0) ::close(fd_);
}

Result SourceFile::Open(const std::filesystem::path& path) {
    path_ = path;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {Outcome::SourceMissing, path, {}};
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return {Outcome::IoError, path, SystemError(errno)};
    size_ = static_cast<std::uint64_t>(info.st_size);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return {};
}

std::size_t SourceFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd_, static_cast<char*>(data) + done, size - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(path_, "read", SystemError(errno));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

Result IoFailure(const FileError& error) {
    const std::error_code& code = error.code();
    Outcome outcome = Outcome::IoError;
    if (code == std::errc::file_exists) {
        outcome = Outcome::DestinationExists;
    } else if (code == std::errc::is_a_directory) {
        outcome = Outcome::DestinationIsFolder;
    } else if (code == Errc::NotRegularFile) {
        outcome = Outcome::DestinationNotFile;
    }
    return {outcome, error.path(), code};
}

Result CheckDestination(const std::filesystem::path& destination) {
    std::error_code ec;
    if (destination.empty() || std::filesystem::is_directory(destination, ec)) {
        return {Outcome::DestinationIsFolder, destination, {}};
    }
    return {};
}

}  // namespace angoka
