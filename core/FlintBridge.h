// Conversions between the project's integers and FLINT's fmpz, for the exact linear algebra
// behind Invariants.h. Only core sources and their tests include this header.
#pragma once

#include <flint/fmpz.h>
#include <flint/fmpz_mat.h>

#include "GramMatrix.h"

namespace core {

namespace flint_bridge {

// out = x, through the magnitude's 32-bit blocks packed two to a 64-bit limb.
void toFmpz(fmpz_t out, const BigInteger& x);
// The value of x as a BigInteger.
BigInteger fromFmpz(const fmpz_t x);

// An initialised fmpz_mat released on scope exit.
class FlintMatrix {
 public:
  FlintMatrix(long rows, long cols) { fmpz_mat_init(m_, rows, cols); }
  ~FlintMatrix() { fmpz_mat_clear(m_); }
  FlintMatrix(FlintMatrix&& other) noexcept {
    fmpz_mat_init(m_, 0, 0);
    fmpz_mat_swap(m_, other.m_);
  }
  FlintMatrix(const FlintMatrix&) = delete;
  FlintMatrix& operator=(const FlintMatrix&) = delete;
  FlintMatrix& operator=(FlintMatrix&& other) noexcept {
    fmpz_mat_swap(m_, other.m_);
    return *this;
  }
  fmpz_mat_struct* get() { return m_; }
  const fmpz_mat_struct* get() const { return m_; }
  fmpz* at(long i, long j) { return fmpz_mat_entry(m_, i, j); }
  const fmpz* at(long i, long j) const { return fmpz_mat_entry(m_, i, j); }
  long rows() const { return fmpz_mat_nrows(m_); }
  long cols() const { return fmpz_mat_ncols(m_); }

 private:
  fmpz_mat_t m_;
};

// An initialised fmpz released on scope exit.
class FlintInteger {
 public:
  FlintInteger() { fmpz_init(v_); }
  explicit FlintInteger(long value) { fmpz_init_set_si(v_, value); }
  ~FlintInteger() { fmpz_clear(v_); }
  FlintInteger(FlintInteger&& other) noexcept {
    fmpz_init(v_);
    fmpz_swap(v_, other.v_);
  }
  FlintInteger(const FlintInteger&) = delete;
  FlintInteger& operator=(const FlintInteger&) = delete;
  fmpz* get() { return v_; }
  const fmpz* get() const { return v_; }

 private:
  fmpz_t v_;
};

// Copies m into `out`, sized to match.
void toFlint(FlintMatrix& out, const GramMatrix& m);
// Copies a list of rows, each as long as the first, into `out`, sized to match.
void toFlint(FlintMatrix& out, const std::vector<IntVector>& rows);
// The square matrix m; throws std::invalid_argument when m is not square.
GramMatrix fromFlint(const FlintMatrix& m);

}  // namespace flint_bridge

}  // namespace core
