#pragma once
// qivg's entry point, for the program and for the tests that run it in-process.
#include <atomic>
#include <string>
#include <vector>

#include "Console.h"

namespace angoka::cli {

// Runs the command line `args` (without the program's name) and returns the exit status.
// `cancel` is the run's stop request (set by SIGINT and SIGTERM): the file at work is left
// unwritten, no further file is started, and the status is 130.
int RunQivg(const std::vector<std::string>& args, const Console& console, const std::atomic<bool>& cancel);

}  // namespace angoka::cli
