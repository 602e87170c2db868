#pragma once
// The one loop every streaming file operation runs, in the order that is its safety contract:
// for each chunk, the cancel check, the read, the chunk turned and written, the report; after
// the last, the cancel check again, the verdict on the whole content, the check that the source
// is still the file that was opened, the last bytes, the commit. A road (encryption,
// decryption, wrapping, extraction) says only what goes in front and how a chunk is turned.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "AtomicFile.h"
#include "CodecTypes.h"
#include "NarrowCharset.h"
#include "SourceFile.h"

namespace angoka {

// Where a transfer's bytes go.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void Write(const void* data, std::size_t size) = 0;  // throws FileError
    // The transfer is complete and good: a new file takes its place. A stream has nothing to do.
    virtual void Commit() {}
};

// A new file that replaces the destination only when the transfer commits (the output policy).
class FileSink : public Sink {
public:
    FileSink(const std::filesystem::path& destination, const WriteOptions& options)
        : file_(destination, options) {}
    void Write(const void* data, std::size_t size) override { file_.Write(data, size); }
    void Commit() override { file_.Commit(); }

private:
    AtomicFile file_;
};

// An open descriptor (standard output), named `name` in messages; a negative one takes the bytes
// and drops them (a check that writes nothing). Nothing is atomic here.
class DescriptorSink : public Sink {
public:
    DescriptorSink(int fd, std::filesystem::path name) : fd_(fd), name_(std::move(name)) {}
    void Write(const void* data, std::size_t size) override;

private:
    int fd_;
    std::filesystem::path name_;
};

// How a road turns the source's chunks into output.
class Conversion {
public:
    virtual ~Conversion() = default;
    // Turns the next chunk of the source and writes what it gives. Throws FileError and
    // CharsetError.
    virtual void Chunk(const std::uint8_t* data, std::size_t size, Sink& out) = 0;
    // After the last chunk: Ok, or what is wrong with the content as a whole.
    virtual Outcome Verdict() { return Outcome::Ok; }
    // The last bytes, written once the source is known to be unchanged.
    virtual void Finish(Sink&) {}
};

// Streams `source` from `from` to its end through `conversion` into `out`, in chunks of at most
// kChunkSize, and commits `out` when all went well. Outcomes: Ok, Cancelled (with `cancelled`
// as its path) and the conversion's verdict (with the source's path); the source changing
// under it throws FileError (Errc::SourceChanged), as do failed reads and writes.
Result Transfer(const SourceFile& source, std::uint64_t from, Conversion& conversion, Sink& out,
                const Progress& progress, const std::filesystem::path& cancelled);

// Runs `step`, with the engine's own exceptions as outcomes: a failed file operation through
// IoFailure, a missing character set converter as CharsetUnavailable for `path`.
template <typename Step>
Result Guarded(const std::filesystem::path& path, Step step) {
    try {
        return step();
    } catch (const FileError& error) {
        return IoFailure(error);
    } catch (const CharsetError&) {
        return {Outcome::CharsetUnavailable, path, {}};
    }
}

}  // namespace angoka
