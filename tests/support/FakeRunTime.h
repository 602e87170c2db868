#pragma once
// A scripted RunTime for tests: records every message and question, answers from queues
// filled by the test, and draws "random" values from a script (falling back to a fixed
// sequence when the script runs dry).
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RunTime.h"

namespace angoka {

class FakeRunTime : public WindowRunTime {
public:
    struct Message {
        std::u16string prompt;
        Buttons buttons;
        std::optional<std::u16string> title;
    };
    struct Input {
        std::u16string prompt, title, defaultAnswer;
    };

    // Scripts, consumed front first.
    std::deque<bool> yesNoAnswers;                            // default when empty: Yes
    std::deque<std::optional<std::u16string>> inputAnswers;   // default when empty: the default answer
    std::deque<double> draws;                                 // default when empty: 0.5
    std::deque<std::optional<std::u16string>> dialogAnswers;  // default when empty: cancelled

    // What happened.
    std::vector<Message> messages;
    std::vector<Input> inputs;
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::u16string> shellOpened;
    std::size_t yields = 0;
    std::u16string programFolder = u"/opt/angoka";

    // Called inside each message box, while it is "open" (tests look at the window then).
    std::function<void(const Message&)> onMessage;
    // Called on every yield.
    std::function<void()> onYield;
    // Called inside each input box, while it is "open".
    std::function<void(const Input&)> onInput;

    bool MsgBox(const std::u16string& prompt, Buttons buttons,
                const std::optional<std::u16string>& title) override;
    std::optional<std::u16string> InputBox(const std::u16string& prompt, const std::u16string& title,
                                           const std::u16string& defaultAnswer) override;
    void DoEvents() override;
    double Rnd() override;
    std::optional<std::u16string> FileDialog(const FileDialogRequest& request) override;
    void ShellOpen(const std::u16string& target) override { shellOpened.push_back(target); }
    std::u16string ProgramFolder() override { return programFolder; }

    std::vector<std::u16string> Prompts() const;
};

}  // namespace angoka
