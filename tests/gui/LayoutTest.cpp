// The window's layout: size, places, captions, containers, fonts, looks and tab order.
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>

#include "GuiFixture.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

class Layout : public FormTest {};

TEST_F(Layout, FixedSizeWithoutMinimiseOrMaximise) {
    EXPECT_EQ(form->size(), QSize(500, 303));
    EXPECT_EQ(form->minimumSize(), QSize(500, 303));
    EXPECT_EQ(form->maximumSize(), QSize(500, 303));
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("暗号化しましょ"));
    EXPECT_TRUE(form->windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(Layout, ControlsSitInTheirContainersWithTheirCaptions) {
    struct Case {
        const char* name;
        const char* container;
        QRect geometry;  // twips / 15
        QString caption;
    };
    const Case cases[] = {
        {"Frame2", "Form1", {2, 2, 495, 161}, QStringLiteral("暗号化・復号")},
        {"Frame3", "Form1", {2, 166, 495, 111}, QStringLiteral("BMP化・BMPデータ取り出し")},
        {"Command4", "Form1", {396, 280, 99, 21}, QStringLiteral("閉じる")},
        {"Label9", "Form1", {4, 282, 135, 12}, QStringLiteral("QuorvaneHP")},
        {"Label1", "Frame2", {8, 24, 119, 13}, QStringLiteral("元ファイル")},
        {"Text1_0", "Frame2", {128, 22, 293, 18}, QString()},
        {"Command1_0", "Frame2", {422, 22, 43, 19}, QStringLiteral("参照")},
        {"Label2", "Frame2", {14, 46, 113, 12}, QStringLiteral("後のファイル名")},
        {"Text1_1", "Frame2", {128, 44, 293, 18}, QString()},
        {"Command1_1", "Frame2", {422, 44, 43, 19}, QStringLiteral("参照")},
        {"Frame1", "Frame2", {12, 68, 385, 83}, QStringLiteral("設定")},
        {"Command2", "Frame2", {404, 68, 79, 21}, QStringLiteral("開始")},
        {"Label3", "Frame1", {10, 18, 56, 12}, QStringLiteral("PassWord：")},
        {"Text2", "Frame1", {66, 16, 315, 18}, QString()},
        {"Label4", "Frame1", {10, 42, 60, 12}, QStringLiteral("内部変化数")},
        {"Label5", "Frame1", {74, 40, 24, 16}, QStringLiteral("0")},
        {"UD", "Frame1", {100, 40, 16, 17}, QString()},
        {"Option1", "Frame1", {126, 40, 61, 17}, QStringLiteral("暗号化")},
        {"Label6", "Frame1", {10, 62, 61, 13}, QStringLiteral("暗号化回数")},
        {"Label7", "Frame1", {74, 60, 25, 15}, QStringLiteral("1")},
        {"UD2", "Frame1", {100, 60, 16, 17}, QString()},
        {"Option2", "Frame1", {126, 58, 71, 19}, QStringLiteral("復号化")},
        {"Label8", "Frame3", {12, 18, 55, 13}, QStringLiteral("ファイル名")},
        {"Text1_2", "Frame3", {72, 16, 349, 18}, QString()},
        {"Command1_2", "Frame3", {422, 16, 43, 19}, QStringLiteral("参照")},
        {"Frame4", "Frame3", {12, 40, 117, 61}, QStringLiteral("データ設定")},
        {"Command3", "Frame3", {402, 46, 79, 19}, QStringLiteral("開始")},
        {"Option3", "Frame4", {6, 16, 87, 15}, QStringLiteral("BMP化")},
        {"Option4", "Frame4", {6, 32, 101, 21}, QStringLiteral("データ取り出し")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* w = Child(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.container));
        EXPECT_EQ(w->geometry(), c.geometry);
        EXPECT_TRUE(w->isVisible());
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(w)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) caption = button->text();
        if (auto* frame = qobject_cast<QGroupBox*>(w)) caption = frame->title();
        if (auto* box = qobject_cast<QLineEdit*>(w)) caption = box->text();
        EXPECT_EQ(caption, c.caption);
    }
}

TEST_F(Layout, EveryCaptionFitsItsControl) {
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const QFontMetrics metrics(w->font());
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            needed = metrics.horizontalAdvance(label->text());
            EXPECT_LE(metrics.ascent() + metrics.descent(), w->height() + 1) << w->objectName().toStdString();
        } else if (qobject_cast<QRadioButton*>(w)) {
            needed = w->sizeHint().width();
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            needed = metrics.horizontalAdvance(button->text()) + 8;
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            needed = metrics.horizontalAdvance(frame->title()) + 16;
        } else {
            continue;
        }
        EXPECT_LE(needed, w->width()) << w->objectName().toStdString();
    }
}

TEST_F(Layout, StartingState) {
    EXPECT_TRUE(Child<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>("Option2")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>("Option3")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>("Option4")->isChecked());
    EXPECT_EQ(Child<UpDown>("UD")->value(), 0);
    EXPECT_EQ(Child<UpDown>("UD")->minimum(), -10);
    EXPECT_EQ(Child<UpDown>("UD")->maximum(), 10);
    EXPECT_EQ(Child<UpDown>("UD2")->value(), 1);
    EXPECT_EQ(Child<UpDown>("UD2")->minimum(), 1);
    EXPECT_EQ(Child<UpDown>("UD2")->maximum(), 30);
    EXPECT_FALSE(Child("RunProgress")->isVisible());
    EXPECT_FALSE(Child("RunCancel")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Child("Command2"));
}

TEST_F(Layout, TabOrderFollowsTheDesignersOrder) {
    const char* expected[] = {"Command2",   "Option2",  "Option1",    "UD2",     "UD",         "Text2",
                              "Command1_1", "Text1_1",  "Command1_0", "Text1_0", "Command1_2", "Option3",
                              "Option4",    "Command3", "Text1_2",    "Command4"};
    QWidget* w = Child("Command2");
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        do {
            w = w->nextInFocusChain();
        } while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible());
        EXPECT_EQ(w->objectName(), QString::fromLatin1(expected[i])) << i;
    }
    // The labels and frames never take the focus.
    for (const char* name : {"Label1", "Label5", "Label9", "Frame1", "Frame2"})
        EXPECT_FALSE(Child(name)->focusPolicy() & Qt::TabFocus) << name;
}

TEST_F(Layout, FontsAndLooks) {
    // A Japanese proportional gothic, 9 points.
    const QFont font = Child("Label1")->font();
    EXPECT_EQ(font.pointSize(), 9);
    EXPECT_EQ(font.families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Japanese);
    EXPECT_TRUE(raw.supportsCharacter(QChar(u'暗'))) << QFontInfo(font).family().toStdString();

    auto* link = Child<QLabel>("Label9");
    EXPECT_TRUE(link->font().bold());
    EXPECT_TRUE(link->font().italic());
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    for (const char* echo : {"Label5", "Label7"}) {
        auto* label = Child<QLabel>(echo);
        EXPECT_TRUE(label->autoFillBackground()) << echo;
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::white)) << echo;
    }

    auto* password = Box("Text2");
    password->setText(QStringLiteral("秘密pw"));
    EXPECT_EQ(password->displayText(), QStringLiteral("****"));
}

}  // namespace
}  // namespace angoka::testing
