#pragma once
// One run of the window, from the press of a start button to its last message, without Qt:
// the checks and their order, the questions, the work for the worker thread and the messages
// the run ends with. A front end drives it step by step: it asks for the next step, takes it
// (shows a message or a question, runs a piece of work) and hands back the answer. The window
// (Form1) drives it, and the browser page drives this same flow.
//
//     RunFlow flow(request, random);
//     for (RunStep step = flow.Next(); step.kind != RunStep::Kind::Done; step = flow.Next()) {
//         ... show step.text, then flow.Answer(yes) for a question; run step.work, then
//         flow.Finished(result, cancelRequested); and so on
//     }
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "AtomicFile.h"
#include "CodecTypes.h"
#include "QivgCodec.h"
#include "RunTime.h"

namespace angoka {

// What a start button starts, as the window's controls hold it when the button is pressed.
struct RunRequest {
    enum class Kind { Encrypt, Decrypt, Wrap, Extract };
    Kind kind = Kind::Encrypt;
    std::u16string source;       // 元ファイル, or the BMP pane's ファイル名
    std::u16string destination;  // 後のファイル名, as typed (encryption and decryption)
    std::u16string password;
    std::int32_t inKey = 0;
    std::int32_t rounds = 1;
    // A destination the save dialog has already asked about replacing (the box still holds it).
    std::optional<std::u16string> replaceAgreed;
    // The cipher object's title, which its own messages carry.
    std::u16string cipherTitle;
    // How files are written (tests inject faults); the flow adds its own choices to them.
    WriteOptions output;
};

// The next thing the front end does for the run.
struct RunStep {
    enum class Kind {
        Message,        // show `text` (OK; with `title` when set); then Next()
        FocusPassword,  // move the keyboard to the password box; then Next()
        Busy,           // enter the busy state (the caption too, with `swapCaption`); then Next()
        Question,       // ask `text` with `buttons`; then Answer(yes)
        Input,          // the input box: prompt `text`, `title`, `defaultAnswer`; then Answer(text)
        Work,           // run `work` off the window's thread; then Finished(result, cancelRequested)
        Settings,       // the two numbers' controls take `settings`; then Next()
        WorkDone,       // the work is over (the progress shows whether it `succeeded`); then Next()
        Done,           // the run is over: leave the busy state
    };
    Kind kind = Kind::Done;
    std::u16string text{};
    std::optional<std::u16string> title{};
    Buttons buttons = Buttons::OK;
    std::u16string defaultAnswer{};
    std::function<Result(const Progress&)> work{};
    QivgSettings settings{};
    bool swapCaption = false;
    bool succeeded = false;
    // With Done: the file the run wrote, as the user named it.
    std::optional<std::u16string> written{};
};

class RunFlow {
public:
    // `random` draws the round keys of an encryption, on the caller's thread.
    RunFlow(RunRequest request, RunTime& random);
    ~RunFlow();
    RunFlow(const RunFlow&) = delete;
    RunFlow& operator=(const RunFlow&) = delete;

    // The next step. After a Question, Input or Work step, the answer must come first.
    RunStep Next();
    void Answer(bool yes);
    void Answer(const std::optional<std::u16string>& text);
    // `cancelRequested`: the user asked to cancel while the work ran, even if it ended well.
    void Finished(const Result& result, bool cancelRequested);

private:
    class Steps;
    std::unique_ptr<Steps> steps_;
};

}  // namespace angoka
