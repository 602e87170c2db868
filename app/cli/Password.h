#pragma once
// Where the password comes from: the first line of --password-file (or of standard input,
// unless that is a terminal), else the terminal, without echo. Never from the command line,
// where `ps` would show it.
#include <atomic>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "Console.h"

namespace angoka::cli {

// The first line of `bytes` without its line end (LF, CR LF or CR).
std::string FirstLine(std::string_view bytes);

// Reads the password the options call for and refuses one the command cannot use: encrypt
// takes only what the file can store, the others only a non-empty one. Throws RunError.
std::u16string ReadPassword(const Options& options, const Console& console, const std::atomic<bool>& cancel);

}  // namespace angoka::cli
