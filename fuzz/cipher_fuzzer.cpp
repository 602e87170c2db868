// The cipher object's decrypting operations on any text, and SaveBin on any text:
// - Hukgs gives L - 2 upper-case digits (nothing under three) and undoes Angs, a character
//   that is not a hex digit counting as 0;
// - PassHukgs never crashes, and gives back what PassAngs wrapped, under a password the
//   envelope can hold ("Error" under any other), with the name as the narrow set keeps it;
// - SaveBin writes nothing for an odd length or a pair that is not hex, and exactly the bytes
//   of good hex text.
//   Input: InKey (4 bytes), two draws (1 byte each), password and name lengths (1 byte each,
//   in characters), then the characters: one byte each, or 0xFF and two bytes (little-endian)
//   for any UTF-16 unit. The text is what follows the password and the name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "BinAngsDL.h"
#include "Envelope.h"
#include "Errors.h"
#include "FakeRunTime.h"
#include "FuzzSupport.h"
#include "HexText.h"
#include "Messages.h"
#include "NarrowCharset.h"
#include "Paths.h"

using namespace angoka;
using namespace angoka::fuzz;

namespace {

std::u16string Characters(Input& in, std::size_t count) {
    std::u16string text;
    while (text.size() < count && !in.Empty()) {
        const std::uint8_t b = in.Byte();
        if (b != 0xFF) {
            text += static_cast<char16_t>(b);
            continue;
        }
        const std::uint8_t low = in.Byte();
        text += static_cast<char16_t>(low | (in.Byte() << 8));
    }
    return text;
}

bool IsUpperHex(const std::u16string& text) {
    for (char16_t c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
    return true;
}

// The text as a round trip gives it back: upper case, every other character a 0.
std::u16string AsDigits(const std::u16string& text) {
    std::u16string digits;
    for (char16_t c : text) {
        const int v = HexValue(c);
        digits += static_cast<char16_t>(kHexDigits[v < 0 ? 0 : v]);
    }
    return digits;
}

void CheckRounds(std::int32_t inKey, double draw1, double draw2, const std::u16string& text) {
    FakeRunTime services;
    services.draws = {draw1, draw2};
    BinAngsDL cipher(services);
    cipher.InKey(inKey);

    std::u16string work = text;
    const std::u16string undone = cipher.Hukgs(work);
    if (text.size() >= 3) {
        Check(undone.size() == text.size() - 2, "Hukgs gives a wrong length");
        Check(work == text.substr(2), "Hukgs leaves its argument other than without two characters");
    } else {
        Check(undone.empty(), "Hukgs on fewer than three characters gives something");
    }
    Check(IsUpperHex(undone), "Hukgs writes a character that is not an upper-case digit");

    work = text;
    std::u16string encrypted = cipher.Angs(work);
    Check(encrypted.size() == text.size() + 2 && IsUpperHex(encrypted), "Angs gives a wrong text");
    Check(cipher.Hukgs(encrypted) == AsDigits(text), "Hukgs does not undo Angs");
}

void CheckEnvelope(std::int32_t inKey, const std::u16string& password, const std::u16string& name,
                   const std::u16string& text) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    cipher.Pass(u"pw");
    std::u16string work = text;
    const std::u16string opened = cipher.PassHukgs(work);  // any text: no crash
    Check(opened == kDecryptionFailedResult || services.messages.empty(), "a payload and a mismatch message");

    const std::u16string payload = AsDigits(text);
    cipher.Pass(password);
    cipher.FileName(name);
    work = payload;
    work = cipher.PassAngs(work);
    cipher.FileName(u"");
    const std::u16string back = cipher.PassHukgs(work);
    if (password.empty() || !IsStorablePassword(password)) {
        Check(back == kDecryptionFailedResult, "a password the envelope cannot hold still matches");
        return;
    }
    // A CR in the name starts another line, which joins the payload: only no crash then.
    if (name.find(u'\r') != std::u16string::npos) return;
    Check(back == payload, "PassHukgs does not give back what PassAngs wrapped");
    Check(cipher.FileName() == FromNarrow(ToNarrow(name)), "the stored name comes back altered");
}

void CheckSaveBin(const std::u16string& text) {
    const fs::path folder = EmptyFolder("save");
    const fs::path file = folder / "out.bin";
    WriteFile(file, "previous");
    FakeRunTime services;
    BinAngsDL cipher(services);
    std::u16string path = TextFromPath(file);
    std::u16string work = text;
    std::size_t firstBad = text.size();
    for (std::size_t i = 0; i < text.size() && firstBad == text.size(); ++i)
        if (HexValue(text[i]) < 0) firstBad = i;
    try {
        cipher.SaveBin(path, work);
        Check(text.size() % 2 == 0 || services.messages.size() == 1, "an odd length without its message");
        Check(text.size() % 2 != 0 || firstBad == text.size(), "a pair that is not hex was written");
    } catch (const BadHexError& error) {
        Check(text.size() % 2 == 0 && error.pairIndex() == firstBad / 2, "a bad pair reported wrongly");
    }
    const std::string written = ReadBytes(file);
    if (text.size() % 2 != 0 || firstBad < text.size()) {
        Check(written == "previous", "a refused text changed the file");
    } else {
        Check(BytesToHex(written) == AsDigits(text), "SaveBin wrote other bytes than the text's");
    }
    Check(TreeIn(folder) == std::set<std::string>{"out.bin"}, "SaveBin left another file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::int32_t inKey = in.Int32();
    const double draw1 = in.Byte() / 256.0;
    const double draw2 = in.Byte() / 256.0;
    const std::size_t passwordLength = in.Byte();
    const std::size_t nameLength = in.Byte();
    const std::u16string password = Characters(in, passwordLength);
    const std::u16string name = Characters(in, nameLength);
    const std::u16string text = Characters(in, SIZE_MAX);
    try {
        CheckRounds(inKey, draw1, draw2, text);
        CheckEnvelope(inKey, password, name, text);
        CheckSaveBin(text);
    } catch (const CharsetError&) {
        Fail("no CP932 converter on this machine");
    }
    return 0;
}
