// angoka [FILE]: opens the window; a file named on the command line fills the pane for it.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include "Application.h"
#include "Form1.h"
#include "QtRunTime.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    angoka::PrepareApplication();
    // The interface is Japanese whatever the desktop's language: Qt's own dialogs too, when
    // its translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    angoka::QtRunTime services;
    angoka::Form1 form(services);
    services.SetWindow(&form);

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.OpenArgument(QFileInfo(arguments.at(1)).absoluteFilePath());

    form.show();
    return QApplication::exec();
}
