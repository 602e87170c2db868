// Every interop vector through `qivg decrypt`: the exit status of the outcome qivg reports
// (a file with no .qivg shape is no .qivg file, not a wrong password), and the bytes written
// ("ok" rows exactly the .plain file, under the stored name when it is safe) or nothing at all.
#include <map>

#include "CliHarness.h"
#include "VectorTable.h"

namespace angoka::testing {
namespace {

const std::map<std::string, int> kStatusOf = {{"ok", 0},        {"wrong_password", 3}, {"not_qivg", 4},
                                              {"too_short", 4}, {"truncated", 4},      {"odd_length", 4},
                                              {"bad_hex", 4}};

TEST(CliVectors, TableIsThere) {
    EXPECT_GE(VectorRows().size(), 20u) << "no vectors in " << VectorFolder();
}

class CliVector : public CliTest, public ::testing::WithParamInterface<VectorRow> {};

TEST_P(CliVector, DecryptsAsRecorded) {
    const VectorRow& v = GetParam();
    const std::string reported = ReportedOutcome(v);
    ASSERT_EQ(kStatusOf.count(reported), 1u) << reported;
    const fs::path file = dir_ / "in" / v.qivg;
    fs::create_directories(file.parent_path());
    fs::copy_file(VectorFolder() / v.qivg, file);

    const CliRun run =
        cli_.Run({"decrypt", "--password-file", PasswordFile(v.password), "-k", std::to_string(v.inKey), "-n",
                  std::to_string(v.rounds), "-d", Arg(dir_ / "out"), Arg(file)});
    EXPECT_EQ(run.status, kStatusOf.at(reported)) << run.err;
    if (reported != "ok") {
        EXPECT_FALSE(fs::exists(dir_ / "out")) << "nothing written";
        return;
    }
    // An empty stored name is no file name: the output is then the file without ".qivg".
    const std::string name = v.storedName.empty() ? fs::path(v.qivg).stem().string() : v.storedName;
    EXPECT_EQ(TreeIn(dir_ / "out"), std::set<std::string>{name});
    EXPECT_EQ(ReadFile(dir_ / "out" / name), ReadFile(VectorFolder() / v.plain));
}

INSTANTIATE_TEST_SUITE_P(Table, CliVector, ::testing::ValuesIn(VectorRows()), VectorTestName);

}  // namespace
}  // namespace angoka::testing
