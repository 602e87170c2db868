#pragma once
// One round on hex text, and its inverse. Any character that is not a hex digit counts as 0;
// every digit written is upper case.
#include <cstdint>
#include <string>
#include <string_view>

#include "Nibbles.h"

namespace angoka {

// The decoy digit, the offset, then every input digit shifted: L + 2 digits.
std::u16string ApplyRound(std::u16string_view text, RoundKey key, std::int32_t inKey);

// Reads the offset from the second digit, drops the first two and shifts the rest back:
// L - 2 digits. Fewer than three digits give the empty text.
std::u16string UndoRound(std::u16string_view text, std::int32_t inKey);

}  // namespace angoka
