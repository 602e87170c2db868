#pragma once
// The narrow character set of the envelope: CP932 (Shift-JIS with the Windows extensions),
// whatever the machine's locale, because files move between machines. A character that
// cannot be mapped becomes '?', in both directions.
#include <string>
#include <string_view>

namespace angoka {

std::string ToNarrow(std::u16string_view text);
std::u16string FromNarrow(std::string_view bytes);
// Whether `text` survives the round trip through the narrow character set unchanged.
bool FitsNarrow(std::u16string_view text);

}  // namespace angoka
