#include "AtomicFile.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <string>

#include "Errors.h"
#include "SystemIo.h"

namespace angoka {
namespace {

constexpr int kMaxLinks = 40;             // as many as the kernel follows in one lookup
constexpr mode_t kPermissionBits = 0777;  // set-user-ID, set-group-ID and sticky never carry over
constexpr mode_t kWhileWritten = 0600;    // nobody else reads a file that is being written

[[noreturn]] void Fail(const std::filesystem::path& path, const char* action, int error) {
    throw FileError(path, action, SystemError(error));
}

std::filesystem::path ParentFolder(const std::filesystem::path& file) {
    const auto parent = file.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// What the destination names once its symbolic links are followed.
struct Target {
    std::filesystem::path path;
    std::optional<struct stat> info;  // empty: nothing there yet
    bool throughLink = false;         // the destination itself is a symbolic link
};

std::filesystem::path ReadLink(const std::filesystem::path& link, const std::filesystem::path& destination) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t size = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (size < 0) Fail(destination, "create", errno);
        if (static_cast<std::size_t>(size) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(size));
            return buffer;
        }
        buffer.resize(2 * buffer.size());
    }
}

// The kernel's rule for following a link on an ordinary write (fs.protected_symlinks): in a
// sticky, world-writable folder only a link of the caller's own or of the folder's owner.
// Resolving links here, the policy must apply that rule itself: the kernel never sees them.
void RefuseForeignLink(const std::filesystem::path& link, const struct stat& info,
                       const std::filesystem::path& destination) {
    struct stat folder {};
    if (::stat(ParentFolder(link).c_str(), &folder) != 0) Fail(destination, "create", errno);
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (shared && info.st_uid != ::geteuid() && info.st_uid != folder.st_uid)
        Fail(destination, "create", EACCES);
}

// Follows the destination's symbolic links to the file that a write through them would
// reach; a relative link counts from the link's own folder.
Target FindTarget(const std::filesystem::path& destination, bool followLinks) {
    Target target{destination, std::nullopt, false};
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (::lstat(target.path.c_str(), &info) != 0) {
            if (errno != ENOENT) Fail(destination, "create", errno);
            return target;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.info = info;
            return target;
        }
        if (!followLinks) throw FileError(destination, "create", make_error_code(Errc::NotRegularFile));
        RefuseForeignLink(target.path, info, destination);
        target.throughLink = true;
        const std::filesystem::path link = ReadLink(target.path, destination);
        target.path = link.is_absolute() ? link : ParentFolder(target.path) / link;
    }
    Fail(destination, "create", ELOOP);
}

// A folder is refused as EISDIR; anything else but a regular file (a device, FIFO or socket)
// is never opened or renamed over: as root a rename would replace /dev/null itself.
void RefuseNonFile(const struct stat& info, const std::filesystem::path& destination) {
    if (S_ISDIR(info.st_mode)) Fail(destination, "write", EISDIR);
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        throw FileError(destination, "write", make_error_code(Errc::NotRegularFile));
    }
}

// The process's umask, read without changing it: umask(2) reads only by setting, which would
// race with files that other threads create.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A replaced file stays its owner's (root writing into a user's folder must not take it
// over); where that is not allowed, it keeps at least its group where we may give it.
void KeepOwner(int fd, const struct stat& replaced) {
    struct stat mine {};
    if (::fstat(fd, &mine) != 0 || (mine.st_uid == replaced.st_uid && mine.st_gid == replaced.st_gid)) return;
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
    }
}

// A hidden name that is short whatever the destination's length, so that it never pushes a
// valid name past NAME_MAX, and clearly ours when a killed process leaves it behind.
std::string ShortTemporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937_64 generator(std::random_device{}());
    std::string name = ".angoka-";
    for (int i = 0; i < 6; ++i) name += kLetters[generator() % (sizeof kLetters - 1)];
    return name + ".tmp";
}

// Calls `create` with fresh temporary names (from `namer` when set) until one is free; -1
// with errno on failure.
template <typename Create>
int OnFreshName(std::string& name, const std::function<std::string()>& namer, Create create) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = namer ? namer() : ShortTemporaryName();
        const int result = create(name.c_str());
        if (result >= 0) return result;
        if (errno != EEXIST) break;
    }
    name.clear();
    return -1;
}

// Gives an unnamed file (O_TMPFILE) a name in `folder`; EEXIST when the name is taken.
int LinkUnnamed(int fd, int folder, const char* name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW);
}

// Renames without replacing: EEXIST when `to` exists, even if it appeared a moment ago.
int RenameNoReplace(int folder, const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1;
#endif
    // Without it, a hard link is made only where no name is; then the old name goes.
    if (::linkat(folder, from, folder, to, 0) != 0) return -1;
    ::unlinkat(folder, from, 0);
    return 0;
}

bool UnnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path destination, WriteOptions options)
    : destination_(std::move(destination)), options_(std::move(options)) {
    if (destination_.filename().empty()) Fail(destination_, "write", EISDIR);
    const Target target = FindTarget(destination_, options_.followLinks);
    if (target.info) RefuseNonFile(*target.info, destination_);
    if (target.path.filename().empty()) Fail(destination_, "write", EISDIR);
    if (!options_.replace && (target.info || target.throughLink)) Fail(destination_, "create", EEXIST);
    target_ = target.path;
    targetName_ = target_.filename().string();
    try {
        OpenFolder();
        CreateTemporary();
    } catch (...) {
        Discard();
        throw;
    }
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::OpenFolder() {
    folder_ = ::open(ParentFolder(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) Fail(destination_, "create", errno);
}

void AtomicFile::CreateTemporary() {
    fd_ = OpenUnnamed();
    if (fd_ >= 0) return;
    if (!UnnamedUnsupported(errno)) Fail(destination_, "create", errno);
    fd_ = OnFreshName(temporaryName_, options_.temporaryNamer, [this](const char* name) {
        return ::openat(folder_, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kWhileWritten);
    });
    if (fd_ < 0) Fail(destination_, "create", errno);
}

// An unnamed file in the target's folder, or -1 with errno EOPNOTSUPP where there is none.
int AtomicFile::OpenUnnamed() {
    // Linking it in at the end goes through /proc/self/fd.
    if (::access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    if (options_.unnamedOpener) return options_.unnamedOpener(folder_);
#ifdef O_TMPFILE
    return ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kWhileWritten);
#else
    errno = EOPNOTSUPP;
    return -1;
#endif
}

void AtomicFile::Write(const void* data, std::size_t size) {
    if (!WriteAll(fd_, data, size, options_.writer)) Fail(destination_, "write", errno);
}

void AtomicFile::Commit() {
    try {
        const auto replaced = Replaced();
        SetPermissions(replaced ? &*replaced : nullptr);
        // The old file's data is never at risk: the new one is on disk before it takes its place.
        const bool flush = options_.durable && (replaced || options_.flushNew);
        if (flush) Flush(fd_, false);
        CloseWritten();
        PutInPlace();
        if (flush) Flush(folder_, true);
    } catch (...) {
        Discard();
        throw;
    }
    Discard();
}

// With consent, what the new file replaces as the folder holds it now; without, nothing:
// the file is then put in place only where no name is.
std::optional<struct stat> AtomicFile::Replaced() const {
    if (!options_.replace) return std::nullopt;
    struct stat info {};
    if (::fstatat(folder_, targetName_.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) Fail(destination_, "replace", errno);
        return std::nullopt;
    }
    RefuseNonFile(info, destination_);
    return info;
}

void AtomicFile::SetPermissions(const struct stat* replaced) {
    mode_t mode = 0;
    if (replaced && S_ISREG(replaced->st_mode)) {
        KeepOwner(fd_, *replaced);
        mode = replaced->st_mode & kPermissionBits;
    } else if (options_.newFileMode) {
        mode = static_cast<mode_t>(*options_.newFileMode) & kPermissionBits;
    } else {
        mode = 0666 & ~CurrentUmask();  // read only here: the codec always names the bits
    }
    if (::fchmod(fd_, mode) != 0) Fail(destination_, "write", errno);
}

void AtomicFile::Flush(int fd, bool folder) {
    const int result = options_.flusher ? options_.flusher(fd) : folder ? ::fsync(fd) : ::fdatasync(fd);
    if (result != 0) Fail(destination_, "write", errno);
}

// Closes the written file, since a close can report a failed write; an unnamed file keeps a
// second descriptor, which links it in.
void AtomicFile::CloseWritten() {
    const int written = fd_;
    fd_ = -1;
    if (temporaryName_.empty()) {
        fd_ = ::fcntl(written, F_DUPFD_CLOEXEC, 0);
        if (fd_ < 0) {
            fd_ = written;
            Fail(destination_, "write", errno);
        }
    }
    if (::close(written) != 0) Fail(destination_, "write", errno);
}

void AtomicFile::PutInPlace() {
    if (options_.replace) {
        NameTemporary();
        if (::renameat(folder_, temporaryName_.c_str(), folder_, targetName_.c_str()) != 0) {
            Fail(destination_, "replace", errno);
        }
    } else if (temporaryName_.empty()) {
        if (LinkUnnamed(fd_, folder_, targetName_.c_str()) != 0) Fail(destination_, "create", errno);
    } else if (RenameNoReplace(folder_, temporaryName_.c_str(), targetName_.c_str()) != 0) {
        Fail(destination_, "create", errno);
    }
    temporaryName_.clear();
}

// Only a rename replaces atomically, and it needs a name to rename from: an unnamed file gets
// a short temporary one.
void AtomicFile::NameTemporary() {
    if (!temporaryName_.empty()) return;
    const auto link = [this](const char* name) { return LinkUnnamed(fd_, folder_, name); };
    if (OnFreshName(temporaryName_, options_.temporaryNamer, link) < 0) Fail(destination_, "create", errno);
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporaryName_.empty()) ::unlinkat(folder_, temporaryName_.c_str(), 0);
    temporaryName_.clear();
    if (folder_ >= 0) ::close(folder_);
    folder_ = -1;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(path, "read", errno);
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ReadSome(fd, buffer, sizeof buffer);
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            Fail(path, "read", error);
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    AtomicFile file(path, {.replace = true});
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

}  // namespace angoka
