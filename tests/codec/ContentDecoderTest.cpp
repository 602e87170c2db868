// The content decoder against a reader of the whole payload, at every kernel level: random
// payloads of digits, line ends and damage, fed in random pieces through a small buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ContentDecoder.h"
#include "Envelope.h"
#include "HexText.h"
#include "Kernels.h"
#include "Nibbles.h"

namespace angoka {
namespace {

using Byte = std::uint8_t;

// What a reader of the whole payload finds: its lines joined, the marker dropped, the
// characters counted, the pairs decoded (to `bytes`, up to the first bad one).
Outcome ReadWhole(const std::vector<Byte>& raw, int shift, std::vector<Byte>& bytes) {
    std::string text;
    bool afterCR = true;  // the payload starts right after the name line's CR
    for (const Byte b : raw) {
        const char c = static_cast<char>(ShiftNibbles(b, shift));
        if (!(afterCR && c == '\n') && c != '\r') text += c;
        afterCR = c == '\r';
    }
    const std::string content = text.substr(std::min(text.size(), kFormatMarker.size()));
    bool bad = false;
    for (std::size_t i = 0; i + 1 < content.size() && !bad; i += 2) {
        const int high = HexValue(static_cast<unsigned char>(content[i]));
        const int low = HexValue(static_cast<unsigned char>(content[i + 1]));
        bad = high < 0 || low < 0;
        if (!bad) bytes.push_back(static_cast<Byte>(high << 4 | low));
    }
    if (FromNarrow(content).size() % 2 != 0) return Outcome::OddLength;
    return bad ? Outcome::BadHex : Outcome::Ok;
}

class ContentDecoderLevels : public ::testing::TestWithParam<KernelLevel> {
protected:
    void SetUp() override { ASSERT_TRUE(UseKernelLevel(GetParam())); }
    void TearDown() override { UseKernelLevel(SupportedKernelLevels().back()); }
};

TEST_P(ContentDecoderLevels, ReadsAsAReaderOfTheWholePayload) {
    std::mt19937 random(11);
    // Digits of both cases and line ends; then damage: stray LFs, non-digits, and CP932 bytes
    // (lead and trail bytes, a half-width katakana), which count as characters.
    const std::string alphabet = "0123456789ABCDEF0123456789ABCDEFabcdef\r\r\nG \x82\xA0\x81\xB1";
    for (int round = 0; round < 5000; ++round) {
        const int shift = static_cast<int>(random() % 16);
        const std::size_t length = random() % 300;
        const bool clean = random() % 2 == 0;  // half the payloads have no damage nor stray LF
        std::vector<Byte> raw;
        for (std::size_t i = 0; i < length; ++i) {
            const char c = alphabet[random() % (clean ? alphabet.size() - 8 : alphabet.size())];
            raw.push_back(ShiftNibbles(static_cast<Byte>(c), Mod16(-shift)));
        }
        std::vector<Byte> expected, written;
        const Outcome whole = ReadWhole(raw, shift, expected);
        ContentDecoder decoder(
            shift,
            [&written](const Byte* data, std::size_t n) { written.insert(written.end(), data, data + n); },
            1 + random() % 64);  // small, so that flushes happen part-way
        std::vector<std::size_t> cuts{0, length};
        for (int k = static_cast<int>(random() % 4); k > 0; --k)
            cuts.push_back(length ? random() % length : 0);
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t c = 0; c + 1 < cuts.size(); ++c)
            decoder.Feed(raw.data() + cuts[c], cuts[c + 1] - cuts[c]);
        const Outcome verdict = decoder.Verdict();
        if (verdict == Outcome::Ok) decoder.Flush();
        ASSERT_EQ(verdict, whole) << "round " << round << ", shift " << shift << ", length " << length;
        // Only good bytes ever go out, and all of them when the content is good.
        if (whole == Outcome::Ok) {
            ASSERT_EQ(written, expected) << "round " << round;
        } else {
            ASSERT_LE(written.size(), expected.size());
            ASSERT_TRUE(std::equal(written.begin(), written.end(), expected.begin())) << "round " << round;
        }
        ASSERT_EQ(decoder.written(), written.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ContentDecoderLevels, ::testing::ValuesIn(SupportedKernelLevels()),
                         [](const ::testing::TestParamInfo<KernelLevel>& info) {
                             return std::string(KernelLevelName(info.param));
                         });

}  // namespace
}  // namespace angoka
