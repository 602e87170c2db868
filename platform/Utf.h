#pragma once
// UTF-8 <-> UTF-16 for paths and console output. Malformed input becomes U+FFFD.
#include <string>
#include <string_view>

namespace angoka {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace angoka
