#pragma once
// The narrow character set of the envelope: CP932 (Shift-JIS with the Windows extensions),
// whatever the machine's locale, because files move between machines. A character that
// cannot be mapped becomes '?', in both directions. Pure ASCII needs no converter.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "Errors.h"

namespace angoka {

// Both throw CharsetError when the text needs the converter and there is none.
std::string ToNarrow(std::u16string_view text);
std::u16string FromNarrow(std::string_view bytes);
// Whether `text` survives the round trip through the narrow character set unchanged.
bool FitsNarrow(std::u16string_view text);
// Whether every byte of `bytes` belongs to a character of the narrow set, so that FromNarrow
// put no '?' in place of any. Throws CharsetError as FromNarrow does.
bool IsWholeNarrow(std::string_view bytes);

// Counts the UTF-16 units that FromNarrow would give for bytes that arrive in pieces, exactly as
// for all of them at once: a character split between two pieces counts once.
class NarrowUnitCounter {
public:
    NarrowUnitCounter();  // throws CharsetError
    ~NarrowUnitCounter();
    NarrowUnitCounter(const NarrowUnitCounter&) = delete;
    NarrowUnitCounter& operator=(const NarrowUnitCounter&) = delete;

    void Feed(std::string_view bytes);
    // The count, with whatever incomplete character is left at the end counted as FromNarrow
    // counts it.
    std::size_t Finish();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// For tests: the character set that iconv is asked for in place of CP932, so that a missing
// converter can be shown; nullptr restores CP932.
void SetNarrowCharsetForTesting(const char* name);

}  // namespace angoka
