#pragma once
// The qivg executable as a child process: with pipes for its standard streams and no
// controlling terminal, or on a pseudo-terminal of its own.
#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <vector>

namespace angoka::testing {

struct ProcessRun {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs qivg in a session of its own, so it has no terminal to ask, with `input` on stdin.
ProcessRun RunProcess(const std::vector<std::string>& args, const std::string& input = "");

// qivg on a pseudo-terminal: its standard streams and its controlling terminal.
class PtyProcess {
public:
    explicit PtyProcess(const std::vector<std::string>& args);
    ~PtyProcess();  // kills a child still running
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    // Reads the terminal until `text` has shown; false when it did not within `timeout`.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Keys typed at the terminal ("\x03" is Ctrl-C).
    void Type(const std::string& keys);
    void Signal(int signal);
    // Waits for the end, reading what it still writes; the status as ProcessRun's. A child
    // still running after `limit` is killed and -1 returned: a hang fails a test, never stalls it.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(60));
    // Everything the terminal showed so far.
    const std::string& Screen() const { return screen_; }
    // The terminal's settings now.
    termios Settings() const;

private:
    bool ReadSome(int timeoutMs);

    pid_t pid_ = -1;
    int master_ = -1;
    std::string screen_;
};

}  // namespace angoka::testing
