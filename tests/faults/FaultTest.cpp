// Faults that only a real process meets: a full disk, a file-size limit, a kill in the middle
// of a write, and two writers racing for one destination. Each runs fault_writer as a child
// and checks that the destination is whole afterwards: the old file or the complete new one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "QivgFiles.h"

extern char** environ;

namespace angoka {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadFile;
using testing::ScratchFolder;
using testing::WriteFile;
using Names = std::set<std::string>;

constexpr std::size_t kMiB = 1024 * 1024;
const std::string kOld = "the old destination, which must survive";

// One run of fault_writer.
class Child {
public:
    // With `hold`, the child stops after its first chunk until Release.
    Child(const fs::path& destination, std::size_t size, char byte, std::vector<std::string> options,
          bool hold) {
        std::vector<std::string> args = {FAULT_WRITER_PATH, destination.string(), std::to_string(size),
                                         std::string(1, byte)};
        args.insert(args.end(), options.begin(), options.end());
        int out[2], ready[2], release[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(ready, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(release, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        if (hold) {
            posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
            posix_spawn_file_actions_adddup2(&actions, release[0], 4);
            args.insert(args.end(), {"--hold", "3", "4"});
        }
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        for (const int fd : {out[1], ready[1], release[0]}) ::close(fd);
        out_ = out[0];
        ready_ = ready[0];
        release_ = release[1];
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {out_, ready_, release_})
            if (fd >= 0) ::close(fd);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Blocks until the child is inside its write, its temporary file open.
    void WaitUntilWriting() {
        char signal;
        ASSERT_EQ(::read(ready_, &signal, 1), 1) << "the child ended before it began writing";
    }
    void Release() {
        ::close(release_);
        release_ = -1;
    }
    void Kill() { ASSERT_EQ(::kill(pid_, SIGKILL), 0); }

    struct Ending {
        int status = 0;
        std::string output;
    };
    Ending Wait() {
        Ending ending;
        EXPECT_EQ(::waitpid(pid_, &ending.status, 0), pid_);
        pid_ = -1;
        char buffer[256];
        for (ssize_t got; (got = ::read(out_, buffer, sizeof buffer)) > 0;) ending.output.append(buffer, got);
        return ending;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int ready_ = -1;
    int release_ = -1;
};

// The child ended normally with this line.
void ExpectExit(const Child::Ending& ending, int code, const std::string& output) {
    ASSERT_TRUE(WIFEXITED(ending.status)) << "ended by signal " << WTERMSIG(ending.status);
    EXPECT_EQ(WEXITSTATUS(ending.status), code);
    EXPECT_EQ(ending.output, output + "\n");
}

std::string Error(int code) {
    return "error generic " + std::to_string(code);
}

bool IsShortTemporaryName(const std::string& name) {
    static const std::regex pattern(R"(\.angoka-[A-Za-z0-9]{6}\.tmp)");
    return std::regex_match(name, pattern);
}

// Every case runs with an unnamed temporary file and with a named one.
struct Temporary {
    const char* name;
    std::vector<std::string> options;
};
const Temporary kTemporaries[] = {{"unnamed", {}}, {"named", {"--named-temporary"}}};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A 1 MiB tmpfs of this process's own (a private mount namespace, gone with the process),
// when the test may mount one; otherwise nothing, and the test injects the full disk instead.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : where_(where) {
        fs::create_directory(where_);
        mounted_ = ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", where_.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    unsigned long FreeBlocks() const {
        struct statvfs info {};
        ::statvfs(where_.c_str(), &info);
        return info.f_bfree;
    }

private:
    fs::path where_;
    bool mounted_ = false;
};

TEST(Faults, ADiskFullPartWayKeepsTheDestinationAndLeavesNothing) {
    ScratchFolder folder;
    const SmallDisk disk(folder / "disk");
    std::vector<std::string> full;
    if (disk.mounted()) {
        std::cout << "[   NOTE   ] the disk fills up for real: a 1 MiB tmpfs\n";
        RecordProperty("disk", "tmpfs");
    } else {
        std::cout
            << "[   NOTE   ] cannot mount a tmpfs here: the writer fails as a full disk after 300000 bytes\n";
        RecordProperty("disk", "injected");
        full = {"--disk-full-after", "300000"};
    }
    const fs::path out = folder / "disk" / "out";
    for (const Temporary& temporary : kTemporaries) {
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(std::string(temporary.name) + (existing ? ", replacing" : ", new"));
            fs::remove(out);
            if (existing) WriteFile(out, kOld);
            const unsigned long freeBefore = disk.FreeBlocks();
            Child child(out, 4 * kMiB, 'n', std::vector<std::string>{"--replace"} + temporary.options + full,
                        false);
            ExpectExit(child.Wait(), 1, Error(ENOSPC));
            EXPECT_EQ(NamesIn(folder / "disk"), existing ? Names{"out"} : Names{});
            if (existing) {
                EXPECT_EQ(ReadFile(out), kOld);
            }
            if (disk.mounted()) {  // nothing hidden is left either
                EXPECT_EQ(disk.FreeBlocks(), freeBefore);
            }
        }
    }
}

TEST(Faults, AFileSizeLimitIsAnErrorNotADeathAndKeepsTheDestination) {
    ScratchFolder folder;
    const fs::path out = folder / "out";
    for (const Temporary& temporary : kTemporaries) {
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(std::string(temporary.name) + (existing ? ", replacing" : ", new"));
            fs::remove(out);
            if (existing) WriteFile(out, kOld);
            Child child(
                out, kMiB, 'n',
                std::vector<std::string>{"--replace", "--file-size-limit", "100000"} + temporary.options,
                false);
            ExpectExit(child.Wait(), 1, Error(EFBIG));
            EXPECT_EQ(folder.Names(), existing ? Names{"out"} : Names{});
            if (existing) {
                EXPECT_EQ(ReadFile(out), kOld);
            }
        }
    }
}

TEST(Faults, AKillMidWriteLeavesTheOldFileWholeAndAtMostANamedTemporary) {
    ScratchFolder folder;
    const fs::path out = folder / "out";
    for (const Temporary& temporary : kTemporaries) {
        for (const bool existing : {true, false}) {
            SCOPED_TRACE(std::string(temporary.name) + (existing ? ", replacing" : ", new"));
            for (const auto& entry : fs::directory_iterator(folder.path())) fs::remove(entry.path());
            if (existing) WriteFile(out, kOld);
            Child child(out, 4 * kMiB, 'n', std::vector<std::string>{"--replace"} + temporary.options, true);
            child.WaitUntilWriting();
            child.Kill();
            const Child::Ending ending = child.Wait();
            ASSERT_TRUE(WIFSIGNALED(ending.status));
            EXPECT_EQ(WTERMSIG(ending.status), SIGKILL);

            Names names = folder.Names();
            if (existing) {
                EXPECT_EQ(ReadFile(out), kOld);
                names.erase(std::find(names.begin(), names.end(), "out"));
            }
            if (temporary.options.empty()) {
                EXPECT_EQ(names, Names{});  // an unnamed file dies with its process
            } else {
                ASSERT_EQ(names.size(), 1u);
                EXPECT_TRUE(IsShortTemporaryName(*names.begin())) << *names.begin();
            }
        }
    }
}

TEST(Faults, TwoWritersAtOnceLeaveOneWholeFile) {
    ScratchFolder folder;
    const fs::path out = folder / "out";
    for (const Temporary& temporary : kTemporaries) {
        SCOPED_TRACE(temporary.name);
        WriteFile(out, kOld);
        const std::vector<std::string> options = std::vector<std::string>{"--replace"} + temporary.options;
        Child a(out, 3 * kMiB, 'A', options, true);
        Child b(out, 5 * kMiB, 'B', options, true);
        a.WaitUntilWriting();
        b.WaitUntilWriting();
        a.Release();
        b.Release();
        ExpectExit(a.Wait(), 0, "ok");
        ExpectExit(b.Wait(), 0, "ok");

        const std::string result = ReadFile(out);
        EXPECT_TRUE(result == std::string(3 * kMiB, 'A') || result == std::string(5 * kMiB, 'B'))
            << "a mix of " << result.size() << " bytes";
        EXPECT_EQ(folder.Names(), Names{"out"});
    }
}

}  // namespace
}  // namespace angoka
