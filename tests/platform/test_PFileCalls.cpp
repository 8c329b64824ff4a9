// Calls made in lanes: one thread per lane however often it is asked, calls joined while they
// wait or run but never once finished, a lane held past a caller's limit refuses at once, answers
// told to whoever waits, the thread ending by itself, and what is posted for the main thread.
#include "platform/PFileCalls.h"
#include "platform/PWorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using namespace platform;

namespace {

// A call that returns only when the test lets it: a file system that has stopped answering.
class THeldWork {
public:
    std::function<int()> Work(int value) {
        auto gate = FGate;
        auto started = FStarted;
        return [gate, started, value] {
            ++*started;
            gate->wait();
            return value;
        };
    }
    void Release() { FRelease.set_value(); }
    [[nodiscard]] int Started() const { return *FStarted; }

private:
    std::promise<void> FRelease;
    std::shared_ptr<std::shared_future<void>> FGate =
        std::make_shared<std::shared_future<void>>(FRelease.get_future().share());
    std::shared_ptr<std::atomic<int>> FStarted = std::make_shared<std::atomic<int>>(0);
};

// A lane of its own per test, so that nothing of another test waits in it.
std::string Lane(const char* name) {
    return std::string("//test/") + name + "/" +
           std::to_string(::testing::UnitTest::GetInstance()->random_seed());
}

bool LaneEnds(TCallKind kind, const std::string& lane) {
    for (int i = 0; i < 2500; ++i) {
        if (FileCallsPending(kind) == 0 && !LaneHeld(kind, lane, 0)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WaitForWorkerThreads(0, std::chrono::seconds(5));
}

int Wait(const std::shared_ptr<TFileCall<int>>& call, int ms = 5000) {
    return TFileCall<int>::Wait(call, TCallClock::now() + std::chrono::milliseconds(ms), -1);
}

} // namespace

TEST(FileCalls, OneLaneMakesItsCallsOneAfterTheOtherOnOneThread) {
    ASSERT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(5)));
    const std::string lane = Lane("serial");
    THeldWork held;
    auto first = StartFileCall<int>(TCallKind::Check, lane, "a", held.Work(1), -1);
    std::vector<std::shared_ptr<TFileCall<int>>> later;
    for (int i = 0; i < 20; ++i)
        later.push_back(StartFileCall<int>(
            TCallKind::Check, lane, "b" + std::to_string(i), [i] { return 10 + i; }, -1));
    for (int i = 0; i < 2500 && held.Started() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(FileCallThreads(TCallKind::Check), 1) << "the calls in line have no thread";
    EXPECT_EQ(FileCallsPending(TCallKind::Check), 21);
    EXPECT_FALSE(later.front()->Done());
    // Another lane goes on meanwhile.
    EXPECT_EQ(Wait(StartFileCall<int>(
                  TCallKind::Check, Lane("other"), "a", [] { return 7; }, -1)),
              7);
    held.Release();
    EXPECT_EQ(Wait(first), 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Wait(later[i]), 10 + i);
    EXPECT_TRUE(LaneEnds(TCallKind::Check, lane)) << "the lane's thread ends once it is empty";
    EXPECT_EQ(FileCallThreads(), 0);
}

TEST(FileCalls, ACallIsJoinedWhileItWaitsOrRunsButNeverOnceFinished) {
    const std::string lane = Lane("join");
    THeldWork held;
    std::atomic<int> made{0};
    auto counted = [&made](int value) {
        return [&made, value] {
            ++made;
            return value;
        };
    };
    auto running = StartFileCall<int>(TCallKind::Check, lane, "a", held.Work(1), -1);
    auto waiting = StartFileCall<int>(TCallKind::Check, lane, "b", counted(2), -1);
    EXPECT_EQ(StartFileCall<int>(TCallKind::Check, lane, "a", counted(9), -1), running);
    EXPECT_EQ(StartFileCall<int>(TCallKind::Check, lane, "b", counted(9), -1), waiting);
    // The same argument of another kind is another call.
    auto other = StartFileCall<int>(TCallKind::Icon, lane, "a", counted(3), -1);
    EXPECT_NE(std::static_pointer_cast<TLaneCall>(other), std::static_pointer_cast<TLaneCall>(running));
    EXPECT_EQ(Wait(other), 3);
    held.Release();
    EXPECT_EQ(Wait(running), 1);
    EXPECT_EQ(Wait(waiting), 2);
    EXPECT_EQ(made.load(), 2);
    // Finished: the next caller asks anew and gets what the file system says now.
    auto again = StartFileCall<int>(TCallKind::Check, lane, "a", counted(4), -1);
    EXPECT_NE(again, running);
    EXPECT_EQ(Wait(again), 4);
    EXPECT_TRUE(LaneEnds(TCallKind::Check, lane));
}

TEST(FileCalls, ALaneHeldPastTheCallersLimitRefusesAtOnceAndPutsNothingInLine) {
    const std::string lane = Lane("held");
    THeldWork held;
    auto first = StartFileCall<int>(TCallKind::Statfs, lane, "a", held.Work(1), 100);
    ASSERT_NE(first, nullptr);
    // Young: a caller with a limit joins it, or waits in line behind it.
    EXPECT_EQ(StartFileCall<int>(TCallKind::Statfs, lane, "a", held.Work(5), 100), first);
    auto behind = StartFileCall<int>(
        TCallKind::Statfs, lane, "b", [] { return 2; }, 100);
    ASSERT_NE(behind, nullptr);
    const auto start = TCallClock::now();
    EXPECT_EQ(Wait(behind, 100), -1) << "nothing within the limit";
    EXPECT_GE(TCallClock::now() - start, std::chrono::milliseconds(95));
    // Held past the limit (counted from when its thread began it): refused at once, joined or not.
    for (int i = 0; i < 2500 && !LaneHeld(TCallKind::Statfs, lane, 100); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(LaneHeld(TCallKind::Statfs, lane, 100));
    EXPECT_EQ(StartFileCall<int>(TCallKind::Statfs, lane, "a", held.Work(5), 100), nullptr);
    EXPECT_EQ(StartFileCall<int>(
                  TCallKind::Statfs, lane, "c", [] { return 3; }, 100),
              nullptr);
    EXPECT_EQ(FileCallsPending(TCallKind::Statfs), 2) << "the refused ones are not in line";
    // A caller without a limit waits in line all the same.
    auto patient = StartFileCall<int>(
        TCallKind::Statfs, lane, "d", [] { return 4; }, -1);
    ASSERT_NE(patient, nullptr);
    EXPECT_EQ(FileCallThreads(TCallKind::Statfs), 1);
    held.Release();
    EXPECT_EQ(Wait(first), 1);
    EXPECT_EQ(Wait(behind), 2);
    EXPECT_EQ(Wait(patient), 4);
    EXPECT_TRUE(LaneEnds(TCallKind::Statfs, lane));
}

TEST(FileCalls, WhoWaitsIsToldOnceWithTheResult) {
    const std::string lane = Lane("then");
    THeldWork held;
    auto call = StartFileCall<int>(TCallKind::Listing, lane, "a", held.Work(6), -1);
    std::promise<std::pair<int, std::thread::id>> told;
    call->Then([&told](const int& v) { told.set_value({v, std::this_thread::get_id()}); });
    held.Release();
    const auto [value, thread] = told.get_future().get();
    EXPECT_EQ(value, 6);
    EXPECT_NE(thread, std::this_thread::get_id()) << "told on the lane's thread";
    // Once done: told here and now.
    int again = 0;
    call->Then([&again](const int& v) { again = v; });
    EXPECT_EQ(again, 6);
    EXPECT_TRUE(LaneEnds(TCallKind::Listing, lane));
}

TEST(FileCalls, ACallThatRaisesGivesNothingAndTheLaneGoesOn) {
    const std::string lane = Lane("raise");
    auto bad = StartFileCall<int>(
        TCallKind::Check, lane, "a", []() -> int { throw std::runtime_error("no"); }, -1);
    auto good = StartFileCall<int>(
        TCallKind::Check, lane, "b", [] { return 5; }, -1);
    EXPECT_EQ(Wait(bad), 0);
    EXPECT_EQ(Wait(good), 5);
    EXPECT_TRUE(LaneEnds(TCallKind::Check, lane));
}

TEST(FileCalls, ANetworkPathsLaneIsItsShareAndARelativePathHasNone) {
    EXPECT_EQ(CallLane("//server/share/a/b"), "//server/share");
    EXPECT_EQ(CallLane("//server/share"), "//server/share");
    EXPECT_EQ(CallLane("relative/path"), "");
    EXPECT_EQ(CallLane(""), "");
    // An absolute path lies on some mount, "/" at least.
    const std::string lane = CallLane("/no/such/folder");
    ASSERT_FALSE(lane.empty());
    EXPECT_EQ(lane.front(), '/');
}

TEST(FileCalls, WhatIsPostedWithoutAnEventLoopRunsWhenAsked) {
    std::vector<int> ran;
    PostToMainThread([&ran] { ran.push_back(1); });
    std::thread([&ran] { PostToMainThread([&ran] { ran.push_back(2); }); }).join();
    EXPECT_TRUE(ran.empty()) << "nothing runs before it is asked for";
    EXPECT_EQ(RunPosted(), 2u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(RunPosted(), 0u);
}
