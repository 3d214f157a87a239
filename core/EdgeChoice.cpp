// The six dotted-edge choice rules and the choice by variant number.
#include "Bigraph.h"

namespace core {

namespace {

constexpr Coeffs kNone{kNoEdge, kNoEdge};
// Variant 4 takes the first dotted edge when the drawn value is below this threshold.
constexpr int rndMax2 = 16383;
const BigInteger kZero;

}  // namespace

// The per-row counts let the rules skip rows without dotted edges, so a choice costs one pass
// over the row counts plus one scan of a single row.
Coeffs Bigraph::firstDottedInRow(int row) const {
  for (int y = row + 1; y < n; ++y)
    if (gram[row][y].isPositive()) return {row, y};
  return kNone;
}

Coeffs Bigraph::lastDottedInRow(int row) const {
  for (int y = n - 1; y > row; --y)
    if (gram[row][y].isPositive()) return {row, y};
  return kNone;
}

Coeffs Bigraph::findDottedEdge() {
  for (int x = 0; x < static_cast<int>(dottedInRow_.size()); ++x)
    if (dottedInRow_[x] > 0) return firstDottedInRow(x);
  return kNone;
}

Coeffs Bigraph::findDottedEdgeBackwards() {
  for (int x = static_cast<int>(dottedInRow_.size()) - 1; x >= 0; --x)
    if (dottedInRow_[x] > 0) return lastDottedInRow(x);
  return kNone;
}

// The highest-multiplicity rules read the per-row maxima: the highest value is found from
// the rows' maxima, the row holding it first (or last) among them, and its first (or last)
// entry of that value in the row, which is the first (last) such entry in row-major order. The
// inflations keep the maxima up to date with the O(n) entries they change; a row is scanned
// again only when the last entry holding its maximum went down, or when the entry that holds
// an uncopied long maximum changed.

// Values up to this many blocks are copied as the row's maximum; longer ones stay in their
// entry, so that a run whose maxima grow at every step copies nothing.
constexpr BigInteger::Index kCopiedMaximumBlocks = 8;

// The row's maximum, or null when the row has none or it must be scanned again.
const BigInteger* Bigraph::rowMaxValue(int row) const {
  const RowMaximum& m = rowMax_[row];
  if (m.gone || m.count == 0) return nullptr;
  return m.atColumn ? &gram[row][m.column] : &m.copy;
}

// Lost: the count fell to zero while a value was known (every other entry is below it), or
// the entry holding an uncopied value changed.
bool Bigraph::rowMaxToScan(int row) const {
  const RowMaximum& m = rowMax_[row];
  return m.gone || (m.count == 0 && !m.atColumn && m.copy.isPositive());
}

bool Bigraph::isRowMax(int row, int column) const {
  const BigInteger* best = rowMaxValue(row);
  if (best == nullptr) return false;
  if (column == rowMax_[row].column) return true;
  return gram[row][column].compareTo(*best) == BigInteger::equal;
}

// The entry (row, column) becomes the row's maximum, held once: a long value where it is,
// a short one copied. May throw (out of memory on the copy).
void Bigraph::holdRowMax(int row, int column) {
  RowMaximum& m = rowMax_[row];
  const BigInteger& v = gram[row][column];
  const bool atColumn = v.getLength() > kCopiedMaximumBlocks;
  if (!atColumn) m.copy = v;  // first: a failed copy leaves the row as it was
  m.gone = false;
  m.atColumn = atColumn;
  m.count = 1;
  m.column = column;
}

// Called after the entry (row, column) changed; wasRowMax tells whether its old value was the
// row's maximum. Cannot fail: if keeping the maximum runs out of memory, the maxima are
// dropped and built again at the next choice.
void Bigraph::noteNewValue(int row, int column, bool wasRowMax) {
  RowMaximum& m = rowMax_[row];
  if (m.gone) return;  // scanned again at the next choice
  if (wasRowMax) {
    --m.count;
    if (column == m.column) {
      m.column = -1;
      if (m.atColumn) {  // the value held there is no more
        m.atColumn = false;
        m.gone = true;
        return;
      }
    }
  }
  const BigInteger& v = gram[row][column];
  if (!v.isPositive()) return;
  const BigInteger* best = m.atColumn ? &gram[row][m.column] : &m.copy;
  const BigInteger::CompareResult order =
      best->isPositive() ? v.compareTo(*best) : BigInteger::greater;
  if (order == BigInteger::greater) {
    try {
      holdRowMax(row, column);
    } catch (...) {
      rowMaxKept_ = false;
    }
  } else if (order == BigInteger::equal) {
    ++m.count;
    if (m.column < 0) m.column = column;
  }
}

// The maximum of the row from its entries: one comparison per dotted entry, and at most one
// copy, at the end.
void Bigraph::scanRowMax(int row) {
  const BigInteger* bestEntry = nullptr;
  int count = 0;
  int column = -1;
  if (dottedInRow_[row] > 0) {
    for (int y = row + 1; y < n; ++y) {
      const BigInteger& v = gram[row][y];
      if (!v.isPositive()) continue;
      const BigInteger::CompareResult order = bestEntry ? v.compareTo(*bestEntry) : BigInteger::greater;
      if (order == BigInteger::greater) {
        bestEntry = &v;
        count = 1;
        column = y;
      } else if (order == BigInteger::equal) {
        ++count;
      }
    }
  }
  RowMaximum& m = rowMax_[row];
  if (column < 0) {
    m.copy = kZero;  // copying zero in keeps the array
    m.atColumn = m.gone = false;
  } else {
    holdRowMax(row, column);
  }
  m.count = count;
  m.column = column;
}

// After a step changed the whole row: the maximum scanned again, which copies at most one
// value instead of one per new maximum met on the way. Cannot fail, like noteNewValue.
void Bigraph::rescanRowMaxAfterStep(int row) {
  try {
    scanRowMax(row);
  } catch (...) {
    rowMaxKept_ = false;
  }
}

Coeffs Bigraph::highestDotted(bool backwards) {
  const int rows = static_cast<int>(dottedInRow_.size());
  if (!rowMaxKept_) {
    rowMax_.clear();
    rowMax_.resize(rows);
    for (int x = 0; x < rows; ++x) scanRowMax(x);
    rowMaxKept_ = true;
  }
  int bestRow = -1;
  const BigInteger* best = nullptr;
  for (int step = 0; step < rows; ++step) {
    const int x = backwards ? rows - 1 - step : step;
    if (rowMaxToScan(x)) scanRowMax(x);
    const BigInteger* value = rowMaxValue(x);
    if (value == nullptr) continue;
    if (best == nullptr || value->compareTo(*best) == BigInteger::greater) {
      bestRow = x;
      best = value;
    }
  }
  if (bestRow < 0) return kNone;
  // A maximum held by one entry whose column is known needs no search (and no comparison of
  // two long equal values).
  const RowMaximum& m = rowMax_[bestRow];
  if (m.count == 1 && m.column >= 0) return {bestRow, m.column};
  const BigInteger* row = gram[bestRow];
  if (backwards) {
    for (int y = n - 1; y > bestRow; --y)
      if (row[y].compareTo(*best) == BigInteger::equal) return {bestRow, y};
  } else {
    for (int y = bestRow + 1; y < n; ++y)
      if (row[y].compareTo(*best) == BigInteger::equal) return {bestRow, y};
  }
  return kNone;  // unreachable while the maxima describe gram
}

Coeffs Bigraph::findDottedEdgeWiser() { return highestDotted(false); }

Coeffs Bigraph::findDottedEdgeWiserBackwards() { return highestDotted(true); }

Coeffs Bigraph::findDottedEdgeRandomlyFL() {
  const int r = random15();  // drawn even when no dotted edge is left
  return r < rndMax2 ? findDottedEdge() : findDottedEdgeBackwards();
}

// The dotted edge in position `slot` (from 0) of the row-major order, found from the row counts.
Coeffs Bigraph::dottedAtSlot(long long slot) const {
  int x = 0;
  while (slot >= dottedInRow_[x]) slot -= dottedInRow_[x++];
  for (int y = x + 1; y < n; ++y)
    if (gram[x][y].isPositive() && slot-- == 0) return {x, y};
  return kNone;  // unreachable while the counts describe gram
}

Coeffs Bigraph::findDottedEdgeRandomly() {
  if (dottedTotal_ == 0) return kNone;  // no value is drawn then
  const long long r = random15();
  return dottedAtSlot(r % dottedTotal_);
}

Coeffs Bigraph::chooseDottedEdge(EdgeRule rule) {
  switch (rule) {
    case EdgeRule::First: return findDottedEdge();
    case EdgeRule::FirstHighest: return findDottedEdgeWiser();
    case EdgeRule::Last: return findDottedEdgeBackwards();
    case EdgeRule::LastHighest: return findDottedEdgeWiserBackwards();
    case EdgeRule::RandomFirstOrLast: return findDottedEdgeRandomlyFL();
    case EdgeRule::Random: return findDottedEdgeRandomly();
  }
  return findDottedEdge();
}

}  // namespace core
