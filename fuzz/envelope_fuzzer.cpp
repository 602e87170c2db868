// The envelope reader on any bytes: fed in pieces of any sizes it must give the same header
// lines, flags, payload start and payload as fed whole, and both must follow the text-line
// rule as a plain byte-by-byte reading of it gives them. A reader started at the payload gives
// the same payload from there.
//   Input: header limit (1 byte, 0: none), count of piece sizes (1 byte, at most 32), the piece
//   sizes (1 byte each, 0 read as 1, used in turn), then the envelope bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Envelope.h"
#include "FuzzSupport.h"

using namespace angoka;
using namespace angoka::fuzz;

namespace {

struct Reading {
    int headerLines = 0;
    std::string lines[2];
    bool tooLong[2] = {false, false};
    std::uint64_t payloadStart = 0;
    std::string payload;
    bool operator==(const Reading& other) const {
        return headerLines == other.headerLines && lines[0] == other.lines[0] && lines[1] == other.lines[1] &&
               tooLong[0] == other.tooLong[0] && tooLong[1] == other.tooLong[1] &&
               payloadStart == other.payloadStart && payload == other.payload;
    }
};

Reading Read(const std::string& bytes, std::size_t limit, const std::vector<std::size_t>& pieces) {
    EnvelopeReader reader(limit);
    Reading r;
    const auto sink = [&r](std::string_view piece) { r.payload.append(piece); };
    std::size_t at = 0;
    for (std::size_t i = 0; at < bytes.size(); ++i) {
        const std::size_t size = pieces.empty() ? bytes.size() : pieces[i % pieces.size()];
        const std::string_view piece = std::string_view(bytes).substr(at, size);
        reader.Feed(piece, sink);
        at += piece.size();
    }
    r.headerLines = reader.HeaderLines();
    r.lines[0] = reader.Password();
    r.lines[1] = reader.Name();
    r.tooLong[0] = reader.PasswordTooLong();
    r.tooLong[1] = reader.NameTooLong();
    r.payloadStart = reader.InPayload() ? reader.PayloadStart() : 0;
    return r;
}

// The text-line rule, one byte at a time: a line ends at CR, an LF right after that CR belongs
// to the line end, a lone LF is an ordinary character; the lines after the second are joined.
Reading Model(const std::string& bytes, std::size_t limit) {
    Reading r;
    std::string current;
    bool afterCR = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool lineEndLF = afterCR && c == '\n';
        afterCR = c == '\r';
        if (lineEndLF) continue;
        if (c != '\r') {
            if (r.headerLines < 2) {
                r.tooLong[r.headerLines] = r.tooLong[r.headerLines] || r.lines[r.headerLines].size() >= limit;
                if (r.lines[r.headerLines].size() < limit) r.lines[r.headerLines] += c;
            } else {
                r.payload += c;
            }
        } else if (r.headerLines < 2 && ++r.headerLines == 2) {
            r.payloadStart = i + 1;
        }
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t limitByte = in.Byte();
    const std::size_t limit = limitByte == 0 ? std::numeric_limits<std::size_t>::max() : limitByte;
    std::vector<std::size_t> pieces;
    for (std::uint8_t count = std::min<std::uint8_t>(in.Byte(), 32); count > 0; --count)
        pieces.push_back(std::max<std::size_t>(in.Byte(), 1));
    if (pieces.empty()) pieces.push_back(1);
    const std::string bytes(in.Rest());

    const Reading whole = Read(bytes, limit, {});
    Check(Read(bytes, limit, pieces) == whole, "pieces read differently from the whole");
    Check(Model(bytes, limit) == whole, "the reader breaks the text-line rule");

    if (whole.headerLines == 2) {
        EnvelopeReader atPayload = EnvelopeReader::AtPayload();
        std::string payload;
        atPayload.Feed(std::string_view(bytes).substr(whole.payloadStart),
                       [&payload](std::string_view piece) { payload.append(piece); });
        Check(payload == whole.payload, "a reader started at the payload reads another payload");
    }
    return 0;
}
