// The write step of decryption: the content after the marker, streamed from the file the open
// step kept open and turned into bytes as it passes (ContentDecoder).
#include "ContentDecoder.h"
#include "QivgCodec.h"
#include "SourceFile.h"
#include "Transfer.h"

namespace angoka {
namespace {

// The payload's raw bytes into the content's bytes, written as the decoder's buffer fills.
class DecryptConversion : public Conversion {
public:
    DecryptConversion(const OpenedQivg& opened, Sink& out)
        : decoder_(
              opened.envelopeShift,
              [&out](const std::uint8_t* data, std::size_t size) { out.Write(data, size); },
              ChunkFor((opened.source->size() - opened.payloadOffset) / 2)) {}

    void Chunk(const std::uint8_t* data, std::size_t size, Sink&) override { decoder_.Feed(data, size); }
    Outcome Verdict() override { return decoder_.Verdict(); }
    void Finish(Sink&) override { decoder_.Flush(); }
    std::uint64_t written() const { return decoder_.written(); }

private:
    ContentDecoder decoder_;
};

// Ok only when all of the content was good and the file is still the one that was opened.
Result DecodeContent(const OpenedQivg& opened, DecryptConversion& conversion, Sink& out,
                     const Progress& progress, const std::filesystem::path& cancelled) {
    opened.source->CheckUnchanged();  // the caller may have taken its time since the open step
    return Transfer(*opened.source, opened.payloadOffset, conversion, out, progress, cancelled);
}

}  // namespace

Result WriteQivg(const OpenedQivg& opened, const std::filesystem::path& output, const Progress& progress,
                 const WriteOptions& options) {
    if (!opened.result.ok()) return opened.result;
    return Guarded(opened.request.source, [&] {
        FileSink out(output, WithSourceMode(options, *opened.source));
        DecryptConversion conversion(opened, out);
        return DecodeContent(opened, conversion, out, progress, output);
    });
}

Result StreamQivg(const OpenedQivg& opened, int fd, const Progress& progress, std::uint64_t* contentBytes,
                  const std::filesystem::path& fdName) {
    if (contentBytes) *contentBytes = 0;
    if (!opened.result.ok()) return opened.result;
    return Guarded(opened.request.source, [&] {
        DescriptorSink out(fd, fdName);
        DecryptConversion conversion(opened, out);
        const Result result = DecodeContent(opened, conversion, out, progress, opened.request.source);
        if (contentBytes) *contentBytes = conversion.written();
        return result;
    });
}

}  // namespace angoka
