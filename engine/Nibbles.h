#pragma once
// The arithmetic of a round, shared by the hex-text road and the file codec. A round adds
// (offset - InKey) mod 16 to every digit already there and puts its decoy digit and offset
// in front; undoing it adds (InKey - offset) mod 16.
#include <cstdint>

namespace angoka {

class RunTime;

// v mod 16, taken non-negative, for any 64-bit value.
constexpr int Mod16(std::int64_t v) {
    return static_cast<int>(((v % 16) + 16) % 16);
}

constexpr int EncryptShift(int offset, std::int32_t inKey) {
    return Mod16(std::int64_t{offset} - inKey);
}
constexpr int DecryptShift(int offset, std::int32_t inKey) {
    return Mod16(std::int64_t{inKey} - offset);
}

// How many values a round draws from: the offset 1..14 (never 0 or F), the decoy 1..15.
inline constexpr int kOffsetValues = 14;
inline constexpr int kDecoyValues = 15;

// A round's two drawn digits: the decoy (1..15) and the round offset (1..14).
struct RoundKey {
    int decoy = 1;
    int offset = 1;
    constexpr std::uint8_t Byte() const { return static_cast<std::uint8_t>((decoy << 4) | offset); }
};

// Whether a header byte, once the later rounds are undone, holds a decoy and an offset that a
// round can have drawn.
constexpr bool IsDrawnKey(std::uint8_t byte) {
    const int decoy = byte >> 4, offset = byte & 15;
    return decoy >= 1 && decoy <= kDecoyValues && offset >= 1 && offset <= kOffsetValues;
}

// Draws a round's key the way a round does: the offset first, then the decoy digit.
RoundKey DrawRoundKey(RunTime& services);

// Adds `shift` (0..15) to both nibbles of a byte, each modulo 16.
constexpr std::uint8_t ShiftNibbles(std::uint8_t b, int shift) {
    return static_cast<std::uint8_t>((((b >> 4) + shift) & 15) << 4 | (((b & 15) + shift) & 15));
}

}  // namespace angoka
