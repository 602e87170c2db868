// Every .qivg vector decrypted through the hex-text road, step by step as a decryption run
// does it: the size check, OpenBin, n inverse rounds, PassHukgs, the marker, SaveBin.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "BinAngsDL.h"
#include "QivgFiles.h"
#include "VectorTable.h"

namespace angoka {
namespace {

using testing::Utf16;

using testing::VectorFolder;
using testing::VectorRow;
using testing::VectorRows;

// `truncated` belongs to the streaming file reader; this road reads the lines as they come.
std::vector<VectorRow> RoadVectors() {
    std::vector<VectorRow> road;
    for (const auto& v : VectorRows()) {
        if (v.expected != "truncated") road.push_back(v);
    }
    return road;
}

// One decryption, as the run drives the engine. Returns the outcome's name.
std::string Decrypt(BinAngsDL& cipher, const VectorRow& v, const std::filesystem::path& destination) {
    const auto source = VectorFolder() / v.qivg;
    if (std::filesystem::file_size(source) < static_cast<std::uintmax_t>(v.rounds) + 4) return "too_short";

    cipher.InKey(v.inKey);
    cipher.FileName(u"");
    std::u16string path = TextFromPath(source);
    std::u16string work = cipher.OpenBin(path);
    for (int i = 0; i < v.rounds; ++i) work = cipher.Hukgs(work);
    cipher.Pass(Utf16(v.password));
    work = cipher.PassHukgs(work);
    if (work == u"Error") return "wrong_password";
    if (work.substr(0, 16) != u"CFEC2EC5CF3FADE6") return "not_qivg";
    work.erase(0, 16);
    std::u16string output = TextFromPath(destination);
    if (work.size() % 2 != 0) {
        cipher.SaveBin(output, work);  // shows its own message and writes nothing
        return "odd_length";
    }
    try {
        cipher.SaveBin(output, work);
    } catch (const BadHexError&) {
        return "bad_hex";
    }
    return "ok";
}

class VectorRoad : public ::testing::TestWithParam<VectorRow> {};

TEST_P(VectorRoad, GivesTheExpectedOutcomeNameAndBytes) {
    const VectorRow& v = GetParam();
    testing::ScratchFolder folder;
    const auto destination = folder / "out.bin";
    FakeRunTime services;
    BinAngsDL cipher(services);

    EXPECT_EQ(Decrypt(cipher, v, destination), v.expected);
    if (v.storedName != "*") {
        EXPECT_EQ(cipher.FileName(), Utf16(v.storedName));
    }

    if (v.expected == "ok") {
        ASSERT_TRUE(std::filesystem::exists(destination));
        EXPECT_EQ(testing::ReadFile(destination), testing::ReadFile(VectorFolder() / v.plain));
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(folder.Names(), std::set<std::string>{"out.bin"});
    } else {
        EXPECT_TRUE(folder.Names().empty()) << "nothing may be written";
    }
}

INSTANTIATE_TEST_SUITE_P(Vectors, VectorRoad, ::testing::ValuesIn(RoadVectors()), testing::VectorTestName);

TEST(VectorFile, IsThereAndNamesOnlyKnownOutcomes) {
    ASSERT_TRUE(std::filesystem::exists(VectorFolder() / "vectors.tsv")) << VectorFolder();
    const std::set<std::string> outcomes = {"ok",        "wrong_password", "not_qivg", "too_short",
                                            "truncated", "odd_length",     "bad_hex"};
    ASSERT_GE(VectorRows().size(), 20u);
    for (const auto& v : VectorRows()) {
        EXPECT_TRUE(outcomes.count(v.expected)) << v.id << ": " << v.expected;
        EXPECT_TRUE(std::filesystem::exists(VectorFolder() / v.qivg)) << v.id;
    }
}

}  // namespace
}  // namespace angoka
