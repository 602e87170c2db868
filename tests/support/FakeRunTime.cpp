#include "FakeRunTime.h"

namespace angoka {

bool FakeRunTime::MsgBox(const std::u16string& prompt, Buttons buttons,
                         const std::optional<std::u16string>& title) {
    messages.push_back({prompt, buttons, title});
    if (onMessage) onMessage(messages.back());
    if (buttons == Buttons::OK || yesNoAnswers.empty()) return true;
    const bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
}

std::optional<std::u16string> FakeRunTime::InputBox(const std::u16string& prompt, const std::u16string& title,
                                                    const std::u16string& defaultAnswer) {
    inputs.push_back({prompt, title, defaultAnswer});
    if (onInput) onInput(inputs.back());
    if (inputAnswers.empty()) return defaultAnswer;
    auto answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

void FakeRunTime::DoEvents() {
    ++yields;
    if (onYield) onYield();
}

double FakeRunTime::Rnd() {
    if (draws.empty()) return 0.5;
    const double u = draws.front();
    draws.pop_front();
    return u;
}

std::optional<std::u16string> FakeRunTime::FileDialog(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (dialogAnswers.empty()) return std::nullopt;
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

std::vector<std::u16string> FakeRunTime::Prompts() const {
    std::vector<std::u16string> prompts;
    for (const auto& m : messages) prompts.push_back(m.prompt);
    return prompts;
}

}  // namespace angoka
