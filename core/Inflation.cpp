// One inflation step on a dotted edge, done in place on the entries of the recomputed vertex.
#include <algorithm>
#include <stdexcept>

#include "Bigraph.h"

namespace {

// Capacity given to short entries: a one-block product subtracted from a two-block value needs at
// most three blocks, and four cost no more memory than one in the allocator's smallest chunk.
constexpr BigInteger::Index kSmallEntryBlocks = 4;

bool isOne(const BigInteger& v) {
  return v.sign > 0 && v.magnitude.length == 1 && v.magnitude.blocks[0] == 1;
}

}  // namespace

// q = G(lo, hi) / G(i, i), rounded toward minus infinity. A zero divisor raises the integer
// layer's own division-by-zero message before anything is changed.
void Bigraph::computeQuotient(int i, int lo, int hi) {
  const BigInteger& divisor = gram[i][i];
  const BigInteger& dividend = gram[lo][hi];
  if (divisor.sign == 0) {
    q_ = dividend / divisor;  // throws
    return;
  }
  if (isOne(divisor)) {  // the loop-free case: no division needed
    q_ = dividend;
    return;
  }
  remainder_ = dividend;
  remainder_.divideWithRemainder(divisor, q_);
}

// out = withJ - withI * q, out being neither operand. Small operands go through the integer
// layer's one-block product; longer ones have the product formed in out and withJ subtracted
// there, which saves copying withJ and a temporary product.
void Bigraph::newValueOf(BigInteger& out, const BigInteger& withJ, const BigInteger& withI) {
  if (withI.magnitude.length == 1 && q_.magnitude.length == 1 && withJ.magnitude.length <= 2) {
    // Room for any such result, so that the integer layer takes its inline path; arrays move
    // between the matrix and the scratch row, so each one is grown at most once.
    if (out.magnitude.capacity < kSmallEntryBlocks) out.magnitude.allocate(kSmallEntryBlocks);
    out = withJ;
    out.subtractProduct(withI, q_);
    return;
  }
  out.multiply(withI, q_);
  out.subtract(withJ, out);
}

// E'(x, j) = E(x, j) - E(x, i) * q for every other vertex x. The new values are built in the
// scratch row first and swapped in only when all of them exist, so a failure (out of memory)
// leaves the matrix as it was. Entries with E(x, i) = 0 keep their value and are skipped; E(x, i)
// itself never changes during the step, so both passes skip the same vertices.
void Bigraph::recomputeEntriesOf(int i, int j) {
  if (q_.sign == 0) return;
  if (scratch_.size() < static_cast<std::size_t>(n)) scratch_.resize(n);
  for (int x = 0; x < n; ++x) {
    if (x == i || x == j) continue;
    const BigInteger& withI = edgeEntry(x, i);
    if (withI.sign == 0) continue;
    newValueOf(scratch_[x], edgeEntry(x, j), withI);
  }
  for (int x = 0; x < n; ++x) {
    if (x == i || x == j || edgeEntry(x, i).sign == 0) continue;
    BigInteger& withJ = edgeEntry(x, j);
    const int before = withJ.sign > 0 ? 1 : 0;
    withJ.swap(scratch_[x]);
    const int change = (withJ.sign > 0 ? 1 : 0) - before;
    dottedInRow_[std::min(x, j)] += change;
    dottedTotal_ += change;
  }
}

void Bigraph::inflation(Coeffs c) {
  const int i = c.i;
  const int j = c.j;
  if (gram == nullptr || i < 0 || j < 0 || i >= n || j >= n || i == j)
    throw std::invalid_argument("Bigraph::inflation: no such vertex pair");
  const int lo = std::min(i, j);
  const int hi = std::max(i, j);
  BigInteger& pairEntry = gram[lo][hi];
  if (pairEntry.sign < 0)
    throw InflationRefused(InflationRefused::Kind::ContinuousEdge, lo + 1, hi + 1);
  if (pairEntry.sign == 0)
    throw InflationRefused(InflationRefused::Kind::NonConnectedPair, lo + 1, hi + 1);
  ensureEdgeCounts();
  if (n > 2) {  // with two vertices nothing is divided
    computeQuotient(i, lo, hi);
    recomputeEntriesOf(i, j);
  }
  // Nothing below can fail.
  if (!lowerCleared_) clearLowerTriangle();
  pairEntry.negateInPlace();
  --dottedInRow_[lo];
  --dottedTotal_;
}
