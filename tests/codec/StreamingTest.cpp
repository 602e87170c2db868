// What every streaming operation (encrypt, decrypt, BMP wrap, BMP extract) promises about its
// output: exact bytes at every chunk boundary, progress up to the total, and an unchanged
// destination with no temporary file left after a cancel, a failing write, or a refusal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "BmpCodec.h"
#include "QivgCodec.h"
#include "QivgFiles.h"
#include "SourceFile.h"

namespace angoka {
namespace {

using namespace angoka::testing;

// write(2) as the output options take it.
using Writer = decltype(WriteOptions{}.writer);

using Run = std::function<Result(const fs::path& source, const fs::path& destination, const Progress&,
                                 const WriteOptions&)>;

struct Operation {
    const char* name;
    // Writes the operation's input for the given plain bytes; returns its path.
    std::function<fs::path(const ScratchFolder&, const std::string& plain)> prepare;
    Run run;
    // Checks an output against the plain bytes it stands for.
    std::function<void(const fs::path& output, const std::string& plain)> verify;
};

void PrintTo(const Operation& op, std::ostream* os) {
    *os << op.name;
}

const std::vector<RoundKey>& BenchKeys() {
    static const auto keys = KeysFromScript(DrawScript(5, 3), 5);  // n = 2
    return keys;
}

Result Encrypt(const fs::path& source, const fs::path& destination, const Progress& progress,
               const WriteOptions& output) {
    return EncryptFile({source, destination, u"pw", u"p.bin", -10, BenchKeys()}, progress, output);
}

Result Decrypt(const fs::path& source, const fs::path& destination, const Progress& progress,
               const WriteOptions& output) {
    Progress stop;
    stop.cancel = progress.cancel;
    const OpenedQivg opened = OpenQivg({source, u"pw", -10, 2}, stop);
    if (!opened.result.ok()) return opened.result;
    return WriteQivg(opened, destination, progress, output);
}

std::string WithHeader(const std::string& plain) {
    const auto& header = BmpHeader();
    return std::string(header.begin(), header.end()) + plain;
}

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"encrypt",
         [](const ScratchFolder& folder, const std::string& plain) {
             WriteFile(folder / "in.bin", plain);
             return folder / "in.bin";
         },
         Encrypt,
         [](const fs::path& output, const std::string& plain) {
             const fs::path check = fs::path(output.string() + ".check");
             ASSERT_EQ(Decrypt(output, check, {}, {}).outcome, Outcome::Ok);
             EXPECT_TRUE(ReadFile(check) == plain);
             fs::remove(check);
         }},
        {"decrypt",
         [](const ScratchFolder& folder, const std::string& plain) {
             WriteFile(folder / "plain.tmp", plain);
             EXPECT_TRUE(Encrypt(folder / "plain.tmp", folder / "in.qivg", {}, {}).ok());
             fs::remove(folder / "plain.tmp");
             return folder / "in.qivg";
         },
         Decrypt,
         [](const fs::path& output, const std::string& plain) { EXPECT_TRUE(ReadFile(output) == plain); }},
        {"wrap",
         [](const ScratchFolder& folder, const std::string& plain) {
             WriteFile(folder / "in.jpg", plain);
             return folder / "in.jpg";
         },
         [](const fs::path& s, const fs::path& d, const Progress& p, const WriteOptions& o) {
             return WrapBmp(s, d, p, o);
         },
         [](const fs::path& output, const std::string& plain) {
             EXPECT_TRUE(ReadFile(output) == WithHeader(plain));
         }},
        {"extract",
         [](const ScratchFolder& folder, const std::string& plain) {
             WriteFile(folder / "in.bmp", WithHeader(plain));
             return folder / "in.bmp";
         },
         [](const fs::path& s, const fs::path& d, const Progress& p, const WriteOptions& o) {
             return ExtractBmp(s, d, p, o);
         },
         [](const fs::path& output, const std::string& plain) { EXPECT_TRUE(ReadFile(output) == plain); }},
    };
    return operations;
}

class Streaming : public ::testing::TestWithParam<Operation> {};

TEST_P(Streaming, ChunkBoundarySizesReplaceTheDestinationExactly) {
    const Operation& op = GetParam();
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kChunkSize - 1, kChunkSize, kChunkSize + 1, 2 * kChunkSize + 5}) {
        SCOPED_TRACE(size);
        ScratchFolder folder;
        const std::string plain = RandomBytes(size, static_cast<std::uint32_t>(size));
        const fs::path source = op.prepare(folder, plain);
        const fs::path output = folder / "out";
        WriteFile(output, RandomBytes(5000));  // longer than some outputs: must not leave a tail
        const auto names = folder.Names();

        const Result r = op.run(source, output, {}, {.replace = true});
        ASSERT_EQ(r.outcome, Outcome::Ok) << r.reason();
        op.verify(output, plain);
        EXPECT_EQ(folder.Names(), names);
    }
}

TEST_P(Streaming, ProgressRisesToTheTotal) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const fs::path source = op.prepare(folder, RandomBytes(2 * kChunkSize + 5));
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    Progress progress;
    progress.report = [&](std::uint64_t done, std::uint64_t total) { reports.emplace_back(done, total); };

    ASSERT_EQ(op.run(source, folder / "out", progress, {}).outcome, Outcome::Ok);
    ASSERT_GE(reports.size(), 2u);
    const std::uint64_t total = reports.back().second;
    EXPECT_GE(total, 2 * kChunkSize);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].second, total);
        EXPECT_LE(reports[i].first, total);
        if (i > 0) {
            EXPECT_GE(reports[i].first, reports[i - 1].first);
        }
    }
    EXPECT_EQ(reports.back().first, total);
}

// A cancel is seen at the next check, at every step of every road: nothing more is read or
// reported after it, and the destination stays as it was. Every road checks once more before
// it commits, so a cancel that comes with the last report still ends in Cancelled.
TEST_P(Streaming, CancelStopsAtTheNextCheckAndLeavesTheDestinationAsItWas) {
    const Operation& op = GetParam();
    enum class When { BeforeStart, AtTheFirstRead, AfterTheFirstChunk, AtTheLastReport };
    const struct {
        const char* name;
        When when;
    } steps[] = {{"before the start", When::BeforeStart},
                 {"at the first read (the open step's, for decryption)", When::AtTheFirstRead},
                 {"after the first chunk", When::AfterTheFirstChunk},
                 {"at the last report", When::AtTheLastReport}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ScratchFolder folder;
        const std::string plain = RandomBytes(3 * kChunkSize + 17);
        const fs::path source = op.prepare(folder, plain);
        const std::string sourceBytes = ReadFile(source);
        WriteFile(folder / "out", "previous");
        const auto names = folder.Names();

        std::atomic<bool> cancel{step.when == When::BeforeStart};
        int reports = 0, readsAfter = 0;
        Progress progress;
        progress.cancel = &cancel;
        progress.report = [&](std::uint64_t done, std::uint64_t total) {
            ++reports;  // the first report is the start; the second follows the first chunk
            if ((step.when == When::AfterTheFirstChunk && reports == 2) ||
                (step.when == When::AtTheLastReport && done == total))
                cancel = true;
        };
        SetSourceReadHookForTesting([&] {
            if (cancel) ++readsAfter;
            if (step.when == When::AtTheFirstRead) cancel = true;
        });
        const Outcome outcome = op.run(source, folder / "out", progress, {.replace = true}).outcome;
        SetSourceReadHookForTesting(nullptr);
        EXPECT_EQ(outcome, Outcome::Cancelled);
        EXPECT_EQ(readsAfter, 0) << "read on after the cancel";
        if (step.when == When::AfterTheFirstChunk) {
            EXPECT_EQ(reports, 2);
        }
        EXPECT_TRUE(ReadFile(source) == sourceBytes);
        EXPECT_EQ(ReadFile(folder / "out"), "previous");
        EXPECT_EQ(folder.Names(), names);
    }
}

// A write(2) that takes `room` bytes in all and then fails as a full disk would.
Writer DiskFullAfter(std::size_t room) {
    auto used = std::make_shared<std::size_t>(0);
    return [room, used](int fd, const void* data, std::size_t size) -> ssize_t {
        if (*used >= room) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t written = ::write(fd, data, std::min(size, room - *used));
        if (written > 0) *used += static_cast<std::size_t>(written);
        return written;
    };
}

TEST_P(Streaming, AWriteThatFailsPartWayLeavesTheDestinationAsItWas) {
    const Operation& op = GetParam();
    for (const std::size_t room : {std::size_t{0}, std::size_t{7}, kChunkSize + 3}) {
        SCOPED_TRACE(room);
        ScratchFolder folder;
        const fs::path source = op.prepare(folder, RandomBytes(3 * kChunkSize + 1));
        WriteFile(folder / "out", "previous");
        const auto names = folder.Names();

        const Result r = op.run(source, folder / "out", {}, {.replace = true, .writer = DiskFullAfter(room)});
        EXPECT_EQ(r.outcome, Outcome::IoError);
        EXPECT_EQ(r.error, SystemError(ENOSPC));
        EXPECT_EQ(r.path, folder / "out");
        EXPECT_EQ(ReadFile(folder / "out"), "previous");
        EXPECT_EQ(folder.Names(), names);
    }
}

TEST_P(Streaming, ShortWritesStillGiveTheWholeFile) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const std::string plain = RandomBytes(kChunkSize + 7);
    const fs::path source = op.prepare(folder, plain);
    const Writer dribble = [](int fd, const void* data, std::size_t size) {
        return ::write(fd, data, std::min<std::size_t>(size, 4093));
    };
    ASSERT_EQ(op.run(source, folder / "out", {}, {.writer = dribble}).outcome, Outcome::Ok);
    op.verify(folder / "out", plain);
}

TEST_P(Streaming, ADestinationThatIsAFolderIsRefusedBeforeWriting) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const fs::path source = op.prepare(folder, RandomBytes(1000));
    fs::create_directory(folder / "sub");
    WriteFile(folder / "sub" / "keep", "kept");
    const auto names = folder.Names();

    for (const fs::path& destination : {folder / "sub", folder / "sub" / "", folder.path()}) {
        SCOPED_TRACE(destination.string());
        EXPECT_EQ(op.run(source, destination, {}, {}).outcome, Outcome::DestinationIsFolder);
        EXPECT_EQ(folder.Names(), names);
        EXPECT_EQ(fs::directory_iterator(folder / "sub")->path().filename(), "keep");
        EXPECT_EQ(ReadFile(folder / "sub" / "keep"), "kept");
    }
}

TEST_P(Streaming, AnExistingFileOrANonFileIsRefusedBeforeWriting) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const std::string plain = RandomBytes(1000);
    const fs::path source = op.prepare(folder, plain);
    WriteFile(folder / "out", "previous");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto names = folder.Names();
    struct Case {
        const char* destination;
        bool replace;
        Outcome expected;
    };
    const Case cases[] = {{"out", false, Outcome::DestinationExists},
                          {"fifo", false, Outcome::DestinationNotFile},
                          {"fifo", true, Outcome::DestinationNotFile}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.destination) + (c.replace ? " with consent" : ""));
        const Result r = op.run(source, folder / c.destination, {}, {.replace = c.replace});
        EXPECT_EQ(r.outcome, c.expected);
        EXPECT_EQ(r.path, folder / c.destination);
        EXPECT_EQ(folder.Names(), names);
        EXPECT_EQ(ReadFile(folder / "out"), "previous");
    }
    ASSERT_EQ(op.run(source, folder / "out", {}, {.replace = true}).outcome, Outcome::Ok);
    op.verify(folder / "out", plain);
}

TEST_P(Streaming, MissingSourceOrFolderWritesNothing) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    WriteFile(folder / "out", "previous");
    // A path through a file ("file.txt/child", ENOTDIR) names nothing, as a missing one does.
    const fs::path file = op.prepare(folder, "a file");
    const auto names = folder.Names();
    for (const fs::path& source : {folder / "missing", folder / "sub", file / "child"}) {
        SCOPED_TRACE(source.string());
        EXPECT_EQ(op.run(source, folder / "out", {}, {}).outcome, Outcome::SourceMissing);
        EXPECT_EQ(ReadFile(folder / "out"), "previous");
        EXPECT_EQ(folder.Names(), names);
    }
}

TEST_P(Streaming, AnUnwritableFolderIsAnIoErrorWithItsReason) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const fs::path source = op.prepare(folder, RandomBytes(10));
    const auto names = folder.Names();
    const Result r = op.run(source, folder / "no such folder" / "out", {}, {});
    EXPECT_EQ(r.outcome, Outcome::IoError);
    EXPECT_EQ(r.error, SystemError(ENOENT));
    EXPECT_EQ(folder.Names(), names);
}

TEST_P(Streaming, SourceAndDestinationMayBeTheSameFile) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    const std::string plain = RandomBytes(2 * kChunkSize + 11);
    const fs::path source = op.prepare(folder, plain);
    const auto names = folder.Names();
    ASSERT_EQ(op.run(source, source, {}, {.replace = true}).outcome, Outcome::Ok);
    op.verify(source, plain);
    EXPECT_EQ(folder.Names(), names);
}

// The run reads the file it opened, and notices when the path no longer holds that file as it
// was: the output would be a mix, or short, or not what the user chose.
TEST_P(Streaming, ASourceThatChangesDuringTheRunWritesNothing) {
    const Operation& op = GetParam();
    struct Change {
        const char* label;
        std::function<void(const fs::path&)> apply;
    };
    const Change changes[] = {
        {"shrinks", [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); }},
        {"grows", [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) + 4); }},
        {"is replaced",
         [](const fs::path& p) {
             WriteFile(p.string() + ".new", "another file");
             fs::rename(p.string() + ".new", p);
         }},
        {"is removed", [](const fs::path& p) { fs::remove(p); }},
        {"is rewritten in place at the same size, its time put back (touch -r)",
         [](const fs::path& p) {
             struct stat before {};
             ASSERT_EQ(::stat(p.c_str(), &before), 0);
             const int fd = ::open(p.c_str(), O_WRONLY | O_CLOEXEC);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::pwrite(fd, "torn", 4, 0), 4);
             const timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(::futimens(fd, times), 0);
             ::close(fd);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.label);
        ScratchFolder folder;
        const fs::path source = op.prepare(folder, RandomBytes(3 * kChunkSize + 17));
        WriteFile(folder / "out", "previous");
        bool changed = false;
        Progress progress;
        progress.report = [&](std::uint64_t, std::uint64_t) {
            if (!std::exchange(changed, true)) change.apply(source);
        };
        const Result r = op.run(source, folder / "out", progress, {.replace = true});
        EXPECT_EQ(r.outcome, Outcome::IoError);
        EXPECT_EQ(r.error, make_error_code(Errc::SourceChanged));
        EXPECT_EQ(r.path, source);
        EXPECT_EQ(ReadFile(folder / "out"), "previous");
        std::set<std::string> names = {"out"};
        if (fs::exists(source)) names.insert(source.filename().string());
        EXPECT_EQ(folder.Names(), names);
    }
}

TEST_P(Streaming, AFifoAtTheSourceIsRefusedWithoutWaitingForAWriter) {
    const Operation& op = GetParam();
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(op.run(folder / "fifo", folder / "out", {}, {}).outcome, Outcome::SourceMissing);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"fifo"});
}

INSTANTIATE_TEST_SUITE_P(Operations, Streaming, ::testing::ValuesIn(Operations()),
                         [](const ::testing::TestParamInfo<Operation>& info) { return info.param.name; });

// Sizes past 4 GiB, with a sparse source: the total is counted in 64 bits. The run is cancelled
// at its first report, so no disk space is used.
TEST(StreamingLargeFiles, TotalsPastFourGiB) {
    ScratchFolder folder;
    const fs::path source = folder / "sparse.bin";
    const std::uint64_t size = (std::uint64_t{1} << 32) + 123;
    {
        const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        ::close(fd);
    }
    for (const Operation& op : Operations()) {
        if (std::string(op.name) == "decrypt") continue;  // a sparse file is no .qivg
        SCOPED_TRACE(op.name);
        std::atomic<bool> cancel{false};
        std::uint64_t total = 0;
        Progress progress;
        progress.cancel = &cancel;
        progress.report = [&](std::uint64_t, std::uint64_t t) {
            total = t;
            cancel = true;
        };
        EXPECT_EQ(op.run(source, folder / "out", progress, {}).outcome, Outcome::Cancelled);
        EXPECT_GE(total, size - kBmpHeaderSize);
        EXPECT_EQ(folder.Names(), std::set<std::string>{"sparse.bin"});
    }
}

}  // namespace
}  // namespace angoka
