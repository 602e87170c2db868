// Every interop vector through the two-step decrypt: the outcome, the stored name, and the
// bytes written; only "ok" may write, and any other outcome leaves an existing file alone.
#include <fstream>
#include <map>
#include <sstream>

#include "CodecTestSupport.h"
#include "QivgCodec.h"
#include "Utf.h"

namespace angoka {
namespace {

using namespace angoka::testing;

const fs::path kVectors = ANGOKA_VECTORS_DIR;

struct VectorRow {
    std::string id, qivg, plain, password, storedName, expected;
    std::int32_t inKey = 0;
    std::int32_t rounds = 0;
};

void PrintTo(const VectorRow& row, std::ostream* os) { *os << row.id; }

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::vector<VectorRow> LoadVectors() {
    std::vector<VectorRow> rows;
    std::ifstream in(kVectors / "vectors.tsv");
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto f = SplitTabs(line);
        if (f.size() != 8) {
            ADD_FAILURE() << "malformed vector line: " << line;
            continue;
        }
        rows.push_back({f[0], f[1], f[2], f[3], f[6], f[7], std::stoi(f[4]), std::stoi(f[5])});
    }
    return rows;
}

Outcome ExpectedOutcome(const std::string& name) {
    static const std::map<std::string, Outcome> outcomes = {
        {"ok", Outcome::Ok},           {"wrong_password", Outcome::WrongPassword},
        {"not_qivg", Outcome::NotQivg}, {"too_short", Outcome::TooShort},
        {"truncated", Outcome::Truncated}, {"odd_length", Outcome::OddLength},
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
    EXPECT_GE(LoadVectors().size(), 20u) << "no vectors in " << kVectors;
}

class QivgVector : public ::testing::TestWithParam<VectorRow> {};

TEST_P(QivgVector, DecryptsAsRecorded) {
    const VectorRow& row = GetParam();
    const Outcome expected = ExpectedOutcome(row.expected);
    ScratchFolder folder;
    const fs::path destination = folder / "out.bin";
    const std::string previous = "an older file that must survive every failure";
    WriteBytes(destination, previous);

    const OpenedQivg opened = OpenQivg({kVectors / row.qivg, FromUtf8(row.password), row.inKey, row.rounds});
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
        EXPECT_EQ(ReadBytes(destination), ReadBytes(kVectors / row.plain));
    } else {
        EXPECT_EQ(ReadBytes(destination), previous);
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"out.bin"});
}

INSTANTIATE_TEST_SUITE_P(Rows, QivgVector, ::testing::ValuesIn(LoadVectors()),
                         [](const ::testing::TestParamInfo<VectorRow>& info) { return info.param.id; });

}  // namespace
}  // namespace angoka
