// Writes the seed corpora of the fuzz targets, made with the engine itself, so that the
// fuzzers start from inputs that reach their deepest steps: .qivg files that open and are
// written under the very settings the decrypt target reads from the input, files that fail
// at each later check, envelopes, hex texts and BMP files.
//   make_seeds FOLDER   writes FOLDER/<target>/<seed> for every target
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BinAngsDL.h"
#include "BmpCodec.h"
#include "DecryptInput.h"
#include "Envelope.h"
#include "FakeRunTime.h"
#include "FuzzSupport.h"
#include "HexText.h"
#include "NarrowCharset.h"

using namespace angoka;
using namespace angoka::fuzz;

namespace {

// Random-looking bytes of every value, the same on every run.
std::string Bytes(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string Hex(const std::string& bytes) {
    const std::u16string text = BytesToHex(bytes);
    return std::string(text.begin(), text.end());
}

// The envelope's bytes after its three rounds and n more, as the encryptor lays them out.
std::string Rounds(const std::string& envelope, std::int32_t inKey, std::int32_t n, std::uint32_t seed) {
    FakeRunTime services;
    for (std::int32_t i = 0; i < 2 * (n + 3); ++i) services.draws.push_back(((seed + 7u * i) % 97) / 97.0);
    BinAngsDL cipher(services);
    cipher.InKey(inKey);
    std::u16string work = BytesToHex(envelope);
    for (std::int32_t i = 0; i < n + 3; ++i) work = cipher.Angs(work);
    std::string bytes;
    HexToBytes(work, bytes);
    return bytes;
}

class Seeds {
public:
    Seeds(const fs::path& root, const char* target) : folder_(root / target) {
        fs::create_directories(folder_);
    }
    void Add(const std::string& name, const std::string& bytes) { WriteFile(folder_ / name, bytes); }

private:
    fs::path folder_;
};

constexpr char kMarker[] = "CFEC2EC5CF3FADE6";

void DecryptSeeds(const fs::path& root) {
    Seeds seeds(root, "qivg_decrypt");
    struct Setting {
        std::int32_t inKey, n;
    };
    const Setting settings[] = {{0, 1}, {-10, 30}, {10, 1}, {3, 2}, {-7, 5}};
    const std::string pw = "pw", japanesePw = ToNarrow(u"暗号");
    const std::string name = "a.txt", japaneseName = ToNarrow(u"例え.txt");
    struct File {
        const char* label;
        std::string password, envelope;
    };
    const std::string content = Hex(Bytes(300, 1));
    const std::vector<File> files = {
        {"ok", pw, BuildEnvelope(pw, name, kMarker + content)},
        {"ok-empty", pw, BuildEnvelope(pw, "", kMarker)},
        {"ok-japanese", japanesePw,
         BuildEnvelope(japanesePw, japaneseName, kMarker + Hex(std::string("\r\n\x00\xff", 4)))},
        {"ok-lower-case-split-lines", pw, "pw\r\n../x\r\n" + std::string(kMarker) + "0a\r\r\nFf\n\r"},
        {"odd", pw, BuildEnvelope(pw, name, kMarker + content + "A")},
        {"bad-pair", pw, BuildEnvelope(pw, name, kMarker + std::string("G0") + content)},
        {"double-byte-content", pw, BuildEnvelope(pw, name, kMarker + ToNarrow(u"あ12"))},
        {"lone-lf-end", pw, "pw\r\nn\r\n" + std::string(kMarker) + content + "\n"},
        {"no-line-end", pw, "pw\r\nn\r\n" + std::string(kMarker) + content},
        {"error-payload", pw, BuildEnvelope(pw, name, "Error")},
        {"no-marker", pw, BuildEnvelope(pw, name, content)},
        {"one-line", pw, "pw\r\n" + content},
        // The marker past the open step's first read.
        {"long-name", pw, BuildEnvelope(pw, std::string(5000, 'n'), kMarker + content)},
    };
    std::uint32_t seed = 1;
    for (const Setting& s : settings) {
        for (const File& f : files) {
            const DecryptInput input{s.inKey, s.n, f.password, Rounds(f.envelope, s.inKey, s.n, seed++)};
            seeds.Add(std::string(f.label) + "_" + std::to_string(s.inKey) + "_" + std::to_string(s.n),
                      input.Serialize());
        }
    }
}

void EnvelopeSeeds(const fs::path& root) {
    Seeds seeds(root, "envelope");
    const std::string pieces = std::string("\x00\x03\x01\x07\x40", 5);  // no limit; pieces of 1, 7, 64
    const std::string limited = std::string("\x04\x02\x02\x05", 4);     // 4-byte lines; pieces of 2, 5
    seeds.Add("plain", pieces + BuildEnvelope("pw", "a.txt", kMarker + Hex("abc")));
    seeds.Add("limited", limited + BuildEnvelope("password", "name.txt", "payload"));
    seeds.Add("line-ends", pieces + "pw\r\r\nname\n\r\npay\rload\r\n\nmore\r");
    seeds.Add("one-line", pieces + "pw\r\nno end");
    seeds.Add("cr-at-piece-edge", std::string("\x00\x01\x03", 3) + "ab\r\ncd\r\nef\r\n");
}

void CipherSeeds(const fs::path& root) {
    Seeds seeds(root, "cipher");
    // Characters as the target reads them: a byte each, 0xFF and two bytes for the others.
    const auto count = [](const std::string& characters) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < characters.size(); i += characters[i] == '\xff' ? 3 : 1) ++n;
        return static_cast<char>(n);
    };
    // InKey, two draws, password and name lengths, then the characters.
    const auto input = [&count](std::int32_t inKey, const std::string& pw, const std::string& name,
                                const std::string& text) {
        std::string out;
        PutInt32(out, inKey);
        out += "\x10\xF0";
        out += count(pw);
        out += count(name);
        return out + pw + name + text;
    };
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(-10);
    cipher.Pass(u"pw");
    cipher.FileName(u"a.txt");
    std::u16string work = u"CFEC2EC5CF3FADE60A0B";
    const std::u16string wrapped = cipher.PassAngs(work);
    seeds.Add("envelope", input(-10, "pw", "a.txt", std::string(wrapped.begin(), wrapped.end())));
    seeds.Add("hex", input(0, "pw", "a.txt", "000F10FF"));
    seeds.Add("lower-hex", input(10, "pw", "b", "0a0b0c0d"));
    seeds.Add("odd", input(3, "pw", "", "ABC"));
    seeds.Add("bad-pair", input(3, "\xff\x42\x30", "\xff\x8b\x4f.txt", "00ZZ"));  // あ, 例.txt
    seeds.Add("line-ends", input(-3, "p\rw", "n\nm", "0D0A\r\n"));
}

void BmpSeeds(const fs::path& root) {
    Seeds seeds(root, "bmp_extract");
    const std::string header(BmpHeader().begin(), BmpHeader().end());
    seeds.Add("short", header.substr(0, 117));
    seeds.Add("header-only", header);
    seeds.Add("one-byte", header + "x");
    seeds.Add("data", header + Bytes(200, 2));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const fs::path root = argv[1];
    DecryptSeeds(root);
    EnvelopeSeeds(root);
    CipherSeeds(root);
    BmpSeeds(root);
    return 0;
}
