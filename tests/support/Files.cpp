#include "Files.h"

#include <gtest/gtest.h>

namespace angoka::testing {

std::string CurrentTestTag() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string tag = info ? std::string(info->test_suite_name()) + "-" + info->name() : "angoka";
    for (char& c : tag)
        if (c == '/' || c == '.') c = '_';
    return tag;
}

}  // namespace angoka::testing
