#pragma once
// Run-time services without a window: messages go to stderr, there is nothing to yield to,
// questions take their default answer. Random draws come from a generator seeded once from
// the operating system.
#include <random>

#include "RunTime.h"

namespace angoka {

class ConsoleRunTime : public RunTime {
public:
    ConsoleRunTime();
    bool MsgBox(const std::u16string& prompt, Buttons buttons,
                const std::optional<std::u16string>& title) override;
    void DoEvents() override {}
    double Rnd() override;

private:
    std::mt19937_64 generator_;
};

}  // namespace angoka
