// The BMP pane: wrap and extract, the dotted stem, the extension question and the refusals.
#include "BmpCodec.h"
#include "GuiFixture.h"
#include "Messages.h"
#include "Paths.h"

namespace angoka::testing {
namespace {

constexpr char16_t kApp[] = u"暗号化しましょ";

std::string Header() {
    const auto& header = BmpHeader();
    return std::string(reinterpret_cast<const char*>(header.data()), header.size());
}

class BmpPane : public FormTest {
protected:
    void Start(const std::filesystem::path& file, bool wrap) {
        SetText("Text1_2", file);
        Select(wrap ? "Option3" : "Option4");
        Run("Command3");
    }
    void ExpectIdle() {
        EXPECT_FALSE(form->Running());
        EXPECT_EQ(Cursor(), Qt::ArrowCursor);
        EXPECT_EQ(Caption(), ToQ(kApp));
        EXPECT_TRUE(Child<QWidget>("Command3")->isEnabled());
    }
};

TEST_F(BmpPane, RefusalsBeforeTheBusyPointer) {
    struct Case {
        std::u16string path;
        std::u16string message;
    };
    const Case cases[] = {
        {u"", u"ファイル名を入力してください"},
        {PathText(In("nodot")), u"拡張子のあるファイル名を入力してください"},
    };
    WriteFile(In("nodot"), "data");
    for (const Case& c : cases) {
        seen.clear();
        services.messages.clear();
        SetText("Text1_2", c.path);
        Run("Command3");
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{c.message});
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].cursor, Qt::ArrowCursor);
        EXPECT_FALSE(seen[0].running);
    }
    EXPECT_EQ(NamesIn(Dir()), std::set<std::string>{"nodot"});
}

TEST_F(BmpPane, WrapPutsTheHeaderInFrontAndReportsWithTheBusyPointer) {
    struct Case {
        std::string file, output;
    };
    std::filesystem::create_directory(In("my.dir"));
    const Case cases[] = {
        {"photo.jpg", "photo.bmp"}, {"a.b.c", "a.b.bmp"}, {"x.", "x.bmp"},
        {"my.dir/file", "my.bmp"},  // the stem may end in a folder name
        {"empty.dat", "empty.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string content = c.file == "empty.dat" ? std::string() : Pattern(10000, 3);
        WriteFile(In(c.file), content);
        seen.clear();
        services.messages.clear();
        Start(In(c.file), true);
        EXPECT_EQ(Prompts(), std::vector<std::u16string>{PathText(In(c.output)) + u"に出力完了"});
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].cursor, Qt::WaitCursor);
        EXPECT_EQ(seen[0].caption, ToQ(kApp));  // the BMP pane leaves the caption alone
        ExpectIdle();
        EXPECT_EQ(ReadFileIfAny(In(c.output)), Header() + content);
    }
}

TEST_F(BmpPane, WrapOfAFileNamedBmpReplacesItWhenTheUserAgrees) {
    WriteFile(In("pic.bmp"), "raw");
    services.yesNoAnswers = {true};
    Start(In("pic.bmp"), true);
    EXPECT_EQ(Prompts(),
              (std::vector<std::u16string>{PathText(In("pic.bmp")) + u"は既に存在します。置き換えますか？",
                                           PathText(In("pic.bmp")) + u"に出力完了"}));
    EXPECT_EQ(ReadFileIfAny(In("pic.bmp")), Header() + "raw");
}

TEST_F(BmpPane, AMissingFileIsReportedOnceAndNothingIsWritten) {
    for (bool wrap : {true, false}) {
        seen.clear();
        services.messages.clear();
        Start(In("missing.jpg"), wrap);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].message.prompt, NotFoundMessage(PathText(In("missing.jpg"))));
        EXPECT_EQ(seen[0].cursor, Qt::WaitCursor);
        EXPECT_TRUE(services.inputs.empty());
        ExpectIdle();
    }
    EXPECT_TRUE(NamesIn(Dir()).empty());
}

TEST_F(BmpPane, ExtractionWritesUnderTheTypedExtension) {
    const std::string content = Pattern(5000, 9);
    WriteFile(In("photo.bmp"), Header() + content);
    struct Case {
        const char* name;
        std::optional<std::u16string> answer;  // nothing: cancelled
        std::optional<std::string> output;     // nothing: no file written
    };
    const Case cases[] = {
        {"typed", u"jpg", "photo.jpg"},
        {"with a dot", u".jpg", "photo..jpg"},
        {"empty", u"", "photo."},
        {"default", u"qivg", "photo.qivg"},
        {"cancelled", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& name : NamesIn(Dir()))
            if (name != "photo.bmp") std::filesystem::remove(In(name));
        services.inputs.clear();
        services.messages.clear();
        seen.clear();
        services.inputAnswers = {c.answer};
        std::optional<Qt::CursorShape> cursorWhileAsked;
        services.onInput = [&](const FakeRunTime::Input&) { cursorWhileAsked = Cursor(); };
        Start(In("photo.bmp"), false);
        ASSERT_EQ(services.inputs.size(), 1u);
        EXPECT_EQ(services.inputs[0].prompt,
                  PathText(In("photo.")) + u"につける拡張子を入力してください(.は不必要)");
        EXPECT_EQ(services.inputs[0].title, u"拡張子");
        EXPECT_EQ(services.inputs[0].defaultAnswer, u"qivg");
        EXPECT_TRUE(Prompts().empty());  // no completion message
        ExpectIdle();
        EXPECT_EQ(cursorWhileAsked, Qt::WaitCursor);
        if (c.output) {
            EXPECT_EQ(ReadFileIfAny(In(*c.output)), content);
            EXPECT_EQ(NamesIn(Dir()).size(), 2u);
        } else {
            EXPECT_EQ(NamesIn(Dir()), std::set<std::string>{"photo.bmp"});
        }
    }
}

TEST_F(BmpPane, ExtractionRefusesAFileShorterThanTheHeader) {
    struct Case {
        std::size_t size;
        bool refused;
    };
    for (const Case& c : {Case{0, true}, Case{117, true}, Case{118, false}}) {
        SCOPED_TRACE(c.size);
        std::filesystem::remove(In("s.out"));
        services.inputs.clear();
        services.messages.clear();
        services.inputAnswers = {std::u16string(u"out")};
        WriteFile(In("s.bmp"), Header().substr(0, c.size));
        Start(In("s.bmp"), false);
        if (c.refused) {
            EXPECT_EQ(Prompts(), std::vector<std::u16string>{
                                     u"ファイルが118バイトより短いため、データを取り出せませんでした"});
            EXPECT_TRUE(services.inputs.empty());
            EXPECT_FALSE(std::filesystem::exists(In("s.out")));
        } else {
            EXPECT_TRUE(Prompts().empty());
            EXPECT_EQ(ReadFileIfAny(In("s.out")), "");
        }
        ExpectIdle();
    }
}

TEST_F(BmpPane, WrapThenExtractGivesTheFileBack) {
    const std::string content = Pattern(3 * 1024 * 1024 + 17, 5);
    WriteFile(In("doc.pdf"), content);
    Start(In("doc.pdf"), true);
    std::filesystem::rename(In("doc.pdf"), In("original.pdf"));
    services.inputAnswers = {std::u16string(u"pdf")};
    Start(In("doc.bmp"), false);
    EXPECT_EQ(ReadFileIfAny(In("doc.pdf")), content);
}

}  // namespace
}  // namespace angoka::testing
