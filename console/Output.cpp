// The console program's buffered standard output.
#include "Output.h"

#include <cstring>

Out::Out(std::FILE* sink, std::size_t capacity) : sink_(sink), buffer_(capacity ? capacity : 1) {}

Out::~Out() { flush(); }

void Out::write(const char* s, std::size_t n) {
  if (n == 0) return;
  last_ = s[n - 1];
  if (n > buffer_.size() - used_) {
    drain();
    if (n >= buffer_.size()) {  // larger than the whole buffer: straight through
      std::fwrite(s, 1, n, sink_);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, s, n);
  used_ += n;
}

void Out::writeNumber(long long v) {
  // Digits written backwards into a small array: no format parsing per number, since the list
  // of inflations can hold millions of them.
  char text[24];
  char* end = text + sizeof text;
  char* start = end;
  unsigned long long magnitude =
      v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  do {
    *--start = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (v < 0) *--start = '-';
  write(start, static_cast<std::size_t>(end - start));
}

void Out::drain() {
  if (used_ != 0) std::fwrite(buffer_.data(), 1, used_, sink_);
  used_ = 0;
}

void Out::flush() {
  drain();
  std::fflush(sink_);
}
