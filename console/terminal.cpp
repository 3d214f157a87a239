// The console layer on POSIX terminals: ANSI clearing, a one-key wait in non-canonical mode on
// /dev/tty, and the restoring of the terminal's mode on signals.
#include "terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>

namespace console {

namespace {

constexpr char kClearAndHome[] = "\033[H\033[2J";
constexpr unsigned char kEscape = 0x1b;

// The state the signal handlers need; touched only by async-signal-safe code.
volatile std::sig_atomic_t gRawActive = 0;
int gTtyFd = -1;
termios gSavedMode;
termios gRawMode;

void restoreMode() {
  if (gRawActive) tcsetattr(gTtyFd, TCSANOW, &gSavedMode);
}

void onTerminatingSignal(int sig) {
  restoreMode();
  gRawActive = 0;
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void onStop(int sig);

// SA_RESTART: a Ctrl-Z while the dialogue reads the terminal must not end that read early,
// which the stream would take for the end of the input.
void installStopHandler() {
  struct sigaction action {};
  action.sa_handler = onStop;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTSTP, &action, nullptr);
}

void setStopToDefault() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTSTP, &action, nullptr);
}

void setStopBlocked(bool blocked) {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(blocked ? SIG_BLOCK : SIG_UNBLOCK, &stop, nullptr);
}

// Ctrl-Z: give the shell its terminal back in the mode it had, stop as any job does, and once
// continued (SIGCONT) set the mode of the wait again and take Ctrl-Z again. SIGTSTP is blocked
// while this handler runs, so it is unblocked for the raise to stop the process right here;
// left blocked, it would stay pending and reach the re-installed handler as soon as this one
// returned, again and again, without ever stopping.
void onStop(int) {
  const int savedErrno = errno;
  const bool wasRaw = gRawActive;
  restoreMode();
  setStopToDefault();
  setStopBlocked(false);
  raise(SIGTSTP);  // stops here until SIGCONT
  setStopBlocked(true);
  installStopHandler();
  if (wasRaw) tcsetattr(gTtyFd, TCSANOW, &gRawMode);
  errno = savedErrno;
}

void installHandlers() {
  struct sigaction action {};
  action.sa_handler = onTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(sig, &action, nullptr);
  installStopHandler();
}

// One read of up to n bytes, retried when a signal interrupts it.
ssize_t readRetrying(int fd, unsigned char* buffer, std::size_t n) {
  ssize_t got;
  do {
    got = read(fd, buffer, n);
  } while (got < 0 && errno == EINTR);
  return got;
}

// A key such as an arrow sends an escape sequence of several bytes at once: take the rest of
// it, so that the next wait does not end on its tail.
void drainEscapeSequence(int fd) {
  termios poll = gRawMode;
  poll.c_cc[VMIN] = 0;
  poll.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &poll);
  unsigned char rest[16];
  while (readRetrying(fd, rest, sizeof rest) > 0) {
  }
}

}  // namespace

Terminal Terminal::forStandardOutput() {
  if (!isatty(STDOUT_FILENO)) return Terminal(-1);
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Terminal(-1);
  if (tcgetattr(fd, &gSavedMode) != 0) {
    close(fd);
    return Terminal(-1);
  }
  gTtyFd = fd;
  installHandlers();
  return Terminal(fd);
}

Terminal::~Terminal() {
  if (ttyFd_ < 0) return;
  restoreMode();
  gRawActive = 0;
  close(ttyFd_);
  gTtyFd = -1;
}

void Terminal::clearScreen(Out& out) const {
  if (interactive())
    out.write(kClearAndHome, sizeof kClearAndHome - 1);
  else
    out.put('\n');
}

void Terminal::waitForKey(Out& out) const {
  out.flush();
  if (!interactive()) return;
  if (tcgetattr(ttyFd_, &gSavedMode) != 0) return;
  gRawMode = gSavedMode;
  gRawMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  gRawMode.c_cc[VMIN] = 1;
  gRawMode.c_cc[VTIME] = 0;
  gRawActive = 1;
  if (tcsetattr(ttyFd_, TCSANOW, &gRawMode) == 0) {
    unsigned char key = 0;
    if (readRetrying(ttyFd_, &key, 1) == 1 && key == kEscape) drainEscapeSequence(ttyFd_);
  }
  restoreMode();
  gRawActive = 0;
}

void sleepMilliseconds(long ms) {
  if (ms <= 0) return;
  timespec rest{ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

}  // namespace console
