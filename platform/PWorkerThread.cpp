#include "platform/PWorkerThread.h"

#include <signal.h>

#include <condition_variable>
#include <mutex>

namespace platform {

namespace {

// Immortal: a worker left behind may end while the program's statics are being destroyed.
struct TWorkerCount {
    std::mutex mutex;
    std::condition_variable ended;
    unsigned live = 0;
};
TWorkerCount& Workers() {
    static auto* workers = new TWorkerCount;
    return *workers;
}

// The creating thread blocks the signals while it starts the thread, which inherits the mask.
class TAsyncSignalsBlocked {
public:
    TAsyncSignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT})
            sigdelset(&all, fault);
        pthread_sigmask(SIG_BLOCK, &all, &FSaved);
    }
    ~TAsyncSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &FSaved, nullptr); }
    TAsyncSignalsBlocked(const TAsyncSignalsBlocked&) = delete;
    TAsyncSignalsBlocked& operator=(const TAsyncSignalsBlocked&) = delete;

private:
    sigset_t FSaved;
};

} // namespace

std::thread StartWorkerThread(std::function<void()> body) {
    TWorkerCount& workers = Workers();
    {
        std::lock_guard lock(workers.mutex);
        ++workers.live;
    }
    // Ends the count however body ends.
    struct TCounted {
        ~TCounted() {
            TWorkerCount& w = Workers();
            std::lock_guard lock(w.mutex);
            --w.live;
            w.ended.notify_all();
        }
    };
    TAsyncSignalsBlocked blocked;
    try {
        return std::thread([body = std::move(body)] {
            TCounted counted;
            body();
        });
    } catch (...) {
        TCounted never;
        throw;
    }
}

unsigned LiveWorkerThreads() {
    TWorkerCount& workers = Workers();
    std::lock_guard lock(workers.mutex);
    return workers.live;
}

bool WaitForWorkerThreads(unsigned count, std::chrono::milliseconds timeLimit) {
    TWorkerCount& workers = Workers();
    std::unique_lock lock(workers.mutex);
    return workers.ended.wait_for(lock, timeLimit, [&] { return workers.live <= count; });
}

} // namespace platform
