// angoka [FILE]: opens the window; a file named on the command line fills the pane for it.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <csignal>

#include "Application.h"
#include "Form1.h"
#include "QtRunTime.h"

int main(int argc, char* argv[]) {
    // Past a file-size limit, write(2) then fails with EFBIG, which is reported like any
    // failed write, instead of the signal killing the program mid-way.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    angoka::PrepareApplication();
    // Ties the window to its desktop entry, so Wayland desktops show the entry's name and icon.
    QApplication::setDesktopFileName(QStringLiteral(ANGOKA_APP_ID));
    // The interface is Japanese whatever the desktop's language: Qt's own dialogs too, when
    // its translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    angoka::QtRunTime services;
    angoka::Form1 form(services);
    services.SetWindow(&form);

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.OpenArgument(QFileInfo(arguments.at(1)).absoluteFilePath());

    form.show();
    return QApplication::exec();
}
