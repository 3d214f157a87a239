// Worker threads take task numbers in increasing order; the calling thread writes the results
// in order and reports progress, so output never interleaves and never depends on timing.
#include "SweepScheduler.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "Invariants.h"

using namespace core;

namespace bigraph {

namespace {

struct Slot {
  std::string text;
  std::exception_ptr failure;
};

class Scheduler {
 public:
  Scheduler(const SweepJob& job, const std::atomic<bool>& stop)
      : job_(job), stop_(stop),
        window_(std::max<std::size_t>(64, 4 * static_cast<std::size_t>(std::max(1, job.workers)))) {}

  std::size_t run() {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    std::exception_ptr failure;
    try {
      startWorkers(workers);
      writeInOrder(start);
    } catch (...) {
      failure = std::current_exception();
    }
    quit_ = true;
    room_.notify_all();
    for (std::thread& t : workers) t.join();
    if (failure) std::rethrow_exception(failure);
    return written_;
  }

 private:
  const SweepJob& job_;
  const std::atomic<bool>& stop_;
  // Results done but not written yet. Workers stay within `window_` tasks of the writer, so
  // memory does not grow with the length of the family (it may be far too long to list).
  std::map<std::size_t, Slot> finished_;
  std::size_t window_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> quit_{false};
  std::size_t written_ = 0;
  std::exception_ptr workerFailure_;  // a worker's own failure, outside any task

  bool stopping() const { return stop_.load() || quit_.load(); }

  // As many workers as asked for and the system lets start (threads need memory for their
  // stacks, so a tight memory limit may allow only a few); at least one, or the failure.
  void startWorkers(std::vector<std::thread>& workers) {
    const int wanted = static_cast<int>(
        std::max<std::size_t>(1, std::min<std::size_t>(job_.workers, job_.count)));
    workers.reserve(static_cast<std::size_t>(wanted));
    for (int k = 0; k < wanted && job_.count > 0; ++k) {
      try {
        workers.emplace_back([this] {
          try {
            work();
          } catch (...) {
            // Out of memory outside a task (a tight limit, the stacks of many threads): the
            // failure goes to the writer, which ends the sweep with it, instead of ending the
            // program from this thread.
            std::lock_guard<std::mutex> lock(mutex_);
            if (!workerFailure_) workerFailure_ = std::current_exception();
          }
          ready_.notify_all();
          releaseThreadCaches();
        });
      } catch (const std::exception& e) {
        if (workers.empty())
          throw std::runtime_error(std::string("cannot start a worker thread: ") + e.what());
        return;
      }
    }
  }

  void work() {
    for (;;) {
      if (stopping()) return;
      const std::size_t k = next_.fetch_add(1);
      if (k >= job_.count || !waitForRoom(k)) return;
      Slot result;
      try {
        result.text = job_.work(k);
      } catch (...) {
        result.failure = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_[k] = std::move(result);
      }
      ready_.notify_all();
    }
  }

  // Waits until task k is within the window of the writer; false when the sweep stops first.
  bool waitForRoom(std::size_t k) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (k >= written_ + window_) {
      if (stopping()) return false;
      room_.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
  }

  void report(std::chrono::steady_clock::time_point start) {
    if (!job_.progress) return;
    SweepProgress p;
    p.done = written_;
    p.total = job_.count;
    if (written_ < job_.count) p.current = job_.name(written_);
    p.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    job_.progress(p);
  }

  // Waits for the result of task `written_`; false when the sweep is stopped first.
  bool waitForNext(std::string& text) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto slot = finished_.find(written_);
    while (slot == finished_.end()) {
      if (workerFailure_) std::rethrow_exception(workerFailure_);
      if (stop_.load()) return false;
      ready_.wait_for(lock, std::chrono::milliseconds(50));
      slot = finished_.find(written_);
      if (slot == finished_.end()) return false;  // time to show progress; come back
    }
    const std::exception_ptr failure = slot->second.failure;
    text = std::move(slot->second.text);
    finished_.erase(slot);
    if (failure) std::rethrow_exception(failure);
    return true;
  }

  void writeInOrder(std::chrono::steady_clock::time_point start) {
    auto lastReport = std::chrono::steady_clock::now() - job_.progressInterval;
    while (written_ < job_.count && !stop_.load()) {
      std::string text;
      if (waitForNext(text) && !stop_.load()) {
        job_.write(text);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          ++written_;
        }
        room_.notify_all();
      }
      const auto now = std::chrono::steady_clock::now();
      if (now - lastReport >= job_.progressInterval) {
        report(start);
        lastReport = now;
      }
    }
    report(start);
  }
};

}  // namespace

std::size_t runSweep(const SweepJob& job, const std::atomic<bool>& stop) {
  return Scheduler(job, stop).run();
}

}  // namespace bigraph
