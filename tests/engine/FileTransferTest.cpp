// Whole files to hex text and back: OpenBin, SaveBin and the atomic write under them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "AtomicFile.h"
#include "BinAngsDL.h"
#include "Messages.h"
#include "QivgFiles.h"

namespace angoka {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;
using testing::Utf16;
using testing::WriteFile;

class FileTransfer : public ::testing::Test {
protected:
    ScratchFolder folder;
    FakeRunTime services;
    BinAngsDL cipher{services};

    std::u16string Open(const std::u16string& path) {
        std::u16string argument = path;
        return cipher.OpenBin(argument);
    }
    void Save(const std::u16string& path, const std::u16string& hex) {
        std::u16string name = path;
        std::u16string text = hex;
        cipher.SaveBin(name, text);
    }
};

TEST_F(FileTransfer, ReadsFourBytesAsUpperCaseHexAndWritesEitherCaseBack) {
    WriteFile(folder / "four.bin", std::string("\x00\x0F\x10\xFF", 4));
    EXPECT_EQ(Open(folder.PathText("four.bin")), u"000F10FF");
    EXPECT_EQ(services.yields, 1u);

    for (const std::u16string_view hex : {u"000F10FF", u"000f10ff", u"000F10fF"}) {
        Save(folder.PathText("out.bin"), std::u16string(hex));
        EXPECT_EQ(ReadFile(folder / "out.bin"), std::string("\x00\x0F\x10\xFF", 4));
    }
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(FileTransfer, CopiesEveryByteValueLineEndsAndZeros) {
    std::string bytes;
    for (int v = 0; v < 256; ++v) bytes += static_cast<char>(v);
    bytes += std::string("\r\n\0\0\n\r\x1A\0", 8);
    WriteFile(folder / "source.bin", bytes);

    const std::u16string hex = Open(folder.PathText("source.bin"));
    EXPECT_EQ(hex.size(), 2 * bytes.size());
    EXPECT_EQ(hex.find_first_not_of(u"0123456789ABCDEF"), std::u16string::npos);
    Save(folder.PathText("copy.bin"), hex);
    EXPECT_EQ(ReadFile(folder / "copy.bin"), bytes);
}

TEST_F(FileTransfer, ZeroBytesReadAsEmptyTextAndEmptyTextWritesZeroBytes) {
    WriteFile(folder / "empty.bin", "");
    EXPECT_EQ(Open(folder.PathText("empty.bin")), u"");

    WriteFile(folder / "old.bin", "old content");
    Save(folder.PathText("old.bin"), u"");
    Save(folder.PathText("new.bin"), u"");
    EXPECT_EQ(std::filesystem::file_size(folder / "old.bin"), 0u);
    EXPECT_EQ(std::filesystem::file_size(folder / "new.bin"), 0u);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(FileTransfer, NoFileAtThePathShowsNotFoundWithThePathAndGivesEmptyText) {
    std::filesystem::create_directory(folder / "sub");
    const std::u16string paths[] = {folder.PathText("missing.bin"), folder.PathText("sub"),
                                    folder.PathText("sub") + u"/", folder.PathText("missing/x.bin"), u""};
    for (const std::u16string& title : {std::u16string(), Utf16("題名")}) {
        cipher.TitleName(title);
        for (const auto& path : paths) {
            SCOPED_TRACE(::testing::PrintToString(path));
            services.messages.clear();
            EXPECT_EQ(Open(path), u"");
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].prompt, Utf16("ファイルが見つかりません") + u"\r\n" + path);
            EXPECT_EQ(services.messages[0].buttons, Buttons::OK);
            EXPECT_EQ(services.messages[0].title, title);  // given even when empty
        }
    }
    EXPECT_EQ(services.yields, 0u);
}

TEST_F(FileTransfer, HiddenAndReadOnlyFilesAreReadAndReplaced) {
    for (const char* name : {".hidden", "readonly.bin"}) {
        SCOPED_TRACE(name);
        WriteFile(folder / name, "AB");
        std::filesystem::permissions(folder / name, std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::group_read |
                                                        std::filesystem::perms::others_read);
        EXPECT_EQ(Open(folder.PathText(name)), u"4142");
        Save(folder.PathText(name), u"43");
        EXPECT_EQ(ReadFile(folder / name), "C");
    }
}

TEST_F(FileTransfer, OverwritingALongerFileLeavesExactlyTheNewContent) {
    WriteFile(folder / "long.bin", std::string(100, 'x'));
    Save(folder.PathText("long.bin"), u"0D0A");
    EXPECT_EQ(ReadFile(folder / "long.bin"), "\r\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"long.bin"});
}

TEST_F(FileTransfer, OddLengthShowsItsMessageAndWritesNothing) {
    WriteFile(folder / "keep.bin", "keep");
    for (const std::u16string& title : {std::u16string(), Utf16("暗号")}) {
        cipher.TitleName(title);
        for (const char* name : {"keep.bin", "new.bin"}) {
            SCOPED_TRACE(name);
            services.messages.clear();
            Save(folder.PathText(name), u"ABC");
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].prompt, Utf16("ZLTﾊﾞｲﾅﾘｻｰﾊﾞｰ ｴﾗｰ"));
            EXPECT_EQ(services.messages[0].buttons, Buttons::OK);
            EXPECT_EQ(services.messages[0].title, title + Utf16("-ｴﾗｰ"));
        }
    }
    EXPECT_EQ(ReadFile(folder / "keep.bin"), "keep");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"keep.bin"});
    EXPECT_EQ(cipher.GetErr(), u"0");
}

TEST_F(FileTransfer, NonHexPairIsAFailureOfItsOwnAndWritesNothing) {
    WriteFile(folder / "keep.bin", "keep");
    const std::u16string texts[] = {u"0G", u"000G", u"00 1", u"-1", Utf16("００")};
    for (const auto& text : texts) {
        for (const char* name : {"keep.bin", "new.bin"}) {
            SCOPED_TRACE(::testing::PrintToString(text) + " into " + name);
            EXPECT_THROW(Save(folder.PathText(name), text), BadHexError);
        }
    }
    try {
        Save(folder.PathText("keep.bin"), u"0011 2");
        ADD_FAILURE() << "no BadHexError";
    } catch (const BadHexError& e) {
        EXPECT_EQ(e.pairIndex(), 2u);
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ReadFile(folder / "keep.bin"), "keep");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"keep.bin"});
}

// A write that cannot be done leaves the destination as it was and no temporary file behind.
TEST_F(FileTransfer, FailedWriteKeepsTheDestinationAndLeavesNoTemporaryFile) {
    std::filesystem::create_directory(folder / "dir");
    WriteFile(folder / "dir" / "inside.txt", "inside");
    WriteFile(folder / "keep.bin", "keep");
    const auto before = folder.Names();
    struct Case {
        const char* what;
        std::u16string path;
    };
    const Case cases[] = {
        {"destination is a folder", folder.PathText("dir")},
        {"destination is a folder, with separator", folder.PathText("dir") + u"/"},
        {"folder missing", folder.PathText("missing/out.bin")},
        {"file used as a folder", folder.PathText("keep.bin/out.bin")},
        {"path ends with a separator", folder.PathText("new") + u"/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            Save(c.path, u"4142");
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_FALSE(e.path().empty());
            EXPECT_FALSE(e.reason().empty());
        }
        EXPECT_EQ(folder.Names(), before);
        EXPECT_EQ(ReadFile(folder / "keep.bin"), "keep");
        EXPECT_EQ(ReadFile(folder / "dir" / "inside.txt"), "inside");
        EXPECT_EQ(std::filesystem::directory_iterator(folder / "dir")->path().filename(), "inside.txt");
    }
}

TEST_F(FileTransfer, FailureNamesThePathAndTheSystemsReason) {
    const std::u16string path = folder.PathText("missing/out.bin");
    try {
        Save(path, u"00");
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), PathFromText(path));
        EXPECT_EQ(e.code(), SystemError(ENOENT));
        EXPECT_NE(std::string(e.what()).find(PathFromText(path).string()), std::string::npos);
    }
}

TEST(AtomicFileTest, WriteFailingPartWayKeepsTheOldFile) {
    ScratchFolder folder;
    WriteFile(folder / "dest.bin", "old");
    int calls = 0;
    const decltype(WriteOptions::writer) failing = [&calls](int fd, const void* data,
                                                            std::size_t size) -> ssize_t {
        if (++calls == 1) return ::write(fd, data, size / 2);  // a short write first
        errno = ENOSPC;
        return -1;
    };
    {
        AtomicFile file(folder / "dest.bin", {.replace = true, .writer = failing});
        EXPECT_THROW(file.Write("new content", 11), FileError);
        EXPECT_EQ(ReadFile(folder / "dest.bin"), "old");  // untouched while the temporary file lives
    }
    EXPECT_EQ(ReadFile(folder / "dest.bin"), "old");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"dest.bin"});
}

TEST(AtomicFileTest, WriterThatWritesNothingIsAFailureNotALoop) {
    ScratchFolder folder;
    AtomicFile file(folder / "dest.bin",
                    {.writer = [](int, const void*, std::size_t) -> ssize_t { return 0; }});
    EXPECT_THROW(file.Write("x", 1), FileError);
    file.Discard();
    EXPECT_TRUE(folder.Names().empty());
}

TEST(ReadWholeFileTest, UnreadableSourceIsAFileErrorWithTheReason) {
    ScratchFolder folder;
    struct Case {
        std::filesystem::path path;
        int error;
    };
    const Case cases[] = {{folder.path(), EISDIR}, {folder / "missing", ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string());
        try {
            ReadWholeFile(c.path);
            ADD_FAILURE() << "no FileError";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), c.path);
            EXPECT_EQ(e.action(), "read");
            EXPECT_EQ(e.code(), SystemError(c.error));
        }
    }
}

// A regular file whose read fails: reading this process's own memory from address 0.
TEST_F(FileTransfer, OpenBinPassesAReadFailureToItsCaller) {
    if (!std::filesystem::is_regular_file("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem";
    EXPECT_THROW(Open(u"/proc/self/mem"), FileError);
    EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace angoka
