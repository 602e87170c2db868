#pragma once
// The controlling terminal (/dev/tty), so that a password is asked of the user even when
// standard input and output are pipes or files.
#include "Console.h"

namespace angoka::cli {

class TtyTerminal : public Terminal {
public:
    TtyTerminal();
    ~TtyTerminal() override;
    TtyTerminal(const TtyTerminal&) = delete;
    TtyTerminal& operator=(const TtyTerminal&) = delete;

    bool Available() override { return fd_ >= 0; }
    // Echo is off only while the line is read; the terminal's settings come back on every
    // way out, an interrupted read (Ctrl-C, whose handler does not restart it) included.
    std::optional<std::string> ReadSecret(std::string_view prompt) override;

private:
    int fd_ = -1;
};

}  // namespace angoka::cli
