#include "scanner/UWalkPipe.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace scanner {

namespace {

// One walk entry as the worker saw it; its name lives in the batch's name block.
struct TEvent {
    enum Kind : std::uint8_t { File, Folder, FolderEnd } kind;
    bool stopped = false; // FolderEnd
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    platform::TEntry entry; // name left empty here
};

struct TBatch {
    std::vector<TEvent> events;
    std::string names;
    void Clear() {
        events.clear();
        names.clear();
    }
};

// A batch is handed over when it holds this many entries; this many batches exist at most. The
// pipe's memory is thus bounded whatever the tree: 6 x 4096 events of 80 bytes (about 2 MB) plus
// their names (the bytes of the names, about 0.5 MB for typical names).
constexpr std::size_t kBatchEvents = 4096;
constexpr std::size_t kBatches = 6;
static_assert(sizeof(TEvent) <= 80, "an event must stay within 80 bytes");

class TPipe {
public:
    // Worker side: an empty batch to fill (waits while every batch is queued or in use).
    std::unique_ptr<TBatch> TakeFree() {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return !FFree.empty() || FCreated < kBatches; });
        if (FFree.empty()) {
            ++FCreated;
            auto batch = std::make_unique<TBatch>();
            batch->events.reserve(kBatchEvents);
            return batch;
        }
        auto batch = std::move(FFree.back());
        FFree.pop_back();
        return batch;
    }
    void PushFull(std::unique_ptr<TBatch> batch) {
        {
            std::lock_guard lock(FMutex);
            FFull.push_back(std::move(batch));
        }
        FChanged.notify_all();
    }
    void Finish(std::exception_ptr error) {
        {
            std::lock_guard lock(FMutex);
            FDone = true;
            FError = error;
        }
        FChanged.notify_all();
    }
    // Caller side: the next batch in order, or nullptr when the walk has ended and all is handed over.
    std::unique_ptr<TBatch> TakeFull() {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return !FFull.empty() || FDone; });
        if (FFull.empty()) return nullptr;
        auto batch = std::move(FFull.front());
        FFull.pop_front();
        return batch;
    }
    void GiveBack(std::unique_ptr<TBatch> batch) {
        batch->Clear();
        {
            std::lock_guard lock(FMutex);
            FFree.push_back(std::move(batch));
        }
        FChanged.notify_all();
    }
    std::exception_ptr Error() {
        std::lock_guard lock(FMutex);
        return FError;
    }

    std::atomic<bool> stop{false};

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::unique_ptr<TBatch>> FFull;
    std::vector<std::unique_ptr<TBatch>> FFree;
    std::size_t FCreated = 0;
    bool FDone = false;
    std::exception_ptr FError;
};

// The worker's visitor: copies each entry into the current batch.
class TCollector : public platform::TWalkVisitor {
public:
    explicit TCollector(TPipe& pipe) : FPipe(pipe), FBatch(pipe.TakeFree()) {}

    bool FolderBegin(const std::string&) override { return !FPipe.stop.load(std::memory_order_relaxed); }
    void File(const platform::TEntry& e) override { Add(TEvent::File, e); }
    void Folder(const platform::TEntry& e) override { Add(TEvent::Folder, e); }
    void FolderEnd(bool stopped) override {
        TEvent& ev = Add(TEvent::FolderEnd, platform::TEntry{});
        ev.stopped = stopped;
    }
    bool AfterEntry(std::uint64_t) override { return !FPipe.stop.load(std::memory_order_relaxed); }

    void Flush() {
        if (!FBatch->events.empty()) FPipe.PushFull(std::move(FBatch));
        FBatch.reset();
    }

private:
    TEvent& Add(TEvent::Kind kind, const platform::TEntry& e) {
        if (FBatch->events.size() >= kBatchEvents) {
            FPipe.PushFull(std::move(FBatch));
            FBatch = FPipe.TakeFree();
        }
        TEvent& ev = FBatch->events.emplace_back();
        ev.kind = kind;
        ev.entry = e;
        ev.entry.name = {};
        ev.nameOffset = static_cast<std::uint32_t>(FBatch->names.size());
        ev.nameLength = static_cast<std::uint32_t>(e.name.size());
        FBatch->names.append(e.name);
        return ev;
    }

    TPipe& FPipe;
    std::unique_ptr<TBatch> FBatch;
};

} // namespace

void PipeWalk(const std::string& path, platform::TWalkVisitor& visitor, const std::function<bool()>& stop) {
    TPipe pipe;
    std::thread worker([&] {
        std::exception_ptr error;
        try {
            TCollector collector(pipe);
            platform::WalkTree(path, collector);
            collector.Flush();
        } catch (...) {
            error = std::current_exception();
        }
        pipe.Finish(error);
    });
    // Whatever happens here, the worker is drained and joined before this returns or raises.
    std::exception_ptr callerError;
    while (std::unique_ptr<TBatch> batch = pipe.TakeFull()) {
        if (!pipe.stop.load(std::memory_order_relaxed)) {
            try {
                for (TEvent& ev : batch->events) {
                    ev.entry.name = std::string_view(batch->names).substr(ev.nameOffset, ev.nameLength);
                    switch (ev.kind) {
                    case TEvent::File:
                        visitor.File(ev.entry);
                        break;
                    case TEvent::Folder:
                        visitor.Folder(ev.entry);
                        break;
                    case TEvent::FolderEnd:
                        visitor.FolderEnd(ev.stopped);
                        break;
                    }
                }
                if (stop()) pipe.stop.store(true, std::memory_order_relaxed);
            } catch (...) {
                callerError = std::current_exception();
                pipe.stop.store(true, std::memory_order_relaxed);
            }
        }
        pipe.GiveBack(std::move(batch));
    }
    worker.join();
    if (callerError) std::rethrow_exception(callerError);
    if (std::exception_ptr error = pipe.Error()) std::rethrow_exception(error);
}

} // namespace scanner
