#pragma once
// Writes a file so that the destination is only ever replaced by a complete new one, and only
// with consent. The bytes go to a temporary file in the destination's folder that only its
// owner may read; Commit gives it its final permission bits, flushes it as the options say and
// puts it in place in one step. Until then the destination is untouched, and a file that is
// never committed leaves nothing behind: the temporary file has no name where the file system
// allows it (so even a killed process leaves nothing), otherwise a short ".angoka-XXXXXX.tmp".
//
// A destination that is a symbolic link stays one: the file it points to is replaced, as an
// ordinary write through the link would do, but only where the kernel would follow the link
// for such a write (fs.protected_symlinks): never a link in a sticky, world-writable folder
// (/tmp) that belongs neither to the caller nor to the folder's owner, which someone else can
// plant there. A folder, device, FIFO or socket is refused before anything is written.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "SystemIo.h"

namespace angoka {

// The one output policy of every file the programs write.
struct WriteOptions {
    // Whether an existing destination may be replaced. Without consent an existing file (or a
    // symbolic link, even a dangling one) is never touched: the write ends in a FileError with
    // EEXIST, both at construction and, atomically, when the file is put in place, so a file
    // that appears in between is not overwritten either.
    bool replace = false;
    // A file that replaces another is flushed to disk before it is put in place, and its
    // folder after; a new file replaces nothing and is flushed only with flushNew (the
    // window, whose users may delete the original as soon as they read that it is done).
    bool flushNew = false;
    bool durable = true;  // false: never flush (benchmarks time the work alone)
    // false: a destination that is a symbolic link is refused (Errc::NotRegularFile). A path
    // made from a name stored inside a file names a new file or a file, never a link.
    bool followLinks = true;
    // Permission bits (0777 of them) of a new file, whatever the umask; unset: 0666 less the
    // umask. A replaced file keeps its own bits and, where allowed, its owner and group.
    // Set-user-ID, set-group-ID and sticky bits are never given to the new file.
    std::optional<unsigned> newFileMode{};

    // Fault hooks for tests: the system calls that write, flush and open an unnamed file, and
    // the names a named temporary file is tried under. writer, empty: write(2). flusher,
    // empty: fdatasync(2) for the file, fsync(2) for its folder; it is called with both.
    // unnamedOpener, empty: openat(folder, ".", O_TMPFILE ...); a result of -1 with errno
    // EOPNOTSUPP stands for a file system without unnamed files. temporaryNamer, empty: a
    // fresh random ".angoka-XXXXXX.tmp" for every try.
    WriteCall writer{};
    std::function<int(int fd)> flusher{};
    std::function<int(int folder)> unnamedOpener{};
    std::function<std::string()> temporaryNamer{};
};

class AtomicFile {
public:
    // Looks at the destination, following its symbolic links, and refuses what may not be
    // written: a folder (EISDIR), a device, FIFO or socket (Errc::NotRegularFile), an existing
    // file without consent (EEXIST). Then creates the temporary file. Throws FileError.
    explicit AtomicFile(std::filesystem::path destination, WriteOptions options = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const void* data, std::size_t size);  // throws FileError
    // Puts the file in place; on failure nothing is, and the temporary file is gone (a failed
    // flush of the folder, after the file is in place, is reported all the same).
    void Commit();  // throws FileError
    // Removes the temporary file now (the destructor does it too).
    void Discard() noexcept;

private:
    void OpenFolder();
    void CreateTemporary();
    int OpenUnnamed();
    std::optional<struct stat> Replaced() const;
    void SetPermissions(const struct stat* replaced);
    void Flush(int fd, bool folder);
    void CloseWritten();
    void PutInPlace();
    void NameTemporary();

    std::filesystem::path destination_;
    std::filesystem::path target_;
    std::string targetName_;  // the target's name in its folder
    WriteOptions options_;
    int folder_ = -1;  // the target's folder, which the names here are relative to
    int fd_ = -1;
    std::string temporaryName_;  // empty while the temporary file has no name
};

// The whole content of a regular file. Throws FileError.
std::string ReadWholeFile(const std::filesystem::path& path);
// Replaces (or creates) the file with exactly `bytes`, atomically: the cipher object's
// SaveBin, which replaces by design. Throws FileError.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace angoka
