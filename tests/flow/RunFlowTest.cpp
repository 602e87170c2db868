// The window's run flow without a window: every run is driven as a front end drives it, and
// what it did is a transcript of its steps, one line each, compared whole.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "FakeRunTime.h"
#include "Messages.h"
#include "QivgFiles.h"
#include "RunFlow.h"
#include "Utf.h"

namespace angoka {
namespace {

using namespace angoka::testing;

// The front end's side: what it answers, and what it saw.
struct Script {
    std::deque<bool> yes{};                              // a question with no answer left: No
    std::deque<std::optional<std::u16string>> inputs{};  // an input box with none left: cancelled
    bool cancelDuringWork = false;                       // the user presses 中止 while work runs
};

// Runs the flow to its end. Work runs at once, on this thread.
std::vector<std::string> Drive(RunFlow& flow, Script script,
                               std::optional<std::u16string>* written = nullptr) {
    std::vector<std::string> seen;
    for (RunStep step = flow.Next();; step = flow.Next()) {
        switch (step.kind) {
            case RunStep::Kind::Message:
                seen.push_back("message: " + ToUtf8(step.text));
                break;
            case RunStep::Kind::FocusPassword:
                seen.push_back("focus password");
                break;
            case RunStep::Kind::Busy:
                seen.push_back(step.swapCaption ? "busy, caption" : "busy");
                break;
            case RunStep::Kind::Question: {
                const bool yes = !script.yes.empty() && script.yes.front();
                if (!script.yes.empty()) script.yes.pop_front();
                seen.push_back(std::string(step.buttons == Buttons::YesNoDefaultNo ? "question (No first): "
                                                                                   : "question: ") +
                               ToUtf8(step.text) + (yes ? " -> yes" : " -> no"));
                flow.Answer(yes);
                break;
            }
            case RunStep::Kind::Input: {
                std::optional<std::u16string> answer;
                if (!script.inputs.empty()) {
                    answer = script.inputs.front();
                    script.inputs.pop_front();
                }
                seen.push_back("input: " + ToUtf8(step.text) + " -> " +
                               (answer ? ToUtf8(*answer) : "cancelled"));
                flow.Answer(answer);
                break;
            }
            case RunStep::Kind::Work: {
                std::atomic<bool> cancel{false};
                Progress progress;
                progress.cancel = &cancel;
                seen.push_back("work");
                const Result result = step.work(progress);
                flow.Finished(result, script.cancelDuringWork);
                break;
            }
            case RunStep::Kind::Settings:
                seen.push_back("settings " + std::to_string(step.settings.inKey) + "/" +
                               std::to_string(step.settings.rounds));
                break;
            case RunStep::Kind::WorkDone:
                seen.push_back(step.succeeded ? "done" : "failed");
                break;
            case RunStep::Kind::Done:
                if (written) *written = step.written;
                return seen;
        }
    }
}

class Flow : public ::testing::Test {
protected:
    Flow() { WriteFile(dir_ / "a.txt", "hello"); }

    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    RunRequest Pane(RunRequest::Kind kind, const std::string& source, const std::string& destination,
                    const std::u16string& password = u"pw") const {
        RunRequest request;
        request.kind = kind;
        request.source = FromUtf8(source.empty() ? "" : P(source));
        request.destination = FromUtf8(destination.empty() ? "" : P(destination));
        request.password = password;
        request.output.durable = false;
        return request;
    }
    std::vector<std::string> Run(RunRequest request, Script script = {},
                                 std::optional<std::u16string>* written = nullptr) {
        RunFlow flow(std::move(request), random_);
        return Drive(flow, std::move(script), written);
    }
    // A BMP pane's path without any dot (the scratch folder's name has one).
    static RunRequest NoDot() {
        RunRequest request;
        request.kind = RunRequest::Kind::Extract;
        request.source = u"file";
        return request;
    }
    // a.txt encrypted into a.qivg under "pw" with the given numbers.
    void EncryptA(std::int32_t inKey = 0, std::int32_t rounds = 1) {
        RunRequest request = Pane(RunRequest::Kind::Encrypt, "a.txt", "a.qivg");
        request.inKey = inKey;
        request.rounds = rounds;
        ASSERT_EQ(Run(request).back(), "message: 完了\r\n" + P("a.qivg") + "に出力完了");
    }

    ScratchFolder dir_;
    FakeRunTime random_;  // draws 0.5 unless scripted: the same file every time
};

TEST_F(Flow, TheBoxesAreCheckedInOrderBeforeTheRunGetsBusy) {
    using Kind = RunRequest::Kind;
    const struct {
        const char* what;
        RunRequest request;
        std::vector<std::string> transcript;
    } cases[] = {
        {"no source", Pane(Kind::Encrypt, "", "", u""), {"message: 元ファイルを入力してください"}},
        {"no destination", Pane(Kind::Decrypt, "a.txt", "", u""), {"message: 後ファイルを入力してください"}},
        {"no password",
         Pane(Kind::Encrypt, "a.txt", "b.qivg", u""),
         {"message: パスワードを入力してください", "focus password"}},
        {"a password no file can store",
         Pane(Kind::Encrypt, "a.txt", "b.qivg", u"pâss"),
         {"message: " + ToUtf8(kPasswordNotNarrow), "focus password"}},
        {"no file in the BMP pane", Pane(Kind::Wrap, "", ""), {"message: ファイル名を入力してください"}},
        {"no dot in the BMP pane's path", NoDot(), {"message: " + ToUtf8(kNoDot)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.request), c.transcript);
    }
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"a.txt"});
}

TEST_F(Flow, AnEncryptionAndItsDecryptionUnderTheStoredName) {
    std::optional<std::u16string> written;
    EXPECT_EQ(Run(Pane(RunRequest::Kind::Encrypt, "a.txt", "a.qivg"), {}, &written),
              (std::vector<std::string>{"busy, caption", "work", "done",
                                        "message: 完了\r\n" + P("a.qivg") + "に出力完了"}));
    EXPECT_EQ(written, FromUtf8(P("a.qivg")));
    fs::remove(dir_ / "a.txt");

    EXPECT_EQ(Run(Pane(RunRequest::Kind::Decrypt, "a.qivg", "x.bin"), {.yes = {true}}, &written),
              (std::vector<std::string>{"busy, caption", "work",
                                        "question: 元のファイル名a.txtを検出しました。適応しますか？ -> yes",
                                        "work", "done", "message: " + P("a.txt") + "に復号完了"}));
    EXPECT_EQ(written, FromUtf8(P("a.txt")));
    EXPECT_EQ(ReadFile(dir_ / "a.txt"), "hello");
}

TEST_F(Flow, OtherNumbersAreOfferedAndTakenOnce) {
    EncryptA(-3, 4);
    RunRequest request = Pane(RunRequest::Kind::Decrypt, "a.qivg", "x.bin");
    const std::string offer =
        "question: 内部変化数 -3、暗号化回数 4 ならパスワードが一致します。この設定で復号しますか？";
    EXPECT_EQ(Run(request, {.yes = {true, false}}),
              (std::vector<std::string>{"busy, caption", "work", offer + " -> yes", "settings -3/4", "work",
                                        "question: 元のファイル名a.txtを検出しました。適応しますか？ -> no",
                                        "work", "done", "message: " + P("x.bin") + "に復号完了"}));
    EXPECT_EQ(ReadFile(dir_ / "x.bin"), "hello");
    EXPECT_EQ(Run(request, {.yes = {false}}),
              (std::vector<std::string>{"busy, caption", "work", offer + " -> no", "failed",
                                        "message: 復号に失敗しました"}));
}

TEST_F(Flow, ReplacingAskesWithNoFirstAndNoKeepsTheFile) {
    WriteFile(dir_ / "b.qivg", "old");
    const RunRequest request = Pane(RunRequest::Kind::Encrypt, "a.txt", "b.qivg");
    const std::string question = "question (No first): " + P("b.qivg") + "は既に存在します。置き換えますか？";
    EXPECT_EQ(Run(request), (std::vector<std::string>{"busy, caption", question + " -> no"}));
    EXPECT_EQ(ReadFile(dir_ / "b.qivg"), "old");
    EXPECT_EQ(Run(request, {.yes = {true}}),
              (std::vector<std::string>{"busy, caption", question + " -> yes", "work", "done",
                                        "message: 完了\r\n" + P("b.qivg") + "に出力完了"}));
    EXPECT_NE(ReadFile(dir_ / "b.qivg"), "old");

    // The save dialog has asked already: no question while the box holds its path.
    WriteFile(dir_ / "b.qivg", "old");
    RunRequest agreed = request;
    agreed.replaceAgreed = agreed.destination;
    EXPECT_EQ(Run(agreed), (std::vector<std::string>{"busy, caption", "work", "done",
                                                     "message: 完了\r\n" + P("b.qivg") + "に出力完了"}));
}

TEST_F(Flow, NothingIsAskedBeforeTheSourceIsChecked) {
    WriteFile(dir_ / "b.qivg", "old");
    WriteFile(dir_ / "x.bin", "old");
    WriteFile(dir_ / "random.qivg", RandomBytes(4000, 3));
    const struct {
        const char* what;
        RunRequest request;
        std::vector<std::string> transcript;
    } cases[] = {
        {"a missing source",
         Pane(RunRequest::Kind::Encrypt, "missing.txt", "b.qivg"),
         {"busy, caption", "failed", "message: ファイルが見つかりません\r\n" + P("missing.txt")}},
        {"the source itself",
         Pane(RunRequest::Kind::Encrypt, "a.txt", "a.txt"),
         {"busy, caption", "failed", "message: " + ToUtf8(kOutputIsSource) + "\r\n" + P("a.txt")}},
        {"no .qivg file at all",
         Pane(RunRequest::Kind::Decrypt, "random.qivg", "x.bin"),
         {"busy, caption", "work", "failed", "message: 正しいqivg形式ファイルではありませんでした"}},
        {"a missing BMP source",
         Pane(RunRequest::Kind::Wrap, "missing.jpg", ""),
         {"busy", "failed", "message: ファイルが見つかりません\r\n" + P("missing.jpg")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.request, {.yes = {true, true}}), c.transcript);
    }
    EXPECT_EQ(ReadFile(dir_ / "b.qivg"), "old");
    EXPECT_EQ(ReadFile(dir_ / "x.bin"), "old");
}

TEST_F(Flow, ACancelDuringTheOpenStepEndsTheRunThoughTheOpenSucceeded) {
    EncryptA();
    EXPECT_EQ(Run(Pane(RunRequest::Kind::Decrypt, "a.qivg", "x.bin"), {.cancelDuringWork = true}),
              (std::vector<std::string>{"busy, caption", "work", "failed", "message: 処理を中止しました"}));
    EXPECT_FALSE(fs::exists(dir_ / "x.bin"));
}

TEST_F(Flow, ExtractionAsksForTheExtensionAndACancelWritesNothing) {
    WriteFile(dir_ / "w.bmp", std::string(118, 'h') + "data");
    const RunRequest request = Pane(RunRequest::Kind::Extract, "w.bmp", "");
    const std::string input = "input: " + P("w.") + "につける拡張子を入力してください(.は不必要) -> ";
    EXPECT_EQ(Run(request), (std::vector<std::string>{"busy", input + "cancelled"}));
    EXPECT_EQ(Run(request, {.inputs = {u"jpg"}}),
              (std::vector<std::string>{"busy", input + "jpg", "work", "done"}));
    EXPECT_EQ(ReadFile(dir_ / "w.jpg"), "data");
}

}  // namespace
}  // namespace angoka
