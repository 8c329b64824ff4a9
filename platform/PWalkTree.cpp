// A walk as its callers see it: the file system is read on threads of the walk's own, and the
// visitor is called on the caller's thread from what they hand over in batches. The caller's
// thread makes no file-system call at all, so a file system that stops answering holds only the
// walk's threads: the visitor is still called (Waiting) and its stop ends the walk at once.
//
// A walk that is stopped while one of its threads is held in a call leaves that thread behind. It
// owns all it still uses (the walk's state, the channel the batches go through); when its call
// returns it finds the stop, hands nothing more on and ends by itself.
#include "platform/PEnumerate.h"
#include "platform/PFileCalls.h"
#include "platform/PProcessors.h"
#include "platform/PWalkCore.h"
#include "platform/PWorkerThread.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<unsigned> gWalkThreads{0};

// ---- the batches ----

// What the walk did, as the visitor is to be told it.
enum TEvent : unsigned char { kFile, kFolder, kEnd, kEndStopped, kAfter };

// An entry as a batch holds it, its name right behind it.
struct TPackedEntry {
    std::int64_t size;
    TDateTime created, accessed, modified;
    std::uint32_t attributes;
    std::uint32_t nameLength;
    std::uint8_t isFolder, isLink, isSpecial;
};

struct TBatch {
    std::vector<char> bytes;
};

// A batch is handed over when it holds this much, or when it is this old and the walk goes on
// slowly (a network share), so that the visitor's figures keep moving.
constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr auto kBatchAge = std::chrono::milliseconds(20);
// Batches handed over and not yet replayed, at most: the walk waits beyond.
constexpr std::size_t kQueuedBatches = 16;
// How often the visitor's thread calls Waiting while no batch comes.
constexpr auto kWaitingEvery = std::chrono::milliseconds(40);
// After a stop, how long the visitor's thread waits for the walk's threads to end before it leaves
// them behind: long enough for a walk that no file system holds.
constexpr auto kEndGrace = std::chrono::milliseconds(5);

// Mounts with walks left behind by a stop while a file system held them. A walk of such a mount
// waits, making no call at all, until those have ended: stopping walks of a mount that does not
// answer, again and again, leaves the threads of one walk behind, not those of one walk per stop.
class TWalkGate {
public:
    void Left(const std::string& lane) {
        std::lock_guard hold(FLock);
        ++FLeft[lane];
    }
    void Ended(const std::string& lane) {
        std::lock_guard hold(FLock);
        if (const auto it = FLeft.find(lane); it != FLeft.end() && --it->second == 0) FLeft.erase(it);
        FChanged.notify_all();
    }
    // Waits while a walk of lane is left behind; false when stop came first.
    bool Pass(const std::string& lane, const std::atomic<bool>& stop) {
        std::unique_lock hold(FLock);
        FChanged.wait(hold, [&] { return stop.load() || FLeft.count(lane) == 0; });
        return !stop.load();
    }
    // A stop was given: the walks waiting here look again.
    void Wake() {
        std::lock_guard hold(FLock);
        FChanged.notify_all();
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::map<std::string, int> FLeft;
};

// Immortal: a walk left behind may end while the program's statics are being destroyed.
TWalkGate& Gate() {
    static auto* gate = new TWalkGate;
    return *gate;
}

// Shared by the walking thread and the visitor's thread; owned by both.
struct TChannel {
    std::mutex mutex;
    std::condition_variable forVisitor; // batches or the end arrived
    std::condition_variable forWalker;  // room arrived, or the stop
    std::deque<std::unique_ptr<TBatch>> full;
    std::vector<std::unique_ptr<TBatch>> spare;
    bool visitorWaits = false;
    bool walkerWaits = false;
    bool ended = false; // the walk's threads are done with the file system
    TWalkResult result = TWalkResult::Completed;
    std::exception_ptr error;
    std::atomic<bool> stop{false}; // the visitor said stop: hand nothing more on
    std::string lane;              // the mount walked (CallLane)
    bool leftBehind = false;       // the visitor's thread went on without it: the gate counts it
};

// The visitor of the walk on its own thread: it writes what it is told into batches.
class TRecorder final : public TWalkVisitor {
public:
    explicit TRecorder(std::shared_ptr<TChannel> channel) : FChannel(std::move(channel)) { NewBatch(); }

    bool FolderBegin(const std::string&) override { return !Stopped(); } // the visitor makes its paths
    void File(const TEntry& e) override { PutEntry(kFile, e); }
    void Folder(const TEntry& e) override { PutEntry(kFolder, e); }
    void FolderEnd(bool stopped) override { Put(stopped ? kEndStopped : kEnd); }
    bool AfterEntry(std::uint64_t) override {
        Put(kAfter);
        return !Stopped();
    }
    bool Waiting() override {
        Flush();
        return !Stopped();
    }

    // Hands the batch over, waiting for room while the visitor is behind (not after a stop).
    void Flush() {
        if (FBatch->bytes.empty() || Stopped()) return;
        TChannel& c = *FChannel;
        std::unique_lock lock(c.mutex);
        while (c.full.size() >= kQueuedBatches && !Stopped()) {
            c.walkerWaits = true;
            c.forWalker.wait(lock);
            c.walkerWaits = false;
        }
        if (Stopped()) return;
        c.full.push_back(std::move(FBatch));
        if (c.visitorWaits) c.forVisitor.notify_one();
        if (!c.spare.empty()) {
            FBatch = std::move(c.spare.back());
            c.spare.pop_back();
        }
        lock.unlock();
        if (!FBatch) NewBatch();
        FBatch->bytes.clear();
        FEvents = 0;
    }

private:
    [[nodiscard]] bool Stopped() const { return FChannel->stop.load(std::memory_order_relaxed); }

    void NewBatch() {
        FBatch = std::make_unique<TBatch>();
        FBatch->bytes.reserve(kBatchBytes + 512);
    }

    void Put(TEvent event) {
        if (FEvents++ == 0) FFirst = Clock::now();
        FBatch->bytes.push_back(static_cast<char>(event));
        Due();
    }

    void PutEntry(TEvent event, const TEntry& e) {
        if (FEvents++ == 0) FFirst = Clock::now();
        const TPackedEntry packed{e.size,
                                  e.created,
                                  e.accessed,
                                  e.modified,
                                  e.attributes,
                                  static_cast<std::uint32_t>(e.name.size()),
                                  e.isFolder,
                                  e.isLink,
                                  e.isSpecial};
        std::vector<char>& bytes = FBatch->bytes;
        const std::size_t at = bytes.size();
        bytes.resize(at + 1 + sizeof packed + e.name.size());
        bytes[at] = static_cast<char>(event);
        std::memcpy(bytes.data() + at + 1, &packed, sizeof packed);
        std::memcpy(bytes.data() + at + 1 + sizeof packed, e.name.data(), e.name.size());
        Due();
    }

    void Due() {
        if (FBatch->bytes.size() >= kBatchBytes || (FEvents % 64 == 0 && Clock::now() - FFirst >= kBatchAge))
            Flush();
    }

    std::shared_ptr<TChannel> FChannel;
    std::unique_ptr<TBatch> FBatch;
    std::size_t FEvents = 0;
    Clock::time_point FFirst;
};

// The walk's own thread: all file-system calls of the walk are made here and on its readers.
void Produce(const std::shared_ptr<TChannel>& channel, const std::string& path, unsigned threads) {
    TWalkResult result = TWalkResult::Stopped; // stopped at the gate: nothing was asked
    std::exception_ptr error;
    try {
        if (Gate().Pass(channel->lane, channel->stop)) {
            TRecorder recorder(channel);
            if (threads == 0) {
                const unsigned forced = gWalkThreads.load(std::memory_order_relaxed);
                threads = forced != 0 ? forced : WalkThreads(path);
            }
            result = walk::WalkHere(path, recorder, threads, [&recorder] { recorder.Flush(); },
                                    std::shared_ptr<const std::atomic<bool>>(channel, &channel->stop));
            recorder.Flush();
        }
    } catch (...) {
        error = std::current_exception();
    }
    // Every reader is joined and every folder closed by now.
    std::lock_guard lock(channel->mutex);
    channel->ended = true;
    channel->result = result;
    channel->error = error;
    if (channel->leftBehind) Gate().Ended(channel->lane);
    channel->forVisitor.notify_all();
}

// ---- the visitor's side ----

// Tells the visitor what the batches say, with the paths and counts of the walk.
class TReplay {
public:
    TReplay(TWalkVisitor& visitor, const std::string& start) : FVisitor(visitor), FPath(start) {
        FLengths.push_back(FPath.size());
        FCounts.push_back(0);
    }

    // False when the visitor said stop (every open folder has had its end then).
    bool Play(const TBatch& batch) {
        const char* at = batch.bytes.data();
        const char* const end = at + batch.bytes.size();
        while (at < end) {
            const auto event = static_cast<TEvent>(*at++);
            switch (event) {
            case kFile:
            case kFolder: {
                TPackedEntry packed;
                std::memcpy(&packed, at, sizeof packed);
                at += sizeof packed;
                TEntry e;
                e.name = std::string_view(at, packed.nameLength);
                at += packed.nameLength;
                e.size = packed.size;
                e.created = packed.created;
                e.accessed = packed.accessed;
                e.modified = packed.modified;
                e.attributes = packed.attributes;
                e.isFolder = packed.isFolder != 0;
                e.isLink = packed.isLink != 0;
                e.isSpecial = packed.isSpecial != 0;
                if (event == kFile) {
                    FVisitor.File(e);
                    break;
                }
                FVisitor.Folder(e);
                FPath.append(e.name);
                FPath += '/';
                if (!FVisitor.FolderBegin(FPath)) {
                    FVisitor.FolderEnd(true);
                    FPath.resize(FLengths.back());
                    return Stop();
                }
                FLengths.push_back(FPath.size());
                FCounts.push_back(0);
                break;
            }
            case kEnd:
            case kEndStopped:
                FLengths.pop_back();
                FCounts.pop_back();
                FVisitor.FolderEnd(event == kEndStopped);
                if (!FLengths.empty()) FPath.resize(FLengths.back());
                break;
            case kAfter:
                if (!FVisitor.AfterEntry(++FCounts.back())) return Stop();
                break;
            }
        }
        return true;
    }

    // The visitor said stop elsewhere (Waiting): every open folder ends, stopped.
    bool Stop() {
        while (!FLengths.empty()) {
            FLengths.pop_back();
            FCounts.pop_back();
            FVisitor.FolderEnd(true);
        }
        return false;
    }

    [[nodiscard]] bool Done() const { return FLengths.empty(); }

private:
    TWalkVisitor& FVisitor;
    std::string FPath;
    std::vector<std::size_t> FLengths; // of FPath at each open folder
    std::vector<std::uint64_t> FCounts;
};

// The walk's thread, joined when it has ended (or ends within the grace), else left to end alone.
class TWalkThread {
public:
    TWalkThread(std::shared_ptr<TChannel> channel, std::thread thread)
        : FChannel(std::move(channel)), FThread(std::move(thread)) {}
    ~TWalkThread() { Leave(); }
    TWalkThread(const TWalkThread&) = delete;
    TWalkThread& operator=(const TWalkThread&) = delete;

    // Stops the walk: it hands nothing more on; the thread ends when no call holds it.
    void Stop() {
        TChannel& c = *FChannel;
        c.stop = true;
        {
            std::lock_guard lock(c.mutex);
            c.forWalker.notify_all();
        }
        Gate().Wake();
    }

    void Leave() {
        if (!FThread.joinable()) return;
        TChannel& c = *FChannel;
        bool ended;
        {
            std::unique_lock lock(c.mutex);
            ended = c.forVisitor.wait_for(lock, kEndGrace, [&] { return c.ended; });
            if (!ended) {
                // Counted before the lock goes, so that its end (under the lock) finds the count.
                c.leftBehind = true;
                Gate().Left(c.lane);
            }
        }
        if (ended)
            FThread.join();
        else
            FThread.detach(); // held by a file system: it owns its share of the channel
    }

private:
    std::shared_ptr<TChannel> FChannel;
    std::thread FThread;
};

} // namespace

TWalkResult WalkTree(const std::string& path, TWalkVisitor& visitor) {
    return WalkTree(path, visitor, 0);
}

TWalkResult WalkTree(const std::string& path, TWalkVisitor& visitor, unsigned threads) {
    std::string start = path;
    if (start.empty() || start.back() != '/') start += '/';
    if (!visitor.FolderBegin(start)) {
        visitor.FolderEnd(true);
        return TWalkResult::Stopped;
    }
    auto channel = std::make_shared<TChannel>();
    channel->lane = CallLane(start);
    TReplay replay(visitor, start);
    TWalkThread walker(channel, StartWorkerThread([channel, start, threads] { Produce(channel, start, threads); }));
    try {
        TChannel& c = *channel;
        std::unique_lock lock(c.mutex);
        while (true) {
            if (c.full.empty()) {
                if (c.ended) break;
                c.visitorWaits = true;
                const bool arrived = c.forVisitor.wait_for(lock, kWaitingEvery, [&] { return !c.full.empty() || c.ended; });
                c.visitorWaits = false;
                if (arrived) continue;
                lock.unlock();
                const bool go = visitor.Waiting();
                lock.lock();
                if (!go) {
                    lock.unlock();
                    walker.Stop();
                    replay.Stop();
                    return TWalkResult::Stopped;
                }
                continue;
            }
            std::unique_ptr<TBatch> batch = std::move(c.full.front());
            c.full.pop_front();
            if (c.walkerWaits) c.forWalker.notify_one();
            lock.unlock();
            const bool go = replay.Play(*batch);
            lock.lock();
            if (c.spare.size() < 2) c.spare.push_back(std::move(batch));
            if (!go) {
                lock.unlock();
                walker.Stop();
                return TWalkResult::Stopped;
            }
        }
        const TWalkResult result = c.result;
        const std::exception_ptr error = c.error;
        lock.unlock();
        walker.Leave();
        if (error) std::rethrow_exception(error);
        if (!replay.Done()) replay.Stop(); // never so: the walk ends what it begins
        return result;
    } catch (...) {
        walker.Stop();
        throw;
    }
}

namespace walk {

void WalkLeftBehind(const std::string& lane) {
    Gate().Left(lane);
}

void WalkLeftEnded(const std::string& lane) {
    Gate().Ended(lane);
}

TWalkResult WalkHere(const std::string& path, TWalkVisitor& visitor, unsigned threads,
                     const std::function<void()>& idle, std::shared_ptr<const std::atomic<bool>> stopped) {
    std::string start = path;
    TStart opened;
    TWalkResult result;
    if (!StartWalk(visitor, start, opened, result)) return result;
    std::unique_ptr<TMountNode> mounts = ReadMountTree(opened.fd, start);
    if (threads <= 1) return TWalker(visitor).RunFrom(opened.fd, start, opened.device, opened.inode, {}, mounts.get());
    return ParallelWalk(visitor, threads, start, opened, std::move(mounts), idle, std::move(stopped));
}

} // namespace walk

unsigned WalkThreadsFor(bool rotational, unsigned processors) {
    return std::clamp(std::min(processors, rotational ? 2u : 8u), 1u, 8u);
}

unsigned WalkThreads(const std::string& path) {
    bool rotational = false;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && major(st.st_dev) != 0) {
        std::error_code error;
        const std::filesystem::path device = std::filesystem::canonical(
            "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev)),
            error);
        // A virtual machine's disk says it is rotational whatever stores it on the host: only a disk
        // the kernel sees itself is believed.
        const std::string text = device.string();
        const bool virtualDisk = text.find("/virtio") != std::string::npos ||
                                 text.find("/xen") != std::string::npos ||
                                 text.find("/vbd-") != std::string::npos;
        // A partition has no queue of its own: its disk's is one folder up.
        for (const char* queue : {"queue/rotational", "../queue/rotational"}) {
            std::ifstream in(device / queue);
            int flag = 0;
            if (!error && !virtualDisk && in >> flag) {
                rotational = flag == 1;
                break;
            }
        }
    }
    return WalkThreadsFor(rotational, ProcessorCount());
}

void SetWalkThreads(unsigned threads) {
    gWalkThreads.store(threads, std::memory_order_relaxed);
}

} // namespace platform
