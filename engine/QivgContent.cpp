// The write step of decryption: the content's digits after the marker, streamed from the file
// the open step kept open, turned into bytes as they pass.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
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

std::size_t FirstNonAscii(std::string_view bytes) {
    const auto it = std::find_if(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return it == bytes.end() ? std::string_view::npos : static_cast<std::size_t>(it - bytes.begin());
}

// Turns the payload's digits (after the marker) into bytes as they stream past. Content is
// judged by characters of the narrow set, as a reader of the whole text would: a bad pair
// stops the output but not the count, since an odd number of characters outranks it. Pure
// ASCII is counted by bytes; from the first other byte on, the converter counts.
class ContentDecoder {
public:
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
    ContentDecoder(Sink out, std::size_t bufferSize) : out_(std::move(out)), buffer_(bufferSize) {}

    void Take(std::string_view digits) {
        const std::size_t skip = std::min(skip_, digits.size());
        skip_ -= skip;
        digits.remove_prefix(skip);
        if (digits.empty()) return;
        if (wide_) {
            wide_->Feed(digits);
            return;
        }
        // A digit left over from the last piece was counted there as one byte; when it is the
        // first byte of a double-byte character, the character goes on in this piece.
        const std::optional<std::uint8_t> carried = bad_ ? std::nullopt : half_;
        if (!bad_) Decode(digits);
        if (bad_ && carried && *carried >= 0x80) {
            --count_;
            wide_ = std::make_unique<NarrowUnitCounter>();
            wide_->Feed(std::string_view(reinterpret_cast<const char*>(&*carried), 1));
            wide_->Feed(digits);
            return;
        }
        if (bad_) {
            if (const std::size_t other = FirstNonAscii(digits); other != std::string_view::npos) {
                count_ += other;
                wide_ = std::make_unique<NarrowUnitCounter>();
                wide_->Feed(digits.substr(other));
                return;
            }
        }
        count_ += digits.size();
    }

    // After the last piece: odd takes precedence over bad.
    Outcome Verdict() {
        const std::uint64_t characters = count_ + (wide_ ? wide_->Finish() : 0);
        if (characters % 2 != 0) return Outcome::OddLength;
        if (bad_) return Outcome::BadHex;
        return Outcome::Ok;
    }

    void Flush() {
        if (!bad_ && used_ > 0) {
            out_(buffer_.data(), used_);
            written_ += used_;
        }
        used_ = 0;
    }
    std::uint64_t written() const { return written_; }

private:
    void Decode(std::string_view digits) {
        const auto* in = reinterpret_cast<const std::uint8_t*>(digits.data());
        std::size_t n = digits.size();
        if (half_) {  // the second digit of a pair split between two pieces
            const std::uint8_t pair[2] = {*half_, in[0]};
            DecodePairs(pair, 1);
            half_.reset();
            ++in;
            --n;
        }
        DecodePairs(in, n / 2);
        if (n % 2 != 0) half_ = in[n - 1];
    }

    void DecodePairs(const std::uint8_t* in, std::size_t pairs) {
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
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    std::size_t skip_ = kFormatMarker.size();
    std::uint64_t count_ = 0;
    std::optional<std::uint8_t> half_;
    bool bad_ = false;
    std::unique_ptr<NarrowUnitCounter> wide_;
};

// Streams the content of an opened file through `decoder`; Ok only when all of it was good
// and the file is still the one that was opened. Throws FileError and CharsetError.
Result DecodeContent(const OpenedQivg& opened, ContentDecoder& decoder, const Progress& progress) {
    const SourceFile& source = *opened.source;
    source.CheckUnchanged();  // the caller may have taken its time since the open step
    EnvelopeReader reader = EnvelopeReader::AtPayload();
    const std::uint64_t total = source.size();
    std::vector<std::uint8_t> chunk(ChunkFor(total - opened.payloadOffset));
    std::uint64_t offset = opened.payloadOffset;
    progress.Report(offset, total);
    while (offset < total) {
        if (progress.Cancelled()) return {Outcome::Cancelled, opened.request.source, {}};
        const std::size_t got = source.ReadAt(offset, chunk.data(), chunk.size());
        ShiftAll(chunk.data(), got, opened.envelopeShift);
        reader.Feed(std::string_view(reinterpret_cast<const char*>(chunk.data()), got),
                    [&decoder](std::string_view piece) { decoder.Take(piece); });
        offset += got;
        progress.Report(offset, total);
    }
    if (progress.Cancelled()) return {Outcome::Cancelled, opened.request.source, {}};
    if (const Outcome verdict = decoder.Verdict(); verdict != Outcome::Ok)
        return {verdict, opened.request.source, {}};
    source.CheckUnchanged();
    decoder.Flush();
    return {};
}

std::size_t DecoderBuffer(const OpenedQivg& opened) {
    return ChunkFor((opened.source->size() - opened.payloadOffset) / 2);
}

// The write step's failures as outcomes.
template <typename Step>
Result Guarded(const std::filesystem::path& source, Step step) {
    try {
        return step();
    } catch (const FileError& error) {
        return IoFailure(error);
    } catch (const CharsetError&) {
        return {Outcome::CharsetUnavailable, source, {}};
    }
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

Result WriteQivg(const OpenedQivg& opened, const std::filesystem::path& output, const Progress& progress,
                 const OutputOptions& options) {
    if (!opened.result.ok()) return opened.result;
    if (Result r = CheckDestination(output); !r.ok()) return r;
    return Guarded(opened.request.source, [&]() -> Result {
        AtomicFile out(output, WithSourceMode(options, *opened.source));
        ContentDecoder decoder([&out](const std::uint8_t* data, std::size_t size) { out.Write(data, size); },
                               DecoderBuffer(opened));
        Result result = DecodeContent(opened, decoder, progress);
        if (result.outcome == Outcome::Cancelled) result.path = output;
        if (result.ok()) out.Commit();
        return result;
    });
}

Result StreamQivg(const OpenedQivg& opened, int fd, const Progress& progress, std::uint64_t* contentBytes) {
    if (contentBytes) *contentBytes = 0;
    if (!opened.result.ok()) return opened.result;
    return Guarded(opened.request.source, [&]() -> Result {
        const std::filesystem::path name = "<output>";
        ContentDecoder decoder(
            [fd, &name](const std::uint8_t* data, std::size_t size) {
                if (fd >= 0) WriteAll(fd, data, size, name);
            },
            DecoderBuffer(opened));
        const Result result = DecodeContent(opened, decoder, progress);
        if (contentBytes) *contentBytes = decoder.written();
        return result;
    });
}

}  // namespace angoka
