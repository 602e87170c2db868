#include "HexText.h"

#include <array>

namespace angoka {
namespace {

// Both digits of every byte value, looked up once per byte.
constexpr std::array<std::array<char16_t, 2>, 256> MakeByteDigits() {
    std::array<std::array<char16_t, 2>, 256> table{};
    for (int v = 0; v < 256; ++v) {
        table[v] = {static_cast<char16_t>(kHexDigits[v >> 4]), static_cast<char16_t>(kHexDigits[v & 15])};
    }
    return table;
}
constexpr auto kByteDigits = MakeByteDigits();

// Digit values of the ASCII range; 0xFF marks a non-digit.
constexpr std::array<std::uint8_t, 128> MakeDigitValues() {
    std::array<std::uint8_t, 128> table{};
    for (int c = 0; c < 128; ++c) {
        const int v = HexValue(static_cast<char32_t>(c));
        table[c] = v < 0 ? 0xFF : static_cast<std::uint8_t>(v);
    }
    return table;
}
constexpr auto kDigitValues = MakeDigitValues();

std::uint8_t DigitValue(char16_t c) { return c < 128 ? kDigitValues[c] : 0xFF; }

}  // namespace

void BytesToHex(const std::uint8_t* bytes, std::size_t size, char16_t* out) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto& digits = kByteDigits[bytes[i]];
        out[2 * i] = digits[0];
        out[2 * i + 1] = digits[1];
    }
}

std::u16string BytesToHex(std::string_view bytes) {
    std::u16string text(bytes.size() * 2, u' ');
    BytesToHex(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), text.data());
    return text;
}

HexDecodeResult HexToBytes(std::u16string_view text, std::string& bytes) {
    if (text.size() % 2 != 0) return {HexDecodeResult::Status::OddLength, 0};
    bytes.resize(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t high = DigitValue(text[2 * i]);
        const std::uint8_t low = DigitValue(text[2 * i + 1]);
        if ((high | low) == 0xFF || high > 15 || low > 15) {
            bytes.clear();
            return {HexDecodeResult::Status::BadPair, i};
        }
        bytes[i] = static_cast<char>((high << 4) | low);
    }
    return {};
}

}  // namespace angoka
