#include "NarrowCharset.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>

namespace angoka {
namespace {

constexpr const char* kNarrowCharset = "CP932";
std::atomic<const char*> narrowCharset{kNarrowCharset};

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
            throw CharsetError(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an input unit that cannot be converted is skipped by `unitSize` bytes and
    // `question` ('?' in the target encoding) stands in its place. With `keepIncomplete`, an
    // incomplete character at the very end is not converted: its bytes are left in `in`.
    std::string Run(std::string_view& in, std::size_t unitSize, std::string_view question,
                    bool keepIncomplete = false) {
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
                continue;
            }
            if (errno == EINVAL && keepIncomplete) break;
            // EILSEQ or EINVAL: an unmappable or incomplete unit.
            std::size_t skip = std::min(unitSize, srcLeft);
            // A character beyond U+FFFF is two UTF-16 units: one character, one '?'.
            if (unitSize == 2 && srcLeft >= 4 && IsSurrogatePair(src)) skip = 4;
            src += skip;
            srcLeft -= skip;
            if (out.size() - done < question.size()) out.resize(out.size() * 2);
            std::copy(question.begin(), question.end(), out.begin() + static_cast<std::ptrdiff_t>(done));
            done += question.size();
        }
        in.remove_prefix(in.size() - srcLeft);
        out.resize(done);
        return out;
    }

private:
    iconv_t cd_;
};

// One converter per thread and direction, made again when the character set is switched.
Converter& ConverterFor(bool toNarrow) {
    struct Slot {
        const char* charset = nullptr;
        std::unique_ptr<Converter> converter;
    };
    thread_local Slot slots[2];
    Slot& slot = slots[toNarrow ? 1 : 0];
    const char* charset = narrowCharset.load();
    if (slot.charset != charset || !slot.converter) {
        slot.converter.reset();
        slot.converter = toNarrow ? std::make_unique<Converter>(charset, "UTF-16LE")
                                  : std::make_unique<Converter>("UTF-16LE", charset);
        slot.charset = charset;
    }
    return *slot.converter;
}

bool IsAscii(char16_t c) {
    return c < 0x80;
}
bool IsAsciiByte(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

constexpr std::string_view kWideQuestion("?\0", 2);

}  // namespace

std::string ToNarrow(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), IsAscii)) return std::string(text.begin(), text.end());
    std::string in(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    std::string_view rest = in;
    return ConverterFor(true).Run(rest, 2, "?");
}

std::u16string FromNarrow(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), IsAsciiByte))
        return std::u16string(bytes.begin(), bytes.end());
    const std::string out = ConverterFor(false).Run(bytes, 1, kWideQuestion);
    std::u16string text(out.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                        (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    }
    return text;
}

bool FitsNarrow(std::u16string_view text) {
    return FromNarrow(ToNarrow(text)) == text;
}

bool IsWholeNarrow(std::string_view bytes) {
    // A '?' byte is always the character '?' (no double-byte character has it as its second
    // byte), so any other '?' in the text stands for bytes the converter could not read.
    const std::u16string text = FromNarrow(bytes);
    return std::count(text.begin(), text.end(), u'?') == std::count(bytes.begin(), bytes.end(), '?');
}

class NarrowUnitCounter::Impl {
public:
    Converter& converter = ConverterFor(false);
    std::string pending;  // an incomplete character carried to the next piece
    std::size_t units = 0;

    void Convert(bool atEnd) {
        std::string_view rest = pending;
        units += converter.Run(rest, 1, kWideQuestion, !atEnd).size() / 2;
        pending.erase(0, pending.size() - rest.size());
    }
};

NarrowUnitCounter::NarrowUnitCounter() : impl_(std::make_unique<Impl>()) {}
NarrowUnitCounter::~NarrowUnitCounter() = default;

void NarrowUnitCounter::Feed(std::string_view bytes) {
    impl_->pending.append(bytes);
    impl_->Convert(false);
}

std::size_t NarrowUnitCounter::Finish() {
    impl_->Convert(true);
    return impl_->units;
}

void SetNarrowCharsetForTesting(const char* name) {
    narrowCharset.store(name ? name : kNarrowCharset);
}

}  // namespace angoka
