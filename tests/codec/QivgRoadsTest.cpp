// The streaming codec against the hex-text road: with the same round keys both write the same
// bytes, and each decrypts what the other wrote.
#include <climits>

#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

struct RoadCase {
    const char* label;
    std::size_t sourceSize;
    std::int32_t inKey;
    int n;
    std::u16string password;
    std::u16string baseName;
};

void PrintTo(const RoadCase& c, std::ostream* os) {
    *os << c.label;
}

// The source size whose encrypted file is `fileSize` bytes (or one byte less, by parity).
std::size_t SourceSizeForFile(std::size_t fileSize, const std::u16string& password,
                              const std::u16string& name, int n) {
    return (fileSize - ToNarrow(password).size() - ToNarrow(name).size() - n - 25) / 2;
}

const std::vector<RoadCase>& RoadCases() {
    static const std::vector<RoadCase> cases = {
        {"empty", 0, 0, 1, u"password", u"empty.bin"},
        {"one_byte", 1, -10, 30, u"pw", u"one.bin"},
        {"three_bytes", 3, 10, 1, u"abcd", u"a.txt"},
        {"few_kib_japanese", 5003, 7, 30, u"暗号", u"例え.txt"},
        {"four_kib_no_name", 4096, -3, 2, u"x", u""},
        {"chunk_minus_one", kChunkSize - 1, INT32_MIN, 1, u"password", u"big.bin"},
        {"chunk", kChunkSize, 37, 2, u"password", u"big.bin"},
        {"chunk_plus_one", kChunkSize + 1, INT32_MAX, 1, u"password", u"big.bin"},
        {"file_of_one_chunk_n1", SourceSizeForFile(kChunkSize, u"pw", u"f.bin", 1), -10, 1, u"pw", u"f.bin"},
        {"file_of_one_chunk_n2", SourceSizeForFile(kChunkSize, u"pw", u"f.bin", 2), 10, 2, u"pw", u"f.bin"},
        {"file_of_two_chunks", SourceSizeForFile(2 * kChunkSize + 1, u"pw", u"f.bin", 2), -1, 2, u"pw",
         u"f.bin"},
    };
    return cases;
}

class QivgRoads : public ::testing::TestWithParam<RoadCase> {};

TEST_P(QivgRoads, SameBytesAndEachDecryptsTheOther) {
    const RoadCase& c = GetParam();
    ScratchFolder folder;
    const fs::path source = folder / "source.dat";
    const std::string plain = RandomBytes(c.sourceSize, static_cast<std::uint32_t>(c.sourceSize + 3));
    WriteFile(source, plain);
    const auto draws = DrawScript(c.n + 3, static_cast<std::uint32_t>(c.n * 31 + c.sourceSize));

    const fs::path byHexRoad = folder / "hex.qivg";
    HexRoadEncrypt(source, byHexRoad, c.password, c.baseName, c.inKey, c.n, draws);

    const fs::path byCodec = folder / "codec.qivg";
    const Result encrypted =
        EncryptFile({source, byCodec, c.password, c.baseName, c.inKey, KeysFromScript(draws, c.n + 3)});
    ASSERT_EQ(encrypted.outcome, Outcome::Ok) << encrypted.reason();

    const std::string expected = ReadFile(byHexRoad);
    const std::string actual = ReadFile(byCodec);
    ASSERT_EQ(actual.size(),
              ToNarrow(c.password).size() + ToNarrow(c.baseName).size() + 2 * c.sourceSize + c.n + 25);
    if (actual != expected) {
        std::size_t at = 0;
        while (at < expected.size() && actual[at] == expected[at]) ++at;
        FAIL() << "files differ first at byte " << at << " of " << actual.size();
    }

    // The hex-text road reads what the codec wrote ...
    const HexRoadDecrypted back = HexRoadDecrypt(byCodec, c.password, c.inKey, c.n);
    ASSERT_TRUE(back.content.has_value());
    EXPECT_TRUE(*back.content == plain);
    EXPECT_EQ(back.storedName, c.baseName);

    // ... and the codec reads what the hex-text road wrote.
    const OpenedQivg opened = OpenQivg({byHexRoad, c.password, c.inKey, c.n});
    ASSERT_EQ(opened.result.outcome, Outcome::Ok) << opened.result.reason();
    ASSERT_TRUE(opened.storedName.has_value());
    EXPECT_EQ(*opened.storedName, c.baseName);
    const fs::path restored = folder / "restored.dat";
    ASSERT_EQ(WriteQivg(opened, restored).outcome, Outcome::Ok);
    EXPECT_TRUE(ReadFile(restored) == plain);
}

INSTANTIATE_TEST_SUITE_P(Cases, QivgRoads, ::testing::ValuesIn(RoadCases()),
                         [](const ::testing::TestParamInfo<RoadCase>& info) { return info.param.label; });

}  // namespace
}  // namespace angoka
