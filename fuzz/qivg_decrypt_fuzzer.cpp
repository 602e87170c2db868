// Any bytes as a .qivg file, under any InKey, n and password taken from the input's first
// bytes (see DecryptInput.h), through the open and write steps of the streaming codec, and
// through the hex-text road of the cipher object (Hukgs n times, PassHukgs, the marker,
// SaveBin) as the reference:
// - nothing but the one chosen output is ever written, and it keeps its old bytes unless the
//   outcome is Ok;
// - an Ok write holds exactly what the hex-text road writes, and the two roads agree on odd
//   length and bad pairs and on the stored name;
// - checking the content without writing it gives the same outcome and byte count.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "BinAngsDL.h"
#include "DecryptInput.h"
#include "Envelope.h"
#include "Errors.h"
#include "FakeRunTime.h"
#include "FuzzSupport.h"
#include "Messages.h"
#include "NarrowCharset.h"
#include "Paths.h"
#include "QivgCodec.h"

using namespace angoka;
using namespace angoka::fuzz;

namespace {

constexpr std::string_view kPrevious = "previous bytes";

// What the hex-text road made of the file.
struct HexRoad {
    std::u16string storedName;
    bool marker = false;     // the password matched and the payload begins with the marker
    bool oddLength = false;  // SaveBin refused an odd count
    bool badPair = false;    // SaveBin refused a pair that is not hex
    std::optional<std::string> written;
};

HexRoad RunHexRoad(const fs::path& source, const DecryptInput& input, const std::u16string& password,
                   const fs::path& output) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(input.inKey);
    cipher.FileName(u"");
    std::u16string path = TextFromPath(source);
    std::u16string work = cipher.OpenBin(path);
    // Past the file's length every round gives the empty text: no need to run them all.
    for (std::int32_t i = 0; i < input.rounds && !work.empty(); ++i) work = cipher.Hukgs(work);
    cipher.Pass(password);
    work = cipher.PassHukgs(work);

    HexRoad road;
    road.storedName = cipher.FileName();
    const std::u16string marker(kFormatMarker.begin(), kFormatMarker.end());
    if (work == kDecryptionFailedResult || work.compare(0, marker.size(), marker) != 0) return road;
    road.marker = true;
    std::u16string content = work.substr(marker.size());
    std::u16string outputText = TextFromPath(output);
    const std::size_t messages = services.messages.size();
    try {
        cipher.SaveBin(outputText, content);
    } catch (const BadHexError&) {
        road.badPair = true;
    }
    road.oddLength = services.messages.size() > messages;
    if (!road.badPair && !road.oddLength) road.written = ReadBytes(output);
    return road;
}

void CheckNoStrayFiles() {
    for (const std::string& name : TreeIn(Scratch())) {
        Check(name == "in.qivg" || name == "out" || name == "out/out.bin" || name == "hex" ||
                  name == "hex/hex.bin",
              "a stray file in the scratch folder");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DecryptInput input = DecryptInput::Parse(data, size);
    std::u16string password;
    try {
        password = FromNarrow(input.password);
    } catch (const CharsetError&) {
        Fail("no CP932 converter on this machine");
    }
    const fs::path source = Scratch() / "in.qivg";
    WriteFile(source, input.file);
    const fs::path outFolder = EmptyFolder("out");
    const fs::path output = outFolder / "out.bin";
    WriteFile(output, kPrevious);

    const OpenedQivg opened = OpenQivg({source, password, input.inKey, input.rounds});
    if (opened.safeName) {
        Check(opened.storedName == opened.safeName, "the safe name is not the stored name");
        Check(IsSafeFileName(*opened.safeName), "an unsafe name is offered");
    }
    const Result written = WriteQivg(opened, output, {}, {.replace = true, .durable = false});
    Check(written.outcome != Outcome::IoError, "an I/O error on a scratch file");
    Check(TreeIn(outFolder) == std::set<std::string>{"out.bin"}, "a file other than the output was left");
    const std::string result = ReadBytes(output);
    if (!written.ok()) Check(result == kPrevious, "a failed write changed the output");

    std::uint64_t counted = 0;
    const Result checked = StreamQivg(opened, -1, {}, &counted);
    Check(checked.outcome == written.outcome, "checking and writing disagree");
    if (written.ok()) Check(counted == result.size(), "the checked byte count differs from the file");

    // The hex-text road is slow (every round is a pass over the whole text): it runs when the
    // file got past the password, or has a name to compare.
    const bool refusedEarly =
        written.outcome == Outcome::TooShort || written.outcome == Outcome::WrongPassword;
    if (refusedEarly && !opened.storedName) {
        CheckNoStrayFiles();
        return 0;
    }
    const fs::path hexFolder = EmptyFolder("hex");
    const HexRoad road = RunHexRoad(source, input, password, hexFolder / "hex.bin");
    if (opened.storedName) Check(*opened.storedName == road.storedName, "the roads read different names");
    switch (written.outcome) {
        case Outcome::Ok:
            Check(road.written == result, "the roads wrote different bytes");
            break;
        case Outcome::OddLength:
            Check(road.oddLength, "odd on the streaming road only");
            break;
        case Outcome::BadHex:
            Check(road.badPair, "a bad pair on the streaming road only");
            break;
        case Outcome::NotQivg:
            // The hex-text road has no limit on the name line; the streaming road stops at it.
            if (road.marker) Check(!opened.storedName, "the marker is seen on the hex-text road only");
            break;
        case Outcome::Truncated:  // the hex-text road does not look for the last line end
            break;
        default:
            Check(!road.marker, "the hex-text road decrypts what the streaming road refuses");
    }
    CheckNoStrayFiles();
    return 0;
}
