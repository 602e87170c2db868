#pragma once
// Hex text: two upper-case digits per byte, high nibble first. The digit tables live here
// and nowhere else.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace angoka {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of a hex digit (either case), or -1 for any other character.
constexpr int HexValue(char32_t c) {
    if (c >= u'0' && c <= u'9') return static_cast<int>(c - u'0');
    if (c >= u'A' && c <= u'F') return static_cast<int>(c - u'A' + 10);
    if (c >= u'a' && c <= u'f') return static_cast<int>(c - u'a' + 10);
    return -1;
}

// Writes the 2 * size digits of `bytes` to `out` (which must have room for them).
void BytesToHex(const std::uint8_t* bytes, std::size_t size, char16_t* out);
std::u16string BytesToHex(std::string_view bytes);

// Hex text back to bytes. Odd length and non-hex pairs are distinct failures.
struct HexDecodeResult {
    enum class Status { Ok, OddLength, BadPair } status = Status::Ok;
    std::size_t badPairIndex = 0;  // the first bad pair (counted in pairs), for BadPair
};
HexDecodeResult HexToBytes(std::u16string_view text, std::string& bytes);

}  // namespace angoka
