#pragma once
// The progress line on a terminal: "name: 42% 310.5 MB/s", redrawn in place at most ten
// times a second and erased when the file is done, so only messages stay on the screen.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace angoka::cli {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Draws on `fd` only when `enabled`; `now` is the clock (tests pass their own).
    ProgressLine(int fd, bool enabled, std::function<Clock::time_point()> now = Clock::now);

    // A new file. Its first line is drawn a tenth of a second in, so quick files show none.
    void Start(std::string name);
    void Report(std::uint64_t done, std::uint64_t total);
    // Erases the line, if one was drawn.
    void Clear();

    static constexpr std::chrono::milliseconds kInterval{100};

private:
    int fd_;
    bool enabled_;
    std::function<Clock::time_point()> now_;
    std::string name_;
    Clock::time_point started_{};
    Clock::time_point drawn_{};
    bool shown_ = false;
};

}  // namespace angoka::cli
