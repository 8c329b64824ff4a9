// The walk with folders read on several threads: the visitor sees exactly the calls of the walk on
// one thread (entries, paths, counts, order), whatever the number of threads; a stop, a visitor
// that raises and folders bigger than the read-ahead window leave nothing behind.
#include "platform/PEnumerate.h"

#include "tests/FixtureTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

using namespace platform;
using txtest::OpenDescriptors;
using txtest::TTempDir;

namespace {

// Every call of a walk, with everything it is given, one line each.
class TLog : public TWalkVisitor {
public:
    bool FolderBegin(const std::string& path) override {
        Line("B " + path);
        return true;
    }
    void File(const TEntry& e) override { Line("F " + Describe(e)); }
    void Folder(const TEntry& e) override { Line("D " + Describe(e)); }
    void FolderEnd(bool stopped) override { Line(stopped ? "E stopped" : "E"); }
    bool AfterEntry(std::uint64_t count) override {
        Line("A " + std::to_string(count));
        return true;
    }

    std::string text;
    std::size_t lines = 0;

protected:
    void Line(const std::string& line) {
        text += line;
        text += '\n';
        ++lines;
    }

private:
    static std::string Describe(const TEntry& e) {
        char dates[96];
        std::snprintf(dates, sizeof dates, " %.9f %.9f %.9f ", e.created, e.accessed, e.modified);
        return std::string(e.name) + " " + std::to_string(e.size) + dates + std::to_string(e.attributes) +
               (e.isLink ? " link" : "") + (e.isSpecial ? " special" : "");
    }
};

// Folders nested past the parallel levels with siblings at every level, files beside them, a
// folder bigger than the read-ahead window, links, a fifo.
void MakeTree(const TTempDir& t) {
    txtest::MakeFixtureTree(t);
    std::string path = "nest";
    t.Folder(path);
    for (int level = 0; level < kParallelLevels + 8; ++level) {
        for (int s = 0; s < 3; ++s) {
            t.Folder(path + "/side" + std::to_string(s));
            t.File(path + "/side" + std::to_string(s) + "/leaf.txt", level + s);
        }
        t.File(path + "/file" + std::to_string(level), level);
        path += "/n" + std::to_string(level);
        t.Folder(path);
    }
    t.Folder("big");
    const int big = ::open((t.Path() + "big").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 40000; ++i)
        ::close(::openat(big, ("entry" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644));
    ::mkdirat(big, "sub", 0755);
    ::close(big);
    for (int i = 0; i < 60; ++i) {
        t.Folder("wide" + std::to_string(i));
        t.File("wide" + std::to_string(i) + "/a.dat", i);
        t.Folder("wide" + std::to_string(i) + "/inner");
    }
}

class ParallelWalk : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree = new TTempDir;
        MakeTree(*tree);
        TLog warm; // a first read of a new folder moves its access time; later reads do not
        WalkTree(tree->Path(), warm, 1);
    }
    static void TearDownTestSuite() {
        delete tree;
        tree = nullptr;
    }
    static TTempDir* tree;
};
TTempDir* ParallelWalk::tree = nullptr;

} // namespace

TEST_F(ParallelWalk, EveryThreadCountGivesTheCallsOfTheOneThreadWalk) {
    TLog one;
    ASSERT_EQ(WalkTree(tree->Path(), one, 1), TWalkResult::Completed);
    EXPECT_GT(one.lines, 80000u);
    for (unsigned threads : {2u, 3u, 8u}) {
        TLog many;
        EXPECT_EQ(WalkTree(tree->Path(), many, threads), TWalkResult::Completed);
        EXPECT_TRUE(many.text == one.text) << threads << " threads";
    }
}

TEST_F(ParallelWalk, AStopEndsEveryOpenFolderAndCallsNothingMore) {
    // Stopped at points spread over the walk: in the window, deep down, in the big folder.
    for (std::size_t at : {5ul, 700ul, 3000ul, 20000ul, 35000ul}) {
        struct TStopAt : TLog {
            std::size_t at = 0, after = 0;
            int open = 0;
            bool stopped = false;
            bool FolderBegin(const std::string& path) override {
                after += stopped;
                ++open;
                return TLog::FolderBegin(path);
            }
            void File(const TEntry& e) override { after += stopped; }
            void FolderEnd(bool s) override { --open; }
            bool AfterEntry(std::uint64_t count) override {
                after += stopped;
                stopped = stopped || ++lines >= at;
                return !stopped;
            }
        } stop;
        stop.at = at;
        const int before = OpenDescriptors();
        EXPECT_EQ(WalkTree(tree->Path(), stop, 8), TWalkResult::Stopped) << at;
        EXPECT_EQ(stop.open, 0) << at;
        EXPECT_EQ(stop.after, 0u) << at;
        EXPECT_EQ(OpenDescriptors(), before) << at;
    }
}

TEST_F(ParallelWalk, WaitingThatSaysNoStopsTheWalk) {
    // A visitor that is slow at its first file lets the readers run ahead; one that refuses to
    // wait stops the walk at the first wait, if there is one.
    struct TNoWait : TLog {
        int open = 0;
        bool FolderBegin(const std::string& path) override { return ++open, true; }
        void FolderEnd(bool) override { --open; }
        bool Waiting() override { return false; }
    } v;
    const TWalkResult result = WalkTree(tree->Path(), v, 8);
    EXPECT_TRUE(result == TWalkResult::Stopped || result == TWalkResult::Completed);
    EXPECT_EQ(v.open, 0);
}

TEST_F(ParallelWalk, AVisitorThatRaisesLeavesNoThreadNorDescriptor) {
    struct TFails : TLog {
        int files = 0;
        void File(const TEntry&) override {
            if (++files == 2000) throw std::runtime_error("disk full");
        }
    } v;
    const int before = OpenDescriptors();
    EXPECT_THROW(WalkTree(tree->Path(), v, 8), std::runtime_error);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ParallelWalk, AMissingOrUnreadableStartIsAnEmptyWalk) {
    for (const std::string& start :
         {tree->Path() + "missing", tree->Path() + "sizes/s255", std::string("/proc")}) {
        TLog one, many;
        WalkTree(start, one, 1);
        WalkTree(start, many, 8);
        EXPECT_EQ(many.text, one.text) << start;
        EXPECT_EQ(many.lines, 2u) << start; // its FolderBegin and its FolderEnd
    }
}

TEST(ParallelWalkDescriptors, ADeepTreeWalksWholeUnderALowDescriptorLimit) {
    // 400 levels, each with a second folder entered only after the whole chain below: every level
    // has a folder left to open while the walk is below it.
    TTempDir t;
    constexpr int kDepth = 400;
    txtest::MakeChain(t, kDepth, "d");
    TLog warm, one; // a first read of a new folder moves its access time; later reads do not
    WalkTree(t.Path(), warm, 1);
    WalkTree(t.Path(), one, 1);
    const pid_t pid = fork();
    if (pid == 0) {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 120;
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(77);
        TLog many;
        const bool whole = WalkTree(t.Path(), many, 8) == TWalkResult::Completed && many.text == one.text;
        _exit(whole ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    txtest::RemoveChain(t, kDepth, "d");
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot lower the descriptor limit";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a folder came out empty or the walk differed";
}

TEST(WalkThreads, ProcessorsUpToEightAndTwoOnARotationalDisk) {
    struct TCase {
        bool rotational;
        unsigned processors, threads;
    } cases[] = {{false, 1, 1}, {false, 4, 4}, {false, 8, 8}, {false, 64, 8},
                 {true, 1, 1},  {true, 4, 2},  {true, 64, 2}};
    for (const TCase& c : cases)
        EXPECT_EQ(WalkThreadsFor(c.rotational, c.processors), c.threads)
            << c.rotational << " " << c.processors;
    const unsigned here = WalkThreads("/");
    EXPECT_GE(here, 1u);
    EXPECT_LE(here, 8u);
}
