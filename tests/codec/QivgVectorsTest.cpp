// Every interop vector through the two-step decrypt: the outcome, the stored name, and the
// bytes written; only "ok" may write, and any other outcome leaves an existing file alone.
#include <map>

#include "QivgCodec.h"
#include "QivgFiles.h"
#include "Utf.h"
#include "VectorTable.h"

namespace angoka {
namespace {

using namespace angoka::testing;

Outcome ExpectedOutcome(const std::string& name) {
    static const std::map<std::string, Outcome> outcomes = {{"ok", Outcome::Ok},
                                                            {"wrong_password", Outcome::WrongPassword},
                                                            {"not_qivg", Outcome::NotQivg},
                                                            {"too_short", Outcome::TooShort},
                                                            {"truncated", Outcome::Truncated},
                                                            {"odd_length", Outcome::OddLength},
                                                            {"bad_hex", Outcome::BadHex}};
    const auto it = outcomes.find(name);
    if (it == outcomes.end()) ADD_FAILURE() << "unknown outcome " << name;
    return it == outcomes.end() ? Outcome::IoError : it->second;
}

// The vectors' vocabulary: a matching password over the payload "Error" is a failed
// decryption like a wrong password, which the codec tells apart for its message.
Outcome AsVectorOutcome(Outcome outcome) {
    return outcome == Outcome::ErrorPayload ? Outcome::WrongPassword : outcome;
}

TEST(QivgVectors, TableIsThere) {
    // The parameterised suite below is silently empty when the folder is missing.
    EXPECT_GE(VectorRows().size(), 20u) << "no vectors in " << VectorFolder();
}

class QivgVector : public ::testing::TestWithParam<VectorRow> {};

TEST_P(QivgVector, DecryptsAsRecorded) {
    const VectorRow& row = GetParam();
    const Outcome expected = ExpectedOutcome(row.expected);
    ScratchFolder folder;
    const fs::path destination = folder / "out.bin";
    const std::string previous = "an older file that must survive every failure";
    WriteFile(destination, previous);

    const OpenedQivg opened =
        OpenQivg({VectorFolder() / row.qivg, FromUtf8(row.password), row.inKey, row.rounds});
    if (row.storedName != "*") {
        ASSERT_TRUE(opened.storedName.has_value());
        EXPECT_EQ(ToUtf8(*opened.storedName), row.storedName);
    }
    // The outcomes that the header and the envelope lines decide come from the open step, so
    // that the window never asks about a name before it knows the file can be written.
    const bool decidedAtOpen = expected == Outcome::TooShort || expected == Outcome::WrongPassword ||
                               expected == Outcome::NotQivg || expected == Outcome::Truncated;
    if (decidedAtOpen) {
        EXPECT_EQ(AsVectorOutcome(opened.result.outcome), expected);
    } else if (expected != Outcome::Ok) {
        // Content faults may show either at open or while the content streams.
        EXPECT_TRUE(opened.result.ok() || opened.result.outcome == expected);
    } else {
        ASSERT_EQ(opened.result.outcome, Outcome::Ok);
    }

    Outcome final = opened.result.outcome;
    if (opened.result.ok()) final = WriteQivg(opened, destination, {}, {.replace = true}).outcome;
    EXPECT_EQ(AsVectorOutcome(final), expected);

    if (expected == Outcome::Ok) {
        EXPECT_EQ(ReadFile(destination), ReadFile(VectorFolder() / row.plain));
    } else {
        EXPECT_EQ(ReadFile(destination), previous);
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"out.bin"});
}

// What a mismatch is reported as: a file with the shape of a .qivg file under no setting is
// no .qivg file, whatever password was typed; every other mismatch stays a wrong password.
TEST(QivgVectors, AMismatchIsReportedAsTheReadmeSays) {
    int mismatches = 0;
    for (const VectorRow& row : VectorRows()) {
        SCOPED_TRACE(row.id);
        const OpenedQivg opened =
            OpenQivg({VectorFolder() / row.qivg, FromUtf8(row.password), row.inKey, row.rounds});
        if (opened.result.outcome != Outcome::WrongPassword) continue;
        ++mismatches;
        const FoundSettings found = FindSettings(VectorFolder() / row.qivg, FromUtf8(row.password));
        ASSERT_TRUE(found.result.ok());
        EXPECT_EQ(MismatchOutcome(found), ExpectedOutcome(ReportedOutcome(row)));
    }
    EXPECT_GE(mismatches, 5);
}

INSTANTIATE_TEST_SUITE_P(Rows, QivgVector, ::testing::ValuesIn(VectorRows()), VectorTestName);

}  // namespace
}  // namespace angoka
