// An allocation that fails part way through an inflation step: the step throws and leaves the
// matrix, its edge counts and its choices exactly as they were, on every path of the step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "GramTestHelpers.h"

using namespace core;

// This test program counts allocations: when armed, the allocation after `allocationsLeft`
// more fails. Its own binary, so that no other test runs with the replaced operator new.
namespace {
thread_local long allocationsLeft = -1;  // -1: unlimited
}

void* operator new(std::size_t size) {
  if (allocationsLeft == 0) throw std::bad_alloc();
  if (allocationsLeft > 0) --allocationsLeft;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
// Arrays too: a sanitizer's runtime may serve them without going through operator new.
void* operator new[](std::size_t size) { return operator new(size); }
// The matching release of the replaced allocation (GCC cannot see that they pair up).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

using gramtest::makeBigraph;
using gramtest::powerOfTwoPlus;
using gramtest::sameEntries;
using gramtest::snapshot;

namespace {

using Rows = std::vector<std::vector<BigInteger>>;

// The pair each of the six rules chooses; the random rules from a fixed seed.
std::vector<std::string> choices(Bigraph& bigraph) {
  std::vector<std::string> all;
  for (int rule = 0; rule < 6; ++rule) {
    seedRandom15(7);
    all.push_back(gramtest::toString(bigraph.chooseDottedEdge(EdgeRule(rule))));
  }
  return all;
}

struct FailureCase {
  const char* name;
  Rows rows;
  Coeffs pair;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class StepAllocationFailure : public testing::TestWithParam<FailureCase> {};

// Fails the first allocation of the step, then the second, and so on, until the step needs no
// more than it is allowed; each failed attempt must change nothing. The last attempt must give
// the same matrix as a step with no limit.
TEST_P(StepAllocationFailure, LeavesTheMatrixAsItWas) {
  const FailureCase& c = GetParam();
  auto reference = makeBigraph(c.rows);
  reference->inflation(c.pair);
  const std::vector<BigInteger> expected = snapshot(*reference);
  int failures = 0;
  for (long allowed = 0;; ++allowed) {
    ASSERT_LT(allowed, 1000) << "the step never succeeds";
    auto bigraph = makeBigraph(c.rows);
    bigraph->chooseDottedEdge(EdgeRule(1));  // the highest rules keep their row maxima from here on
    const std::vector<BigInteger> before = snapshot(*bigraph);
    const std::vector<std::string> choicesBefore = choices(*makeBigraph(c.rows));
    bool failed = false;
    allocationsLeft = allowed;
    try {
      bigraph->inflation(c.pair);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    allocationsLeft = -1;
    if (!failed) {
      EXPECT_TRUE(sameEntries(*bigraph, expected));
      break;
    }
    ++failures;
    ASSERT_TRUE(sameEntries(*bigraph, before)) << "after failing allocation " << allowed;
    EXPECT_EQ(choices(*bigraph), choicesBefore) << "after failing allocation " << allowed;
  }
  EXPECT_GT(failures, 0) << "the case allocates nothing, so it tests nothing";
}

BigInteger minus(const BigInteger& v) { return BigInteger(0) - v; }

// Five vertices, the pair (0, 1) with diagonal 1 at vertex 0, so q = G(0, 1). Row 0 holds
// E(x, 0) and the column of vertex 1 E(x, 1) for x = 2, 3, 4.
Rows fiveVertices(const BigInteger& q, const std::vector<BigInteger>& withI,
                  const std::vector<BigInteger>& withJ) {
  Rows rows(5, std::vector<BigInteger>(5));
  for (int x = 0; x < 5; ++x) rows[x][x] = 1;
  rows[0][1] = q;
  for (int k = 0; k < 3; ++k) {
    rows[0][k + 2] = withI[k];
    rows[1][k + 2] = withJ[k];
  }
  return rows;
}

const BigInteger kLong = powerOfTwoPlus(70, 3);
const BigInteger kWord = powerOfTwoPlus(40, 1);

INSTANTIATE_TEST_SUITE_P(
    Paths, StepAllocationFailure,
    testing::Values(
        // A word quotient and long entries: every new value is built aside and swapped in.
        FailureCase{"LongEntries", fiveVertices(3, {kLong, minus(kLong), kLong}, {kLong, 1, minus(kLong)}), {0, 1}},
        // Word entries changed in place before the long one fails: they are computed back.
        FailureCase{"WordEntriesBeforeALongOne", fiveVertices(3, {kWord, minus(kWord), kLong}, {2, kWord, 5}), {0, 1}},
        // The product overflows the machine word although both factors are words.
        FailureCase{"WordProductPastTheWord", fiveVertices(kWord, {kWord, 1, minus(kWord)}, {1, 2, 3}), {0, 1}},
        // A long quotient: room is made in each entry first, then they change in place.
        FailureCase{"LongQuotient", fiveVertices(kLong, {2, minus(kWord), 1}, {kWord, 4, minus(kLong)}), {0, 1}},
        // The pair given the other way round: vertex 1 is kept, its diagonal 1 divides.
        FailureCase{"PairTheOtherWayRound", fiveVertices(kWord, {kLong, 1, 2}, {minus(kLong), kLong, 1}), {1, 0}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
