#include "QtRunTime.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QUrl>

namespace angoka {
namespace {

// Lays out dialog buttons in the order Yes, No (affirmative first) on every desktop.
class AffirmativeFirstStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_DialogButtonLayout) return QDialogButtonBox::WinLayout;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void QtRunTime::UseWindowFont(QWidget& dialog) const {
    // The window's Japanese font for the dialog's own text too, Latin letters included.
    if (window_) dialog.setFont(window_->font());
}

QString QtPromptText(const std::u16string& prompt) {
    QString text = ToQString(prompt);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    return text;
}

QString QtNameFilters(const std::u16string& filter) {
    const QStringList parts = ToQString(filter).split(QChar(u'|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QChar(u';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QChar(u' ')) + QChar(u')');
    }
    return filters.join(QStringLiteral(";;"));
}

QtRunTime::QtRunTime(QWidget* window)
    : window_(window), generator_(std::random_device{}()), buttonOrderStyle_(new AffirmativeFirstStyle) {}

QtRunTime::~QtRunTime() = default;

bool QtRunTime::MsgBox(const std::u16string& prompt, Buttons buttons,
                       const std::optional<std::u16string>& title) {
    QMessageBox box(window_);
    UseWindowFont(box);
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(ToQString(title ? *title : std::u16string(kAppTitle)));
    box.setText(QtPromptText(prompt));
    if (auto* buttonBox = box.findChild<QDialogButtonBox*>()) buttonBox->setStyle(buttonOrderStyle_.get());
    if (buttons != Buttons::OK) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
        box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    return buttons == Buttons::OK || answer == QMessageBox::Yes;
}

std::optional<std::u16string> QtRunTime::InputBox(const std::u16string& prompt, const std::u16string& title,
                                                  const std::u16string& defaultAnswer) {
    QInputDialog dialog(window_);
    UseWindowFont(dialog);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(ToQString(title));
    dialog.setLabelText(QtPromptText(prompt));
    dialog.setTextValue(ToQString(defaultAnswer));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FromQString(dialog.textValue());
}

void QtRunTime::DoEvents() {
    QCoreApplication::processEvents();
}

double QtRunTime::Rnd() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

std::optional<std::u16string> QtRunTime::FileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(window_, ToQString(request.title));
    UseWindowFont(dialog);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The descriptions already show their patterns: the list shows them as they are.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(QtNameFilters(request.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    if (!request.defaultSuffix.empty()) dialog.setDefaultSuffix(ToQString(request.defaultSuffix));
    const QString folder = ToQString(request.folder);
    const bool inFolder = !folder.isEmpty() && QDir(folder).exists();
    if (inFolder) dialog.setDirectory(folder);
    if (!request.fileName.empty()) {
        // A name from elsewhere is offered in the chosen folder; alone, it opens its own.
        const QString name = ToQString(request.fileName);
        dialog.selectFile(inFolder ? QFileInfo(name).fileName() : name);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
    return FromQString(chosen.front());
}

void QtRunTime::ShellOpen(const std::u16string& target) {
    const QString text = ToQString(target);
    const QUrl url(text);
    // A one-letter "scheme" is a Windows drive; anything without a scheme is a local path.
    if (url.isValid() && url.scheme().size() > 1) {
        QDesktopServices::openUrl(url);
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(text));
    }
}

std::u16string QtRunTime::ProgramFolder() {
    return FromQString(QCoreApplication::applicationDirPath());
}

}  // namespace angoka
