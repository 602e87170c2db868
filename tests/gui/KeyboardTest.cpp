// The keyboard: Return in a box presses its pane's start button, Page Up and Page Down step
// the spin controls by 5, and entering a path box from the keyboard leaves its text alone.
#include <QLabel>
#include <QTest>

#include "GuiFixture.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

// The control that Tab (forward) or Shift+Tab leaves for `to`.
QWidget* TabNeighbour(QWidget* to, bool forward) {
    QWidget* w = to;
    do {
        w = forward ? w->previousInFocusChain() : w->nextInFocusChain();
    } while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled());
    return w;
}

class Keyboard : public FormTest {};

TEST_F(Keyboard, ReturnInABoxPressesItsPanesStartButton) {
    struct Case {
        const char* box;
        Qt::Key key;
        std::u16string message;  // the empty boxes' message tells which start button ran
    };
    const Case cases[] = {
        {"Text1_0", Qt::Key_Return, u"元ファイルを入力してください"},
        {"Text1_1", Qt::Key_Return, u"元ファイルを入力してください"},
        {"Text2", Qt::Key_Return, u"元ファイルを入力してください"},
        {"Text2", Qt::Key_Enter, u"元ファイルを入力してください"},
        {"Text1_2", Qt::Key_Return, u"ファイル名を入力してください"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        services.messages.clear();
        Box(c.box)->setFocus();
        QTest::keyClick(Box(c.box), c.key);
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{c.message});
    }
}

TEST_F(Keyboard, PageKeysStepTheSpinControlsByFive) {
    struct Case {
        const char* spin;
        const char* echo;
        int from;
        Qt::Key key;
        int to;
    };
    const Case cases[] = {
        {"UD", "Label5", 0, Qt::Key_PageUp, 5},    {"UD", "Label5", 7, Qt::Key_PageUp, 10},
        {"UD", "Label5", 0, Qt::Key_PageDown, -5}, {"UD", "Label5", -8, Qt::Key_PageDown, -10},
        {"UD2", "Label7", 1, Qt::Key_PageUp, 6},   {"UD2", "Label7", 28, Qt::Key_PageUp, 30},
        {"UD2", "Label7", 3, Qt::Key_PageDown, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.spin) + " from " + std::to_string(c.from));
        auto* spin = Child<UpDown>(c.spin);
        spin->setValue(c.from);
        spin->setFocus();
        QTest::keyClick(spin, c.key);
        EXPECT_EQ(spin->value(), c.to);
        EXPECT_EQ(Child<QLabel>(c.echo)->text(), QString::number(c.to));
    }
}

TEST_F(Keyboard, EnteringAPathBoxNeitherSelectsNorClearsItsText) {
    for (const char* name : {"Text1_0", "Text1_1", "Text1_2"}) {
        for (const bool backwards : {false, true}) {
            SCOPED_TRACE(std::string(name) + (backwards ? " by Shift+Tab" : " by Tab"));
            QLineEdit* box = Box(name);
            box->setText(QStringLiteral("/data/a.txt"));
            box->setCursorPosition(3);
            QWidget* from = TabNeighbour(box, !backwards);
            from->setFocus();
            QTest::keyClick(from, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            ASSERT_EQ(QApplication::focusWidget(), box);
            EXPECT_FALSE(box->hasSelectedText());
            EXPECT_EQ(box->text(), QStringLiteral("/data/a.txt"));
        }
    }
}

TEST_F(Keyboard, AFileNamedOnTheCommandLineLeavesTheKeyboardWhereTheUserGoesOn) {
    struct Case {
        QString path;
        const char* focus;  // the control that takes the keys typed next
    };
    const Case cases[] = {
        {QStringLiteral("/d/report.txt"), "Text2"},
        {QStringLiteral("/d/secret.qivg"), "Text2"},
        // The BMP pane needs nothing more: its start button, which Space presses.
        {QStringLiteral("/d/picture.bmp"), "Command3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        Child("Command2")->setFocus();
        Box("Text2")->clear();
        form->OpenArgument(c.path);
        ASSERT_EQ(QApplication::focusWidget(), Child(c.focus));
    }
    // Typed at once, the password lands in its box.
    form->OpenArgument(QStringLiteral("/d/report.txt"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("pw"));
    EXPECT_EQ(Box("Text2")->text(), QStringLiteral("pw"));
}

TEST_F(Keyboard, TheFocusedControlShowsAMark) {
    // Every control the focus can be in looks different while it is there, from the start and
    // after a mouse click: the user sees where Space or typed text goes.
    QWidget* const start = QApplication::focusWidget();
    ASSERT_EQ(start, Child("Command2"));
    const QImage startFocused = start->grab().toImage();
    Child("Command4")->setFocus(Qt::OtherFocusReason);
    EXPECT_NE(start->grab().toImage(), startFocused) << "Command2 at the start";

    QTest::mouseClick(Child("Option3"), Qt::LeftButton);
    for (const char* name : {"Command2", "Option1", "Option2", "UD", "UD2", "Text2", "Text1_0", "Command1_0",
                             "Option3", "Option4", "Command3", "Command4"}) {
        SCOPED_TRACE(name);
        QWidget* control = Child(name);
        control->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), control);
        const QImage focused = control->grab().toImage();
        (std::string(name) == "Command4" ? Child("Command2") : Child("Command4"))
            ->setFocus(Qt::MouseFocusReason);
        EXPECT_NE(control->grab().toImage(), focused);
    }
}

}  // namespace
}  // namespace angoka::testing
