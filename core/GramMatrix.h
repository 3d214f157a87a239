// GramMatrix: the one owner of a square matrix of BigInteger (a Gram matrix, its symmetric
// form, a certificate), in the row layout of allocateSqZeroMat so that the classic face hands
// its rows on without a copy.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "BigIntegerUtils.h"

namespace core {

// A column or row of integers: a kernel vector, a witness.
using IntVector = std::vector<BigInteger>;

// n row arrays of n entries each, every row its own `new BigInteger[n]`, and the array of row
// pointers its own `new BigInteger*[n]`: the layout allocateSqZeroMat makes and deleteSqMat
// releases, so a matrix can pass between this owner and the classic BigInteger** face
// (adopt/release) without a copy. Move only; copies are made with clone() or the explicit
// copy constructor.
class GramMatrix {
 public:
  GramMatrix() = default;
  // n x n zeros (a negative n gives the empty matrix).
  explicit GramMatrix(int n);
  // Rows given in full; throws std::invalid_argument when they do not make a square.
  GramMatrix(std::initializer_list<std::initializer_list<long>> rows);
  ~GramMatrix() { releaseRows(n_, rows_); }

  GramMatrix(GramMatrix&& other) noexcept
      : n_(std::exchange(other.n_, 0)), rows_(std::exchange(other.rows_, nullptr)) {}
  GramMatrix& operator=(GramMatrix&& other) noexcept {
    GramMatrix taken(std::move(other));
    swap(taken);
    return *this;
  }
  explicit GramMatrix(const GramMatrix& other);
  GramMatrix& operator=(const GramMatrix&) = delete;
  GramMatrix clone() const { return GramMatrix(*this); }
  void swap(GramMatrix& other) noexcept {
    std::swap(n_, other.n_);
    std::swap(rows_, other.rows_);
  }

  // Takes over the rows of a matrix in allocateSqZeroMat's layout; rows that are null are
  // allowed only until the owner is destroyed (deleteSqMat's rule: missing rows are skipped).
  static GramMatrix adopt(int n, BigInteger** rows) noexcept { return GramMatrix(n, rows); }
  // A copy of the n x n entries of rows in this layout, which stay the caller's.
  static GramMatrix copyOf(int n, const BigInteger* const* rows);
  // Gives the rows up to a new owner (Bigraph, or a caller of the classic face).
  BigInteger** release() noexcept {
    n_ = 0;
    return std::exchange(rows_, nullptr);
  }
  // Releases rows in this layout: the first n rows that are present, then the row array.
  static void releaseRows(int n, BigInteger** rows) noexcept;

  // An n x n matrix whose rows are made one by one with makeRow, so that input that ends
  // early costs only the rows begun. Reading a row before it is made is not allowed.
  static GramMatrix withRowsToCome(int n);
  BigInteger* makeRow(int i);

  std::size_t size() const { return static_cast<std::size_t>(n_); }
  int vertices() const { return n_; }
  bool empty() const { return n_ == 0; }
  std::span<BigInteger> operator[](std::size_t i) { return {rows_[i], size()}; }
  std::span<const BigInteger> operator[](std::size_t i) const { return {rows_[i], size()}; }
  BigInteger** rows() const { return rows_; }

  // A copy holding the diagonal and the entries above it, zeros below.
  GramMatrix upperTriangle() const;

  bool operator==(const GramMatrix& other) const;

 private:
  GramMatrix(int n, BigInteger** rows) : n_(n > 0 ? n : 0), rows_(rows) {}
  int n_ = 0;
  BigInteger** rows_ = nullptr;
};

}  // namespace core
