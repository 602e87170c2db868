// Every interop vector through `qivg decrypt`: the exit status, and the bytes written ("ok"
// rows exactly the .plain file, under the stored name when it is safe) or nothing at all.
#include <fstream>
#include <map>
#include <sstream>

#include "CliHarness.h"

namespace angoka::testing {
namespace {

const fs::path kVectors = ANGOKA_VECTORS_DIR;

struct Vector {
    std::string id, qivg, plain, password, inKey, rounds, storedName, expected;
};

void PrintTo(const Vector& v, std::ostream* os) {
    *os << v.id;
}

std::vector<Vector> LoadVectors() {
    std::vector<Vector> rows;
    std::ifstream in(kVectors / "vectors.tsv");
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::istringstream fields(line);
        Vector v;
        for (std::string* field :
             {&v.id, &v.qivg, &v.plain, &v.password, &v.inKey, &v.rounds, &v.storedName, &v.expected}) {
            std::getline(fields, *field, '\t');
        }
        rows.push_back(v);
    }
    return rows;
}

const std::map<std::string, int> kStatusOf = {{"ok", 0},        {"wrong_password", 3}, {"not_qivg", 4},
                                              {"too_short", 4}, {"truncated", 4},      {"odd_length", 4},
                                              {"bad_hex", 4}};

TEST(CliVectors, TableIsThere) {
    EXPECT_GE(LoadVectors().size(), 20u) << "no vectors in " << kVectors;
}

class CliVector : public CliTest, public ::testing::WithParamInterface<Vector> {};

TEST_P(CliVector, DecryptsAsRecorded) {
    const Vector& v = GetParam();
    ASSERT_EQ(kStatusOf.count(v.expected), 1u) << v.expected;
    const fs::path file = dir_ / "in" / v.qivg;
    fs::create_directories(file.parent_path());
    fs::copy_file(kVectors / v.qivg, file);

    const CliRun run = cli_.Run({"decrypt", "--password-file", PasswordFile(v.password), "-k", v.inKey, "-n",
                                 v.rounds, "-d", S(dir_ / "out"), S(file)});
    EXPECT_EQ(run.status, kStatusOf.at(v.expected)) << run.err;
    if (v.expected != "ok") {
        EXPECT_FALSE(fs::exists(dir_ / "out")) << "nothing written";
        return;
    }
    // An empty stored name is no file name: the output is then the file without ".qivg".
    const std::string name = v.storedName.empty() ? fs::path(v.qivg).stem().string() : v.storedName;
    EXPECT_EQ(NamesIn(dir_ / "out"), std::set<std::string>{name});
    EXPECT_EQ(ReadBytes(dir_ / "out" / name), ReadBytes(kVectors / v.plain));
}

INSTANTIATE_TEST_SUITE_P(Table, CliVector, ::testing::ValuesIn(LoadVectors()),
                         [](const auto& info) { return info.param.id; });

}  // namespace
}  // namespace angoka::testing
