#include "Kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace angoka {
namespace {

using Byte = std::uint8_t;

// ShiftNibbles, written with the two nibble masks so it vectorises.
inline Byte Shift(Byte b, Byte high, Byte low) {
    return static_cast<Byte>(((b + high) & 0xF0) | ((b + low) & 0x0F));
}
inline Byte HighOf(int shift) { return static_cast<Byte>(shift << 4); }
inline Byte LowOf(int shift) { return static_cast<Byte>(shift & 15); }

// The upper-case digit of a nibble.
inline Byte Digit(Byte nibble) { return static_cast<Byte>(nibble + '0' + (nibble > 9 ? 7 : 0)); }

// '0'..'9', 'A'..'F' and 'a'..'f'.
inline Byte IsDigit(Byte c) {
    return static_cast<Byte>(static_cast<Byte>(c - '0') < 10) |
           static_cast<Byte>(static_cast<Byte>((c | 0x20) - 'a') < 6);
}
// The value of a digit: the low nibble, plus 9 for the letters (bit 6 set).
inline Byte ValueOf(Byte c) { return static_cast<Byte>(((c & 0x0F) + 9 * (c >> 6)) & 0x0F); }

}  // namespace

void ShiftAll(Byte* bytes, std::size_t size, int shift) {
    const Byte high = HighOf(shift), low = LowOf(shift);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = Shift(bytes[i], high, low);
}

void ExpandShifted(const Byte* in, std::size_t size, Byte* out, int shift) {
    const Byte high = HighOf(shift), low = LowOf(shift);
    for (std::size_t i = 0; i < size; ++i) {
        out[2 * i] = Shift(Digit(static_cast<Byte>(in[i] >> 4)), high, low);
        out[2 * i + 1] = Shift(Digit(static_cast<Byte>(in[i] & 15)), high, low);
    }
}

#if defined(__SSE2__)
namespace {

// Digit values of 16 characters, and all-ones in `valid` where a character is a hex digit.
inline __m128i Values(__m128i c, __m128i& valid) {
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    valid = _mm_and_si128(valid, _mm_or_si128(isDigit, isLetter));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_andnot_si128(isDigit, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// Eight pairs of digit values (first digit in the low byte of each 16-bit lane) as bytes in
// the low halves of the lanes.
inline __m128i JoinPairs(__m128i values) {
    return _mm_or_si128(_mm_and_si128(_mm_slli_epi16(values, 4), _mm_set1_epi16(0x00F0)),
                        _mm_srli_epi16(values, 8));
}

}  // namespace
#endif

bool DecodeHexPairs(const Byte* in, std::size_t pairs, Byte* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen pairs at a time.
    __m128i allValid = _mm_set1_epi8(-1);
    for (; i + 16 <= pairs; i += 16) {
        const auto* block = reinterpret_cast<const __m128i*>(in + 2 * i);
        const __m128i first = Values(_mm_loadu_si128(block), allValid);
        const __m128i second = Values(_mm_loadu_si128(block + 1), allValid);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_packus_epi16(JoinPairs(first), JoinPairs(second)));
    }
    if (_mm_movemask_epi8(allValid) != 0xFFFF) return false;
#endif
    Byte valid = 1;
    for (; i < pairs; ++i) {
        const Byte high = in[2 * i], low = in[2 * i + 1];
        valid &= IsDigit(high) & IsDigit(low);
        out[i] = static_cast<Byte>((ValueOf(high) << 4) | ValueOf(low));
    }
    return valid != 0;
}

}  // namespace angoka
