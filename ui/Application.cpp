#include "Application.h"

#include <QApplication>

#include "Form1.h"
#include "RunTime.h"

namespace angoka {

void PrepareApplication() {
    QApplication::setApplicationName(QStringLiteral("angoka"));
    QApplication::setApplicationDisplayName(QString::fromUtf16(kAppTitle));
    QApplication::setWindowIcon(Form1Icon());
    QApplication::setFont(Form1Font());
}

}  // namespace angoka
