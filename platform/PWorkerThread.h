// Threads that may be held by a file system: they take no asynchronous signal, so that Ctrl+C and
// the like always reach a thread that no file system holds (the program's own), and they are
// counted, so that a caller can tell when the last one has ended.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace platform {

// Starts body on a new thread that blocks SIGINT, SIGTERM, SIGHUP, SIGQUIT and the other
// asynchronous signals (the faults that a thread raises itself stay unblocked). The thread counts
// as a worker from before this returns until body has returned.
[[nodiscard]] std::thread StartWorkerThread(std::function<void()> body);

// The workers started by StartWorkerThread that have not ended yet.
[[nodiscard]] unsigned LiveWorkerThreads();

// Waits until at most count workers live, or the time is up; true when they are that few.
bool WaitForWorkerThreads(unsigned count, std::chrono::milliseconds timeLimit);

} // namespace platform
