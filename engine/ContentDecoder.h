#pragma once
// The content of a .qivg file turned back into bytes as the raw file streams past, after the
// name line: the envelope's shift is undone inside the decoding and line ends are found on the
// raw bytes, so each chunk is passed over once. The payload's lines are joined (a line ends at
// CR; an LF right after it belongs to the line end) and the format marker is skipped.
//
// Content is judged by characters of the narrow set, as a reader of the whole text would: a
// bad pair stops the output but not the count, since an odd number of characters outranks it.
// ASCII is counted by bytes; from the first other byte of damaged content on, the converter
// counts.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "CodecTypes.h"
#include "NarrowCharset.h"

namespace angoka {

class ContentDecoder {
public:
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
    // `shift`: the envelope's shift (OpenedQivg::envelopeShift); decoded bytes go to `out`
    // in pieces of at most `bufferSize`.
    ContentDecoder(int shift, Sink out, std::size_t bufferSize);

    // The next raw bytes of the payload. Throws CharsetError (damaged content outside ASCII).
    void Feed(const std::uint8_t* in, std::size_t size);
    // After the last bytes: Ok, OddLength or BadHex.
    Outcome Verdict();
    // Sends what is still buffered, when nothing was bad.
    void Flush();
    std::uint64_t written() const { return written_; }

private:
    std::size_t SkipMarker(const std::uint8_t* in, std::size_t size);
    std::size_t Decode(const std::uint8_t* in, std::size_t size);
    std::size_t CountDamaged(const std::uint8_t* in, std::size_t size);

    const int shift_;
    const std::uint8_t rawCR_, rawLF_;  // CR and LF as they stand in the file
    Sink out_;
    std::vector<std::uint8_t> buffer_, scratch_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    std::size_t skip_;
    std::uint64_t count_ = 0;                     // characters, while ASCII
    std::unique_ptr<NarrowUnitCounter> counter_;  // characters, from the first non-ASCII byte of damage
    int half_ = -1;                               // a digit waiting for its partner
    bool afterCR_ = true;                         // the payload starts right after the name line's CR
    bool bad_ = false;
};

}  // namespace angoka
