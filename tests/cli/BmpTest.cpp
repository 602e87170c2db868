// wrap and extract: names from the file's dotted stem, the header, --ext, and a file too
// short to hold a header.
#include <sys/stat.h>

#include "BmpCodec.h"
#include "CliHarness.h"
#include "Messages.h"
#include "Utf.h"

namespace angoka::testing {
namespace {

class Bmp : public CliTest {
protected:
    std::string Header() const {
        const auto& header = BmpHeader();
        return std::string(header.begin(), header.end());
    }
};

TEST_F(Bmp, WrapNamesFromTheFilesNameAlone) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.b.c", "a.b.bmp"}, {"README", "README.bmp"}, {".bashrc", ".bashrc.bmp"}};
    fs::create_directories(dir_ / "my.dir");
    for (const auto& [name, wrapped] : cases) {
        WriteFile(dir_ / "my.dir" / name, name);
        const CliRun run = cli_.Run({"wrap", Arg(dir_ / "my.dir" / name)});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadFile(dir_ / "my.dir" / wrapped), Header() + name) << "never in the parent folder";
    }
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"my.dir"});
}

TEST_F(Bmp, ExtractTakesEverythingAfterTheHeaderUnderExt) {
    WriteFile(dir_ / "photo.jpg", "jpeg bytes");
    ASSERT_EQ(cli_.Run({"wrap", Arg(dir_ / "photo.jpg")}).status, 0);
    fs::remove(dir_ / "photo.jpg");
    ASSERT_EQ(cli_.Run({"extract", "--ext", "jpg", Arg(dir_ / "photo.bmp")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "photo.jpg"), "jpeg bytes");

    const CliRun byDefault = cli_.Run({"extract", "-d", Arg(dir_ / "out"), Arg(dir_ / "photo.bmp")});
    EXPECT_EQ(byDefault.status, 0) << byDefault.err;
    EXPECT_EQ(ReadFile(dir_ / "out" / "photo.qivg"), "jpeg bytes");
}

TEST_F(Bmp, ExtensionWithALeadingDotGetsOneDot) {
    WriteFile(dir_ / "w.bmp", Header() + "jpeg bytes");
    const CliRun run = cli_.Run({"extract", "--ext", ".jpg", Arg(dir_ / "w.bmp")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir_.Names(), (std::set<std::string>{"w.bmp", "w.jpg"}));
    EXPECT_EQ(ReadFile(dir_ / "w.jpg"), "jpeg bytes");
}

TEST_F(Bmp, OutputOptionAndForce) {
    WriteFile(dir_ / "a", "a");
    ASSERT_EQ(cli_.Run({"wrap", "-o", Arg(dir_ / "picture"), Arg(dir_ / "a")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "picture"), Header() + "a");
    WriteFile(dir_ / "a.qivg", "old");
    EXPECT_EQ(cli_.Run({"extract", Arg(dir_ / "picture")}).status, 0) << "picture. + qivg";
    EXPECT_EQ(ReadFile(dir_ / "picture.qivg"), "a");
    EXPECT_EQ(cli_.Run({"extract", "-o", Arg(dir_ / "a.qivg"), Arg(dir_ / "picture")}).status, 1);
    EXPECT_EQ(ReadFile(dir_ / "a.qivg"), "old");
    EXPECT_EQ(cli_.Run({"extract", "-f", "-o", Arg(dir_ / "a.qivg"), Arg(dir_ / "picture")}).status, 0);
    EXPECT_EQ(ReadFile(dir_ / "a.qivg"), "a");
}

// An output that is there already: "-f" is suggested only where -f would replace it.
TEST_F(Bmp, ForceIsSuggestedOnlyWhereItHelps) {
    WriteFile(dir_ / "a", "a");
    WriteFile(dir_ / "file", "old");
    fs::create_symlink(dir_ / "file", dir_ / "link");
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(::mkfifo(Arg(dir_ / "fifo").c_str(), 0600), 0);
    const std::string hint = " (-f で置き換えます)";
    const std::pair<const char*, std::string> cases[] = {
        {"file", ToUtf8(kDestinationExists) + hint},
        {"link", ToUtf8(kDestinationExists) + hint},
        {"folder", ToUtf8(kDestinationIsFolder)},
        {"fifo", ToUtf8(kDestinationNotFile)},
    };
    for (const auto& [name, message] : cases) {
        const CliRun run = cli_.Run({"wrap", "-o", Arg(dir_ / name), Arg(dir_ / "a")});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / name) + ": " + message + "\n");
    }
    EXPECT_EQ(ReadFile(dir_ / "file"), "old");
    EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

TEST_F(Bmp, ShortFileIsDamagedAndWritesNothing) {
    WriteFile(dir_ / "short.bmp", std::string(117, 'x'));
    const CliRun run = cli_.Run({"extract", Arg(dir_ / "short.bmp")});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "qivg: " + Arg(dir_ / "short.bmp") +
                           ": ファイルが118バイトより短いため、データを取り出せませんでした\n");
    EXPECT_EQ(dir_.Names(), std::set<std::string>{"short.bmp"});
}

TEST_F(Bmp, RecursiveWrapSkipsBitmapsAndExtractTakesOnlyThem) {
    fs::create_directories(dir_ / "t" / "sub");
    WriteFile(dir_ / "t" / "sub" / "x.txt", "x");
    WriteFile(dir_ / "t" / "y.bmp", Header() + "y");
    ASSERT_EQ(cli_.Run({"wrap", "-r", "-d", Arg(dir_ / "w"), Arg(dir_ / "t")}).status, 0);
    EXPECT_EQ(TreeIn(dir_ / "w"), (std::set<std::string>{"sub", "sub/x.bmp"}));

    ASSERT_EQ(cli_.Run({"extract", "-r", "--ext", "out", Arg(dir_ / "t")}).status, 0);
    EXPECT_EQ(TreeIn(dir_ / "t"), (std::set<std::string>{"sub", "sub/x.txt", "y.bmp", "y.out"}));
    EXPECT_EQ(ReadFile(dir_ / "t" / "y.out"), "y");
}

}  // namespace
}  // namespace angoka::testing
