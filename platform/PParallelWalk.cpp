// The walk with folders read on several threads. Reader threads open folders, list them and statx
// their entries, nearest first in walk order and a bounded window ahead; the walking thread hands
// each folder's entries to the visitor in the order the folder gave them, as the walk on one thread
// does, reading a folder itself whenever no reader has taken it yet (so it never waits for what no
// one reads). Below its parallel levels the walking thread goes on alone with the one-thread walker.
//
// Ownership: every node is owned by its parent's opened list until the walking thread takes it into
// a frame; the frames own the folders the walk is in. A node leaves the task set before its owner
// frees it (Forget), and a walk that stops joins its readers before it frees anything, so no
// structure ever points at a freed node.
#include "platform/PEnumerate.h"
#include "platform/PFileCalls.h"
#include "platform/PWalkCore.h"
#include "platform/PWorkerThread.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <set>
#include <thread>

namespace platform::walk {

namespace {

// The walk's one lock. Its holders keep it for a few dozen instructions, and the walking thread
// takes it a few times per folder: a waiter spins a little before it sleeps, since going to sleep
// and being woken again costs far more than the wait.
class TWalkMutex {
public:
    TWalkMutex() {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
        pthread_mutex_init(&FMutex, &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    ~TWalkMutex() { pthread_mutex_destroy(&FMutex); }
    TWalkMutex(const TWalkMutex&) = delete;
    TWalkMutex& operator=(const TWalkMutex&) = delete;
    void lock() { pthread_mutex_lock(&FMutex); }
    void unlock() { pthread_mutex_unlock(&FMutex); }

private:
    pthread_mutex_t FMutex;
};

// One entry as a reader saw it; its name lives in its chunk's name block.
struct TReadEntry {
    TEntry entry; // name set when it is handed over
    std::uint64_t inode = 0;
    const TMountNode* mounts = nullptr;
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    TRawEntry::Kind kind = TRawEntry::Gone;
    bool enter = false; // a folder the walk goes into
};

// The entries of one listing call.
struct TChunk {
    std::vector<TReadEntry> entries;
    std::string names;
    // The memory it holds, as the read-ahead window counts it.
    [[nodiscard]] std::size_t Bytes() const {
        return sizeof(TChunk) + entries.capacity() * sizeof(TReadEntry) + names.capacity();
    }
};

// A subfolder not opened yet: its index among its folder's entries, inode and name.
struct TSub {
    std::uint64_t index = 0;
    std::uint64_t inode = 0;
    const TMountNode* mounts = nullptr;
    std::string name;
};

struct TNode {
    TNode* parent = nullptr;
    // Entry indices from the start folder down (no folder holds 2^32 entries): its walk order.
    std::vector<std::uint32_t> place;
    std::uint64_t inode = 0;
    const TMountNode* mounts = nullptr; // on the way to mount points, else nullptr
    int fd = -1;
    int fdUsers = 0;     // subfolders being opened through fd right now
    bool keepFd = false; // its subfolders lie below the parallel levels: the walking thread opens them
    enum Reader : std::uint8_t { Nobody, Reader, Walker } reader = Nobody;
    bool done = false;                          // every entry read, or the folder could not be opened
    std::uint64_t read = 0;                     // entries read so far
    std::deque<std::unique_ptr<TChunk>> chunks; // read, not handed over
    std::deque<TSub> subs;                      // to open, in order
    std::deque<std::pair<std::uint64_t, std::unique_ptr<TNode>>> opened; // opened, in order

    ~TNode() {
        if (fd >= 0) close(fd);
    }
    [[nodiscard]] std::size_t Level() const { return place.size(); }
};

// Orders folders with subfolders to open by the place of the next one in walk order.
struct TNextSubFirst {
    bool operator()(const TNode* a, const TNode* b) const {
        const std::size_t n = std::min(a->place.size(), b->place.size());
        for (std::size_t i = 0; i < n; ++i)
            if (a->place[i] != b->place[i]) return a->place[i] < b->place[i];
        const std::uint64_t na = a->place.size() > n ? a->place[n] : a->subs.front().index;
        const std::uint64_t nb = b->place.size() > n ? b->place[n] : b->subs.front().index;
        if (na != nb) return na < nb;
        // One place is a prefix of the other up to the next subfolder: the shallower first.
        return a->place.size() < b->place.size();
    }
};

// The memory read ahead of the visitor at most, in bytes (a folder being read may pass it by one
// listing call per reader): some 20,000 entries of typical names.
constexpr std::size_t kWindow = 2 << 20;
constexpr std::size_t kListingBytes = 16384;
constexpr std::size_t kUsedChunks = 16;

std::uint64_t DescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return limit.rlim_cur;
    return 1024;
}

// After a stop, how long the walking thread waits for its readers to end before it leaves the walk
// to them: long enough for readers that no file system holds.
constexpr auto kReaderGrace = std::chrono::milliseconds(5);

// Counts a walk left to its readers at the walk gate (PWalkCore.h) until the last of them ends.
class TLeftToReaders {
public:
    TLeftToReaders() = default;
    TLeftToReaders(const TLeftToReaders&) = delete;
    TLeftToReaders& operator=(const TLeftToReaders&) = delete;
    ~TLeftToReaders() {
        if (!FLane.empty()) WalkLeftEnded(FLane);
    }
    void Leave(std::string lane) {
        FLane = lane.empty() ? std::string("/") : std::move(lane);
        WalkLeftBehind(FLane);
    }

private:
    std::string FLane;
};

// Shared by the walking thread and its readers: a stop whose readers a file system holds leaves
// it to them, and the last one to end frees it (and every node and descriptor with it).
class TParallelWalk {
public:
    TParallelWalk(TWalkVisitor& visitor, unsigned threads, const std::function<void()>& idle,
                  std::unique_ptr<TMountNode> mounts, std::shared_ptr<const std::atomic<bool>> stopped)
        : FMounts(std::move(mounts)), FOutsideStop(std::move(stopped)), FVisitor(visitor), FIdle(idle),
          FThreads(threads),
          // Readers hold at most a quarter of the descriptors this process may open, the folders
          // the walking thread is in an eighth, the one-thread walker below them kOpenLevels + 1.
          FMaxFds(static_cast<int>(std::clamp<std::uint64_t>(DescriptorLimit() / 4, 16, 256))),
          FLevels(static_cast<std::size_t>(
              std::clamp<std::uint64_t>(DescriptorLimit() / 8, 2, kParallelLevels))) {}
    ~TParallelWalk() {
        EndReaders();
        // Nothing reads the nodes any more; the set goes before the frames free them.
        FTasks.clear();
        FWaitedFor = nullptr;
    }
    TParallelWalk(const TParallelWalk&) = delete;
    TParallelWalk& operator=(const TParallelWalk&) = delete;

    // self: the walk's own shared pointer, which each reader holds.
    TWalkResult Run(const std::shared_ptr<TParallelWalk>& self, std::string& path, const TStart& start);
    // Stops and joins every reader.
    void EndReaders();

private:
    struct TFrame {
        std::unique_ptr<TNode> node;
        std::size_t pathLength = 0;
        std::uint64_t count = 0; // entries counted for AfterEntry
        std::uint64_t index = 0; // index of the next entry among the folder's entries
        std::unique_ptr<TChunk> chunk;
        std::size_t next = 0;
    };

    // Reader threads.
    void ReaderLoop();
    // The walk was stopped from outside (its visitor's thread), whatever its own thread is doing.
    [[nodiscard]] bool WalkStopped() const { return FOutsideStop && FOutsideStop->load(std::memory_order_relaxed); }
    // Waits on cv, and looks at the outside stop now and then: a walking thread held by a file
    // system stops nobody, and a reader with nothing to do must not wait for it.
    void WaitWhileWalked(std::condition_variable_any& cv, std::unique_lock<TWalkMutex>& lock) {
        if (FOutsideStop)
            cv.wait_for(lock, std::chrono::milliseconds(40));
        else
            cv.wait(lock);
    }
    // Stops the readers and joins them when they end within kReaderGrace; else leaves the walk to
    // them (false).
    bool EndReadersWithin();
    // Lists the next entries of node (open, read by this thread only): false when it has no more.
    bool ReadChunk(TNode& node, TLocalDateCache& dates, std::vector<char>& buffer, TChunk& chunk,
                   std::vector<TSub>& subs);
    // Under the lock: the listed entries join node; wakes who waits for them.
    void Publish(TNode& node, std::unique_ptr<TChunk> chunk, std::vector<TSub>& subs, bool end);
    // Under the lock: the next subfolder of parent becomes a node being opened (its name given),
    // made of spare (allocated before the lock was taken: nothing is allocated under it).
    TNode* Claim(TNode& parent, std::string& name, std::unique_ptr<TNode>& spare);
    std::unique_ptr<TNode> Spare() const {
        auto node = std::make_unique<TNode>();
        node->place.reserve(16);
        return node;
    }
    // Opens a claimed node through its parent's descriptor, the lock not held on entry or exit.
    void OpenClaimed(TNode& node, const std::string& name);
    // Under the lock: chunks handed over go back to the readers, who fill them again rather than
    // allocate new ones on one thread for another to free.
    void GiveBack(std::unique_ptr<TChunk> chunk) {
        if (!chunk || FUsedChunks.size() >= kUsedChunks) return;
        chunk->entries.clear();
        chunk->names.clear();
        FUsedChunks.push_back(std::move(chunk));
    }
    std::unique_ptr<TChunk> UsedChunk() {
        if (FUsedChunks.empty()) return nullptr;
        std::unique_ptr<TChunk> chunk = std::move(FUsedChunks.back());
        FUsedChunks.pop_back();
        return chunk;
    }
    // Under the lock: closes node's descriptor once nothing needs it.
    void ReleaseFd(TNode& node);
    void CloseFd(TNode& node);
    // Under the lock: a folder to open can be given to a reader now.
    [[nodiscard]] bool WorkReady() const {
        return !FTasks.empty() && FBuffered < kWindow && FOpenFds < FMaxFds;
    }
    // Under the lock: wakes up to n idle readers, only when there is work for them.
    void WakeReaders(std::size_t n) {
        if (!WorkReady()) return;
        for (std::size_t i = 0, idle = FIdleReaders; i < std::min(n, idle); ++i)
            FWork.notify_one();
    }
    // Under the lock: a reader held by a full window goes on when there is room, or when the
    // walking thread waits for its very folder.
    void WakeHeldReaders() {
        if (FHeldReaders > 0) FRoom.notify_all();
    }
    // Under the lock: the walking thread looks again, if it waits for node.
    void WakeWalker(const TNode& node) {
        if (FWalkerWaits && FWaitedFor == &node) FReady.notify_one();
    }
    // Under the lock: node and the nodes below it, about to be freed, leave every structure that
    // points at nodes.
    void Forget(TNode& node);
    [[nodiscard]] bool IsAbove(const TNode& node, std::uint64_t inode) const;

    // The walking thread.
    enum class TNext { Chunk, End, Stop };
    // The next chunk of the frame's folder.
    TNext NextChunk(TFrame& frame);
    TWalkResult Loop();
    // The child node for the subfolder at index of node.
    std::unique_ptr<TNode> TakeChild(TNode& node, std::uint64_t index);
    TWalkResult WalkDeep(TFrame& frame, const TReadEntry& e, const std::string& path);
    void PushFrame(std::unique_ptr<TNode> node) {
        FAncestors.insert(node->inode);
        TFrame& frame = FFrames.emplace_back();
        frame.node = std::move(node);
        frame.pathLength = FPath.size();
    }
    void PopFrame();
    TWalkResult Stop();

    // First, so that it goes last: a walk left to its readers is counted until all is freed.
    TLeftToReaders FLeft;
    std::unique_ptr<TMountNode> FMounts;
    std::shared_ptr<const std::atomic<bool>> FOutsideStop; // may be null
    // The walking thread's only: never used once a stop has left the walk to its readers.
    TWalkVisitor& FVisitor;
    const std::function<void()>& FIdle;
    const unsigned FThreads;
    const int FMaxFds;
    const std::size_t FLevels; // levels read in parallel
    TDevice FDevice;

    TWalkMutex FMutex;
    std::condition_variable_any FWork;      // idle readers wait for folders to read
    std::condition_variable_any FRoom;      // readers in the middle of a folder wait for window room
    std::condition_variable_any FReady;     // the walking thread waits for entries
    std::set<TNode*, TNextSubFirst> FTasks; // folders with subfolders to open
    std::size_t FBuffered = 0;              // bytes of entries and opened folders read ahead, not handed over
    int FOpenFds = 0;
    std::size_t FIdleReaders = 0; // waiting on FWork
    std::size_t FHeldReaders = 0; // waiting on FRoom
    std::size_t FLiveReaders = 0; // started and not ended
    std::condition_variable_any FReadersEnded;
    bool FStop = false;
    bool FWalkerWaits = false;
    const TNode* FWaitedFor = nullptr;  // the folder the walking thread waits for, once it has
    std::atomic<bool> FStopping{false}; // read without the lock between entries
    std::exception_ptr FError;
    std::vector<std::thread> FReaders;
    std::vector<std::unique_ptr<TChunk>> FUsedChunks;

    std::vector<TFrame> FFrames;
    std::unordered_set<std::uint64_t> FAncestors; // inodes of the frames' folders
    std::string FPath;
    std::string FStart; // the start's path
    std::unique_ptr<TLocalDateCache> FDates = std::make_unique<TLocalDateCache>();
    std::vector<char> FBuffer = std::vector<char>(kListingBytes);
    std::unique_ptr<TNode> FSpare; // the walking thread's node for a folder no reader has taken
};

bool TParallelWalk::IsAbove(const TNode& node, std::uint64_t inode) const {
    for (const TNode* n = &node; n; n = n->parent)
        if (n->inode == inode) return true;
    return false;
}

bool TParallelWalk::ReadChunk(TNode& node, TLocalDateCache& dates, std::vector<char>& buffer, TChunk& chunk,
                              std::vector<TSub>& subs) {
    const long got = getdents64(node.fd, buffer.data(), buffer.size());
    if (got <= 0) return false; // the end, or an error that ends the folder as readdir would
    const bool parallelBelow = node.Level() + 1 < FLevels;
    TRawEntry raw;
    for (long at = 0; at < got;) {
        const auto* d = reinterpret_cast<const dirent64*>(buffer.data() + at);
        at += d->d_reclen;
        TReadEntry& e = chunk.entries.emplace_back();
        if (IsDotName(d->d_name)) {
            e.kind = TRawEntry::Dot;
            continue;
        }
        if (FStopping.load(std::memory_order_relaxed)) {
            e.kind = TRawEntry::Gone; // never handed over
            continue;
        }
        ReadEntry(node.fd, d->d_name, d->d_type, d->d_ino, node.mounts, dates, raw);
        e.kind = raw.kind;
        if (raw.kind == TRawEntry::Gone) continue;
        e.entry = raw.entry;
        e.entry.name = {};
        e.inode = raw.inode;
        e.mounts = raw.mounts;
        e.nameOffset = static_cast<std::uint32_t>(chunk.names.size());
        e.nameLength = static_cast<std::uint32_t>(raw.entry.name.size());
        chunk.names.append(raw.entry.name);
        if (raw.kind == TRawEntry::Folder) {
            // The rules of the one-thread walk: one file system, no mount point, no ancestor again.
            e.enter = !raw.mountRoot && TDevice{raw.devMajor, raw.devMinor} == FDevice && !IsAbove(node, raw.inode);
            if (e.enter && parallelBelow)
                subs.push_back({node.read + chunk.entries.size() - 1, raw.inode, raw.mounts,
                                std::string(raw.entry.name)});
        }
    }
    return true;
}

void TParallelWalk::Publish(TNode& node, std::unique_ptr<TChunk> chunk, std::vector<TSub>& subs, bool end) {
    const bool had = !node.chunks.empty();
    if (chunk && !chunk->entries.empty()) {
        node.read += chunk->entries.size();
        FBuffered += chunk->Bytes();
        node.chunks.push_back(std::move(chunk));
    }
    if (!subs.empty()) {
        const std::size_t added = subs.size();
        const bool hadSubs = !node.subs.empty();
        for (TSub& s : subs)
            node.subs.push_back(std::move(s));
        subs.clear();
        if (!hadSubs) FTasks.insert(&node);
        WakeReaders(added);
    }
    if (end) {
        node.done = true;
        ReleaseFd(node);
    }
    // The walking thread waits for the first chunk, or for the end: later chunks it finds itself.
    if (!had || end) WakeWalker(node);
}

TNode* TParallelWalk::Claim(TNode& parent, std::string& name, std::unique_ptr<TNode>& spare) {
    FTasks.erase(&parent);
    TSub sub = std::move(parent.subs.front());
    parent.subs.pop_front();
    if (!parent.subs.empty()) FTasks.insert(&parent);
    std::unique_ptr<TNode> child = std::move(spare);
    child->parent = &parent;
    child->place.assign(parent.place.begin(), parent.place.end());
    child->place.push_back(static_cast<std::uint32_t>(sub.index));
    child->inode = sub.inode;
    child->mounts = sub.mounts;
    child->keepFd = child->Level() + 1 >= FLevels;
    ++parent.fdUsers;
    ++FOpenFds; // reserved for the child
    FBuffered += sizeof(TNode);
    name = std::move(sub.name);
    TNode* result = child.get();
    parent.opened.emplace_back(sub.index, std::move(child));
    return result;
}

void TParallelWalk::OpenClaimed(TNode& node, const std::string& name) {
    const int fd = openat(node.parent->fd, name.c_str(), kOpenFlags);
    std::lock_guard lock(FMutex);
    --node.parent->fdUsers;
    ReleaseFd(*node.parent);
    node.fd = fd;
    if (fd < 0) {
        --FOpenFds;
        node.done = true; // not readable: an empty folder
        WakeReaders(1);
    }
}

void TParallelWalk::CloseFd(TNode& node) {
    if (node.fd < 0) return;
    close(node.fd);
    node.fd = -1;
    if (FOpenFds-- == FMaxFds) WakeReaders(FThreads);
}

void TParallelWalk::ReleaseFd(TNode& node) {
    if (node.done && node.subs.empty() && node.fdUsers == 0 && !node.keepFd && node.reader == TNode::Nobody)
        CloseFd(node);
}

void TParallelWalk::Forget(TNode& node) {
    FTasks.erase(&node);
    if (FWaitedFor == &node) FWaitedFor = nullptr;
    for (auto& [index, child] : node.opened)
        Forget(*child);
}

void TParallelWalk::ReaderLoop() {
    try {
        auto dates = std::make_unique<TLocalDateCache>();
        std::vector<char> buffer(kListingBytes);
        std::vector<TSub> subs;
        std::unique_ptr<TNode> spare = Spare();
        auto chunk = std::make_unique<TChunk>();
        std::unique_lock lock(FMutex);
        while (true) {
            while (!FStop && !WorkReady()) {
                ++FIdleReaders;
                WaitWhileWalked(FWork, lock);
                --FIdleReaders;
                if (WalkStopped()) return; // its thread, held itself, ends the rest when it can
            }
            if (FStop) return;
            std::string name;
            TNode& node = *Claim(**FTasks.begin(), name, spare);
            node.reader = TNode::Reader;
            if (!chunk) chunk = UsedChunk();
            lock.unlock();
            spare = Spare();
            // Opened and listed once before the lock is taken again: most folders are small, and
            // one taking of the lock per folder keeps the readers from queueing at it.
            // The node's descriptor is nobody else's business until its entries are published.
            node.fd = openat(node.parent->fd, name.c_str(), kOpenFlags);
            if (!chunk) chunk = std::make_unique<TChunk>();
            bool more = node.fd >= 0 && ReadChunk(node, *dates, buffer, *chunk, subs);
            lock.lock();
            --node.parent->fdUsers;
            ReleaseFd(*node.parent);
            if (node.fd < 0) {
                --FOpenFds;
                node.done = true; // not readable: an empty folder
                WakeReaders(1);
            } else {
                Publish(node, std::move(chunk), subs, !more);
                while (more && !FStop) {
                    // A full window: this folder waits until the walking thread has taken entries,
                    // or until it waits for this very folder.
                    if (FBuffered >= kWindow && FWaitedFor != &node) {
                        ++FHeldReaders;
                        WaitWhileWalked(FRoom, lock);
                        --FHeldReaders;
                        if (WalkStopped()) break; // the walking thread reads the rest, if it still needs it
                        continue;
                    }
                    chunk = UsedChunk();
                    lock.unlock();
                    if (!chunk) chunk = std::make_unique<TChunk>();
                    more = ReadChunk(node, *dates, buffer, *chunk, subs);
                    lock.lock();
                    Publish(node, std::move(chunk), subs, !more);
                }
            }
            node.reader = TNode::Nobody;
            ReleaseFd(node);
            WakeWalker(node);
        }
    } catch (...) {
        std::lock_guard lock(FMutex);
        if (!FError) FError = std::current_exception();
        FStop = true;
        FStopping = true;
        FReady.notify_all();
        FWork.notify_all();
        FRoom.notify_all();
    }
}

void TParallelWalk::EndReaders() {
    {
        std::lock_guard lock(FMutex);
        FStop = true;
        FStopping = true;
        FWork.notify_all();
        FRoom.notify_all();
    }
    for (std::thread& t : FReaders)
        if (t.joinable()) t.join();
    FReaders.clear();
}

bool TParallelWalk::EndReadersWithin() {
    bool ended;
    {
        std::unique_lock lock(FMutex);
        FStop = true;
        FStopping = true;
        FWork.notify_all();
        FRoom.notify_all();
        ended = FReadersEnded.wait_for(lock, kReaderGrace, [this] { return FLiveReaders == 0; });
    }
    if (ended) {
        EndReaders();
        return true;
    }
    // A file system holds a reader: the readers own the walk now, and the walk counts as left
    // behind on its mount until the last of them has ended.
    for (std::thread& t : FReaders)
        t.detach();
    FReaders.clear();
    FLeft.Leave(CallLane(FStart));
    return false;
}

TParallelWalk::TNext TParallelWalk::NextChunk(TFrame& frame) {
    TNode& node = *frame.node;
    std::unique_lock lock(FMutex);
    bool idleCalled = false;
    while (true) {
        if (FError) std::rethrow_exception(FError);
        if (!node.chunks.empty()) {
            GiveBack(std::move(frame.chunk));
            frame.chunk = std::move(node.chunks.front());
            node.chunks.pop_front();
            FWaitedFor = nullptr;
            const std::size_t n = frame.chunk->Bytes();
            const bool wasFull = FBuffered >= kWindow;
            FBuffered -= n;
            if (wasFull && FBuffered < kWindow) {
                WakeHeldReaders();
                WakeReaders(FThreads);
            }
            frame.next = 0;
            return TNext::Chunk;
        }
        if (node.done) {
            FWaitedFor = nullptr;
            return TNext::End;
        }
        if (node.reader == TNode::Nobody) {
            // No reader has it (or one left it to this thread): this thread lists it.
            node.reader = TNode::Walker;
            std::unique_ptr<TChunk> chunk = UsedChunk();
            lock.unlock();
            if (!chunk) chunk = std::make_unique<TChunk>();
            std::vector<TSub> subs;
            bool more = false;
            try {
                more = ReadChunk(node, *FDates, FBuffer, *chunk, subs);
            } catch (...) {
                lock.lock();
                node.reader = TNode::Nobody;
                throw;
            }
            lock.lock();
            node.reader = TNode::Nobody;
            Publish(node, std::move(chunk), subs, !more);
            continue;
        }
        if (FIdle && !idleCalled) {
            // What the visitor holds goes on before this thread sleeps.
            idleCalled = true;
            lock.unlock();
            FIdle();
            lock.lock();
            continue;
        }
        FWalkerWaits = true;
        if (FWaitedFor != &node) {
            FWaitedFor = &node;
            WakeHeldReaders(); // its reader may be held by a full window
        }
        const std::cv_status waited = FReady.wait_for(lock, std::chrono::milliseconds(50));
        FWalkerWaits = false;
        if (waited == std::cv_status::timeout) {
            lock.unlock();
            const bool go = FVisitor.Waiting();
            lock.lock();
            if (!go) return TNext::Stop;
        }
    }
}

std::unique_ptr<TNode> TParallelWalk::TakeChild(TNode& node, std::uint64_t index) {
    if (!FSpare) FSpare = Spare(); // kept until this thread opens a folder itself
    std::unique_lock lock(FMutex);
    if (node.opened.empty() || node.opened.front().first != index) {
        // No reader has come to it yet: this thread opens it.
        if (node.subs.empty() || node.subs.front().index != index) return nullptr;
        std::string name;
        TNode* claimed = Claim(node, name, FSpare);
        lock.unlock();
        OpenClaimed(*claimed, name);
        lock.lock();
    }
    std::unique_ptr<TNode> child = std::move(node.opened.front().second);
    node.opened.pop_front();
    FBuffered -= sizeof(TNode);
    return child;
}

TWalkResult TParallelWalk::WalkDeep(TFrame& frame, const TReadEntry& e, const std::string& path) {
    const std::string name(e.entry.name);
    const int fd = openat(frame.node->fd, name.c_str(), kOpenFlags);
    if (fd < 0) {
        FVisitor.FolderEnd(false);
        return TWalkResult::Completed;
    }
    return TWalker(FVisitor).RunFrom(fd, path, FDevice, e.inode, FAncestors, e.mounts);
}

void TParallelWalk::PopFrame() {
    std::unique_ptr<TNode> node = std::move(FFrames.back().node);
    std::unique_ptr<TChunk> chunk = std::move(FFrames.back().chunk);
    FAncestors.erase(node->inode);
    FFrames.pop_back();
    std::lock_guard lock(FMutex);
    Forget(*node);
    CloseFd(*node);
    GiveBack(std::move(chunk));
}

TWalkResult TParallelWalk::Stop() {
    if (!EndReadersWithin()) {
        // The frames are freed with the walk, by the last reader; the visitor is told now.
        for (std::size_t i = FFrames.size(); i > 0; --i)
            FVisitor.FolderEnd(true);
        return TWalkResult::Stopped;
    }
    // No reader may hold a node while the frames free theirs.
    {
        std::lock_guard lock(FMutex);
        FTasks.clear();
        FWaitedFor = nullptr;
    }
    while (!FFrames.empty()) {
        PopFrame();
        FVisitor.FolderEnd(true);
    }
    return TWalkResult::Stopped;
}

TWalkResult TParallelWalk::Run(const std::shared_ptr<TParallelWalk>& self, std::string& path,
                               const TStart& start) {
    FPath = std::move(path);
    FStart = FPath;
    FDevice = start.device;
    auto root = std::make_unique<TNode>();
    root->fd = start.fd;
    root->inode = start.inode;
    root->mounts = FMounts.get();
    root->keepFd = FLevels <= 1;
    FOpenFds = 1;
    PushFrame(std::move(root));
    for (unsigned i = 0; i < FThreads; ++i) {
        {
            std::lock_guard lock(FMutex);
            ++FLiveReaders;
        }
        try {
            FReaders.push_back(StartWorkerThread([walk = self]() mutable {
                walk->ReaderLoop();
                {
                    std::lock_guard lock(walk->FMutex);
                    --walk->FLiveReaders;
                    walk->FReadersEnded.notify_all();
                }
                // Let go here, so that a walk left to its readers is freed before the thread counts
                // as ended.
                walk.reset();
            }));
        } catch (...) {
            std::lock_guard lock(FMutex);
            --FLiveReaders;
            throw;
        }
    }
    return Loop();
}

TWalkResult TParallelWalk::Loop() {
    while (true) {
        TFrame& frame = FFrames.back();
        if (!frame.chunk || frame.next >= frame.chunk->entries.size()) {
            const TNext next = NextChunk(frame);
            if (next == TNext::Stop) return Stop();
            if (next == TNext::End) {
                PopFrame();
                if (FFrames.empty()) {
                    FVisitor.FolderEnd(false);
                    EndReaders();
                    return TWalkResult::Completed;
                }
                if (!FolderDone(FVisitor, FPath, FFrames.back().pathLength, FFrames.back().count))
                    return Stop();
            }
            continue;
        }
        TReadEntry& e = frame.chunk->entries[frame.next++];
        const std::uint64_t index = frame.index++;
        e.entry.name = std::string_view(frame.chunk->names).substr(e.nameOffset, e.nameLength);
        const TStep step = VisitEntry(FVisitor, e.kind, e.entry, FPath, frame.count);
        if (step == TStep::Stop) return Stop();
        if (step == TStep::Next) continue;
        std::unique_ptr<TNode> child;
        if (e.enter && frame.node->Level() + 1 >= FLevels) {
            // Below the parallel levels: this thread walks the subfolder on its own (it ends it).
            if (WalkDeep(frame, e, FPath) == TWalkResult::Stopped) return Stop();
            FPath.resize(frame.pathLength);
            if (!FVisitor.AfterEntry(++frame.count)) return Stop();
        } else if (e.enter && (child = TakeChild(*frame.node, index))) {
            PushFrame(std::move(child)); // frame is no longer valid
        } else if (!FolderDone(FVisitor, FPath, frame.pathLength, frame.count)) {
            return Stop();
        }
    }
}

} // namespace

TWalkResult ParallelWalk(TWalkVisitor& visitor, unsigned threads, std::string& path, const TStart& start,
                         std::unique_ptr<TMountNode> mounts, const std::function<void()>& idle,
                         std::shared_ptr<const std::atomic<bool>> stopped) {
    auto walk = std::make_shared<TParallelWalk>(visitor, threads, idle, std::move(mounts), std::move(stopped));
    try {
        return walk->Run(walk, path, start);
    } catch (...) {
        walk->EndReaders(); // the walk is this thread's alone again: it goes with it
        throw;
    }
}

} // namespace platform::walk
