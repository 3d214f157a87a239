// The console layer: clearing the screen and waiting for one key press. The only code of the
// program that knows about ttys, termios and escape codes.
#pragma once

#include "Output.h"

namespace console {

class Terminal {
 public:
  // Interactive when standard output is a terminal and the controlling terminal (/dev/tty)
  // opens; otherwise the screen is "cleared" with a line break and waits return at once, so a
  // redirected run goes straight through and its log holds no escape codes.
  static Terminal forStandardOutput();
  // Never interactive: for tests and for output that is not a terminal.
  static Terminal plain() { return Terminal(-1); }

  Terminal(Terminal&& other) noexcept : ttyFd_(other.ttyFd_) { other.ttyFd_ = -1; }
  Terminal& operator=(Terminal&&) = delete;
  Terminal(const Terminal&) = delete;
  ~Terminal();

  bool interactive() const { return ttyFd_ >= 0; }

  // ANSI "home and clear" on a terminal, a single line break otherwise.
  void clearScreen(Out& out) const;
  // Flushes the output, then, on a terminal, reads one key press without echo and without
  // waiting for Enter. The terminal's mode is restored afterwards, and also when a signal
  // (SIGINT, SIGTERM, SIGHUP) ends the program during the wait. Ctrl-Z (SIGTSTP), during a
  // wait or at any other time, stops the program with the terminal's mode restored; when it is
  // continued the wait gets its own mode again.
  void waitForKey(Out& out) const;

 private:
  explicit Terminal(int ttyFd) : ttyFd_(ttyFd) {}
  int ttyFd_;  // the controlling terminal, or -1 when not interactive
};

// Sleeps for ms milliseconds; nothing when ms <= 0.
void sleepMilliseconds(long ms);

}  // namespace console
