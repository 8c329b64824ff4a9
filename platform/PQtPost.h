// Results of file-system calls handed to the GUI thread: the Qt event loop runs what
// platform::PostToMainThread posts, and a window is told what a call gave, or that it did not
// answer in time, only while it still exists.
#pragma once

#include "platform/PFileCalls.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace platform {

// Makes the event loop of the running QCoreApplication run what is posted to the main thread
// (again after a new application was made; once per application otherwise). Call on the GUI thread.
void InstallQtPoster();

// done(result) on the GUI thread once call has given its result, or done(fallback) when it has not
// after timeLimitMs (-1: no limit), whichever comes first; done comes once, and never once context
// is destroyed. A null call gives done(fallback) from the event loop.
template <class T>
void TellWithin(const std::shared_ptr<TFileCall<T>>& call, int timeLimitMs, T fallback, QObject* context,
                std::function<void(const T&)> done) {
    InstallQtPoster();
    struct TState {
        QPointer<QObject> context;
        std::function<void(const T&)> done;
        bool told = false;
        void Tell(const T& value) {
            if (told || !context) return;
            told = true;
            auto fn = std::move(done);
            fn(value);
        }
    };
    auto state = std::make_shared<TState>();
    state->context = context;
    state->done = std::move(done);
    if (!call) {
        QTimer::singleShot(0, context, [state, fallback] { state->Tell(fallback); });
        return;
    }
    if (timeLimitMs >= 0)
        QTimer::singleShot(timeLimitMs, context, [state, fallback] { state->Tell(fallback); });
    // The state is touched, and freed, on the GUI thread only: the lane's thread hands its share
    // and the result over, and keeps nothing.
    call->Then([state](const T& result) mutable {
        PostToMainThread([state = std::move(state), result] { state->Tell(result); });
    });
}

} // namespace platform
