#pragma once
// Inside the kernels: one table of entry points per level, and the scalar reference that
// every level falls back on for the bytes its vectors do not cover.
#include <cstddef>
#include <cstdint>

namespace angoka {

struct KernelTable {
    void (*shiftAll)(std::uint8_t* bytes, std::size_t size, int shift);
    void (*expandShifted)(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);
    std::size_t (*decodeShiftedDigits)(const std::uint8_t* in, std::size_t size, std::uint8_t* out,
                                       int shift);
    void (*shiftTextDigits)(const char16_t* in, std::size_t size, char16_t* out, int shift);
};

extern const KernelTable kScalarKernels;
// Null when the build has no such level (not an x86 compiler).
extern const KernelTable* const kSse2Kernels;
extern const KernelTable* const kAvx2Kernels;

namespace scalar {
void ShiftAll(std::uint8_t* bytes, std::size_t size, int shift);
void ExpandShifted(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);
std::size_t DecodeShiftedDigits(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift);
void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift);
}  // namespace scalar

}  // namespace angoka
