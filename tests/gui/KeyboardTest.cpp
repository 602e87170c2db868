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

}  // namespace
}  // namespace angoka::testing
