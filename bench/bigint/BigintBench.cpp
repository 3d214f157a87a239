// Benchmark of the integer layer against GMP at 1 to 30000 blocks; prints a ratio table.
//
// Each operation runs on random operands of n 32-bit blocks (GMP gets the same values):
// add and multiply n by n blocks, floor division of 2n blocks by n blocks (our dividend is
// copied into the remainder object first, as the API requires), this -= x q for x of n blocks
// and q of 10, and decimal text of n blocks.
// After the Google Benchmark output, the median time ratio ours/GMP of every operation and
// size is printed as a table. Run with --benchmark_repetitions=5 (the default here).
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"
#include "LimbArithmetic.h"

namespace {

const int kSizes[] = {1, 2, 8, 64, 1000, 30000};

BigUnsigned randomMagnitude(std::mt19937_64& rng, int n) {
  std::vector<BigUnsigned::Blk> b(n);
  for (auto& x : b) x = BigUnsigned::Blk(rng());
  b[n - 1] |= 0x80000000u;
  return BigUnsigned(b.data(), BigUnsigned::Index(n));
}

BigInteger randomInteger(std::mt19937_64& rng, int n, bool negative) {
  return BigInteger(randomMagnitude(rng, n), negative ? BigInteger::negative : BigInteger::positive);
}

// A GMP integer with the same value.
struct Mpz {
  mpz_t v;
  Mpz() { mpz_init(v); }
  explicit Mpz(const BigInteger& x) {
    mpz_init(v);
    mpz_import(v, x.magnitude.length, -1, sizeof(BigUnsigned::Blk), 0, 0, x.magnitude.blocks);
    if (x.sign == BigInteger::negative) mpz_neg(v, v);
  }
  ~Mpz() { mpz_clear(v); }
  Mpz(const Mpz&) = delete;
  Mpz& operator=(const Mpz&) = delete;
};

void addOurs(benchmark::State& state) {
  std::mt19937_64 rng(1);
  int n = int(state.range(0));
  BigInteger a = randomInteger(rng, n, false), b = randomInteger(rng, n, false), r;
  for (auto _ : state) {
    r.add(a, b);
    benchmark::DoNotOptimize(r.magnitude.blocks);
  }
}

void addGmp(benchmark::State& state) {
  std::mt19937_64 rng(1);
  int n = int(state.range(0));
  BigInteger a0 = randomInteger(rng, n, false), b0 = randomInteger(rng, n, false);
  Mpz a(a0), b(b0), r;
  for (auto _ : state) {
    mpz_add(r.v, a.v, b.v);
    benchmark::DoNotOptimize(r.v);
  }
}

void multiplyOurs(benchmark::State& state) {
  std::mt19937_64 rng(2);
  int n = int(state.range(0));
  BigInteger a = randomInteger(rng, n, false), b = randomInteger(rng, n, true), r;
  for (auto _ : state) {
    r.multiply(a, b);
    benchmark::DoNotOptimize(r.magnitude.blocks);
  }
}

void multiplyGmp(benchmark::State& state) {
  std::mt19937_64 rng(2);
  int n = int(state.range(0));
  BigInteger a0 = randomInteger(rng, n, false), b0 = randomInteger(rng, n, true);
  Mpz a(a0), b(b0), r;
  for (auto _ : state) {
    mpz_mul(r.v, a.v, b.v);
    benchmark::DoNotOptimize(r.v);
  }
}

void divideOurs(benchmark::State& state) {
  std::mt19937_64 rng(3);
  int n = int(state.range(0));
  BigInteger a = randomInteger(rng, 2 * n, true), b = randomInteger(rng, n, false), r, q;
  for (auto _ : state) {
    r = a;
    r.divideWithRemainder(b, q);
    benchmark::DoNotOptimize(q.magnitude.blocks);
  }
}

void divideGmp(benchmark::State& state) {
  std::mt19937_64 rng(3);
  int n = int(state.range(0));
  BigInteger a0 = randomInteger(rng, 2 * n, true), b0 = randomInteger(rng, n, false);
  Mpz a(a0), b(b0), q, r;
  for (auto _ : state) {
    mpz_fdiv_qr(q.v, r.v, a.v, b.v);
    benchmark::DoNotOptimize(q.v);
  }
}

// this -= x q with x of n blocks and a 10-block q, the shape of the long inflation runs
// (entries of thousands of blocks, quotients of a few limbs); this starts at x's length and
// is restored each time outside the timing, so the sign changes at every step.
constexpr int kQuotientBlocks = 10;

void submulOurs(benchmark::State& state) {
  std::mt19937_64 rng(7);
  int n = int(state.range(0));
  BigInteger x = randomInteger(rng, n, false), q = randomInteger(rng, std::min(n, kQuotientBlocks), false);
  BigInteger e0 = randomInteger(rng, n, false), e;
  for (auto _ : state) {
    state.PauseTiming();
    e = e0;
    state.ResumeTiming();
    e.subtractProduct(x, q);
    benchmark::DoNotOptimize(e.magnitude.blocks);
  }
}

void submulGmp(benchmark::State& state) {
  std::mt19937_64 rng(7);
  int n = int(state.range(0));
  BigInteger x0 = randomInteger(rng, n, false), q0 = randomInteger(rng, std::min(n, kQuotientBlocks), false);
  Mpz x(x0), q(q0), e0(randomInteger(rng, n, false)), e;
  for (auto _ : state) {
    state.PauseTiming();
    mpz_set(e.v, e0.v);
    state.ResumeTiming();
    mpz_submul(e.v, x.v, q.v);
    benchmark::DoNotOptimize(e.v);
  }
}

void decimalOurs(benchmark::State& state) {
  std::mt19937_64 rng(4);
  int n = int(state.range(0));
  BigInteger x = randomInteger(rng, n, false);
  for (auto _ : state) {
    std::string s = bigIntegerToString(x);
    benchmark::DoNotOptimize(s.data());
  }
}

void decimalGmp(benchmark::State& state) {
  std::mt19937_64 rng(4);
  int n = int(state.range(0));
  Mpz x(randomInteger(rng, n, false));
  std::vector<char> buffer(mpz_sizeinbase(x.v, 10) + 2);
  for (auto _ : state) {
    mpz_get_str(buffer.data(), 10, x.v);
    benchmark::DoNotOptimize(buffer.data());
  }
}

// Thresholds, on n-limb operands: schoolbook against one Karatsuba split, Karatsuba against
// one Toom-3 split, and Knuth's Algorithm D against one level of recursive division (2n by n
// limbs).
std::vector<limbs::Limb> randomLimbs(std::mt19937_64& rng, std::size_t n) {
  std::vector<limbs::Limb> v(n);
  for (auto& x : v) x = rng();
  v[n - 1] |= limbs::Limb(1) << 63;
  return v;
}

void productWithThreshold(benchmark::State& state, limbs::Size& variable, limbs::Size threshold) {
  std::mt19937_64 rng(5);
  std::size_t n = std::size_t(state.range(0));
  auto a = randomLimbs(rng, n), b = randomLimbs(rng, n);
  std::vector<limbs::Limb> r(2 * n);
  const limbs::Size saved = variable;
  variable = threshold;
  for (auto _ : state) {
    limbs::multiply(r.data(), a.data(), n, b.data(), n);
    benchmark::DoNotOptimize(r.data());
  }
  variable = saved;
}

void divisionWithThreshold(benchmark::State& state, limbs::Size threshold) {
  std::mt19937_64 rng(6);
  std::size_t n = std::size_t(state.range(0));
  auto a = randomLimbs(rng, 2 * n), b = randomLimbs(rng, n);
  std::vector<limbs::Limb> q(n + 1), r(n);
  const limbs::Size saved = limbs::recursiveDivisionThreshold;
  limbs::recursiveDivisionThreshold = threshold;
  for (auto _ : state) {
    limbs::divide(q.data(), r.data(), a.data(), 2 * n, b.data(), n);
    benchmark::DoNotOptimize(q.data());
  }
  limbs::recursiveDivisionThreshold = saved;
}

void limbsSchoolbook(benchmark::State& state) { productWithThreshold(state, limbs::karatsubaThreshold, 1u << 30); }
void limbsKaratsubaOnce(benchmark::State& state) {
  productWithThreshold(state, limbs::karatsubaThreshold, limbs::Size(state.range(0)));
}
void limbsKaratsubaOnly(benchmark::State& state) { productWithThreshold(state, limbs::toom3Threshold, 1u << 30); }
void limbsToom3Once(benchmark::State& state) {
  productWithThreshold(state, limbs::toom3Threshold, limbs::Size(state.range(0)));
}
void limbsKnuth(benchmark::State& state) { divisionWithThreshold(state, 1u << 30); }
void limbsRecursiveOnce(benchmark::State& state) { divisionWithThreshold(state, limbs::Size(state.range(0))); }

void sizes(benchmark::internal::Benchmark* b) {
  for (int n : kSizes) b->Arg(n);
}

void thresholdSizes(benchmark::internal::Benchmark* b) {
  for (int n = 8; n <= 96; n += 8) b->Arg(n);
}

void toom3ThresholdSizes(benchmark::internal::Benchmark* b) {
  for (int n = 80; n <= 256; n += 16) b->Arg(n);
}

void divisionThresholdSizes(benchmark::internal::Benchmark* b) {
  for (int n : {32, 64, 96, 128, 192, 256, 384, 512, 768}) b->Arg(n);
}

BENCHMARK(addOurs)->Apply(sizes);
BENCHMARK(addGmp)->Apply(sizes);
BENCHMARK(multiplyOurs)->Apply(sizes);
BENCHMARK(multiplyGmp)->Apply(sizes);
BENCHMARK(divideOurs)->Apply(sizes);
BENCHMARK(divideGmp)->Apply(sizes);
BENCHMARK(submulOurs)->Apply(sizes);
BENCHMARK(submulGmp)->Apply(sizes);
BENCHMARK(decimalOurs)->Apply(sizes);
BENCHMARK(decimalGmp)->Apply(sizes);
BENCHMARK(limbsSchoolbook)->Apply(thresholdSizes);
BENCHMARK(limbsKaratsubaOnce)->Apply(thresholdSizes);
BENCHMARK(limbsKaratsubaOnly)->Apply(toom3ThresholdSizes);
BENCHMARK(limbsToom3Once)->Apply(toom3ThresholdSizes);
BENCHMARK(limbsKnuth)->Apply(divisionThresholdSizes);
BENCHMARK(limbsRecursiveOnce)->Apply(divisionThresholdSizes);

// Console output as usual, and the medians kept for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, std::map<long, double>> medians;  // operation name -> size -> ns

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      long n = std::stol(run.run_name.args.empty() ? "0" : run.run_name.args);
      medians[run.run_name.function_name][n] = run.GetAdjustedCPUTime();
    }
  }

  void printTable() const {
    std::printf("\nMedian time ratio ours/GMP\n%-10s", "blocks");
    for (int n : kSizes) std::printf("%9d", n);
    std::printf("\n");
    for (const char* op : {"add", "multiply", "divide", "submul", "decimal"}) {
      auto ours = medians.find(std::string(op) + "Ours");
      auto gmp = medians.find(std::string(op) + "Gmp");
      if (ours == medians.end() || gmp == medians.end()) continue;
      std::printf("%-10s", op);
      for (int n : kSizes) {
        auto o = ours->second.find(n), g = gmp->second.find(n);
        if (o == ours->second.end() || g == gmp->second.end()) {
          std::printf("%9s", "-");
        } else {
          std::printf("%9.2f", o->second / g->second);
        }
      }
      std::printf("\n");
    }
    auto text = medians.find("decimalOurs");
    if (text != medians.end() && text->second.count(30000)) {
      std::printf("decimal text of a 30000-block number: %.4f s\n", text->second.at(30000) * 1e-9);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  std::string reps = "--benchmark_repetitions=5";
  std::string report = "--benchmark_report_aggregates_only=true";
  std::string unit = "--benchmark_time_unit=ns";
  args.insert(args.begin() + 1, {reps.data(), report.data(), unit.data()});
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printTable();
  benchmark::Shutdown();
  return 0;
}
