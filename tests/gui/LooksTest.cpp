// How the window reads: colours under a light and a dark scheme, the drop hints, the names a
// screen reader says, and what the application sets for every dialog.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QLabel>
#include <QToolButton>
#include <set>

#include "DarkPalette.h"
#include "GuiFixture.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

bool HasJapanese(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x3000) return true;
    return false;
}

// The colour an arrow of an up-down control is drawn in.
QColor ArrowColour(UpDown* spin) {
    const QImage image = spin->findChild<QToolButton*>(QStringLiteral("up"))->icon().pixmap(28, 16).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() == 255) return image.pixelColor(x, y);
    return {};
}

class Looks : public FormTest {
protected:
    void TearDown() override {
        FormTest::TearDown();
        QApplication::setPalette(original_);
    }
    // Opens the window afresh under `palette`, as on a desktop with that scheme.
    void OpenUnder(const QPalette& palette) {
        form.reset();
        QApplication::setPalette(palette);
        form = std::make_unique<Form1>(services);
        form->show();
    }
    // What Qt does when the desktop switches schemes while the program runs (it leaves it to
    // the tests, whose application runs no event loop): it tells the windows, and each window
    // passes the new palette on to its controls.
    void SwitchScheme(const QPalette& palette) {
        QApplication::setPalette(palette);
        QEvent changed(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(form.get(), &changed);
    }
    void ExpectReadable(bool dark) {
        const QColor window = form->palette().color(QPalette::Window);
        EXPECT_EQ(window, QApplication::palette().color(QPalette::Window));
        for (QLabel* label : form->findChildren<QLabel*>()) {
            SCOPED_TRACE(label->objectName().toStdString());
            const QWidget* behind = label->autoFillBackground() ? label : label->parentWidget();
            EXPECT_GE(ContrastRatio(label->palette().color(QPalette::WindowText),
                                    behind->palette().color(QPalette::Window)),
                      4.5);
        }
        // Every control follows the scheme: none is left in the other one.
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (w->objectName() == QStringLiteral("Label5") || w->objectName() == QStringLiteral("Label7"))
                continue;
            EXPECT_EQ(w->palette().color(QPalette::Window), window) << w->objectName().toStdString();
        }
        for (QLineEdit* box : form->findChildren<QLineEdit*>()) {
            EXPECT_GE(
                ContrastRatio(box->palette().color(QPalette::Text), box->palette().color(QPalette::Base)),
                4.5)
                << box->objectName().toStdString();
        }
        // The echo labels stay white; the link stays blue.
        for (const char* echo : {"Label5", "Label7"})
            EXPECT_EQ(Child<QLabel>(echo)->palette().color(QPalette::Window), QColor(Qt::white));
        const QColor link = Child<QLabel>("Label9")->palette().color(QPalette::WindowText);
        EXPECT_GT(link.blue(), std::max(link.red(), link.green()) + 60);
        if (!dark) {
            EXPECT_EQ(link, QColor(0, 0, 255));
        }
        // The arrows follow the button text.
        for (const char* spin : {"UD", "UD2"}) {
            auto* upDown = Child<UpDown>(spin);
            EXPECT_GE(ContrastRatio(ArrowColour(upDown), upDown->palette().color(QPalette::Button)), 4.5)
                << spin;
        }
    }
    const QPalette original_ = QApplication::palette();
};

TEST_F(Looks, EveryTextStaysReadableInALightAndADarkScheme) {
    for (const bool switched : {false, true}) {
        for (const bool dark : {false, true}) {
            SCOPED_TRACE(std::string(switched ? "switched to " : "opened under ") +
                         (dark ? "dark" : "light"));
            const QPalette scheme = dark ? DarkPalette() : original_;
            switched ? SwitchScheme(scheme) : OpenUnder(scheme);
            ExpectReadable(dark);
        }
    }
}

TEST_F(Looks, EmptyPathBoxesSayAFileCanBeDroppedThere) {
    for (const char* name : {"Text1_0", "Text1_1", "Text1_2"}) {
        EXPECT_TRUE(Box(name)->text().isEmpty()) << name;
        EXPECT_EQ(Box(name)->placeholderText(), QStringLiteral("ここにファイルをドロップできます")) << name;
    }
    EXPECT_TRUE(Box("Text2")->placeholderText().isEmpty());
}

TEST_F(Looks, EveryControlHasAJapaneseNameForScreenReaders) {
    std::set<QString> names;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool control = (w->focusPolicy() & Qt::TabFocus) ||
                             w->objectName() == QStringLiteral("Label9") ||
                             w->objectName() == QStringLiteral("RunProgress");
        if (!control) continue;
        SCOPED_TRACE(w->objectName().toStdString());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(accessible, nullptr);
        const QString name = accessible->text(QAccessible::Name);
        EXPECT_TRUE(HasJapanese(name)) << name.toStdString();
        EXPECT_TRUE(names.insert(name).second) << "said twice: " << name.toStdString();
    }
    EXPECT_GE(names.size(), 19u);
    // The path boxes say which path they hold.
    for (const char* box : {"Text1_0", "Text1_1", "Text1_2"})
        EXPECT_TRUE(Box(box)->accessibleName().contains(QStringLiteral("パス"))) << box;
}

TEST_F(Looks, ThePasswordBoxNeverTellsItsText) {
    QLineEdit* password = Box("Text2");
    password->setText(QStringLiteral("himitsu123"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(password);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("パスワード"));
    EXPECT_FALSE(accessible->text(QAccessible::Value).contains(QStringLiteral("himitsu")));
    if (QAccessibleTextInterface* text = accessible->textInterface()) {
        EXPECT_FALSE(text->text(0, text->characterCount()).contains(QStringLiteral("himitsu")));
    }
}

TEST_F(Looks, TheSpinControlsReadAsSpinBoxesWithTheirValue) {
    auto* ud = Child<UpDown>("UD");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(ud);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::SpinBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("内部変化数"));
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), -10);
    EXPECT_EQ(value->maximumValue().toInt(), 10);
    ud->setValue(3);
    EXPECT_EQ(value->currentValue().toInt(), 3);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("3"));
    value->setCurrentValue(-4);
    EXPECT_EQ(Child<QLabel>("Label5")->text(), QStringLiteral("-4"));
}

TEST_F(Looks, TheApplicationIsNamedAndDressedForEveryDialog) {
    // A message box without a title of its own shows this, never the program's file name.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("暗号化しましょ"));
    EXPECT_EQ(QApplication::font().families(), form->font().families());
    EXPECT_EQ(QApplication::font().pointSize(), form->font().pointSize());
}

}  // namespace
}  // namespace angoka::testing
