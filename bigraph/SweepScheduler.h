// The sweep scheduler: runs numbered tasks on worker threads and hands their results to a
// writer in task order, each as soon as it and every task before it are done.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace bigraph {

// What the progress display is told, a few times a second and once at the end.
struct SweepProgress {
  std::size_t done = 0;   // results handed to the writer
  std::size_t total = 0;
  std::string current;    // the name of the first task not yet written, empty at the end
  double elapsedSeconds = 0;
};

struct SweepJob {
  std::size_t count = 0;
  int workers = 1;
  // Task k's result text; may throw, and then the exception reaches the caller of
  // runSweep once every result before k has been written.
  std::function<std::string(std::size_t)> work;
  std::function<std::string(std::size_t)> name;  // for the progress line
  std::function<void(const std::string&)> write;
  std::function<void(const SweepProgress&)> progress;  // may be empty
  std::chrono::milliseconds progressInterval{200};
};

// Runs the job; returns the number of results written. When `stop` becomes true, no task is
// started any more, nothing more is written, and runSweep returns after the workers finish the
// tasks in hand (which see `stop` too and may cut their work short).
std::size_t runSweep(const SweepJob& job, const std::atomic<bool>& stop);

}  // namespace bigraph
