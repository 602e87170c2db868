#pragma once
// The controlling terminal (/dev/tty), so that a password is asked of the user even when
// standard input and output are pipes or files.
#include <atomic>

#include "Console.h"

namespace angoka::cli {

class TtyTerminal : public Terminal {
public:
    // `stop` ends a prompt that is waiting (the flag that Ctrl-C sets).
    explicit TtyTerminal(const std::atomic<bool>& stop);
    ~TtyTerminal() override;
    TtyTerminal(const TtyTerminal&) = delete;
    TtyTerminal& operator=(const TtyTerminal&) = delete;

    bool Available() override { return fd_ >= 0; }
    // Echo is off from before the prompt shows until the line is read; the terminal's
    // settings come back on every way out, a stop request included.
    std::optional<std::string> ReadSecret(std::string_view prompt) override;

private:
    // One typed byte; nothing once a stop is requested or the terminal fails.
    std::optional<char> ReadByte();

    const std::atomic<bool>& stop_;
    int fd_ = -1;
};

}  // namespace angoka::cli
