// Any bytes as a file to take out of its BMP disguise, and to put into one:
// - extraction refuses fewer than 118 bytes and then leaves the output as it was; otherwise
//   the output is every byte after the first 118;
// - wrapping puts the fixed header in front of every byte, and extracting that gives the
//   bytes back;
// - nothing but the chosen output is written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BmpCodec.h"
#include "FuzzSupport.h"

using namespace angoka;
using namespace angoka::fuzz;

namespace {

const WriteOptions kReplace{.replace = true, .durable = false};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path folder = EmptyFolder("bmp");
    const fs::path source = folder / "in.bmp";
    const fs::path output = folder / "out.bin";
    WriteFile(source, bytes);
    WriteFile(output, "previous");

    const Result extracted = ExtractBmp(source, output, {}, kReplace);
    if (size < kBmpHeaderSize) {
        Check(extracted.outcome == Outcome::BmpTooShort, "a short file is not refused");
        Check(ReadBytes(output) == "previous", "a refused extraction changed the output");
    } else {
        Check(extracted.ok(), "an extraction failed");
        Check(ReadBytes(output) == bytes.substr(kBmpHeaderSize), "extraction wrote other bytes");
    }

    const fs::path wrapped = folder / "wrapped.bmp";
    Check(WrapBmp(source, wrapped, {}, kReplace).ok(), "a wrap failed");
    const std::string header(BmpHeader().begin(), BmpHeader().end());
    Check(ReadBytes(wrapped) == header + bytes, "the wrap is not the header and the bytes");
    Check(ExtractBmp(wrapped, output, {}, kReplace).ok() && ReadBytes(output) == bytes,
          "extracting a wrap does not give the bytes back");
    Check(TreeIn(folder) == std::set<std::string>{"in.bmp", "out.bin", "wrapped.bmp"}, "a stray file");
    return 0;
}
