#pragma once
// The run-time services that the engine and the window lean on, in two layers. RunTime is what
// the engine needs: a message box, yielding to the window's events, random draws; a program
// without a window (qivg) implements only that (ConsoleRunTime). WindowRunTime adds what only
// the window uses: the input box, the file dialog, the desktop's "open", the program's folder
// (QtRunTime; tests script a fake of it).
#include <optional>
#include <string>

namespace angoka {

// OK alone, or Yes and No. YesNo has Yes as its default button; YesNoDefaultNo has No, for a
// question whose Yes destroys something (Return or Escape then keeps it).
enum class Buttons { OK, YesNo, YesNoDefaultNo };

class RunTime {
public:
    virtual ~RunTime() = default;

    // Modal message box. No title: the application's title shows. Returns true for OK or Yes.
    virtual bool MsgBox(const std::u16string& prompt, Buttons buttons = Buttons::OK,
                        const std::optional<std::u16string>& title = std::nullopt) = 0;
    // Lets the window process its pending events (repaint, clicks).
    virtual void DoEvents() = 0;
    // A uniform draw in [0, 1).
    virtual double Rnd() = 0;
};

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::u16string title;
    std::u16string filter;         // "description|pattern", as the window spells it
    std::u16string fileName;       // the name the dialog starts with
    std::u16string folder;         // the folder it opens in; empty: the name's own folder
    std::u16string defaultSuffix;  // added to a chosen name that has no extension; empty: none
};

class WindowRunTime : public RunTime {
public:
    // Modal input box: the typed text, or nothing when cancelled.
    virtual std::optional<std::u16string> InputBox(const std::u16string& prompt, const std::u16string& title,
                                                   const std::u16string& defaultAnswer) = 0;
    // File dialog: the chosen path, or nothing when cancelled.
    virtual std::optional<std::u16string> FileDialog(const FileDialogRequest& request) = 0;
    // Hands a file or URL to the desktop to open with its associated program.
    virtual void ShellOpen(const std::u16string& target) = 0;
    // The folder that holds the program file, without a trailing separator.
    virtual std::u16string ProgramFolder() = 0;
};

// The application's title, shown by message boxes that have none of their own.
inline constexpr char16_t kAppTitle[] = u"暗号化しましょ";

}  // namespace angoka
