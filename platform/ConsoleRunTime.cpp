#include "ConsoleRunTime.h"

#include <iostream>

#include "Utf.h"

namespace angoka {

ConsoleRunTime::ConsoleRunTime() : generator_(std::random_device{}()) {}

bool ConsoleRunTime::MsgBox(const std::u16string& prompt, Buttons buttons,
                            const std::optional<std::u16string>& title) {
    std::cerr << ToUtf8(title.value_or(kAppTitle)) << ": " << ToUtf8(prompt) << '\n';
    return buttons != Buttons::YesNoDefaultNo;  // no one to ask: the default button
}

double ConsoleRunTime::Rnd() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

}  // namespace angoka
