#include "ConsoleRunTime.h"

#include <iostream>

#include "Paths.h"
#include "Utf.h"

namespace angoka {

ConsoleRunTime::ConsoleRunTime() : generator_(std::random_device{}()) {}

bool ConsoleRunTime::MsgBox(const std::u16string& prompt, Buttons buttons,
                            const std::optional<std::u16string>& title) {
    std::cerr << ToUtf8(title.value_or(kAppTitle)) << ": " << ToUtf8(prompt) << '\n';
    return buttons != Buttons::YesNoDefaultNo;  // no one to ask: the default button
}

std::optional<std::u16string> ConsoleRunTime::InputBox(const std::u16string& prompt,
                                                       const std::u16string& title,
                                                       const std::u16string& defaultAnswer) {
    std::cerr << ToUtf8(title) << ": " << ToUtf8(prompt) << " [" << ToUtf8(defaultAnswer) << "]\n";
    return defaultAnswer;
}

double ConsoleRunTime::Rnd() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

std::u16string ConsoleRunTime::ProgramFolder() {
    return FromUtf8(ExecutableFolder().string());
}

}  // namespace angoka
