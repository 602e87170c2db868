// Every kernel at every level this processor runs, against the per-byte rules (ShiftNibbles,
// HexValue), at every length up to past the widest vector's hand-over to its tail, every
// shift, and every position of a bad byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HexText.h"
#include "Kernels.h"
#include "Nibbles.h"

namespace angoka {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

constexpr std::size_t kMaxLength = 300;
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kGuardSize = 64;
// Both cases of letters.
constexpr std::string_view kDigitChars = "0123456789ABCDEFabcdef";
// Neighbours of the digit ranges, line ends, and bytes far outside them.
constexpr std::uint8_t kNonDigits[] = {'/',  ':',  '@',  'G',  '`',  'g',  ' ',  0,
                                       '\r', '\n', 0x7F, 0x80, 0xB0, 0xC1, 0xE6, 0xFF};

// The raw byte that becomes `c` once shifted by `shift`.
std::uint8_t RawFor(std::uint8_t c, int shift) {
    return ShiftNibbles(c, Mod16(-shift));
}

// `length` digit characters of both cases in a scrambled order, and what they decode to.
struct DigitText {
    std::string chars;
    Bytes pairs;
};
DigitText MakeDigits(std::size_t length) {
    DigitText text;
    for (std::size_t i = 0; i < length; ++i) text.chars += kDigitChars[(i * 7 + i / 5) % kDigitChars.size()];
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        text.pairs.push_back(
            static_cast<std::uint8_t>(HexValue(text.chars[i]) << 4 | HexValue(text.chars[i + 1])));
    }
    return text;
}

Bytes RawOf(const std::string& chars, int shift) {
    Bytes raw;
    for (const char c : chars) raw.push_back(RawFor(static_cast<std::uint8_t>(c), shift));
    return raw;
}

// An output buffer of `size` bytes followed by guard bytes that no kernel may touch.
Bytes Output(std::size_t size) {
    return Bytes(size + kGuardSize, kGuard);
}
::testing::AssertionResult GuardIntact(const Bytes& out, std::size_t size) {
    for (std::size_t i = size; i < out.size(); ++i) {
        if (out[i] != kGuard) return ::testing::AssertionFailure() << "wrote past the end at " << i - size;
    }
    return ::testing::AssertionSuccess();
}

class Kernels : public ::testing::TestWithParam<KernelLevel> {
protected:
    void SetUp() override { ASSERT_TRUE(UseKernelLevel(GetParam())); }
    void TearDown() override { UseKernelLevel(SupportedKernelLevels().back()); }
};

INSTANTIATE_TEST_SUITE_P(EveryLevel, Kernels, ::testing::ValuesIn(SupportedKernelLevels()),
                         [](const ::testing::TestParamInfo<KernelLevel>& info) {
                             return KernelLevelName(info.param);
                         });

TEST_P(Kernels, ShiftAllShiftsEveryByte) {
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            Bytes bytes = Output(length);
            for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 167 + length);
            const Bytes before = bytes;
            ShiftAll(bytes.data(), length, shift);
            for (std::size_t i = 0; i < length; ++i) {
                ASSERT_EQ(bytes[i], ShiftNibbles(before[i], shift))
                    << "shift " << shift << " length " << length << " at " << i;
            }
            ASSERT_TRUE(GuardIntact(bytes, length));
        }
    }
}

TEST_P(Kernels, ExpandShiftedWritesEachNibbleAsItsShiftedUpperCaseDigit) {
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            Bytes in(length);  // every byte value once the length passes 256
            for (std::size_t i = 0; i < length; ++i) in[i] = static_cast<std::uint8_t>(i * 167 + length);
            Bytes out = Output(2 * length);
            ExpandShifted(in.data(), length, out.data(), shift);
            for (std::size_t i = 0; i < length; ++i) {
                const auto digit = [shift](int nibble) {
                    return ShiftNibbles(static_cast<std::uint8_t>(kHexDigits[nibble]), shift);
                };
                ASSERT_EQ(out[2 * i], digit(in[i] >> 4))
                    << "shift " << shift << " length " << length << " at " << i;
                ASSERT_EQ(out[2 * i + 1], digit(in[i] & 15))
                    << "shift " << shift << " length " << length << " at " << i;
            }
            ASSERT_TRUE(GuardIntact(out, 2 * length));
        }
    }
}

TEST_P(Kernels, DecodeShiftedDigitsDecodesDigitsOfBothCases) {
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            const DigitText text = MakeDigits(length);
            const Bytes raw = RawOf(text.chars, shift);
            Bytes out = Output(length / 2);
            ASSERT_EQ(DecodeShiftedDigits(raw.data(), length, out.data(), shift), length)
                << "shift " << shift << " length " << length;
            ASSERT_EQ(Bytes(out.begin(), out.begin() + length / 2), text.pairs)
                << "shift " << shift << " length " << length;
            ASSERT_TRUE(GuardIntact(out, length / 2));
        }
    }
}

TEST_P(Kernels, DecodeShiftedDigitsStopsAtTheFirstNonDigit) {
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 1; length <= kMaxLength; ++length) {
            const DigitText text = MakeDigits(length);
            for (std::size_t bad = 0; bad < length; ++bad) {
                std::string chars = text.chars;
                chars[bad] = static_cast<char>(kNonDigits[(bad + length + shift) % std::size(kNonDigits)]);
                if (bad + 1 < length) chars[length - 1] = '\r';  // a later non-digit does not matter
                const Bytes raw = RawOf(chars, shift);
                Bytes out = Output(length / 2);
                ASSERT_EQ(DecodeShiftedDigits(raw.data(), length, out.data(), shift), bad)
                    << "shift " << shift << " length " << length << " bad at " << bad;
                ASSERT_EQ(Bytes(out.begin(), out.begin() + bad / 2),
                          Bytes(text.pairs.begin(), text.pairs.begin() + bad / 2))
                    << "shift " << shift << " length " << length << " bad at " << bad;
                ASSERT_TRUE(GuardIntact(out, length / 2));
            }
        }
    }
}

TEST_P(Kernels, DecodeShiftedDigitsJudgesEveryByteValueAsHexValueDoes) {
    constexpr std::size_t kLength = 160;  // two of the widest blocks and a tail
    const DigitText text = MakeDigits(kLength);
    for (int shift = 0; shift < 16; ++shift) {
        for (int value = 0; value < 256; ++value) {
            const auto b = static_cast<std::uint8_t>(value);
            const bool digit = HexValue(ShiftNibbles(b, shift)) >= 0;
            for (const std::size_t at : {0, 1, 31, 32, 63, 64, 101, 159}) {
                Bytes raw = RawOf(text.chars, shift);
                raw[at] = b;
                Bytes out = Output(kLength / 2);
                ASSERT_EQ(DecodeShiftedDigits(raw.data(), kLength, out.data(), shift), digit ? kLength : at)
                    << "shift " << shift << " byte " << value << " at " << at;
                if (digit && at % 2 == 0) {
                    ASSERT_EQ(out[at / 2] >> 4, HexValue(ShiftNibbles(b, shift)))
                        << "shift " << shift << " byte " << value;
                }
            }
        }
    }
}

TEST_P(Kernels, FindShiftedFindsTheFirstByteThatBecomesTheWantedOne) {
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            const Bytes digits = RawOf(MakeDigits(length).chars, shift);
            ASSERT_EQ(FindShifted(digits.data(), length, '\r', shift), length) << "shift " << shift;
            for (std::size_t at = 0; at < length; at += 1 + length / 16) {
                Bytes raw = digits;
                raw[at] = RawFor('\r', shift);
                raw[length - 1] = RawFor('\r', shift);         // a later one does not matter
                if (at > 0 && shift != 0) raw[at - 1] = '\r';  // nor a CR before shifting
                ASSERT_EQ(FindShifted(raw.data(), length, '\r', shift), at)
                    << "shift " << shift << " length " << length << " at " << at;
            }
        }
    }
}

TEST_P(Kernels, ShiftTextDigitsReadsNonDigitsAsZeroAndWritesUpperCase) {
    // Digits of both cases, their ASCII neighbours, and wide characters whose low byte is a digit.
    const std::u16string alphabet =
        u"0123456789ABCDEFabcdef/:@G`g \r\0\x7F\x80\xFF\u0130\u0146\u0230\u8030\uFF10\uFFFF"s;
    for (int shift = 0; shift < 16; ++shift) {
        for (std::size_t length = 0; length <= kMaxLength; ++length) {
            std::u16string text;
            for (std::size_t i = 0; i < length; ++i) text += alphabet[(i * 13 + length) % alphabet.size()];
            std::u16string out(length + kGuardSize, u'\xA5A5');
            ShiftTextDigits(text.data(), length, out.data(), shift);
            for (std::size_t i = 0; i < length; ++i) {
                const int value = HexValue(text[i]);
                ASSERT_EQ(out[i], kHexDigits[((value < 0 ? 0 : value) + shift) & 15])
                    << "shift " << shift << " length " << length << " character " << int(text[i]);
            }
            ASSERT_EQ(out.substr(length), std::u16string(kGuardSize, u'\xA5A5'));
        }
    }
}

TEST(KernelLevels, TheWidestSupportedLevelIsActiveAndAnUnsupportedOneIsRefused) {
    const auto levels = SupportedKernelLevels();
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels.front(), KernelLevel::Scalar);
    EXPECT_EQ(ActiveKernelLevel(), levels.back());
    if (levels.back() != KernelLevel::Avx2) {
        EXPECT_FALSE(UseKernelLevel(KernelLevel::Avx2));
        EXPECT_EQ(ActiveKernelLevel(), levels.back());
    }
}

}  // namespace
}  // namespace angoka
