#include "platform/PFileCalls.h"

#include "platform/PMounts.h"
#include "platform/PWorkerThread.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <system_error>

namespace platform {

// ---- lanes ----

namespace {

bool StartsWithDir(std::string_view path, std::string_view dir) {
    if (dir == "/") return !path.empty() && path[0] == '/';
    return path.size() >= dir.size() && path.compare(0, dir.size(), dir) == 0 &&
           (path.size() == dir.size() || path[dir.size()] == '/');
}

// The mount points of the whole table (pseudo file systems too: a path below one is on it), read
// again whenever the kernel says the table changed (poll on /proc/self/mountinfo), so that a share
// mounted a moment ago has a lane of its own at once.
class TMountPoints {
public:
    std::string LaneOf(std::string_view path) {
        std::lock_guard hold(FLock);
        if (Changed()) Read();
        std::string best = "/";
        for (const std::string& point : FPoints)
            if (point.size() > best.size() && StartsWithDir(path, point)) best = point;
        return best;
    }

private:
    bool Changed() {
        if (FFd < 0) return true;
        pollfd p{FFd, POLLPRI, 0};
        return poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLPRI)) != 0;
    }
    void Read() {
        if (FFd < 0) FFd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        std::string text;
        if (FFd >= 0) {
            lseek(FFd, 0, SEEK_SET);
            char buffer[65536];
            for (ssize_t n; (n = read(FFd, buffer, sizeof buffer)) > 0;)
                text.append(buffer, static_cast<std::size_t>(n));
        }
        FPoints.clear();
        for (const TMountEntry& m : ParseMountInfoAll(text))
            FPoints.push_back(m.mountPoint);
    }

    std::mutex FLock;
    std::vector<std::string> FPoints;
    int FFd = -1; // kept open for the program's run: its poll tells a change of the table
};

struct TLane {
    std::deque<std::shared_ptr<TLaneCall>> waiting;
    std::shared_ptr<TLaneCall> running;
    TCallClock::time_point since; // when running started
    bool thread = false;          // a thread serves the lane
};

using TLaneKey = std::pair<TCallKind, std::string>;

class TLanes {
public:
    std::shared_ptr<TLaneCall> Enqueue(TCallKind kind, const std::string& laneName,
                                       const std::string& argument,
                                       const std::function<std::shared_ptr<TLaneCall>()>& make,
                                       int heldAfterMs) {
        std::lock_guard hold(FLock);
        const TLaneKey key{kind, laneName};
        TLane& lane = FLanes[key];
        const bool held = heldAfterMs >= 0 && lane.running &&
                          TCallClock::now() - lane.since >= std::chrono::milliseconds(heldAfterMs);
        if (lane.running && lane.running->Argument() == argument) return held ? nullptr : lane.running;
        for (const auto& waiting : lane.waiting)
            if (waiting->Argument() == argument) return held ? nullptr : waiting;
        if (held) return nullptr;
        std::shared_ptr<TLaneCall> call = make();
        lane.waiting.push_back(call);
        if (!lane.thread) {
            try {
                StartWorkerThread([this, key] { Serve(key); }).detach();
            } catch (const std::system_error&) {
                lane.waiting.pop_back();
                if (lane.waiting.empty() && !lane.running) FLanes.erase(key);
                return nullptr;
            }
            lane.thread = true;
            ++FThreads[static_cast<std::size_t>(kind)];
        }
        return call;
    }

    int Threads(int kind) {
        std::lock_guard hold(FLock);
        if (kind >= 0) return FThreads[static_cast<std::size_t>(kind)];
        int all = 0;
        for (int n : FThreads)
            all += n;
        return all;
    }

    int Pending(TCallKind kind) {
        std::lock_guard hold(FLock);
        int n = 0;
        for (const auto& [key, lane] : FLanes)
            if (key.first == kind) n += static_cast<int>(lane.waiting.size()) + (lane.running ? 1 : 0);
        return n;
    }

    bool Held(TCallKind kind, const std::string& laneName, int ms) {
        std::lock_guard hold(FLock);
        const auto it = FLanes.find({kind, laneName});
        return it != FLanes.end() && it->second.running &&
               TCallClock::now() - it->second.since >= std::chrono::milliseconds(ms);
    }

private:
    // The lane's thread: its calls one after the other, then it ends.
    void Serve(const TLaneKey& key) {
        std::unique_lock hold(FLock);
        for (;;) {
            const auto it = FLanes.find(key);
            TLane& lane = it->second; // a lane with a thread is never erased by another
            if (lane.waiting.empty()) {
                FLanes.erase(it);
                --FThreads[static_cast<std::size_t>(key.first)];
                return;
            }
            std::shared_ptr<TLaneCall> call = std::move(lane.waiting.front());
            lane.waiting.pop_front();
            lane.running = call;
            lane.since = TCallClock::now();
            hold.unlock();
            call->Run();
            hold.lock();
            // Out of the lane before it is published: a later caller never joins a finished call.
            FLanes.find(key)->second.running.reset();
            hold.unlock();
            call->Publish();
            call.reset();
            hold.lock();
        }
    }

    std::mutex FLock;
    std::map<TLaneKey, TLane> FLanes;
    std::array<int, static_cast<std::size_t>(TCallKind::Count)> FThreads{};
};

// Immortal, as the header says.
TLanes& Lanes() {
    static auto* lanes = new TLanes;
    return *lanes;
}

TMountPoints& MountPoints() {
    static auto* points = new TMountPoints;
    return *points;
}

} // namespace

std::string CallLane(std::string_view path) {
    if (path.size() >= 2 && path[0] == '/' && path[1] == '/') {
        // "//server/share": the share is the unit that stops answering.
        std::size_t end = path.find('/', 2);
        if (end != std::string_view::npos) end = path.find('/', end + 1);
        return std::string(path.substr(0, end));
    }
    if (path.empty() || path[0] != '/') return {};
    return MountPoints().LaneOf(path);
}

namespace detail {
std::shared_ptr<TLaneCall> EnqueueCall(TCallKind kind, const std::string& lane, const std::string& argument,
                                       const std::function<std::shared_ptr<TLaneCall>()>& make,
                                       int heldAfterMs) {
    return Lanes().Enqueue(kind, lane, argument, make, heldAfterMs);
}
} // namespace detail

int FileCallThreads() {
    return Lanes().Threads(-1);
}

int FileCallThreads(TCallKind kind) {
    return Lanes().Threads(static_cast<int>(kind));
}

int FileCallsPending(TCallKind kind) {
    return Lanes().Pending(kind);
}

bool LaneHeld(TCallKind kind, const std::string& lane, int ms) {
    return Lanes().Held(kind, lane, ms);
}

// ---- checks ----

std::shared_ptr<TFileCall<TPathCheck>> StartPathCheck(const std::string& path, bool followLink,
                                                      int heldAfterMs) {
    return StartFileCall<TPathCheck>(
        TCallKind::Check, CallLane(path), std::string(followLink ? "kind " : "entry ") + path,
        [path, followLink] {
            return TPathCheck{true, PathKindOf(path, followLink)};
        },
        heldAfterMs);
}

TPathCheck CheckPathWithin(const std::string& path, bool followLink, int timeLimitMs) {
    const auto deadline = TCallClock::now() + std::chrono::milliseconds(timeLimitMs);
    return TFileCall<TPathCheck>::Wait(StartPathCheck(path, followLink, timeLimitMs), deadline, TPathCheck{});
}

// ---- the main thread ----

namespace {

struct TPosting {
    std::mutex lock;
    std::function<void(std::function<void()>)> poster;
    std::deque<std::function<void()>> queued; // while no poster is installed
};

TPosting& Posting() {
    static auto* posting = new TPosting; // immortal: posts may come from threads left behind
    return *posting;
}

} // namespace

void PostToMainThread(std::function<void()> fn) {
    TPosting& p = Posting();
    std::lock_guard hold(p.lock);
    // Under the lock: an uninstalled poster is never called afterwards.
    if (p.poster)
        p.poster(std::move(fn));
    else
        p.queued.push_back(std::move(fn));
}

void SetMainThreadPoster(std::function<void(std::function<void()>)> poster) {
    TPosting& p = Posting();
    std::lock_guard hold(p.lock);
    p.poster = std::move(poster);
}

std::size_t RunPosted() {
    TPosting& p = Posting();
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard hold(p.lock);
            if (p.queued.empty()) return ran;
            fn = std::move(p.queued.front());
            p.queued.pop_front();
        }
        fn();
        ++ran;
    }
}

} // namespace platform
