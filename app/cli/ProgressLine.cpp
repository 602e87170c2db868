#include "ProgressLine.h"

#include <cstdio>

#include "Console.h"

namespace angoka::cli {
namespace {

constexpr const char* kEraseLine = "\r\033[K";

}  // namespace

ProgressLine::ProgressLine(int fd, bool enabled, std::function<Clock::time_point()> now)
    : fd_(fd), enabled_(enabled), now_(std::move(now)) {}

void ProgressLine::Start(std::string name) {
    name_ = std::move(name);
    started_ = drawn_ = now_();
    shown_ = false;
}

void ProgressLine::Report(std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const Clock::time_point now = now_();
    if (now - drawn_ < kInterval) return;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double percent =
        total == 0 ? 100.0 : 100.0 * static_cast<double>(done) / static_cast<double>(total);
    char figures[64];
    std::snprintf(figures, sizeof figures, ": %3.0f%% %.1f MB/s", percent,
                  seconds > 0 ? static_cast<double>(done) / seconds / 1e6 : 0.0);
    WriteText(fd_, kEraseLine + name_ + figures);
    shown_ = true;
}

void ProgressLine::Clear() {
    if (shown_) WriteText(fd_, kEraseLine);
    shown_ = false;
}

}  // namespace angoka::cli
