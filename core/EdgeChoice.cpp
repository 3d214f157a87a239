// The six dotted-edge choice rules and the choice by variant number.
#include "Bigraph.h"

namespace {

constexpr Coeffs kNone{kNoEdge, kNoEdge};
// Variant 4 takes the first dotted edge when the drawn value is below this threshold.
constexpr int rndMax2 = 16383;

bool isDotted(const BigInteger& v) { return v.sign > 0; }

}  // namespace

// The per-row counts let the rules skip rows without dotted edges, so a choice costs one pass
// over the row counts plus one scan of a single row.
Coeffs Bigraph::firstDottedInRow(int row) const {
  for (int y = row + 1; y < n; ++y)
    if (isDotted(gram[row][y])) return {row, y};
  return kNone;
}

Coeffs Bigraph::lastDottedInRow(int row) const {
  for (int y = n - 1; y > row; --y)
    if (isDotted(gram[row][y])) return {row, y};
  return kNone;
}

Coeffs Bigraph::findDottedEdge() {
  ensureEdgeCounts();
  for (int x = 0; x < static_cast<int>(dottedInRow_.size()); ++x)
    if (dottedInRow_[x] > 0) return firstDottedInRow(x);
  return kNone;
}

Coeffs Bigraph::findDottedEdgeBackwards() {
  ensureEdgeCounts();
  for (int x = static_cast<int>(dottedInRow_.size()) - 1; x >= 0; --x)
    if (dottedInRow_[x] > 0) return lastDottedInRow(x);
  return kNone;
}

// Visits the dotted entries in row-major order (or its reverse) and keeps the first one met of
// the highest value: only a strictly greater entry replaces the remembered one.
Coeffs Bigraph::highestDotted(bool backwards) const {
  const BigInteger* best = nullptr;
  Coeffs where = kNone;
  const int rows = static_cast<int>(dottedInRow_.size());
  for (int step = 0; step < rows; ++step) {
    const int x = backwards ? rows - 1 - step : step;
    if (dottedInRow_[x] == 0) continue;
    const BigInteger* row = gram[x];
    for (int t = 0; t < n - 1 - x; ++t) {
      const int y = backwards ? n - 1 - t : x + 1 + t;
      const BigInteger& v = row[y];
      if (!isDotted(v)) continue;
      if (best == nullptr || v.compareTo(*best) > 0) {
        best = &v;
        where = {x, y};
      }
    }
  }
  return where;
}

Coeffs Bigraph::findDottedEdgeWiser() {
  ensureEdgeCounts();
  return highestDotted(false);
}

Coeffs Bigraph::findDottedEdgeWiserBackwards() {
  ensureEdgeCounts();
  return highestDotted(true);
}

Coeffs Bigraph::findDottedEdgeRandomlyFL() {
  const int r = random15();  // drawn even when no dotted edge is left
  return r < rndMax2 ? findDottedEdge() : findDottedEdgeBackwards();
}

// The dotted edge in position `slot` (from 0) of the row-major order, found from the row counts.
Coeffs Bigraph::dottedAtSlot(long long slot) const {
  int x = 0;
  while (slot >= dottedInRow_[x]) slot -= dottedInRow_[x++];
  for (int y = x + 1; y < n; ++y)
    if (isDotted(gram[x][y]) && slot-- == 0) return {x, y};
  return kNone;  // unreachable while the counts describe gram
}

Coeffs Bigraph::findDottedEdgeRandomly() {
  ensureEdgeCounts();
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
