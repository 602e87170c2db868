// The browse buttons: dialog kind and filter by button and mode, the name as chosen, the
// name kept between showings, and a cancelled dialog.
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
        EXPECT_EQ(Box(c.box)->text(), Q(chosen));  // as chosen: no "g" appended
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

}  // namespace
}  // namespace angoka::testing
