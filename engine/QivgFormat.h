#pragma once
// What the .qivg codec's own files share and callers need not see.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Envelope.h"

namespace angoka {

inline constexpr std::uint8_t kCR = '\r';
inline constexpr std::string_view kLineEnd = "\r\n";
// A name line longer than this is not a file name: the file is not a .qivg file. Encryption
// refuses to store a longer name, so that every file written here opens again.
inline constexpr std::size_t kNameLimit = 32 * 1024;

}  // namespace angoka
