// Every interop vector decrypted through the window, as a user would: the settings in the two
// up-down controls, the password typed, 開始 pressed, every question answered "いいえ" (so the
// typed destination is used and no other settings are tried). Only "ok" writes, exactly the
// recorded bytes; every other row ends with the message of the outcome the window reports for
// it (ReportedOutcome: a file with no .qivg shape is no .qivg file, whatever the password) and
// leaves the folder empty.
#include <map>

#include "GuiFixture.h"
#include "Messages.h"
#include "UpDown.h"
#include "Utf.h"
#include "VectorTable.h"

namespace angoka::testing {
namespace {

// The last message of a run that fails as the row says.
std::u16string FailureMessage(const std::string& expected) {
    static const std::map<std::string, std::u16string> messages = {
        {"wrong_password", kDecryptFailed},
        {"not_qivg", OutcomeText(Outcome::NotQivg)},
        {"too_short", OutcomeText(Outcome::TooShort)},
        {"truncated", OutcomeText(Outcome::Truncated)},
        {"odd_length", kOddLengthMessage},
        {"bad_hex", OutcomeText(Outcome::BadHex)}};
    return messages.at(expected);
}

class WindowVector : public FormTest, public ::testing::WithParamInterface<VectorRow> {};

TEST_P(WindowVector, DecryptsAsRecorded) {
    const VectorRow& row = GetParam();
    const std::filesystem::path output = In("out") / "decrypted.bin";
    std::filesystem::create_directory(In("out"));
    services.yesNoAnswers.assign(4, false);
    Child<UpDown>("UD")->setValue(row.inKey);
    Child<UpDown>("UD2")->setValue(row.rounds);
    SetText("Text1_0", VectorFolder() / row.qivg);
    SetText("Text1_1", output);
    SetText("Text2", FromUtf8(row.password));
    Select("Option2");
    Run("Command2");

    ASSERT_FALSE(Prompts().empty());
    const std::string reported = ReportedOutcome(row);
    if (reported == "ok") {
        EXPECT_EQ(Prompts().back(), PathText(output) + u"に復号完了");
        EXPECT_EQ(ReadFileIfAny(output), ReadFileIfAny(VectorFolder() / row.plain));
        EXPECT_EQ(NamesIn(In("out")), std::set<std::string>{"decrypted.bin"});
    } else {
        EXPECT_EQ(Prompts().back(), FailureMessage(reported));
        // A file that is no .qivg file is said so once; a wrong password gets its two boxes.
        if (reported == "not_qivg") {
            EXPECT_EQ(Prompts().size(), 1u);
        }
        EXPECT_TRUE(NamesIn(In("out")).empty());
    }
    EXPECT_FALSE(form->Running());
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowVector, ::testing::ValuesIn(VectorRows()), VectorTestName);

}  // namespace
}  // namespace angoka::testing
