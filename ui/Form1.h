#pragma once
// The program's only window: the encrypt/decrypt pane (Frame2), the BMP pane (Frame3), the
// close button and the home-page link. Every control carries its designer name as its
// objectName; the elements of the control arrays Text1 and Command1 are "Text1_0" ..
// "Text1_2" and "Command1_0" .. "Command1_2". The run's progress bar and cancel button, shown
// only while a run is under way, are "RunProgress" and "RunCancel".
//
// Before a run writes over anything, it asks; Return in a box presses its pane's start
// button; every control carries an accessible name in Japanese.
//
// File work runs on a worker thread through the file codec; the window stays responsive and
// shows progress, and both start buttons are disabled until the run has ended.
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "CodecTypes.h"
#include "QivgCodec.h"
#include "RunFlow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace angoka {

class BinAngsDL;
class PathBox;
class RunDriver;
class WindowRunTime;
class UpDown;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(WindowRunTime& services, QWidget* parent = nullptr);
    ~Form1() override;

    // A file named on the command line: a .qivg file is offered for decryption, a .bmp file
    // for extraction, any other file for encryption. The keyboard goes to what is left to do:
    // the password, or the BMP pane's start button.
    void OpenArgument(const QString& path);

    // True from the start of a run until its last message has been dismissed.
    bool Running() const { return running_; }
    bool CancelRequested() const;
    // How output files are written (tests inject a writer that fails or waits); the window
    // adds its own choices to them for every write (see WriteOptions).
    void SetWriteOptions(WriteOptions options) { writeOptions_ = std::move(options); }

    // The handlers, named after the control and the event.
    void Form_Load();
    void Command1_Click(int Index);
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Label9_Click();
    void UD_Change();
    void UD2_Change();

signals:
    // A run has ended and the window has left its busy state.
    void runFinished();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void BuildEncryptPane();
    void BuildBmpPane();
    void StyleControls();
    void ConnectHandlers();
    // A new colour scheme reaches every control; the colours that must stay readable on the
    // window's background, light or dark, are chosen again.
    void FollowPalette();
    void ApplyColours();
    void NameForScreenReaders();
    // A source was browsed for, dropped or named on the command line: an empty destination,
    // or one the window filled in and the user has not touched since, gets the one that goes
    // with it.
    void SourceChosen();
    // Encryption and decryption were swapped: a destination the window filled in follows.
    void DirectionChanged();
    void FillDestination();
    // A file dropped on a path box selects the mode that goes with it; of several files only
    // the first is taken, and the user is told so.
    void Dropped(int index, int fileCount);

    // A run of a start button: the flow decides every step, the window takes them.
    RunRequest NewRequest(RunRequest::Kind kind) const;
    void StartRun(RunRequest request);
    void Drive();

    // The busy state: pointer (and, for the encrypt/decrypt run, the caption), start buttons
    // disabled, progress shown. Leaving it restores the caption first, then the pointer.
    void EnterBusy(bool swapCaption);
    // The work is over (its last message is about to show): nothing left to cancel.
    void WorkDone(bool succeeded);
    void LeaveBusy();
    void ShowProgress(quint64 done, quint64 total);

    WindowRunTime& services_;
    // The cipher object the window owns for its whole life. The runs stream files through the
    // codec, which takes every value as an argument, so its settings are no longer set for
    // them; it gives its title to its own messages.
    std::unique_ptr<BinAngsDL> cipher_;
    RunDriver* driver_;
    std::unique_ptr<RunFlow> flow_;  // the run under way
    WriteOptions writeOptions_;
    std::u16string comFileName_;  // the file dialog's name, kept from one browse to the next
    // A destination chosen in the save dialog over an existing file: the dialog has asked
    // about replacing it, so a run does not ask again while the box still holds it.
    std::optional<std::u16string> replaceAgreed_;
    // The destination box holds what the window filled in, untouched by the user since.
    bool destinationFilled_ = false;
    bool fillingDestination_ = false;  // the window itself is writing the destination box
    std::u16string savedCaption_;
    bool captionSwapped_ = false;
    bool running_ = false;
    // Set when the window closes, which it may do inside a modal box of a run (a modal box
    // runs the event loop): the step that showed the box then goes no further. A new run
    // clears it.
    bool closing_ = false;

    // Controls, by their designer names.
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    std::array<PathBox*, 3> Text1;
    QLineEdit* Text2;
    std::array<QPushButton*, 3> Command1;
    QPushButton *Command2, *Command3, *Command4;
    QRadioButton *Option1, *Option2, *Option3, *Option4;
    UpDown *UD, *UD2;
    QProgressBar* RunProgress;
    QPushButton* RunCancel;
};

// The window's 32 x 32 icon, drawn in code.
QIcon Form1Icon();
// The window's font: a Japanese proportional gothic, 9 points.
QFont Form1Font();

}  // namespace angoka
