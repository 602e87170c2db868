#include "QivgCodec.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Envelope.h"
#include "Errors.h"
#include "HexText.h"
#include "Kernels.h"
#include "NarrowCharset.h"
#include "SourceFile.h"
#include "Utf.h"

namespace angoka {
namespace {

constexpr std::uint8_t kCR = '\r';
constexpr std::string_view kLineEnd = "\r\n";
// A name line longer than this is not a file name; it is reported as absent.
constexpr std::size_t kNameLimit = 4096;
constexpr std::size_t kOpenChunk = 64 * 1024;

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
        if (request_.rounds.size() < 3) throw std::invalid_argument("encryption needs at least three rounds");
        if (Result r = source_.Open(request_.source); !r.ok()) return r;
        if (Result r = CheckDestination(request_.destination); !r.ok()) return r;
        AtomicFile out(request_.destination, output_);
        int shift = 0;
        const auto header = HeaderBytes(request_.rounds, request_.inKey, shift);
        out.Write(header.data(), header.size());
        WriteShifted(out,
                     ToNarrow(request_.password) + std::string(kLineEnd) + ToNarrow(request_.storedName) +
                         std::string(kLineEnd) + std::string(kFormatMarker),
                     shift);
        if (!WriteContent(out, shift)) return {Outcome::Cancelled, request_.destination, {}};
        WriteShifted(out, std::string(kLineEnd), shift);
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
        std::vector<std::uint8_t> in(kChunkSize), hex(2 * kChunkSize);
        const std::uint64_t total = source_.size();
        std::uint64_t done = 0;
        progress_.Report(0, total);
        for (;;) {
            if (progress_.Cancelled()) return false;
            const std::size_t got = source_.ReadAt(done, in.data(), in.size());
            if (got == 0) break;
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

// Reads the envelope's first lines and the start of its payload, without touching the rest.
class Opener {
public:
    explicit Opener(const DecryptRequest& request)
        : reader_(std::max(kNameLimit, 2 * request.password.size() + 2)) {
        opened_.request = request;
    }

    OpenedQivg Run() {
        const DecryptRequest& request = opened_.request;
        Result& result = opened_.result;
        if (result = source_.Open(request.source); !result.ok()) return opened_;
        const std::uint64_t rounds = static_cast<std::uint64_t>(std::max(request.rounds, 0)) + 3;
        if (source_.size() < rounds + 1) return Fail(Outcome::TooShort);
        UndoHeader(rounds);
        ReadHeadLines(rounds);
        return Judge(rounds);
    }

private:
    OpenedQivg& Fail(Outcome outcome) {
        opened_.result = {outcome, opened_.request.source, {}};
        return opened_;
    }

    // Undoes the rounds' header bytes one by one: each round's offset is the low nibble of
    // its byte once the later rounds are undone.
    void UndoHeader(std::uint64_t rounds) {
        std::vector<std::uint8_t> chunk(kOpenChunk);
        int shift = 0;
        for (std::uint64_t offset = 0; offset < rounds;) {
            const std::size_t got =
                source_.ReadAt(offset, chunk.data(), std::min<std::uint64_t>(chunk.size(), rounds - offset));
            for (std::size_t i = 0; i < got; ++i) {
                const int roundOffset = ShiftNibbles(chunk[i], shift) & 15;
                shift = Mod16(shift + DecryptShift(roundOffset, opened_.request.inKey));
            }
            if (got == 0) break;
            offset += got;
        }
        opened_.envelopeShift = shift;
    }

    // Feeds the envelope until the payload's first 17 bytes are seen (enough to tell the
    // marker and "Error"), the file ends, or the password line is too long to match.
    void ReadHeadLines(std::uint64_t start) {
        const std::size_t passwordLimit = 2 * opened_.request.password.size() + 1;
        std::vector<std::uint8_t> chunk(kOpenChunk);
        std::uint64_t offset = start;
        while (offset < source_.size() && payloadHead_.size() <= kFormatMarker.size()) {
            const std::size_t got = source_.ReadAt(offset, chunk.data(), chunk.size());
            ShiftAll(chunk.data(), got, opened_.envelopeShift);
            reader_.Feed(std::string_view(reinterpret_cast<const char*>(chunk.data()), got),
                         [this](std::string_view piece) { payloadHead_.append(piece.substr(0, 32)); });
            offset += got;
            if (reader_.HeaderLines() == 0 && reader_.Password().size() > passwordLimit) break;
        }
        reachedEnd_ = offset >= source_.size();
        opened_.payloadOffset = start + reader_.PayloadStart();
    }

    OpenedQivg& Judge(std::uint64_t start) {
        if (reader_.HeaderLines() < 2) return Fail(Outcome::WrongPassword);
        if (!reader_.NameTooLong() && reader_.Name().size() <= kNameLimit) {
            opened_.storedName = FromNarrow(reader_.Name());
            if (IsSafeFileName(*opened_.storedName)) opened_.safeName = opened_.storedName;
        }
        if (reader_.PasswordTooLong() || FromNarrow(reader_.Password()) != opened_.request.password) {
            return Fail(Outcome::WrongPassword);
        }
        if (reachedEnd_ && payloadHead_ == "Error") return Fail(Outcome::ErrorPayload);
        if (payloadHead_.compare(0, kFormatMarker.size(), kFormatMarker) != 0) return Fail(Outcome::NotQivg);
        if (!EndsWithLineEnd(start)) return Fail(Outcome::Truncated);
        opened_.result = {};
        return opened_;
    }

    // Every encryptor ends the last line with CR LF; without a line end the file was cut.
    bool EndsWithLineEnd(std::uint64_t start) {
        const std::uint64_t size = source_.size();
        std::uint8_t tail[2] = {0, 0};
        const std::size_t count = size - start >= 2 ? 2 : 1;
        source_.ReadAt(size - count, tail + 2 - count, count);
        ShiftAll(tail, 2, opened_.envelopeShift);
        return tail[1] == kCR || (tail[1] == '\n' && count == 2 && tail[0] == kCR);
    }

    OpenedQivg opened_;
    SourceFile source_;
    EnvelopeReader reader_;
    std::string payloadHead_;
    bool reachedEnd_ = false;
};

// Turns the payload's digits (after the marker) into bytes as they stream past. A bad pair
// stops the output but not the count, since an odd length outranks it.
class ContentDecoder {
public:
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
    explicit ContentDecoder(Sink out) : out_(std::move(out)), buffer_(kChunkSize) {}

    void Take(std::string_view digits) {
        const std::size_t skip = std::min(skip_, digits.size());
        skip_ -= skip;
        digits.remove_prefix(skip);
        count_ += digits.size();
        if (bad_ || digits.empty()) return;
        const auto* in = reinterpret_cast<const std::uint8_t*>(digits.data());
        std::size_t n = digits.size();
        if (half_) {  // the second digit of a pair split between two pieces
            const std::uint8_t pair[2] = {*half_, in[0]};
            Decode(pair, 1);
            half_.reset();
            ++in;
            --n;
        }
        Decode(in, n / 2);
        if (n % 2 != 0) half_ = in[n - 1];
    }

    bool odd() const { return count_ % 2 != 0; }
    bool bad() const { return bad_; }
    void Flush() {
        if (!bad_ && used_ > 0) {
            out_(buffer_.data(), used_);
            written_ += used_;
        }
        used_ = 0;
    }
    std::uint64_t written() const { return written_; }

private:
    void Decode(const std::uint8_t* in, std::size_t pairs) {
        while (pairs > 0 && !bad_) {
            if (used_ == buffer_.size()) Flush();
            const std::size_t now = std::min(pairs, buffer_.size() - used_);
            bad_ = !DecodeHexPairs(in, now, buffer_.data() + used_);
            used_ += now;
            in += 2 * now;
            pairs -= now;
        }
    }

    Sink out_;
    std::uint64_t written_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::size_t skip_ = kFormatMarker.size();
    std::uint64_t count_ = 0;
    std::optional<std::uint8_t> half_;
    bool bad_ = false;
};

// Streams the content of an opened file through `decoder`; Ok only when all of it was good.
Result DecodeContent(const OpenedQivg& opened, ContentDecoder& decoder, const Progress& progress) {
    SourceFile source;
    if (Result r = source.Open(opened.request.source); !r.ok()) return r;
    EnvelopeReader reader = EnvelopeReader::AtPayload();
    std::vector<std::uint8_t> chunk(kChunkSize);
    const std::uint64_t total = source.size();
    std::uint64_t offset = opened.payloadOffset;
    progress.Report(offset, total);
    while (offset < total) {
        if (progress.Cancelled()) return {Outcome::Cancelled, opened.request.source, {}};
        const std::size_t got = source.ReadAt(offset, chunk.data(), chunk.size());
        if (got == 0) break;
        ShiftAll(chunk.data(), got, opened.envelopeShift);
        reader.Feed(std::string_view(reinterpret_cast<const char*>(chunk.data()), got),
                    [&decoder](std::string_view piece) { decoder.Take(piece); });
        offset += got;
        progress.Report(offset, total);
    }
    if (progress.Cancelled()) return {Outcome::Cancelled, opened.request.source, {}};
    if (decoder.odd()) return {Outcome::OddLength, opened.request.source, {}};
    if (decoder.bad()) return {Outcome::BadHex, opened.request.source, {}};
    decoder.Flush();
    return {};
}

Result WriteContent(const OpenedQivg& opened, const std::filesystem::path& output, const Progress& progress,
                    const OutputOptions& options) {
    AtomicFile out(output, options);
    ContentDecoder decoder([&out](const std::uint8_t* data, std::size_t size) { out.Write(data, size); });
    Result result = DecodeContent(opened, decoder, progress);
    if (result.outcome == Outcome::Cancelled) result.path = output;
    if (result.ok()) out.Commit();
    return result;
}

// write(2) until done; a failure is a FileError for `name`.
void WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::filesystem::path& name) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw FileError(name, "write", SystemError(written < 0 ? errno : EIO));
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

}  // namespace

Result EncryptFile(const EncryptRequest& request, const Progress& progress, const OutputOptions& output) {
    try {
        return Encryptor(request, progress, output).Run();
    } catch (const FileError& error) {
        return IoFailure(error);
    }
}

Outcome CheckPassword(std::u16string_view password) {
    if (password.empty()) return Outcome::EmptyPassword;
    if (password.find(u'\n') != std::u16string_view::npos || !IsStorablePassword(password)) {
        return Outcome::UnstorablePassword;
    }
    return Outcome::Ok;
}

Outcome CheckEncryptRequest(const EncryptRequest& request) {
    if (const Outcome password = CheckPassword(request.password); password != Outcome::Ok) return password;
    if (request.storedName.find_first_of(u"\r\n") != std::u16string::npos ||
        ToNarrow(request.storedName).size() > kNameLimit) {
        return Outcome::UnstorableName;
    }
    if (request.rounds.size() < 3) return Outcome::TooFewRounds;
    return Outcome::Ok;
}

FoundSettings FindSettings(const std::filesystem::path& source, std::u16string_view password) {
    FoundSettings found;
    for (std::int32_t rounds = 1; rounds <= 30; ++rounds) {
        for (std::int32_t distance = 0; distance <= 10; ++distance) {
            for (const std::int32_t inKey : {-distance, distance}) {
                if (distance == 0 && inKey != 0) continue;
                const OpenedQivg opened = OpenQivg({source, std::u16string(password), inKey, rounds});
                const Outcome outcome = opened.result.outcome;
                if (outcome == Outcome::Ok || outcome == Outcome::Truncated) {
                    found.settings.push_back({inKey, rounds});
                } else if (outcome == Outcome::SourceMissing || outcome == Outcome::IoError) {
                    found.result = opened.result;
                    return found;
                }
                if (distance == 0) break;
            }
        }
    }
    return found;
}

OpenedQivg OpenQivg(const DecryptRequest& request, const Progress&) {
    try {
        return Opener(request).Run();
    } catch (const FileError& error) {
        OpenedQivg opened;
        opened.request = request;
        opened.result = IoFailure(error);
        return opened;
    }
}

Result WriteQivg(const OpenedQivg& opened, const std::filesystem::path& output, const Progress& progress,
                 const OutputOptions& options) {
    if (!opened.result.ok()) return opened.result;
    if (Result r = CheckDestination(output); !r.ok()) return r;
    try {
        return WriteContent(opened, output, progress, options);
    } catch (const FileError& error) {
        return IoFailure(error);
    }
}

Result StreamQivg(const OpenedQivg& opened, int fd, const Progress& progress, std::uint64_t* contentBytes) {
    if (contentBytes) *contentBytes = 0;
    if (!opened.result.ok()) return opened.result;
    const std::filesystem::path name = "<output>";
    try {
        ContentDecoder decoder([fd, &name](const std::uint8_t* data, std::size_t size) {
            if (fd >= 0) WriteAll(fd, data, size, name);
        });
        const Result result = DecodeContent(opened, decoder, progress);
        if (contentBytes) *contentBytes = decoder.written();
        return result;
    } catch (const FileError& error) {
        return IoFailure(error);
    }
}

bool IsSafeFileName(const std::u16string& name) {
    if (name.empty() || name == u"." || name == u".." || ToUtf8(name).size() > 255) return false;
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return false;
    }
    return true;
}

}  // namespace angoka
