// The open step of decryption: the header bytes undone, the envelope's two lines and the start
// of its payload judged, reading a bounded amount from the start of the file and its last two
// bytes; and the settings finder, which judges every setting on one read of those first bytes.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Envelope.h"
#include "Errors.h"
#include "FormatRules.h"
#include "Kernels.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFormat.h"
#include "SourceFile.h"
#include "Transfer.h"
#include "Utf.h"

namespace angoka {
namespace {

// The first read after the header: most wrong settings are told apart within it.
constexpr std::size_t kFirstHeadChunk = 4 * 1024;
constexpr std::size_t kHeadChunk = 64 * 1024;
// Payload bytes (line ends included) read to find its first characters: the marker, or "Error".
constexpr std::size_t kPayloadHeadLimit = 64 * 1024;
constexpr std::size_t kPayloadHead = kFormatMarker.size() + 1;
// The longest password line of a password nobody typed here: kPasswordLimit characters of up
// to two bytes each.
constexpr std::size_t kPasswordLineLimit = 2 * kPasswordLimit;

// The bytes the open step reads: the file itself, or a prefix of it held in memory.
struct HeadSource {
    std::uint64_t size = 0;
    std::function<std::size_t(std::uint64_t offset, std::uint8_t* data, std::size_t size)> read;
};

// Undoes one header byte: the round's offset is the low nibble of the byte once the later
// rounds are undone. Returns whether the round's decoy and offset are ones a round draws.
bool UndoHeaderByte(std::uint8_t byte, std::int32_t inKey, int& shift) {
    const std::uint8_t key = ShiftNibbles(byte, shift);
    shift = Mod16(shift + DecryptShift(key & 15, inKey));
    return IsDrawnKey(key);
}

// Judges one setting. With `anyPassword`, any password line that a password can be counts as
// matching (up to kPasswordLineLimit bytes of whole characters, none of them a control
// character): the file's shape alone is judged.
class Opener {
public:
    Opener(const DecryptRequest& request, const HeadSource& source, const Progress& progress,
           bool anyPassword = false)
        : request_(request),
          source_(source),
          progress_(progress),
          anyPassword_(anyPassword),
          passwordLimit_(anyPassword ? kPasswordLineLimit : 2 * request.password.size() + 1),
          reader_(std::max(kNameLimit, passwordLimit_ + 1)) {}

    // TooShort, WrongPassword, ErrorPayload, NotQivg, Truncated, Cancelled or Ok. Throws
    // FileError and CharsetError.
    Outcome Run() {
        const std::uint64_t rounds =
            static_cast<std::uint64_t>(std::max(request_.rounds, 0)) + kEnvelopeRounds;
        if (source_.size < rounds + 1) return Outcome::TooShort;
        if (!UndoHeader(rounds) || !ReadHead(rounds)) return Outcome::Cancelled;
        return Verdict(rounds);
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
            for (std::size_t i = 0; i < got; ++i) UndoHeaderByte(chunk[i], request_.inKey, shift_);
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
        if (reader_.PasswordTooLong() || reader_.Password().size() > passwordLimit_) return false;
        if (!anyPassword_) return FromNarrow(reader_.Password()) == request_.password;
        if (!IsWholeNarrow(reader_.Password())) return false;
        const std::u16string password = FromNarrow(reader_.Password());
        return std::none_of(password.begin(), password.end(), IsControlCharacter);
    }

    Outcome Verdict(std::uint64_t start) {
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
    const bool anyPassword_;
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

// The file's first bytes, read once, for judging every setting: enough for the largest header,
// the two lines at their limits and the marker after a line end or two.
class Prefix {
public:
    Prefix(const SourceFile& file, std::size_t passwordSize) {
        const std::uint64_t wanted = kMaxRounds + kEnvelopeRounds +
                                     std::max(2 * passwordSize + 1, kPasswordLineLimit) + 2 + kNameLimit + 2 +
                                     2 * kPayloadHead;
        bytes_.resize(static_cast<std::size_t>(std::min(wanted, file.size())));
        bytes_.resize(file.ReadAt(0, bytes_.data(), bytes_.size()));
        source_ = {bytes_.size(), [this](std::uint64_t offset, std::uint8_t* data, std::size_t size) {
                       const std::size_t from =
                           static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
                       const std::size_t count = std::min(size, bytes_.size() - from);
                       std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(from), count, data);
                       return count;
                   }};
    }
    Prefix(const Prefix&) = delete;
    Prefix& operator=(const Prefix&) = delete;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    const HeadSource& source() const { return source_; }

private:
    std::vector<std::uint8_t> bytes_;
    HeadSource source_;
};

// Every setting a user can choose, in the order the finder reports them: n ascending, then
// InKey by distance from 0 (0, -1, 1, -2, ...).
const std::vector<QivgSettings>& UserSettings() {
    static const std::vector<QivgSettings> settings = [] {
        std::vector<QivgSettings> all;
        for (std::int32_t rounds = kMinRounds; rounds <= kMaxRounds; ++rounds) {
            all.push_back({0, rounds});
            for (std::int32_t distance = 1; distance <= kMaxInKey; ++distance) {
                all.push_back({-distance, rounds});
                all.push_back({distance, rounds});
            }
        }
        return all;
    }();
    return settings;
}

// Within a prefix, the end of the prefix is not the file's: a marker is all that counts.
bool HasMarker(Outcome outcome) {
    return outcome == Outcome::Ok || outcome == Outcome::Truncated;
}

// A character that a user can have typed into a password: printable, with a CP932 form, and
// none of those that no keyboard gives in practice (half-width katakana, private use, the
// replacement character).
bool IsTypedCharacter(char16_t c) {
    const bool halfWidthKatakana = c >= 0xFF61 && c <= 0xFF9F;
    const bool privateUse = c >= 0xE000 && c <= 0xF8FF;
    return !IsControlCharacter(c) && !halfWidthKatakana && !privateUse && c != 0xFFFD;
}

// The password line of `bytes` under a setting, when every round's draws are ones a round
// makes and the line ends within kPasswordLineLimit bytes.
std::optional<std::string> DrawnPasswordLine(const std::vector<std::uint8_t>& bytes, QivgSettings setting) {
    const std::size_t header = static_cast<std::size_t>(setting.rounds + kEnvelopeRounds);
    if (bytes.size() <= header) return std::nullopt;
    int shift = 0;
    for (std::size_t i = 0; i < header; ++i) {
        if (!UndoHeaderByte(bytes[i], setting.inKey, shift)) return std::nullopt;
    }
    const std::size_t size = std::min(bytes.size() - header, kPasswordLineLimit + 1);
    const std::size_t end = FindShifted(bytes.data() + header, size, kCR, shift);
    if (end == size) return std::nullopt;
    std::string line(reinterpret_cast<const char*>(bytes.data() + header), end);
    ShiftAll(reinterpret_cast<std::uint8_t*>(line.data()), line.size(), shift);
    return line;
}

// Whether `typed` is only the end of a password that the file holds under fewer rounds than
// `rounds`: some such setting gives a line of typed characters followed by `typed`.
bool EndsLongerPassword(const std::vector<std::uint8_t>& bytes, std::int32_t rounds,
                        std::u16string_view typed) {
    for (std::int32_t fewer = kMinRounds; fewer < rounds; ++fewer) {
        for (std::int32_t inKey = 0; inKey < 16; ++inKey) {
            const std::optional<std::string> line = DrawnPasswordLine(bytes, {inKey, fewer});
            if (!line || !IsWholeNarrow(*line)) continue;
            const std::u16string text = FromNarrow(*line);
            if (text.size() <= typed.size() || !std::u16string_view(text).ends_with(typed)) continue;
            const auto before = std::u16string_view(text).substr(0, text.size() - typed.size());
            if (std::all_of(before.begin(), before.end(), IsTypedCharacter)) return true;
        }
    }
    return false;
}

// Whether any setting gives the file the shape of a .qivg file, whatever its password.
bool HasQivgShape(const std::filesystem::path& path, const Prefix& prefix) {
    for (std::int32_t rounds = kMinRounds; rounds <= kMaxRounds; ++rounds) {
        for (std::int32_t inKey = 0; inKey < 16; ++inKey) {
            const DecryptRequest request{path, {}, inKey, rounds};
            if (HasMarker(Opener(request, prefix.source(), {}, true).Run())) return true;
        }
    }
    return false;
}

}  // namespace

OpenedQivg OpenQivg(const DecryptRequest& request, const Progress& progress) {
    OpenedQivg opened;
    opened.request = request;
    opened.result = Guarded(request.source, [&] {
        auto file = std::make_shared<SourceFile>();
        if (Result r = file->Open(request.source); !r.ok()) return r;
        const HeadSource source = FileSource(*file);
        Opener opener(request, source, progress);
        const Outcome outcome = opener.Run();
        opened.storedName = opener.storedName();
        if (opened.storedName && opener.storedNameWhole() && IsSafeFileName(*opened.storedName))
            opened.safeName = opened.storedName;
        opened.payloadOffset = opener.payloadOffset();
        opened.envelopeShift = opener.envelopeShift();
        if (outcome == Outcome::Ok) opened.source = std::move(file);
        return Result{outcome, outcome == Outcome::Ok ? std::filesystem::path() : request.source, {}};
    });
    return opened;
}

FoundSettings FindSettings(const std::filesystem::path& path, std::u16string_view password) {
    FoundSettings found;
    found.result = Guarded(path, [&] {
        SourceFile file;
        if (Result r = file.Open(path); !r.ok()) return r;
        const Prefix prefix(file, password.size());
        for (const QivgSettings& setting : UserSettings()) {
            const DecryptRequest request{path, std::u16string(password), setting.inKey, setting.rounds};
            if (HasMarker(Opener(request, prefix.source(), {}).Run()) &&
                !EndsLongerPassword(prefix.bytes(), setting.rounds, password))
                found.settings.push_back(setting);
        }
        found.qivgShape = !found.settings.empty() || HasQivgShape(path, prefix);
        return Result{};
    });
    return found;
}

Outcome MismatchOutcome(const FoundSettings& found) {
    return found.result.ok() && !found.qivgShape ? Outcome::NotQivg : Outcome::WrongPassword;
}

NameProblem FileNameProblem(const std::u16string& name) {
    const auto space = [](char16_t c) { return c == u' ' || c == u'\u3000'; };
    if (name.empty()) return NameProblem::Empty;
    if (name.find_first_of(u"/\\") != std::u16string::npos) return NameProblem::Separator;
    if (std::any_of(name.begin(), name.end(), IsControlCharacter)) return NameProblem::Control;
    if (ToUtf8(name).size() > 255) return NameProblem::TooLong;
    if (name.front() == u'.') return NameProblem::LeadingDot;
    if (name.front() == u'-') return NameProblem::LeadingDash;
    if (space(name.front()) || space(name.back())) return NameProblem::SpaceAtEnd;
    if (name.back() == u'.') return NameProblem::TrailingDot;
    return NameProblem::None;
}

}  // namespace angoka
