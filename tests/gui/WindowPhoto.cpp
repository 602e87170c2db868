// window_photo [--dark]: shows the window as the program does, for photographs of its looks.
// With --dark it opens under a dark colour scheme (Fusion with a dark palette), as on a
// desktop set to dark.
#include <QApplication>
#include <QStyleFactory>

#include "Application.h"
#include "DarkPalette.h"
#include "Form1.h"
#include "QtRunTime.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    angoka::PrepareApplication();
    if (QApplication::arguments().contains(QStringLiteral("--dark"))) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(angoka::testing::DarkPalette());
    }
    angoka::QtRunTime services;
    angoka::Form1 form(services);
    services.SetWindow(&form);
    form.show();
    return QApplication::exec();
}
