#include "LargeText.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace angoka {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void KeepMemoryForLargeTexts(std::size_t bytes) {
#if defined(__GLIBC__)
    if (bytes < 2 * kHugePage) return;
    static const bool kept = [] {
        mallopt(M_MMAP_MAX, 0);                 // large blocks from the heap, which is reused...
        mallopt(M_TRIM_THRESHOLD, 0x7FFFFFFF);  // ...and not shrunk when its top is freed
        return true;
    }();
    (void)kept;
#else
    (void)bytes;
#endif
}

void AdviseHugePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (bytes < 2 * kHugePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first,
                  MADV_HUGEPAGE);  // a hint: errors do not matter
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace angoka
