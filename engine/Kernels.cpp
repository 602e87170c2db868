#include "Kernels.h"

#include <atomic>
#include <cstring>

#include "KernelTable.h"
#include "Nibbles.h"

namespace angoka {
namespace {

bool Runs(KernelLevel level) {
    switch (level) {
        case KernelLevel::Scalar:
            return true;
        case KernelLevel::Sse2:
            return kSse2Kernels != nullptr;
        case KernelLevel::Avx2:
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
            return kAvx2Kernels != nullptr && __builtin_cpu_supports("avx2");
#else
            return false;
#endif
    }
    return false;
}

const KernelTable* TableOf(KernelLevel level) {
    switch (level) {
        case KernelLevel::Sse2:
            return kSse2Kernels;
        case KernelLevel::Avx2:
            return kAvx2Kernels;
        case KernelLevel::Scalar:
            break;
    }
    return &kScalarKernels;
}

std::atomic<KernelLevel>& TheLevel() {
    static std::atomic<KernelLevel> level{SupportedKernelLevels().back()};
    return level;
}

const KernelTable& Kernels() {
    return *TableOf(TheLevel().load(std::memory_order_relaxed));
}

}  // namespace

std::vector<KernelLevel> SupportedKernelLevels() {
    std::vector<KernelLevel> levels;
    for (const KernelLevel level : {KernelLevel::Scalar, KernelLevel::Sse2, KernelLevel::Avx2}) {
        if (Runs(level)) levels.push_back(level);
    }
    return levels;
}

KernelLevel ActiveKernelLevel() {
    return TheLevel().load();
}

bool UseKernelLevel(KernelLevel level) {
    if (!Runs(level)) return false;
    TheLevel().store(level);
    return true;
}

const char* KernelLevelName(KernelLevel level) {
    switch (level) {
        case KernelLevel::Sse2:
            return "sse2";
        case KernelLevel::Avx2:
            return "avx2";
        case KernelLevel::Scalar:
            break;
    }
    return "scalar";
}

void ShiftAll(std::uint8_t* bytes, std::size_t size, int shift) {
    Kernels().shiftAll(bytes, size, shift);
}

void ExpandShifted(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift) {
    Kernels().expandShifted(in, size, out, shift);
}

std::size_t DecodeShiftedDigits(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int shift) {
    return Kernels().decodeShiftedDigits(in, size, out, shift);
}

std::size_t FindShifted(const std::uint8_t* in, std::size_t size, std::uint8_t wanted, int shift) {
    // Shifting is one-to-one, so exactly one raw byte becomes `wanted`; memchr is vectorised.
    const void* found = size == 0 ? nullptr : std::memchr(in, ShiftNibbles(wanted, Mod16(-shift)), size);
    return found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - in) : size;
}

void ShiftTextDigits(const char16_t* in, std::size_t size, char16_t* out, int shift) {
    Kernels().shiftTextDigits(in, size, out, shift);
}

}  // namespace angoka
