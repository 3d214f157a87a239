// Benchmark of the console run loop (edge choice + inflation, no display) on the shared
// workloads, against the same loop on GMP, with a table of the ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "GmpRunLoop.h"
#include "RunEngine.h"

using namespace core;

namespace {

struct Workload {
  const char* name;
  int n, r, m, a;
};

// The workloads of the shared comparison script: --Nakayama n r k=0 m s=0 a.
const Workload kWorkloads[] = {
    {"positive-A200", 200, 2, 0, 0},
    {"positive-A400", 400, 2, 0, 0},
    {"bounded-A40r4", 40, 4, 200000, 2},
    {"wild-A30r4", 30, 4, 1000, 1},
};

// Keeps the performed pairs, as the console program does.
class PairRecorder : public RunObserver {
 public:
  explicit PairRecorder(RunResult& result) : result_(result) {}
  bool afterStep(const Bigraph&, const Coeffs& c, std::uint64_t) override {
    result_.performed.push_back({c.i, c.j});
    return true;
  }

 private:
  RunResult& result_;
};

// The console program's timed part: build the record, run it on the engine, destroy it.
RunResult runCoreLoop(const Workload& w, bool wantEntries) {
  auto b = std::make_unique<Bigraph>(nakayamaGram(w.n, w.r));
  RunResult result;
  PairRecorder recorder(result);
  RunOptions options;
  options.rule = consoleEdgeRule(w.a);
  options.maxSteps = w.m;
  runInflations(*b, options, recorder);
  if (wantEntries)
    for (int x = 0; x < b->n; ++x)
      for (int y = 0; y < b->n; ++y) result.finalEntries.push_back(bigIntegerToString(b->gram[x][y]));
  return result;
}

RunResult runGmp(const Workload& w, bool wantEntries) {
  return runGmpLoop(w.n, w.r, w.m, w.a, wantEntries);
}

// Both loops must perform the same pairs and end with the same matrix.
bool sameRuns(const Workload& w) {
  const RunResult ours = runCoreLoop(w, true);
  const RunResult peer = runGmp(w, true);
  const bool same = ours.performed == peer.performed && ours.finalEntries == peer.finalEntries;
  std::printf("%-16s %8zu inflations  %s\n", w.name, ours.performed.size(),
              same ? "same pairs and matrix as GMP" : "DIFFERS FROM GMP");
  return same;
}

void benchCore(benchmark::State& state, const Workload* w) {
  for (auto _ : state) benchmark::DoNotOptimize(runCoreLoop(*w, false).performed.size());
}

void benchGmp(benchmark::State& state, const Workload* w) {
  for (auto _ : state) benchmark::DoNotOptimize(runGmp(*w, false).performed.size());
}

// Keeps the median (or the last) real and CPU time of every benchmark for the ratio table. On a
// shared machine the CPU-time ratio is the steadier one.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (aggregate && run.aggregate_name != "median") continue;
      const std::string name = run.run_name.function_name;
      if (!aggregate && hasMedian_[name]) continue;
      // The unit is milliseconds.
      times_[name] = {run.GetAdjustedRealTime() / 1000.0, run.GetAdjustedCPUTime() / 1000.0};
      if (aggregate) hasMedian_[name] = true;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    std::printf("\n%-16s %10s %10s %8s %10s %10s %8s\n", "workload", "core s", "gmp s", "ratio",
                "core cpu", "gmp cpu", "ratio");
    for (const Workload& w : kWorkloads) {
      const auto ours = times_.find(std::string("core/") + w.name);
      const auto peer = times_.find(std::string("gmp/") + w.name);
      if (ours == times_.end() || peer == times_.end()) continue;
      const Times& a = ours->second;
      const Times& b = peer->second;
      std::printf("%-16s %10.4f %10.4f %8.2f %10.4f %10.4f %8.2f\n", w.name, a.real, b.real,
                  a.real / b.real, a.cpu, b.cpu, a.cpu / b.cpu);
    }
  }

 private:
  struct Times {
    double real, cpu;
  };
  std::map<std::string, Times> times_;
  std::map<std::string, bool> hasMedian_;
};

}  // namespace

// Options: the Google Benchmark flags, and --skip-check to leave out the comparison of the two
// loops' results (for profiling the timed part alone).
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const bool check = !(argc > 1 && std::string(argv[1]) == "--skip-check");
  bool allSame = true;
  for (const Workload& w : kWorkloads) allSame = (!check || sameRuns(w)) && allSame;
  if (!allSame) return 1;
  for (const Workload& w : kWorkloads) {
    benchmark::RegisterBenchmark((std::string("core/") + w.name).c_str(), benchCore, &w)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark((std::string("gmp/") + w.name).c_str(), benchGmp, &w)
        ->Unit(benchmark::kMillisecond)->UseRealTime();
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
