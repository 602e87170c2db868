// The write step of decryption: the content after the marker, streamed from the file the open
// step kept open and turned into bytes as it passes (ContentDecoder).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "ContentDecoder.h"
#include "Errors.h"
#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFormat.h"
#include "SourceFile.h"

namespace angoka {
namespace {

// Streams the content of an opened file through `decoder`; Ok only when all of it was good
// and the file is still the one that was opened. Throws FileError and CharsetError.
Result DecodeContent(const OpenedQivg& opened, ContentDecoder& decoder, const Progress& progress) {
    const SourceFile& source = *opened.source;
    source.CheckUnchanged();  // the caller may have taken its time since the open step
    const std::uint64_t total = source.size();
    std::vector<std::uint8_t> chunk(ChunkFor(total - opened.payloadOffset));
    std::uint64_t offset = opened.payloadOffset;
    progress.Report(offset, total);
    while (offset < total) {
        if (progress.Cancelled()) return {Outcome::Cancelled, opened.request.source, {}};
        const std::size_t got = source.ReadAt(offset, chunk.data(), chunk.size());
        decoder.Feed(chunk.data(), got);
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
    return Guarded(opened.request.source, [&]() -> Result {
        AtomicFile out(output, WithSourceMode(options, *opened.source));
        ContentDecoder decoder(
            opened.envelopeShift,
            [&out](const std::uint8_t* data, std::size_t size) { out.Write(data, size); },
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
            opened.envelopeShift,
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
