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
    std::optional<std::u16string> InputBox(const std::u16string& prompt, const std::u16string& title,
                                           const std::u16string& defaultAnswer) override;
    void DoEvents() override {}
    double Rnd() override;
    std::optional<std::u16string> FileDialog(const FileDialogRequest&) override { return std::nullopt; }
    void ShellOpen(const std::u16string&) override {}
    std::u16string ProgramFolder() override;

private:
    std::mt19937_64 generator_;
};

}  // namespace angoka
