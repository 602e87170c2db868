#include "BmpCodec.h"
// (being written)
namespace angoka {
const char16_t kBmpHeaderHex[] = u"";
const std::array<std::uint8_t, kBmpHeaderSize>& BmpHeader() { static std::array<std::uint8_t, kBmpHeaderSize> h{}; return h; }
std::optional<std::u16string> DottedStem(const std::u16string&) { return std::nullopt; }
Result WrapBmp(const std::filesystem::path&, const std::filesystem::path&, const Progress&, const OutputOptions&) { return {Outcome::IoError, {}, "not yet"}; }
Result ExtractBmp(const std::filesystem::path&, const std::filesystem::path&, const Progress&, const OutputOptions&) { return {Outcome::IoError, {}, "not yet"}; }
}
