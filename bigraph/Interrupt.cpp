// Ctrl-C and SIGTERM as a flag: the handler and its scoped installation.
#include "Interrupt.h"

namespace bigraph {

std::atomic<bool> interruptRequested{false};

namespace {
extern "C" void onInterrupt(int) { interruptRequested.store(true); }
}  // namespace

InterruptGuard::InterruptGuard(SecondSignal second) {
  interruptRequested.store(false);
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESTART | (second == SecondSignal::EndsProgram ? SA_RESETHAND : 0);
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &oldInt_);
  sigaction(SIGTERM, &action, &oldTerm_);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &oldInt_, nullptr);
  sigaction(SIGTERM, &oldTerm_, nullptr);
}

}  // namespace bigraph
