// The Gram matrix of the bigraph of the Nakayama algebra A_n(r).
#include <vector>

#include "Bigraph.h"

namespace core {

namespace {

// The entry at distance d = column - row >= 1 above the diagonal, for r >= 2: d mod r = 1 gives
// a solid edge (-1), d mod r = 0 a dotted edge (1), anything else no edge; with r >= n only the
// path of distance 1 is there.
int entryAtDistance(int d, int n, int r) {
  if (d == 1) return -1;
  if (r >= n) return 0;
  const int t = (d + 1) % r;
  if (t == 1) return 1;
  if (t == 2 % r) return -1;
  return 0;
}

}  // namespace

// An entry above the diagonal depends only on the distance between row and column, so one
// table of distances fills the matrix row by row, in the order the rows lie in memory.
// r <= 1 gives the identity.
GramMatrix nakayamaGram(int n, int r) {
  std::vector<int> byDistance(n > 0 ? n : 0, 0);  // before the matrix, which nothing would free
  if (r > 1)
    for (int d = 1; d < n; ++d) byDistance[d] = entryAtDistance(d, n, r);
  GramMatrix g(n);
  const BigInteger one(1), minusOne(-1);  // copied into place, which allocates nothing
  for (int k = 0; k < n; ++k) {
    const std::span<BigInteger> row = g[k];
    row[k] = one;
    for (int c = k + 1; c < n; ++c) {
      const int value = byDistance[c - k];
      if (value != 0) row[c] = value > 0 ? one : minusOne;
    }
  }
  return g;
}

}  // namespace core
