#pragma once
// The run-time services on Qt 6 Widgets: modal message and input boxes, event yielding, the
// file dialog, the desktop's "open" and the program's folder. Dialogs are parented to the
// window given with SetWindow, so they sit over it and block it while they are open, and
// take its font.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <random>

#include "RunTime.h"

class QStyle;

namespace angoka {

class QtRunTime : public WindowRunTime {
public:
    explicit QtRunTime(QWidget* window = nullptr);
    ~QtRunTime() override;

    void SetWindow(QWidget* window) { window_ = window; }

    bool MsgBox(const std::u16string& prompt, Buttons buttons = Buttons::OK,
                const std::optional<std::u16string>& title = std::nullopt) override;
    std::optional<std::u16string> InputBox(const std::u16string& prompt, const std::u16string& title,
                                           const std::u16string& defaultAnswer) override;
    void DoEvents() override;
    double Rnd() override;
    std::optional<std::u16string> FileDialog(const FileDialogRequest& request) override;
    void ShellOpen(const std::u16string& target) override;
    std::u16string ProgramFolder() override;

private:
    void UseWindowFont(QWidget& dialog) const;

    QPointer<QWidget> window_;
    std::mt19937_64 generator_;
    std::unique_ptr<QStyle> buttonOrderStyle_;  // Yes before No, whatever the desktop's habit
};

// "desc|pattern|desc|pattern" as the window spells its filters, in Qt's form
// "desc (pattern);;desc (pattern)". The all-files pattern "*.*" becomes "*", so that names
// without a dot are listed too. The dialog shows the descriptions alone.
QString QtNameFilters(const std::u16string& filter);
// A prompt with CR LF (or a lone CR) line breaks, as Qt shows it: LF only.
QString QtPromptText(const std::u16string& prompt);

inline QString ToQString(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQString(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

}  // namespace angoka
