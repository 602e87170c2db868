// The window's handlers and the order of a run's steps.
#include "Form1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "BinAngsDL.h"
#include "FormatRules.h"
#include "InternetShortcut.h"
#include "PathBox.h"
#include "Paths.h"
#include "QtRunTime.h"
#include "RunDriver.h"
#include "RunFlow.h"
#include "RunTime.h"
#include "UpDown.h"
#include "WindowMessages.h"

namespace angoka {
namespace {

// The text of a box, as the engine takes it.
std::u16string BoxText(const QLineEdit* box) {
    return FromQString(box->text());
}

}  // namespace

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
    if (HasExtension(file, kBmpExtension)) {
        Text1[2]->setText(path);
        Option4->setChecked(true);
        Command3->setFocus(Qt::OtherFocusReason);
        return;
    }
    (HasExtension(file, kQivgExtension) ? Option2 : Option1)->setChecked(true);
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
        (HasExtension(file, kQivgExtension) ? Option2 : Option1)->setChecked(true);
        SourceChosen();
    } else if (index == 2) {
        (HasExtension(file, kBmpExtension) ? Option4 : Option3)->setChecked(true);
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
    RunRequest request =
        NewRequest(Option1->isChecked() ? RunRequest::Kind::Encrypt : RunRequest::Kind::Decrypt);
    request.source = BoxText(Text1[0]);
    request.destination = BoxText(Text1[1]);
    request.password = BoxText(Text2);
    request.inKey = UD->value();
    request.rounds = UD2->value();
    // The save dialog's consent holds for the path it was given, while the box still holds it.
    if (replaceAgreed_ == request.destination) request.replaceAgreed = replaceAgreed_;
    StartRun(std::move(request));
}

void Form1::Command3_Click() {
    if (running_) return;
    RunRequest request =
        NewRequest(Option3->isChecked() ? RunRequest::Kind::Wrap : RunRequest::Kind::Extract);
    request.source = BoxText(Text1[2]);
    StartRun(std::move(request));
}

RunRequest Form1::NewRequest(RunRequest::Kind kind) const {
    RunRequest request;
    request.kind = kind;
    request.cipherTitle = cipher_->TitleName();
    request.output = writeOptions_;
    return request;
}

void Form1::StartRun(RunRequest request) {
    closing_ = false;  // a window shown again after closing runs again
    flow_ = std::make_unique<RunFlow>(std::move(request), services_);
    Drive();
}

// Takes the flow's steps until it waits for work on the worker thread or ends. A modal box
// runs the event loop inside it, and the window may be closed there (closeEvent stops the
// worker and leaves the busy state): once it has been, the run goes no further.
void Form1::Drive() {
    while (flow_ && !closing_) {
        RunStep step = flow_->Next();
        switch (step.kind) {
            case RunStep::Kind::Message:
                services_.MsgBox(step.text, Buttons::OK, step.title);
                break;
            case RunStep::Kind::FocusPassword:
                Text2->setFocus(Qt::OtherFocusReason);
                break;
            case RunStep::Kind::Busy:
                EnterBusy(step.swapCaption);
                break;
            case RunStep::Kind::Question: {
                const bool yes = services_.MsgBox(step.text, step.buttons);
                if (!closing_) flow_->Answer(yes);
                break;
            }
            case RunStep::Kind::Input: {
                const auto answer =
                    services_.InputBox(step.text, step.title.value_or(u""), step.defaultAnswer);
                if (!closing_) flow_->Answer(answer);
                break;
            }
            case RunStep::Kind::Work:
                driver_->Start(std::move(step.work), [this](const Result& result) {
                    flow_->Finished(result, driver_->CancelRequested());
                    Drive();
                });
                return;
            case RunStep::Kind::Settings:
                UD->setValue(step.settings.inKey);
                UD2->setValue(step.settings.rounds);
                break;
            case RunStep::Kind::WorkDone:
                WorkDone(step.succeeded);
                break;
            case RunStep::Kind::Done:
                // The consent was for the file that was there; the next run asks afresh.
                if (step.written && step.written == replaceAgreed_) replaceAgreed_.reset();
                flow_.reset();
                LeaveBusy();
                return;
        }
    }
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
    flow_.reset();
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
