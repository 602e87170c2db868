// The browse buttons: dialog kind and filter by button and mode, the name as chosen, the
// name kept between showings, the folder it opens in, a cancelled dialog, and the destination
// that a chosen source suggests.
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "GuiFixture.h"

namespace angoka::testing {
namespace {

constexpr char16_t kAll[] = u"全てのファイル(*.*)|*.*";
constexpr char16_t kBitmap[] = u"Bitmap(*.bmp)|*.bmp";
constexpr char16_t kEncrypted[] = u"Quorvane暗号ファイル(*.qivg)|*.qivg";

using Kind = FileDialogRequest::Kind;

class Browse : public FormTest {};

TEST_F(Browse, DialogKindAndFilterFollowTheButtonAndTheMode) {
    struct Case {
        const char* button;
        const char* option;
        const char* box;
        std::u16string filter;
        Kind kind;
        std::u16string suffix;
    };
    const Case cases[] = {
        {"Command1_0", "Option1", "Text1_0", kAll, Kind::Open, u""},
        {"Command1_0", "Option2", "Text1_0", kEncrypted, Kind::Open, u""},
        {"Command1_1", "Option2", "Text1_1", kAll, Kind::Save, u""},
        {"Command1_1", "Option1", "Text1_1", kEncrypted, Kind::Save, u"qivg"},
        {"Command1_2", "Option3", "Text1_2", kAll, Kind::Open, u""},
        {"Command1_2", "Option4", "Text1_2", kBitmap, Kind::Open, u""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.option);
        const std::u16string chosen = u"/data/out/report" + std::u16string(1, char16_t(u'0' + n++));
        services.dialogs.clear();
        services.dialogAnswers = {chosen};
        Select(c.option);
        Click(c.button);
        ASSERT_EQ(services.dialogs.size(), 1u);
        EXPECT_EQ(services.dialogs[0].title, u"ファイルの参照");
        EXPECT_EQ(services.dialogs[0].filter, c.filter);
        EXPECT_EQ(services.dialogs[0].kind, c.kind);
        EXPECT_EQ(services.dialogs[0].defaultSuffix, c.suffix);
        EXPECT_EQ(Box(c.box)->text(), ToQ(chosen));  // as chosen: no "g" appended
    }
}

TEST_F(Browse, TheDialogStartsWithTheLastChosenName) {
    services.dialogAnswers = {std::u16string(u"/d/first.txt"), std::nullopt,
                              std::u16string(u"/d/second.qivg")};
    Click("Command1_0");
    Click("Command1_2");  // cancelled: keeps the name
    Click("Command1_1");
    Click("Command1_0");
    ASSERT_EQ(services.dialogs.size(), 4u);
    EXPECT_EQ(services.dialogs[0].fileName, u"");
    EXPECT_EQ(services.dialogs[1].fileName, u"/d/first.txt");
    EXPECT_EQ(services.dialogs[2].fileName, u"/d/first.txt");
    EXPECT_EQ(services.dialogs[3].fileName, u"/d/second.qivg");
}

TEST_F(Browse, ACancelledDialogLeavesTheBoxAsItWas) {
    for (const auto& answer : {std::optional<std::u16string>(), std::optional<std::u16string>(u"")}) {
        SetText("Text1_1", std::u16string(u"/keep/me.qivg"));
        services.dialogAnswers = {answer};
        Click("Command1_1");
        EXPECT_EQ(Box("Text1_1")->text(), QStringLiteral("/keep/me.qivg"));
    }
}

TEST_F(Browse, TheDialogOpensInTheFolderOfThePathInTheBox) {
    struct Case {
        const char* box;
        const char* button;
        std::u16string text;
        std::u16string folder;  // empty: where the last chosen name is
    };
    const Case cases[] = {
        {"Text1_0", "Command1_0", u"/data/in/a.txt", u"/data/in/"},
        {"Text1_1", "Command1_1", u"/data/out/b.qivg", u"/data/out/"},
        {"Text1_2", "Command1_2", u"/pics/c.bmp", u"/pics/"},
        {"Text1_0", "Command1_0", u"", u""},
        {"Text1_0", "Command1_0", u"typed.txt", u""},
    };
    services.dialogAnswers = {std::u16string(u"/last/x.txt")};
    Click("Command1_2");
    for (const Case& c : cases) {
        SCOPED_TRACE(ToQ(c.text).toStdString());
        services.dialogs.clear();
        SetText(c.box, c.text);
        Click(c.button);
        ASSERT_EQ(services.dialogs.size(), 1u);
        EXPECT_EQ(services.dialogs[0].folder, c.folder);
        EXPECT_EQ(services.dialogs[0].fileName, u"/last/x.txt");
    }
}

TEST_F(Browse, AChosenSourceFillsAnEmptyDestination) {
    struct Case {
        const char* way;
        const char* option;
        QString source;
        QString before;    // the destination box before
        QString expected;  // and after
    };
    const Case cases[] = {
        {"browse", "Option1", QStringLiteral("/d/a.txt"), QString(), QStringLiteral("/d/a.txt.qivg")},
        {"browse", "Option2", QStringLiteral("/d/a.qivg"), QString(), QStringLiteral("/d/a")},
        {"browse", "Option2", QStringLiteral("/d/B.QIVG"), QString(), QStringLiteral("/d/B")},
        {"browse", "Option2", QStringLiteral("/d/a.txt"), QString(), QString()},
        {"browse", "Option2", QStringLiteral("/d/.qivg"), QString(), QString()},
        {"browse", "Option1", QStringLiteral("/d/a.txt"), QStringLiteral("/keep"), QStringLiteral("/keep")},
        {"drop", "Option1", QStringLiteral("/d/日本語.txt"), QString(), QStringLiteral("/d/日本語.txt.qivg")},
        {"drop", "Option2", QStringLiteral("/d/a.qivg"), QString(), QStringLiteral("/d/a")},
        {"drop", "Option1", QStringLiteral("/d/a.txt"), QStringLiteral("/keep"), QStringLiteral("/keep")},
        {"argument", "Option1", QStringLiteral("/d/a.txt"), QString(), QStringLiteral("/d/a.txt.qivg")},
        {"argument", "Option2", QStringLiteral("/d/a.qivg"), QString(), QStringLiteral("/d/a")},
        {"argument", "Option2", QStringLiteral("/d/a.qivg"), QStringLiteral("/keep"),
         QStringLiteral("/keep")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.way) + " " + c.source.toStdString());
        Box("Text1_0")->clear();
        Box("Text1_1")->setText(c.before);
        Select(c.option);
        const std::string way = c.way;
        if (way == "browse") {
            services.dialogAnswers = {FromQ(c.source)};
            Click("Command1_0");
        } else if (way == "drop") {
            ASSERT_TRUE(DropFiles(Box("Text1_0"), {c.source}));
        } else {
            form->OpenArgument(c.source);
        }
        EXPECT_EQ(Box("Text1_0")->text(), c.source);
        EXPECT_EQ(Box("Text1_1")->text(), c.expected);
    }
    // Typing a source suggests nothing; the suggestion itself stays editable.
    Box("Text1_1")->clear();
    QTest::keyClicks(Box("Text1_0"), QStringLiteral("x"));
    EXPECT_TRUE(Box("Text1_1")->text().isEmpty());
    EXPECT_FALSE(Box("Text1_1")->isReadOnly());
}

TEST_F(Browse, AFilledInDestinationFollowsTheSourceAndTheDirectionUntilTheUserTouchesIt) {
    enum class Do {
        BrowseSource,
        DropSource,
        Argument,
        Encrypt,
        Decrypt,
        TypeDestination,
        BrowseDestination,
        DropDestination,
        ClearDestination
    };
    struct Step {
        Do what;
        QString path;  // the file, or the text typed
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        QString expected;
    };
    const QString a = QStringLiteral("/d/a.txt"), b = QStringLiteral("/d/b.txt");
    const Case cases[] = {
        {"browsed again", {{Do::BrowseSource, a}, {Do::BrowseSource, b}}, QStringLiteral("/d/b.txt.qivg")},
        {"dropped after", {{Do::BrowseSource, a}, {Do::DropSource, b}}, QStringLiteral("/d/b.txt.qivg")},
        {"named again",
         {{Do::Argument, a}, {Do::Argument, QStringLiteral("/d/c.qivg")}},
         QStringLiteral("/d/c")},
        {"direction swapped",
         {{Do::BrowseSource, QStringLiteral("/d/c.qivg")}, {Do::Decrypt, {}}},
         QStringLiteral("/d/c")},
        {"swapped and back",
         {{Do::BrowseSource, a}, {Do::Decrypt, {}}, {Do::Encrypt, {}}},
         QStringLiteral("/d/a.txt.qivg")},
        // Decrypting a file without .qivg suggests no name: the box is emptied, not left stale.
        {"swapped to nothing", {{Do::BrowseSource, a}, {Do::Decrypt, {}}}, QString()},
        {"emptied, then browsed",
         {{Do::BrowseSource, a}, {Do::ClearDestination, {}}, {Do::BrowseSource, b}},
         QStringLiteral("/d/b.txt.qivg")},
        // The user's own destination is never touched.
        {"typed after",
         {{Do::BrowseSource, a},
          {Do::TypeDestination, QStringLiteral("x")},
          {Do::BrowseSource, b},
          {Do::Decrypt, {}}},
         QStringLiteral("/d/a.txt.qivgx")},
        {"typed before",
         {{Do::TypeDestination, QStringLiteral("/d/t")}, {Do::BrowseSource, a}},
         QStringLiteral("/d/t")},
        {"browsed for",
         {{Do::BrowseSource, a},
          {Do::BrowseDestination, QStringLiteral("/d/mine.qivg")},
          {Do::BrowseSource, b}},
         QStringLiteral("/d/mine.qivg")},
        {"dropped on",
         {{Do::BrowseSource, a}, {Do::DropDestination, QStringLiteral("/d/mine.bin")}, {Do::DropSource, b}},
         QStringLiteral("/d/mine.bin")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select("Option1");
        Box("Text1_0")->clear();
        Box("Text1_1")->clear();
        for (const Step& step : c.steps) {
            switch (step.what) {
                case Do::BrowseSource:
                    services.dialogAnswers = {FromQ(step.path)};
                    Click("Command1_0");
                    break;
                case Do::DropSource:
                    ASSERT_TRUE(DropFiles(Box("Text1_0"), {step.path}));
                    break;
                case Do::Argument:
                    form->OpenArgument(step.path);
                    break;
                case Do::Encrypt:
                    Select("Option1");
                    break;
                case Do::Decrypt:
                    Select("Option2");
                    break;
                case Do::TypeDestination:
                    Box("Text1_1")->end(false);
                    QTest::keyClicks(Box("Text1_1"), step.path);
                    break;
                case Do::BrowseDestination:
                    services.dialogAnswers = {FromQ(step.path)};
                    Click("Command1_1");
                    break;
                case Do::DropDestination:
                    ASSERT_TRUE(DropFiles(Box("Text1_1"), {step.path}));
                    break;
                case Do::ClearDestination:
                    Box("Text1_1")->selectAll();
                    QTest::keyClick(Box("Text1_1"), Qt::Key_Delete);
                    break;
            }
        }
        EXPECT_EQ(Box("Text1_1")->text(), c.expected);
    }
}

TEST_F(Browse, AnotherSourceIsNeverPutIntoTheFirstOnesEncryptedFile) {
    // Browse a.txt, then b.txt, and press Return: b.txt.qivg is made, a.txt.qivg kept unasked.
    WriteFile(In("a.txt"), "first");
    WriteFile(In("b.txt"), "second");
    WriteFile(In("a.txt.qivg"), "a's");
    services.dialogAnswers = {PathText(In("a.txt")), PathText(In("b.txt"))};
    Click("Command1_0");
    Click("Command1_0");
    SetText("Text2", std::u16string(u"pw"));
    QTest::keyClick(Box("Text2"), Qt::Key_Return);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Prompts(),
              std::vector<std::u16string>{u"完了\r\n" + PathText(In("b.txt.qivg")) + u"に出力完了"});
    EXPECT_EQ(ReadFileIfAny(In("a.txt.qivg")), "a's");
    EXPECT_TRUE(std::filesystem::exists(In("b.txt.qivg")));
}

}  // namespace
}  // namespace angoka::testing
