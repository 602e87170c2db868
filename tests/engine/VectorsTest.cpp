// Every .qivg vector decrypted through the hex-text road, step by step as a decryption run
// does it: the size check, OpenBin, n inverse rounds, PassHukgs, the marker, SaveBin.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BinAngsDL.h"
#include "TestSupport.h"

namespace angoka {
namespace {

using test::U;

const std::filesystem::path kVectors = ANGOKA_VECTORS_DIR;

struct Vector {
    std::string id, qivg, plain, password;
    std::int32_t inKey = 0;
    int rounds = 0;
    std::string storedName, expected;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << v.id;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

std::vector<Vector> LoadVectors() {
    std::vector<Vector> vectors;
    std::ifstream in(kVectors / "vectors.tsv");
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto f = SplitTabs(line);
        if (f.size() != 8) throw std::runtime_error("vectors.tsv: not 8 fields: " + line);
        vectors.push_back({f[0], f[1], f[2], f[3], std::stoi(f[4]), std::stoi(f[5]), f[6], f[7]});
    }
    return vectors;
}

const std::vector<Vector>& AllVectors() {
    static const std::vector<Vector> vectors = LoadVectors();
    return vectors;
}

// `truncated` belongs to the streaming file reader; this road reads the lines as they come.
std::vector<Vector> RoadVectors() {
    std::vector<Vector> road;
    for (const auto& v : AllVectors()) {
        if (v.expected != "truncated") road.push_back(v);
    }
    return road;
}

// One decryption, as the run drives the engine. Returns the outcome's name.
std::string Decrypt(BinAngsDL& cipher, const Vector& v, const std::filesystem::path& destination) {
    const auto source = kVectors / v.qivg;
    if (std::filesystem::file_size(source) < static_cast<std::uintmax_t>(v.rounds) + 4) return "too_short";

    cipher.InKey(v.inKey);
    cipher.FileName(u"");
    std::u16string path = TextFromPath(source);
    std::u16string work = cipher.OpenBin(path);
    for (int i = 0; i < v.rounds; ++i) work = cipher.Hukgs(work);
    cipher.Pass(U(v.password));
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

class VectorRoad : public testing::TestWithParam<Vector> {};

TEST_P(VectorRoad, GivesTheExpectedOutcomeNameAndBytes) {
    const Vector& v = GetParam();
    test::TempFolder folder;
    const auto destination = folder / "out.bin";
    FakeRunTime services;
    BinAngsDL cipher(services);

    EXPECT_EQ(Decrypt(cipher, v, destination), v.expected);
    if (v.storedName != "*") {
        EXPECT_EQ(cipher.FileName(), U(v.storedName));
    }

    if (v.expected == "ok") {
        ASSERT_TRUE(std::filesystem::exists(destination));
        EXPECT_EQ(test::ReadFile(destination), test::ReadFile(kVectors / v.plain));
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.bin"});
    } else {
        EXPECT_TRUE(folder.Names().empty()) << "nothing may be written";
    }
}

std::string VectorName(const testing::TestParamInfo<Vector>& info) {
    std::string name = info.param.id;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Vectors, VectorRoad, testing::ValuesIn(RoadVectors()), VectorName);

TEST(VectorFile, IsThereAndNamesOnlyKnownOutcomes) {
    ASSERT_TRUE(std::filesystem::exists(kVectors / "vectors.tsv")) << kVectors;
    const std::set<std::string> outcomes = {"ok",        "wrong_password", "not_qivg", "too_short",
                                            "truncated", "odd_length",     "bad_hex"};
    ASSERT_FALSE(AllVectors().empty());
    for (const auto& v : AllVectors()) {
        EXPECT_TRUE(outcomes.count(v.expected)) << v.id << ": " << v.expected;
        EXPECT_TRUE(std::filesystem::exists(kVectors / v.qivg)) << v.id;
    }
}

}  // namespace
}  // namespace angoka
