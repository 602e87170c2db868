// Content is judged by characters of the narrow character set, as a reader of the whole
// decrypted text does: both roads give the same outcome for content that no encryptor writes.
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

constexpr std::int32_t kKey = 4;
constexpr int kRounds = 3;

// What the cipher object makes of the file: the outcome of writing its content.
Outcome HexRoadOutcome(const fs::path& qivg) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    cipher.InKey(kKey);
    std::u16string text = TextFromPath(qivg);
    std::u16string work = cipher.OpenBin(text);
    for (int i = 0; i < kRounds; ++i) work = cipher.Hukgs(work);
    cipher.Pass(u"pw");
    work = cipher.PassHukgs(work);
    if (work.substr(0, 16) != kMarker) return Outcome::NotQivg;
    std::string bytes;
    switch (HexToBytes(std::u16string_view(work).substr(16), bytes).status) {
        case HexDecodeResult::Status::Ok:
            return Outcome::Ok;
        case HexDecodeResult::Status::OddLength:
            return Outcome::OddLength;
        case HexDecodeResult::Status::BadPair:
            return Outcome::BadHex;
    }
    return Outcome::IoError;
}

TEST(QivgContent, IsJudgedByCharactersOnBothRoads) {
    // A double-byte character that begins the second chunk of the payload (which starts with
    // the LF of the name line's end, then the marker).
    const std::string split = std::string(kChunkSize - 17, 'A') +
                              "\x82\xa0"
                              "1";
    // The same, where the lead byte is the last byte of the first chunk and begins a pair.
    const std::string leadEndsChunk = std::string(kChunkSize - 18, 'A') +
                                      "\x82\xa0"
                                      "1";
    struct Case {
        const char* label;
        std::string content;  // after the marker
        Outcome expected;
    };
    const Case cases[] = {
        {"double-byte then a digit",
         "\x82\xa0"
         "1",
         Outcome::BadHex},  // 2 characters, 3 bytes
        {"a digit then double-byte", "1\x82\xa0", Outcome::BadHex},
        {"double-byte then two digits",
         "\x82\xa0"
         "12",
         Outcome::OddLength},  // 3 characters, 4 bytes
        {"one double-byte character", "\x82\xa0", Outcome::OddLength},
        {"half-width kana and a digit",
         "\xb1"
         "1",
         Outcome::BadHex},
        {"a lead byte without its trail", "12\x82", Outcome::OddLength},
        {"a lead byte and a bad trail", "\x82 ", Outcome::BadHex},
        {"split across chunks", split, Outcome::OddLength},
        // A lead byte that ends a piece where it begins a pair: its character goes on in the
        // next piece, after a line end or across a chunk boundary.
        {"double-byte split by a line end",
         "0a\x89\r\n"
         "F",
         Outcome::OddLength},  // 3 characters, 4 bytes
        {"lead byte at the end of a chunk", leadEndsChunk, Outcome::BadHex},
        {"bad ASCII before double-byte", "G0\x82\xa0", Outcome::OddLength},  // 3 characters, 4 bytes
        {"good digits", "0A1b", Outcome::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchFolder folder;
        const fs::path qivg = folder / "c.qivg";
        WriteFile(qivg, CraftQivg("pw\r\nc\r\nCFEC2EC5CF3FADE6" + c.content + "\r\n", kKey, kRounds));
        const OpenedQivg opened = OpenQivg({qivg, u"pw", kKey, kRounds});
        ASSERT_EQ(opened.result.outcome, Outcome::Ok);
        std::uint64_t ignored = 0;
        EXPECT_EQ(StreamQivg(opened, -1, {}, &ignored).outcome, c.expected);
        EXPECT_EQ(HexRoadOutcome(qivg), c.expected);
    }
}

}  // namespace
}  // namespace angoka
