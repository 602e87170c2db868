// The output policy: no file is replaced without consent, nothing but a regular file is ever
// written, a symbolic link keeps pointing where it did, permissions are never looser than
// they should be, and a write that fails for any reason leaves the destination as it was and
// nothing beside it. Every case runs with an unnamed temporary file and with the named one that
// file systems without unnamed files get.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "Errors.h"
#include "QivgFiles.h"
#include "SourceFile.h"

namespace angoka {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;
using Names = std::set<std::string>;

// An opener for a file system that has no unnamed files.
int NoUnnamedFiles(int) {
    errno = EOPNOTSUPP;
    return -1;
}

bool UnnamedFilesWork(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
}

void Put(const fs::path& destination, std::string_view bytes, WriteOptions options) {
    AtomicFile file(destination, std::move(options));
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

// The code of the FileError that `action` throws; none when it throws nothing.
template <typename Action>
std::error_code ErrorOf(Action action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.code();
    }
    return {};
}

struct stat Stat(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

unsigned ModeOf(const fs::path& path) {
    return Stat(path).st_mode & 07777;
}

class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t previous_;
};

bool IsShortTemporaryName(const std::string& name) {
    static const std::regex pattern(R"(\.angoka-[A-Za-z0-9]{6}\.tmp)");
    return std::regex_match(name, pattern);
}

struct TemporaryKind {
    const char* name;
    bool unnamed;
};

void PrintTo(const TemporaryKind& kind, std::ostream* os) {
    *os << kind.name;
}

class OutputPolicy : public ::testing::TestWithParam<TemporaryKind> {
protected:
    void SetUp() override {
        if (GetParam().unnamed && !UnnamedFilesWork(folder.path())) {
            GTEST_SKIP() << "the file system of " << folder.path() << " has no unnamed files";
        }
    }
    // The options with this case's kind of temporary file.
    WriteOptions With(WriteOptions options = {}) const {
        if (!GetParam().unnamed) options.unnamedOpener = NoUnnamedFiles;
        return options;
    }

    ScratchFolder folder;
};

INSTANTIATE_TEST_SUITE_P(Temporary, OutputPolicy,
                         ::testing::Values(TemporaryKind{"unnamed", true}, TemporaryKind{"named", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(OutputPolicy, WithoutConsentAnExistingDestinationIsRefusedAndKept) {
    struct Case {
        const char* what;
        const char* destination;
        bool appearsLate;  // made between construction and commit
    };
    const Case cases[] = {
        {"existing file", "file.bin", false},
        {"symbolic link to a file", "link.bin", false},
        {"dangling symbolic link", "dangling.bin", false},
        {"file created while writing", "late.bin", true},
    };
    WriteFile(folder / "file.bin", "existing");
    fs::create_symlink("file.bin", folder / "link.bin");
    fs::create_symlink("nowhere.bin", folder / "dangling.bin");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path destination = folder / c.destination;
        const auto error = ErrorOf([&] {
            AtomicFile file(destination, With());
            file.Write("new", 3);
            if (c.appearsLate) WriteFile(destination, "newcomer");
            file.Commit();
        });
        EXPECT_EQ(error, std::errc::file_exists);
        EXPECT_EQ(IoFailure(FileError(destination, "create", error)).outcome, Outcome::DestinationExists);
        if (c.appearsLate) {
            EXPECT_EQ(ReadFile(destination), "newcomer");
            fs::remove(destination);
        }
        EXPECT_EQ(ReadFile(folder / "file.bin"), "existing");
        EXPECT_EQ(fs::read_symlink(folder / "link.bin"), "file.bin");
        EXPECT_EQ(fs::read_symlink(folder / "dangling.bin"), "nowhere.bin");
        EXPECT_EQ(folder.Names(), (Names{"dangling.bin", "file.bin", "link.bin"}));
    }
}

TEST_P(OutputPolicy, WithConsentTheFileIsReplacedInOneStep) {
    WriteFile(folder / "out.bin", std::string(100, 'o'));
    // A reader that has the old file open keeps reading the old file: it was never truncated.
    const int reader = ::open((folder / "out.bin").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);

    Put(folder / "out.bin", "new", With({.replace = true}));
    EXPECT_EQ(ReadFile(folder / "out.bin"), "new");
    char old[100];
    EXPECT_EQ(::pread(reader, old, sizeof old, 0), 100);
    ::close(reader);
    EXPECT_EQ(folder.Names(), Names{"out.bin"});

    // One that appears while the new one is written is replaced too.
    AtomicFile file(folder / "late.bin", With({.replace = true}));
    file.Write("mine", 4);
    WriteFile(folder / "late.bin", "newcomer");
    file.Commit();
    EXPECT_EQ(ReadFile(folder / "late.bin"), "mine");
    EXPECT_EQ(folder.Names(), (Names{"late.bin", "out.bin"}));
}

// A listening socket at a path, as a daemon leaves one.
void MakeSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.string();
    ASSERT_LT(name.size(), sizeof address.sun_path);
    std::copy(name.begin(), name.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST_P(OutputPolicy, ANonFileIsRefusedBeforeAnythingIsWritten) {
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    MakeSocket(folder / "socket");
    fs::create_directory(folder / "dir");
    fs::create_symlink(folder / "fifo", folder / "to-fifo");
    fs::create_symlink("dir", folder / "to-dir");
    const struct stat null = Stat("/dev/null");
    struct Case {
        fs::path destination;
        std::error_code expected;
    };
    const Case cases[] = {
        {folder / "fifo", Errc::NotRegularFile}, {folder / "socket", Errc::NotRegularFile},
        {"/dev/null", Errc::NotRegularFile},     {folder / "to-fifo", Errc::NotRegularFile},
        {folder / "dir", SystemError(EISDIR)},   {folder / "to-dir", SystemError(EISDIR)},
    };
    const Names names = folder.Names();
    for (const Case& c : cases) {
        for (const bool replace : {false, true}) {
            SCOPED_TRACE(c.destination.string() + (replace ? " with consent" : " without consent"));
            // A writer that is ever called would block on the FIFO or write to /dev/null.
            int writes = 0;
            const auto error = ErrorOf([&] {
                Put(c.destination, "bytes",
                    With({.replace = replace, .writer = [&](int fd, const void* data, std::size_t size) {
                              ++writes;
                              return ::write(fd, data, size);
                          }}));
            });
            EXPECT_EQ(error, c.expected);
            EXPECT_EQ(writes, 0);
            EXPECT_EQ(folder.Names(), names);
        }
    }
    EXPECT_EQ(IoFailure(FileError("/dev/null", "write", Errc::NotRegularFile)).outcome,
              Outcome::DestinationNotFile);
    EXPECT_TRUE(S_ISFIFO(Stat(folder / "fifo").st_mode));
    EXPECT_TRUE(S_ISSOCK(Stat(folder / "socket").st_mode));
    EXPECT_TRUE(S_ISCHR(Stat("/dev/null").st_mode));
    EXPECT_EQ(Stat("/dev/null").st_rdev, null.st_rdev);
    EXPECT_EQ(Stat("/dev/null").st_ino, null.st_ino);
}

TEST_P(OutputPolicy, ASymbolicLinkStaysAndTheFileItPointsToIsReplaced) {
    fs::create_directories(folder / "a" / "b");
    struct Case {
        const char* what;
        fs::path link;
        fs::path pointsTo;  // as the link holds it
        fs::path target;    // the file that is replaced
    };
    const Case cases[] = {
        {"absolute", folder / "abs", folder / "a" / "t1", folder / "a" / "t1"},
        {"relative, same folder", folder / "rel", "t2", folder / "t2"},
        {"relative, into a folder", folder / "down", "a/b/t3", folder / "a" / "b" / "t3"},
        {"relative, from a folder up", folder / "a" / "b" / "up", "../t4", folder / "a" / "t4"},
        {"a link to a link", folder / "chain", "rel", folder / "t2"},
        {"dangling: the file is made", folder / "new", "a/t5", folder / "a" / "t5"},
    };
    for (const Case& c : cases) {
        if (std::string(c.what).rfind("dangling", 0) != 0) {
            WriteFile(c.target, "old target");
            fs::permissions(c.target, fs::perms(0640));
        }
        fs::create_symlink(c.pointsTo, c.link);
    }
    const Names names = folder.Names();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put(c.link, std::string("new for ") + c.what, With({.replace = true, .newFileMode = 0604}));
        EXPECT_EQ(fs::read_symlink(c.link), c.pointsTo);
        EXPECT_EQ(ReadFile(c.target), std::string("new for ") + c.what);
        EXPECT_EQ(ModeOf(c.target), c.link.filename() == "new" ? 0604u : 0640u);
        EXPECT_EQ(folder.Names(), names);
    }
    EXPECT_EQ(NamesIn(folder / "a"), (Names{"b", "t1", "t4", "t5"}));
    EXPECT_EQ(NamesIn(folder / "a" / "b"), (Names{"t3", "up"}));

    fs::create_symlink("loop2", folder / "loop1");
    fs::create_symlink("loop1", folder / "loop2");
    EXPECT_EQ(ErrorOf([&] { Put(folder / "loop1", "x", With({.replace = true})); }),
              std::errc::too_many_symbolic_link_levels);
}

// A path made from a name stored inside a file names a file or nothing, never a link: such a
// write is told not to follow links, and a link there is refused, with consent or without.
TEST_P(OutputPolicy, WithoutFollowingLinksALinkIsRefusedAndAFileIsWritten) {
    WriteFile(folder / "victim", "victim");
    fs::create_symlink("victim", folder / "link");
    fs::create_symlink("nowhere", folder / "dangling");
    for (const bool replace : {false, true}) {
        for (const char* name : {"link", "dangling"}) {
            SCOPED_TRACE(std::string(name) + (replace ? " with consent" : ""));
            const auto error =
                ErrorOf([&] { Put(folder / name, "new", With({.replace = replace, .followLinks = false})); });
            EXPECT_EQ(error, Errc::NotRegularFile);
            EXPECT_EQ(IoFailure(FileError(folder / name, "create", error)).outcome,
                      Outcome::DestinationNotFile);
        }
    }
    EXPECT_EQ(ReadFile(folder / "victim"), "victim");
    EXPECT_EQ(folder.Names(), (Names{"dangling", "link", "victim"}));
    Put(folder / "victim", "replaced", With({.replace = true, .followLinks = false}));
    Put(folder / "new", "made", With({.followLinks = false}));
    EXPECT_EQ(ReadFile(folder / "victim"), "replaced");
    EXPECT_EQ(ReadFile(folder / "new"), "made");
}

// The link the policy follows must be one the kernel would follow for an ordinary write
// (fs.protected_symlinks): in a sticky, world-writable folder only the caller's own links and
// those of the folder's owner. Someone else's link there could aim the write anywhere.
TEST(OutputPolicyLinks, ALinkPlantedInASharedFolderIsNotFollowed) {
    if (!testing::IsRoot()) GTEST_SKIP() << "links of another user need root to make";
    constexpr uid_t kOther = 65534;
    struct Case {
        const char* what;
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        bool followed;
    };
    const Case cases[] = {
        {"another user's link in a sticky shared folder", 01777, 0, kOther, false},
        {"the caller's own link there", 01777, 0, 0, true},
        {"the folder owner's link there", 01777, kOther, kOther, true},
        {"another user's link in a shared folder without the sticky bit", 0777, 0, kOther, true},
        {"another user's link in a sticky folder only its owner writes", 01755, 0, kOther, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const fs::path shared = folder / "shared";
        fs::create_directory(shared);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);
        WriteFile(folder / "config", "root's own");
        ASSERT_EQ(::chmod((folder / "config").c_str(), 0600), 0);
        fs::create_symlink(folder / "config", shared / "cfg");
        ASSERT_EQ(::lchown((shared / "cfg").c_str(), c.linkOwner, c.linkOwner), 0);

        const auto error = ErrorOf([&] { Put(shared / "cfg", "plaintext", {.replace = true}); });
        if (c.followed) {
            EXPECT_EQ(error, std::error_code());
            EXPECT_EQ(ReadFile(folder / "config"), "plaintext");
        } else {
            EXPECT_EQ(error, std::errc::permission_denied);
            EXPECT_EQ(ReadFile(folder / "config"), "root's own");
        }
        EXPECT_TRUE(fs::is_symlink(shared / "cfg"));
        EXPECT_EQ(NamesIn(shared), Names{"cfg"});
    }
}

// At commit time the policy looks at the name it replaces without following it: a link put
// there meanwhile is replaced itself, and never lends its target's permissions or owner, nor
// makes a FIFO or device of the write.
TEST_P(OutputPolicy, ALinkSwappedInBeforeTheCommitIsReplacedNotFollowed) {
    WriteFile(folder / "victim", "victim");
    ASSERT_EQ(::chmod((folder / "victim").c_str(), 0640), 0);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const char* target : {"victim", "fifo"}) {
        SCOPED_TRACE(target);
        WriteFile(folder / "out", "old");
        bool swapped = false;
        Put(folder / "out", "new",
            With({.replace = true,
                  .newFileMode = 0604,
                  .writer = [&](int fd, const void* data, std::size_t size) {
                      if (!std::exchange(swapped, true)) {
                          fs::remove(folder / "out");
                          fs::create_symlink(target, folder / "out");
                      }
                      return ::write(fd, data, size);
                  }}));
        EXPECT_FALSE(fs::is_symlink(folder / "out"));
        EXPECT_EQ(ReadFile(folder / "out"), "new");
        EXPECT_EQ(ModeOf(folder / "out"), 0604u);
        EXPECT_EQ(ReadFile(folder / "victim"), "victim");
        EXPECT_EQ(ModeOf(folder / "victim"), 0640u);
        EXPECT_TRUE(S_ISFIFO(Stat(folder / "fifo").st_mode));
    }
}

// A temporary name that someone else took meanwhile is passed over, never opened: the other
// file keeps its bytes and its name, whatever kind of temporary file the write started with.
TEST_P(OutputPolicy, ATakenTemporaryNameIsNeverOpened) {
    WriteFile(folder / ".angoka-taken.tmp", "someone else's");
    WriteFile(folder / "out", "old");
    std::vector<std::string> tried;
    const auto namer = [&tried] {
        tried.push_back(tried.empty() ? ".angoka-taken.tmp"
                                      : ".angoka-fresh" + std::to_string(tried.size()) + ".tmp");
        return tried.back();
    };
    Put(folder / "out", "new", With({.replace = true, .temporaryNamer = namer}));
    EXPECT_EQ(ReadFile(folder / "out"), "new");
    EXPECT_EQ(ReadFile(folder / ".angoka-taken.tmp"), "someone else's");
    EXPECT_EQ(tried.size(), 2u);
    EXPECT_EQ(folder.Names(), (Names{".angoka-taken.tmp", "out"}));
}

// A write interrupted by a signal before it wrote anything, or one that wrote only part, goes
// on: neither is a failure.
TEST_P(OutputPolicy, InterruptedAndShortWritesGoOn) {
    const std::string bytes = "0123456789abcdef";
    int calls = 0;
    Put(folder / "out", bytes, With({.writer = [&](int fd, const void* data, std::size_t size) -> ssize_t {
            if (++calls % 2 == 1) {
                errno = EINTR;
                return -1;
            }
            return ::write(fd, data, std::min<std::size_t>(size, 3));
        }}));
    EXPECT_EQ(ReadFile(folder / "out"), bytes);
    EXPECT_GE(calls, 10);
}

TEST_P(OutputPolicy, PermissionsAreTheReplacedFilesOrTheChosenOnes) {
    struct Case {
        const char* what;
        std::optional<unsigned> existing;  // the replaced file's bits
        std::optional<unsigned> newFileMode;
        mode_t umask;
        unsigned expected;
    };
    const Case cases[] = {
        {"new, chosen bits", std::nullopt, 0640, 022, 0640},
        {"new, chosen bits wider than the umask", std::nullopt, 0666, 077, 0666},
        {"new, chosen bits lose set-user-ID and sticky", std::nullopt, 05755, 022, 0755},
        {"new, from the umask", std::nullopt, std::nullopt, 022, 0644},
        {"new, from a strict umask", std::nullopt, std::nullopt, 077, 0600},
        {"replaced 0600 stays 0600", 0600, 0644, 0, 0600},
        {"replaced 0755 stays 0755", 0755, std::nullopt, 077, 0755},
        {"replaced read-only stays read-only", 0444, std::nullopt, 022, 0444},
        {"replaced set-user-ID loses it", 06755, std::nullopt, 022, 0755},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path out = folder / "out";
        fs::remove(out);
        if (c.existing) {
            WriteFile(out, "old");
            ASSERT_EQ(::chmod(out.c_str(), *c.existing), 0);
        }
        const Umask umask(c.umask);
        std::optional<unsigned> whileWritten;
        Put(out, "new",
            With({.replace = true,
                  .newFileMode = c.newFileMode,
                  .writer = [&](int fd, const void* data, std::size_t size) {
                      struct stat info {};
                      ::fstat(fd, &info);
                      whileWritten = info.st_mode & 07777;
                      return ::write(fd, data, size);
                  }}));
        EXPECT_EQ(ModeOf(out), c.expected);
        EXPECT_EQ(whileWritten, 0600u);
        EXPECT_EQ(ReadFile(out), "new");
    }
}

TEST(OutputPolicyOwner, AReplacedFileKeepsItsOwnerAndGroup) {
    if (!testing::IsRoot()) GTEST_SKIP() << "only root can give a file to another user";
    ScratchFolder folder;
    WriteFile(folder / "theirs", "old");
    ASSERT_EQ(::chown((folder / "theirs").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((folder / "theirs").c_str(), 0600), 0);
    Put(folder / "theirs", "new", {.replace = true});
    const struct stat info = Stat(folder / "theirs");
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadFile(folder / "theirs"), "new");
}

TEST_P(OutputPolicy, TheLongestNamesAreWritable) {
    std::string japanese;
    for (int i = 0; i < 85; ++i) japanese += "暗";  // 255 bytes in UTF-8
    for (const std::string& name : {std::string(255, 'a'), japanese}) {
        SCOPED_TRACE(name.size());
        Put(folder / name, "first", With());
        Put(folder / name, "second", With({.replace = true}));
        EXPECT_EQ(ReadFile(folder / name), "second");
        EXPECT_EQ(folder.Names(), Names{name});
        fs::remove(folder / name);
    }
    EXPECT_EQ(ErrorOf([&] { Put(folder / std::string(256, 'a'), "x", With()); }),
              std::errc::filename_too_long);
    EXPECT_TRUE(folder.Names().empty());
}

// What the folder holds while the writer runs, and after.
TEST_P(OutputPolicy, WhileWritingTheFolderShowsAtMostAShortNamedTemporaryFile) {
    WriteFile(folder / "old", "old");
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "committed" : "discarded");
        Names during;
        {
            AtomicFile file(folder / "out",
                            With({.replace = true, .writer = [&](int fd, const void* data, std::size_t size) {
                                      during = folder.Names();
                                      return ::write(fd, data, size);
                                  }}));
            file.Write("x", 1);
            if (commit) file.Commit();
        }
        if (GetParam().unnamed) {
            EXPECT_EQ(during, (commit ? Names{"old"} : Names{"old", "out"}));
        } else {
            ASSERT_EQ(during.size(), commit ? 2u : 3u);
            EXPECT_TRUE(IsShortTemporaryName(*during.begin())) << *during.begin();
        }
        EXPECT_EQ(folder.Names(), (Names{"old", "out"}));
        if (commit) {
            EXPECT_EQ(ReadFile(folder / "out"), "x");
        }
    }
}

TEST(OutputPolicyFallback, OnlyAMissingFeatureFallsBackToANamedFile) {
    struct Case {
        int error;
        std::error_code expected;  // none: written through a named file
    };
    const Case cases[] = {{EOPNOTSUPP, {}},
                          {EISDIR, {}},
                          {EINVAL, {}},
                          {EACCES, SystemError(EACCES)},
                          {ENOSPC, SystemError(ENOSPC)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        ScratchFolder folder;
        const auto error = ErrorOf([&] {
            Put(folder / "out", "x", {.unnamedOpener = [&](int) {
                    errno = c.error;
                    return -1;
                }});
        });
        EXPECT_EQ(error, c.expected);
        EXPECT_EQ(folder.Names(), c.expected ? Names{} : Names{"out"});
    }
}

// What a flusher sees: which descriptor, and what the destination held at that moment.
struct FlushEvent {
    bool folder;
    std::string destination;
    bool operator==(const FlushEvent&) const = default;
};

void PrintTo(const FlushEvent& e, std::ostream* os) {
    *os << (e.folder ? "folder" : "file") << " with " << e.destination;
}

TEST_P(OutputPolicy, TheFileIsFlushedBeforeItAppearsAndItsFolderAfter) {
    struct Case {
        const char* what;
        bool existing;
        WriteOptions options;
        bool flushed;
    };
    const Case cases[] = {
        {"replacing", true, {.replace = true}, true},
        {"replacing, flushNew", true, {.replace = true, .flushNew = true}, true},
        {"replacing, not durable", true, {.replace = true, .durable = false}, false},
        {"new", false, {}, false},
        {"new, consent to replace nothing", false, {.replace = true}, false},
        {"new, flushNew", false, {.flushNew = true}, true},
        {"new, consent and flushNew", false, {.replace = true, .flushNew = true}, true},
        {"new, flushNew, not durable", false, {.flushNew = true, .durable = false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path out = folder / "out";
        fs::remove(out);
        if (c.existing) WriteFile(out, "old");
        std::vector<FlushEvent> events;
        WriteOptions options = With(c.options);
        options.flusher = [&](int fd) {
            struct stat info {};
            ::fstat(fd, &info);
            events.push_back({S_ISDIR(info.st_mode), fs::exists(out) ? ReadFile(out) : "(none)"});
            return 0;
        };
        Put(out, "new", options);
        const std::string before = c.existing ? "old" : "(none)";
        const std::vector<FlushEvent> expected = {{false, before}, {true, "new"}};
        EXPECT_EQ(events, c.flushed ? expected : std::vector<FlushEvent>{});
    }
}

TEST_P(OutputPolicy, AFailingFlushPutsNothingInPlace) {
    struct Case {
        const char* what;
        bool existing;
        WriteOptions options;
    };
    const Case cases[] = {
        {"replacing", true, {.replace = true}},
        {"new, flushNew", false, {.flushNew = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(folder / "out");
        if (c.existing) WriteFile(folder / "out", "old");
        const Names names = folder.Names();
        WriteOptions options = With(c.options);
        options.flusher = [](int) {
            errno = EIO;
            return -1;
        };
        EXPECT_EQ(ErrorOf([&] { Put(folder / "out", "new", options); }), std::errc::io_error);
        EXPECT_EQ(folder.Names(), names);
        if (c.existing) {
            EXPECT_EQ(ReadFile(folder / "out"), "old");
        }
    }
}

// The file is in place by then; the caller still learns that it may not survive a crash.
TEST_P(OutputPolicy, AFailingFolderFlushIsReported) {
    WriteOptions options = With({.replace = true});
    options.flusher = [](int fd) {
        struct stat info {};
        ::fstat(fd, &info);
        if (!S_ISDIR(info.st_mode)) return 0;
        errno = EIO;
        return -1;
    };
    WriteFile(folder / "out", "old");
    EXPECT_EQ(ErrorOf([&] { Put(folder / "out", "new", options); }), std::errc::io_error);
    EXPECT_EQ(ReadFile(folder / "out"), "new");
    EXPECT_EQ(folder.Names(), Names{"out"});
}

TEST(OutputPolicyOutcomes, RefusalsHaveOutcomesOfTheirOwnAndKeepPathAndReason) {
    struct Case {
        std::error_code code;
        Outcome expected;
    };
    const Case cases[] = {
        {SystemError(EEXIST), Outcome::DestinationExists},
        {SystemError(EISDIR), Outcome::DestinationIsFolder},
        {Errc::NotRegularFile, Outcome::DestinationNotFile},
        {SystemError(ENOSPC), Outcome::IoError},
        {SystemError(EFBIG), Outcome::IoError},
        {Errc::SourceChanged, Outcome::IoError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code.message());
        const Result r = IoFailure(FileError("/some/file", "write", c.code));
        EXPECT_EQ(r.outcome, c.expected);
        EXPECT_EQ(r.path, "/some/file");
        EXPECT_EQ(r.error, c.code);
    }
}

}  // namespace
}  // namespace angoka
