// The exact invariants of the Nakayama bigraphs A_n(r), 3 <= n <= 30, 2 <= r <= n: the
// positive and the corank-1 and corank-2 cases with their types, everything else indefinite;
// runs from the positive ones end in the Dynkin shape of their type.
#include <gtest/gtest.h>

#include <map>

#include "InvariantsTestHelpers.h"

using namespace core;

namespace {

struct Expected {
  Definiteness definiteness;
  int corank;
  std::optional<std::string> type;
};

std::string named(const char* letter, int k) {
  return std::string(letter).append(std::to_string(k));
}

// The exceptional cases by (n, r); r = 2 and r = n give the path A_n, r = n - 1 the star D_n.
Expected expectedFor(int n, int r) {
  constexpr Definiteness kPositive = Definiteness::Positive;
  constexpr Definiteness kNonNegative = Definiteness::NonNegative;
  static const std::map<std::pair<int, int>, Expected> exceptions{
      {{5, 3}, {kPositive, 0, "D5"}},     {{6, 3}, {kPositive, 0, "E6"}},
      {{6, 4}, {kPositive, 0, "E6"}},     {{7, 3}, {kPositive, 0, "E7"}},
      {{7, 4}, {kPositive, 0, "E7"}},     {{7, 5}, {kPositive, 0, "E7"}},
      {{8, 3}, {kPositive, 0, "E8"}},     {{8, 5}, {kPositive, 0, "E8"}},
      {{8, 6}, {kPositive, 0, "E8"}},     {{8, 4}, {kNonNegative, 1, "E7"}},
      {{9, 3}, {kNonNegative, 1, "E8"}},  {{9, 5}, {kNonNegative, 1, "E8"}},
      {{9, 6}, {kNonNegative, 1, "E8"}},  {{9, 7}, {kNonNegative, 1, "E8"}},
      {{9, 4}, {kNonNegative, 2, "E7"}},  {{10, 3}, {kNonNegative, 2, "E8"}},
      {{10, 6}, {kNonNegative, 2, "E8"}}};
  if (r == 2 || r >= n) return {Definiteness::Positive, 0, named("A", n)};
  if (r == n - 1) return {Definiteness::Positive, 0, named("D", n)};
  const auto found = exceptions.find({n, r});
  if (found != exceptions.end()) return found->second;
  return {Definiteness::Indefinite, -1, std::nullopt};
}

std::unique_ptr<Bigraph> nakayama(int n, int r) {
  BigInteger** m = NakayamaBigraph(n, r);
  auto g = std::make_unique<Bigraph>(n, m);
  deleteSqMat(n, m);
  return g;
}

// Inflations with the first dotted edge until none is left (or the bound): true when none is.
bool runToTheEnd(Bigraph& g) {
  for (long long step = 0; step < 10LL * g.n * g.n + 100; ++step) {
    const Coeffs c = g.chooseDottedEdge(EdgeRule(0));
    if (c.i == kNoEdge) return true;
    g.inflation(c);
  }
  return false;
}

TEST(NakayamaInvariants, UpToThirtyVertices) {
  for (int n = 3; n <= 30; ++n)
    for (int r = 2; r <= n; ++r) {
      SCOPED_TRACE(testing::Message() << "n = " << n << ", r = " << r);
      const std::unique_ptr<Bigraph> g = nakayama(n, r);
      const GramMatrix upper = upperGramOf(*g);
      const Invariants inv = computeInvariants(upper);
      const Expected e = expectedFor(n, r);
      EXPECT_STREQ(definitenessName(inv.definiteness), definitenessName(e.definiteness));
      if (e.corank >= 0) {
        EXPECT_EQ(inv.corank, e.corank);
      }
      EXPECT_EQ(invtest::typeName(inv), e.type);
      EXPECT_EQ(inv.components, 1);
      invtest::expectWitnessAndKernel(upper, inv);
    }
}

TEST(NakayamaInvariants, PositiveOnesRunToTheirDynkinShape) {
  for (int n = 3; n <= 30; ++n)
    for (int r = 2; r <= n; ++r) {
      if (expectedFor(n, r).definiteness != Definiteness::Positive) continue;
      SCOPED_TRACE(testing::Message() << "n = " << n << ", r = " << r);
      const std::unique_ptr<Bigraph> g = nakayama(n, r);
      ASSERT_TRUE(runToTheEnd(*g));
      g->recognizeBigraphProperties();
      EXPECT_NE(g->dynkinType, 0);
      EXPECT_EQ(typeAgreementError(*g, invariantsOf(*g)), std::nullopt);
    }
}

TEST(NakayamaInvariants, IdentityIsASumOfA1) {
  const Invariants inv = invariantsOf(*nakayama(3, 1));
  EXPECT_EQ(invtest::typeName(inv), "3A1");
  EXPECT_EQ(inv.components, 3);
  EXPECT_EQ(bigIntegerToString(inv.det), "8");
}

}  // namespace
