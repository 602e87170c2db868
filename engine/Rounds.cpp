#include "Rounds.h"

#include <algorithm>

#include "HexText.h"
#include "Kernels.h"
#include "LargeText.h"

namespace angoka {
namespace {

// `text` with every character read as a digit and shifted, appended to `out`.
void AppendShifted(std::u16string& out, std::u16string_view text, int shift) {
    AppendInBlocks(out, text.size(), [&](char16_t* block, std::size_t offset, std::size_t count) {
        ShiftTextDigits(text.data() + offset, count, block, shift);
    });
}

}  // namespace

std::u16string ApplyRound(std::u16string_view text, RoundKey key, std::int32_t inKey) {
    std::u16string out = ReserveText<char16_t>(text.size() + 2);
    out += static_cast<char16_t>(kHexDigits[key.decoy & 15]);
    out += static_cast<char16_t>(kHexDigits[key.offset & 15]);
    AppendShifted(out, text, EncryptShift(key.offset, inKey));
    return out;
}

std::u16string UndoRound(std::u16string_view text, std::int32_t inKey) {
    if (text.size() < 3) return {};
    const int offset = std::max(HexValue(text[1]), 0);
    std::u16string out = ReserveText<char16_t>(text.size() - 2);
    AppendShifted(out, text.substr(2), DecryptShift(offset, inKey));
    return out;
}

}  // namespace angoka
