// The broker between a long operation and its gauge window: code deep in the operation (the file
// writer, the exports, the analyser) reports its steps and asks whether the user cancelled without
// knowing the window. With no window attached, steps are counted and nothing ever cancels.
#pragma once

#include "model/UPacer.h"

#include <chrono>
#include <cstdint>

namespace model {

// The gauge window as the manager drives it (TProgressForm; a test double in the tests).
class TProgressView {
public:
    virtual ~TProgressView() = default;
    virtual void SetGaugeMax(int max) = 0;
    // Shows the position and lets the window handle what is waiting once.
    virtual void SetPosition(int position) = 0;
    // Lets the window handle what is waiting, the position unchanged.
    virtual void Pump() = 0;
    [[nodiscard]] virtual bool Cancelled() const = 0;
    virtual void SetResult(int result) = 0;
};

class TProgressManager {
public:
    using TClock = std::chrono::steady_clock;
    // The gauge runs in thousandths, whatever the step count.
    static constexpr int kGaugeMax = 1000;
    // A Step whose shown value does not change still pumps after this long.
    static constexpr std::chrono::milliseconds kPumpInterval{10};

    // Attaches the window (not owned; valid until SetForm(nullptr)) or detaches it.
    void SetForm(TProgressView* form);
    [[nodiscard]] TProgressView* Form() const { return FForm; }
    // The steps expected; a count of 0 or less is taken as 1. Resets the position.
    void SetMax(std::int64_t n);
    // One step done (capped at Max).
    void Step();
    // The window's cancel flag; false with no window attached.
    [[nodiscard]] bool Cancelled() const { return FForm && FForm->Cancelled(); }
    void SetResult(int result);

    [[nodiscard]] std::int64_t Max() const { return FMax; }
    [[nodiscard]] std::int64_t Position() const { return FPosition; }
    // Position in thousandths of Max.
    [[nodiscard]] int GaugePosition() const;

protected:
    [[nodiscard]] virtual TClock::time_point Now() const { return TClock::now(); }

private:
    TProgressView* FForm = nullptr;
    std::int64_t FMax = 100;
    std::int64_t FPosition = 0;
    int FShown = -1;
    TPacer FPump{kPumpInterval};
};

// The program's one progress manager.
TProgressManager& ProgressManager();

} // namespace model
