// One inflation step on a dotted edge, done in place on the entries of the recomputed vertex.
#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "Bigraph.h"

namespace core {

namespace {

// e - a * q in machine words, when neither the product nor the difference overflows.
inline bool wordNewValue(std::int64_t e, std::int64_t a, std::int64_t q, std::int64_t& out) {
  std::int64_t p;
  return !__builtin_mul_overflow(a, q, &p) && !__builtin_sub_overflow(e, p, &out);
}

}  // namespace

// q = G(lo, hi) / G(i, i), rounded toward minus infinity. A zero divisor raises the integer
// layer's own division-by-zero message before anything is changed.
void Bigraph::computeQuotient(int i, int lo, int hi) {
  const BigInteger& divisor = gram[i][i];
  const BigInteger& dividend = gram[lo][hi];
  if (divisor.isZero()) {
    q_ = dividend / divisor;  // throws
    return;
  }
  if (divisor.isOne()) {  // the loop-free case: no division needed
    q_ = dividend;
    return;
  }
  remainder_ = dividend;
  remainder_.divideWithRemainder(divisor, q_);
}

// Calls visit(x, E(x, i), E(x, j), row, column) for every vertex x other than i and j whose
// E(x, i) is not zero, in increasing x; (row, column) is where E(x, j) sits above the diagonal.
// Within each of the three ranges of x around i and j, both entries are reached the same way
// (in x's row or in i's and j's), so the choice of triangle is the same for a whole range.
template <class Visit>
void Bigraph::forEachEntryOf(int i, int j, Visit&& visit) {
  BigInteger** const g = gram;  // a local copy: stores into entries cannot change it
  const int bounds[] = {-1, std::min(i, j), std::max(i, j), n};
  for (int range = 0; range < 3; ++range) {
    const int first = bounds[range] + 1;
    const int end = bounds[range + 1];
    const bool pastI = first > i;  // E(x, i) is then in row i, else in row x
    const bool pastJ = first > j;
    for (int x = first; x < end; ++x) {
      const BigInteger& withI = pastI ? g[i][x] : g[x][i];
      if (withI.isZero()) continue;
      if (pastJ)
        visit(x, withI, g[j][x], j, x);
      else
        visit(x, withI, g[x][j], x, j);
    }
  }
}

// E'(x, j) = E(x, j) - E(x, i) * q for every other vertex x, each new value made by
// newValue(x, withI, withJ), and the per-row dotted counts and maxima following the change.
// E(x, i) never changes during the step, and entries with E(x, i) = 0 keep their value.
template <bool keepRowMax, class NewValue>
void Bigraph::updateEntriesOf(int i, int j, NewValue&& newValue) {
  // The counts are reached through a local pointer and the total added once: stores into the
  // entries' blocks could otherwise alias them and force a reload per entry.
  int* const dottedInRow = dottedInRow_.data();
  long long totalChange = 0;
  // Row j changes from column j + 1 on, so its maximum is scanned again after the pass; the
  // other rows change in one entry each and follow it as it changes.
  forEachEntryOf(i, j, [&](int x, const BigInteger& withI, BigInteger& withJ, int row,
                           int column) {
    const bool wasDotted = withJ.isPositive();
    const bool followMax = keepRowMax && row != j;
    const bool wasRowMax = followMax && wasDotted && isRowMax(row, column);
    newValue(x, withI, withJ);
    const int change = (withJ.isPositive() ? 1 : 0) - (wasDotted ? 1 : 0);
    dottedInRow[row] += change;
    totalChange += change;
    if (followMax) noteNewValue(row, column, wasRowMax);
  });
  dottedTotal_ += totalChange;  // a throw from newValue skips this: the undo counts afresh
  if (keepRowMax && j < n - 1) rescanRowMaxAfterStep(j);
}

// Gives every entry E(x, j) that the step changes the room to take its new value in place
// without allocating, when each of them can (a short E(x, i) or a short q); false when one
// cannot. Only capacities change, so a failure to allocate leaves the matrix as it was.
bool Bigraph::reserveRoomInPlace(int i, int j) {
  bool roomForAll = true;
  forEachEntryOf(i, j, [&](int, const BigInteger& withI, BigInteger& withJ, int, int) {
    if (roomForAll) roomForAll = withJ.reserveToSubtractProduct(withI, q_);
  });
  return roomForAll;
}

// The new values of one step. Entries whose old and new values are machine words are
// rewritten in place, which cannot fail (every entry holds a word without allocating). With a
// quotient past the machine word, the entries change in their own arrays after
// reserveRoomInPlace, as a copy of each would cost as much again as its new value. Otherwise
// a long new value is built in scratch_ and swapped in, so the old value stays in scratch_; if
// building one fails (out of memory), the entries already done are put back (undoEntriesOf)
// and the matrix is as before the step.
template <bool keepRowMax>
void Bigraph::recomputeEntriesOf(int i, int j) {
  if (q_.isZero()) return;
  std::int64_t q = 0;
  const bool wordQ = q_.asInt64(q);
  if (!wordQ && reserveRoomInPlace(i, j)) {
    updateEntriesOf<keepRowMax>(i, j, [&](int, const BigInteger& withI, BigInteger& withJ) {
      withJ.subtractProduct(withI, q_);  // cannot fail: the room is there
    });
    return;
  }
  // Both are sized before any entry changes: a list that grew during the pass could fail
  // to record an entry already swapped, and the undo would miss it.
  if (scratch_.size() < static_cast<std::size_t>(n)) scratch_.resize(n);
  swapped_.clear();
  swapped_.reserve(static_cast<std::size_t>(n));
  int reached = 0;  // the vertex whose long new value is being built, for the undo
  try {
    // q and wordQ by value, so that stores into the entries do not make them reload.
    updateEntriesOf<keepRowMax>(i, j, [&, q, wordQ](int x, const BigInteger& withI,
                                                    BigInteger& withJ) {
      std::int64_t a, e, r;
      if (wordQ && withI.asInt64(a) && withJ.asInt64(e) && wordNewValue(e, a, q, r)) {
        withJ.assign(r);
        return;
      }
      reached = x;
      scratch_[x].assignDifferenceOfProduct(withJ, withI, q_);  // may throw; x is unchanged
      withJ.swap(scratch_[x]);
      swapped_.push_back(x);
    });
  } catch (...) {
    undoEntriesOf(i, j, reached);
    throw;
  }
}

// Puts back the old values of the entries of vertex j before vertex upTo after a failed step,
// and counts the rows again. The word entries are recomputed backwards (their old values fit
// the arrays they had, and arrays never shrink); the others come back from scratch_.
void Bigraph::undoEntriesOf(int i, int j, int upTo) {
  std::int64_t q = 0;
  q_.asInt64(q);  // a word whenever an entry took the word path
  std::size_t next = 0;
  forEachEntryOf(i, j, [&](int x, const BigInteger& withI, BigInteger& withJ, int, int) {
    if (x >= upTo) return;
    if (next < swapped_.size() && swapped_[next] == x) {
      withJ.swap(scratch_[x]);
      ++next;
      return;
    }
    std::int64_t a = 0, r = 0;
    withI.asInt64(a);
    withJ.asInt64(r);
    withJ.assign(r + a * q);  // no overflow: it was the old value
  });
  refreshEdgeCounts();
}

void Bigraph::inflation(Coeffs c) {
  const int i = c.i;
  const int j = c.j;
  if (gram == nullptr || i < 0 || j < 0 || i >= n || j >= n || i == j)
    throw std::invalid_argument("Bigraph::inflation: no such vertex pair");
  const int lo = std::min(i, j);
  const int hi = std::max(i, j);
  BigInteger& pairEntry = gram[lo][hi];
  if (pairEntry.isNegative())
    throw InflationRefused(InflationRefused::Kind::ContinuousEdge, lo + 1, hi + 1);
  if (pairEntry.isZero())
    throw InflationRefused(InflationRefused::Kind::NonConnectedPair, lo + 1, hi + 1);
  if (n > 2) {  // with two vertices nothing is divided
    computeQuotient(i, lo, hi);
    if (rowMaxKept_) {
      recomputeEntriesOf<true>(i, j);
    } else {
      recomputeEntriesOf<false>(i, j);
    }
  }
  // Nothing below can fail.
  if (!lowerCleared_) clearLowerTriangle();
  const bool wasRowMax = rowMaxKept_ && isRowMax(lo, hi);
  pairEntry.negateInPlace();
  --dottedInRow_[lo];
  --dottedTotal_;
  if (rowMaxKept_) noteNewValue(lo, hi, wasRowMax);
}

}  // namespace core
