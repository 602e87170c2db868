// The open step of decryption: the header bytes undone, the envelope's two lines and the start
// of its payload judged, reading a bounded amount from the start of the file and its last two
// bytes; and the settings finder, which judges every setting on one read of those first bytes.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Envelope.h"
#include "Errors.h"
#include "Kernels.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFormat.h"
#include "SourceFile.h"
#include "Utf.h"

namespace angoka {
namespace {

// The first read after the header: most wrong settings are told apart within it.
constexpr std::size_t kFirstHeadChunk = 4 * 1024;
constexpr std::size_t kHeadChunk = 64 * 1024;
// Payload bytes (line ends included) read to find its first characters: the marker, or "Error".
constexpr std::size_t kPayloadHeadLimit = 64 * 1024;
constexpr std::size_t kPayloadHead = kFormatMarker.size() + 1;

// The bytes the open step reads: the file itself, or a prefix of it held in memory.
struct HeadSource {
    std::uint64_t size = 0;
    std::function<std::size_t(std::uint64_t offset, std::uint8_t* data, std::size_t size)> read;
};

class Opener {
public:
    Opener(const DecryptRequest& request, const HeadSource& source, const Progress& progress)
        : request_(request),
          source_(source),
          progress_(progress),
          passwordLimit_(2 * request.password.size() + 1),
          reader_(std::max(kNameLimit, passwordLimit_ + 1)) {}

    // TooShort, WrongPassword, ErrorPayload, NotQivg, Truncated, Cancelled or Ok. Throws
    // FileError and CharsetError.
    Outcome Run() {
        const std::uint64_t rounds = static_cast<std::uint64_t>(std::max(request_.rounds, 0)) + 3;
        if (source_.size < rounds + 1) return Outcome::TooShort;
        if (!UndoHeader(rounds) || !ReadHead(rounds)) return Outcome::Cancelled;
        return Judge(rounds);
    }

    const std::optional<std::u16string>& storedName() const { return storedName_; }
    // Whether the stored name is exactly what the file holds: no byte of it unreadable.
    bool storedNameWhole() const { return storedNameWhole_; }
    std::uint64_t payloadOffset() const { return payloadOffset_; }
    int envelopeShift() const { return shift_; }

private:
    // Undoes the rounds' header bytes one by one: each round's offset is the low nibble of its
    // byte once the later rounds are undone. False when cancelled.
    bool UndoHeader(std::uint64_t rounds) {
        std::vector<std::uint8_t> chunk(
            static_cast<std::size_t>(std::min<std::uint64_t>(rounds, kHeadChunk)));
        for (std::uint64_t offset = 0; offset < rounds;) {
            if (progress_.Cancelled()) return false;
            const std::size_t got =
                source_.read(offset, chunk.data(), std::min<std::uint64_t>(chunk.size(), rounds - offset));
            if (got == 0) break;
            for (std::size_t i = 0; i < got; ++i) {
                const int roundOffset = ShiftNibbles(chunk[i], shift_) & 15;
                shift_ = Mod16(shift_ + DecryptShift(roundOffset, request_.inKey));
            }
            offset += got;
        }
        return true;
    }

    // Feeds the envelope until the payload's first characters are seen, the file ends, a line
    // is too long to be what it should, or the bounded amount is read. False when cancelled.
    bool ReadHead(std::uint64_t start) {
        const std::uint64_t limit = start + passwordLimit_ + 2 + kNameLimit + 2 + kPayloadHeadLimit;
        std::vector<std::uint8_t> chunk(kFirstHeadChunk);
        std::uint64_t offset = start;
        while (offset < std::min(source_.size, limit) && payloadHead_.size() < kPayloadHead) {
            if (progress_.Cancelled()) return false;
            if (offset > start) chunk.resize(kHeadChunk);  // past the first read: larger ones
            const std::size_t got =
                source_.read(offset, chunk.data(), std::min<std::uint64_t>(chunk.size(), limit - offset));
            if (got == 0) break;
            ShiftAll(chunk.data(), got, shift_);
            reader_.Feed(std::string_view(reinterpret_cast<const char*>(chunk.data()), got),
                         [this](std::string_view piece) {
                             payloadHead_.append(piece.substr(0, kPayloadHead - payloadHead_.size()));
                         });
            offset += got;
            if (PasswordTooLong() || NameTooLong()) break;
        }
        reachedEnd_ = offset >= source_.size;
        return true;
    }

    // A password line longer than twice the password's length cannot match it.
    bool PasswordTooLong() const {
        return reader_.HeaderLines() == 0 &&
               (reader_.PasswordTooLong() || reader_.Password().size() > passwordLimit_);
    }
    bool NameTooLong() const {
        return reader_.HeaderLines() == 1 && (reader_.NameTooLong() || reader_.Name().size() > kNameLimit);
    }
    bool PasswordMatches() const {
        return !reader_.PasswordTooLong() && reader_.Password().size() <= passwordLimit_ &&
               FromNarrow(reader_.Password()) == request_.password;
    }

    Outcome Judge(std::uint64_t start) {
        if (reader_.HeaderLines() == 0) return Outcome::WrongPassword;
        // A name line too long to be a name means, under the right password, no .qivg file.
        const bool nameTooLong = reader_.NameTooLong() || reader_.Name().size() > kNameLimit;
        // Fewer than two line ends reads like a wrong password.
        if (reader_.HeaderLines() == 1 && !nameTooLong) return Outcome::WrongPassword;
        if (!nameTooLong) {
            storedName_ = FromNarrow(reader_.Name());
            storedNameWhole_ = IsWholeNarrow(reader_.Name());
            payloadOffset_ = start + reader_.PayloadStart();
        }
        if (!PasswordMatches()) return Outcome::WrongPassword;
        if (nameTooLong) return Outcome::NotQivg;
        if (reachedEnd_ && payloadHead_ == "Error") return Outcome::ErrorPayload;
        if (payloadHead_.compare(0, kFormatMarker.size(), kFormatMarker) != 0) return Outcome::NotQivg;
        if (!EndsWithLineEnd(start)) return Outcome::Truncated;
        return Outcome::Ok;
    }

    // Every encryptor ends the last line with CR LF; without a line end the file was cut.
    bool EndsWithLineEnd(std::uint64_t start) {
        std::uint8_t tail[2] = {0, 0};
        const std::size_t count = source_.size - start >= 2 ? 2 : 1;
        source_.read(source_.size - count, tail + 2 - count, count);
        ShiftAll(tail, 2, shift_);
        return tail[1] == kCR || (tail[1] == '\n' && count == 2 && tail[0] == kCR);
    }

    const DecryptRequest& request_;
    const HeadSource& source_;
    const Progress& progress_;
    const std::size_t passwordLimit_;
    EnvelopeReader reader_;
    int shift_ = 0;
    std::string payloadHead_;
    bool reachedEnd_ = false;
    std::optional<std::u16string> storedName_;
    bool storedNameWhole_ = false;
    std::uint64_t payloadOffset_ = 0;
};

HeadSource FileSource(const SourceFile& file) {
    return {file.size(), [&file](std::uint64_t offset, std::uint8_t* data, std::size_t size) {
                return file.ReadAt(offset, data, size);
            }};
}

OpenedQivg Failed(const DecryptRequest& request, Result result) {
    OpenedQivg opened;
    opened.request = request;
    opened.result = std::move(result);
    return opened;
}

}  // namespace

OpenedQivg OpenQivg(const DecryptRequest& request, const Progress& progress) {
    try {
        auto file = std::make_shared<SourceFile>();
        if (Result r = file->Open(request.source); !r.ok()) return Failed(request, r);
        const HeadSource source = FileSource(*file);
        Opener opener(request, source, progress);
        const Outcome outcome = opener.Run();
        OpenedQivg opened =
            Failed(request, {outcome, outcome == Outcome::Ok ? std::filesystem::path() : request.source, {}});
        opened.storedName = opener.storedName();
        if (opened.storedName && opener.storedNameWhole() && IsSafeFileName(*opened.storedName))
            opened.safeName = opened.storedName;
        opened.payloadOffset = opener.payloadOffset();
        opened.envelopeShift = opener.envelopeShift();
        if (outcome == Outcome::Ok) opened.source = std::move(file);
        return opened;
    } catch (const FileError& error) {
        return Failed(request, IoFailure(error));
    } catch (const CharsetError&) {
        return Failed(request, {Outcome::CharsetUnavailable, request.source, {}});
    }
}

FoundSettings FindSettings(const std::filesystem::path& path, std::u16string_view password) {
    constexpr std::int32_t kMaxRounds = 30, kMaxInKey = 10;
    FoundSettings found;
    try {
        SourceFile file;
        if (Result r = file.Open(path); !r.ok()) return {r, {}};
        // Enough for the largest header, the two lines at their limits and the marker after a
        // line end or two: one read, every setting judged on it.
        const std::uint64_t wanted =
            kMaxRounds + 3 + 2 * password.size() + 3 + kNameLimit + 2 + 2 * kPayloadHead;
        std::vector<std::uint8_t> prefix(static_cast<std::size_t>(std::min(wanted, file.size())));
        prefix.resize(file.ReadAt(0, prefix.data(), prefix.size()));
        const HeadSource memory{
            prefix.size(), [&prefix](std::uint64_t offset, std::uint8_t* data, std::size_t size) {
                const std::size_t from =
                    static_cast<std::size_t>(std::min<std::uint64_t>(offset, prefix.size()));
                const std::size_t count = std::min(size, prefix.size() - from);
                std::copy_n(prefix.begin() + static_cast<std::ptrdiff_t>(from), count, data);
                return count;
            }};
        for (std::int32_t rounds = 1; rounds <= kMaxRounds; ++rounds) {
            for (std::int32_t distance = 0; distance <= kMaxInKey; ++distance) {
                for (const std::int32_t inKey : {-distance, distance}) {
                    const DecryptRequest request{path, std::u16string(password), inKey, rounds};
                    const Outcome outcome = Opener(request, memory, {}).Run();
                    // The end of the prefix is not the file's: a marker is all that counts here.
                    if (outcome == Outcome::Ok || outcome == Outcome::Truncated)
                        found.settings.push_back({inKey, rounds});
                    if (distance == 0) break;
                }
            }
        }
    } catch (const FileError& error) {
        found.result = IoFailure(error);
    } catch (const CharsetError&) {
        found.result = {Outcome::CharsetUnavailable, path, {}};
    }
    return found;
}

Outcome MismatchOutcome(const FoundSettings& found) {
    return found.result.ok() && !found.qivgShape ? Outcome::NotQivg : Outcome::WrongPassword;
}

bool IsSafeFileName(const std::u16string& name) {
    if (name.empty() || ToUtf8(name).size() > 255) return false;
    const auto space = [](char16_t c) { return c == u' ' || c == u'\u3000'; };
    if (name.front() == u'.' || name.front() == u'-' || space(name.front()) || space(name.back()) ||
        name.back() == u'.')
        return false;
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\' || IsControlCharacter(c)) return false;
    }
    return true;
}

}  // namespace angoka
