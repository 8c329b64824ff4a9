// Whether a long operation runs under its progress window (an exploration, a save, an export):
// its work walks the item tree while the window pumps messages, so answers that come from workers
// meanwhile (listings, deletions) wait with their changes to the tree until it has ended.
#pragma once

#include <functional>

namespace model {

[[nodiscard]] bool LongOperationRunning();

// Runs fn now when no long operation runs; else once the last one has ended, from the main
// thread's loop (platform::PostToMainThread) after the command that ran it has returned. fn must
// find out itself whether what it changes is still there.
void AfterLongOperation(std::function<void()> fn);

// Called when a long operation's window goes.
void LongOperationEnded();

} // namespace model
