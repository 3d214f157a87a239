// The Gram matrix of the bigraph of the Nakayama algebra A_n(r).
#include "Bigraph.h"

namespace {

// Sets G(k, k + d) = value for every k with k + d < n.
void fillDistance(BigInteger** g, int n, int d, int value) {
  const BigInteger v(value);
  for (int k = 0; k + d < n; ++k) g[k][k + d] = v;
}

}  // namespace

// For r >= 2 an entry above the diagonal depends only on the distance d = column - row:
// d mod r = 1 gives a solid edge (-1), d mod r = 0 a dotted edge (1), anything else no edge.
// r <= 1 gives the identity, and r >= n only the path of distance 1.
BigInteger** NakayamaBigraph(int n, int r) {
  BigInteger** g = allocateSqZeroMat(n);
  const BigInteger one(1);
  for (int k = 0; k < n; ++k) g[k][k] = one;
  if (r <= 1) return g;
  fillDistance(g, n, 1, -1);
  if (r >= n) return g;
  for (int d = 2; d < n; ++d) {
    const int t = (d + 1) % r;
    if (t == 1)
      fillDistance(g, n, d, 1);
    else if (t == 2 % r)
      fillDistance(g, n, d, -1);
  }
  return g;
}
