#include "Envelope.h"

#include <algorithm>
#include <cstring>

#include "NarrowCharset.h"

namespace angoka {

std::string BuildEnvelope(std::string_view password, std::string_view name, std::string_view payload) {
    std::string envelope;
    envelope.reserve(password.size() + name.size() + payload.size() + 6);
    for (std::string_view line : {password, name, payload}) {
        envelope += line;
        envelope += "\r\n";
    }
    return envelope;
}

bool IsStorablePassword(std::u16string_view password) {
    return password.find(u'\r') == std::u16string_view::npos && FitsNarrow(password);
}

std::u16string StorableName(std::u16string name) {
    std::replace_if(
        name.begin(), name.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u'_');
    return name;
}

void EnvelopeReader::Feed(std::string_view bytes, const PayloadSink& payload) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (afterCR_) {
            afterCR_ = false;
            if (bytes[i] == '\n') {
                ++i;
                continue;
            }
        }
        const void* cr = std::memchr(bytes.data() + i, '\r', bytes.size() - i);
        const std::size_t end =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data()) : bytes.size();
        if (end > i) Take(bytes.substr(i, end - i), payload);
        if (!cr) break;
        if (completeLines_ < 2 && ++completeLines_ == 2) payloadStart_ = fed_ + end + 1;
        afterCR_ = true;
        i = end + 1;
    }
    fed_ += bytes.size();
}

void EnvelopeReader::Take(std::string_view piece, const PayloadSink& payload) {
    if (completeLines_ >= 2) {
        payload(piece);
        return;
    }
    std::string& line = lines_[completeLines_];
    const std::size_t room = headerLimit_ - line.size();
    if (piece.size() > room) overflow_[completeLines_] = true;
    line.append(piece.substr(0, room));
}

}  // namespace angoka
