// Conversions between BigInteger and FLINT's fmpz, block by block.
#include "FlintBridge.h"

#include <vector>

namespace flint_bridge {

namespace {

using Blk = BigUnsigned::Blk;
constexpr int kBlockBits = 32;
static_assert(sizeof(Blk) * 8 == kBlockBits, "blocks are 32-bit");
static_assert(sizeof(ulong) == 8, "FLINT limbs are 64-bit");

// The low 64 bits of a magnitude of at most two blocks.
ulong lowWord(const BigUnsigned& m) {
  ulong v = 0;
  if (m.length > 0) v = m.blocks[0];
  if (m.length > 1) v |= static_cast<ulong>(m.blocks[1]) << kBlockBits;
  return v;
}

}  // namespace

void toFmpz(fmpz_t out, const BigInteger& x) {
  const BigUnsigned& m = x.getMagnitude();
  if (m.length <= 2) {
    fmpz_set_ui(out, lowWord(m));  // zero included
  } else {
    std::vector<ulong> limbs((m.length + 1) / 2, 0);
    for (BigUnsigned::Index b = 0; b < m.length; ++b)
      limbs[b / 2] |= static_cast<ulong>(m.blocks[b]) << (kBlockBits * (b % 2));
    fmpz_set_ui_array(out, limbs.data(), static_cast<slong>(limbs.size()));
  }
  if (x.isNegative()) fmpz_neg(out, out);
}

BigInteger fromFmpz(const fmpz_t x) {
  const int sign = fmpz_sgn(x);
  if (sign == 0) return BigInteger();
  const BigInteger::Sign s = sign > 0 ? BigInteger::positive : BigInteger::negative;
  if (!COEFF_IS_MPZ(*x)) {  // a small value held in the word itself
    const slong v = *x;
    const unsigned long long magnitude =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    return BigInteger(BigUnsigned(magnitude), s);
  }
  FlintInteger magnitude;
  fmpz_abs(magnitude.get(), x);
  const std::size_t limbCount = fmpz_size(magnitude.get());
  std::vector<ulong> limbs(limbCount);
  fmpz_get_ui_array(limbs.data(), static_cast<slong>(limbCount), magnitude.get());
  std::vector<Blk> blocks(2 * limbCount);
  for (std::size_t l = 0; l < limbCount; ++l) {
    blocks[2 * l] = static_cast<Blk>(limbs[l]);
    blocks[2 * l + 1] = static_cast<Blk>(limbs[l] >> kBlockBits);
  }
  return BigInteger(blocks.data(), static_cast<BigInteger::Index>(blocks.size()), s);
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
