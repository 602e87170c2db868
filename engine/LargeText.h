#pragma once
// Texts of hundreds of MiB (a whole file as hex text) built in one pass. The hex-text road
// writes every round into a new text, and what takes the time then is not the arithmetic but
// the memory: zero-filling a text that is overwritten at once, faulting it in 4 KiB at a
// time, and handing it back to the system when it is freed, only to fault in the next one.
// These build a text without the zero-fill, on huge pages where the system has them, in
// memory that the process keeps for the next text.
#include <algorithm>
#include <cstddef>
#include <string>

namespace angoka {

// The characters AppendInBlocks makes at a time.
inline constexpr std::size_t kTextBlock = 4096;

// Before the first text of several MiB: makes the allocator keep freed memory for reuse
// rather than unmap it (glibc maps every large block afresh and unmaps it when freed).
// Once set it stays for the process; programs that never build such a text never set it.
void KeepMemoryForLargeTexts(std::size_t bytes);

// Asks the system to back [data, data + bytes) with huge pages; only a hint, and nothing
// at all for a small range or where the system has no such thing.
void AdviseHugePages(void* data, std::size_t bytes);

// An empty text with room for `size` characters, none of them written yet.
template <class Char>
std::basic_string<Char> ReserveText(std::size_t size) {
    KeepMemoryForLargeTexts(size * sizeof(Char));
    std::basic_string<Char> text;
    text.reserve(size);
    AdviseHugePages(text.data(), size * sizeof(Char));
    return text;
}

// Appends `size` characters to `text`, made a block at a time, in cache, by
// produce(block, offset, count): `offset` counts from the first character appended.
template <class Char, class Produce>
void AppendInBlocks(std::basic_string<Char>& text, std::size_t size, Produce&& produce) {
    Char block[kTextBlock];
    for (std::size_t done = 0; done < size;) {
        const std::size_t count = std::min(kTextBlock, size - done);
        produce(block, done, count);
        text.append(block, count);
        done += count;
    }
}

}  // namespace angoka
