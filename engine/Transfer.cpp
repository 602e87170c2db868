#include "Transfer.h"

#include <cerrno>
#include <vector>

#include "Errors.h"
#include "SystemIo.h"

namespace angoka {

void DescriptorSink::Write(const void* data, std::size_t size) {
    if (fd_ >= 0 && !WriteAll(fd_, data, size)) throw FileError(name_, "write", SystemError(errno));
}

Result Transfer(const SourceFile& source, std::uint64_t from, Conversion& conversion, Sink& out,
                const Progress& progress, const std::filesystem::path& cancelled) {
    const std::uint64_t total = source.size();
    std::vector<std::uint8_t> chunk(ChunkFor(total - from));
    progress.Report(from, total);
    for (std::uint64_t done = from; done < total;) {
        if (progress.Cancelled()) return {Outcome::Cancelled, cancelled, {}};
        const std::size_t got = source.ReadAt(done, chunk.data(), chunk.size());
        conversion.Chunk(chunk.data(), got, out);
        done += got;
        progress.Report(done, total);
    }
    if (progress.Cancelled()) return {Outcome::Cancelled, cancelled, {}};
    if (const Outcome verdict = conversion.Verdict(); verdict != Outcome::Ok)
        return {verdict, source.path(), {}};
    source.CheckUnchanged();
    conversion.Finish(out);
    out.Commit();
    return {};
}

}  // namespace angoka
