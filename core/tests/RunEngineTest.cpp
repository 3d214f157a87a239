// Tests of the run engine: how runs end (no edge, bound, observer, errors, out of memory), that
// the observer sees every step, counts past 32 bits, and the certificate B with B^T S B = S'.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "GramTestHelpers.h"
#include "RunEngine.h"
#include "RunEngineCounting.h"

using namespace core;

namespace {

using gramtest::IntRows;
using gramtest::makeBigraph;

// Records every step it sees and stops or fails where it is told to.
class RecordingObserver : public RunObserver {
 public:
  std::vector<Coeffs> pairs;
  std::vector<std::uint64_t> counts;
  std::uint64_t stopAfter = 0;       // afterStep answers false at this count (0: never)
  std::uint64_t lastStepAt = 0;      // continueAfterNextStep answers false when done + 1 is this
  std::uint64_t noRoomBefore = 0;    // prepareStep throws bad_alloc for this step
  std::uint64_t failAfter = 0;       // afterStep throws bad_alloc at this count

  bool continueAfterNextStep(std::uint64_t done) override {
    return lastStepAt == 0 || done + 1 != lastStepAt;
  }
  void prepareStep(std::uint64_t done) override {
    if (noRoomBefore != 0 && done + 1 == noRoomBefore) throw std::bad_alloc();
  }
  bool afterStep(const Bigraph&, const Coeffs& pair, std::uint64_t count) override {
    if (failAfter != 0 && count == failAfter) throw std::bad_alloc();
    pairs.push_back(pair);
    counts.push_back(count);
    return count != stopAfter;
  }
};

// The pairs a plain loop of choice and inflation performs, up to `limit` steps.
std::vector<Coeffs> plainLoop(const IntRows& rows, int rule, int limit) {
  auto g = makeBigraph(rows);
  std::vector<Coeffs> pairs;
  for (int step = 0; step < limit; ++step) {
    const Coeffs c = g->chooseDottedEdge(EdgeRule(rule));
    if (c.i == kNoEdge) break;
    g->inflation(c);
    pairs.push_back(c);
  }
  return pairs;
}

// A path 1 - 2 - 3 - 4 of dotted edges, loop-free: a few inflations to the end.
const IntRows kDottedPath = {{1, 1, 0, 0}, {0, 1, 1, 0}, {0, 0, 1, 1}, {0, 0, 0, 1}};
// Runs for ever: each inflation leaves another dotted edge, with growing entries.
const IntRows kEndless = {{1, 2, 0}, {0, 1, 2}, {0, 0, 1}};

TEST(RunEngine, RunsToTheEndLikeThePlainLoopForEveryRule) {
  for (int rule = 0; rule <= 3; ++rule) {
    auto g = makeBigraph(kDottedPath);
    RecordingObserver observer;
    const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule(rule)}, observer);
    const std::vector<Coeffs> expected = plainLoop(kDottedPath, rule, 1000);
    EXPECT_EQ(outcome.end, RunEnd::NoDottedEdge) << "rule " << rule;
    EXPECT_EQ(outcome.steps, expected.size()) << "rule " << rule;
    EXPECT_EQ(observer.pairs, expected) << "rule " << rule;
    ASSERT_FALSE(expected.empty());
    for (std::size_t k = 0; k < observer.counts.size(); ++k) EXPECT_EQ(observer.counts[k], k + 1);
  }
}

struct EndCase {
  const char* name;
  std::int64_t maxSteps;
  std::uint64_t stopAfter, lastStepAt;
  RunEnd end;
  std::uint64_t steps;
};

const EndCase kEndCases[] = {
    {"bound", 5, 0, 0, RunEnd::StepBound, 5},
    {"bound of one", 1, 0, 0, RunEnd::StepBound, 1},
    {"observer stops", 0, 7, 0, RunEnd::Stopped, 7},
    {"observer stops before the bound", 9, 4, 0, RunEnd::Stopped, 4},
    {"last step announced", 0, 0, 3, RunEnd::Stopped, 3},
    {"last step announced at once", 0, 0, 1, RunEnd::Stopped, 1},
    {"bound and stop together", 6, 6, 0, RunEnd::StepBound, 6},
    {"negative bound is none", -3, 10, 0, RunEnd::Stopped, 10},
};

TEST(RunEngine, EndsOnTheBoundOrWhenTheObserverSaysSo) {
  for (const EndCase& c : kEndCases) {
    auto g = makeBigraph(kEndless);
    RecordingObserver observer;
    observer.stopAfter = c.stopAfter;
    observer.lastStepAt = c.lastStepAt;
    RunOptions options;
    options.maxSteps = c.maxSteps;
    const RunOutcome outcome = runInflations(*g, options, observer);
    EXPECT_EQ(outcome.end, c.end) << c.name;
    EXPECT_EQ(outcome.steps, c.steps) << c.name;
    EXPECT_EQ(observer.pairs, plainLoop(kEndless, 0, static_cast<int>(c.steps))) << c.name;
    EXPECT_FALSE(outcome.error.has_value()) << c.name;
  }
}

TEST(RunEngine, AnnouncedLastStepWithoutDottedEdgeEndsAsNoEdge) {
  auto g = makeBigraph({{1, -1}, {0, 1}});
  RecordingObserver observer;
  observer.lastStepAt = 1;
  const RunOutcome outcome = runInflations(*g, RunOptions{}, observer);
  EXPECT_EQ(outcome.end, RunEnd::NoDottedEdge);
  EXPECT_EQ(outcome.steps, 0u);
}

TEST(RunEngine, CountsPastThirtyTwoBits) {
  auto g = makeBigraph(kEndless);
  RecordingObserver observer;
  RunOptions options;
  options.maxSteps = static_cast<std::int64_t>((std::uint64_t{1} << 32) + 1);
  const RunOutcome outcome =
      run_engine::runInflationsCountingFrom((std::uint64_t{1} << 32) - 2, *g, options, observer);
  EXPECT_EQ(outcome.end, RunEnd::StepBound);
  EXPECT_EQ(outcome.steps, (std::uint64_t{1} << 32) + 1);
  const std::vector<std::uint64_t> expected = {(std::uint64_t{1} << 32) - 1,
                                               std::uint64_t{1} << 32,
                                               (std::uint64_t{1} << 32) + 1};
  EXPECT_EQ(observer.counts, expected);
}

// Vertex 1 has diagonal 0; the first dotted edge [1, 2] divides by it, with a third vertex.
const IntRows kZeroDiagonal = {{0, 1, -1}, {0, 1, 0}, {0, 0, 1}};

TEST(RunEngine, DivisionByZeroEndsTheRunWithTheMatrixAsBefore) {
  // One step on [2, 3] first, then [1, 2] fails on vertex 1's zero diagonal.
  const IntRows rows = {{0, 1, 0}, {0, 1, 1}, {0, 0, 1}};
  auto g = makeBigraph(rows);
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::Last}, observer);  // last dotted edge
  ASSERT_EQ(outcome.end, RunEnd::Error);
  EXPECT_EQ(outcome.steps, 1u);
  EXPECT_EQ(outcome.error.value_or(""), "BigInteger::operator /: division by zero");
  EXPECT_FALSE(outcome.outOfMemory);
  EXPECT_EQ(outcome.errorContext.value_or(""),
            "vertex 1 has diagonal entry 0, so the inflation on [1, 2] divides by zero.");
  auto afterOneStep = makeBigraph(rows);
  afterOneStep->inflation({1, 2});
  EXPECT_TRUE(gramtest::sameEntries(*g, gramtest::snapshot(*afterOneStep)));
}

TEST(RunEngine, OutOfMemoryBeforeAStepEndsTheRunWithTheMatrixAsBefore) {
  auto g = makeBigraph(kEndless);
  RecordingObserver observer;
  observer.noRoomBefore = 4;
  const RunOutcome outcome = runInflations(*g, RunOptions{}, observer);
  EXPECT_EQ(outcome.end, RunEnd::Error);
  EXPECT_EQ(outcome.steps, 3u);
  EXPECT_EQ(outcome.error.value_or(""), "Out of memory during the inflation run.");
  EXPECT_TRUE(outcome.outOfMemory);
  EXPECT_FALSE(outcome.errorContext.has_value());
  auto threeSteps = makeBigraph(kEndless);
  for (const Coeffs& c : plainLoop(kEndless, 0, 3)) threeSteps->inflation(c);
  EXPECT_TRUE(gramtest::sameEntries(*g, gramtest::snapshot(*threeSteps)));
}

TEST(RunEngine, OutOfMemoryInTheObserverEndsTheRunAfterThatStep) {
  auto g = makeBigraph(kEndless);
  RecordingObserver observer;
  observer.failAfter = 2;
  const RunOutcome outcome = runInflations(*g, RunOptions{}, observer);
  EXPECT_EQ(outcome.end, RunEnd::Error);
  EXPECT_EQ(outcome.steps, 2u);
  EXPECT_EQ(observer.pairs.size(), 1u);
  EXPECT_EQ(outcome.error.value_or(""), "Out of memory during the inflation run.");
}

TEST(RunEngine, BoundForVertexCount) {
  const int expected[] = {0, 0, 1, 3, 8, 15, 30, 56, 112, 63, 80, 99, 120};
  for (int n = 0; n <= 12; ++n) EXPECT_EQ(boundForVertexCount(n), expected[n]) << "n = " << n;
  EXPECT_EQ(boundForVertexCount(-5), 0);
  EXPECT_EQ(boundForVertexCount(100000), 2147483647);
}

// --- The certificate ---

GramMatrix symmetricOf(const Bigraph& g) {
  GramMatrix s(g.n);
  for (int x = 0; x < g.n; ++x)
    for (int y = x; y < g.n; ++y) {
      s[x][y] = s[x][y] + g.gram[x][y];
      s[y][x] = s[y][x] + g.gram[x][y];
    }
  return s;
}

GramMatrix product(const GramMatrix& a, const GramMatrix& b) {
  const std::size_t n = a.size();
  GramMatrix c(static_cast<int>(n));
  for (std::size_t x = 0; x < n; ++x)
    for (std::size_t y = 0; y < n; ++y)
      for (std::size_t k = 0; k < n; ++k) c[x][y] = c[x][y] + a[x][k] * b[k][y];
  return c;
}

GramMatrix transposed(const GramMatrix& a) {
  GramMatrix t(static_cast<int>(a.size()));
  for (std::size_t x = 0; x < a.size(); ++x)
    for (std::size_t y = 0; y < a.size(); ++y) t[y][x] = a[x][y];
  return t;
}

// Whether the step on `pair` from the matrix before it is a congruence: G(i,i) divides G(i,j).
class CongruenceWatcher : public RunObserver {
 public:
  explicit CongruenceWatcher(const Bigraph& start) : before_(symmetricOf(start)) {}
  std::uint64_t firstNonCongruence = 0;
  bool afterStep(const Bigraph& g, const Coeffs& pair, std::uint64_t count) override {
    // S(i,i) = 2 G(i,i) and S(i,j) = G(i,j) from the matrix before the step.
    const BigInteger& diagonal2 = before_[pair.i][pair.i];
    BigInteger r = before_[pair.i][pair.j] * BigInteger(2);
    BigInteger q;
    r.divideWithRemainder(diagonal2, q);
    if (firstNonCongruence == 0 && (diagonal2.isZero() || !r.isZero())) firstNonCongruence = count;
    before_ = symmetricOf(g);
    return true;
  }

 private:
  GramMatrix before_;
};

// Off-diagonal entries -2..2; the diagonal 1, or with `loops` also 2, -1 or 0 at times.
IntRows randomRows(std::mt19937& rng, bool loops) {
  const int n = std::uniform_int_distribution<int>(2, 6)(rng);
  std::uniform_int_distribution<int> entry(-2, 2), percent(0, 99);
  IntRows rows(n, std::vector<int>(n));
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) {
      const int p = percent(rng);
      rows[x][y] = x != y ? entry(rng) : !loops || p < 70 ? 1 : p < 85 ? 2 : p < 95 ? -1 : 0;
    }
  return rows;
}

// Runs with the certificate and checks it against the matrices by plain multiplication, or,
// when a step was not a congruence, that it was dropped naming that step. Returns whether a
// certificate came out.
bool checkCertificateRun(const IntRows& rows, int rule, std::uint32_t seed) {
  auto g = makeBigraph(rows);
  const GramMatrix start = symmetricOf(*g);
  CongruenceWatcher watcher(*g);
  RunOptions options{EdgeRule(rule), 40, true};
  seedRandom15(seed);
  const RunOutcome outcome = runInflations(*g, options, watcher);
  if (watcher.firstNonCongruence != 0) {
    EXPECT_FALSE(outcome.certificate.has_value());
    EXPECT_NE(outcome.certificateNote.value_or("").find(
                  "step " + std::to_string(watcher.firstNonCongruence) + ","),
              std::string::npos)
        << outcome.certificateNote.value_or("(no note)");
    return false;
  }
  EXPECT_FALSE(outcome.certificateNote.has_value());
  if (!outcome.certificate) {
    ADD_FAILURE() << "no certificate";
    return false;
  }
  const GramMatrix& b = *outcome.certificate;
  EXPECT_EQ(product(product(transposed(b), start), b), symmetricOf(*g))
      << outcome.steps << " steps";
  return true;
}

TEST(RunEngineCertificate, HoldsForLoopFreeBigraphsWithEveryRule) {
  std::mt19937 rng(31337);
  for (int graph = 0; graph < 150; ++graph) {
    const IntRows rows = randomRows(rng, false);
    for (int rule = 0; rule <= 5; ++rule) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", rule " << rule);
      EXPECT_TRUE(checkCertificateRun(rows, rule, static_cast<std::uint32_t>(graph)));
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(RunEngineCertificate, HoldsOrIsDroppedAtTheRightStepWithLoops) {
  std::mt19937 rng(4242);
  int kept = 0, dropped = 0;
  for (int graph = 0; graph < 200; ++graph) {
    const IntRows rows = randomRows(rng, true);
    for (int rule = 0; rule <= 5; ++rule) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", rule " << rule);
      (checkCertificateRun(rows, rule, static_cast<std::uint32_t>(graph)) ? kept : dropped) += 1;
      if (testing::Test::HasFailure()) return;
    }
  }
  // Both paths taken.
  EXPECT_GT(kept, 100);
  EXPECT_GT(dropped, 50);
}

TEST(RunEngineCertificate, DiagonalTwoDividingTheEdgeIsStillACongruence) {
  auto g = makeBigraph({{2, 2, 0}, {0, 1, 1}, {0, 0, 1}});
  const GramMatrix start = symmetricOf(*g);
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::First, 1, true}, observer);
  ASSERT_TRUE(outcome.certificate.has_value());
  const GramMatrix& b = *outcome.certificate;
  EXPECT_EQ(b[0][1], BigInteger(-1));  // q = 2 / 2 = 1: column 2 of B gets -1 in row 1
  EXPECT_EQ(product(product(transposed(b), start), b), symmetricOf(*g));
}

TEST(RunEngineCertificate, NonCongruenceStepDropsIt) {
  // Step 1 on [1, 2] is fine; step 2 on [1, 3] has G(1,1) = 2 and G(1,3) = 3.
  auto g = makeBigraph({{2, 2, 3}, {0, 1, 0}, {0, 0, 1}});
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::First, 0, true}, observer);
  EXPECT_GE(outcome.steps, 2u);
  EXPECT_FALSE(outcome.certificate.has_value());
  EXPECT_EQ(outcome.certificateNote.value_or(""),
            "step 2, the inflation on [1, 3], is not a congruence (q G(i,i) != G(i,j)), so no "
            "certificate is kept.");
}

TEST(RunEngineCertificate, TwoVerticesWithZeroDiagonalDropIt) {
  auto g = makeBigraph({{0, 1}, {0, 1}});
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::First, 0, true}, observer);
  EXPECT_EQ(outcome.end, RunEnd::NoDottedEdge);
  EXPECT_EQ(outcome.steps, 1u);
  EXPECT_FALSE(outcome.certificate.has_value());
  EXPECT_TRUE(outcome.certificateNote.has_value());
}

TEST(RunEngineCertificate, FailedStepKeepsTheCertificateOfTheStepsBefore) {
  const IntRows rows = {{0, 1, 0}, {0, 1, 1}, {0, 0, 1}};
  auto g = makeBigraph(rows);
  const GramMatrix start = symmetricOf(*g);
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::Last, 0, true}, observer);
  EXPECT_EQ(outcome.end, RunEnd::Error);
  ASSERT_TRUE(outcome.certificate.has_value());
  const GramMatrix& b = *outcome.certificate;
  EXPECT_EQ(product(product(transposed(b), start), b), symmetricOf(*g));
}

TEST(RunEngineCertificate, NoStepGivesTheIdentity) {
  auto g = makeBigraph({{1, -1}, {0, 1}});
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, RunOptions{EdgeRule::First, 0, true}, observer);
  ASSERT_TRUE(outcome.certificate.has_value());
  EXPECT_EQ(*outcome.certificate, (GramMatrix{{1, 0}, {0, 1}}));
}

// A~3 with a double solid edge: the first-edge rule comes back to the matrix of step 1 at
// step 3, and goes round for ever.
const IntRows kCycling = {{1, -2, -1, -1}, {0, 1, 1, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}};

std::vector<std::vector<std::string>> upperAfter(const IntRows& rows, int steps) {
  auto g = makeBigraph(rows);
  for (int k = 0; k < steps; ++k) g->inflation(g->chooseDottedEdge(EdgeRule::First));
  std::vector<std::vector<std::string>> out(g->n);
  for (int i = 0; i < g->n; ++i)
    for (int j = i + 1; j < g->n; ++j) out[i].push_back(bigIntegerToString(g->gram[i][j]));
  return out;
}

TEST(RunEngineCycles, RepeatedMatrixEndsTheRunWithItsPeriod) {
  auto g = makeBigraph(kCycling);
  RunOptions options;
  options.maxSteps = 1000;
  options.detectCycles = true;
  RecordingObserver observer;
  const RunOutcome outcome = runInflations(*g, options, observer);
  ASSERT_EQ(outcome.end, RunEnd::Cycle);
  EXPECT_EQ(outcome.steps, 3u);
  EXPECT_EQ(outcome.period, 2u);
  EXPECT_EQ(observer.counts.size(), 3u);
  EXPECT_EQ(upperAfter(kCycling, 3), upperAfter(kCycling, 1));
  EXPECT_NE(upperAfter(kCycling, 2), upperAfter(kCycling, 1));
}

TEST(RunEngineCycles, WithoutDetectionOrWithARandomRuleTheBoundEndsIt) {
  for (EdgeRule rule : {EdgeRule::First, EdgeRule::Random}) {
    seedRandom15(1);
    auto g = makeBigraph(kCycling);
    RunOptions options;
    options.rule = rule;
    options.maxSteps = 40;
    options.detectCycles = rule == EdgeRule::Random;
    RecordingObserver observer;
    EXPECT_EQ(runInflations(*g, options, observer).end, RunEnd::StepBound);
  }
}

TEST(RunEngineCycles, RunsThatEndAreNotCycles) {
  auto g = makeBigraph(kDottedPath);
  RunOptions options;
  options.detectCycles = true;
  RecordingObserver observer;
  EXPECT_EQ(runInflations(*g, options, observer).end, RunEnd::NoDottedEdge);
  EXPECT_EQ(observer.pairs.size(), plainLoop(kDottedPath, 0, 100).size());
}

}  // namespace
