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
