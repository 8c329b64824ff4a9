#include "model/ULongOperation.h"

#include "model/UProgressManager.h"
#include "model/UScanProgress.h"
#include "platform/PFileCalls.h"

#include <vector>

namespace model {

namespace {
// On the main thread only.
std::vector<std::function<void()>> gWaiting;
bool gPosted = false;
} // namespace

bool LongOperationRunning() {
    return ScanProgressForm != nullptr || ProgressManager().Form() != nullptr;
}

void AfterLongOperation(std::function<void()> fn) {
    if (!LongOperationRunning()) {
        fn();
        return;
    }
    gWaiting.push_back(std::move(fn));
}

void LongOperationEnded() {
    if (gPosted || gWaiting.empty()) return;
    gPosted = true;
    platform::PostToMainThread([] {
        gPosted = false;
        std::vector<std::function<void()>> waiting;
        waiting.swap(gWaiting);
        // Each runs now, or waits again for one that began meanwhile.
        for (std::function<void()>& fn : waiting)
            AfterLongOperation(std::move(fn));
    });
}

} // namespace model
