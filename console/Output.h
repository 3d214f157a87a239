// The console program's buffered standard output: one large buffer, flushed before each wait
// and at exit, so that matrix displays cost no system call per cell. The first failed write is
// remembered and everything after it dropped, so a program can stop and report it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace console {

class Out {
 public:
  // Writes to `sink` (standard output in the program, a memory stream in tests) through a buffer
  // of `capacity` bytes.
  explicit Out(std::FILE* sink, std::size_t capacity = 1 << 20);
  ~Out();
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  void write(const char* s, std::size_t n) {
    if (n != 0 && n <= buffer_.size() - used_) {  // the common case, inline: a short text
      std::memcpy(buffer_.data() + used_, s, n);
      used_ += n;
      last_ = s[n - 1];
    } else {
      writeSlow(s, n);
    }
  }
  void write(std::string_view s) { write(s.data(), s.size()); }
  void put(char c) {
    if (used_ == buffer_.size()) drain();
    buffer_[used_++] = c;
    last_ = c;
  }
  // The decimal text of v, as "%lld" writes it.
  void writeNumber(long long v);
  // The decimal text of a count, in full.
  void writeCount(unsigned long long v);
  // A line break unless the last character written was one (or nothing was written yet), so
  // that a message that follows stands on its own line.
  void endLine() {
    if (last_ != '\n') put('\n');
  }
  // Hands the buffer to the sink and flushes the sink.
  void flush();

  // Whether a write or flush has failed; error() is its error number (0 while none failed).
  bool failed() const { return error_ != 0; }
  int error() const { return error_; }

 private:
  void writeSlow(const char* s, std::size_t n);
  void drain();
  void sinkWrite(const char* s, std::size_t n);

  std::FILE* sink_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  char last_ = '\n';
  int error_ = 0;
};

}  // namespace console
