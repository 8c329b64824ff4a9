// Safe replacement of a file: the target changes only on a complete commit.
#include "../TestFiles.h"
#include "platform/PSafeFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;
using txtest::ReadFile;
using txtest::TempDir;

namespace {
void WriteFile(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}
} // namespace

TEST(SafeFile, CommitReplacesTheTargetAndKeepsItsMode) {
    for (const auto kind : {TSafeFile::TTempKind::Best, TSafeFile::TTempKind::Named}) {
        TempDir dir;
        const fs::path target = dir.path / "out.txf";
        WriteFile(target, "old");
        ::chmod(target.c_str(), 0640);
        {
            TSafeFile f(target.string(), kind);
            if (!f.Unnamed()) {
                EXPECT_EQ(fs::path(f.TemporaryPath()).parent_path(), dir.path) << "beside the target";
            }
            f.Stream().Write("new bytes", 9);
            EXPECT_EQ(ReadFile(target), "old") << "untouched before the commit";
            f.Commit();
        }
        EXPECT_EQ(ReadFile(target), "new bytes");
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        EXPECT_EQ(dir.Entries(), 1u);
    }
}

TEST(SafeFile, WithoutCommitTheTargetStaysAndNothingIsLeft) {
    TempDir dir;
    const fs::path target = dir.path / "out.txf";
    WriteFile(target, "old");
    {
        TSafeFile f(target.string());
        f.Stream().Write("partial", 7);
    }
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(dir.Entries(), 1u);
    {
        TSafeFile f((dir.path / "new.txf").string());
        f.Stream().Write("x", 1);
        f.Discard();
    }
    EXPECT_EQ(dir.Entries(), 1u) << "a new target is not created either";
}

TEST(SafeFile, AFailedWriteLeavesTheTarget) {
    TempDir dir;
    const fs::path target = dir.path / "out.txf";
    const std::string old(10000, 'o');
    WriteFile(target, old);
    // A file-size limit makes the system refuse the write as a full disk would.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool failed = false;
    try {
        TSafeFile f(target.string());
        const std::string block(4096, 'n');
        f.Stream().Write(block.data(), block.size());
        f.Commit();
    } catch (const TFileError& e) {
        failed = true;
        EXPECT_EQ(e.Code(), EFBIG);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(dir.Entries(), 1u);
}

TEST(SafeFile, LinkTargetReplacesTheFileItNames) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const fs::path real = dir.path / "real" / "data.txf";
    WriteFile(real, "old");
    const fs::path link = dir.path / "link.txf";
    fs::create_symlink(real, link);
    {
        TSafeFile f(link.string());
        f.Stream().Write("new", 3);
        f.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
}

TEST(SafeFile, RefusesWhatCannotBeReplaced) {
    TempDir dir;
    EXPECT_THROW(TSafeFile("/dev/null"), TFileError) << "no regular file";
    EXPECT_THROW(TSafeFile((dir.path / "missing" / "x.txf").string()), TFileError);
    EXPECT_THROW(TSafeFile(dir.path.string() + "/"), TFileError);
}

namespace {
const TSafeFile::TTempKind kKinds[] = {TSafeFile::TTempKind::Best, TSafeFile::TTempKind::Named};

void Save(const fs::path& target, const std::string& text, TSafeFile::TTempKind kind) {
    TSafeFile f(target.string(), kind);
    f.Stream().Write(text.data(), text.size());
    f.Commit();
}
} // namespace

TEST(SafeFile, LinksAreWrittenThroughNeverReplaced) {
    for (const auto kind : kKinds) {
        TempDir dir;
        fs::create_directory(dir.path / "real");
        WriteFile(dir.path / "real" / "old.txf", "old");
        fs::create_symlink("real/old.txf", dir.path / "to-old");   // an existing file
        fs::create_symlink("real/new.txf", dir.path / "dangling"); // a file still to come
        fs::create_symlink("dangling", dir.path / "chain");        // a link to a link
        fs::create_symlink(dir.path / "real" / "abs.txf", dir.path / "absolute");
        const struct {
            const char* link;
            const char* file; // where the bytes land, below dir
        } cases[] = {{"to-old", "real/old.txf"}, {"dangling", "real/new.txf"}, {"absolute", "real/abs.txf"}};
        for (const auto& c : cases) {
            Save(dir.path / c.link, c.link, kind);
            EXPECT_TRUE(fs::is_symlink(dir.path / c.link)) << c.link;
            EXPECT_EQ(ReadFile(dir.path / c.file), c.link) << c.link;
        }
        Save(dir.path / "chain", "through two", kind);
        EXPECT_TRUE(fs::is_symlink(dir.path / "chain"));
        EXPECT_TRUE(fs::is_symlink(dir.path / "dangling"));
        EXPECT_EQ(ReadFile(dir.path / "real" / "new.txf"), "through two");
        // Nothing else was left in either folder.
        EXPECT_EQ(dir.Entries(), 5u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "real"), {}), 3);
    }
}

TEST(SafeFile, ALoopOfLinksIsRefusedAndLeftAlone) {
    for (const auto kind : kKinds) {
        TempDir dir;
        fs::create_symlink("b", dir.path / "a");
        fs::create_symlink("a", dir.path / "b");
        fs::create_symlink("self", dir.path / "self");
        for (const char* name : {"a", "self"}) {
            try {
                TSafeFile f((dir.path / name).string(), kind);
                ADD_FAILURE() << name << ": a loop was taken";
            } catch (const TFileError& e) {
                EXPECT_EQ(e.Code(), ELOOP) << name;
            }
        }
        EXPECT_TRUE(fs::is_symlink(dir.path / "a"));
        EXPECT_TRUE(fs::is_symlink(dir.path / "self"));
        EXPECT_EQ(dir.Entries(), 3u);
    }
}

TEST(SafeFile, AnUnnamedTemporaryFileShowsNothingUntilCommit) {
    TempDir dir;
    const fs::path target = dir.path / "data.txf";
    WriteFile(target, "old");
    fs::permissions(target, fs::perms(0640));
    TSafeFile f(target.string());
    if (!f.Unnamed()) GTEST_SKIP() << "this file system has no unnamed files";
    EXPECT_EQ(f.TemporaryPath(), "");
    f.Stream().Write("new", 3);
    EXPECT_EQ(dir.Entries(), 1u) << "nothing beside the target while writing";
    f.Commit();
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(dir.Entries(), 1u);
    // A new file takes its name directly.
    Save(dir.path / "fresh.txf", "fresh", TSafeFile::TTempKind::Best);
    EXPECT_EQ(ReadFile(dir.path / "fresh.txf"), "fresh");
    EXPECT_EQ(dir.Entries(), 2u);
}

TEST(SafeFile, KilledWhileWritingLeavesNothingWithAnUnnamedFile) {
    for (const auto kind : kKinds) {
        TempDir dir;
        const fs::path target = dir.path / "data.txf";
        WriteFile(target, "old");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TSafeFile f(target.string(), kind);
            f.Stream().Write("partial", 7);
            const char unnamed = f.Unnamed() ? 1 : 0;
            if (write(ready[1], &unnamed, 1) != 1) _exit(1);
            pause(); // killed here, in the middle of the write
            _exit(0);
        }
        char unnamed = 0;
        ASSERT_EQ(read(ready[0], &unnamed, 1), 1);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(ready[0]);
        close(ready[1]);
        EXPECT_EQ(ReadFile(target), "old");
        // An unnamed file goes with the process; a named one stays (that way's known limit).
        EXPECT_EQ(dir.Entries(), unnamed ? 1u : 2u) << static_cast<int>(kind);
    }
}

// A file that must not replace anything: it takes the first of its names that no entry has when
// it is complete, passing over names taken while it was written.
TEST(SafeFile, ANewNameIsTakenWhenCompleteAndNothingIsEverReplaced) {
    struct TCase {
        const char* what;
        std::vector<std::string> takenMeanwhile; // "name" a file, "name>" a dangling link
        const char* expected;                    // "" when every name is taken
    } cases[] = {
        {"free", {}, "scan.txf"},
        {"the name taken while writing", {"scan.txf"}, "scan001.txf"},
        {"a dangling link is passed over, not followed", {"scan.txf", "scan001.txf>"}, "scan002.txf"},
        {"every name taken", {"scan.txf", "scan001.txf", "scan002.txf"}, ""},
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const TCase& c : cases) {
        for (const auto kind : kKinds) {
            SCOPED_TRACE(std::string(c.what) + (kind == TSafeFile::TTempKind::Best ? " (best)" : " (named)"));
            TempDir dir;
            auto nameOf = [&](int n) {
                const char* names[] = {"scan.txf", "scan001.txf", "scan002.txf"};
                return n < 3 ? (dir.path / names[n]).string() : std::string();
            };
            TSafeFile f((dir.path / "scan.txf").string(), kind, TSafeFile::TClaim::NewName);
            f.Stream().Write("complete", 8);
            EXPECT_EQ(dir.Entries(), f.Unnamed() ? 0u : 1u) << "no name is claimed while writing";
            for (const std::string& taken : c.takenMeanwhile) {
                if (taken.back() == '>')
                    fs::create_symlink(dir.path / "nowhere", dir.path / taken.substr(0, taken.size() - 1));
                else
                    WriteFile(dir.path / taken, "theirs");
            }
            if (*c.expected == '\0') {
                try {
                    (void)f.CommitAsNew(nameOf);
                    ADD_FAILURE() << "committed with every name taken";
                } catch (const TFileError& e) {
                    EXPECT_EQ(e.Code(), EEXIST);
                }
            } else {
                EXPECT_EQ(f.CommitAsNew(nameOf), (dir.path / c.expected).string());
                EXPECT_EQ(ReadFile(dir.path / c.expected), "complete");
                struct stat st {};
                ASSERT_EQ(::lstat((dir.path / c.expected).c_str(), &st), 0);
                EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask) << "the permissions of a new file";
            }
            for (const std::string& taken : c.takenMeanwhile) {
                if (taken.back() != '>') {
                    EXPECT_EQ(ReadFile(dir.path / taken), "theirs") << taken;
                }
            }
            EXPECT_FALSE(fs::exists(dir.path / "nowhere")) << "a link is never written through";
            EXPECT_EQ(dir.Entries(), c.takenMeanwhile.size() + (*c.expected ? 1u : 0u)) << "no temporary file left";
        }
    }
}
