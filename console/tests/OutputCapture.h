// An Out whose text the test can read: it writes into a memory stream.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Output.h"

class CapturedOut {
 public:
  explicit CapturedOut(std::size_t capacity = 1 << 16)
      : file_(open_memstream(&data_, &size_)), out_(std::make_unique<console::Out>(file_, capacity)) {}
  ~CapturedOut() {
    out_.reset();
    std::fclose(file_);
    std::free(data_);
  }
  console::Out& out() { return *out_; }
  std::string text() {
    out_->flush();
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
  std::unique_ptr<console::Out> out_;
};
