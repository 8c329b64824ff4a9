// A window on a file system whose server stops answering (THangFs): a watchdog that answers the
// held calls after a while (a window that waits for the server then gets back, and its test fails
// instead of hanging), and how late the window's event loop answers a timer while a call is held.
#pragma once

#include "tests/support/THangFs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTest>
#include <QTimer>

#include <algorithm>

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

// Runs action and fails the test when the window's event loop is held 100 ms or more by it: a
// timer that ticks every 10 ms, in every loop that runs meanwhile (a modal window that action
// opens, a progress window), must never tick 100 ms late, up to 50 ms after action returned. Says
// the longest hold; returnedAfter, when given, gets the ms action took.
inline void AnswersWhileHeld(const char* what, const std::function<void()>& action,
                             qint64* returnedAfter = nullptr) {
    constexpr int kTick = 10;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QTimer ticks;
    ticks.setInterval(kTick);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    ticks.start();
    action();
    if (returnedAfter) *returnedAfter = clock.elapsed();
    QTest::qWait(50);
    ticks.stop();
    longest = std::max(longest, clock.elapsed() - last);
    const qint64 late = longest - kTick;
    qInfo("%s: the window's thread was held %lld ms at most", what, late);
    QVERIFY2(late < 100, qPrintable(QString("%1: the window was held %2 ms").arg(what).arg(late)));
}

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
