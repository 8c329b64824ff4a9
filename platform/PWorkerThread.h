// Threads that may be held by a file system: they take no asynchronous signal, so that Ctrl+C and
// the like always reach a thread that no file system holds (the program's own), and they are
// counted, so that a caller can tell when the last one has ended.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
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

// Makes call on a worker thread and gives its result: the calling thread only waits, so it takes
// signals (Ctrl+C) while a file system holds the call. The worker owns what the call uses: a
// program that ends meanwhile leaves it nothing to touch.
template <typename T> T CallOnWorker(std::function<T()> call) {
    auto result = std::make_shared<std::promise<T>>();
    std::future<T> future = result->get_future();
    StartWorkerThread([result, call = std::move(call)] {
        try {
            result->set_value(call());
        } catch (...) {
            result->set_exception(std::current_exception());
        }
    }).detach();
    return future.get();
}

} // namespace platform
