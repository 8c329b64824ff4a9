// What the exploration-file reader tells, and asks of, the window it runs under. The default
// answers nothing and never cancels, so the reader runs without a window (tests, benchmarks).
#pragma once

#include <cstdint>

namespace viewer {

class TLoadProgress {
public:
    virtual ~TLoadProgress() = default;
    // The number of file records to expect (from the header, or the root record of old files).
    virtual void SetMax(std::int64_t max) {}
    // One file record has been read.
    virtual void Step() {}
    // Called every few hundred records of any kind, so that a window can take a Cancel click even
    // while a file holds many folders and few files (Step alone would come too rarely).
    virtual void Pump() {}
    // Asked after every record; true ends the load with -5.
    [[nodiscard]] virtual bool Cancelled() { return false; }
};

} // namespace viewer
