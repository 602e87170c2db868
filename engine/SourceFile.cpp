#include "SourceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "Errors.h"

namespace angoka {

SourceFile::~SourceFile() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::function<void()>& ReadHook() {
    static std::function<void()> hook;
    return hook;
}

}  // namespace

Result SourceFile::Open(const std::filesystem::path& path) {
    path_ = path;
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {Outcome::SourceMissing, path, {}};
        return {Outcome::IoError, path, SystemError(errno)};
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return {Outcome::IoError, path, SystemError(errno)};
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return {Outcome::SourceMissing, path, {}};
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    mode_ = static_cast<unsigned>(info.st_mode & 07777);
    device_ = info.st_dev;
    inode_ = info.st_ino;
    modified_ = info.st_mtim;
    changed_ = info.st_ctim;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return {};
}

void SetSourceReadHookForTesting(std::function<void()> hook) {
    ReadHook() = std::move(hook);
}

std::size_t SourceFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
    if (ReadHook()) ReadHook()();
    if (offset >= size_) return 0;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd_, static_cast<char*>(data) + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(path_, "read", SystemError(errno));
        if (got == 0) throw FileError(path_, "read", Errc::SourceChanged);
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void SourceFile::CheckUnchanged() const {
    struct stat now {};
    struct stat atPath {};
    // The change time too: a rewrite in place at the same size whose modification time was put
    // back (touch -r) still moves it, and nobody can set it.
    const bool same = ::fstat(fd_, &now) == 0 && static_cast<std::uint64_t>(now.st_size) == size_ &&
                      SameTime(now.st_mtim, modified_) && SameTime(now.st_ctim, changed_) &&
                      ::stat(path_.c_str(), &atPath) == 0 && atPath.st_dev == device_ &&
                      atPath.st_ino == inode_;
    if (!same) throw FileError(path_, "read", Errc::SourceChanged);
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

}  // namespace angoka
