#include "GuiFixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "Paths.h"
#include "QtRunTime.h"

namespace angoka::testing {

QString ToQ(const std::u16string& text) {
    return ToQString(text);
}
std::u16string FromQ(const QString& text) {
    return FromQString(text);
}
std::u16string PathText(const std::filesystem::path& path) {
    return TextFromPath(path);
}

std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned x = seed * 2654435761u + 12345u;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 23);
    }
    return bytes;
}

void FormTest::SetUp() {
    dir_ = scratch_ / "work";
    std::filesystem::create_directory(dir_);
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    services.programFolder = PathText(dir_);
    form = std::make_unique<Form1>(services);
    services.onMessage = [this](const FakeRunTime::Message& message) {
        seen.push_back({message, form->windowTitle(), form->cursor().shape(), form->Running()});
    };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void FormTest::TearDown() {
    services.onMessage = nullptr;
    services.onInput = nullptr;
    form.reset();
    if (!previousFolder_.empty()) std::filesystem::current_path(previousFolder_);
}

void FormTest::Click(const char* button) {
    auto* widget = Child<QAbstractButton>(button);
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
}

void FormTest::Select(const char* option) {
    auto* radio = Child<QRadioButton>(option);
    ASSERT_NE(radio, nullptr);
    radio->setChecked(true);
}

bool FormTest::WaitIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return !form->Running(); }, timeoutMs);
}

bool DropFiles(QWidget* target, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

void ExpectBusyDuringEveryMessage(const std::vector<FormTest::Seen>& seen, const QString& caption) {
    for (const auto& s : seen) {
        EXPECT_TRUE(s.running) << ToQ(s.message.prompt).toStdString();
        EXPECT_EQ(s.caption, caption);
        EXPECT_EQ(s.cursor, Qt::WaitCursor);
    }
}

}  // namespace angoka::testing
