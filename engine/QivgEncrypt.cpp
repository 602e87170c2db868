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

class Encryptor {
public:
    Encryptor(const EncryptRequest& request, const Progress& progress, const OutputOptions& output)
        : request_(request), progress_(progress), output_(output) {}

    Result Run() {
        if (const Outcome checked = CheckEncryptRequest(request_); checked != Outcome::Ok) {
            return {checked, request_.source, {}};
        }
        // The envelope's lines first: a converter that is missing stops the run before any file.
        const std::string lines = ToNarrow(request_.password) + std::string(kLineEnd) +
                                  ToNarrow(request_.storedName) + std::string(kLineEnd) +
                                  std::string(kFormatMarker);
        if (Result r = source_.Open(request_.source); !r.ok()) return r;
        AtomicFile out(request_.destination, WithSourceMode(output_, source_));
        int shift = 0;
        const auto header = HeaderBytes(request_.rounds, request_.inKey, shift);
        out.Write(header.data(), header.size());
        WriteShifted(out, lines, shift);
        if (!WriteContent(out, shift)) return {Outcome::Cancelled, request_.destination, {}};
        WriteShifted(out, std::string(kLineEnd), shift);
        source_.CheckUnchanged();
        out.Commit();
        return {};
    }

private:
    static void WriteShifted(AtomicFile& out, std::string bytes, int shift) {
        auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
        ShiftAll(data, bytes.size(), shift);
        out.Write(data, bytes.size());
    }

    // The source as shifted hex digits, chunk by chunk; false when cancelled.
    bool WriteContent(AtomicFile& out, int shift) {
        const std::uint64_t total = source_.size();
        std::vector<std::uint8_t> in(ChunkFor(total)), hex(2 * in.size());
        std::uint64_t done = 0;
        progress_.Report(0, total);
        while (done < total) {
            if (progress_.Cancelled()) return false;
            const std::size_t got = source_.ReadAt(done, in.data(), in.size());
            ExpandShifted(in.data(), got, hex.data(), shift);
            out.Write(hex.data(), 2 * got);
            done += got;
            progress_.Report(done, total);
        }
        return !progress_.Cancelled();
    }

    const EncryptRequest& request_;
    const Progress& progress_;
    const OutputOptions& output_;
    SourceFile source_;
};

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

Result EncryptFile(const EncryptRequest& request, const Progress& progress, const OutputOptions& output) {
    try {
        return Encryptor(request, progress, output).Run();
    } catch (const FileError& error) {
        return IoFailure(error);
    } catch (const CharsetError&) {
        return {Outcome::CharsetUnavailable, request.source, {}};
    }
}

}  // namespace angoka
