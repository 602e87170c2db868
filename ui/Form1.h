#pragma once
// The program's only window: the encrypt/decrypt pane (Frame2), the BMP pane (Frame3), the
// close button and the home-page link. Every control carries its designer name as its
// objectName; the elements of the control arrays Text1 and Command1 are "Text1_0" ..
// "Text1_2" and "Command1_0" .. "Command1_2". The run's progress bar and cancel button, shown
// only while a run is under way, are "RunProgress" and "RunCancel".
//
// File work runs on a worker thread through the file codec; the window stays responsive and
// shows progress, and both start buttons are disabled until the run has ended.
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "CodecTypes.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace angoka {

class BinAngsDL;
class RunDriver;
class RunTime;
class UpDown;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(RunTime& services, QWidget* parent = nullptr);
    ~Form1() override;

    // A file named on the command line: a .qivg file is offered for decryption, a .bmp file
    // for extraction, any other file for encryption.
    void OpenArgument(const QString& path);

    // True from the start of a run until its last message has been dismissed.
    bool Running() const { return running_; }
    bool CancelRequested() const;
    // How output files are written (tests inject a writer that fails or waits).
    void SetOutputOptions(OutputOptions options) { outputOptions_ = std::move(options); }

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
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void ConnectHandlers();

    void Encrypt(const std::u16string& source, const std::u16string& destination,
                 const std::u16string& password, const std::u16string& baseName, std::int32_t inKey);
    void Decrypt(const std::u16string& source, const std::u16string& destination,
                 const std::u16string& password, std::int32_t inKey);
    void WrapBmp(const std::u16string& source, const std::u16string& stem);
    void ExtractBmp(const std::u16string& source, const std::u16string& stem);

    // The busy state: pointer (and, for the encrypt/decrypt run, the caption), start buttons
    // disabled, progress shown. Leaving it restores the caption first, then the pointer.
    void EnterBusy(bool swapCaption);
    void LeaveBusy();
    void ShowProgress(quint64 done, quint64 total);
    // The message for an ending other than success, naming `path` when the codec gives none.
    void ReportFailure(const Result& result, const std::u16string& source, const std::u16string& path);

    RunTime& services_;
    std::unique_ptr<BinAngsDL> cipher_;
    RunDriver* driver_;
    OutputOptions outputOptions_;
    std::u16string comFileName_;  // the file dialog's name, kept from one browse to the next
    std::u16string savedCaption_;
    bool captionSwapped_ = false;
    bool running_ = false;
    bool closing_ = false;

    // Controls, by their designer names.
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    std::array<QLineEdit*, 3> Text1;
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

}  // namespace angoka
