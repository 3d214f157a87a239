// Tests of the exact invariants: listed small forms, random forms against FLINT's own
// characteristic polynomial, determinant and Smith form, root counts by enumeration, the
// certificate check and the agreement of recognised shapes with the exact type.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "InvariantsTestHelpers.h"
#include "ShapeBuilders.h"
#include "SymmetricElimination.h"

using namespace core;

using invtest::IntRows;
using invtest::toGram;

namespace {

struct FormCase {
  const char* name;
  IntRows upper;
  Signature signature;
  Definiteness definiteness;
  long long det;
  long long smithProduct;
  std::optional<std::string> type;
  int components;
};

class ListedForms : public testing::TestWithParam<FormCase> {};

TEST_P(ListedForms, HaveTheListedInvariants) {
  const FormCase& c = GetParam();
  const GramMatrix upper = toGram(c.upper);
  const Invariants inv = computeInvariants(upper);
  EXPECT_EQ(inv.vertices, static_cast<int>(c.upper.size()));
  EXPECT_EQ(inv.signature.positive, c.signature.positive);
  EXPECT_EQ(inv.signature.zero, c.signature.zero);
  EXPECT_EQ(inv.signature.negative, c.signature.negative);
  EXPECT_EQ(inv.corank, c.signature.zero);
  EXPECT_STREQ(definitenessName(inv.definiteness), definitenessName(c.definiteness));
  EXPECT_EQ(bigIntegerToString(inv.det), std::to_string(c.det));
  EXPECT_EQ(bigIntegerToString(inv.smithProduct), std::to_string(c.smithProduct));
  EXPECT_EQ(invtest::typeName(inv), c.type);
  EXPECT_EQ(inv.components, c.components);
  invtest::expectWitnessAndKernel(upper, inv);
}

using D = Definiteness;
INSTANTIATE_TEST_SUITE_P(
    Invariants, ListedForms,
    testing::Values(
        FormCase{"Empty", {}, {0, 0, 0}, D::Positive, 1, 1, std::nullopt, 0},
        FormCase{"A1", {{1}}, {1, 0, 0}, D::Positive, 2, 2, "A1", 1},
        FormCase{"A3Path", {{1, -1, 0}, {0, 1, -1}, {0, 0, 1}}, {3, 0, 0}, D::Positive, 4, 4,
                 "A3", 1},
        FormCase{"A2Dotted", {{1, 1}, {0, 1}}, {2, 0, 0}, D::Positive, 3, 3, "A2", 1},
        FormCase{"D4Star",
                 {{1, -1, -1, -1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
                 {4, 0, 0}, D::Positive, 4, 4, "D4", 1},
        FormCase{"Kronecker", {{1, -2}, {0, 1}}, {1, 1, 0}, D::NonNegative, 0, 2, "A1", 1},
        FormCase{"DTilde4NeedsSaturation",
                 {{1, -1, -1, -1, -1}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0},
                  {0, 0, 0, 0, 1}},
                 {4, 1, 0}, D::NonNegative, 0, 4, "D4", 1},
        FormCase{"DisconnectedSorted",
                 {{1, -1, -1, -1, 0, 0}, {0, 1, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0},
                  {0, 0, 0, 1, 0, 0}, {0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 1}},
                 {6, 0, 0}, D::Positive, 16, 16, "2A1+D4", 3},
        FormCase{"TwoKroneckers",
                 {{1, -2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 2}, {0, 0, 0, 1}},
                 {2, 2, 0}, D::NonNegative, 0, 4, "2A1", 2},
        FormCase{"LoopHasNoType", {{2, -1}, {0, 1}}, {2, 0, 0}, D::Positive, 7, 7,
                 std::nullopt, 1},
        FormCase{"Negative", {{-1}}, {0, 0, 1}, D::Negative, -2, 2, std::nullopt, 1},
        FormCase{"NonPositive", {{0, 0}, {0, -1}}, {0, 1, 1}, D::NonPositive, 0, 2,
                 std::nullopt, 2},
        FormCase{"ZeroForm", {{0, 0}, {0, 0}}, {0, 2, 0}, D::NonNegative, 0, 1, std::nullopt,
                 2},
        FormCase{"Indefinite", {{1, 3}, {0, 1}}, {1, 0, 1}, D::Indefinite, -5, 5,
                 std::nullopt, 1},
        FormCase{"HyperbolicPlane", {{0, 1}, {0, 0}}, {1, 0, 1}, D::Indefinite, -1, 1,
                 std::nullopt, 1},
        FormCase{"IsotropicTriangle", {{0, 1, 1}, {0, 0, 1}, {0, 0, 0}}, {1, 0, 2},
                 D::Indefinite, 2, 2, std::nullopt, 1},
        FormCase{"WildEdgeIndefinite", {{1, -3, 0}, {0, 1, 0}, {0, 0, 1}}, {2, 0, 1},
                 D::Indefinite, -10, 10, std::nullopt, 2}),
    [](const testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

TEST(Invariants, HugeEntriesAreExact) {
  const BigInteger big = stringToBigInteger("1180591620717411303424");  // 2^70
  GramMatrix upper = toGram({{1, 0, 0}, {0, 1, -1}, {0, 0, 1}});
  upper[0][1] = big;
  const Invariants inv = computeInvariants(upper);
  // S = [[2, b, 0], [b, 2, -1], [0, -1, 2]]: det = 2 (4 - 1) - b (2 b) = 6 - 2 b^2.
  EXPECT_TRUE(inv.det == BigInteger(6) - BigInteger(2) * big * big);
  EXPECT_EQ(inv.signature.negative, 1);
  EXPECT_TRUE(inv.smithProduct == BigInteger(2) * big * big - BigInteger(6));
  invtest::expectWitnessAndKernel(upper, inv);
}

// A hyperbolic plane whose congruence step (vertex 1 added to vertex 0) doubles an entry past
// the machine-word range: the elimination starts over on unbounded integers.
TEST(Invariants, CongruenceStepPastWordRange) {
  const BigInteger b = stringToBigInteger("1073741825");  // 2^30 + 1
  GramMatrix upper = toGram({{0, 0}, {0, 0}});
  upper[0][1] = b;
  const Invariants inv = computeInvariants(upper);
  EXPECT_EQ(inv.signature.positive, 1);
  EXPECT_EQ(inv.signature.negative, 1);
  EXPECT_TRUE(inv.det == BigInteger(0) - b * b);
  EXPECT_TRUE(inv.smithProduct == b * b);
  invtest::expectWitnessAndKernel(upper, inv);
}

TEST(Invariants, DynkinTypeFromRankAndD) {
  const std::map<std::pair<int, int>, std::optional<std::string>> table{
      {{1, 2}, "A1"}, {{3, 4}, "A3"}, {{4, 4}, "D4"}, {{9, 4}, "D9"}, {{4, 5}, "A4"},
      {{6, 3}, "E6"}, {{7, 2}, "E7"}, {{8, 1}, "E8"}, {{8, 9}, "A8"}, {{5, 3}, std::nullopt},
      {{9, 1}, std::nullopt}, {{0, 1}, std::nullopt}, {{2, 4}, std::nullopt}};
  for (const auto& [key, expected] : table) {
    const auto t = DiagramType::fromRankAndDeterminant(key.first, BigInteger(key.second));
    EXPECT_EQ(t ? std::optional(t->name()) : std::nullopt, expected) << key.first << ", " << key.second;
  }
}

// One value, several spellings; equal terms of a sum are counted, not repeated.
TEST(Invariants, DiagramSpellings) {
  const DiagramType e7 = DiagramType::euclideanOf(DiagramFamily::E, 7);
  EXPECT_EQ(e7.name(), "E~7");
  EXPECT_EQ(e7.dynkinName(), "E7");
  EXPECT_EQ(e7.captionName(), "E~_7");
  EXPECT_EQ(e7.reportText(), "Euclidean graph E~_7 ");
  EXPECT_EQ(DiagramType::dynkin(DiagramFamily::D, 5).reportText(), "Dynkin graph D_5 ");
  EXPECT_EQ(DiagramType::fromRankAndDeterminant(7, BigInteger(2), 1), e7);
  const DiagramType a1 = DiagramType::dynkin(DiagramFamily::A, 1);
  const DiagramType d4 = DiagramType::dynkin(DiagramFamily::D, 4);
  EXPECT_EQ(DiagramSum({d4, a1, e7, a1}).name(), "2A1+D4+E~7");
  EXPECT_EQ(DiagramSum(std::vector<DiagramType>(2240, a1)).name(), "2240A1");
}

TEST(Invariants, DefinitenessNames) {
  EXPECT_STREQ(definitenessName(definitenessOf({0, 0, 0})), "positive");
  EXPECT_STREQ(definitenessName(definitenessOf({2, 1, 0})), "non-negative");
  EXPECT_STREQ(definitenessName(definitenessOf({2, 0, 1})), "indefinite");
  EXPECT_STREQ(definitenessName(definitenessOf({0, 1, 3})), "non-positive");
  EXPECT_STREQ(definitenessName(definitenessOf({0, 0, 3})), "negative");
}

// Random symmetric matrices with even diagonals: full-rank ones with small and with huge
// entries, and low-rank ones M^T D M whose D mixes (2), (-2) and hyperbolic planes, which
// bring kernels and isotropic pivots. Each invariant is compared with FLINT's own routines.
class RandomForms : public testing::Test {
 protected:
  std::mt19937_64 generator{20261208};

  long long uniform(long long lo, long long hi) {
    return std::uniform_int_distribution<long long>(lo, hi)(generator);
  }

  IntRows fullRank(int n, long long range) {
    IntRows S(n, std::vector<long long>(n));
    for (int i = 0; i < n; ++i) {
      S[i][i] = 2 * uniform(-range, range);
      for (int j = i + 1; j < n; ++j) S[i][j] = S[j][i] = uniform(-range, range);
    }
    return S;
  }

  IntRows lowRank(int n, int k) {
    IntRows M(k, std::vector<long long>(n));
    for (auto& row : M)
      for (auto& v : row) v = uniform(-2, 2);
    IntRows Dm(k, std::vector<long long>(k, 0));
    for (int t = 0; t < k; ++t) {
      const long long kind = uniform(0, 2);
      if (kind == 2 && t + 1 < k) {
        Dm[t][t + 1] = Dm[t + 1][t] = 1;
        ++t;
      } else {
        Dm[t][t] = kind == 0 ? 2 : -2;
      }
    }
    IntRows S(n, std::vector<long long>(n, 0));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int a = 0; a < k; ++a)
          for (int b = 0; b < k; ++b) S[i][j] += M[a][i] * Dm[a][b] * M[b][j];
    return S;
  }

  void expectAgreesWithFlint(const IntRows& Srows, long long scale) {
    const int n = static_cast<int>(Srows.size());
    GramMatrix upper = invtest::upperOfSymmetric(Srows);
    for (int i = 0; i < n; ++i)
      for (auto& v : upper[i]) v = v * BigInteger(scale);
    const GramMatrix S = symmetricGram(upper);
    flint_bridge::FlintMatrix F(n, n);
    flint_bridge::toFlint(F, S);
    const Invariants inv = computeInvariants(upper);

    const Signature byCharpoly = symmetric_elimination::signatureFromCharpoly(F);
    EXPECT_EQ(inv.signature.positive, byCharpoly.positive);
    EXPECT_EQ(inv.signature.negative, byCharpoly.negative);
    EXPECT_EQ(inv.corank, n - fmpz_mat_rank(F.get()));
    flint_bridge::FlintInteger det;
    fmpz_mat_det(det.get(), F.get());
    EXPECT_TRUE(inv.det == flint_bridge::fromFmpz(det.get()));
    flint_bridge::FlintMatrix snf(n, n);
    fmpz_mat_snf(snf.get(), F.get());
    BigInteger product(1);
    for (int k = 0; k < n; ++k)
      if (!fmpz_is_zero(snf.at(k, k))) product = product * flint_bridge::fromFmpz(snf.at(k, k));
    EXPECT_TRUE(inv.smithProduct == product) << inv.smithProduct << " vs " << product;
    invtest::expectWitnessAndKernel(upper, inv);
    expectKernelIsSaturated(inv, n);
  }

  // A basis of the whole kernel lattice: its Smith form has only units (no vector of the
  // lattice spanned is a proper multiple of an integer vector outside it).
  void expectKernelIsSaturated(const Invariants& inv, int n) {
    if (inv.kernel.empty()) return;
    flint_bridge::FlintMatrix K(static_cast<long>(inv.kernel.size()), n);
    flint_bridge::toFlint(K, inv.kernel);
    flint_bridge::FlintMatrix snf(K.rows(), n);
    fmpz_mat_snf(snf.get(), K.get());
    for (long k = 0; k < K.rows(); ++k) EXPECT_TRUE(fmpz_is_one(snf.at(k, k)));
  }
};

TEST_F(RandomForms, FullRankAgreeWithFlint) {
  for (int trial = 0; trial < 300; ++trial) {
    const int n = static_cast<int>(uniform(1, 10));
    SCOPED_TRACE(trial);
    expectAgreesWithFlint(fullRank(n, trial % 3 == 0 ? 1 : 3), 1);
  }
}

TEST_F(RandomForms, HugeEntriesAgreeWithFlint) {
  for (int trial = 0; trial < 60; ++trial) {
    SCOPED_TRACE(trial);
    expectAgreesWithFlint(fullRank(static_cast<int>(uniform(2, 9)), 50), 1LL << 40);
    expectAgreesWithFlint(lowRank(static_cast<int>(uniform(3, 9)), 2), 1LL << 33);
  }
}

TEST_F(RandomForms, LowRankAgreeWithFlint) {
  for (int trial = 0; trial < 400; ++trial) {
    const int n = static_cast<int>(uniform(2, 12));
    const int k = static_cast<int>(uniform(0, n));
    SCOPED_TRACE(trial);
    expectAgreesWithFlint(lowRank(n, k), 1);
  }
}

// --- Roots by enumeration ---------------------------------------------------------------

// The number of roots of each connected Dynkin type.
long long rootCount(const std::string& type) {
  const long long k = std::stoll(type.substr(1));
  switch (type[0]) {
    case 'A': return k * (k + 1);
    case 'D': return 2 * k * (k - 1);
    default: return k == 6 ? 72 : k == 7 ? 126 : 240;
  }
}

// Per coordinate, the largest |x_i| with x^T S x = 2 for a positive S: sqrt(2 (S^-1)_ii),
// from a floating-point inverse (only the box of the enumeration depends on it, with margin).
std::vector<int> rootBox(const IntRows& S) {
  const int n = static_cast<int>(S.size());
  std::vector<std::vector<double>> a(n, std::vector<double>(2 * n, 0.0));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) a[i][j] = static_cast<double>(S[i][j]);
    a[i][n + i] = 1.0;
  }
  for (int c = 0; c < n; ++c) {
    int best = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[best][c])) best = r;
    std::swap(a[c], a[best]);
    for (int r = 0; r < n; ++r) {
      if (r == c) continue;
      const double f = a[r][c] / a[c][c];
      for (int k = 0; k < 2 * n; ++k) a[r][k] -= f * a[c][k];
    }
  }
  std::vector<int> box(n);
  for (int i = 0; i < n; ++i)
    box[i] = static_cast<int>(std::sqrt(2.0 * a[i][n + i] / a[i][i]) + 1e-6);
  return box;
}

long long countRoots(const IntRows& S) {
  const int n = static_cast<int>(S.size());
  const std::vector<int> box = rootBox(S);
  std::vector<int> x(n);
  for (int i = 0; i < n; ++i) x[i] = -box[i];
  long long count = 0;
  for (;;) {
    long long value = 0;
    for (int i = 0; i < n; ++i) {
      if (x[i] == 0) continue;
      long long row = 0;
      for (int j = 0; j < n; ++j) row += S[i][j] * x[j];
      value += row * x[i];
    }
    if (value == 2) ++count;
    int i = 0;
    while (i < n && x[i] == box[i]) x[i] = -box[i], ++i;
    if (i == n) return count;
    ++x[i];
  }
}

IntRows symmetricOf(const Bigraph& g) {
  IntRows S(g.n, std::vector<long long>(g.n));
  for (int i = 0; i < g.n; ++i) {
    S[i][i] = 2 * g.gram[i][i].toInt();
    for (int j = i + 1; j < g.n; ++j) S[i][j] = S[j][i] = g.gram[i][j].toInt();
  }
  return S;
}

void expectRootCountMatchesType(const IntRows& S) {
  const Invariants inv = computeInvariants(invtest::upperOfSymmetric(S));
  ASSERT_EQ(inv.definiteness, Definiteness::Positive);
  ASSERT_TRUE(inv.dynkinType.has_value());
  ASSERT_EQ(inv.components, 1);
  EXPECT_EQ(countRoots(S), rootCount(inv.dynkinType->dynkinName())) << inv.dynkinType->name();
}

TEST(RootCount, DynkinShapesUpToSeven) {
  std::vector<std::unique_ptr<Bigraph>> shapes;
  for (int n = 1; n <= 7; ++n) shapes.push_back(shapes::bigraphWith(n, shapes::pathEdges(n)));
  for (int c = 1; c <= 4; ++c) shapes.push_back(shapes::star({1, 1, c}));
  for (int c = 2; c <= 3; ++c) shapes.push_back(shapes::star({1, 2, c}));
  for (const auto& g : shapes) {
    SCOPED_TRACE(g->n);
    expectRootCountMatchesType(symmetricOf(*g));
  }
}

// Random connected loop-free bigraphs with entries -1, 0, 1 on up to 7 vertices: every one
// the invariants call positive has the root count of its type.
TEST(RootCount, RandomPositiveBigraphs) {
  std::mt19937_64 generator(99);
  int positives = 0;
  for (int trial = 0; trial < 3000 && positives < 150; ++trial) {
    const int n = 2 + static_cast<int>(generator() % 6);
    IntRows S(n, std::vector<long long>(n, 0));
    for (int i = 0; i < n; ++i) {
      S[i][i] = 2;
      for (int j = i + 1; j < n; ++j)
        S[i][j] = S[j][i] = static_cast<long long>(generator() % 5 < 2 ? generator() % 3 : 1) - 1;
    }
    const Invariants inv = computeInvariants(invtest::upperOfSymmetric(S));
    if (inv.definiteness != Definiteness::Positive || inv.components != 1) continue;
    ++positives;
    SCOPED_TRACE(trial);
    expectRootCountMatchesType(S);
  }
  EXPECT_GE(positives, 100);
}

}  // namespace
