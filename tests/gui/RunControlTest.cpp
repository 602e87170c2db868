// A run under way: the start buttons are disabled and progress shows; cancelling it, or
// closing the window, leaves the destination as it was and no temporary file behind.
#include <unistd.h>

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "GuiFixture.h"
#include "SourceFile.h"

namespace angoka::testing {
namespace {

class RunControl : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        std::filesystem::create_directory(In("src"));
        std::filesystem::create_directory(In("out"));
        WriteFile(In("src/big.bin"), Pattern(5 * 1024 * 1024 + 3));
        WriteFile(In("out/big.qivg"), "old");
        // Output waits until the run is cancelled, then writes normally.
        WriteOptions held;
        held.writer = [this](int fd, const void* data, std::size_t size) -> ssize_t {
            writerEntered = true;
            while (!form->CancelRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return ::write(fd, data, size);
        };
        form->SetWriteOptions(held);
        SetText("Text1_0", In("src/big.bin"));
        SetText("Text1_1", In("out/big.qivg"));
        SetText("Text2", std::u16string(u"pw"));
    }
    std::u16string ReplaceBigQuestion() const {
        return PathText(In("out/big.qivg")) + u"は既に存在します。置き換えますか？";
    }
    void StartHeldRun(const char* button) {
        Click(button);
        ASSERT_TRUE(QTest::qWaitFor([this] { return writerEntered.load(); }, 30000));
        ASSERT_TRUE(form->Running());
    }
    std::atomic<bool> writerEntered{false};
};

TEST_F(RunControl, StartButtonsAreDisabledAndProgressShowsWhileARunIsUnderWay) {
    services.messages.clear();
    StartHeldRun("Command2");
    EXPECT_FALSE(Child("Command2")->isEnabled());
    EXPECT_FALSE(Child("Command3")->isEnabled());
    EXPECT_TRUE(Child("RunProgress")->isVisible());
    EXPECT_TRUE(Child("RunCancel")->isVisible());
    EXPECT_EQ(Caption(), ToQ(kBusy));
    EXPECT_EQ(Cursor(), Qt::WaitCursor);
    // Presses of the start buttons do nothing now, whichever way they arrive.
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{ReplaceBigQuestion()});
    SetText("Text1_2", In("src/big.bin"));
    Click("Command2");
    Click("Command3");
    form->Command2_Click();
    form->Command3_Click();
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{ReplaceBigQuestion()});
    Click("RunCancel");
    ASSERT_TRUE(WaitIdle());
    EXPECT_FALSE(Child("RunProgress")->isVisible());
    EXPECT_FALSE(Child("RunCancel")->isVisible());
    EXPECT_TRUE(Child("Command2")->isEnabled());
    EXPECT_TRUE(Child("Command3")->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(In("src/big.bmp")));
}

TEST_F(RunControl, CancelLeavesTheDestinationAndTheBusyState) {
    for (const char* mode : {"Option1", "Option3"}) {
        SCOPED_TRACE(mode);
        writerEntered = false;
        services.messages.clear();
        seen.clear();
        SetText("Text1_2", In("src/big.bin"));
        Select(mode);
        StartHeldRun(mode == std::string("Option1") ? "Command2" : "Command3");
        Click("RunCancel");
        ASSERT_TRUE(WaitIdle());
        // Encryption writes over the old big.qivg and asks first; the wrap makes a new file.
        std::vector<std::u16string> expected{u"処理を中止しました"};
        if (mode == std::string("Option1")) expected.insert(expected.begin(), ReplaceBigQuestion());
        EXPECT_EQ(Prompts(), expected);
        ASSERT_EQ(seen.size(), expected.size());
        EXPECT_EQ(seen.back().cursor, Qt::WaitCursor);
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
        EXPECT_EQ(Caption(), QStringLiteral("暗号化しましょ"));
        EXPECT_EQ(ReadFileIfAny(In("out/big.qivg")), "old");
        EXPECT_EQ(NamesIn(In("out")), std::set<std::string>{"big.qivg"});
        EXPECT_EQ(NamesIn(In("src")), std::set<std::string>{"big.bin"});
    }
}

TEST_F(RunControl, ClosingDuringARunCancelsItCleanly) {
    for (const char* how : {"title bar", "Command4"}) {
        SCOPED_TRACE(how);
        writerEntered = false;
        services.messages.clear();
        if (!form->isVisible()) {
            form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        }
        StartHeldRun("Command2");
        if (how == std::string("Command4")) {
            Click("Command4");
        } else {
            form->close();
        }
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->Running());
        QCoreApplication::processEvents();  // a late result of the worker must not surface
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{ReplaceBigQuestion()});
        EXPECT_EQ(ReadFileIfAny(In("out/big.qivg")), "old");
        EXPECT_EQ(NamesIn(In("out")), std::set<std::string>{"big.qivg"});
    }
}

// Runs `hook` before every read of a source file while it lives.
class SourceReadHook {
public:
    explicit SourceReadHook(std::function<void()> hook) { SetSourceReadHookForTesting(std::move(hook)); }
    ~SourceReadHook() { SetSourceReadHookForTesting({}); }
    SourceReadHook(const SourceReadHook&) = delete;
    SourceReadHook& operator=(const SourceReadHook&) = delete;
};

TEST_F(RunControl, ACancelDuringTheOpenStepEndsTheRunEvenWhenTheOpenSucceeds) {
    // The open step checks the cancel flag only between some of its reads: a cancel that comes
    // with its last read leaves it Ok, and the run must still end there, before the stored-name
    // question and without writing.
    form->SetWriteOptions({});
    WriteFile(In("src/a.txt"), "hello");
    SetText("Text1_0", In("src/a.txt"));
    SetText("Text1_1", In("out/a.qivg"));
    Run("Command2");
    Select("Option2");
    SetText("Text1_0", In("out/a.qivg"));
    SetText("Text1_1", In("out/x.bin"));

    // How many reads the open step makes: those before the stored-name question.
    std::atomic<int> reads{0};
    std::atomic<int> cancelAt{0};
    auto* cancel = Child<QPushButton>("RunCancel");
    const SourceReadHook hook([&] {
        if (++reads != cancelAt.load()) return;
        // The user presses 中止 while the job reads; the job goes on once the press is handled.
        QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::BlockingQueuedConnection);
    });
    std::optional<int> openReads;
    services.onMessage = [&](const FakeRunTime::Message&) {
        if (!openReads) openReads = reads.load();
    };
    services.messages.clear();
    services.yesNoAnswers = {false};
    Run("Command2");
    ASSERT_EQ(Prompts().front(), u"元のファイル名a.txtを検出しました。適応しますか？");
    ASSERT_TRUE(openReads && *openReads > 0);
    std::filesystem::remove(In("out/x.bin"));

    for (int at = 1; at <= *openReads; ++at) {
        SCOPED_TRACE("cancelled at read " + std::to_string(at));
        reads = 0;
        cancelAt = at;
        services.messages.clear();
        Run("Command2");
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"処理を中止しました"});
        EXPECT_EQ(NamesIn(In("out")), (std::set<std::string>{"a.qivg", "big.qivg"}));
    }
}

TEST_F(RunControl, ProgressReachesTheEnd) {
    form->SetWriteOptions({});
    auto* bar = Child<QProgressBar>("RunProgress");
    QSignalSpy moved(bar, &QProgressBar::valueChanged);
    Run("Command2");
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_EQ(moved.last().at(0).toInt(), 1000);
    EXPECT_EQ(Prompts().size(), 2u);  // replacing big.qivg, then done
}

TEST_F(RunControl, WhileTheLastMessageIsOpenNothingIsLeftToCancel) {
    form->SetWriteOptions({});
    std::filesystem::create_directory(In("out/folder.qivg"));
    struct Case {
        const char* name;
        const char* destination;
        bool succeeded;
    };
    const Case cases[] = {{"done", "out/new.qivg", true}, {"failed", "out/folder.qivg", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct State {
            bool cancelEnabled, barEnabled;
            int bar;
        };
        std::vector<State> states;
        services.onMessage = [&](const FakeRunTime::Message&) {
            states.push_back({Child("RunCancel")->isEnabled(), Child("RunProgress")->isEnabled(),
                              Child<QProgressBar>("RunProgress")->value()});
        };
        SetText("Text1_1", In(c.destination));
        Run("Command2");
        ASSERT_EQ(states.size(), 1u);
        EXPECT_FALSE(states[0].cancelEnabled);
        // Done: a full bar; failed: the bar greyed where it stopped.
        EXPECT_EQ(states[0].barEnabled, c.succeeded);
        if (c.succeeded) {
            EXPECT_EQ(states[0].bar, 1000);
        }
    }
    // The next run starts with both active again.
    std::atomic<bool> seenActive{false};
    WriteOptions watch;
    watch.writer = [&](int fd, const void* data, std::size_t size) -> ssize_t {
        QMetaObject::invokeMethod(form.get(), [&] {
            seenActive = Child("RunCancel")->isEnabled() && Child("RunProgress")->isEnabled();
        });
        return ::write(fd, data, size);
    };
    form->SetWriteOptions(watch);
    services.onMessage = nullptr;
    SetText("Text1_1", In("out/next.qivg"));
    Run("Command2");
    EXPECT_TRUE(seenActive);
}

// A fault of the program itself (an exception that no file operation throws) ends the run
// with a message that says so, never one about a file, and leaves the busy state.
TEST_F(RunControl, AnInternalFaultIsReportedAsOne) {
    WriteOptions faulty;
    faulty.writer = [](int, const void*, std::size_t) -> ssize_t { throw std::logic_error("a bug"); };
    form->SetWriteOptions(faulty);
    std::filesystem::remove(In("out/big.qivg"));
    services.messages.clear();
    Run("Command2");
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"プログラムの内部エラーのため、処理できませんでした"});
    EXPECT_FALSE(form->Running());
    EXPECT_EQ(NamesIn(In("out")), std::set<std::string>{});
}

}  // namespace
}  // namespace angoka::testing
