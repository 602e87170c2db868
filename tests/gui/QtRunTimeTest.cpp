// The Qt run-time services with real dialogs: the message box's buttons, icon and title, the
// input box, the file dialog's settings, and the filter and prompt conversions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ConsoleRunTime.h"
#include "QtRunTime.h"

namespace angoka {
namespace {

// Runs `inspect` on the modal dialog that the next call opens.
template <class Dialog>
void WhenOpen(std::function<void(Dialog*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspect(dialog);
    });
}

TEST(QtRunTime, FiltersAndPromptsInQtsForm) {
    struct Case {
        std::u16string filter;
        QString qt;
    };
    const Case cases[] = {
        {u"全てのファイル(*.*)|*.*", QStringLiteral("全てのファイル(*.*) (*)")},
        {u"Bitmap(*.bmp)|*.bmp", QStringLiteral("Bitmap(*.bmp) (*.bmp)")},
        {u"Quorvane暗号ファイル(*.qivg)|*.qivg", QStringLiteral("Quorvane暗号ファイル(*.qivg) (*.qivg)")},
        {u"Pictures|*.bmp;*.png|All|*.*", QStringLiteral("Pictures (*.bmp *.png);;All (*)")},
    };
    for (const Case& c : cases) EXPECT_EQ(QtNameFilters(c.filter), c.qt);
    EXPECT_EQ(QtPromptText(u"完了\r\n/tmp/x\rに出力完了"), QStringLiteral("完了\n/tmp/x\nに出力完了"));
}

TEST(QtRunTime, MessageBoxPutsYesFirstWithoutIconAndItsDefaultAsAsked) {
    QtRunTime services;
    enum class Press { Yes, No, Return, Escape };
    struct Case {
        Buttons buttons;
        Press press;
        bool answer;
    };
    const Case cases[] = {
        {Buttons::YesNo, Press::Yes, true},
        {Buttons::YesNo, Press::No, false},
        {Buttons::YesNo, Press::Return, true},
        {Buttons::YesNo, Press::Escape, false},
        // A question whose Yes destroys a file: Return keeps it.
        {Buttons::YesNoDefaultNo, Press::Yes, true},
        {Buttons::YesNoDefaultNo, Press::Return, false},
        {Buttons::YesNoDefaultNo, Press::Escape, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.press) + 10 * static_cast<int>(c.buttons));
        WhenOpen<QMessageBox>([c](QMessageBox* box) {
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->text(), QStringLiteral("元のファイル名a.txtを\n検出しました。"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("暗号化しましょ"));
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* no = box->button(QMessageBox::No);
            ASSERT_TRUE(yes && no);
            EXPECT_EQ(box->defaultButton(), c.buttons == Buttons::YesNo ? yes : no);
            EXPECT_EQ(yes->text(), QStringLiteral("はい(&Y)"));
            EXPECT_EQ(no->text(), QStringLiteral("いいえ(&N)"));
            EXPECT_LT(yes->mapToGlobal(QPoint()).x(), no->mapToGlobal(QPoint()).x());
            switch (c.press) {
                case Press::Yes:
                    return yes->click();
                case Press::No:
                    return no->click();
                case Press::Return:
                    return QTest::keyClick(box, Qt::Key_Return);
                case Press::Escape:
                    return QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        EXPECT_EQ(services.MsgBox(u"元のファイル名a.txtを\r\n検出しました。", c.buttons), c.answer);
    }
}

TEST(ConsoleRunTime, AQuestionWithoutAnyoneToAskTakesItsDefaultButton) {
    ConsoleRunTime services;
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(services.MsgBox(u"x", Buttons::OK, std::nullopt));
    EXPECT_TRUE(services.MsgBox(u"x", Buttons::YesNo, std::nullopt));
    EXPECT_FALSE(services.MsgBox(u"x", Buttons::YesNoDefaultNo, std::nullopt));
    ::testing::internal::GetCapturedStderr();
}

TEST(QtRunTime, MessageBoxTitle) {
    QtRunTime services;
    struct Case {
        std::optional<std::u16string> title;
        QString shown;
    };
    const Case cases[] = {
        {std::nullopt, QStringLiteral("暗号化しましょ")},
        {std::u16string(), QString()},
        {std::u16string(u"-ｴﾗｰ"), QStringLiteral("-ｴﾗｰ")},
    };
    for (const Case& c : cases) {
        WhenOpen<QMessageBox>([c](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), c.shown);
            ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
            EXPECT_EQ(box->button(QMessageBox::Yes), nullptr);
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_TRUE(services.MsgBox(u"x", Buttons::OK, c.title));
    }
}

TEST(QtRunTime, InputBoxGivesTheTextOrNothingWhenCancelled) {
    QtRunTime services;
    WhenOpen<QInputDialog>([](QInputDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("拡張子"));
        EXPECT_EQ(dialog->labelText(),
                  QStringLiteral("/d/photo.につける拡張子を入力してください(.は不必要)"));
        EXPECT_EQ(dialog->textValue(), QStringLiteral("qivg"));
        dialog->setTextValue(QStringLiteral("jpg"));
        dialog->accept();
    });
    EXPECT_EQ(services.InputBox(u"/d/photo.につける拡張子を入力してください(.は不必要)", u"拡張子", u"qivg"),
              std::u16string(u"jpg"));
    WhenOpen<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(services.InputBox(u"p", u"t", u"qivg"), std::nullopt);
}

TEST(QtRunTime, FileDialogSettings) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    QtRunTime services;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = u"ファイルの参照";
    request.filter = u"Quorvane暗号ファイル(*.qivg)|*.qivg";
    request.fileName = FromQString(scratch.path() + QStringLiteral("/report"));
    request.defaultSuffix = u"qivg";
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ファイルの参照"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList{QStringLiteral("Quorvane暗号ファイル(*.qivg) (*.qivg)")});
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("qivg"));
        dialog->reject();
    });
    EXPECT_EQ(services.FileDialog(request), std::nullopt);

    request.kind = FileDialogRequest::Kind::Open;
    request.defaultSuffix.clear();
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->reject();
    });
    EXPECT_EQ(services.FileDialog(request), std::nullopt);
}

TEST(QtRunTime, TheFileDialogListsEachFilterAsItsDescriptionAlone) {
    QtRunTime services;
    for (const std::u16string filter :
         {u"全てのファイル(*.*)|*.*", u"Bitmap(*.bmp)|*.bmp", u"Quorvane暗号ファイル(*.qivg)|*.qivg"}) {
        FileDialogRequest request;
        request.filter = filter;
        const QString description = ToQString(filter.substr(0, filter.find(u'|')));
        WhenOpen<QFileDialog>([description](QFileDialog* dialog) {
            EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            ASSERT_EQ(types->count(), 1);
            EXPECT_EQ(types->itemText(0), description);
            dialog->reject();
        });
        services.FileDialog(request);
    }
}

TEST(QtRunTime, TheFileDialogOpensInTheGivenFolderElseInTheNamesOwn) {
    QTemporaryDir given, last;
    ASSERT_TRUE(given.isValid() && last.isValid());
    struct Case {
        QString folder;
        QString directory;  // where the dialog opens
    };
    const Case cases[] = {
        {given.path() + QStringLiteral("/"), given.path()},
        {QString(), last.path()},
        {given.path() + QStringLiteral("/gone/"), last.path()},
    };
    QtRunTime services;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        FileDialogRequest request;
        request.filter = u"全てのファイル(*.*)|*.*";
        request.fileName = FromQString(last.path() + QStringLiteral("/x.txt"));
        request.folder = FromQString(c.folder);
        WhenOpen<QFileDialog>([c](QFileDialog* dialog) {
            EXPECT_EQ(dialog->directory().absolutePath(), c.directory);
            dialog->reject();
        });
        services.FileDialog(request);
    }
}

TEST(QtRunTime, DialogsTakeTheWindowsFont) {
    QWidget window;
    QFont font(QStringLiteral("IPAPGothic"), 13);
    window.setFont(font);
    QtRunTime services(&window);
    WhenOpen<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->font(), window.font());
        box->button(QMessageBox::Ok)->click();
    });
    services.MsgBox(u"x");
    WhenOpen<QInputDialog>([&](QInputDialog* dialog) {
        EXPECT_EQ(dialog->font(), window.font());
        dialog->reject();
    });
    services.InputBox(u"p", u"t", u"");
    WhenOpen<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->font(), window.font());
        dialog->reject();
    });
    services.FileDialog({});
}

TEST(QtRunTime, RandomDrawsAndProgramFolder) {
    QtRunTime services;
    double low = 1, high = 0;
    for (int i = 0; i < 1000; ++i) {
        const double u = services.Rnd();
        ASSERT_TRUE(u >= 0 && u < 1) << u;
        low = std::min(low, u);
        high = std::max(high, u);
    }
    EXPECT_LT(low, 0.1);
    EXPECT_GT(high, 0.9);
    EXPECT_EQ(services.ProgramFolder(), FromQString(QCoreApplication::applicationDirPath()));
}

}  // namespace
}  // namespace angoka
