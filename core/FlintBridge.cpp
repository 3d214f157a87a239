// Conversions between BigInteger and FLINT's fmpz, by the magnitude's 64-bit words.
#include "FlintBridge.h"

#include <cstdint>
#include <type_traits>
#include <vector>

namespace core {

namespace flint_bridge {

static_assert(std::is_same_v<ulong, std::uint64_t>, "FLINT limbs are the integer layer's words");

void toFmpz(fmpz_t out, const BigInteger& x) {
  const std::size_t words = x.magnitudeWordCount();
  if (words <= 1) {
    std::uint64_t word = 0;  // zero included
    x.copyMagnitudeWords(&word);
    fmpz_set_ui(out, word);
  } else {
    std::vector<ulong> limbs(words);
    x.copyMagnitudeWords(limbs.data());
    fmpz_set_ui_array(out, limbs.data(), static_cast<slong>(words));
  }
  if (x.isNegative()) fmpz_neg(out, out);
}

BigInteger fromFmpz(const fmpz_t x) {
  const int sign = fmpz_sgn(x);
  if (sign == 0) return BigInteger();
  const BigInteger::Sign s = sign > 0 ? BigInteger::positive : BigInteger::negative;
  BigInteger out;
  if (!COEFF_IS_MPZ(*x)) {  // a small value held in the word itself
    const slong v = *x;
    const std::uint64_t magnitude =
        v < 0 ? 0ULL - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    out.assignMagnitudeWords(&magnitude, 1, s);
    return out;
  }
  FlintInteger magnitude;
  fmpz_abs(magnitude.get(), x);
  const std::size_t limbCount = fmpz_size(magnitude.get());
  std::vector<ulong> limbs(limbCount);
  fmpz_get_ui_array(limbs.data(), static_cast<slong>(limbCount), magnitude.get());
  out.assignMagnitudeWords(limbs.data(), limbCount, s);
  return out;
}

namespace {

void resize(FlintMatrix& out, long rows, long cols) {
  if (out.rows() == rows && out.cols() == cols) return;
  fmpz_mat_clear(out.get());
  fmpz_mat_init(out.get(), rows, cols);
}

template <class Rows>
void copyRows(FlintMatrix& out, const Rows& m, long cols) {
  const long rows = static_cast<long>(m.size());
  resize(out, rows, cols);
  for (long i = 0; i < rows; ++i)
    for (long j = 0; j < cols; ++j) toFmpz(out.at(i, j), m[i][j]);
}

}  // namespace

void toFlint(FlintMatrix& out, const GramMatrix& m) { copyRows(out, m, static_cast<long>(m.size())); }

void toFlint(FlintMatrix& out, const std::vector<IntVector>& rows) {
  copyRows(out, rows, rows.empty() ? 0 : static_cast<long>(rows[0].size()));
}

GramMatrix fromFlint(const FlintMatrix& m) {
  if (m.rows() != m.cols()) throw std::invalid_argument("fromFlint: the matrix is not square");
  GramMatrix out(static_cast<int>(m.rows()));
  for (long i = 0; i < m.rows(); ++i)
    for (long j = 0; j < m.cols(); ++j) out[i][j] = fromFmpz(m.at(i, j));
  return out;
}

}  // namespace flint_bridge

}  // namespace core
