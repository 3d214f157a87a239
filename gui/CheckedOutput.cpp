// velorin's standard output with failed writes noticed.
#include "CheckedOutput.h"

#include <cerrno>

namespace velorin {

bool CheckedFileBuffer::fail() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  return false;
}

// After a failure nothing more is written: the stream reports the failure to its writer, and
// the output is lost anyway.
CheckedFileBuffer::int_type CheckedFileBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (error_ != 0) return traits_type::eof();
  errno = 0;
  if (std::fputc(traits_type::to_char_type(c), file_) == EOF) {
    fail();
    return traits_type::eof();
  }
  return c;
}

std::streamsize CheckedFileBuffer::xsputn(const char* s, std::streamsize n) {
  if (error_ != 0) return 0;
  errno = 0;
  const std::size_t written = std::fwrite(s, 1, static_cast<std::size_t>(n), file_);
  if (written != static_cast<std::size_t>(n)) fail();
  return static_cast<std::streamsize>(written);
}

int CheckedFileBuffer::sync() {
  if (error_ != 0) return -1;
  errno = 0;
  if (std::fflush(file_) != 0) return fail(), -1;
  return 0;
}

}  // namespace velorin
