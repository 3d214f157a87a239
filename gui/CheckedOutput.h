// velorin's standard output as a std::ostream that notices failed writes: each write goes to
// the C stream at once, as with the synchronised std::cout, and the first failure is kept with
// its error number so that the program can stop and report it.
#pragma once

#include <cstdio>
#include <streambuf>

namespace velorin {

class CheckedFileBuffer : public std::streambuf {
 public:
  explicit CheckedFileBuffer(std::FILE* file) : file_(file) {}
  // The error number of the first failed write or flush; 0 while none failed.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Records the failure (errno, or EIO when the library set none); returns false.
  bool fail();

  std::FILE* file_;
  int error_ = 0;
};

}  // namespace velorin
