#pragma once
// qivg's exit statuses, and which one each outcome of a file operation gives.
#include "CodecTypes.h"

namespace angoka::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;        // I/O, an output that exists, a missing input
inline constexpr int kExitUsage = 2;          // options, password input
inline constexpr int kExitWrongPassword = 3;  // or wrong settings
inline constexpr int kExitDamaged = 4;        // not a .qivg file, or a damaged one
inline constexpr int kExitInterrupted = 130;  // Ctrl-C, SIGINT, SIGTERM

int ExitStatusFor(Outcome outcome);

}  // namespace angoka::cli
