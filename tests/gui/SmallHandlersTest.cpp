// The small handlers: spin echoes, the home-page link, the close button, a file named on the
// command line and a file dropped on a path box.
#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "GuiFixture.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

class SmallHandlers : public FormTest {};

TEST_F(SmallHandlers, SpinEchoesShowTheValueAndStayInRange) {
    auto* ud = Child<UpDown>("UD");
    auto* ud2 = Child<UpDown>("UD2");
    auto* label5 = Child<QLabel>("Label5");
    auto* label7 = Child<QLabel>("Label7");
    struct Case {
        UpDown* spin;
        QLabel* echo;
        int set;
        QString shown;
    };
    const Case cases[] = {
        {ud, label5, -3, QStringLiteral("-3")},  {ud, label5, 0, QStringLiteral("0")},
        {ud, label5, 11, QStringLiteral("10")},  {ud, label5, -99, QStringLiteral("-10")},
        {ud2, label7, 0, QStringLiteral("1")},   {ud2, label7, 31, QStringLiteral("30")},
        {ud2, label7, 17, QStringLiteral("17")},
    };
    for (const Case& c : cases) {
        c.spin->setValue(c.set);
        EXPECT_EQ(c.echo->text(), c.shown) << c.set;
    }

    // The arrows and the keyboard step by one.
    ud->setValue(0);
    QTest::mouseClick(ud->findChild<QToolButton*>(QStringLiteral("up")), Qt::LeftButton);
    EXPECT_EQ(label5->text(), QStringLiteral("1"));
    QTest::mouseClick(ud->findChild<QToolButton*>(QStringLiteral("down")), Qt::LeftButton);
    QTest::mouseClick(ud->findChild<QToolButton*>(QStringLiteral("down")), Qt::LeftButton);
    EXPECT_EQ(label5->text(), QStringLiteral("-1"));
    EXPECT_EQ(QApplication::focusWidget(), ud);
    QTest::keyClick(ud, Qt::Key_Down);
    EXPECT_EQ(label5->text(), QStringLiteral("-2"));
    ud2->setValue(30);
    QTest::keyClick(ud2, Qt::Key_Up);
    EXPECT_EQ(label7->text(), QStringLiteral("30"));
}

TEST_F(SmallHandlers, HomePageLinkOpensTheShortcutsUrl) {
    struct Case {
        const char* name;
        std::optional<std::string> file;  // nothing: no shortcut file
        std::vector<std::u16string> opened;
    };
    const Case cases[] = {
        {"missing file", std::nullopt, {}},
        {"plain",
         "[InternetShortcut]\r\nURL=https://example.org/quorvane/\r\n",
         {u"https://example.org/quorvane/"}},
        {"other sections first",
         "\xEF\xBB\xBF[DEFAULT]\r\nBASEURL=https://wrong.example/\r\n[InternetShortcut]\r\nIconIndex=0\r\n"
         "url = https://example.org/a?b=c\r\n",
         {u"https://example.org/a?b=c"}},
        {"shift-jis",
         "[InternetShortcut]\r\nURL=https://example.org/\x83\x65\x83\x58\x83\x67\r\n",
         {u"https://example.org/テスト"}},
        {"no url line", "[InternetShortcut]\r\nIconIndex=0\r\n", {}},
        {"not a web page", "[InternetShortcut]\r\nURL=file:///bin/sh\r\n", {}},
        {"no scheme", "[InternetShortcut]\r\nURL=/usr/bin/xterm\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.shellOpened.clear();
        std::filesystem::remove(In("Quorvane.url"));
        if (c.file) WriteFile(In("Quorvane.url"), *c.file);
        QTest::mouseClick(Child("Label9"), Qt::LeftButton);
        EXPECT_EQ(services.shellOpened, c.opened);
        EXPECT_TRUE(services.messages.empty());
    }
}

TEST_F(SmallHandlers, CloseButtonClosesTheWindow) {
    Click("Command4");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(SmallHandlers, AFileNamedOnTheCommandLineFillsThePaneForIt) {
    struct Case {
        QString path;
        const char* box;
        const char* option;
    };
    const Case cases[] = {
        {QStringLiteral("/d/secret.qivg"), "Text1_0", "Option2"},
        {QStringLiteral("/d/SECRET.QIVG"), "Text1_0", "Option2"},
        {QStringLiteral("/d/picture.bmp"), "Text1_2", "Option4"},
        {QStringLiteral("/d/report.txt"), "Text1_0", "Option1"},
        {QStringLiteral("/d/noextension"), "Text1_0", "Option1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        for (const char* box : {"Text1_0", "Text1_1", "Text1_2"}) Box(box)->clear();
        form->OpenArgument(c.path);
        EXPECT_EQ(Box(c.box)->text(), c.path);
        EXPECT_TRUE(Child<QRadioButton>(c.option)->isChecked());
    }
}

TEST_F(SmallHandlers, AFileDroppedOnAPathBoxFillsIt) {
    for (const char* name : {"Text1_0", "Text1_1", "Text1_2"}) {
        SCOPED_TRACE(name);
        QLineEdit* box = Box(name);
        box->setText(QStringLiteral("old"));
        EXPECT_TRUE(DropFiles(box, {QStringLiteral("/data/日本語 name.txt")}));
        EXPECT_EQ(box->text(), QStringLiteral("/data/日本語 name.txt"));
    }
}

TEST_F(SmallHandlers, ADropSelectsTheModeThatGoesWithTheFile) {
    // As a file named on the command line does: the user drops what they mean to open. Each
    // pane's mode is set before the drop; the other pane's stays as it was.
    struct Case {
        const char* box;
        QString file;
        const char *encryptBefore, *bmpBefore;
        const char *encryptAfter, *bmpAfter;
    };
    const Case cases[] = {
        {"Text1_0", QStringLiteral("/d/a.qivg"), "Option1", "Option3", "Option2", "Option3"},
        {"Text1_0", QStringLiteral("/d/A.QIVG"), "Option1", "Option4", "Option2", "Option4"},
        {"Text1_0", QStringLiteral("/d/a.txt"), "Option2", "Option3", "Option1", "Option3"},
        {"Text1_0", QStringLiteral("/d/p.bmp"), "Option2", "Option3", "Option1", "Option3"},
        {"Text1_2", QStringLiteral("/d/p.bmp"), "Option1", "Option3", "Option1", "Option4"},
        {"Text1_2", QStringLiteral("/d/P.BMP"), "Option2", "Option3", "Option2", "Option4"},
        {"Text1_2", QStringLiteral("/d/a.jpg"), "Option1", "Option4", "Option1", "Option3"},
        // The destination says nothing about the mode.
        {"Text1_1", QStringLiteral("/d/a.qivg"), "Option1", "Option3", "Option1", "Option3"},
        {"Text1_1", QStringLiteral("/d/a.txt"), "Option2", "Option4", "Option2", "Option4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + c.file.toStdString());
        Select(c.encryptBefore);
        Select(c.bmpBefore);
        ASSERT_TRUE(DropFiles(Box(c.box), {c.file}));
        EXPECT_TRUE(Child<QRadioButton>(c.encryptAfter)->isChecked());
        EXPECT_TRUE(Child<QRadioButton>(c.bmpAfter)->isChecked());
    }
}

TEST_F(SmallHandlers, OfSeveralDroppedFilesOnlyTheFirstIsUsedAndTheUserIsTold) {
    struct Case {
        const char* box;
        QStringList files;
        bool told;
    };
    const QStringList three = {QStringLiteral("/d/first.qivg"), QStringLiteral("/d/second.txt"),
                               QStringLiteral("/d/third.bmp")};
    const Case cases[] = {
        {"Text1_0", three, true},
        {"Text1_1", three, true},
        {"Text1_2", three, true},
        {"Text1_0", {three.front()}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + std::to_string(c.files.size()));
        services.messages.clear();
        ASSERT_TRUE(DropFiles(Box(c.box), c.files));
        EXPECT_EQ(Box(c.box)->text(), c.files.front());
        QTest::qWait(1);  // the message follows once the drop itself is over
        QCoreApplication::processEvents();
        std::vector<std::u16string> expected;
        if (c.told)
            expected.push_back(u"複数のファイルがドロップされたため、最初のファイルだけを使います\r\n" +
                               FromQ(c.files.front()));
        EXPECT_EQ(Prompts(), expected);
    }
}

}  // namespace
}  // namespace angoka::testing
