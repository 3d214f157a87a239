// The six dotted-edge choice rules and the choice by variant number.
#include "Bigraph.h"

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
// again only when the last entry holding its maximum went down.
bool Bigraph::isRowMax(int row, int column) const {
  if (!rowMax_[row].isPositive() || rowMaxCount_[row] == 0) return false;
  if (column == rowMaxColumn_[row]) return true;
  return gram[row][column].compareTo(rowMax_[row]) == BigInteger::equal;
}

// Called after the entry (row, column) changed; wasRowMax tells whether its old value was the
// row's maximum. Cannot fail: if keeping the maximum runs out of memory, the maxima are
// dropped and built again at the next choice.
void Bigraph::noteNewValue(int row, int column, bool wasRowMax) {
  if (wasRowMax) {
    --rowMaxCount_[row];
    if (column == rowMaxColumn_[row]) rowMaxColumn_[row] = -1;
  }
  const BigInteger& v = gram[row][column];
  if (!v.isPositive()) return;
  BigInteger& best = rowMax_[row];
  const BigInteger::CompareResult order =
      best.isPositive() ? v.compareTo(best) : BigInteger::greater;
  if (order == BigInteger::greater) {
    try {
      keepRowMax(row, v);
    } catch (...) {
      rowMaxKept_ = false;
      return;
    }
    rowMaxCount_[row] = 1;
    rowMaxColumn_[row] = column;
  } else if (order == BigInteger::equal) {
    ++rowMaxCount_[row];
    if (rowMaxColumn_[row] < 0) rowMaxColumn_[row] = column;
  }
}

// The maximum of the row from its entries: one comparison per dotted entry, and one copy of
// the value at the end.
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
  keepRowMax(row, bestEntry ? *bestEntry : kZero);  // copying zero in keeps the array
  rowMaxCount_[row] = count;
  rowMaxColumn_[row] = column;
}

// After a step changed the whole row: the maximum scanned again, which copies one value
// instead of one per new maximum met on the way. Cannot fail, like noteNewValue.
void Bigraph::rescanRowMaxAfterStep(int row) {
  try {
    scanRowMax(row);
  } catch (...) {
    rowMaxKept_ = false;
  }
}

// rowMax_[row] = v. Maxima of a growing run grow a little at a time: room to spare saves an
// allocation at most of the next ones.
void Bigraph::keepRowMax(int row, const BigInteger& v) {
  BigInteger& best = rowMax_[row];
  if (v.magnitude.length > best.magnitude.capacity) best.reserve(v.magnitude.length + v.magnitude.length / 4);
  best = v;
}

Coeffs Bigraph::highestDotted(bool backwards) {
  const int rows = static_cast<int>(dottedInRow_.size());
  if (!rowMaxKept_) {
    rowMax_.clear();
    rowMax_.resize(rows);  // all zero
    rowMaxCount_.assign(rows, 0);
    rowMaxColumn_.assign(rows, -1);
    for (int x = 0; x < rows; ++x) scanRowMax(x);
    rowMaxKept_ = true;
  }
  int bestRow = -1;
  for (int step = 0; step < rows; ++step) {
    const int x = backwards ? rows - 1 - step : step;
    if (rowMax_[x].isPositive() && rowMaxCount_[x] == 0) scanRowMax(x);  // lost its maximum
    if (!rowMax_[x].isPositive()) continue;
    if (bestRow < 0 || rowMax_[x].compareTo(rowMax_[bestRow]) == BigInteger::greater) bestRow = x;
  }
  if (bestRow < 0) return kNone;
  // A maximum held by one entry whose column is known needs no search (and no comparison of
  // two long equal values).
  if (rowMaxCount_[bestRow] == 1 && rowMaxColumn_[bestRow] >= 0) return {bestRow, rowMaxColumn_[bestRow]};
  const BigInteger& best = rowMax_[bestRow];
  const BigInteger* row = gram[bestRow];
  if (backwards) {
    for (int y = n - 1; y > bestRow; --y)
      if (row[y].compareTo(best) == BigInteger::equal) return {bestRow, y};
  } else {
    for (int y = bestRow + 1; y < n; ++y)
      if (row[y].compareTo(best) == BigInteger::equal) return {bestRow, y};
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

Coeffs Bigraph::chooseDottedEdge(int variant) {
  switch (variant) {
    case 1: return findDottedEdgeWiser();
    case 2: return findDottedEdgeBackwards();
    case 3: return findDottedEdgeWiserBackwards();
    case 4: return findDottedEdgeRandomlyFL();
    case 5: return findDottedEdgeRandomly();
    default: return findDottedEdge();
  }
}
