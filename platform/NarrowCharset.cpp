#include "NarrowCharset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace angoka {
namespace {

// A high surrogate followed by a low one, in UTF-16LE bytes.
bool IsSurrogatePair(const char* units) {
    const auto high = static_cast<unsigned char>(units[1]);
    const auto low = static_cast<unsigned char>(units[3]);
    return (high & 0xFC) == 0xD8 && (low & 0xFC) == 0xDC;
}

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an input unit that cannot be converted is skipped by `unitSize` bytes
    // and '?' (in the target encoding, `question`) stands in its place.
    std::string Run(std::string_view in, std::size_t unitSize, std::string_view question) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * 2 + 16, '\0');
        auto* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t done = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + done;
            std::size_t dstLeft = out.size() - done;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else {  // EILSEQ or EINVAL: an unmappable or incomplete unit
                std::size_t skip = std::min(unitSize, srcLeft);
                // A character beyond U+FFFF is two UTF-16 units: one character, one '?'.
                if (unitSize == 2 && srcLeft >= 4 && IsSurrogatePair(src)) skip = 4;
                src += skip;
                srcLeft -= skip;
                if (out.size() - done < question.size()) out.resize(out.size() * 2);
                std::copy(question.begin(), question.end(), out.begin() + static_cast<std::ptrdiff_t>(done));
                done += question.size();
            }
        }
        out.resize(done);
        return out;
    }

private:
    iconv_t cd_;
};

bool IsAscii(char16_t c) { return c < 0x80; }

}  // namespace

std::string ToNarrow(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), IsAscii)) return std::string(text.begin(), text.end());
    thread_local Converter converter("CP932", "UTF-16LE");
    std::string in(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return converter.Run(in, 2, "?");
}

std::u16string FromNarrow(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::u16string(bytes.begin(), bytes.end());
    }
    thread_local Converter converter("UTF-16LE", "CP932");
    const std::string out = converter.Run(bytes, 1, std::string_view("?\0", 2));
    std::u16string text(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                        (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    }
    return text;
}

bool FitsNarrow(std::u16string_view text) { return FromNarrow(ToNarrow(text)) == text; }

}  // namespace angoka
