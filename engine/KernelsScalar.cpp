// The reference for every kernel level: the per-byte rules applied one byte at a time.
#include <array>

#include "HexText.h"
#include "KernelTable.h"
#include "Nibbles.h"

namespace angoka {
namespace scalar {
namespace {

using Byte = std::uint8_t;

// HexValue(ShiftNibbles(b, shift)) for every shift and byte, worked out by the compiler: a
// look-up per byte instead of branches that random digits mispredict.
constexpr auto kShiftedValues = [] {
    std::array<std::array<signed char, 256>, 16> values{};
    for (int shift = 0; shift < 16; ++shift) {
        for (int b = 0; b < 256; ++b) {
            values[shift][b] = static_cast<signed char>(HexValue(ShiftNibbles(static_cast<Byte>(b), shift)));
        }
    }
    return values;
}();

// The upper-case digit of a nibble, as arithmetic rather than a look-up in kHexDigits, so that
// ExpandShifted vectorises wherever the compiler has vectors.
constexpr Byte Digit(int nibble) {
    return static_cast<Byte>(nibble + '0' + (nibble > 9 ? 'A' - '0' - 10 : 0));
}
static_assert([] {
    for (int v = 0; v < 16; ++v) {
        if (Digit(v) != kHexDigits[v]) return false;
    }
    return true;
}());

}  // namespace

void ShiftAll(Byte* bytes, std::size_t size, int shift) {
    for (std::size_t i = 0; i < size; ++i) bytes[i] = ShiftNibbles(bytes[i], shift);
}

void ExpandShifted(const Byte* in, std::size_t size, Byte* out, int shift) {
    for (std::size_t i = 0; i < size; ++i) {
        out[2 * i] = ShiftNibbles(Digit(in[i] >> 4), shift);
        out[2 * i + 1] = ShiftNibbles(Digit(in[i] & 15), shift);
    }
}

std::size_t DecodeShiftedDigits(const Byte* in, std::size_t size, Byte* out, int shift) {
    const auto& value = kShiftedValues[shift & 15];
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
        const int high = value[in[i]];
        if (high < 0) return i;
        const int low = value[in[i + 1]];
        if (low < 0) return i + 1;
        out[i / 2] = static_cast<Byte>(high << 4 | low);
    }
    return i < size && value[in[i]] >= 0 ? size : i;
}

void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift) {
    const auto& value = kShiftedValues[0];
    char16_t digits[16];
    for (int v = 0; v < 16; ++v) digits[v] = static_cast<char16_t>(kHexDigits[(v + shift) & 15]);
    for (std::size_t i = 0; i < size; ++i) {
        const int v = in[i] < 256 ? value[in[i]] : -1;
        out[i] = digits[v < 0 ? 0 : v];
    }
}

}  // namespace scalar

const KernelTable kScalarKernels = {scalar::ShiftAll, scalar::ExpandShifted, scalar::DecodeShiftedDigits,
                                    scalar::ShiftTextDigits};

}  // namespace angoka
