// The signature of a symmetric integer matrix: how many eigenvalues are positive, zero, negative.
#pragma once

namespace core {

struct Signature {
  int positive = 0;
  int zero = 0;
  int negative = 0;
};

}  // namespace core
