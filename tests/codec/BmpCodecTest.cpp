// The BMP disguise: the fixed header, wrap and extract at the sizes that matter, the dotted
// stem that names their outputs, and a wrap taken back out.
#include "BmpCodec.h"
#include "FormatRules.h"
#include "QivgFiles.h"
#include "Utf.h"

namespace angoka {
namespace {

using namespace angoka::testing;

constexpr char kHeader[] =
    "424D7658020000000000760000002800000080020000E0010000010004000000000000580200CE0E0000C40E0000000000000000"
    "000000"
    "000000FFFFFF005B001D00F9BF2C000000110000000400000000000000000000000000000000000000A000AA7F000000009C005B"
    "0058005B"
    "00B800A87F0000";

std::string HeaderBytes() {
    const auto& header = BmpHeader();
    return std::string(header.begin(), header.end());
}

TEST(BmpCodec, HeaderIsTheFixedBitmapHeader) {
    static_assert(sizeof kHeader - 1 == 2 * kBmpHeaderSize);
    EXPECT_EQ(std::u16string(kBmpHeaderHex), std::u16string(kHeader, kHeader + sizeof kHeader - 1));
    EXPECT_EQ(HexOf(HeaderBytes()), kHeader);
}

TEST(BmpCodec, WrapPutsTheHeaderInFrontOfEveryByte) {
    for (const std::size_t size : {0, 1, 118, 4099}) {
        SCOPED_TRACE(size);
        ScratchFolder folder;
        const std::string plain = RandomBytes(size, static_cast<std::uint32_t>(size));
        WriteFile(folder / "photo.jpg", plain);
        ASSERT_EQ(WrapBmp(folder / "photo.jpg", folder / "photo.bmp").outcome, Outcome::Ok);
        EXPECT_TRUE(ReadFile(folder / "photo.bmp") == HeaderBytes() + plain);
        EXPECT_TRUE(ReadFile(folder / "photo.jpg") == plain);
    }
}

TEST(BmpCodec, ExtractDropsTheFirst118BytesWhateverTheyAre) {
    struct Case {
        std::size_t size;
        Outcome expected;
    };
    const Case cases[] = {{0, Outcome::BmpTooShort}, {1, Outcome::BmpTooShort}, {117, Outcome::BmpTooShort},
                          {118, Outcome::Ok},        {119, Outcome::Ok},        {5000, Outcome::Ok}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ScratchFolder folder;
        // Not the header: extraction never looks at what it drops.
        const std::string source = RandomBytes(c.size, static_cast<std::uint32_t>(c.size) + 9);
        WriteFile(folder / "in.bmp", source);
        WriteFile(folder / "out.jpg", "previous");
        EXPECT_EQ(ExtractBmp(folder / "in.bmp", folder / "out.jpg", {}, {.replace = true}).outcome,
                  c.expected);
        EXPECT_EQ(ReadFile(folder / "out.jpg"), c.expected == Outcome::Ok ? source.substr(118) : "previous");
        EXPECT_EQ(folder.Names(), (std::set<std::string>{"in.bmp", "out.jpg"}));
    }
}

// A private file stays private once wrapped or extracted, unless the caller chose the bits.
TEST(BmpCodec, ANewOutputTakesTheSourcesPermissionBits) {
    ScratchFolder folder;
    WriteFile(folder / "photo.jpg", RandomBytes(300));
    fs::permissions(folder / "photo.jpg", fs::perms(0600));
    ASSERT_EQ(WrapBmp(folder / "photo.jpg", folder / "photo.bmp").outcome, Outcome::Ok);
    EXPECT_EQ(fs::status(folder / "photo.bmp").permissions(), fs::perms(0600));

    fs::permissions(folder / "photo.bmp", fs::perms(0640));
    ASSERT_EQ(ExtractBmp(folder / "photo.bmp", folder / "back.jpg").outcome, Outcome::Ok);
    EXPECT_EQ(fs::status(folder / "back.jpg").permissions(), fs::perms(0640));

    ASSERT_EQ(ExtractBmp(folder / "photo.bmp", folder / "chosen.jpg", {}, {.newFileMode = 0604}).outcome,
              Outcome::Ok);
    EXPECT_EQ(fs::status(folder / "chosen.jpg").permissions(), fs::perms(0604));
}

TEST(BmpCodec, DottedStemCutsBackToTheLastDot) {
    const std::pair<std::u16string, std::optional<std::u16string>> cases[] = {
        {u"/data/photo.jpg", u"/data/photo."},
        {u"/a.b.c", u"/a.b."},
        {u"/x.", u"/x."},
        {u"/my.dir/file", u"/my."},  // the search runs into the folder part
        {u"/data/.hidden", u"/data/."},
        {u"/data/写真.jpeg", u"/data/写真."},
        {u"/data/file", std::nullopt},
        {u"file", std::nullopt},
        {u"", std::nullopt},
    };
    for (const auto& [path, stem] : cases) {
        SCOPED_TRACE(ToUtf8(path));
        EXPECT_EQ(DottedStem(path), stem);
    }
}

TEST(BmpCodec, WrapThenExtractUnderTheStemGivesTheFileBack) {
    ScratchFolder folder;
    const std::string plain = RandomBytes(kChunkSize + 300);
    const fs::path original = folder / "photo.jpg";
    WriteFile(original, plain);

    const auto stem = DottedStem(TextFromPath(original));
    ASSERT_TRUE(stem.has_value());
    const fs::path wrapped = PathFromText(*stem + u"bmp");
    ASSERT_EQ(WrapBmp(original, wrapped).outcome, Outcome::Ok);
    fs::remove(original);
    ASSERT_EQ(ExtractBmp(wrapped, PathFromText(*stem + u"jpg")).outcome, Outcome::Ok);
    EXPECT_TRUE(ReadFile(original) == plain);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"photo.bmp", "photo.jpg"}));
}

}  // namespace
}  // namespace angoka
