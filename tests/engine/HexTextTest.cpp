#include <gtest/gtest.h>

#include "HexText.h"

namespace angoka {
namespace {

TEST(HexText, FourBytesRoundTrip) {
    const std::string bytes("\x00\x0F\x10\xFF", 4);
    EXPECT_EQ(BytesToHex(bytes), u"000F10FF");
    std::string back;
    ASSERT_EQ(HexToBytes(u"000f10ff", back).status, HexDecodeResult::Status::Ok);
    EXPECT_EQ(back, bytes);
}

}  // namespace
}  // namespace angoka
