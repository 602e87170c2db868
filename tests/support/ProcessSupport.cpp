#include "ProcessSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace angoka::testing {
namespace {

[[noreturn]] void ExecQivg(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(QIVG_PROGRAM)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(QIVG_PROGRAM, argv.data());
    ::_exit(127);
}

int StatusOf(int waited) {
    if (WIFEXITED(waited)) return WEXITSTATUS(waited);
    if (WIFSIGNALED(waited)) return 128 + WTERMSIG(waited);
    return -1;
}

int Reap(pid_t pid) {
    int waited = 0;
    while (::waitpid(pid, &waited, 0) < 0 && errno == EINTR) {
    }
    return StatusOf(waited);
}

// Reads both pipes until both are closed.
void Drain(int out, int err, ProcessRun& run) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                into[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProcessRun RunProcess(const std::vector<std::string>& args, const std::string& input) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setsid();  // no controlling terminal: /dev/tty cannot be opened
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
        ExecQivg(args);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);
    (void)!::write(in[1], input.data(), input.size());  // small: fits in the pipe
    ::close(in[1]);
    ProcessRun run;
    Drain(out[0], err[0], run);
    run.status = Reap(pid);
    return run;
}

PtyProcess::PtyProcess(const std::vector<std::string>& args) {
    pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ < 0) throw std::runtime_error("forkpty");
    if (pid_ == 0) ExecQivg(args);
}

PtyProcess::~PtyProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Reap(pid_);
    }
    if (master_ >= 0) ::close(master_);
}

bool PtyProcess::ReadSome(int timeoutMs) {
    pollfd fd{master_, POLLIN, 0};
    if (::poll(&fd, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;  // EIO: the child's side is closed
    screen_.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool PtyProcess::WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (screen_.find(text) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        // Nothing more within the time left, or the child's side closed.
        if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
    }
    return true;
}

void PtyProcess::Type(const std::string& keys) {
    (void)!::write(master_, keys.data(), keys.size());
}

void PtyProcess::Signal(int signal) {
    ::kill(pid_, signal);
}

int PtyProcess::Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int waited = 0;
    pid_t done = 0;
    for (;;) {
        done = ::waitpid(pid_, &waited, WNOHANG);
        if (done < 0 && errno == EINTR) continue;
        if (done != 0 || std::chrono::steady_clock::now() >= end) break;
        if (!ReadSome(100)) ::usleep(10000);  // nothing to read, or the child's side is closed
    }
    if (done != pid_) return -1;  // the destructor kills it
    pid_ = -1;
    while (ReadSome(0)) {
    }
    return StatusOf(waited);
}

termios PtyProcess::Settings() const {
    termios settings{};
    ::tcgetattr(master_, &settings);
    return settings;
}

}  // namespace angoka::testing
