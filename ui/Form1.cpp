#include "Form1.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QUrl>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "BinAngsDL.h"
#include "BmpCodec.h"
#include "Envelope.h"
#include "Errors.h"
#include "Messages.h"
#include "NarrowCharset.h"
#include "Nibbles.h"
#include "Paths.h"
#include "QivgCodec.h"
#include "RunDriver.h"
#include "RunTime.h"
#include "UpDown.h"
#include "Utf.h"
#include "WindowMessages.h"

namespace angoka {
namespace {

std::u16string Text(const QLineEdit* box) {
    const QString text = box->text();
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString ToQ(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::size_t LastSeparator(const std::u16string& path) {
    for (std::size_t i = path.size(); i-- > 0;)
        if (IsPathSeparator(path[i])) return i;
    return std::u16string::npos;
}

// The characters after the last separator; a path without one is all name.
std::u16string BaseName(const std::u16string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

// The folder part with its trailing separator; empty for a path without one.
std::u16string FolderOf(const std::u16string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

// A destination typed without a folder goes beside the source.
std::u16string BesideSource(const std::u16string& source, const std::u16string& destination) {
    if (LastSeparator(destination) != std::u16string::npos) return destination;
    return FolderOf(source) + destination;
}

// The URL= line of the [InternetShortcut] section of an Internet shortcut file.
std::optional<std::u16string> ShortcutUrl(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(QByteArray::fromStdString(bytes));
    if (utf8.hasError()) {
        const std::u16string narrow = FromNarrow(bytes);
        text = ToQ(narrow);
    }
    bool inSection = false;
    for (QString line : text.split(QChar(u'\n'))) {
        line = line.trimmed();
        if (line.startsWith(QChar(u'['))) {
            inSection = line.compare(QStringLiteral("[InternetShortcut]"), Qt::CaseInsensitive) == 0;
        } else if (inSection) {
            const qsizetype equals = line.indexOf(QChar(u'='));
            if (equals > 0 &&
                line.left(equals).trimmed().compare(QStringLiteral("URL"), Qt::CaseInsensitive) == 0) {
                const QString url = line.mid(equals + 1).trimmed();
                // A home page, nothing else: a shortcut may not start programs or open files.
                const QString scheme = QUrl(url).scheme().toLower();
                if (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
                    return std::nullopt;
                return std::u16string(reinterpret_cast<const char16_t*>(url.utf16()),
                                      static_cast<std::size_t>(url.size()));
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Form1::Form1(RunTime& services, QWidget* parent)
    : QWidget(parent), services_(services), driver_(new RunDriver(this)) {
    BuildLayout();
    ConnectHandlers();
    Form_Load();
}

Form1::~Form1() {
    driver_->CancelAndWait();
}

bool Form1::CancelRequested() const {
    return driver_->CancelRequested();
}

void Form1::ConnectHandlers() {
    for (int i = 0; i < 3; ++i) {
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Text1[i]->installEventFilter(this);
        Text1[i]->setAcceptDrops(true);
    }
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(UD, &UpDown::valueChanged, this, &Form1::UD_Change);
    connect(UD2, &UpDown::valueChanged, this, &Form1::UD2_Change);
    Label9->installEventFilter(this);
    connect(RunCancel, &QPushButton::clicked, this, [this] {
        driver_->Cancel();
        RunCancel->setEnabled(false);
    });
    connect(driver_, &RunDriver::progressed, this, &Form1::ShowProgress);
}

void Form1::Form_Load() {
    if (!cipher_) cipher_ = std::make_unique<BinAngsDL>(services_);
    cipher_->TempFilePath(services_.ProgramFolder() + kPathSeparator);
}

void Form1::OpenArgument(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("qivg")) {
        Text1[0]->setText(path);
        Option2->setChecked(true);
    } else if (suffix == QStringLiteral("bmp")) {
        Text1[2]->setText(path);
        Option4->setChecked(true);
    } else {
        Text1[0]->setText(path);
        Option1->setChecked(true);
    }
}

// Browse: the source boxes get an open dialog, the destination box a save dialog; the
// filter follows the box and the selected mode.
void Form1::Command1_Click(int Index) {
    FileDialogRequest request;
    request.title = kBrowseTitle;
    request.kind = Index == 1 ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open;
    if ((Index == 0 && Option1->isChecked()) || (Index == 1 && Option2->isChecked()) ||
        (Index == 2 && Option3->isChecked())) {
        request.filter = kAllFilesFilter;
    } else if (Index == 2 && Option4->isChecked()) {
        request.filter = kBitmapFilter;
    } else {
        request.filter = kEncryptedFilter;
        if (request.kind == FileDialogRequest::Kind::Save) request.defaultSuffix = kEncryptedSuffix;
    }
    request.fileName = comFileName_;
    const auto chosen = services_.FileDialog(request);
    if (!chosen || chosen->empty()) return;  // cancelled: the box keeps its text
    comFileName_ = *chosen;
    Text1[Index]->setText(ToQ(*chosen));
}

void Form1::Command2_Click() {
    if (running_) return;
    const std::u16string source = Text(Text1[0]);
    const std::u16string destination = Text(Text1[1]);
    const std::u16string password = Text(Text2);
    if (source.empty()) {
        services_.MsgBox(kEnterSource);
        return;
    }
    if (destination.empty()) {
        services_.MsgBox(kEnterDestination);
        return;
    }
    if (password.empty()) {
        services_.MsgBox(kEnterPassword);
        Text2->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A password the file cannot store could never be matched again: the encrypted file
    // could never be opened.
    if (const Outcome checked = CheckPassword(password); Option1->isChecked() && checked != Outcome::Ok) {
        services_.MsgBox(OutcomeText(checked));
        Text2->setFocus(Qt::OtherFocusReason);
        return;
    }
    EnterBusy(true);
    const std::u16string baseName = BaseName(source);
    const std::int32_t inKey = UD->value();
    cipher_->InKey(inKey);
    const std::u16string output = BesideSource(source, destination);
    if (Option1->isChecked()) {
        Encrypt(source, output, password, baseName, inKey);
    } else {
        Decrypt(source, output, password, inKey);
    }
}

void Form1::Encrypt(const std::u16string& source, const std::u16string& destination,
                    const std::u16string& password, const std::u16string& baseName, std::int32_t inKey) {
    cipher_->FileName(baseName);
    cipher_->Pass(password);
    EncryptRequest request{
        PathFromText(source), PathFromText(destination), password, StorableName(baseName), inKey, {}};
    const int rounds = UD2->value() + 3;  // the envelope's three, then the extra ones
    for (int i = 0; i < rounds; ++i) request.rounds.push_back(DrawRoundKey(services_));
    driver_->Start([request = std::move(request), options = outputOptions_](
                       const Progress& progress) { return EncryptFile(request, progress, options); },
                   [this, source, destination](const Result& result) {
                       if (result.ok()) {
                           services_.MsgBox(kEncryptDonePrefix + destination + kOutputDone);
                       } else {
                           ReportFailure(result, source, destination);
                       }
                       LeaveBusy();
                   });
}

void Form1::Decrypt(const std::u16string& source, const std::u16string& destination,
                    const std::u16string& password, std::int32_t inKey) {
    cipher_->FileName(std::u16string());
    cipher_->Pass(password);
    const DecryptRequest request{PathFromText(source), password, inKey, UD2->value()};
    auto opened = std::make_shared<OpenedQivg>();
    driver_->Start(
        [request, opened](const Progress& progress) {
            *opened = OpenQivg(request, progress);
            return opened->result;
        },
        [this, source, destination, opened](const Result& result) {
            if (!result.ok() || driver_->CancelRequested()) {
                ReportFailure(result.ok() ? Result{Outcome::Cancelled, {}, {}} : result, source, destination);
                LeaveBusy();
                return;
            }
            cipher_->FileName(opened->storedName.value_or(std::u16string()));
            std::u16string output = destination;
            if (opened->safeName) {
                const bool yes = services_.MsgBox(kStoredNameBefore + *opened->safeName + kStoredNameAfter,
                                                  Buttons::YesNo);
                if (yes) output = FolderOf(destination) + *opened->safeName;
            }
            if (closing_) return;
            driver_->Start(
                [opened, path = PathFromText(output), options = outputOptions_](const Progress& progress) {
                    return WriteQivg(*opened, path, progress, options);
                },
                [this, source, output](const Result& written) {
                    if (written.ok()) {
                        services_.MsgBox(output + kDecryptDone);
                    } else {
                        ReportFailure(written, source, output);
                    }
                    LeaveBusy();
                });
        });
}

void Form1::Command3_Click() {
    if (running_) return;
    const std::u16string source = Text(Text1[2]);
    if (source.empty()) {
        services_.MsgBox(kEnterFileName);
        return;
    }
    const auto stem = DottedStem(source);
    if (!stem) {
        services_.MsgBox(kNoDot);
        return;
    }
    EnterBusy(false);
    if (Option3->isChecked()) {
        WrapBmp(source, *stem);
    } else {
        ExtractBmp(source, *stem);
    }
}

void Form1::WrapBmp(const std::u16string& source, const std::u16string& stem) {
    const std::u16string output = stem + u"bmp";
    driver_->Start([from = PathFromText(source), to = PathFromText(output), options = outputOptions_](
                       const Progress& progress) { return angoka::WrapBmp(from, to, progress, options); },
                   [this, source, output](const Result& result) {
                       if (result.ok()) {
                           services_.MsgBox(output + kOutputDone);
                       } else {
                           ReportFailure(result, source, output);
                       }
                       LeaveBusy();
                   });
}

void Form1::ExtractBmp(const std::u16string& source, const std::u16string& stem) {
    // The file is looked at before the extension is asked for, so that a file that cannot
    // be extracted is refused without a question.
    const auto path = PathFromText(source);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        ReportFailure({Outcome::SourceMissing, path, {}}, source, source);
        LeaveBusy();
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size < kBmpHeaderSize) {
        ReportFailure(ec ? Result{Outcome::IoError, path, ec} : Result{Outcome::BmpTooShort, path, {}},
                      source, source);
        LeaveBusy();
        return;
    }
    const auto answer = services_.InputBox(stem + kExtensionPrompt, kExtensionTitle, kExtensionDefault);
    if (!answer || closing_) {  // cancelled: nothing is written
        LeaveBusy();
        return;
    }
    const std::u16string output = stem + *answer;
    driver_->Start([from = path, to = PathFromText(output), options = outputOptions_](
                       const Progress& progress) { return angoka::ExtractBmp(from, to, progress, options); },
                   [this, source, output](const Result& result) {
                       if (!result.ok()) ReportFailure(result, source, output);
                       LeaveBusy();
                   });
}

void Form1::Command4_Click() {
    close();
}

void Form1::Label9_Click() {
    const auto url = ShortcutUrl(PathFromText(services_.ProgramFolder() + kPathSeparator + kShortcutFile));
    if (url) services_.ShellOpen(*url);
}

void Form1::UD_Change() {
    Label5->setText(QString::number(UD->value()));
}

void Form1::UD2_Change() {
    Label7->setText(QString::number(UD2->value()));
}

void Form1::EnterBusy(bool swapCaption) {
    running_ = true;
    driver_->NewRun();
    if (swapCaption) {
        savedCaption_ = std::u16string(reinterpret_cast<const char16_t*>(windowTitle().utf16()),
                                       static_cast<std::size_t>(windowTitle().size()));
        setWindowTitle(QString::fromUtf16(kBusyCaption));
        captionSwapped_ = true;
    }
    setCursor(Qt::WaitCursor);
    // Controls with a pointer of their own show the hourglass too, except the cancel button.
    for (QWidget* own : std::initializer_list<QWidget*>{Text1[0], Text1[1], Text1[2], Text2, Label9})
        own->setCursor(Qt::WaitCursor);
    RunCancel->setCursor(Qt::ArrowCursor);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    RunProgress->setValue(0);
    RunProgress->show();
    RunCancel->setEnabled(true);
    RunCancel->show();
}

void Form1::LeaveBusy() {
    if (!running_) return;
    if (captionSwapped_) {
        setWindowTitle(ToQ(savedCaption_));
        captionSwapped_ = false;
    }
    unsetCursor();
    for (QWidget* own : std::initializer_list<QWidget*>{Text1[0], Text1[1], Text1[2], Text2})
        own->setCursor(Qt::IBeamCursor);
    Label9->setCursor(Qt::PointingHandCursor);
    RunProgress->hide();
    RunCancel->hide();
    Command2->setEnabled(true);
    Command3->setEnabled(true);
    running_ = false;
    emit runFinished();
}

void Form1::ShowProgress(quint64 done, quint64 total) {
    if (!running_) return;
    const int permille = total == 0 ? 1000 : static_cast<int>(std::min<quint64>(done, total) * 1000 / total);
    RunProgress->setValue(permille);
}

void Form1::ReportFailure(const Result& result, const std::u16string& source, const std::u16string& path) {
    const std::u16string named = result.path.empty() ? path : TextFromPath(result.path);
    const std::u16string headline = OutcomeText(result.outcome);
    switch (result.outcome) {
        case Outcome::Ok:
            return;
        case Outcome::SourceMissing:
            services_.MsgBox(NotFoundMessage(source), Buttons::OK, cipher_->TitleName());
            return;
        case Outcome::WrongPassword:
            services_.MsgBox(headline);
            services_.MsgBox(kDecryptFailed);
            return;
        case Outcome::OddLength:
            services_.MsgBox(headline, Buttons::OK, cipher_->TitleName() + kOddLengthTitleSuffix);
            return;
        case Outcome::DestinationIsFolder:
        case Outcome::DestinationExists:
        case Outcome::DestinationNotFile:
            services_.MsgBox(headline + u"\r\n" + named);
            return;
        case Outcome::IoError:
            services_.MsgBox(headline + u"\r\n" + named + u"\r\n" + kReasonLabel + ReasonText(result.error));
            return;
        default:
            services_.MsgBox(headline);
            return;
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    closing_ = true;
    if (driver_->Working()) {
        // Stop the job at its next check and wait for it: its temporary file is removed and
        // the destination stays as it was.
        driver_->CancelAndWait();
    }
    LeaveBusy();
    event->accept();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label9) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && Label9->rect().contains(mouse->position().toPoint())) {
                Label9_Click();
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    for (int i = 0; i < 3; ++i) {
        if (watched != Text1[i]) continue;
        // A file dropped on a path box fills it.
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
            event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
            if (urls.isEmpty() || !urls.front().isLocalFile()) return QWidget::eventFilter(watched, event);
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) Text1[i]->setText(urls.front().toLocalFile());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace angoka
