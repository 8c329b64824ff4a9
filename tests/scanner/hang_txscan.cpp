// txscan and Ctrl+C while a file system holds it: the program stops within a second, leaves no file
// behind, and is not held by the call (only the kernel keeps a thread that waits inside a FUSE server
// until the server answers).
#include "tests/FixtureTree.h"
#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

using txtest::THangFs;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a/one.txt", 1000), THangFs::File("/a/b/two.bin", 5000),
                                            THangFs::Folder("/a/empty"), THangFs::File("/top.txt", 3)};

// The state letter of the process's main thread ('Z' once it has ended, 0 once reaped or gone).
char MainThreadState(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? 0 : text[close + 2];
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

struct THeld {
    unsigned calls;
    const char* path;   // held in the file system
    const char* target; // what txscan is asked to scan, inside the mount
    const char* what;
};

void PrintTo(const THeld& held, std::ostream* out) {
    *out << held.what;
}

class HeldScan : public ::testing::TestWithParam<THeld> {};

// A case's name: its words joined.
std::string Name(const char* what) {
    std::string name;
    for (const char* c = what; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
}

} // namespace

TEST_P(HeldScan, CtrlCEndsTheProgramAtOnceAndLeavesNothing) {
    const THeld held = GetParam();
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    txtest::TTempDir out;
    ASSERT_TRUE(fs.Block(held.calls, held.path));
    const std::string target = fs.Path(held.target);
    const std::string file = out.Path() + "scan.txf";
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        execl(TX_TXSCAN, "txscan", "/o", file.c_str(), "/s", target.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    const bool heldCall = fs.WaitHeld(1, 10000);
    EXPECT_TRUE(heldCall) << held.what;
    const auto sent = Clock::now();
    kill(pid, SIGINT);
    char state = MainThreadState(pid);
    while (state != 'Z' && state != 'X' && state != 0 && Clock::now() - sent < std::chrono::seconds(3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state = MainThreadState(pid);
    }
    const auto ended = Clock::now() - sent;
    // A main thread that waited for the held call would not end before the Release below; a
    // loaded machine may take a while to tear the process down.
    EXPECT_LT(ended, std::chrono::seconds(2)) << held.what << ": the main thread is still '" << state << "'";
    EXPECT_TRUE(Names(out.Path()).empty()) << held.what << ": " << (Names(out.Path()).empty() ? "" : Names(out.Path())[0]);
    EXPECT_TRUE(fs.Release());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << held.what << " " << status;
    EXPECT_TRUE(Names(out.Path()).empty()) << held.what;
}

INSTANTIATE_TEST_SUITE_P(Calls, HeldScan,
                         ::testing::Values(THeld{THangFs::kStat, "/a/b/two.bin", "/", "a reader's statx"},
                                           THeld{THangFs::kOpendir, "/", "/", "opening the start"},
                                           THeld{THangFs::kStatfs, "", "/a", "the start's file system"},
                                           THeld{THangFs::kLookup, "/a", "/a", "checking the target"}),
                         [](const ::testing::TestParamInfo<THeld>& info) { return Name(info.param.what); });
