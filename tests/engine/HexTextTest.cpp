// Hex text in memory: bytes to digits and back.
#include <gtest/gtest.h>

#include "BinAngsDL.h"
#include "FakeRunTime.h"
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

TEST(HexText, BinToHex2GivesTwoUpperCaseDigitsForEveryByte) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    const char16_t digits[] = u"0123456789ABCDEF";
    for (int v = 0; v < 256; ++v) {
        auto byte = static_cast<std::uint8_t>(v);
        EXPECT_EQ(cipher.BinToHex2(byte), (std::u16string{digits[v >> 4], digits[v & 15]})) << v;
        EXPECT_EQ(byte, v);  // the argument is only read
    }
}

TEST(HexText, DecodingTellsOddLengthFromABadPair) {
    struct Case {
        std::u16string text;
        HexDecodeResult::Status status;
        std::size_t badPair;
    };
    const Case cases[] = {
        {u"", HexDecodeResult::Status::Ok, 0},
        {u"aBcD", HexDecodeResult::Status::Ok, 0},
        {u"ABC", HexDecodeResult::Status::OddLength, 0},
        {u"0G", HexDecodeResult::Status::BadPair, 0},
        {u"00G0", HexDecodeResult::Status::BadPair, 1},
        {u"0011 2", HexDecodeResult::Status::BadPair, 2},
        {u"00\uFF10\uFF10", HexDecodeResult::Status::BadPair, 1},  // full-width digits
        {u"\u0130"
         u"0",
         HexDecodeResult::Status::BadPair, 0},  // a code unit whose low byte is '0'
        {u"0\u0041\u0300", HexDecodeResult::Status::OddLength, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        std::string bytes = "left over";
        const auto result = HexToBytes(c.text, bytes);
        EXPECT_EQ(result.status, c.status);
        if (c.status == HexDecodeResult::Status::BadPair) {
            EXPECT_EQ(result.badPairIndex, c.badPair);
        }
        if (c.status == HexDecodeResult::Status::Ok) {
            EXPECT_EQ(bytes.size(), c.text.size() / 2);
        }
    }
}

// Long texts are converted in pieces of a few thousand; nothing may change at their edges.
TEST(HexText, LongTextsConvertAcrossEveryPieceAndFindTheFirstBadPair) {
    std::string bytes;
    for (std::size_t i = 0; i < 3 * 4096 + 3; ++i) bytes += static_cast<char>(i * 167 + i / 256);
    const std::u16string text = BytesToHex(bytes);
    ASSERT_EQ(text.size(), 2 * bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        ASSERT_EQ(text[2 * i], kHexDigits[b >> 4]) << i;
        ASSERT_EQ(text[2 * i + 1], kHexDigits[b & 15]) << i;
    }
    std::string back;
    ASSERT_EQ(HexToBytes(text, back).status, HexDecodeResult::Status::Ok);
    EXPECT_EQ(back, bytes);

    for (const std::size_t pair : {0, 2047, 2048, 4095, 4096, 4097, 8191, 3 * 4096 + 2}) {
        for (const char16_t bad : {u'G', u'\u0130'}) {
            std::u16string damaged = text;
            damaged[2 * pair + pair % 2] = bad;
            damaged[damaged.size() - 1] = u'G';  // a later bad pair does not matter
            std::string out = "left over";
            const auto result = HexToBytes(damaged, out);
            EXPECT_EQ(result.status, HexDecodeResult::Status::BadPair) << pair;
            EXPECT_EQ(result.badPairIndex, pair);
            EXPECT_TRUE(out.empty());
        }
    }
}

}  // namespace
}  // namespace angoka
