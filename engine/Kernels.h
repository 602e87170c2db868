#pragma once
// The codec's inner loops over whole chunks: plain byte arithmetic, no table look-ups, so the
// compiler turns them into vector code. The nibble rule itself is ShiftNibbles (Nibbles.h).
#include <cstddef>
#include <cstdint>

namespace angoka {

// Adds `shift` to both nibbles of every byte, in place.
void ShiftAll(std::uint8_t* bytes, std::size_t size, int shift);

// Each input byte as its two upper-case hex digits, both nibble-shifted by `shift`:
// 2 * size bytes to `out`.
void ExpandShifted(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);

// Pairs of hex digits (either case) back to bytes: `pairs` bytes to `out`. False when any
// pair is not two hex digits (what `out` then holds is unspecified).
bool DecodeHexPairs(const std::uint8_t* in, std::size_t pairs, std::uint8_t* out);

}  // namespace angoka
