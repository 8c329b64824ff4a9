// Lets a frequent and costly call (a message pump, a repaint) through at most once per interval:
// a long operation may reach its checkpoints as often as it likes, each one in between costs a
// clock reading. The caller reads its own clock, so that tests can move time themselves.
#pragma once

#include <chrono>

namespace model {

class TPacer {
public:
    using TClock = std::chrono::steady_clock;

    explicit constexpr TPacer(TClock::duration interval) : FInterval(interval) {}

    // The interval starts again at now (the costly call has just been made another way).
    void Restart(TClock::time_point now) { FLast = now; }
    // True when an interval has passed since the last call let through (or the last Restart); the
    // interval then starts again at now.
    [[nodiscard]] bool Due(TClock::time_point now) {
        if (now - FLast < FInterval) return false;
        FLast = now;
        return true;
    }

private:
    TClock::duration FInterval;
    TClock::time_point FLast{};
};

} // namespace model
