// GramMatrix: allocation row by row, copies, comparison and release.
#include "GramMatrix.h"

namespace core {

namespace {

// An array of n row pointers, all null, for rows made afterwards.
BigInteger** newRowArray(int n) { return new BigInteger*[n > 0 ? n : 0](); }

}  // namespace

GramMatrix::GramMatrix(int n) : GramMatrix(withRowsToCome(n)) {
  for (int i = 0; i < n_; ++i) makeRow(i);
}

GramMatrix::GramMatrix(std::initializer_list<std::initializer_list<long>> rows)
    : GramMatrix(static_cast<int>(rows.size())) {
  int i = 0;
  for (const auto& row : rows) {
    if (row.size() != rows.size()) throw std::invalid_argument("the rows do not make a square matrix");
    int j = 0;
    for (long value : row) rows_[i][j++] = BigInteger(value);
    ++i;
  }
}

GramMatrix::GramMatrix(const GramMatrix& other) : GramMatrix(copyOf(other.n_, other.rows_)) {}

GramMatrix GramMatrix::copyOf(int n, const BigInteger* const* rows) {
  GramMatrix copy = withRowsToCome(n);
  for (int i = 0; i < copy.n_; ++i) {
    BigInteger* row = copy.makeRow(i);
    for (int j = 0; j < copy.n_; ++j) row[j] = rows[i][j];
  }
  return copy;
}

void GramMatrix::releaseRows(int n, BigInteger** rows) noexcept {
  if (rows == nullptr) return;
  for (int k = 0; k < n; ++k) delete[] rows[k];  // delete[] of a missing row does nothing
  delete[] rows;
}

GramMatrix GramMatrix::withRowsToCome(int n) { return GramMatrix(n, newRowArray(n)); }

BigInteger* GramMatrix::makeRow(int i) { return rows_[i] = new BigInteger[size()]; }

GramMatrix GramMatrix::upperTriangle() const {
  GramMatrix upper(n_);
  for (int i = 0; i < n_; ++i)
    for (int j = i; j < n_; ++j) upper.rows_[i][j] = rows_[i][j];
  return upper;
}

bool GramMatrix::operator==(const GramMatrix& other) const {
  if (n_ != other.n_) return false;
  for (int i = 0; i < n_; ++i)
    for (int j = 0; j < n_; ++j)
      if (rows_[i][j] != other.rows_[i][j]) return false;
  return true;
}

}  // namespace core
