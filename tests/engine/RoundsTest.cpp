// One round (Angs) and its inverse (Hukgs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

#include "BinAngsDL.h"
#include "HexText.h"
#include "Nibbles.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using testing::ScriptRound;

constexpr std::int32_t kMinKey = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxKey = std::numeric_limits<std::int32_t>::max();

class Rounds : public ::testing::Test {
protected:
    FakeRunTime services;
    BinAngsDL cipher{services};

    std::u16string Encrypt(const std::u16string& text, int offset, int decoy) {
        ScriptRound(services, offset, decoy);
        std::u16string argument = text;
        std::u16string result = cipher.Angs(argument);
        EXPECT_EQ(argument, text) << "Angs changed its argument";
        return result;
    }
    std::u16string Decrypt(const std::u16string& text) {
        std::u16string argument = text;
        return cipher.Hukgs(argument);
    }
};

TEST_F(Rounds, WorkedExamples) {
    struct Case {
        std::u16string plain;
        std::int32_t inKey;
        int offset, decoy;
        std::u16string encrypted;
    };
    const Case cases[] = {
        {u"0F", 0, 3, 7, u"7332"},   {u"0F", 10, 3, 7, u"7398"},
        {u"F", -10, 14, 1, u"1E7"},   // 15 + 14 + 10 = 39 -> 7; back: 7 - 14 - 10 = -17 -> F
        {u"8", -10, 14, 15, u"FE0"},  // 8 + 14 + 10 = 32 -> 0; back: 0 - 14 - 10 = -24 -> 8
        {u"", 0, 3, 7, u"73"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.encrypted));
        cipher.InKey(c.inKey);
        EXPECT_EQ(Encrypt(c.plain, c.offset, c.decoy), c.encrypted);
        if (!c.plain.empty()) {
            EXPECT_EQ(Decrypt(c.encrypted), c.plain);
        }
    }
    EXPECT_TRUE(services.draws.empty());  // two draws per round, offset first
}

TEST_F(Rounds, RoundTripForEveryKeyAndOffsetGivesUpperCase) {
    const std::u16string plain = u"0123456789ABCDEFabcdef";
    const std::u16string upper = u"0123456789ABCDEFABCDEF";
    std::vector<std::int32_t> keys = {kMinKey, kMinKey + 1, -17, 17, kMaxKey - 1, kMaxKey};
    for (std::int32_t key = -10; key <= 10; ++key) keys.push_back(key);
    for (const std::int32_t key : keys) {
        cipher.InKey(key);
        for (int offset = 1; offset <= 14; ++offset) {
            const std::u16string encrypted = Encrypt(plain, offset, 1 + offset % 15);
            ASSERT_EQ(Decrypt(encrypted), upper) << "InKey " << key << " offset " << offset;
        }
    }
}

TEST_F(Rounds, ManyRoundsUndoneInReverseOrder) {
    cipher.InKey(-7);
    std::u16string text = u"00FF7E";
    for (int round = 0; round < 30; ++round) text = Encrypt(text, 1 + round % 14, 1 + round % 15);
    EXPECT_EQ(text.size(), 6u + 60u);
    for (int round = 0; round < 30; ++round) text = Decrypt(text);
    EXPECT_EQ(text, u"00FF7E");
}

TEST_F(Rounds, DrawnDigitsStayInTheirRanges) {
    struct Case {
        double offsetDraw, decoyDraw;
        char16_t decoy, offset;
    };
    const double belowOne = std::nextafter(1.0, 0.0);
    const Case cases[] = {
        {0.0, 0.0, u'1', u'1'},
        {belowOne, belowOne, u'F', u'E'},
        {0.5, 0.5, u'8', u'8'},
        // A generator must never give these, but a bad draw still yields legal digits.
        {1.0, 1.0, u'F', u'E'},
        {-0.25, -0.25, u'1', u'1'},
        {std::nan(""), std::nan(""), u'1', u'1'},
    };
    for (const auto& c : cases) {
        services.draws = {c.offsetDraw, c.decoyDraw};
        std::u16string text = u"5";
        const std::u16string out = cipher.Angs(text);
        ASSERT_EQ(out.size(), 3u);
        EXPECT_EQ(out[0], c.decoy) << c.decoyDraw;
        EXPECT_EQ(out[1], c.offset) << c.offsetDraw;
        // The key itself, not only its digits (a digit keeps only the low four bits).
        services.draws = {c.offsetDraw, c.decoyDraw};
        const RoundKey key = DrawRoundKey(services);
        EXPECT_EQ(key.decoy, HexValue(c.decoy));
        EXPECT_EQ(key.offset, HexValue(c.offset));
    }
}

// The default services draw from a real generator: over many rounds every legal decoy and
// offset appears and no illegal one does.
TEST(RoundsWithRealGenerator, DecoyNeverZeroOffsetNeverZeroOrF) {
    BinAngsDL cipher;
    cipher.InKey(3);
    std::set<char16_t> decoys, offsets;
    for (int i = 0; i < 3000; ++i) {
        std::u16string text = u"C0FFEE";
        std::u16string out = cipher.Angs(text);
        decoys.insert(out[0]);
        offsets.insert(out[1]);
        ASSERT_EQ(cipher.Hukgs(out), u"C0FFEE");
    }
    EXPECT_EQ(decoys, (std::set<char16_t>{u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u'A', u'B',
                                          u'C', u'D', u'E', u'F'}));
    EXPECT_EQ(offsets, (std::set<char16_t>{u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u'A', u'B',
                                           u'C', u'D', u'E'}));
}

TEST_F(Rounds, HukgsIgnoresTheDecoyAndReadsTheOffsetFromTheSecondDigit) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"7332", u"0F"}, {u"0332", u"0F"},  // decoys that Angs never writes are not examined either
        {u"F332", u"0F"}, {u"Z332", u"0F"}, {u"7432", u"FE"},  // a different offset gives a different result
        {u"70AB", u"AB"},                                      // offset 0
        {u"7FAB", u"BC"},  // offset 15: A - 15 = -5 -> B, B - 15 = -4 -> C
        {u"7a32", u"98"},  // lower-case offset digit
        {u"7G32", u"32"},  // a non-digit offset counts as 0
    };
    for (const auto& [encrypted, plain] : cases) {
        EXPECT_EQ(Decrypt(encrypted), plain) << ::testing::PrintToString(encrypted);
    }
}

TEST_F(Rounds, NonHexCharactersCountAsZero) {
    const std::u16string plain = u"1G2 3\u3042-\xFF10";
    EXPECT_EQ(Encrypt(plain, 3, 7), u"7343536333");
    EXPECT_EQ(Decrypt(u"7343536333"), u"10203000");
}

// Long texts are shifted in blocks of a few thousand characters; every one must follow the rule.
TEST_F(Rounds, LongTextsFollowTheRuleAtEveryCharacter) {
    const std::u16string alphabet = u"0123456789ABCDEFabcdefG /\u0130\u3042\uFF10";
    std::u16string plain;
    for (std::size_t i = 0; i < 3 * 4096 + 7; ++i) plain += alphabet[(i * 7 + i / 13) % alphabet.size()];
    cipher.InKey(-3);
    const std::u16string encrypted = Encrypt(plain, 5, 9);
    ASSERT_EQ(encrypted.size(), plain.size() + 2);
    std::u16string upper;  // what a round trip gives back
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int value = std::max(HexValue(plain[i]), 0);
        ASSERT_EQ(encrypted[i + 2], kHexDigits[(value + 5 + 3) % 16]) << i;
        upper += static_cast<char16_t>(kHexDigits[value]);
    }
    EXPECT_EQ(Decrypt(encrypted), upper);
}

TEST_F(Rounds, HukgsShortensItsArgumentAndRejectsTooShortText) {
    std::u16string text = u"7332";
    EXPECT_EQ(cipher.Hukgs(text), u"0F");
    EXPECT_EQ(text, u"32");

    for (const std::u16string_view shortText : {u"", u"7", u"73"}) {
        std::u16string argument(shortText);
        EXPECT_EQ(cipher.Hukgs(argument), u"");
        EXPECT_EQ(argument, shortText);
    }
    EXPECT_EQ(Decrypt(u"733"), u"0");  // three digits is enough
}

TEST_F(Rounds, AngsYieldsOnceAndHukgsNeither) {
    std::u16string text = u"ABCD";
    ScriptRound(services, 5, 5);
    std::u16string out = cipher.Angs(text);
    EXPECT_EQ(services.yields, 1u);
    cipher.Hukgs(out);
    EXPECT_EQ(services.yields, 1u);
}

// Every draw comes from the injected services: two objects fed the same script agree.
TEST(RoundsDraws, ComeOnlyFromTheInjectedServices) {
    FakeRunTime first, second;
    for (auto* services : {&first, &second}) {
        for (int i = 0; i < 8; ++i) services->draws.push_back((i * 0.123) - static_cast<int>(i * 0.123));
    }
    BinAngsDL a(first), b(second);
    a.Pass(u"pw");
    b.Pass(u"pw");
    std::u16string ta = u"0123", tb = u"0123";
    ta = a.Angs(ta);
    tb = b.Angs(tb);
    EXPECT_EQ(first.draws.size(), 6u);
    ta = a.PassAngs(ta);
    tb = b.PassAngs(tb);
    EXPECT_EQ(ta, tb);
    EXPECT_TRUE(first.draws.empty());
    EXPECT_TRUE(second.draws.empty());
}

}  // namespace
}  // namespace angoka
