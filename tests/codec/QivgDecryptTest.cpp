// Decryption in two steps: what the open step decides and reports, the stored name as
// untrusted input, and files that no encryptor writes, streamed across chunk boundaries.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <functional>

#include "NarrowCharset.h"
#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

std::vector<RoundKey> Keys(int n, std::uint32_t seed = 5) {
    return KeysFromScript(DrawScript(n + 3, seed), n + 3);
}

// Encrypts `plain` into `qivg` under the stored name.
void Encrypt(const ScratchFolder& folder, const std::string& plain, const fs::path& qivg,
             const std::u16string& name, const std::u16string& password = u"pw", std::int32_t inKey = 3,
             int n = 2) {
    const fs::path source = folder / "plain.tmp";
    WriteFile(source, plain);
    const Result r = EncryptFile({source, qivg, password, name, inKey, Keys(n)});
    ASSERT_EQ(r.outcome, Outcome::Ok) << r.reason();
    fs::remove(source);
}

TEST(QivgDecrypt, OpenGivesTheNameAndWritesNothingThenWriteCreatesTheFile) {
    ScratchFolder folder;
    const std::string plain = RandomBytes(3000);
    Encrypt(folder, plain, folder / "x.qivg", u"photo.jpg");
    fs::create_directory(folder / "chosen");

    const OpenedQivg opened = OpenQivg({folder / "x.qivg", u"pw", 3, 2});
    ASSERT_EQ(opened.result.outcome, Outcome::Ok);
    EXPECT_EQ(opened.storedName, std::optional<std::u16string>(u"photo.jpg"));
    ASSERT_EQ(opened.safeName, std::optional<std::u16string>(u"photo.jpg"));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"chosen", "x.qivg"}));
    EXPECT_TRUE(fs::is_empty(folder / "chosen"));

    const fs::path output = folder / "chosen" / PathFromText(*opened.safeName);
    ASSERT_EQ(WriteQivg(opened, output).outcome, Outcome::Ok);
    EXPECT_TRUE(ReadFile(folder / "chosen" / "photo.jpg") == plain);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"chosen", "x.qivg"}));
}

TEST(QivgDecrypt, StreamingToADescriptorWritesTheContentAndCountsIt) {
    ScratchFolder folder;
    const std::string plain = RandomBytes(2 * kChunkSize + 5);
    Encrypt(folder, plain, folder / "x.qivg", u"a.bin");
    const OpenedQivg opened = OpenQivg({folder / "x.qivg", u"pw", 3, 2});
    ASSERT_EQ(opened.result.outcome, Outcome::Ok);

    std::uint64_t counted = 0;
    EXPECT_EQ(StreamQivg(opened, -1, {}, &counted).outcome, Outcome::Ok);  // a check: nothing goes out
    EXPECT_EQ(counted, plain.size());
    EXPECT_EQ(folder.Names(), std::set<std::string>{"x.qivg"});

    const fs::path sink = folder / "sink";
    const int fd = ::open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    counted = 0;
    EXPECT_EQ(StreamQivg(opened, fd, {}, &counted).outcome, Outcome::Ok);
    ::close(fd);
    EXPECT_EQ(counted, plain.size());
    EXPECT_TRUE(ReadFile(sink) == plain);
}

TEST(QivgDecrypt, StreamingDamagedContentSaysSoAfterTheGoodPart) {
    ScratchFolder folder;
    // The marker, a megabyte and more of good digits, then a bad pair.
    std::string envelope = "pw\r\nn\r\nCFEC2EC5CF3FADE6" + std::string(2 * kChunkSize + 64, 'A') + "G0\r\n";
    const fs::path qivg = folder / "bad.qivg";
    // n = 1 and InKey 0 with round offsets that cancel: four header bytes, then the envelope as is.
    WriteFile(qivg, std::string("\x10\x10\x10\x10", 4) + envelope);
    const OpenedQivg opened = OpenQivg({qivg, u"pw", 0, 1});
    ASSERT_EQ(opened.result.outcome, Outcome::Ok) << static_cast<int>(opened.result.outcome);
    std::uint64_t counted = 0;
    EXPECT_EQ(StreamQivg(opened, -1, {}, &counted).outcome, Outcome::BadHex);
    EXPECT_EQ(counted, kChunkSize);  // what went out before the damage was found
}

TEST(QivgDecrypt, WrongSettingsAreAWrongPasswordAndStillGiveTheName) {
    ScratchFolder folder;
    Encrypt(folder, "content", folder / "x.qivg", u"name.txt", u"Secret", 3, 5);
    struct Case {
        const char* label;
        std::u16string password;
        std::int32_t inKey;
        std::int32_t rounds;
        bool nameReadable;
    };
    const Case cases[] = {
        {"letter case", u"secret", 3, 5, true},
        {"longer", u"Secret ", 3, 5, true},
        {"empty", u"", 3, 5, true},
        {"prefix", u"Secre", 3, 5, true},
        {"other key", u"Secret", 4, 5, false},
        {"fewer rounds", u"Secret", 3, 4, false},
        {"more rounds", u"Secret", 3, 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const OpenedQivg opened = OpenQivg({folder / "x.qivg", c.password, c.inKey, c.rounds});
        EXPECT_EQ(opened.result.outcome, Outcome::WrongPassword);
        if (c.nameReadable) {
            EXPECT_EQ(opened.storedName, std::optional<std::u16string>(u"name.txt"));
        }
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"x.qivg"});
}

TEST(QivgDecrypt, SourceMissingAndTooShortComeFirst) {
    ScratchFolder folder;
    fs::create_directory(folder / "a folder");
    const int n = 5;
    struct Case {
        const char* label;
        fs::path source;
        std::optional<std::size_t> size;  // written with zero bytes when given
        Outcome expected;
    };
    const Case cases[] = {
        {"no file", folder / "none.qivg", std::nullopt, Outcome::SourceMissing},
        {"a folder", folder / "a folder", std::nullopt, Outcome::SourceMissing},
        {"empty file", folder / "0.qivg", 0, Outcome::TooShort},
        {"n + 3 bytes", folder / "8.qivg", n + 3, Outcome::TooShort},
        // One byte more is enough to undo every round; what comes out is no envelope.
        {"n + 4 bytes", folder / "9.qivg", n + 4, Outcome::WrongPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.size) WriteFile(c.source, std::string(*c.size, '\0'));
        EXPECT_EQ(OpenQivg({c.source, u"pw", 0, n}).result.outcome, c.expected);
    }
}

TEST(QivgDecrypt, AStoredNameIsOfferedOnlyWhenItIsAPlainFileName) {
    ScratchFolder folder;
    struct Case {
        std::u16string name;
        bool safe;
    };
    const Case cases[] = {
        {u"../x", false},
        {u"a/b", false},
        {u"a\\b", false},
        {u".", false},
        {u"..", false},
        {u"", false},
        {u"/etc/passwd", false},
        {u"x/", false},
        {u"a\x01"
         u"b",
         false},
        {u"tab\tname", false},
        {u"nl\nname", false},
        {u"del\x7f", false},
        {u"a.txt", true},
        {u"a..b", true},
        {u"in side.txt", true},
        {u"例え.txt", true},
        // Hidden, or taken for an option, or easily mistaken for another name.
        {u".profile", false},
        {u"..a", false},
        {u"...", false},
        {u"-rf", false},
        {u" spaced name", false},
        {u"spaced name ", false},
        {u"\u3000全角", false},
        {u"全角\u3000", false},
        {u"dot.", false},
        {u"a-b", true},
        // A file name is at most 255 bytes on disk.
        {std::u16string(255, u'a'), true},
        {std::u16string(256, u'a'), false},
        {std::u16string(85, u'例'), true},
        {std::u16string(86, u'例'), false},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(ToNarrow(c.name)));
        EXPECT_EQ(IsSafeFileName(c.name), c.safe);
        // Crafted, since encryption refuses some of these names.
        const fs::path qivg = folder / ("n" + std::to_string(i++) + ".qivg");
        WriteFile(
            qivg,
            CraftQivg("pw\r\n" + ToNarrow(c.name) + "\r\nCFEC2EC5CF3FADE6" + HexOf("data") + "\r\n", 3, 2));
        const OpenedQivg opened = OpenQivg({qivg, u"pw", 3, 2});
        ASSERT_EQ(opened.result.outcome, Outcome::Ok);
        EXPECT_EQ(opened.storedName, std::optional<std::u16string>(c.name));
        if (c.safe) {
            EXPECT_EQ(opened.safeName, std::optional<std::u16string>(c.name));
        } else {
            EXPECT_FALSE(opened.safeName.has_value());
        }
    }
}

// The window asks its question between the two steps for as long as the user likes: the file
// that was judged must be the file that is written, or nothing is.
TEST(QivgDecrypt, ASourceThatChangesBetweenOpenAndWriteWritesNothing) {
    struct Change {
        const char* label;
        std::function<void(const fs::path&)> apply;
    };
    const Change changes[] = {
        {"removed", [](const fs::path& p) { fs::remove(p); }},
        {"cut short", [](const fs::path& p) { fs::resize_file(p, 40); }},
        {"emptied", [](const fs::path& p) { fs::resize_file(p, 0); }},
        {"a FIFO put in its place",
         [](const fs::path& p) {
             fs::remove(p);
             ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.label);
        ScratchFolder folder;
        Encrypt(folder, RandomBytes(100), folder / "x.qivg", u"x.bin");
        WriteFile(folder / "out.bin", "previous");
        const OpenedQivg opened = OpenQivg({folder / "x.qivg", u"pw", 3, 2});
        ASSERT_TRUE(opened.result.ok());
        change.apply(folder / "x.qivg");
        const Result written = WriteQivg(opened, folder / "out.bin", {}, {.replace = true});
        EXPECT_EQ(written.outcome, Outcome::IoError);
        EXPECT_EQ(written.error, make_error_code(Errc::SourceChanged));
        EXPECT_EQ(ReadFile(folder / "out.bin"), "previous");
    }
}

// A crafted file whose name line never ends is judged on a bounded read, not read to its end.
TEST(QivgDecrypt, TheOpenStepReadsABoundedAmountAndCanBeCancelled) {
    ScratchFolder folder;
    const fs::path huge = folder / "huge.qivg";
    WriteFile(huge, CraftQivg("pw\r\n" + std::string(100, 'n'), 0, 1));
    fs::resize_file(huge, std::uint64_t{2} << 30);  // sparse: zero bytes never shift to a line end
    EXPECT_EQ(OpenQivg({huge, u"pw", 0, 1}).result.outcome, Outcome::NotQivg);

    const std::atomic<bool> cancelled{true};
    Progress progress;
    progress.cancel = &cancelled;
    EXPECT_EQ(OpenQivg({huge, u"pw", 0, 1}, progress).result.outcome, Outcome::Cancelled);
}

// Envelopes that no encryptor writes, large enough that their faults and line ends fall
// across chunk boundaries, whichever offset the chunks count from.
struct CraftedCase {
    const char* label;
    std::string envelope;
    Outcome expected;
    std::string content;  // for Ok
};

constexpr int kCraftN = 2;
constexpr std::int32_t kCraftKey = -7;
const std::string kHeaderLines = "pw\r\nc.txt\r\n";

// The envelope with line ends put in at the given envelope offsets (each a CR, a CR LF or CR
// CR LF), digits everywhere else.
std::string WithLineEnds(const std::string& digits,
                         const std::vector<std::pair<std::size_t, std::string>>& ends) {
    std::string envelope = kHeaderLines;
    std::size_t used = 0;
    for (const auto& [offset, lineEnd] : ends) {
        const std::size_t take = offset - envelope.size();
        envelope.append(digits, used, take);
        used += take;
        envelope += lineEnd;
    }
    envelope.append(digits, used);
    return envelope + "\r\n";
}

std::vector<CraftedCase> CraftedCases() {
    const std::string content = RandomBytes(kChunkSize + 4321, 11);
    const std::string digits = std::string(kMarker, kMarker + 16) + HexOf(content);
    // File offset f holds envelope byte f - (n + 3).
    const std::size_t header = kCraftN + 3;
    const std::size_t payloadStart = kHeaderLines.size();
    std::vector<CraftedCase> cases;

    cases.push_back({"line_ends_on_chunk_edges",
                     WithLineEnds(digits, {{kChunkSize - 1 - header, "\r\n"},
                                           {kChunkSize - 1, "\r\n"},
                                           {kChunkSize + 4, "\r"},
                                           {payloadStart + kChunkSize + 9, "\r\r\n"},
                                           {2 * kChunkSize - 1 - header, "\r\n"},
                                           {2 * kChunkSize + 6, "\r\n"}}),
                     Outcome::Ok, content});

    std::string lower = digits;
    for (std::size_t i = 16; i < lower.size(); i += 3) lower[i] = static_cast<char>(std::tolower(lower[i]));
    cases.push_back({"lower_case_digits", kHeaderLines + lower + "\r\n", Outcome::Ok, content});

    cases.push_back({"ends_with_cr_only", kHeaderLines + digits + "\r", Outcome::Ok, content});
    cases.push_back({"no_final_line_end", kHeaderLines + digits, Outcome::Truncated, {}});
    cases.push_back({"odd_digit_count", kHeaderLines + digits + "A\r\n", Outcome::OddLength, {}});

    std::string badFirst = digits;
    badFirst[16] = 'G';
    cases.push_back({"bad_first_pair", kHeaderLines + badFirst + "\r\n", Outcome::BadHex, {}});
    std::string badLast = digits;
    badLast[badLast.size() - 1] = 'g';
    cases.push_back({"bad_last_pair", kHeaderLines + badLast + "\r\n", Outcome::BadHex, {}});
    std::string loneLineFeed = digits;
    loneLineFeed.insert(kChunkSize + 2, "\n");
    loneLineFeed += "0";  // keeps the digit count even
    cases.push_back({"lone_line_feed", kHeaderLines + loneLineFeed + "\r\n", Outcome::BadHex, {}});
    cases.push_back({"no_marker", kHeaderLines + digits.substr(16) + "\r\n", Outcome::NotQivg, {}});
    cases.push_back({"payload_is_Error", kHeaderLines + "Error\r\n", Outcome::ErrorPayload, {}});
    cases.push_back(
        {"one_line_end", std::string("pw\r\n") + digits.substr(0, 100), Outcome::WrongPassword, {}});
    // The open step reads a bounded amount: a name line longer than 32 KiB is no name.
    cases.push_back(
        {"one_line_end_past_the_name_limit", std::string("pw\r\n") + digits, Outcome::NotQivg, {}});
    cases.push_back({"name_at_the_limit", "pw\r\n" + std::string(32 * 1024, 'n') + "\r\n" + digits + "\r\n",
                     Outcome::Ok, content});
    cases.push_back({"name_past_the_limit",
                     "pw\r\n" + std::string(32 * 1024 + 1, 'n') + "\r\n" + digits + "\r\n",
                     Outcome::NotQivg,
                     {}});
    std::string lastMarkerDigit = digits;
    lastMarkerDigit[15] = '7';
    cases.push_back(
        {"marker_differs_in_its_last_digit", kHeaderLines + lastMarkerDigit + "\r\n", Outcome::NotQivg, {}});
    cases.push_back({"ends_with_a_lone_line_feed", kHeaderLines + digits + "\n", Outcome::Truncated, {}});
    cases.push_back({"odd_count_outranks_an_earlier_bad_pair",
                     kHeaderLines + badFirst + "A\r\n",
                     Outcome::OddLength,
                     {}});
    cases.push_back(
        {"marker_only", kHeaderLines + std::string(kMarker, kMarker + 16) + "\r\n", Outcome::Ok, ""});
    return cases;
}

class QivgCrafted : public ::testing::TestWithParam<CraftedCase> {};

void PrintTo(const CraftedCase& c, std::ostream* os) {
    *os << c.label;
}

TEST_P(QivgCrafted, DecryptsOrRefusesWithoutWriting) {
    const CraftedCase& c = GetParam();
    ScratchFolder folder;
    const fs::path qivg = folder / "crafted.qivg";
    WriteFile(qivg, CraftQivg(c.envelope, kCraftKey, kCraftN));
    WriteFile(folder / "out.bin", "previous");

    const OpenedQivg opened = OpenQivg({qivg, u"pw", kCraftKey, kCraftN});
    Outcome final = opened.result.outcome;
    if (opened.result.ok()) final = WriteQivg(opened, folder / "out.bin", {}, {.replace = true}).outcome;
    EXPECT_EQ(final, c.expected);
    if (c.expected == Outcome::Ok) {
        EXPECT_TRUE(ReadFile(folder / "out.bin") == c.content);
    } else {
        EXPECT_EQ(ReadFile(folder / "out.bin"), "previous");
    }
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"crafted.qivg", "out.bin"}));
}

INSTANTIATE_TEST_SUITE_P(Envelopes, QivgCrafted, ::testing::ValuesIn(CraftedCases()),
                         [](const ::testing::TestParamInfo<CraftedCase>& info) { return info.param.label; });

}  // namespace
}  // namespace angoka
