// The progress line: at most ten draws a second, none for a quick file, erased at the end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "ProgressLine.h"

namespace angoka::cli {
namespace {

using Clock = ProgressLine::Clock;
using std::chrono::milliseconds;

class ProgressLineTest : public ::testing::Test {
protected:
    ProgressLineTest() : file_(std::tmpfile()) {}
    ~ProgressLineTest() override { std::fclose(file_); }

    ProgressLine Line(bool enabled) {
        return ProgressLine(::fileno(file_), enabled, [this] { return now_; });
    }
    std::string Drawn() {
        std::string bytes(4096, '\0');
        const ssize_t got = ::pread(::fileno(file_), bytes.data(), bytes.size(), 0);
        bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return bytes;
    }
    static int Count(const std::string& text, const std::string& piece) {
        int count = 0;
        for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
        return count;
    }

    std::FILE* file_;
    Clock::time_point now_{};
};

TEST_F(ProgressLineTest, DrawsAtMostTenTimesASecond) {
    ProgressLine line = Line(true);
    line.Start("big.bin");
    for (int ms = 1; ms <= 1000; ++ms) {  // a report every millisecond for a second
        now_ += milliseconds(1);
        line.Report(static_cast<std::uint64_t>(ms) * 1000, 1000000);
    }
    const std::string drawn = Drawn();
    EXPECT_EQ(Count(drawn, "big.bin: "), 10) << drawn;
    // Half-way: 500 kB in half a second.
    EXPECT_NE(drawn.find("big.bin:  50% 1.0 MB/s"), std::string::npos) << drawn;
    line.Clear();
    EXPECT_TRUE(Drawn().ends_with("\r\033[K")) << "the line is erased";
}

TEST_F(ProgressLineTest, QuickFileShowsAndErasesNothing) {
    ProgressLine line = Line(true);
    line.Start("small");
    now_ += milliseconds(99);
    line.Report(10, 10);
    line.Clear();
    EXPECT_EQ(Drawn(), "");
}

TEST_F(ProgressLineTest, DisabledDrawsNothing) {
    ProgressLine line = Line(false);
    line.Start("big.bin");
    now_ += std::chrono::seconds(5);
    line.Report(1, 2);
    line.Clear();
    EXPECT_EQ(Drawn(), "");
}

}  // namespace
}  // namespace angoka::cli
