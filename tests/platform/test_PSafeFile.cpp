// Safe replacement of a file: the target changes only on a complete commit.
#include "platform/PSafeFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {
struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "txsafe.XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path), {})); }
    fs::path path;
};

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
void WriteFile(const fs::path& p, const std::string& s) {
    std::ofstream(p, std::ios::binary) << s;
}
} // namespace

TEST(SafeFile, CommitReplacesTheTargetAndKeepsItsMode) {
    TempDir dir;
    const fs::path target = dir.path / "out.txf";
    WriteFile(target, "old");
    ::chmod(target.c_str(), 0640);
    {
        TSafeFile f(target.string());
        EXPECT_EQ(fs::path(f.TemporaryPath()).parent_path(), dir.path) << "beside the target";
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
