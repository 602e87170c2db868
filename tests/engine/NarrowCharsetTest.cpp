// The envelope's narrow character set: CP932 whatever the locale, '?' for what it cannot map.
#include <gtest/gtest.h>

#include "NarrowCharset.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using testing::Utf16;

TEST(NarrowCharset, JapaneseRoundTrip) {
    struct Case {
        const char* utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"暗号", "\x88\xC3\x8D\x86"},
        {"ｴﾗｰ", "\xB4\xD7\xB0"},  // half-width katakana: one byte each
        {"①", "\x87\x40"},        // an NEC extension: CP932, not plain Shift-JIS
        {"a\\b~", "a\\b~"},       // backslash and tilde stay themselves
        {"例え.txt\r\n", "\x97\xE1\x82\xA6.txt\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(ToNarrow(Utf16(c.utf8)), c.cp932);
        EXPECT_EQ(FromNarrow(c.cp932), Utf16(c.utf8));
    }
    const std::u16string longText = Utf16("暗号化しましょ　ZLTﾊﾞｲﾅﾘｻｰﾊﾞｰ ｴﾗｰ／パスワードが一致しません");
    EXPECT_EQ(FromNarrow(ToNarrow(longText)), longText);
}

TEST(NarrowCharset, UnmappableBecomesOneQuestionMarkEitherWay) {
    const std::pair<std::u16string, std::string> toNarrow[] = {
        {Utf16("a한b"), "a?b"},
        {Utf16("a😀b"), "a?b"},                        // one character, though two code units
        {std::u16string{u'a', 0xD800, u'b'}, "a?b"},  // a lone surrogate
        {Utf16("é暗"), "?\x88\xC3"},
    };
    for (const auto& [text, bytes] : toNarrow)
        EXPECT_EQ(ToNarrow(text), bytes) << ::testing::PrintToString(text);

    const std::pair<std::string, std::u16string> fromNarrow[] = {
        {"a\x80"
         "b",
         u"a?b"},
        {"a\xA0"
         "b",
         u"a?b"},
        {"a\xFD"
         "b",
         u"a?b"},
        {"a\x82", u"a?"},    // a lead byte cut off at the end
        {"\x82 x", u"? x"},  // a lead byte without a trail byte
    };
    for (const auto& [bytes, text] : fromNarrow)
        EXPECT_EQ(FromNarrow(bytes), text) << ::testing::PrintToString(bytes);
}

// A '?' that the file holds is a character; one that stands for unreadable bytes is not.
TEST(NarrowCharset, WholeOnlyWhenNoByteWasReplaced) {
    struct Case {
        std::string bytes;
        bool whole;
    };
    const Case cases[] = {
        {"", true},
        {"a?b", true},
        {"\x83\x5c?", true},  // ソ, whose second byte is the code of "\\"
        {"\x88\xC3\x8D\x86", true},
        {"a\x81", false},     // a first byte with no second
        {"\x85\x40", false},  // a double-byte code no character uses
        {"?\xff", false},
        {"\x80", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWholeNarrow(c.bytes), c.whole) << ::testing::PrintToString(c.bytes);
    }
}

// Pure ASCII takes a shortcut past the converter; both must give the same for every byte.
TEST(NarrowCharset, AsciiShortcutAgreesWithTheConverter) {
    const std::u16string a = Utf16("あ");
    const std::string aBytes = "\x82\xA0";
    for (int c = 0; c < 128; ++c) {
        const std::u16string one(1, static_cast<char16_t>(c));
        const std::string byte(1, static_cast<char>(c));
        EXPECT_EQ(ToNarrow(one), byte) << c;
        EXPECT_EQ(ToNarrow(a + one), aBytes + byte) << c;
        EXPECT_EQ(FromNarrow(byte), one) << c;
        EXPECT_EQ(FromNarrow(aBytes + byte), a + one) << c;
    }
}

// Content is judged by characters: counted in pieces, exactly as the whole converted at once.
TEST(NarrowCharset, CountingInPiecesAgreesWithConvertingAtOnce) {
    const std::string samples[] = {
        "\x82\xA0"
        "1",
        "12\x82",
        "\x82 x",
        "a\x80\xFD\xA0"
        "b",
        "\xB1\xB2\x88\xC3\x8D\x86",
        "\x82\x82\x82\xA0",
        std::string("\0\x82\0", 3),
        "",
    };
    for (const std::string& bytes : samples) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        const std::size_t whole = FromNarrow(bytes).size();
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {  // every split into two pieces
            NarrowUnitCounter counter;
            counter.Feed(std::string_view(bytes).substr(0, cut));
            counter.Feed(std::string_view(bytes).substr(cut));
            EXPECT_EQ(counter.Finish(), whole) << "cut at " << cut;
        }
        NarrowUnitCounter byteByByte;
        for (char c : bytes) byteByByte.Feed(std::string_view(&c, 1));
        EXPECT_EQ(byteByByte.Finish(), whole);
    }
}

// Without the converter, text that needs it is an error of its own; ASCII still works.
TEST(NarrowCharset, AMissingConverterIsACharsetErrorNotACrash) {
    SetNarrowCharsetForTesting("NO-SUCH-CHARSET");
    EXPECT_THROW(ToNarrow(Utf16("暗号")), CharsetError);
    EXPECT_THROW(FromNarrow("\x88\xC3"), CharsetError);
    EXPECT_THROW(NarrowUnitCounter{}, CharsetError);
    EXPECT_EQ(ToNarrow(u"ascii"), "ascii");
    EXPECT_EQ(FromNarrow("ascii"), u"ascii");
    SetNarrowCharsetForTesting(nullptr);
    EXPECT_EQ(ToNarrow(Utf16("暗号")), "\x88\xC3\x8D\x86");
}

}  // namespace
}  // namespace angoka
