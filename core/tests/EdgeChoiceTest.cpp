// Tests of the six dotted-edge choice rules: order, ties, solid and lower entries ignored,
// the random rules' draws, and the variant numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "GramTestHelpers.h"

using namespace core;

using gramtest::IntRows;
using gramtest::kNone;
using gramtest::makeBigraph;

namespace {

struct ChoiceCase {
  const char* name;
  IntRows rows;
  Coeffs first, wiser, backwards, wiserBackwards;
};

class DeterministicRules : public testing::TestWithParam<ChoiceCase> {};

TEST_P(DeterministicRules, ChooseTheExpectedPair) {
  const ChoiceCase& c = GetParam();
  auto b = makeBigraph(c.rows);
  EXPECT_EQ(b->findDottedEdge(), c.first);
  EXPECT_EQ(b->findDottedEdgeWiser(), c.wiser);
  EXPECT_EQ(b->findDottedEdgeBackwards(), c.backwards);
  EXPECT_EQ(b->findDottedEdgeWiserBackwards(), c.wiserBackwards);
  // The same through the variant numbers.
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(0)), c.first);
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(1)), c.wiser);
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(2)), c.backwards);
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(3)), c.wiserBackwards);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeterministicRules,
    testing::Values(
        ChoiceCase{"HighestInTheMiddle", {{1, 1, 3}, {0, 1, 3}, {0, 0, 1}},
                   {0, 1}, {0, 2}, {1, 2}, {1, 2}},
        ChoiceCase{"SolidEdgeNeverChosen", {{1, 2, -5}, {0, 1, 1}, {0, 0, 1}},
                   {0, 1}, {0, 1}, {1, 2}, {0, 1}},
        // Ties: 2 at (0, 3), (1, 2) and (2, 3). Forwards the earliest in row-major order wins,
        // backwards the latest.
        ChoiceCase{"TiesGoToTheFirstMet",
                   {{1, 1, 0, 2}, {0, 1, 2, 0}, {0, 0, 1, 2}, {0, 0, 0, 1}},
                   {0, 1}, {0, 3}, {2, 3}, {2, 3}},
        // Row order, not column order, decides: (0, 3) comes before (1, 2) forwards, and
        // (1, 2) is met before (0, 3) backwards.
        ChoiceCase{"RowOrderDecidesTies",
                   {{1, 0, 0, 2}, {0, 1, 2, 0}, {0, 0, 1, -7}, {0, 0, 0, 1}},
                   {0, 3}, {0, 3}, {1, 2}, {1, 2}},
        ChoiceCase{"AllSolid", {{1, -1, -2}, {0, 1, -3}, {0, 0, 1}},
                   kNone, kNone, kNone, kNone},
        ChoiceCase{"NoEdges", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, kNone, kNone, kNone, kNone},
        ChoiceCase{"LowerTriangleIgnored", {{1, 0, 0}, {5, 1, 0}, {9, 4, 1}},
                   kNone, kNone, kNone, kNone},
        ChoiceCase{"LowerTriangleLargerThanTheDotted", {{1, 0, 1}, {9, 1, 0}, {9, 9, 1}},
                   {0, 2}, {0, 2}, {0, 2}, {0, 2}},
        ChoiceCase{"DiagonalIgnored", {{7, -1}, {0, 9}}, kNone, kNone, kNone, kNone},
        ChoiceCase{"OneVertex", {{1}}, kNone, kNone, kNone, kNone},
        ChoiceCase{"ZeroVertices", {}, kNone, kNone, kNone, kNone}),
    [](const testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(HighestMultiplicity, ComparesEntriesWiderThanOneBlock) {
  auto b = makeBigraph({{1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  b->gram[0][2] = gramtest::powerOfTwoPlus(70, 0);
  b->gram[1][3] = gramtest::powerOfTwoPlus(70, 1);
  b->gram[2][3] = BigInteger(0) - gramtest::powerOfTwoPlus(90, 0);  // a huge solid edge
  b->gram[3][0] = gramtest::powerOfTwoPlus(100, 0);                 // below the diagonal
  b->refreshEdgeCounts();
  EXPECT_EQ(b->findDottedEdgeWiser(), (Coeffs{1, 3}));
  EXPECT_EQ(b->findDottedEdgeWiserBackwards(), (Coeffs{1, 3}));
  b->gram[0][2] = gramtest::powerOfTwoPlus(70, 1);  // a tie
  b->refreshEdgeCounts();
  EXPECT_EQ(b->findDottedEdgeWiser(), (Coeffs{0, 2}));
  EXPECT_EQ(b->findDottedEdgeWiserBackwards(), (Coeffs{1, 3}));
}

// Each program's numbers with its own fallback, and bigraph's names both ways.
TEST(EdgeRules, NumbersAndNames) {
  const int kMin = -2147483647 - 1;
  const int table[][3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 0, 4}, {5, 0, 5},
                          {6, 0, 2}, {100, 0, 2}, {-1, 0, 2}, {kMin, 0, 2}};
  for (const auto& row : table) {
    SCOPED_TRACE(row[0]);
    EXPECT_EQ(edgeRuleNumber(consoleEdgeRule(row[0])), row[1]);
    EXPECT_EQ(edgeRuleNumber(windowEdgeRule(row[0])), row[2]);
  }
  for (int k = 0; k < kEdgeRuleCount; ++k) {
    const EdgeRule rule = static_cast<EdgeRule>(k);
    EXPECT_EQ(edgeRuleNamed(edgeRuleName(rule)), rule);
    EXPECT_EQ(isRandom(rule), k >= 4);
  }
  EXPECT_STREQ(edgeRuleName(EdgeRule::RandomFirstOrLast), "random-first-last");
  EXPECT_EQ(edgeRuleNamed("Last"), std::nullopt);
}

// The first value a seed gives, and a seed whose first value is `wanted`.
int firstDraw(std::uint32_t seed) {
  seedRandom15(seed);
  return random15();
}

std::uint32_t seedGiving(int wanted) {
  std::uint32_t seed = 0;
  while (firstDraw(seed) != wanted) ++seed;
  return seed;
}

TEST(Random15, StaysInFifteenBitsAndCoversTheRange) {
  seedRandom15(12345);
  int low = 32767, high = 0;
  for (int k = 0; k < 200000; ++k) {
    const int r = random15();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
    low = std::min(low, r);
    high = std::max(high, r);
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 32767);
}

TEST(Random15, SameSeedSameSequence) {
  seedRandom15(99);
  const int a = random15(), b = random15();
  seedRandom15(99);
  EXPECT_EQ(random15(), a);
  EXPECT_EQ(random15(), b);
}

// Each thread has its own generator: a thread seeded alike draws the same sequence while
// another thread draws from a different seed at the same time.
TEST(Random15, EachThreadHasItsOwnGenerator) {
  auto sequence = [](std::uint32_t seed, std::vector<int>& out) {
    seedRandom15(seed);
    for (int k = 0; k < 100000; ++k) out.push_back(random15());
  };
  std::vector<int> alone, first, second;
  sequence(7, alone);
  std::thread a(sequence, 7u, std::ref(first));
  std::thread b(sequence, 8u, std::ref(second));
  a.join();
  b.join();
  EXPECT_EQ(first, alone);
  EXPECT_NE(second, alone);
  // A new thread starts as after a seed of 1, whatever this thread did.
  seedRandom15(555);
  int fresh = -1;
  std::thread([&fresh] { fresh = random15(); }).join();
  EXPECT_EQ(fresh, firstDraw(1));
}

TEST(FirstOrLast, DrawDecidesAtTheThreshold) {
  auto b = makeBigraph({{1, 1, 0}, {0, 1, 1}, {0, 0, 1}});
  seedRandom15(seedGiving(16382));
  EXPECT_EQ(b->findDottedEdgeRandomlyFL(), (Coeffs{0, 1}));
  seedRandom15(seedGiving(16383));
  EXPECT_EQ(b->findDottedEdgeRandomlyFL(), (Coeffs{1, 2}));
  seedRandom15(seedGiving(0));
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(4)), (Coeffs{0, 1}));
  seedRandom15(seedGiving(32767));
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(4)), (Coeffs{1, 2}));
}

// Whether the rule drew a value: the next draw is then the seed's second value.
bool drewOneValue(std::uint32_t seed, const std::function<void()>& call) {
  seedRandom15(seed);
  random15();
  const int second = random15();
  const int first = firstDraw(seed);
  seedRandom15(seed);
  call();
  const int next = random15();
  EXPECT_NE(first, second);
  return next == second;
}

TEST(RandomRules, DrawsWithoutDottedEdges) {
  auto b = makeBigraph({{1, -1}, {0, 1}});
  EXPECT_TRUE(drewOneValue(7, [&] { EXPECT_EQ(b->findDottedEdgeRandomlyFL(), kNone); }));
  EXPECT_FALSE(drewOneValue(7, [&] { EXPECT_EQ(b->findDottedEdgeRandomly(), kNone); }));
}

TEST(RandomRules, BothDrawOnceWithDottedEdges) {
  auto b = makeBigraph({{1, 1}, {0, 1}});
  EXPECT_TRUE(drewOneValue(7, [&] { b->findDottedEdgeRandomlyFL(); }));
  EXPECT_TRUE(drewOneValue(7, [&] { b->findDottedEdgeRandomly(); }));
}

TEST(RandomRules, TheOnlyDottedEdgeIsAlwaysChosen) {
  auto b = makeBigraph({{1, -1, 0, 2}, {0, 1, -1, 0}, {5, 0, 1, -3}, {0, 0, 0, 1}});
  seedRandom15(2024);
  for (int k = 0; k < 500; ++k) {
    ASSERT_EQ(b->chooseDottedEdge(EdgeRule(4)), (Coeffs{0, 3}));
    ASSERT_EQ(b->chooseDottedEdge(EdgeRule(5)), (Coeffs{0, 3}));
  }
}

TEST(AnyDottedEdge, SlotOfTheDrawnValue) {
  // Dotted edges in row-major order: (0, 2), (1, 3), (2, 3); 7 mod 3 = 1 picks (1, 3).
  auto b = makeBigraph({{1, -1, 4, 0}, {0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 1}});
  seedRandom15(seedGiving(7));
  EXPECT_EQ(b->findDottedEdgeRandomly(), (Coeffs{1, 3}));
  seedRandom15(seedGiving(9));
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(5)), (Coeffs{0, 2}));
  seedRandom15(seedGiving(32767));  // 32767 mod 3 = 1
  EXPECT_EQ(b->chooseDottedEdge(EdgeRule(5)), (Coeffs{1, 3}));
}

TEST(AnyDottedEdge, MatchesTheSlotOfARowMajorList) {
  // A denser matrix with several dotted edges per row and rows without any.
  const IntRows rows{{1, 1, -1, 2, 0, 1},  {0, 1, 0, 0, 0, 0},  {0, 0, 1, 3, 1, -2},
                     {0, 0, 0, 1, -1, 1},  {0, 0, 0, 0, 1, 0},  {0, 0, 0, 0, 0, 1}};
  auto b = makeBigraph(rows);
  std::vector<Coeffs> list;
  for (int x = 0; x < 6; ++x)
    for (int y = x + 1; y < 6; ++y)
      if (rows[x][y] > 0) list.push_back({x, y});
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    const int r = firstDraw(seed);
    seedRandom15(seed);
    ASSERT_EQ(b->findDottedEdgeRandomly(), list[r % list.size()]) << "seed " << seed;
  }
}

}  // namespace
