#pragma once
// read(2) and write(2) as every caller needs them: a call that a signal interrupts is made
// again, and a write goes on until all of it is out.
#include <sys/types.h>

#include <cstddef>
#include <functional>

namespace angoka {

// The system call that writes (tests pass one that fails or takes little at a time).
using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Writes all `size` bytes; false with errno set when a write fails (ENOSPC when one takes
// nothing).
bool WriteAll(int fd, const void* data, std::size_t size, const WriteCall& write = {});

// One read(2), made again while a signal interrupts it: the byte count, 0 at the end, or -1
// with errno set.
ssize_t ReadSome(int fd, void* data, std::size_t size);

}  // namespace angoka
