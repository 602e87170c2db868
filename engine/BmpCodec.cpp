#include "BmpCodec.h"

#include <vector>

#include "Errors.h"
#include "HexText.h"
#include "SourceFile.h"
#include "Transfer.h"

namespace angoka {

// The 118 bytes, 40 to a line.
const char16_t kBmpHeaderHex[] =
    u"424D7658020000000000760000002800000080020000E0010000010004000000000000580200CE0E"
    u"0000C40E0000000000000000000000000000FFFFFF005B001D00F9BF2C0000001100000004000000"
    u"00000000000000000000000000000000A000AA7F000000009C005B0058005B00B800A87F0000";

const std::array<std::uint8_t, kBmpHeaderSize>& BmpHeader() {
    static const auto header = [] {
        static_assert(sizeof(kBmpHeaderHex) / sizeof(char16_t) == 2 * kBmpHeaderSize + 1);
        std::string bytes;
        HexToBytes(kBmpHeaderHex, bytes);
        std::array<std::uint8_t, kBmpHeaderSize> array{};
        std::copy(bytes.begin(), bytes.end(), array.begin());
        return array;
    }();
    return header;
}

namespace {

// Opens the source; one shorter than `offset` is refused with `shorter`.
Result OpenAtLeast(SourceFile& in, const std::filesystem::path& source, std::uint64_t offset,
                   Outcome shorter) {
    if (Result r = in.Open(source); !r.ok()) return r;
    if (in.size() < offset) return {shorter, source, {}};
    return {};
}

// Every chunk as it is.
class Copy : public Conversion {
public:
    void Chunk(const std::uint8_t* data, std::size_t size, Sink& out) override { out.Write(data, size); }
};

// Copies the source from `offset` to the end after `prefix`, chunk by chunk, into a new file
// that replaces the destination only when complete.
Result CopyAfter(const std::filesystem::path& source, const std::filesystem::path& destination,
                 std::uint64_t offset, std::string_view prefix, Outcome shorter, const Progress& progress,
                 const WriteOptions& output) {
    return Guarded(source, [&] {
        SourceFile in;
        if (Result r = OpenAtLeast(in, source, offset, shorter); !r.ok()) return r;
        FileSink out(destination, WithSourceMode(output, in));
        out.Write(prefix.data(), prefix.size());
        Copy copy;
        return Transfer(in, offset, copy, out, progress, destination);
    });
}

}  // namespace

Result WrapBmp(const std::filesystem::path& source, const std::filesystem::path& destination,
               const Progress& progress, const WriteOptions& output) {
    const auto& header = BmpHeader();
    return CopyAfter(source, destination, 0,
                     std::string_view(reinterpret_cast<const char*>(header.data()), header.size()),
                     Outcome::Ok, progress, output);
}

Result ExtractBmp(const std::filesystem::path& source, const std::filesystem::path& destination,
                  const Progress& progress, const WriteOptions& output) {
    return CopyAfter(source, destination, kBmpHeaderSize, {}, Outcome::BmpTooShort, progress, output);
}

Result CheckBmpToExtract(const std::filesystem::path& source) {
    SourceFile in;
    return OpenAtLeast(in, source, kBmpHeaderSize, Outcome::BmpTooShort);
}

bool BeginsWithBmpHeader(const std::filesystem::path& source) {
    try {
        SourceFile in;
        if (!in.Open(source).ok() || in.size() < kBmpHeaderSize) return false;
        std::array<std::uint8_t, kBmpHeaderSize> head{};
        in.ReadAt(0, head.data(), head.size());
        return head == BmpHeader();
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace angoka
