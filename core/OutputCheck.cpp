// The message of a failed write and the check of standard output at exit.
#include "OutputCheck.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace core {

std::string cannotWriteMessage(int error) {
  return std::string("Error: cannot write the output: ") + std::strerror(error);
}

int closeStandardOutput() {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int flushError = errno;
  if (!flushed || std::ferror(stdout)) return flushError != 0 ? flushError : EIO;
  // The stream stays open, with its descriptor closed: the library's own flush at exit finds
  // nothing left to write, and no one writes after this point.
  if (::close(STDOUT_FILENO) != 0 && errno != EBADF) return errno;
  return 0;
}

}  // namespace core
