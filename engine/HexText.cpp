#include "HexText.h"

#include <algorithm>

#include "Kernels.h"
#include "LargeText.h"

namespace angoka {
namespace {

// Bytes at a time through the byte kernels, sized to stay in cache.
constexpr std::size_t kPiece = 2048;

}  // namespace

void BytesToHex(const std::uint8_t* bytes, std::size_t size, char16_t* out) {
    std::uint8_t digits[2 * kPiece];
    for (std::size_t done = 0; done < size;) {
        const std::size_t count = std::min(kPiece, size - done);
        ExpandShifted(bytes + done, count, digits, 0);
        std::copy(digits, digits + 2 * count, out + 2 * done);
        done += count;
    }
}

std::u16string BytesToHex(std::string_view bytes) {
    std::u16string text = ReserveText<char16_t>(2 * bytes.size());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    // Blocks have an even number of characters, so each holds whole bytes.
    AppendInBlocks(text, 2 * bytes.size(), [data](char16_t* block, std::size_t offset, std::size_t count) {
        BytesToHex(data + offset / 2, count / 2, block);
    });
    return text;
}

HexDecodeResult HexToBytes(std::u16string_view text, std::string& bytes) {
    if (text.size() % 2 != 0) return {HexDecodeResult::Status::OddLength, 0};
    std::string decoded = ReserveText<char>(text.size() / 2);
    std::size_t firstBad = text.size();
    AppendInBlocks(decoded, text.size() / 2, [&](char* block, std::size_t offset, std::size_t count) {
        // Narrowed so that a character above 0xFF stays a non-digit.
        std::uint8_t digits[2 * kTextBlock];
        const char16_t* pairs = text.data() + 2 * offset;
        for (std::size_t i = 0; i < 2 * count; ++i)
            digits[i] = static_cast<std::uint8_t>(std::min<char16_t>(pairs[i], 0xFF));
        const std::size_t good =
            DecodeShiftedDigits(digits, 2 * count, reinterpret_cast<std::uint8_t*>(block), 0);
        if (good < 2 * count) firstBad = std::min(firstBad, offset + good / 2);
    });
    if (firstBad < text.size()) {
        bytes.clear();
        return {HexDecodeResult::Status::BadPair, firstBad};
    }
    bytes = std::move(decoded);
    return {};
}

}  // namespace angoka
