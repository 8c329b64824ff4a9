#include "model/UProgressManager.h"

#include "model/ULongOperation.h"

namespace model {

TProgressManager& ProgressManager() {
    static TProgressManager manager;
    return manager;
}

void TProgressManager::SetForm(TProgressView* form) {
    const bool ended = FForm && !form;
    FForm = form;
    FShown = -1;
    if (ended) LongOperationEnded();
}

void TProgressManager::SetMax(std::int64_t n) {
    FMax = n <= 0 ? 1 : n;
    FPosition = 0;
    if (FForm) {
        FForm->SetGaugeMax(kGaugeMax);
        FShown = 0;
        FPump.Restart(Now());
        FForm->SetPosition(0);
    }
}

int TProgressManager::GaugePosition() const {
    return static_cast<int>(static_cast<__int128>(FPosition) * kGaugeMax / FMax);
}

void TProgressManager::Step() {
    if (FPosition < FMax) ++FPosition;
    if (!FForm) return;
    const int shown = GaugePosition();
    // A million steps must not cost a million message loops: pump when the gauge moves, or
    // when it has not pumped for a while.
    const TClock::time_point now = Now();
    if (shown != FShown) {
        FShown = shown;
        FPump.Restart(now);
        FForm->SetPosition(shown);
    } else if (FPump.Due(now)) {
        FForm->Pump();
    }
}

void TProgressManager::SetResult(int result) {
    if (FForm) FForm->SetResult(result);
}

} // namespace model
