// Benchmark of computeInvariants: Nakayama bigraphs A_100(r) of each kind (positive, corank
// one, indefinite with and without isotropic pivots) and the sweep over 3 <= n <= 100.
#include <benchmark/benchmark.h>

#include "Bigraph.h"
#include "Invariants.h"

using namespace core;

namespace {

void BM_Nakayama100(benchmark::State& state) {
  const GramMatrix upper = nakayamaGram(100, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(computeInvariants(upper));
}
BENCHMARK(BM_Nakayama100)->Arg(2)->Arg(7)->Arg(19)->Arg(50)->Arg(99)->Unit(benchmark::kMillisecond);

// Every A_n(r) with 3 <= n <= 100, 2 <= r <= n, building the bigraph included.
void BM_NakayamaSweep(benchmark::State& state) {
  for (auto _ : state)
    for (int n = 3; n <= 100; ++n)
      for (int r = 2; r <= n; ++r) {
        const Bigraph g(nakayamaGram(n, r));
        benchmark::DoNotOptimize(invariantsOf(g));
      }
}
BENCHMARK(BM_NakayamaSweep)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
