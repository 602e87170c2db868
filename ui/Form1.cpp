// The window's handlers and the order of a run's steps.
#include "Form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <system_error>

#include "BinAngsDL.h"
#include "BmpCodec.h"
#include "Envelope.h"
#include "FileIdentity.h"
#include "FormatRules.h"
#include "InternetShortcut.h"
#include "Nibbles.h"
#include "PathBox.h"
#include "PathText.h"
#include "Paths.h"
#include "QtRunTime.h"
#include "RunDriver.h"
#include "RunMessages.h"
#include "RunTime.h"
#include "SourceFile.h"
#include "UpDown.h"
#include "WindowMessages.h"

namespace angoka {

Form1::Form1(WindowRunTime& services, QWidget* parent)
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

OutputOptions Form1::WriteOptions(bool replace, OutputKind kind) const {
    OutputOptions options = outputOptions_;
    options.replace = replace;
    options.flushNew = true;
    if (kind == OutputKind::FromStoredName) options.followLinks = false;
    return options;
}

void Form1::ConnectHandlers() {
    for (int i = 0; i < 3; ++i)
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    // Return in a box presses the start button of its pane, as in a form.
    for (QLineEdit* box : std::initializer_list<QLineEdit*>{Text1[0], Text1[1], Text2})
        connect(box, &QLineEdit::returnPressed, Command2, &QPushButton::click);
    connect(Text1[2], &QLineEdit::returnPressed, Command3, &QPushButton::click);
    for (int i = 0; i < 3; ++i)
        connect(Text1[i], &PathBox::fileDropped, this, [this, i](int count) { Dropped(i, count); });
    // Any change to the destination that the window did not make is the user's own.
    connect(Text1[1], &QLineEdit::textChanged, this, [this] {
        if (!fillingDestination_) destinationFilled_ = false;
    });
    connect(Option1, &QRadioButton::toggled, this, &Form1::DirectionChanged);
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
    const std::u16string file = FromQString(path);
    if (HasExtension<char16_t>(file, kBmpExtension)) {
        Text1[2]->setText(path);
        Option4->setChecked(true);
        Command3->setFocus(Qt::OtherFocusReason);
        return;
    }
    (HasExtension<char16_t>(file, kQivgExtension) ? Option2 : Option1)->setChecked(true);
    Text1[0]->setText(path);
    SourceChosen();
    Text2->setFocus(Qt::OtherFocusReason);
}

void Form1::SourceChosen() {
    if (destinationFilled_ || Text1[1]->text().isEmpty()) FillDestination();
}

void Form1::DirectionChanged() {
    if (destinationFilled_) FillDestination();
}

void Form1::FillDestination() {
    fillingDestination_ = true;
    Text1[1]->setText(ToQString(WindowDestination(BoxText(Text1[0]), Option1->isChecked())));
    fillingDestination_ = false;
    destinationFilled_ = true;
}

void Form1::Dropped(int index, int fileCount) {
    const std::u16string file = BoxText(Text1[index]);
    if (index == 0) {
        (HasExtension<char16_t>(file, kQivgExtension) ? Option2 : Option1)->setChecked(true);
        SourceChosen();
    } else if (index == 2) {
        (HasExtension<char16_t>(file, kBmpExtension) ? Option4 : Option3)->setChecked(true);
    }
    if (fileCount <= 1) return;
    // After the drop has ended: the program the files came from is not kept waiting.
    QMetaObject::invokeMethod(
        this, [this, file] { services_.MsgBox(OnlyFirstDropped(file)); }, Qt::QueuedConnection);
}

// Browse: the source boxes get an open dialog, the destination box a save dialog; the
// filter follows the box and the selected mode. The dialog opens in the folder of the path
// already in the box, else where the last browse left it.
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
        if (request.kind == FileDialogRequest::Kind::Save) request.defaultSuffix = kQivgExtension;
    }
    request.fileName = comFileName_;
    request.folder = FolderOf(BoxText(Text1[Index]));
    const auto chosen = services_.FileDialog(request);
    if (!chosen || chosen->empty()) return;  // cancelled: the box keeps its text
    comFileName_ = *chosen;
    Text1[Index]->setText(ToQString(*chosen));
    if (Index == 1) {
        // The save dialog asks before it returns an existing file's name.
        std::error_code ec;
        replaceAgreed_.reset();
        if (std::filesystem::exists(std::filesystem::symlink_status(PathFromText(*chosen), ec)))
            replaceAgreed_ = *chosen;
    }
    if (Index == 0) SourceChosen();
}

void Form1::Command2_Click() {
    if (running_) return;
    const std::u16string source = BoxText(Text1[0]);
    const std::u16string destination = BoxText(Text1[1]);
    const std::u16string password = BoxText(Text2);
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
    } else if (!RefuseOwnSource(source, output)) {
        Decrypt({source, output, password}, inKey, UD2->value(), true);
    }
}

void Form1::Encrypt(const std::u16string& source, const std::u16string& destination,
                    const std::u16string& password, const std::u16string& baseName, std::int32_t inKey) {
    if (RefuseSource(source, destination) || RefuseOwnSource(source, destination)) return;
    cipher_->FileName(baseName);
    cipher_->Pass(password);
    EncryptRequest request{
        PathFromText(source), PathFromText(destination), password, StorableName(baseName), inKey, {}};
    request.rounds = DrawRoundKeys(services_, UD2->value());
    Write(
        source, destination,
        [request = std::move(request)](const Progress& progress, const OutputOptions& options) {
            return EncryptFile(request, progress, options);
        },
        EncryptedMessage(destination));
}

void Form1::Decrypt(const DecryptRun& run, std::int32_t inKey, std::int32_t rounds, bool searchOthers) {
    cipher_->FileName(std::u16string());
    cipher_->Pass(run.password);
    const DecryptRequest request{PathFromText(run.source), run.password, inKey, rounds};
    auto opened = std::make_shared<OpenedQivg>();
    auto others = std::make_shared<std::optional<QivgSettings>>();
    driver_->Start(
        [request, opened, others, searchOthers](const Progress& progress) {
            *opened = OpenQivg(request, progress);
            // The password may be right and the numbers wrong, or the file no .qivg file at
            // all: its first bytes tell.
            if (opened->result.outcome == Outcome::WrongPassword && !progress.Cancelled()) {
                const FoundSettings found = FindSettings(request.source, request.password);
                opened->result.outcome = MismatchOutcome(found);
                if (searchOthers && !found.settings.empty()) *others = found.settings.front();
            }
            return opened->result;
        },
        [this, run, opened, others](const Result&) { Opened(run, opened, *others); });
}

void Form1::Opened(const DecryptRun& run, const std::shared_ptr<OpenedQivg>& opened,
                   const std::optional<QivgSettings>& others) {
    const Result& result = opened->result;
    const bool cancelled = driver_->CancelRequested();
    if (result.ok() && cancelled) return EndRun({Outcome::Cancelled, {}, {}}, run.source, run.destination);
    if (result.outcome == Outcome::WrongPassword && others && !cancelled) {
        return TryOtherSettings(run, *others);
    }
    if (!result.ok()) return EndRun(result, run.source, run.destination);
    cipher_->FileName(opened->storedName.value_or(std::u16string()));
    std::u16string output = run.destination;
    OutputKind kind = OutputKind::Chosen;
    if (opened->safeName) {
        const bool yes =
            services_.MsgBox(kStoredNameBefore + *opened->safeName + kStoredNameAfter, Buttons::YesNo);
        if (closing_) return;
        if (yes) {
            output = FolderOf(run.destination) + *opened->safeName;
            kind = OutputKind::FromStoredName;
        }
    }
    // The stored name may name the source itself; the typed name may have become it meanwhile.
    if (RefuseOwnSource(run.source, output)) return;
    Write(
        run.source, output,
        [opened, path = PathFromText(output)](const Progress& progress, const OutputOptions& options) {
            return WriteQivg(*opened, path, progress, options);
        },
        DecryptedMessage(output), kind);
}

// Offers the numbers under which the password matches; on Yes the spin controls take them
// and the decryption starts again under them, once: no second search.
void Form1::TryOtherSettings(const DecryptRun& run, const QivgSettings& others) {
    const bool yes = services_.MsgBox(OtherSettingsQuestion(others.inKey, others.rounds), Buttons::YesNo);
    if (closing_) return;
    if (!yes) {
        WorkDone(false);
        services_.MsgBox(kDecryptFailed);
        return LeaveBusy();
    }
    UD->setValue(others.inKey);
    UD2->setValue(others.rounds);
    cipher_->InKey(others.inKey);
    Decrypt(run, others.inKey, others.rounds, false);
}

void Form1::Command3_Click() {
    if (running_) return;
    const std::u16string source = BoxText(Text1[2]);
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
    // A .bmp wrapped onto itself is replaced by its wrapped form, after the replace question.
    const std::u16string output = stem + kBmpExtension;
    if (RefuseSource(source, output)) return;
    Write(
        source, output,
        [from = PathFromText(source), to = PathFromText(output)](const Progress& progress,
                                                                 const OutputOptions& options) {
            return angoka::WrapBmp(from, to, progress, options);
        },
        WrappedMessage(output));
}

void Form1::ExtractBmp(const std::u16string& source, const std::u16string& stem) {
    // The file is looked at before the extension is asked for, so that a file that cannot
    // be extracted is refused without a question.
    const auto path = PathFromText(source);
    if (const Result refused = CheckBmpToExtract(path); !refused.ok()) return EndRun(refused, source, source);
    const auto answer = services_.InputBox(stem + kExtensionPrompt, kExtensionTitle, kExtensionDefault);
    if (closing_) return;
    if (!answer) return LeaveBusy();  // cancelled: nothing is written
    const std::u16string output = stem + *answer;
    Write(source, output,
          [from = path, to = PathFromText(output)](const Progress& progress, const OutputOptions& options) {
              return angoka::ExtractBmp(from, to, progress, options);
          },
          {});
}

bool Form1::RefuseSource(const std::u16string& source, const std::u16string& output) {
    SourceFile file;
    const Result opened = file.Open(PathFromText(source));
    if (opened.ok()) return false;
    EndRun(opened, source, output);
    return true;
}

bool Form1::RefuseOwnSource(const std::u16string& source, const std::u16string& output) {
    if (!IsSameFile(PathFromText(source), PathFromText(output))) return false;
    WorkDone(false);
    services_.MsgBox(kOutputIsSource + std::u16string(u"\r\n") + output);
    LeaveBusy();
    return true;
}

void Form1::Write(const std::u16string& source, const std::u16string& output, WriteJob job,
                  const std::u16string& doneMessage, OutputKind kind) {
    // A link where only a file may be is refused as the write would refuse it, without first
    // asking whether to replace it.
    std::error_code ec;
    if (kind == OutputKind::FromStoredName && std::filesystem::is_symlink(PathFromText(output), ec))
        return EndRun({Outcome::DestinationNotFile, PathFromText(output), {}}, source, output);
    const std::optional<bool> replace = ReplaceConsent(output);
    if (closing_) return;
    if (!replace) return LeaveBusy();  // the user keeps the file: the run ends quietly
    driver_->Start([job = std::move(job), options = WriteOptions(*replace, kind)](
                       const Progress& progress) { return job(progress, options); },
                   [this, source, output, doneMessage](const Result& result) {
                       // The consent was for the file that was there; the next run asks afresh.
                       if (result.ok() && replaceAgreed_ == output) replaceAgreed_.reset();
                       EndRun(result, source, output, doneMessage);
                   });
}

std::optional<bool> Form1::ReplaceConsent(const std::u16string& output) {
    if (replaceAgreed_ && *replaceAgreed_ == output && BoxText(Text1[1]) == output) return true;
    const auto path = PathFromText(output);
    std::error_code ec;
    // Anything at the path counts, a link that leads nowhere too; a folder is refused by the
    // write itself, with its own message.
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return false;
    if (std::filesystem::is_directory(path, ec)) return false;
    // No is the default: a Return pressed by habit keeps the file.
    if (!services_.MsgBox(ReplaceQuestion(output), Buttons::YesNoDefaultNo)) return std::nullopt;
    return true;
}

void Form1::EndRun(const Result& result, const std::u16string& source, const std::u16string& path,
                   const std::u16string& doneMessage) {
    WorkDone(result.ok());
    if (!result.ok()) {
        ReportFailure(services_, result, source, path, cipher_->TitleName());
    } else if (!doneMessage.empty()) {
        services_.MsgBox(doneMessage);
    }
    LeaveBusy();
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
    closing_ = false;  // a window shown again after closing runs again
    driver_->NewRun();
    if (swapCaption) {
        savedCaption_ = FromQString(windowTitle());
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
    RunProgress->setEnabled(true);
    RunProgress->show();
    RunCancel->setEnabled(true);
    RunCancel->show();
}

// A finished run shows a full bar; one that failed or was cancelled shows where it stopped,
// greyed.
void Form1::WorkDone(bool succeeded) {
    RunCancel->setEnabled(false);
    if (succeeded) {
        RunProgress->setValue(RunProgress->maximum());
    } else {
        RunProgress->setEnabled(false);
    }
}

void Form1::LeaveBusy() {
    if (!running_) return;
    if (captionSwapped_) {
        setWindowTitle(ToQString(savedCaption_));
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
    if (!running_ || !RunCancel->isEnabled()) return;
    const int permille = total == 0 ? 1000 : static_cast<int>(std::min<quint64>(done, total) * 1000 / total);
    RunProgress->setValue(permille);
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        FollowPalette();
        ApplyColours();
    }
    QWidget::changeEvent(event);
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

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The style marks the focused control only once the focus has moved by keyboard, and
    // showing a window forgets that it has; this window starts with the keyboard in a control
    // (開始, or the password box) and shows which from the start.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label9 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label9->rect().contains(mouse->position().toPoint())) {
            Label9_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace angoka
