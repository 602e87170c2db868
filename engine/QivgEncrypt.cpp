// Encryption, streamed: the n + 3 header bytes, then the envelope with every nibble shifted by
// the sum of all rounds, in one read of the source and one write of the destination.
#include <string>
#include <vector>

#include "Envelope.h"
#include "Errors.h"
#include "Kernels.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFormat.h"
#include "SourceFile.h"
#include "Transfer.h"

namespace angoka {
namespace {

// The n + 3 header bytes, latest round first, each shifted by the rounds applied after it.
std::vector<std::uint8_t> HeaderBytes(const std::vector<RoundKey>& rounds, std::int32_t inKey, int& total) {
    std::vector<std::uint8_t> header;
    total = 0;
    for (auto round = rounds.rbegin(); round != rounds.rend(); ++round) {
        header.push_back(ShiftNibbles(round->Byte(), total));
        total = Mod16(total + EncryptShift(round->offset, inKey));
    }
    return header;
}

// Each chunk of the source as shifted hex digits; the envelope's last line end after them.
class EncryptConversion : public Conversion {
public:
    explicit EncryptConversion(int shift) : shift_(shift) {}

    void Chunk(const std::uint8_t* data, std::size_t size, Sink& out) override {
        if (hex_.size() < 2 * size) hex_.resize(2 * size);
        ExpandShifted(data, size, hex_.data(), shift_);
        out.Write(hex_.data(), 2 * size);
    }
    void Finish(Sink& out) override { WriteShifted(out, std::string(kLineEnd), shift_); }

    static void WriteShifted(Sink& out, std::string bytes, int shift) {
        auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
        ShiftAll(data, bytes.size(), shift);
        out.Write(data, bytes.size());
    }

private:
    const int shift_;
    std::vector<std::uint8_t> hex_;
};

// In front of the content: the header bytes, then the envelope's password and name lines and
// the format marker, every nibble shifted by the sum of all rounds.
Result Encrypt(const EncryptRequest& request, const Progress& progress, const WriteOptions& output) {
    if (const Outcome checked = CheckEncryptRequest(request); checked != Outcome::Ok) {
        return {checked, request.source, {}};
    }
    // The envelope's lines first: a converter that is missing stops the run before any file.
    const std::string lines = ToNarrow(request.password) + std::string(kLineEnd) +
                              ToNarrow(request.storedName) + std::string(kLineEnd) +
                              std::string(kFormatMarker);
    SourceFile source;
    if (Result r = source.Open(request.source); !r.ok()) return r;
    FileSink out(request.destination, WithSourceMode(output, source));
    int shift = 0;
    const auto header = HeaderBytes(request.rounds, request.inKey, shift);
    out.Write(header.data(), header.size());
    EncryptConversion conversion(shift);
    EncryptConversion::WriteShifted(out, lines, shift);
    return Transfer(source, 0, conversion, out, progress, request.destination);
}

}  // namespace

Outcome CheckPassword(std::u16string_view password) {
    if (password.empty()) return Outcome::EmptyPassword;
    if (password.size() > kPasswordLimit) return Outcome::PasswordTooLong;
    try {
        if (password.find(u'\n') != std::u16string_view::npos || !IsStorablePassword(password)) {
            return Outcome::UnstorablePassword;
        }
    } catch (const CharsetError&) {
        return Outcome::CharsetUnavailable;
    }
    return Outcome::Ok;
}

Outcome CheckStoredName(std::u16string_view name) {
    try {
        if (name.find_first_of(u"\r\n") != std::u16string_view::npos || ToNarrow(name).size() > kNameLimit) {
            return Outcome::UnstorableName;
        }
    } catch (const CharsetError&) {
        return Outcome::CharsetUnavailable;
    }
    return Outcome::Ok;
}

Outcome CheckEncryptRequest(const EncryptRequest& request) {
    if (const Outcome password = CheckPassword(request.password); password != Outcome::Ok) return password;
    if (const Outcome name = CheckStoredName(request.storedName); name != Outcome::Ok) return name;
    if (request.rounds.size() < 3) return Outcome::TooFewRounds;
    return Outcome::Ok;
}

Result EncryptFile(const EncryptRequest& request, const Progress& progress, const WriteOptions& output) {
    return Guarded(request.source, [&] { return Encrypt(request, progress, output); });
}

}  // namespace angoka
