// The Gram matrix of the bigraph of the Nakayama algebra A_n(r).
#include "Bigraph.h"

namespace {

// Sets G(k, k + d) = value for every k with k + d < n.
void fillDistance(BigInteger** g, int n, int d, int value) {
  const BigInteger v(value);
  for (int k = 0; k + d < n; ++k) g[k][k + d] = v;
}

}  // namespace

// Above the diagonal the entry depends only on the distance d: -1 for d = 1 and, when r < n,
// 1 for d + 1 = 1 (mod r) and -1 for d + 1 = 2 (mod r); r <= 1 gives the identity.
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
