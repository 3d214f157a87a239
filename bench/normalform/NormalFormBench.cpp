// Benchmark of normalFormOf against computeInvariants (what `classify --no-run` computed before
// normal forms) on connected non-negative bigraphs: canonical forms of corank 0..2 scrambled by
// random unit-diagonal congruences and renumbered, n = 200 and 1000.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "NormalForm.h"

namespace {

// e_j -> e_j - S_ij e_i keeps the unit diagonal; entries kept within -2..2; then a renumbering.
GramMatrix scrambled(const GramMatrix& upper, std::uint32_t seed) {
  GramMatrix S = symmetricGram(upper);
  const int n = static_cast<int>(S.size());
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> vertex(0, n - 1);
  IntVector next(n);
  for (int step = 0; step < 4 * n; ++step) {
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
  GramMatrix out(n);
  for (int a = 0; a < n; ++a) {
    out[a][a] = BigInteger(1);
    for (int b = a + 1; b < n; ++b) out[a][b] = S[perm[a]][perm[b]];
  }
  return out;
}

// range(0): n, range(1): corank, range(2): 0 for A, 1 for D.
GramMatrix input(const benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), r = static_cast<int>(state.range(1));
  const DiagramFamily family = state.range(2) == 0 ? DiagramFamily::A : DiagramFamily::D;
  return scrambled(canonicalGram(DiagramType::withCorank(family, n - r, r)), 20261209);
}

void BM_Invariants(benchmark::State& state) {
  const GramMatrix upper = input(state);
  for (auto _ : state) benchmark::DoNotOptimize(computeInvariants(upper));
}

void BM_InvariantsAndNormalForm(benchmark::State& state) {
  const GramMatrix upper = input(state);
  for (auto _ : state) {
    const Invariants inv = computeInvariants(upper);
    benchmark::DoNotOptimize(normalFormOf(upper, inv));
  }
}

void shapes(benchmark::internal::Benchmark* b) {
  for (int family : {0, 1}) {
    b->Args({200, 2, family});
    b->Args({200, 1, family});
    b->Args({200, 0, family});
    b->Args({1000, 2, family});
  }
  b->Unit(benchmark::kMillisecond)->Iterations(1);
}
BENCHMARK(BM_Invariants)->Apply(shapes);
BENCHMARK(BM_InvariantsAndNormalForm)->Apply(shapes);

}  // namespace

BENCHMARK_MAIN();
