// Files made to hurt: stored names that try to leave the chosen folder or confuse a terminal,
// and huge files of garbage that must be judged on their first bytes alone.
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "QivgCodec.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using namespace angoka::testing;

// Every path under `folder`, relative to it.
std::set<std::string> Tree(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).string());
    return names;
}

// A name that reaches the write step: the stored name is all that differs from a good file.
std::string FileWithName(const std::string& nameBytes) {
    return CraftQivg("pw\r\n" + nameBytes + "\r\nCFEC2EC5CF3FADE6" + HexOf("data") + "\r\n", 3, 2);
}

TEST(HostileNames, AreNeverOfferedAndTheDecryptionWritesOnlyTheChosenOutput) {
    ScratchFolder folder;
    // Two levels down, so that even "../../victim", were it ever written, stays in the scratch folder.
    const fs::path work = folder / "deep" / "work";
    fs::create_directories(work);
    const std::string victim = (folder / "victim").string();
    struct Case {
        const char* label;
        std::string name;  // the name line's bytes, in the narrow character set
    };
    const Case cases[] = {
        {"parent", "../victim"},
        {"parent of parent", "../../victim"},
        {"parent inside", "x/../../victim"},
        {"absolute", victim},
        {"backslashes", "..\\victim"},
        {"drive", "C:\\victim"},
        {"escape sequence", "\x1b]0;title\x07name"},
        {"line feed", "a\nb"},
        {"nul", std::string("a\0b", 3)},
        {"delete", "a\x7f"},
        {"300 bytes", std::string(300, 'a')},
        {"lone lead byte at the end", "name\x81"},
        {"lead byte before a slash", "\x81/victim"},
        {"single bytes no character uses", "a\x80\xa0"},
        {"byte past the table", "a\xff.txt"},
        {"double-byte code no character uses", "a\x85\x40.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path qivg = work / "x.qivg";
        WriteFile(qivg, FileWithName(c.name));
        const OpenedQivg opened = OpenQivg({qivg, u"pw", 3, 2});
        ASSERT_EQ(opened.result.outcome, Outcome::Ok);
        EXPECT_TRUE(opened.storedName.has_value());
        EXPECT_FALSE(opened.safeName.has_value());

        ASSERT_EQ(WriteQivg(opened, work / "chosen.bin").outcome, Outcome::Ok);
        EXPECT_EQ(ReadFile(work / "chosen.bin"), "data");
        EXPECT_EQ(Tree(folder.path()),
                  (std::set<std::string>{"deep", "deep/work", "deep/work/x.qivg", "deep/work/chosen.bin"}));
        fs::remove(work / "chosen.bin");
    }
}

// Decoded by characters, not bytes: the second byte of a double-byte character may be the
// code of "\" or of a letter, and makes no separator.
TEST(HostileNames, DoubleByteCharactersAreJudgedWhole) {
    ScratchFolder folder;
    const struct {
        std::string bytes;
        std::u16string name;
    } cases[] = {
        {"\x83\x5c.txt", u"ソ.txt"},  // second byte 0x5C, "\"
        {"\x95\x5c", u"表"},
        {"x\x81\x40x", u"x\u3000x"},  // the ideographic space
    };
    for (const auto& c : cases) {
        WriteFile(folder / "x.qivg", FileWithName(c.bytes));
        const OpenedQivg opened = OpenQivg({folder / "x.qivg", u"pw", 3, 2});
        ASSERT_EQ(opened.result.outcome, Outcome::Ok);
        EXPECT_EQ(opened.safeName, std::optional<std::u16string>(c.name));
    }
}

// The bytes this process has read so far, from the kernel's count; nothing when it keeps none.
std::optional<std::uint64_t> BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return std::nullopt;
}

// A file of 4 GiB: its first bytes as given, the rest a hole (zero bytes that take no disk).
fs::path HugeFile(const ScratchFolder& folder, const std::string& name, const std::string& head) {
    const fs::path path = folder / name;
    WriteFile(path, head);
    fs::resize_file(path, std::uint64_t{4} << 30);
    return path;
}

// However large the file, the open step reads only its first bytes (and its last two once the
// marker is found): the count of bytes read shows it without timing anything.
TEST(HostileFiles, AHugeFileIsJudgedOnItsFirstBytes) {
    if (!BytesRead()) GTEST_SKIP() << "this system keeps no count of bytes read";
    ScratchFolder folder;
    constexpr std::uint64_t kBound = 256 * 1024;
    const std::string content = HexOf(RandomBytes(100, 4));
    struct Case {
        const char* label;
        std::string head;
        Outcome expected;
    };
    const Case cases[] = {
        {"garbage", RandomBytes(64 * 1024, 9), Outcome::WrongPassword},
        {"name line without end", CraftQivg("pw\r\n" + std::string(100, 'n'), 3, 2), Outcome::NotQivg},
        {"no marker", CraftQivg("pw\r\nn\r\n" + content, 3, 2), Outcome::NotQivg},
        {"marker, then the hole", CraftQivg("pw\r\nn\r\nCFEC2EC5CF3FADE6" + content, 3, 2),
         Outcome::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path huge = HugeFile(folder, "huge.qivg", c.head);
        const std::uint64_t before = *BytesRead();
        EXPECT_EQ(OpenQivg({huge, u"pw", 3, 2}).result.outcome, c.expected);
        EXPECT_LT(*BytesRead() - before, kBound);

        const std::uint64_t beforeFinder = *BytesRead();
        EXPECT_TRUE(FindSettings(huge, u"pw").result.ok());
        EXPECT_LT(*BytesRead() - beforeFinder, kBound);
    }
}

}  // namespace
}  // namespace angoka
