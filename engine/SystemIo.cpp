#include "SystemIo.h"

#include <unistd.h>

#include <cerrno>

namespace angoka {

bool WriteAll(int fd, const void* data, std::size_t size, const WriteCall& write) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write ? write(fd, bytes, size) : ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

ssize_t ReadSome(int fd, void* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

}  // namespace angoka
