// A window on a file system whose server stops answering (THangFs): a watchdog that answers the
// held calls after a while (a window that waits for the server then gets back, and its test fails
// instead of hanging), and how late the window's event loop answers a timer while a call is held.
#pragma once

#include "tests/support/THangFs.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace txtest {

class TWatchdog {
public:
    TWatchdog(THangFs& fs, int ms)
        : FThread([this, &fs, ms] {
              std::unique_lock hold(FLock);
              if (!FDone.wait_for(hold, std::chrono::milliseconds(ms), [this] { return FStopped; })) fs.Release();
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard hold(FLock);
            FStopped = true;
        }
        FDone.notify_all();
        FThread.join();
    }
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;

private:
    std::mutex FLock;
    std::condition_variable FDone;
    bool FStopped = false;
    std::thread FThread;
};

// Nanoseconds the calling thread has waited for a processor so far (the kernel's schedstat; 0
// where it has none). A loaded machine may keep a runnable thread off the processors for longer
// than any bound; that wait is the machine's, not a file system's: a thread held in a call sleeps
// and gathers none.
inline qint64 WaitedForAProcessorNs() {
    FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
    if (!f) return 0;
    unsigned long long onCpu = 0, waiting = 0;
    const bool read = std::fscanf(f, "%llu %llu", &onCpu, &waiting) == 2;
    std::fclose(f);
    return read ? static_cast<qint64>(waiting) : 0;
}

// The longest the window's event loop may miss its timer while action runs. A window that waits
// for the server, directly or for a thread that does, misses it until the watchdog answers
// (seconds) or until a time limit of the program's (2 s); a loaded machine with ASan makes it miss
// 100 to 200 ms now and then without any file system, in what the window draws and in locks and
// pages that the load holds up.
constexpr qint64 kHeldLimitMs = 500;

// Runs action on the window's thread and fails the test when the window waited for the server
// meanwhile: when one of its calls was held by the server, or when its event loop was held
// kHeldLimitMs or more, not counting the time it waited for a processor. The loop is timed by a
// timer that ticks every 10 ms, in every loop that runs meanwhile (a modal window that action
// opens, a progress window), up to 50 ms after action returned. Says the longest hold;
// returnedAfter, when given, gets the ms action took.
inline void AnswersWhileHeld(THangFs& fs, const char* what, const std::function<void()>& action,
                             qint64* returnedAfter = nullptr) {
    constexpr int kTick = 10;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestWall = 0;
    qint64 waitedAtLast = WaitedForAProcessorNs();
    auto tick = [&] {
        const qint64 now = clock.elapsed();
        const qint64 waited = WaitedForAProcessorNs();
        longestWall = std::max(longestWall, now - last);
        longest = std::max(longest, now - last - (waited - waitedAtLast) / 1000000);
        last = now;
        waitedAtLast = waited;
    };
    QTimer ticks;
    ticks.setInterval(kTick);
    QObject::connect(&ticks, &QTimer::timeout, tick);
    clock.start();
    ticks.start();
    action();
    if (returnedAfter) *returnedAfter = clock.elapsed();
    QTest::qWait(50);
    ticks.stop();
    tick();
    const qint64 late = std::max<qint64>(0, longest - kTick);
    qInfo("%s: the window's thread was held %lld ms at most (%lld ms with its waits for a processor)",
          what, late, std::max<qint64>(0, longestWall - kTick));
    QCOMPARE(fs.WasHeld(static_cast<pid_t>(::gettid())), 0);
    QVERIFY2(late < kHeldLimitMs, qPrintable(QString("%1: the window was held %2 ms").arg(what).arg(late)));
}

// Closes a modal window that a failed check left open (a check that fails returns at once, and
// every later QTRY of the case gives up at once), so that the case ends with its failure instead
// of waiting for the window until the suite's timeout.
class TCloseOnFailure {
public:
    explicit TCloseOnFailure(QWidget* window) : FWindow(window) {}
    ~TCloseOnFailure() {
        if (QTest::currentTestFailed() && FWindow && FWindow->isVisible()) FWindow->close();
    }
    TCloseOnFailure(const TCloseOnFailure&) = delete;
    TCloseOnFailure& operator=(const TCloseOnFailure&) = delete;

private:
    QPointer<QWidget> FWindow;
};

// Runs act from the event loop once the server holds a call (the test never makes the window's
// thread wait for it). context: act's owner.
inline void WhenHeld(THangFs& fs, QObject* context, std::function<void()> act) {
    QTimer::singleShot(5, context, [&fs, context, act] {
        if (fs.Held() >= 1)
            act();
        else
            WhenHeld(fs, context, act);
    });
}

} // namespace txtest
