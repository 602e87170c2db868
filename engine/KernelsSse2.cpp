// The kernels sixteen bytes at a time with SSE2, which every x86-64 processor has. Bytes
// left over at the end go to the scalar reference.
#include "KernelTable.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace angoka {
namespace {

using Byte = std::uint8_t;

__m128i Load(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
void Store(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}
__m128i Bytes(int b) {
    return _mm_set1_epi8(static_cast<char>(b));
}

// ShiftNibbles on sixteen bytes: `high` holds shift << 4 and `low` the shift in every byte.
__m128i Shift(__m128i b, __m128i high, __m128i low) {
    return _mm_or_si128(_mm_and_si128(_mm_add_epi8(b, high), Bytes(0xF0)),
                        _mm_and_si128(_mm_add_epi8(b, low), Bytes(0x0F)));
}

// All-ones where x <= limit, unsigned.
__m128i AtMost(__m128i x, int limit) {
    return _mm_cmpeq_epi8(_mm_min_epu8(x, Bytes(limit)), x);
}

// The digit values of sixteen characters, 0 for a non-digit; `valid` is all-ones where a
// character is a digit.
__m128i Values(__m128i c, __m128i& valid) {
    const __m128i digit = _mm_sub_epi8(c, Bytes('0'));
    const __m128i isDigit = AtMost(digit, 9);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, Bytes(0x20)), Bytes('a'));
    const __m128i isLetter = AtMost(letter, 5);
    valid = _mm_or_si128(isDigit, isLetter);
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, Bytes(10))));
}

// The upper-case digits of sixteen values 0..15.
__m128i Digits(__m128i values) {
    const __m128i isLetter = _mm_cmpgt_epi8(values, Bytes(9));
    return _mm_add_epi8(_mm_add_epi8(values, Bytes('0')), _mm_and_si128(isLetter, Bytes('A' - '0' - 10)));
}

// Eight pairs of values (first of each pair in the low byte of its 16-bit lane) as eight
// bytes, in the low halves of the lanes.
__m128i JoinPairs(__m128i values) {
    return _mm_or_si128(_mm_and_si128(_mm_slli_epi16(values, 4), _mm_set1_epi16(0x00F0)),
                        _mm_srli_epi16(values, 8));
}

void ShiftAll(Byte* bytes, std::size_t size, int shift) {
    const __m128i high = Bytes(shift << 4), low = Bytes(shift & 15);
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) Store(bytes + i, Shift(Load(bytes + i), high, low));
    scalar::ShiftAll(bytes + i, size - i, shift);
}

void ExpandShifted(const Byte* in, std::size_t size, Byte* out, int shift) {
    const __m128i high = Bytes(shift << 4), low = Bytes(shift & 15);
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i b = Load(in + i);
        const __m128i first = Shift(Digits(_mm_and_si128(_mm_srli_epi16(b, 4), Bytes(0x0F))), high, low);
        const __m128i second = Shift(Digits(_mm_and_si128(b, Bytes(0x0F))), high, low);
        Store(out + 2 * i, _mm_unpacklo_epi8(first, second));
        Store(out + 2 * i + 16, _mm_unpackhi_epi8(first, second));
    }
    scalar::ExpandShifted(in + i, size - i, out + 2 * i, shift);
}

std::size_t DecodeShiftedDigits(const Byte* in, std::size_t size, Byte* out, int shift) {
    const __m128i high = Bytes(shift << 4), low = Bytes(shift & 15);
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        __m128i firstValid, secondValid;
        const __m128i first = Values(Shift(Load(in + i), high, low), firstValid);
        const __m128i second = Values(Shift(Load(in + i + 16), high, low), secondValid);
        // A block with a non-digit is left to the reference, which finds where it stops.
        if (_mm_movemask_epi8(_mm_and_si128(firstValid, secondValid)) != 0xFFFF) break;
        Store(out + i / 2, _mm_packus_epi16(JoinPairs(first), JoinPairs(second)));
    }
    return i + scalar::DecodeShiftedDigits(in + i, size - i, out + i / 2, shift);
}

void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift) {
    // Characters above 0xFF saturate to 0x00 or 0xFF when narrowed: no digit, as they should.
    const __m128i add = Bytes(shift & 15), zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        __m128i valid;
        const __m128i values = Values(_mm_packus_epi16(Load(in + i), Load(in + i + 8)), valid);
        const __m128i digits = Digits(_mm_and_si128(_mm_add_epi8(values, add), Bytes(0x0F)));
        Store(out + i, _mm_unpacklo_epi8(digits, zero));
        Store(out + i + 8, _mm_unpackhi_epi8(digits, zero));
    }
    scalar::ShiftTextDigits(in + i, size - i, out + i, shift);
}

const KernelTable kTable = {ShiftAll, ExpandShifted, DecodeShiftedDigits, ShiftTextDigits};

}  // namespace

const KernelTable* const kSse2Kernels = &kTable;

}  // namespace angoka

#else

namespace angoka {
const KernelTable* const kSse2Kernels = nullptr;
}

#endif
