#include "Rounds.h"

#include <algorithm>
#include <array>

#include "HexText.h"

namespace angoka {
namespace {

// What every character becomes under one shift: a table over the ASCII range, and the
// shifted 0 for everything else.
class DigitShifter {
public:
    explicit DigitShifter(int shift) {
        for (int c = 0; c < 128; ++c) {
            const int v = HexValue(static_cast<char32_t>(c));
            table_[c] = static_cast<char16_t>(kHexDigits[(std::max(v, 0) + shift) & 15]);
        }
        other_ = static_cast<char16_t>(kHexDigits[shift & 15]);
    }
    char16_t operator()(char16_t c) const { return c < 128 ? table_[c] : other_; }

private:
    std::array<char16_t, 128> table_{};
    char16_t other_;
};

void ShiftInto(std::u16string_view in, int shift, char16_t* out) {
    const DigitShifter shifter(shift);
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = shifter(in[i]);
}

}  // namespace

std::u16string ApplyRound(std::u16string_view text, RoundKey key, std::int32_t inKey) {
    std::u16string out(text.size() + 2, u'0');
    out[0] = static_cast<char16_t>(kHexDigits[key.decoy & 15]);
    out[1] = static_cast<char16_t>(kHexDigits[key.offset & 15]);
    ShiftInto(text, EncryptShift(key.offset, inKey), out.data() + 2);
    return out;
}

std::u16string UndoRound(std::u16string_view text, std::int32_t inKey) {
    if (text.size() < 3) return {};
    const int offset = std::max(HexValue(text[1]), 0);
    std::u16string out(text.size() - 2, u'0');
    ShiftInto(text.substr(2), DecryptShift(offset, inKey), out.data());
    return out;
}

}  // namespace angoka
