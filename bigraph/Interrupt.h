// Ctrl-C and SIGTERM as a flag, for the commands that stop between steps of their work.
#pragma once

#include <csignal>

#include <atomic>

namespace bigraph {

// Set by SIGINT or SIGTERM while an InterruptGuard lives.
extern std::atomic<bool> interruptRequested;

// While it lives, SIGINT and SIGTERM set interruptRequested instead of ending the program; the
// handlers in place before come back when it goes. The handler restarts interrupted system
// calls, so a line on its way out stays whole. With SecondSignal::EndsProgram the handler is
// reset by the first signal, so a second one ends the program at once.
class InterruptGuard {
 public:
  enum class SecondSignal { SetsTheFlag, EndsProgram };
  explicit InterruptGuard(SecondSignal second);
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

}  // namespace bigraph
