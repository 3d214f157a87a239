// Tests of the inflation step: the new entries, the quotient's rounding, the order of the pair,
// the refusals and the division by zero that leave the matrix as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "GramTestHelpers.h"

using namespace core;

using gramtest::IntRows;
using gramtest::kNone;
using gramtest::asInts;
using gramtest::makeBigraph;
using gramtest::sameEntries;
using gramtest::snapshot;

namespace {

struct StepCase {
  const char* name;
  IntRows before;
  Coeffs pair;
  IntRows after;
};

class InflationStep : public testing::TestWithParam<StepCase> {};

TEST_P(InflationStep, GivesTheNewMatrix) {
  const StepCase& c = GetParam();
  auto b = makeBigraph(c.before);
  b->inflation(c.pair);
  EXPECT_EQ(asInts(*b), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InflationStep,
    testing::Values(
        // The pair's edge turns solid; vertices 1 and 2 become joined by a dotted edge.
        StepCase{"DottedTurnsSolid", {{1, 1, -1}, {0, 1, 0}, {0, 0, 1}}, {0, 1},
                 {{1, -1, -1}, {0, 1, 1}, {0, 0, 1}}},
        // Multiplicity 2 and a solid edge between x = 2 and i = 0: 0 - (-1) * 2 = 2.
        StepCase{"MultiplicityScalesTheChange", {{1, 2, -1}, {0, 1, 0}, {0, 0, 1}}, {0, 1},
                 {{1, -2, -1}, {0, 1, 2}, {0, 0, 1}}},
        // x = 0 lies before both vertices, x = 2 between them, x = 3 after them.
        StepCase{"OtherVerticesOnEverySide",
                 {{1, 1, 0, 2}, {0, 1, -1, 1}, {0, 0, 1, -1}, {0, 0, 0, 1}}, {1, 3},
                 {{1, 1, 0, 1}, {0, 1, -1, -1}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
        StepCase{"LowerTriangleClearedDiagonalKept",
                 {{3, 1, 0}, {4, -5, 1}, {-6, 7, 0}}, {0, 1},
                 {{3, -1, 0}, {0, -5, 1}, {0, 0, 0}}},
        // Diagonal 2 and pair entry 3: q = 1, so E'(x, j) = E(x, j) - E(x, i).
        StepCase{"QuotientOfAPositiveDiagonal", {{2, 3, 1}, {0, 1, 1}, {0, 0, 1}}, {0, 1},
                 {{2, -3, 1}, {0, 1, 0}, {0, 0, 1}}},
        // Diagonal -2 and pair entry 3: q = -2 (toward minus infinity, not -1).
        StepCase{"QuotientRoundsTowardMinusInfinity", {{-2, 3, 1}, {0, 1, 1}, {0, 0, 1}},
                 {0, 1}, {{-2, -3, 1}, {0, 1, 3}, {0, 0, 1}}},
        // Diagonal 2 and pair entry 1: q = 0, nothing but the pair changes.
        StepCase{"ZeroQuotient", {{2, 1, 1}, {0, 1, -1}, {0, 0, 1}}, {0, 1},
                 {{2, -1, 1}, {0, 1, -1}, {0, 0, 1}}},
        // Given as (j, i): the same entry is negated, vertex i = 0 is recomputed, and
        // q = G(0, 1) / G(1, 1) = 3 / 2 = 1.
        StepCase{"PairGivenTheOtherWayRound", {{1, 3, 1}, {0, 2, 1}, {0, 0, 1}}, {1, 0},
                 {{1, -3, 0}, {0, 2, 1}, {0, 0, 1}}},
        StepCase{"TwoVertices", {{1, 4}, {0, 1}}, {0, 1}, {{1, -4}, {0, 1}}},
        // With two vertices nothing is divided, so a zero diagonal does no harm.
        StepCase{"TwoVerticesZeroDiagonal", {{0, 2}, {3, 0}}, {1, 0}, {{0, -2}, {0, 0}}}),
    [](const testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });

TEST(InflationStep, WideEntries) {
  // E(2, 1) = E(2, 0) * q: 2^40 * (2^33 + 1) from 0 gives -(2^73 + 2^40).
  auto b = makeBigraph({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  b->gram[0][1] = gramtest::powerOfTwoPlus(33, 1);
  b->gram[0][2] = gramtest::powerOfTwoPlus(40, 0);
  b->refreshEdgeCounts();
  b->inflation({0, 1});
  const BigInteger expected =
      BigInteger(0) - gramtest::powerOfTwoPlus(73, 0) - gramtest::powerOfTwoPlus(40, 0);
  EXPECT_TRUE(b->gram[1][2] == expected);
  EXPECT_TRUE(b->gram[0][1] == BigInteger(0) - gramtest::powerOfTwoPlus(33, 1));
  EXPECT_TRUE(b->gram[0][2] == gramtest::powerOfTwoPlus(40, 0));
}

// E'(1, 2) = E(1, 2) - E(0, 2) * q on three vertices, for one-, two- and three-block values of
// either sign and quotients of either sign, against the plain expression.
TEST(InflationStep, EverySizeAndSignOfTheOperands) {
  const BigInteger small(7), two = gramtest::powerOfTwoPlus(40, 3),
                   wide = gramtest::powerOfTwoPlus(70, 5);
  std::vector<BigInteger> values(1);  // zero first
  for (const BigInteger* v : {&small, &two, &wide}) {
    values.push_back(*v);
    values.push_back(BigInteger(0) - *v);
  }
  for (int diagonal : {1, -1, 3, -3}) {
    for (const BigInteger* pairValue : {&small, &wide}) {
      const BigInteger& pair = *pairValue;
      for (const BigInteger& withJ : values) {
        for (const BigInteger& withI : values) {
          auto b = makeBigraph({{diagonal, 0, 0}, {0, 1, 0}, {0, 0, 1}});
          b->gram[0][1] = pair;
          b->gram[0][2] = withI;
          b->gram[1][2] = withJ;
          b->refreshEdgeCounts();
          b->inflation({0, 1});
          const BigInteger expected = withJ - withI * (pair / BigInteger(diagonal));
          ASSERT_TRUE(b->gram[1][2] == expected)
              << "diagonal " << diagonal << ", pair " << pair << ", E(1, 2) " << withJ
              << ", E(0, 2) " << withI << ": got " << b->gram[1][2];
          const Coeffs lastDotted = expected.sign > 0 ? Coeffs{1, 2}
                                    : withI.sign > 0  ? Coeffs{0, 2}
                                                      : Coeffs{kNoEdge, kNoEdge};
          EXPECT_EQ(b->findDottedEdgeBackwards(), lastDotted);
        }
      }
    }
  }
}

struct RefusalCase {
  const char* name;
  Coeffs pair;
  InflationRefused::Kind kind;
  int lo, hi;
};

class Refusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, NamesTheKindAndBothVerticesAndChangesNothing) {
  const RefusalCase& c = GetParam();
  auto b = makeBigraph({{1, -2, 0, 1}, {5, 1, 1, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  const auto before = snapshot(*b);
  try {
    b->inflation(c.pair);
    FAIL() << "no refusal";
  } catch (const InflationRefused& refused) {
    EXPECT_EQ(refused.kind, c.kind);
    EXPECT_EQ(refused.lo, c.lo);
    EXPECT_EQ(refused.hi, c.hi);
  }
  EXPECT_TRUE(sameEntries(*b, before));
  EXPECT_EQ(b->findDottedEdge(), (Coeffs{0, 3}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refusal,
    testing::Values(
        RefusalCase{"Solid", {0, 1}, InflationRefused::Kind::ContinuousEdge, 1, 2},
        RefusalCase{"SolidReversed", {1, 0}, InflationRefused::Kind::ContinuousEdge, 1, 2},
        RefusalCase{"NoEdge", {0, 2}, InflationRefused::Kind::NonConnectedPair, 1, 3},
        RefusalCase{"NoEdgeReversed", {3, 2}, InflationRefused::Kind::NonConnectedPair, 3, 4}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(DivisionByZero, RaisesTheIntegerLayersMessageAndChangesNothing) {
  auto b = makeBigraph({{0, 1, 1}, {7, 1, 1}, {0, 0, 1}});
  const auto before = snapshot(*b);
  try {
    b->inflation({0, 1});
    FAIL() << "no error";
  } catch (const char* message) {
    EXPECT_STREQ(message, "BigInteger::operator /: division by zero");
  }
  EXPECT_TRUE(sameEntries(*b, before));  // the lower triangle included
  EXPECT_EQ(b->findDottedEdgeBackwards(), (Coeffs{1, 2}));
  b->inflation({1, 2});  // a divisor of 1 still works afterwards
  EXPECT_EQ(asInts(*b), (IntRows{{0, 1, 0}, {0, 1, -1}, {0, 0, 1}}));
}

TEST(DivisionByZero, OnlyTheKeptVertexsDiagonalMatters) {
  auto b = makeBigraph({{1, 1, 0}, {0, 0, 1}, {0, 0, 0}});
  b->inflation({0, 1});  // divides by G(0, 0) = 1
  EXPECT_EQ(asInts(*b), (IntRows{{1, -1, 0}, {0, 0, 1}, {0, 0, 0}}));
}

TEST(BadPairs, AreRejectedWithoutChange) {
  auto b = makeBigraph({{1, 1}, {0, 1}});
  for (Coeffs c : {Coeffs{0, 0}, Coeffs{-1, 1}, Coeffs{0, 2}, Coeffs{kNoEdge, kNoEdge}}) {
    SCOPED_TRACE(gramtest::toString(c));
    EXPECT_THROW(b->inflation(c), std::invalid_argument);
  }
  EXPECT_EQ(asInts(*b), (IntRows{{1, 1}, {0, 1}}));
}

TEST(EdgeCountsAfterInflation, FollowTheNewEntries) {
  auto b = makeBigraph({{1, 1, -1}, {0, 1, 0}, {0, 0, 1}});
  b->inflation(b->findDottedEdge());
  EXPECT_EQ(b->findDottedEdge(), (Coeffs{1, 2}));
  EXPECT_EQ(b->findDottedEdgeRandomly(), (Coeffs{1, 2}));
  b->inflation(b->findDottedEdge());
  // (1, 2) negated; E(0, 2) = -1 - (-1) * 1 = 0.
  EXPECT_EQ(asInts(*b), (IntRows{{1, -1, 0}, {0, 1, -1}, {0, 0, 1}}));
  EXPECT_EQ(b->findDottedEdge(), kNone);
  EXPECT_EQ(b->findDottedEdgeRandomly(), kNone);
}

// The whole run of a small Nakayama bigraph, as the two programs do it by default.
std::vector<std::pair<int, int>> runToTheEnd(Bigraph& b, int variant) {
  std::vector<std::pair<int, int>> performed;
  for (Coeffs c = b.chooseDottedEdge(EdgeRule(variant)); c.i != kNoEdge; c = b.chooseDottedEdge(EdgeRule(variant))) {
    b.inflation(c);
    performed.push_back({c.i + 1, c.j + 1});
  }
  return performed;
}

TEST(NakayamaRun, FourVerticesBecomeThePathA4) {
  const IntRows pathA4{{1, -1, -1, 0}, {0, 1, 0, -1}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (int variant : {0, 2}) {
    SCOPED_TRACE(variant);
    BigInteger** m = NakayamaBigraph(4, 2);
    Bigraph b(4, m);
    deleteSqMat(4, m);
    const auto performed = runToTheEnd(b, variant);
    if (variant == 0)
      EXPECT_EQ(performed, (std::vector<std::pair<int, int>>{{1, 3}, {2, 4}}));
    else
      EXPECT_EQ(performed, (std::vector<std::pair<int, int>>{{2, 4}, {1, 3}}));
    EXPECT_EQ(asInts(b), pathA4);
  }
}

}  // namespace
