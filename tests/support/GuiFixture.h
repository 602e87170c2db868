#pragma once
// A shown Form1 on the scripted run-time services, a fresh folder for its files, and what the
// window looked like while each message box was open.
//
// The test's folder, Dir(), is a subfolder of its scratch folder and the current folder while
// it runs: a relative path, or a "../x" that a faulty run resolves, still lands in the scratch
// folder and is removed with it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeRunTime.h"
#include "Files.h"
#include "Form1.h"

namespace angoka::testing {

inline constexpr char16_t kBusy[] = u"変換中.......";

QString ToQ(const std::u16string& text);
std::u16string FromQ(const QString& text);
std::u16string PathText(const std::filesystem::path& path);

// A deterministic byte pattern of the given size.
std::string Pattern(std::size_t size, unsigned seed = 1);

class FormTest : public ::testing::Test {
public:
    struct Seen {
        FakeRunTime::Message message;
        QString caption;
        Qt::CursorShape cursor;
        bool running;
    };

protected:
    void SetUp() override;
    void TearDown() override;

    template <class T = QWidget>
    T* Child(const char* name) {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Box(const char* name) { return Child<QLineEdit>(name); }
    void SetText(const char* box, const std::u16string& text) { Box(box)->setText(ToQ(text)); }
    void SetText(const char* box, const std::filesystem::path& path) { SetText(box, PathText(path)); }
    void Click(const char* button);
    void Select(const char* option);
    // Spins the event loop until the window is idle again; false on time-out.
    bool WaitIdle(int timeoutMs = 60000);
    // Click, then wait for the run to end.
    void Run(const char* button) {
        Click(button);
        ASSERT_TRUE(WaitIdle());
    }

    std::vector<std::u16string> Prompts() const { return services.Prompts(); }
    QString Caption() const { return form->windowTitle(); }
    Qt::CursorShape Cursor() const { return form->cursor().shape(); }
    std::filesystem::path Dir() const { return dir_; }
    std::filesystem::path In(const std::string& name) const { return dir_ / name; }

    FakeRunTime services;
    std::unique_ptr<Form1> form;
    std::vector<Seen> seen;  // one entry per message box, in order

private:
    ScratchFolder scratch_;
    std::filesystem::path dir_;
    std::filesystem::path previousFolder_;
};

// Drops local files on a widget as a file manager would; true when it took them.
bool DropFiles(QWidget* target, const QStringList& files);

// Checks that every message of a run came while the window was busy with `caption`.
void ExpectBusyDuringEveryMessage(const std::vector<FormTest::Seen>& seen, const QString& caption);

}  // namespace angoka::testing
