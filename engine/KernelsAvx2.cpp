// The kernels thirty-two bytes at a time with AVX2, for the processors that have it (chosen
// at run time, so only these functions are compiled for it). The shift is undone with table
// look-ups on the two nibbles of each byte: a byte's shifted value depends on its high
// nibble and its low nibble separately. Bytes left over go to the scalar reference.
#include "KernelTable.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#include "HexText.h"
#include "Nibbles.h"

#define ANGOKA_AVX2 __attribute__((target("avx2")))

namespace angoka {
namespace {

using Byte = std::uint8_t;

ANGOKA_AVX2 __m256i Load(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}
ANGOKA_AVX2 void Store(void* p, __m256i v) {
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}
ANGOKA_AVX2 __m256i Bytes(int b) {
    return _mm256_set1_epi8(static_cast<char>(b));
}

// A sixteen-entry table, in both halves for _mm256_shuffle_epi8.
ANGOKA_AVX2 __m256i Table(const Byte (&entries)[16]) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entries)));
}
ANGOKA_AVX2 __m256i LowNibbles(__m256i b) {
    return _mm256_and_si256(b, Bytes(0x0F));
}
ANGOKA_AVX2 __m256i HighNibbles(__m256i b) {
    return _mm256_and_si256(_mm256_srli_epi16(b, 4), Bytes(0x0F));
}

// The bytes of two vectors narrowed by _mm256_packus_epi16, which works within 128-bit
// halves, back in input order.
ANGOKA_AVX2 __m256i InOrder(__m256i packed) {
    return _mm256_permute4x64_epi64(packed, 0xD8);
}

ANGOKA_AVX2 void ShiftAll(Byte* bytes, std::size_t size, int shift) {
    const __m256i high = Bytes(shift << 4), low = Bytes(shift & 15);
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i b = Load(bytes + i);
        Store(bytes + i, _mm256_or_si256(_mm256_and_si256(_mm256_add_epi8(b, high), Bytes(0xF0)),
                                         LowNibbles(_mm256_add_epi8(b, low))));
    }
    scalar::ShiftAll(bytes + i, size - i, shift);
}

ANGOKA_AVX2 void ExpandShifted(const Byte* in, std::size_t size, Byte* out, int shift) {
    Byte entries[16];
    for (int v = 0; v < 16; ++v) entries[v] = ShiftNibbles(static_cast<Byte>(kHexDigits[v]), shift);
    const __m256i digits = Table(entries);
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        const __m256i b = Load(in + i);
        const __m256i first = _mm256_shuffle_epi8(digits, HighNibbles(b));
        const __m256i second = _mm256_shuffle_epi8(digits, LowNibbles(b));
        // Interleaving works within each 128-bit half; the permutes put the halves in order.
        const __m256i low = _mm256_unpacklo_epi8(first, second), high = _mm256_unpackhi_epi8(first, second);
        Store(out + 2 * i, _mm256_permute2x128_si256(low, high, 0x20));
        Store(out + 2 * i + 32, _mm256_permute2x128_si256(low, high, 0x31));
    }
    scalar::ExpandShifted(in + i, size - i, out + 2 * i, shift);
}

// What a raw byte's two nibbles say about the digit it becomes under one shift. The shifted
// high nibble is 3 for "0".."9" and 4 or 6 for the letters; the shifted low nibble is then
// the value of a figure, or the value minus 9 of a letter.
class DigitTables {
public:
    ANGOKA_AVX2 explicit DigitTables(int shift) {
        Byte highKind[16], lowKind[16], highAdd[16], lowValue[16];
        for (int n = 0; n < 16; ++n) {
            const int shifted = (n + shift) & 15;
            highKind[n] = shifted == 3 ? kFigure : (shifted == 4 || shifted == 6) ? kLetter : 0;
            highAdd[n] = shifted == 3 ? 0 : 9;
            lowKind[n] = static_cast<Byte>((shifted <= 9 ? kFigure : 0) |
                                           (shifted >= 1 && shifted <= 6 ? kLetter : 0));
            lowValue[n] = static_cast<Byte>(shifted);
        }
        highKind_ = Table(highKind);
        lowKind_ = Table(lowKind);
        highAdd_ = Table(highAdd);
        lowValue_ = Table(lowValue);
    }

    // The digit values of thirty-two raw bytes; `invalid` is all-ones where one is no digit.
    ANGOKA_AVX2 __m256i Values(__m256i raw, __m256i& invalid) const {
        const __m256i high = HighNibbles(raw), low = LowNibbles(raw);
        const __m256i kind =
            _mm256_and_si256(_mm256_shuffle_epi8(highKind_, high), _mm256_shuffle_epi8(lowKind_, low));
        invalid = _mm256_cmpeq_epi8(kind, _mm256_setzero_si256());
        return _mm256_add_epi8(_mm256_shuffle_epi8(highAdd_, high), _mm256_shuffle_epi8(lowValue_, low));
    }

private:
    static constexpr Byte kFigure = 1, kLetter = 2;
    __m256i highKind_, lowKind_, highAdd_, lowValue_;
};

ANGOKA_AVX2 std::size_t DecodeShiftedDigits(const Byte* in, std::size_t size, Byte* out, int shift) {
    std::size_t i = 0;
    if (size >= 64) {
        const DigitTables tables(shift);
        // Each 16-bit lane holds a pair, first digit low: first * 16 + second.
        const __m256i weights = _mm256_set1_epi16(0x0110);
        for (; i + 64 <= size; i += 64) {
            __m256i firstInvalid, secondInvalid;
            const __m256i first = tables.Values(Load(in + i), firstInvalid);
            const __m256i second = tables.Values(Load(in + i + 32), secondInvalid);
            // A block with a non-digit is left to the reference, which finds where it stops.
            if (!_mm256_testz_si256(_mm256_or_si256(firstInvalid, secondInvalid), Bytes(-1))) break;
            Store(out + i / 2, InOrder(_mm256_packus_epi16(_mm256_maddubs_epi16(first, weights),
                                                           _mm256_maddubs_epi16(second, weights))));
        }
    }
    return i + scalar::DecodeShiftedDigits(in + i, size - i, out + i / 2, shift);
}

ANGOKA_AVX2 void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift) {
    Byte entries[16];
    for (int v = 0; v < 16; ++v) entries[v] = static_cast<Byte>(kHexDigits[(v + shift) & 15]);
    const __m256i digits = Table(entries);
    std::size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        // Characters above 0xFF saturate to 0x00 or 0xFF when narrowed: no digit, as they should.
        const __m256i c = InOrder(_mm256_packus_epi16(Load(in + i), Load(in + i + 16)));
        const __m256i figure = _mm256_sub_epi8(c, Bytes('0'));
        const __m256i isFigure = _mm256_cmpeq_epi8(_mm256_min_epu8(figure, Bytes(9)), figure);
        const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(c, Bytes(0x20)), Bytes('a'));
        const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_min_epu8(letter, Bytes(5)), letter);
        const __m256i values =
            _mm256_or_si256(_mm256_and_si256(isFigure, figure),
                            _mm256_and_si256(isLetter, _mm256_add_epi8(letter, Bytes(10))));
        const __m256i shifted = _mm256_shuffle_epi8(digits, values);
        Store(out + i, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(shifted)));
        Store(out + i + 16, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(shifted, 1)));
    }
    scalar::ShiftTextDigits(in + i, size - i, out + i, shift);
}

const KernelTable kTable = {ShiftAll, ExpandShifted, DecodeShiftedDigits, ShiftTextDigits};

}  // namespace

const KernelTable* const kAvx2Kernels = &kTable;

}  // namespace angoka

#else

namespace angoka {
const KernelTable* const kAvx2Kernels = nullptr;
}

#endif
