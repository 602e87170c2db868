#include "TtyTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace angoka::cli {
namespace {

// Turns echo off for its lifetime; the typed line end still shows.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        changed_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (changed_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool changed_ = false;
};

}  // namespace

TtyTerminal::TtyTerminal() : fd_(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}

TtyTerminal::~TtyTerminal() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<std::string> TtyTerminal::ReadSecret(std::string_view prompt) {
    if (fd_ < 0) return std::nullopt;
    WriteText(fd_, prompt);
    EchoOff echoOff(fd_);
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd_, &c, 1);
        if (got <= 0) WriteText(fd_, "\n");  // the line end that echo would have shown
        if (got < 0) return std::nullopt;     // EINTR too: the signal handler asked to stop
        if (got == 0 || c == '\n') break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace angoka::cli
