// What the exploration-file reader tells, and asks of, the window it runs under: the codec's
// progress sink (SetMax, one Step per file record, Cancelled after every record) and a Pump. The
// defaults answer nothing and never cancel, so the reader runs without a window (tests, benchmarks).
#pragma once

#include "model/URecordCodec.h"

#include <cstdint>

namespace viewer {

class TLoadProgress : public model::TProgressSink {
public:
    void Step() override {}
    [[nodiscard]] bool Cancelled() override { return false; }
    // Called every few hundred records of any kind, so that a window can take a Cancel click even
    // while a file holds many folders and few files (Step alone would come too rarely).
    virtual void Pump() {}
};

} // namespace viewer
