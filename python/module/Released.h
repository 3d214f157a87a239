// Long work for Python callers: done on a thread of its own while the calling thread gives up
// the GIL, so other Python threads run meanwhile, and Ctrl-C stops it.
//
// Python's own SIGINT handler only notes the signal; the KeyboardInterrupt is raised when the
// main thread, holding the GIL, calls PyErr_CheckSignals. So the caller waits for the worker in
// short slices, and after each slice takes the GIL back for a moment to check. When a signal's
// handler raised (KeyboardInterrupt, or whatever a Python handler raises), the stop flag the
// work watches is set, the worker ends after the step in hand, and that exception goes to the
// caller in place of the result.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "Invariants.h"

namespace python_bridge {

// How often the waiting caller looks for a pending signal.
inline constexpr std::chrono::milliseconds kSignalCheckInterval{50};

// Runs work(stop) on a worker thread with the GIL released and returns its result; its
// exception, if it throws, reaches the caller. Must be called with the GIL held.
template <class Work>
auto runReleased(Work work) -> decltype(work(std::declval<const std::atomic<bool>&>())) {
  using Result = decltype(work(std::declval<const std::atomic<bool>&>()));
  std::atomic<bool> stop{false};
  std::optional<Result> result;
  std::exception_ptr failure;
  std::optional<pybind11::error_already_set> signalRaised;
  {
    pybind11::gil_scoped_release released;
    std::mutex mutex;
    std::condition_variable finishedSignal;
    bool finished = false;
    std::thread worker([&] {
      try {
        result.emplace(work(stop));
      } catch (...) {
        failure = std::current_exception();
      }
      core::releaseThreadCaches();
      const std::lock_guard<std::mutex> lock(mutex);
      finished = true;
      finishedSignal.notify_one();
    });
    std::unique_lock<std::mutex> lock(mutex);
    while (!finishedSignal.wait_for(lock, kSignalCheckInterval, [&] { return finished; })) {
      if (signalRaised) continue;  // stopping: wait for the step in hand
      lock.unlock();
      {
        pybind11::gil_scoped_acquire held;
        if (PyErr_CheckSignals() != 0) signalRaised.emplace();
      }
      if (signalRaised) stop.store(true);
      lock.lock();
    }
    lock.unlock();
    worker.join();
  }
  if (signalRaised) throw std::move(*signalRaised);
  if (failure) std::rethrow_exception(failure);
  return std::move(*result);
}

}  // namespace python_bridge
