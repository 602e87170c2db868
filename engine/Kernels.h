#pragma once
// The codec's and the hex-text road's inner loops over whole chunks. Each kernel has one
// scalar reference, written from the per-byte rules (ShiftNibbles in Nibbles.h, HexValue in
// HexText.h), and vector versions for x86 (SSE2, and AVX2 where the processor has it) that
// must give the same results; the widest the processor runs is chosen at start-up.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace angoka {

enum class KernelLevel { Scalar, Sse2, Avx2 };

// Every level this build can run on this processor, narrowest first.
std::vector<KernelLevel> SupportedKernelLevels();
// The level every kernel runs at: the widest supported one unless UseKernelLevel changed it.
KernelLevel ActiveKernelLevel();
// Makes every kernel run at `level`, so tests and benchmarks can compare the levels; false,
// and nothing changes, when the processor or the build lacks it.
bool UseKernelLevel(KernelLevel level);
const char* KernelLevelName(KernelLevel level);

// Adds `shift` to both nibbles of every byte, in place.
void ShiftAll(std::uint8_t* bytes, std::size_t size, int shift);

// Each input byte as its two upper-case hex digits, both nibble-shifted by `shift`:
// 2 * size bytes to `out`.
void ExpandShifted(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);

// Bytes that are hex digits (either case) once nibble-shifted by `shift`, as ShiftAll would
// shift them, decoded in pairs without that separate pass: a .qivg file's raw content.
// Stops at the first byte that is no digit once shifted and returns how many leading bytes
// were digits; the first (returned / 2) bytes of `out` are then written. `out` needs room
// for size / 2 bytes; nothing beyond them is touched.
std::size_t DecodeShiftedDigits(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);

// The index of the first byte that nibble-shifted by `shift` is `wanted`, or `size` when
// none is: finds a line end in a file's raw bytes without shifting them first.
std::size_t FindShifted(const std::uint8_t* in, std::size_t size, std::uint8_t wanted, int shift);

// One round's pass over hex text: every character read as a digit (either case; anything
// else counts as 0), `shift` added modulo 16, written as an upper-case digit.
void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift);

}  // namespace angoka
