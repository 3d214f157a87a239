// The console program's buffered standard output.
#include "Output.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace console {

Out::Out(std::FILE* sink, std::size_t capacity) : sink_(sink), buffer_(capacity ? capacity : 1) {}

Out::~Out() { flush(); }

// A text that does not fit the room left: the buffer is handed on first, and a text longer
// than the whole buffer goes straight through.
void Out::writeSlow(const char* s, std::size_t n) {
  if (n == 0) return;
  last_ = s[n - 1];
  drain();
  if (n >= buffer_.size()) {
    sinkWrite(s, n);
    return;
  }
  std::memcpy(buffer_.data(), s, n);
  used_ = n;
}

void Out::writeCount(unsigned long long v) {
  char text[24];
  char* end = text + sizeof text;
  char* start = end;
  do {
    *--start = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  write(start, static_cast<std::size_t>(end - start));
}

void Out::writeNumber(long long v) {
  // to_chars parses no format per number, since the list of inflations can hold millions.
  char text[24];
  const char* end = std::to_chars(text, text + sizeof text, v).ptr;
  write(text, static_cast<std::size_t>(end - text));
}

void Out::drain() {
  if (used_ != 0) sinkWrite(buffer_.data(), used_);
  used_ = 0;
}

// After a failure nothing more is handed on: the output is lost anyway, and a closed pipe or a
// full disk would only fail again.
void Out::sinkWrite(const char* s, std::size_t n) {
  if (failed()) return;
  errno = 0;
  if (std::fwrite(s, 1, n, sink_) != n) error_ = errno != 0 ? errno : EIO;
}

void Out::flush() {
  drain();
  if (failed()) return;
  errno = 0;
  if (std::fflush(sink_) != 0) error_ = errno != 0 ? errno : EIO;
}

}  // namespace console
