#pragma once
// qivg's entry point, for the program and for the tests that run it in-process.
#include <atomic>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "Console.h"

namespace angoka::cli {

// Runs the command line `args` (without the program's name) and returns the exit status.
// `cancel` is the run's stop request (set by SIGINT and SIGTERM): the file at work is left
// unwritten, no further file is started, and the status is 130. `writeHooks`, for tests only:
// the fault hooks (writer, flusher, ...) that every output is written with; qivg decides the
// rest of the output policy itself.
int RunQivg(const std::vector<std::string>& args, const Console& console, const std::atomic<bool>& cancel,
            const WriteOptions& writeHooks = {});

}  // namespace angoka::cli
