// The codec's chunk loops against the plain per-byte rules, across the widths where a
// vectorised loop hands over to its tail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HexText.h"
#include "Kernels.h"
#include "Nibbles.h"

namespace angoka {
namespace {

std::vector<std::uint8_t> Digits(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Kernels, ExpandShiftedIsHexTextWithEveryNibbleShifted) {
    std::string bytes;
    for (int v = 0; v < 256; ++v) bytes += static_cast<char>(v);
    const std::u16string hex = BytesToHex(bytes);
    for (int shift = 0; shift < 16; ++shift) {
        std::vector<std::uint8_t> out(2 * bytes.size());
        ExpandShifted(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out.data(), shift);
        for (std::size_t i = 0; i < out.size(); ++i) {
            ASSERT_EQ(out[i], ShiftNibbles(static_cast<std::uint8_t>(hex[i]), shift)) << "shift " << shift;
        }
    }
}

TEST(Kernels, ShiftAllMatchesShiftNibbles) {
    for (int shift = 0; shift < 16; ++shift) {
        std::vector<std::uint8_t> bytes(300);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
        const auto before = bytes;
        ShiftAll(bytes.data(), bytes.size(), shift);
        for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], ShiftNibbles(before[i], shift));
    }
}

TEST(Kernels, DecodeHexPairsTakesBothCasesAtEveryLength) {
    const std::string upper = "00FF10ab9C0f7E3dA5B6c4D2e1F8", lower = "deadbeef";
    for (std::size_t pairs = 0; pairs <= 40; ++pairs) {
        std::string text;
        while (text.size() < 2 * pairs) text += (text.size() / 2) % 3 ? upper : lower;
        text.resize(2 * pairs);
        std::string expected;
        ASSERT_EQ(HexToBytes(std::u16string(text.begin(), text.end()), expected).status,
                  HexDecodeResult::Status::Ok);
        std::vector<std::uint8_t> out(pairs);
        const auto in = Digits(text);
        ASSERT_TRUE(DecodeHexPairs(in.data(), pairs, out.data())) << pairs;
        EXPECT_EQ(std::string(out.begin(), out.end()), expected) << pairs;
    }
}

TEST(Kernels, DecodeHexPairsRefusesANonDigitAnywhere) {
    // The neighbours of each digit range, and bytes far outside them.
    const char bad[] = {'/', ':', '@', 'G', '`', 'g', ' ', '\0', '\r', static_cast<char>(0xC1), static_cast<char>(0xFF)};
    constexpr std::size_t kPairs = 37;  // two vector blocks and a tail
    for (std::size_t at = 0; at < 2 * kPairs; ++at) {
        for (char c : bad) {
            auto in = Digits(std::string(2 * kPairs, '7'));
            in[at] = static_cast<std::uint8_t>(c);
            std::vector<std::uint8_t> out(kPairs);
            EXPECT_FALSE(DecodeHexPairs(in.data(), kPairs, out.data())) << "position " << at << " byte " << int(c);
        }
    }
}

}  // namespace
}  // namespace angoka
