// Calls into file systems that may stop answering (a FUSE server, a network share, a disk), made on
// threads of their own so that no caller is held by one: the window's thread above all, which only
// waits with a time limit or is told later.
//
// Calls go in lanes, one per mount and kind of call. A lane makes its calls one after the other on
// one thread, which ends by itself when the lane is empty: a mount that stops answering holds at
// most one thread per kind of call, however often it is asked. Further calls of that kind wait in
// line without a thread; a call asked for again while it waits or runs is joined, not made twice.
// A call that has finished is never joined: it leaves the lane before its result is published, so
// that a later caller asks anew.
//
// Each call owns what it uses (its argument, its work, its result): a thread left behind by a hung
// call touches nothing else when the call returns. The lanes are never destroyed, so that a thread
// that ends after the program's static objects are gone still finds them.
#pragma once

#include "platform/PConsole.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

using TCallClock = std::chrono::steady_clock;

enum class TCallKind : std::uint8_t {
    Statfs,  // a file system's statfs: its free space, the kind of a walk's start
    Touch,   // waking a share before it is listed
    Listing, // a folder's subfolders, for the tree and the list
    Icon,    // what a file is, for its own icon
    Check,   // whether a path is there, and what it is
    Trash,   // moving files to the trash
    Walk,    // a walk of a tree left behind by a stop (see PWalkTree.cpp)
    Count
};

// The lane of a path: the mount point it lies on (the longest mount point of the mount table that
// is a prefix of it by whole components); "//server/share" for a network path; "" for a relative
// path. The table is read from /proc, which never hangs, again whenever it has changed.
[[nodiscard]] std::string CallLane(std::string_view path);

// One call of a lane.
class TLaneCall {
public:
    explicit TLaneCall(std::string argument) : FArgument(std::move(argument)) {}
    virtual ~TLaneCall() = default;
    TLaneCall(const TLaneCall&) = delete;
    TLaneCall& operator=(const TLaneCall&) = delete;
    [[nodiscard]] const std::string& Argument() const { return FArgument; }
    // On the lane's thread: the call itself, then (once it has left the lane) its result published.
    virtual void Run() = 0;
    virtual void Publish() = 0;

private:
    std::string FArgument;
};

// A call that gives a T: whoever asked for it waits for it with a deadline, or is told when it
// has given its result.
template <class T> class TFileCall final : public TLaneCall {
public:
    TFileCall(std::string argument, std::function<T()> work)
        : TLaneCall(std::move(argument)), FWork(std::move(work)) {}

    // What call gave by deadline, else fallback; a null call gives fallback at once.
    static T Wait(const std::shared_ptr<TFileCall>& call, TCallClock::time_point deadline, T fallback) {
        if (!call) return fallback;
        std::unique_lock hold(call->FLock);
        if (!call->FFinished.wait_until(hold, deadline, [&] { return call->FDone; })) return fallback;
        return call->FResult;
    }

    // done(result) once the call has given it: here and now when it has, else on the lane's
    // thread (done must then own what it uses, and only hand the result on).
    void Then(std::function<void(const T&)> done) {
        std::unique_lock hold(FLock);
        if (!FDone) {
            FThen.push_back(std::move(done));
            return;
        }
        hold.unlock();
        done(FResult); // never changes once given
    }

    [[nodiscard]] bool Done() {
        std::lock_guard hold(FLock);
        return FDone;
    }

    void Run() override {
        try {
            FPending = FWork();
        } catch (...) {
            FPending = T{}; // a call that raises gives nothing
        }
        FWork = nullptr; // what the work held goes with the call's thread, not with a late waiter
    }

    void Publish() override {
        std::vector<std::function<void(const T&)>> then;
        {
            std::lock_guard hold(FLock);
            FResult = std::move(FPending);
            FDone = true;
            then.swap(FThen);
        }
        FFinished.notify_all();
        for (const auto& done : then)
            done(FResult);
    }

private:
    std::function<T()> FWork;
    T FPending{};
    std::mutex FLock;
    std::condition_variable FFinished;
    bool FDone = false;
    T FResult{};
    std::vector<std::function<void(const T&)>> FThen;
};

namespace detail {
// The lanes' side of StartFileCall: the call waiting or running on the lane for argument, else a
// new one (made by make) put in line; nullptr as StartFileCall says.
std::shared_ptr<TLaneCall> EnqueueCall(TCallKind kind, const std::string& lane, const std::string& argument,
                                       const std::function<std::shared_ptr<TLaneCall>()>& make,
                                       int heldAfterMs);
} // namespace detail

// Puts work in line as the call of kind on lane for argument, or joins the one waiting or running
// there for the same argument. heldAfterMs >= 0: nullptr when the lane's running call has run for
// that long already (a caller with that time limit would get nothing in time; nothing is put in
// line then), or when no thread can be started; -1: the call waits in line whatever holds the lane.
template <class T>
std::shared_ptr<TFileCall<T>> StartFileCall(TCallKind kind, const std::string& lane, std::string argument,
                                            std::function<T()> work, int heldAfterMs) {
    std::shared_ptr<TLaneCall> call = detail::EnqueueCall(
        kind, lane, argument,
        [&]() -> std::shared_ptr<TLaneCall> {
            return std::make_shared<TFileCall<T>>(argument, std::move(work));
        },
        heldAfterMs);
    // A call joined for the same argument on a lane of one kind is of the same type, by its callers.
    return std::static_pointer_cast<TFileCall<T>>(call);
}

// What work gives within timeLimitMs, made as a call of kind on the lane of path; fallback when it
// does not answer in time (the call goes on alone and ends by itself).
template <class T>
T CallWithin(TCallKind kind, const std::string& path, std::string argument, std::function<T()> work,
             int timeLimitMs, T fallback) {
    const auto deadline = TCallClock::now() + std::chrono::milliseconds(timeLimitMs);
    return TFileCall<T>::Wait(
        StartFileCall<T>(kind, CallLane(path), std::move(argument), std::move(work), timeLimitMs), deadline,
        std::move(fallback));
}

// ---- checks ----

// What a check of a path found: answered false when it did not answer in time (the call goes on
// alone); then what the path names (PathKindOf).
struct TPathCheck {
    bool answered = false;
    TPathKind kind = TPathKind::Missing;
};
// Starts the check of path on the check lane of its mount (nullptr as StartFileCall says, for
// heldAfterMs the time limit the caller will wait).
[[nodiscard]] std::shared_ptr<TFileCall<TPathCheck>> StartPathCheck(const std::string& path, bool followLink,
                                                                    int heldAfterMs);
// The check within timeLimitMs.
[[nodiscard]] TPathCheck CheckPathWithin(const std::string& path, bool followLink, int timeLimitMs);

// Lane threads running now (left behind ones included), of every kind or of one; for tests.
[[nodiscard]] int FileCallThreads();
[[nodiscard]] int FileCallThreads(TCallKind kind);
// Calls in line or running on the lanes of kind; for tests.
[[nodiscard]] int FileCallsPending(TCallKind kind);
// Whether the lane's running call has run for at least ms.
[[nodiscard]] bool LaneHeld(TCallKind kind, const std::string& lane, int ms);

// ---- results for the program's main thread ----

// Runs fn on the program's main thread (the window's) some time later, after what runs there now.
// The Qt layer hands it to the event loop (InstallQtPoster); without that, fn waits until
// RunPosted is called (programs and tests without an event loop). Safe from any thread.
void PostToMainThread(std::function<void()> fn);
// Installs how posted functions reach the main thread (nullptr: they wait for RunPosted again).
void SetMainThreadPoster(std::function<void(std::function<void()>)> poster);
// Runs, on the calling thread, what was posted while no poster was installed; how many ran.
std::size_t RunPosted();

} // namespace platform
