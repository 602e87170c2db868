#include "TtyTerminal.h"

#include <fcntl.h>
#include <poll.h>
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

// How often a waiting prompt looks at the stop request: a signal that comes just before the
// wait begins interrupts nothing, so the flag is what counts.
constexpr int kStopCheckMs = 50;

TtyTerminal::TtyTerminal(const std::atomic<bool>& stop)
    : stop_(stop), fd_(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}

TtyTerminal::~TtyTerminal() {
    if (fd_ >= 0) ::close(fd_);
}

std::optional<char> TtyTerminal::ReadByte() {
    while (!stop_.load()) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kStopCheckMs);
        if (polled < 0 && errno != EINTR) return std::nullopt;
        if (polled <= 0) continue;
        char c = 0;
        const ssize_t got = ::read(fd_, &c, 1);
        if (got == 1) return c;
        if (got == 0) return '\n';  // end of input (Ctrl-D) ends the line
        if (errno != EINTR) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> TtyTerminal::ReadSecret(std::string_view prompt) {
    if (fd_ < 0) return std::nullopt;
    EchoOff echoOff(fd_);
    WriteText(fd_, prompt);
    std::string line;
    for (;;) {
        const std::optional<char> c = ReadByte();
        if (!c) {
            WriteText(fd_, "\n");  // the line end that echo would have shown
            return std::nullopt;
        }
        if (*c == '\n') break;
        line.push_back(*c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace angoka::cli
