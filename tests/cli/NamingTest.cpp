// How outputs are named from the input's file name.
#include <gtest/gtest.h>

#include "FormatRules.h"

namespace angoka::cli {
namespace {

TEST(Naming, DottedStemCutsTheNameNeverTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.b.c", "a.b."},       {"photo.jpg", "photo."}, {"README", "README."},
        {".bashrc", ".bashrc."}, {".a.b", ".a."},         {"x.", "x."},
        {"例え.txt", "例え."},
    };
    for (const auto& [name, stem] : cases) EXPECT_EQ(DottedStemOf(name), stem) << name;
}

TEST(Naming, PlainNameDropsQivgInAnyCaseOrAddsOut) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.txt.qivg", "a.txt"},      {"A.QIVG", "A"},      {"a.Qivg", "a"},
        {"a.bin", "a.bin.out"},       {"qivg", "qivg.out"}, {".qivg", ".qivg.out"},
        {"a.qivg.x", "a.qivg.x.out"},
    };
    for (const auto& [name, plain] : cases) EXPECT_EQ(PlainNameOf(name), plain) << name;
}

}  // namespace
}  // namespace angoka::cli
