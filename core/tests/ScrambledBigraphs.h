// Bigraphs for the Coxeter, roots and congruence tests and benchmark: weakly congruent
// scrambles of the canonical forms, renumbered.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "NormalForm.h"

// Steps e_j -> e_j - S_ij e_i of S = G + G^T (unit diagonal kept, entries kept within -2..2),
// then a random renumbering; the upper triangle of the result. Weakly congruent to `upper`.
inline core::GramMatrix scrambledBigraph(const core::GramMatrix& upper, std::uint32_t seed, int steps = -1) {
  core::GramMatrix S = core::symmetricGram(upper);
  const int n = static_cast<int>(S.size());
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> vertex(0, n - 1);
  core::IntVector next(n);
  for (int step = 0; step < (steps < 0 ? 4 * n : steps); ++step) {
    const int i = vertex(random), j = vertex(random);
    if (i == j || S[i][j].isZero()) continue;
    const BigInteger s = S[i][j];
    bool small = true;
    for (int x = 0; x < n && small; ++x) {
      next[x] = S[x][j] - s * S[x][i];
      small = next[x] <= BigInteger(2) && next[x] >= BigInteger(-2);
    }
    if (!small) continue;
    for (int x = 0; x < n; ++x) S[x][j] = S[j][x] = next[x];
    S[j][j] = BigInteger(2);
  }
  std::vector<int> perm(n);
  std::iota(perm.begin(), perm.end(), 0);
  std::shuffle(perm.begin(), perm.end(), random);
  core::GramMatrix out(n);
  for (int a = 0; a < n; ++a) {
    out[a][a] = BigInteger(1);
    for (int b = a + 1; b < n; ++b) out[a][b] = S[perm[a]][perm[b]];
  }
  return out;
}

// The same bigraph with its vertices renumbered by a random permutation (a tree keeps its
// Coxeter polynomial).
inline core::GramMatrix renumberedBigraph(const core::GramMatrix& upper, std::uint32_t seed) {
  return scrambledBigraph(upper, seed, 0);
}
