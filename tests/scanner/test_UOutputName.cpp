// txscan's output file while a scan is held in the middle (its tree on a file system that stops
// answering): a numbered name is claimed only by the complete file, so a scan killed with -9
// leaves nothing, and a name taken meanwhile makes the file take the next number.
#include "../TestFiles.h"
#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>

extern char** environ;

using txtest::TempDir;
using txtest::THangFs;
namespace fs = std::filesystem;

namespace {

const std::vector<THangFs::TEntry> kTree = {
    THangFs::File("/d/one.txt", 100), THangFs::File("/d/e/two.bin", 70000), THangFs::Folder("/d/empty")};

// txscan run in folder cwd with its output in stdoutFile.
class TScan {
public:
    TScan(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& stdoutFile) {
        std::vector<std::string> all = {TX_TXSCAN};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        if (::posix_spawn(&FPid, TX_TXSCAN, &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TScan() {
        if (FPid > 0 && !FEnded) {
            ::kill(FPid, SIGKILL);
            ::waitpid(FPid, nullptr, 0);
        }
    }
    TScan(const TScan&) = delete;
    TScan& operator=(const TScan&) = delete;

    [[nodiscard]] bool Started() const { return FPid > 0; }
    void Kill() const { ::kill(FPid, SIGKILL); }
    // Its wait status once it ended; false when it has not ended within timeoutMs.
    bool Wait(int& status, int timeoutMs = 20000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (::waitpid(FPid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FEnded = true;
        return true;
    }

private:
    pid_t FPid = -1;
    bool FEnded = false;
};

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

void WriteText(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::string LastLine(const fs::path& p) {
    std::istringstream in(txtest::ReadFile(p));
    std::string line, last;
    while (std::getline(in, line))
        last = line;
    return last;
}

} // namespace

// Killed while the walk waits: no output file, no placeholder, no temporary file; a file that
// "/o" would have replaced is as it was.
TEST(OutputName, AScanKilledInTheMiddleLeavesNoFile) {
    struct TCase {
        const char* what;
        std::vector<std::string> output; // the output options ("" in a name: the output folder)
        bool existing;                   // out.txf is there before
    } cases[] = {
        {"a numbered name", {"/n", "scan.txf"}, false},
        {"the next number of a taken name", {"/n", "out.txf"}, true},
        {"the generated name", {}, false},
        {"a replaced file", {"/o", "out.txf"}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        THangFs hung(kTree);
        TX_REQUIRE_HANGFS(hung);
        TempDir out, log;
        if (c.existing) WriteText(out.path / "out.txf", "old");
        ASSERT_TRUE(hung.Block(THangFs::kReaddir));
        std::vector<std::string> args = c.output;
        args.insert(args.end(), {"/s", hung.Path("/d")});
        TScan scan(args, out.path, log.path / "stdout");
        ASSERT_TRUE(scan.Started());
        ASSERT_TRUE(hung.WaitHeld(1, 10000)) << "the scan reached the held folder";
        scan.Kill();
        // A thread whose call the server has read dies only once it is answered.
        ASSERT_TRUE(hung.Release());
        int status = 0;
        ASSERT_TRUE(scan.Wait(status));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(Names(out.path), c.existing ? std::set<std::string>{"out.txf"} : std::set<std::string>{});
        if (c.existing) {
            EXPECT_EQ(txtest::ReadFile(out.path / "out.txf"), "old");
        }
    }
}

// txscan run on the held tree, with meanwhile() called while its walk waits; its exit status
// (-1 when it did not run or end) and its last line.
struct TRun {
    int status = -1;
    std::string lastLine;
};
TRun RunHeld(THangFs& hung, const std::vector<std::string>& output, const fs::path& out,
             const std::function<void()>& meanwhile) {
    TempDir log;
    std::vector<std::string> args = output;
    args.insert(args.end(), {"/s", hung.Path("/d")});
    TRun run;
    if (!hung.Block(THangFs::kReaddir)) return run;
    TScan scan(args, out, log.path / "stdout");
    if (!scan.Started() || !hung.WaitHeld(1, 10000)) {
        ADD_FAILURE() << "the scan did not reach the held folder";
        return run;
    }
    meanwhile();
    int status = 0;
    if (!hung.Release() || !scan.Wait(status)) {
        ADD_FAILURE() << "the scan did not end";
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.lastLine = LastLine(log.path / "stdout");
    return run;
}

TEST(OutputName, ANameTakenDuringTheScanMakesTheFileTakeTheNextNumber) {
    THangFs hung(kTree);
    TX_REQUIRE_HANGFS(hung);
    TempDir out;
    WriteText(out.path / "scan001.txf", "theirs");
    const TRun run = RunHeld(hung, {"/n", "scan.txf"}, out.path, [&] {
        // The scan chose scan.txf (the first free name) at its start; another process takes it now.
        WriteText(out.path / "scan.txf", "theirs too");
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.lastLine.find(" - Data successfully saved in file \"scan002.txf\""), std::string::npos)
        << run.lastLine;
    EXPECT_EQ(Names(out.path), (std::set<std::string>{"scan.txf", "scan001.txf", "scan002.txf"}));
    EXPECT_EQ(txtest::ReadFile(out.path / "scan.txf"), "theirs too");
    EXPECT_EQ(txtest::ReadFile(out.path / "scan001.txf"), "theirs");
    EXPECT_GT(fs::file_size(out.path / "scan002.txf"), 128u) << "a header and a body";
}

TEST(OutputName, SlashOStillReplacesTheFileOnlyWhenComplete) {
    THangFs hung(kTree);
    TX_REQUIRE_HANGFS(hung);
    TempDir out;
    WriteText(out.path / "out.txf", "old");
    const TRun run = RunHeld(hung, {"/o", "out.txf"}, out.path, [&] {
        EXPECT_EQ(txtest::ReadFile(out.path / "out.txf"), "old") << "untouched while the scan runs";
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.lastLine.find(" - Data successfully saved in file \"out.txf\""), std::string::npos)
        << run.lastLine;
    EXPECT_EQ(Names(out.path), std::set<std::string>{"out.txf"});
    EXPECT_GT(fs::file_size(out.path / "out.txf"), 128u);
}
