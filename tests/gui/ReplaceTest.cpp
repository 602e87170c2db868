// Asking before a run writes over something: every kind of write, both answers, the save
// dialog's own question, links, and the options every write goes out with.
#include <unistd.h>

#include <atomic>
#include <deque>
#include <fstream>

#include "BmpCodec.h"
#include "GuiFixture.h"
#include "Messages.h"
#include "UpDown.h"

namespace angoka::testing {
namespace {

std::string Header() {
    const auto& header = BmpHeader();
    return std::string(reinterpret_cast<const char*>(header.data()), header.size());
}

std::u16string Question(const std::filesystem::path& path) {
    return PathText(path) + u"は既に存在します。置き換えますか？";
}

bool InEncryptPane(const std::string& option) {
    return option == "Option1" || option == "Option2";
}

class Replace : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        content_ = Pattern(1000, 4);
        WriteFile(In("a.txt"), content_);
        Fill("Option1", In("a.txt"), In("a.qivg"));
        Run("Command2");
        ASSERT_EQ(NamesIn(Dir()), (std::set<std::string>{"a.qivg", "a.txt"}));
        services.messages.clear();
        seen.clear();
    }
    void Fill(const char* option, const std::filesystem::path& source,
              const std::filesystem::path& destination) {
        Select(option);
        SetText(InEncryptPane(option) ? "Text1_0" : "Text1_2", source);
        SetText("Text1_1", destination);
        SetText("Text2", std::u16string(u"pass"));
    }
    std::string content_;
};

TEST_F(Replace, EveryWriteAsksBeforeReplacingWhatIsThere) {
    const std::size_t encryptedSize = 4 + 5 + 2 * 1000 + 1 + 25;  // P + F + 2N + n + 25
    struct Case {
        const char* name;
        const char* option;
        const char* source;
        const char* target;                                 // the file that is there already
        std::size_t size;                                   // what the run writes there on Yes ...
        std::optional<std::string> content = std::nullopt;  // ... byte for byte, where known
        const char* destination = "";                       // the encrypt/decrypt pane's box
        std::deque<bool> before = {};                       // answers to the questions before it
        bool doneMessage = true;                            // extraction ends without one
    };
    const std::string old = "old", a = content_;
    // One case a line: a table reads down its columns.
    // clang-format off
    const Case cases[] = {
        {.name = "encryption", .option = "Option1", .source = "a.txt", .target = "out.qivg", .size = encryptedSize, .destination = "out.qivg"},
        {.name = "decryption to the stored name", .option = "Option2", .source = "a.qivg", .target = "a.txt", .size = 1000, .content = a, .destination = "x.bin", .before = {true}},
        {.name = "decryption to the typed name", .option = "Option2", .source = "a.qivg", .target = "x.bin", .size = 1000, .content = a, .destination = "x.bin", .before = {false}},
        {.name = "wrap", .option = "Option3", .source = "a.txt", .target = "a.bmp", .size = 1118, .content = Header() + a},
        {.name = "extraction", .option = "Option4", .source = "pic.bmp", .target = "pic.jpg", .size = 1000, .content = a, .doneMessage = false},
    };
    // clang-format on
    for (const bool yes : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (yes ? ", yes" : ", no"));
            WriteFile(In("a.txt"), content_);
            WriteFile(In("pic.bmp"), Header() + content_);
            WriteFile(In(c.target), old);
            const auto before = NamesIn(Dir());
            services.messages.clear();
            seen.clear();
            services.yesNoAnswers = c.before;
            services.yesNoAnswers.push_back(yes);
            services.inputAnswers = {std::u16string(u"jpg")};
            Fill(c.option, In(c.source), *c.destination ? In(c.destination) : std::filesystem::path());
            Run(InEncryptPane(c.option) ? "Command2" : "Command3");

            ASSERT_EQ(Prompts().size(), c.before.size() + 1 + (yes && c.doneMessage ? 1 : 0));
            const FormTest::Seen& question = seen[c.before.size()];
            EXPECT_EQ(question.message.prompt, Question(In(c.target)));
            EXPECT_EQ(question.message.buttons, Buttons::YesNoDefaultNo);
            EXPECT_TRUE(question.running);
            EXPECT_EQ(question.cursor, Qt::WaitCursor);
            EXPECT_FALSE(form->Running());
            EXPECT_EQ(NamesIn(Dir()), before);  // no temporary file left either way
            const auto written = ReadFileIfAny(In(c.target));
            ASSERT_TRUE(written);
            if (!yes) {
                EXPECT_EQ(*written, old);  // and no further message: the run ended quietly
                continue;
            }
            EXPECT_EQ(written->size(), c.size);
            if (c.content) {
                EXPECT_EQ(*written, *c.content);
            }
        }
    }
}

TEST_F(Replace, NothingThereMeansNoQuestion) {
    Fill("Option1", In("a.txt"), In("new.qivg"));
    Run("Command2");
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{u"完了\r\n" + PathText(In("new.qivg")) + u"に出力完了"});
}

TEST_F(Replace, ALinkAtTheOutputCountsAsSomethingThere) {
    struct Case {
        const char* name;
        std::filesystem::path target;
    };
    WriteFile(In("other.txt"), "other");
    for (const Case& c : {Case{"to a file", In("other.txt")}, Case{"to nothing", In("missing")}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(In("link.qivg"));
        std::filesystem::create_symlink(c.target, In("link.qivg"));
        services.messages.clear();
        services.yesNoAnswers = {false};
        Fill("Option1", In("a.txt"), In("link.qivg"));
        Run("Command2");
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{Question(In("link.qivg"))});
        EXPECT_TRUE(std::filesystem::is_symlink(In("link.qivg")));
        EXPECT_EQ(ReadFileIfAny(In("other.txt")), "other");
    }
}

TEST_F(Replace, TheSaveDialogsQuestionIsNotAskedAgain) {
    using Kind = FileDialogRequest::Kind;
    struct Case {
        const char* name;
        bool existsWhenChosen;
        std::optional<std::u16string> editedTo;  // what the box says at the start; nothing: as chosen
        std::u16string output;                   // the path the run names
        bool asked;
    };
    // The box edited to the same file, spelled otherwise: the dialog was asked about another text.
    // A name without a folder is taken beside the source.
    const std::u16string chosen = PathText(In("out.qivg"));
    const Case cases[] = {
        {"chosen over a file", true, std::nullopt, chosen, false},
        {"chosen over a file, then edited", true, PathText(In("./out.qivg")), PathText(In("./out.qivg")),
         true},
        {"chosen over a file, then edited to its name alone", true, u"out.qivg", chosen, true},
        // The dialog said nothing: the file came later.
        {"chosen where nothing was", false, std::nullopt, chosen, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(In("out.qivg"));
        if (c.existsWhenChosen) WriteFile(In("out.qivg"), "old");
        Fill("Option1", In("a.txt"), std::filesystem::path());
        services.dialogAnswers = {PathText(In("out.qivg"))};
        Click("Command1_1");
        ASSERT_EQ(services.dialogs.back().kind, Kind::Save);
        if (c.editedTo) SetText("Text1_1", *c.editedTo);
        WriteFile(In("out.qivg"), "old");
        services.messages.clear();
        services.yesNoAnswers = {true};
        Run("Command2");
        std::vector<std::u16string> expected{u"完了\r\n" + c.output + u"に出力完了"};
        if (c.asked) expected.insert(expected.begin(), c.output + u"は既に存在します。置き換えますか？");
        EXPECT_EQ(Prompts(), expected);
        EXPECT_NE(ReadFileIfAny(In("out.qivg")), "old");
    }

    // The consent was for the file that was there: once it is replaced, the next run asks.
    services.dialogAnswers = {PathText(In("out.qivg"))};
    Click("Command1_1");
    Run("Command2");
    services.messages.clear();
    services.yesNoAnswers = {false};
    Run("Command2");
    EXPECT_EQ(Prompts(), std::vector<std::u16string>{Question(In("out.qivg"))});
}

TEST_F(Replace, AnOutputThatIsItsOwnSourceIsRefusedBeforeAnyQuestion) {
    // The engine would read the source while its replacement is written: the window says no
    // first, however the two paths name the one file.
    std::filesystem::create_directory(In("sub"));
    WriteFile(In("sub/a.txt"), content_);
    std::filesystem::create_hard_link(In("sub/a.txt"), In("hard.txt"));
    std::filesystem::create_symlink(In("sub/a.txt"), In("soft.txt"));
    std::filesystem::create_hard_link(In("a.qivg"), In("hard.qivg"));
    // A .qivg file whose stored name is its own name.
    std::filesystem::copy_file(In("a.qivg"), In("sub/x.qivg"));
    Fill("Option1", In("sub/x.qivg"), In("sub/x.qivg.qivg"));
    Run("Command2");
    std::filesystem::rename(In("sub/x.qivg.qivg"), In("sub/x.qivg"));
    const auto before = NamesIn(Dir());
    const auto beforeSub = NamesIn(In("sub"));

    const std::u16string stored = u"元のファイル名x.qivgを検出しました。適応しますか？";
    struct Case {
        const char* name;
        const char* option;
        const char* source;
        std::u16string destination;  // as typed
        std::u16string output;       // the file the run would write
        std::vector<std::u16string> questions;
    };
    const Case cases[] = {
        {"encryption onto the same path",
         "Option1",
         "sub/a.txt",
         PathText(In("sub/a.txt")),
         PathText(In("sub/a.txt")),
         {}},
        {"encryption onto its name alone", "Option1", "sub/a.txt", u"a.txt", PathText(In("sub/a.txt")), {}},
        {"encryption onto a hard link",
         "Option1",
         "sub/a.txt",
         PathText(In("hard.txt")),
         PathText(In("hard.txt")),
         {}},
        {"encryption onto a symbolic link",
         "Option1",
         "sub/a.txt",
         PathText(In("soft.txt")),
         PathText(In("soft.txt")),
         {}},
        {"encryption of a link onto its file",
         "Option1",
         "soft.txt",
         PathText(In("sub/a.txt")),
         PathText(In("sub/a.txt")),
         {}},
        // Decryption checks the typed name before it asks about the stored one.
        {"decryption onto the same path",
         "Option2",
         "a.qivg",
         PathText(In("a.qivg")),
         PathText(In("a.qivg")),
         {}},
        {"decryption onto a hard link",
         "Option2",
         "a.qivg",
         PathText(In("hard.qivg")),
         PathText(In("hard.qivg")),
         {}},
        {"decryption to a stored name that is the source",
         "Option2",
         "sub/x.qivg",
         PathText(In("sub/y.bin")),
         PathText(In("sub/x.qivg")),
         {stored}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        seen.clear();
        services.yesNoAnswers = {true, true};
        Fill(c.option, In(c.source), std::filesystem::path());
        SetText("Text1_1", c.destination);
        Run("Command2");
        std::vector<std::u16string> expected = c.questions;
        expected.push_back(u"出力先が元ファイルと同じファイルのため書き込めませんでした\r\n" + c.output);
        EXPECT_EQ(Prompts(), expected);
        ExpectBusyDuringEveryMessage(seen, ToQ(kBusy));
        EXPECT_FALSE(form->Running());
        EXPECT_EQ(NamesIn(Dir()), before);
        EXPECT_EQ(NamesIn(In("sub")), beforeSub);
        EXPECT_EQ(ReadFileIfAny(In("sub/a.txt")), content_);
    }
}

TEST_F(Replace, TheQuestionComesOnlyAfterTheSourceIsChecked) {
    // Asking to replace a file for a run that cannot make anything asks for nothing.
    WriteFile(In("text.txt"), "just some text, no .qivg file\r\n");
    std::filesystem::create_directory(In("folder.txt"));
    struct Case {
        const char* name;
        const char* option;
        const char* source;
        const char* target;  // there already
        std::u16string message;
    };
    const Case cases[] = {
        {"encryption of nothing", "Option1", "missing.txt", "missing.txt.qivg",
         NotFoundMessage(PathText(In("missing.txt")))},
        {"encryption of a folder", "Option1", "folder.txt", "folder.txt.qivg",
         NotFoundMessage(PathText(In("folder.txt")))},
        {"wrap of nothing", "Option3", "missing.txt", "missing.bmp",
         NotFoundMessage(PathText(In("missing.txt")))},
        {"decryption of nothing", "Option2", "missing.qivg", "missing",
         NotFoundMessage(PathText(In("missing.qivg")))},
        {"decryption of no .qivg file", "Option2", "text.txt", "text",
         u"正しいqivg形式ファイルではありませんでした"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(In(c.target), "old");
        services.messages.clear();
        seen.clear();
        Fill(c.option, In(c.source), In(c.target));
        Run(InEncryptPane(c.option) ? "Command2" : "Command3");
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{c.message});
        EXPECT_EQ(ReadFileIfAny(In(c.target)), "old");
    }
}

TEST_F(Replace, AStoredNameIsNeverWrittenThroughALink) {
    // Someone else's link at the stored name would send the content where they want it.
    std::filesystem::create_directory(In("out"));
    WriteFile(In("victim"), "theirs");
    const std::u16string stored = u"元のファイル名a.txtを検出しました。適応しますか？";
    const std::u16string refused =
        u"出力先が通常のファイルではないため書き込めませんでした\r\n" + PathText(In("out/a.txt"));
    struct Case {
        const char* name;
        bool linkFirst;  // the link is there before the run; else it takes the file's place
                         // while the replace question is open
    };
    for (const Case& c : {Case{"there before", true}, Case{"put there during the question", false}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(In("out/a.txt"));
        if (c.linkFirst) {
            std::filesystem::create_symlink(In("victim"), In("out/a.txt"));
        } else {
            WriteFile(In("out/a.txt"), "old");
        }
        services.messages.clear();
        services.yesNoAnswers = {true, true};
        services.onMessage = [this](const FakeRunTime::Message& m) {
            if (m.prompt != Question(In("out/a.txt"))) return;
            std::filesystem::remove(In("out/a.txt"));
            std::filesystem::create_symlink(In("victim"), In("out/a.txt"));
        };
        Fill("Option2", In("a.qivg"), In("out/x.bin"));
        Run("Command2");
        std::vector<std::u16string> expected{stored, refused};
        if (!c.linkFirst) expected.insert(expected.begin() + 1, Question(In("out/a.txt")));
        EXPECT_EQ(Prompts(), expected);
        EXPECT_EQ(ReadFileIfAny(In("victim")), "theirs");
        EXPECT_TRUE(std::filesystem::is_symlink(In("out/a.txt")));
        EXPECT_EQ(NamesIn(In("out")), std::set<std::string>{"a.txt"});
    }

    // A link the user typed is theirs: it is followed, as an ordinary write through it would.
    services.onMessage = nullptr;
    std::filesystem::create_symlink(In("victim"), In("out/typed.bin"));
    services.messages.clear();
    services.yesNoAnswers = {false, true};  // not the stored name; replace typed.bin
    Fill("Option2", In("a.qivg"), In("out/typed.bin"));
    Run("Command2");
    EXPECT_EQ(Prompts(), (std::vector<std::u16string>{stored, Question(In("out/typed.bin")),
                                                      PathText(In("out/typed.bin")) + u"に復号完了"}));
    EXPECT_EQ(ReadFileIfAny(In("victim")), content_);
}

TEST_F(Replace, EveryWriteFlushesANewFileBeforeItsMessage) {
    // Users may delete the original as soon as they read 完了: by then the new file is on disk.
    std::atomic<int> writes{0}, flushes{0};
    WriteOptions injected;
    injected.writer = [&](int fd, const void* data, std::size_t size) {
        ++writes;
        return ::write(fd, data, size);
    };
    injected.flusher = [&](int fd) {
        ++flushes;
        return ::fsync(fd);
    };
    form->SetWriteOptions(injected);
    WriteFile(In("pic.bmp"), Header() + content_);
    struct Case {
        const char* name;
        const char* option;
        const char* source;
        const char* output;
    };
    const Case cases[] = {
        {"encryption", "Option1", "a.txt", "new.qivg"},
        {"decryption", "Option2", "a.qivg", "x.bin"},
        {"wrap", "Option3", "a.txt", "a.bmp"},
        {"extraction", "Option4", "pic.bmp", "pic.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writes = 0;
        flushes = 0;
        std::optional<int> flushedAtMessage;
        services.onMessage = [&](const FakeRunTime::Message& m) {
            if (m.buttons == Buttons::OK) flushedAtMessage = flushes.load();
        };
        services.yesNoAnswers = {false};  // decryption: not the stored name
        services.inputAnswers = {std::u16string(u"jpg")};
        Fill(c.option, In(c.source), InEncryptPane(c.option) ? In(c.output) : std::filesystem::path());
        Run(InEncryptPane(c.option) ? "Command2" : "Command3");
        EXPECT_TRUE(std::filesystem::exists(In(c.output)));
        EXPECT_GT(writes, 0);  // the injected writer is still the one used
        EXPECT_GT(flushes, 0);
        if (flushedAtMessage) {  // extraction ends without a message
            EXPECT_GT(*flushedAtMessage, 0);
        }
    }
}

TEST_F(Replace, AFileThatAppearsAfterTheQuestionIsKept) {
    // Nothing was there, so nobody agreed to replace what another program puts there meanwhile.
    WriteOptions racing;
    racing.writer = [this](int fd, const void* data, std::size_t size) {
        if (!std::filesystem::exists(In("new.qivg"))) std::ofstream(In("new.qivg")) << "theirs";
        return ::write(fd, data, size);
    };
    form->SetWriteOptions(racing);
    Fill("Option1", In("a.txt"), In("new.qivg"));
    Run("Command2");
    EXPECT_EQ(Prompts(),
              std::vector<std::u16string>{u"出力先のファイルが既に存在するため書き込めませんでした\r\n" +
                                          PathText(In("new.qivg"))});
    EXPECT_EQ(ReadFileIfAny(In("new.qivg")), "theirs");
    EXPECT_EQ(NamesIn(Dir()), (std::set<std::string>{"a.qivg", "a.txt", "new.qivg"}));
}

}  // namespace
}  // namespace angoka::testing
