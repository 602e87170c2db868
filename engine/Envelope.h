#pragma once
// The envelope: three lines in the narrow character set, each ended by CR LF: the password,
// the file name, the payload. Reading follows the text-line rule: a line ends at CR, an LF
// right after that CR belongs to the line end, a lone LF is an ordinary character; every
// line after the second is joined into the payload.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace angoka {

// Put in front of the content before enveloping; its presence after decryption is what
// tells a correct result.
inline constexpr std::string_view kFormatMarker = "CFEC2EC5CF3FADE6";

std::string BuildEnvelope(std::string_view password, std::string_view name, std::string_view payload);

// A password survives the envelope only when the narrow character set holds every character
// and it has no CR (which would end its line early); any other could never be matched again.
bool IsStorablePassword(std::u16string_view password);
// The name as it can be stored: a CR or LF (a CR would split the envelope's lines and make the
// file unreadable; encryption refuses both) becomes "_".
std::u16string StorableName(std::u16string name);

// Splits envelope bytes into the two header lines and the payload as they stream past, so a
// file of any size is read in pieces.
class EnvelopeReader {
public:
    using PayloadSink = std::function<void(std::string_view)>;

    // Header lines longer than `headerLimit` bytes are cut there and flagged.
    explicit EnvelopeReader(std::size_t headerLimit = std::numeric_limits<std::size_t>::max())
        : headerLimit_(headerLimit) {}

    // A reader that starts in the payload, right after the CR that ends the name line.
    static EnvelopeReader AtPayload() {
        EnvelopeReader reader;
        reader.completeLines_ = 2;
        reader.afterCR_ = true;
        return reader;
    }

    void Feed(std::string_view bytes, const PayloadSink& payload);

    int HeaderLines() const { return completeLines_ < 2 ? completeLines_ : 2; }  // 0, 1 or 2
    bool InPayload() const { return completeLines_ >= 2; }
    const std::string& Password() const { return lines_[0]; }
    const std::string& Name() const { return lines_[1]; }
    bool PasswordTooLong() const { return overflow_[0]; }
    bool NameTooLong() const { return overflow_[1]; }
    // How many bytes had been fed when the name line's CR was read (the payload starts there).
    std::uint64_t PayloadStart() const { return payloadStart_; }

private:
    void Take(std::string_view piece, const PayloadSink& payload);

    std::size_t headerLimit_;
    int completeLines_ = 0;
    std::string lines_[2];
    bool overflow_[2] = {false, false};
    bool afterCR_ = false;
    std::uint64_t fed_ = 0;
    std::uint64_t payloadStart_ = 0;
};

}  // namespace angoka
