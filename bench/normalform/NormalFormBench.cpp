// Benchmark of normalFormOf against computeInvariants (what `classify --no-run` computed before
// normal forms) on connected non-negative bigraphs: canonical forms of corank 0..2 scrambled by
// random unit-diagonal congruences and renumbered, n = 200 and 1000.
#include <benchmark/benchmark.h>

#include "NormalForm.h"
#include "ScrambledBigraphs.h"

using namespace core;

namespace {

// range(0): n, range(1): corank, range(2): 0 for A, 1 for D.
GramMatrix input(const benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), r = static_cast<int>(state.range(1));
  const DiagramFamily family = state.range(2) == 0 ? DiagramFamily::A : DiagramFamily::D;
  return scrambledBigraph(canonicalGram(DiagramType::withCorank(family, n - r, r)), 20261209);
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
