// The cipher object's settings and its error code.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "BinAngsDL.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using testing::ScratchFolder;
using testing::Utf16;

TEST(Properties, NewObjectStartsEmpty) {
    FakeRunTime services;
    const BinAngsDL cipher(services);
    EXPECT_EQ(cipher.GetErr(), u"0");
    EXPECT_EQ(cipher.TitleName(), u"");
    EXPECT_EQ(cipher.FileName(), u"");
    EXPECT_EQ(cipher.TempFilePath(), u"");
    EXPECT_EQ(cipher.Pass(), u"");
    EXPECT_EQ(cipher.InKey(), 0);
    EXPECT_TRUE(services.messages.empty());
}

TEST(Properties, LetStoresTheValueUnchanged) {
    FakeRunTime services;
    BinAngsDL cipher(services);
    // No trimming, no conversion: spaces, line ends and Japanese come back as given.
    const std::u16string texts[] = {u"", u"  padded  ", u"two\r\nlines", Utf16("暗号化しましょ"), u"a\\b/c"};
    for (const auto& text : texts) {
        cipher.TitleName(text);
        cipher.Pass(text);
        cipher.FileName(text);
        EXPECT_EQ(cipher.TitleName(), text);
        EXPECT_EQ(cipher.Pass(), text);
        EXPECT_EQ(cipher.FileName(), text);
    }
    for (const std::int32_t key :
         {-10, -1, 10, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        cipher.InKey(key);
        EXPECT_EQ(cipher.InKey(), key);
    }
    EXPECT_EQ(cipher.GetErr(), u"0");
}

TEST(Properties, TempFilePathAppendsOneSeparatorAndRecordsAMissingFolder) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / ".hidden");
    testing::WriteFile(folder / "plain.txt", "x");
    const std::u16string root = folder.PathText();
    struct Case {
        const char* what;
        std::u16string given, stored, error;
    };
    const Case cases[] = {
        {"existing folder", root, root + u"/", u"0"},
        {"existing folder with separator", root + u"/", root + u"/", u"0"},
        {"hidden folder", root + u"/.hidden", root + u"/.hidden/", u"0"},
        {"existing file counts as found", root + u"/plain.txt", root + u"/plain.txt/", u"0"},
        {"existing file with separator", root + u"/plain.txt/", root + u"/plain.txt/", u"0"},
        {"existing file with two separators", root + u"/plain.txt//", root + u"/plain.txt//", u"0"},
        {"the root folder", u"/", u"/", u"0"},
        {"missing folder", root + u"/missing", root + u"/missing/", u"1"},
        {"missing folder with separator", root + u"/missing/", root + u"/missing/", u"1"},
        {"empty path", u"", u"/", u"1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRunTime services;
        BinAngsDL cipher(services);
        cipher.TempFilePath(c.given);
        EXPECT_EQ(cipher.TempFilePath(), c.stored);
        EXPECT_EQ(cipher.GetErr(), c.error);
        EXPECT_TRUE(services.messages.empty());  // recorded, never shown
    }
}

TEST(Properties, ErrorCodeKeepsTheLastErrorUntilAnotherOneReplacesIt) {
    ScratchFolder folder;
    FakeRunTime services;
    BinAngsDL cipher(services);
    std::u16string work = u"00";

    cipher.TempFilePath(folder.PathText("missing"));
    EXPECT_EQ(cipher.GetErr(), u"1");

    cipher.Pass(u"pw");
    EXPECT_FALSE(cipher.PassAngs(work).empty());
    EXPECT_EQ(cipher.GetErr(), u"1");  // a success does not reset it

    cipher.Pass(u"");
    work = u"00";
    EXPECT_EQ(cipher.PassAngs(work), u"");
    EXPECT_EQ(cipher.GetErr(), u"2");

    cipher.TempFilePath(folder.PathText());  // an existing folder leaves it as it is
    EXPECT_EQ(cipher.GetErr(), u"2");

    cipher.TempFilePath(u"");
    EXPECT_EQ(cipher.GetErr(), u"1");
}

}  // namespace
}  // namespace angoka
