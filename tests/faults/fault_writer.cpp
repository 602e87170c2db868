// Writes one file through the output policy, as its own process, so that the fault tests can
// limit its file size, fill the disk under it, kill it mid-write or race two of them.
//
//   fault_writer DESTINATION SIZE BYTE [options]   writes SIZE copies of the character BYTE
//     --replace, --flush-new, --no-durable   the write options of the same names
//     --named-temporary        as on a file system without unnamed files
//     --file-size-limit N      RLIMIT_FSIZE of N bytes
//     --disk-full-after N      a writer that fails with ENOSPC once N bytes are written
//     --hold READY RELEASE     after the first chunk: a byte to fd READY, then wait until fd
//                              RELEASE gives a byte or is closed
//
// Prints "ok" (exit 0) or "error CATEGORY CODE" for the FileError (exit 1); exit 2: bad usage.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "Errors.h"

namespace {

using angoka::WriteOptions;

struct Job {
    std::string destination;
    std::size_t size = 0;
    char byte = 'x';
    WriteOptions options;
    long fileSizeLimit = -1;
    long diskFullAfter = -1;
    int ready = -1;
    int release = -1;
};

bool Parse(int argc, char* argv[], Job& job) {
    if (argc < 4 || std::strlen(argv[3]) != 1) return false;
    job.destination = argv[1];
    job.size = std::strtoull(argv[2], nullptr, 10);
    job.byte = argv[3][0];
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--replace") {
            job.options.replace = true;
        } else if (option == "--flush-new") {
            job.options.flushNew = true;
        } else if (option == "--no-durable") {
            job.options.durable = false;
        } else if (option == "--named-temporary") {
            job.options.unnamedOpener = [](int) {
                errno = EOPNOTSUPP;
                return -1;
            };
        } else if (option == "--file-size-limit" && hasValue) {
            job.fileSizeLimit = std::atol(argv[++i]);
        } else if (option == "--disk-full-after" && hasValue) {
            job.diskFullAfter = std::atol(argv[++i]);
        } else if (option == "--hold" && i + 2 < argc) {
            job.ready = std::atoi(argv[++i]);
            job.release = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

// write(2), failing as a full disk once `room` bytes are written, and pausing as --hold says.
auto Writer(const Job& job) {
    long room = job.diskFullAfter;
    int calls = 0;
    return [room, calls, ready = job.ready, release = job.release](int fd, const void* data,
                                                                   std::size_t size) mutable -> ssize_t {
        if (++calls == 2 && ready >= 0) {
            char signal = 'w';
            char answer;
            if (::write(ready, &signal, 1) != 1 || ::read(release, &answer, 1) < 0) return -1;
        }
        if (room == 0) {
            errno = ENOSPC;
            return -1;
        }
        if (room > 0 && size > static_cast<std::size_t>(room)) size = static_cast<std::size_t>(room);
        const ssize_t written = ::write(fd, data, size);
        if (room > 0 && written > 0) room -= written;
        return written;
    };
}

}  // namespace

int main(int argc, char* argv[]) {
    // As the programs do: past a file-size limit write(2) fails with EFBIG instead.
    std::signal(SIGXFSZ, SIG_IGN);
    Job job;
    if (!Parse(argc, argv, job)) {
        std::fprintf(stderr, "usage: fault_writer DESTINATION SIZE BYTE [options]\n");
        return 2;
    }
    if (job.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(job.fileSizeLimit), static_cast<rlim_t>(job.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    }
    job.options.writer = Writer(job);
    try {
        angoka::AtomicFile file(job.destination, job.options);
        const std::vector<char> chunk(64 * 1024, job.byte);
        for (std::size_t done = 0; done < job.size;) {
            const std::size_t size = std::min(chunk.size(), job.size - done);
            file.Write(chunk.data(), size);
            done += size;
        }
        file.Commit();
    } catch (const angoka::FileError& error) {
        std::printf("error %s %d\n", error.code().category().name(), error.code().value());
        return 1;
    }
    std::printf("ok\n");
    return 0;
}
