// Coxeter polynomials and numbers, roots and Gram congruence: textbook polynomials of Dynkin and
// Euclidean trees under random numberings, an independent Faddeev-LeVerrier computation on
// scrambled inputs, |R| = n h, and the weak and strong certificates.
#include <gtest/gtest.h>

#include "Coxeter.h"
#include "Roots.h"
#include "ScrambledBigraphs.h"
#include "StrongCongruence.h"

using namespace core;

namespace {

// A class X_rank of corank r, as the tables below write it.
DiagramType nf(char family, int rank, int corank) {
  const DiagramFamily f = family == 'A' ? DiagramFamily::A : family == 'D' ? DiagramFamily::D : DiagramFamily::E;
  return DiagramType::withCorank(f, rank, corank);
}


using Poly = std::vector<long>;

Poly multiply(const Poly& a, const Poly& b) {
  Poly out(a.size() + b.size() - 1, 0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) out[i + j] += a[i] * b[j];
  return out;
}
// 1 + t + ... + t^(p-1), [p] in the usual notation.
Poly bracket(int p) { return Poly(p, 1); }
Poly monomialPlusOne(int degree) {
  Poly out(degree + 1, 0);
  out[0] = out[degree] = 1;
  return out;
}

IntPolynomial exact(const Poly& p) {
  IntPolynomial out;
  for (long c : p) out.emplace_back(c);
  return out;
}

struct TreeCase {
  DiagramType type;
  Poly polynomial;
  long number;  // 0: infinite order
};

std::vector<TreeCase> treeCases() {
  std::vector<TreeCase> cases;
  for (int n = 1; n <= 9; ++n) cases.push_back({nf('A', n, 0), bracket(n + 1), n + 1});
  for (int n = 4; n <= 9; ++n)
    cases.push_back({nf('D', n, 0), multiply({1, 1}, monomialPlusOne(n - 1)), 2 * (n - 1)});
  cases.push_back({nf('E', 6, 0), multiply({1, 1, 1}, {1, 0, -1, 0, 1}), 12});
  cases.push_back({nf('E', 7, 0), multiply({1, 1}, {1, 0, 0, -1, 0, 0, 1}), 18});
  cases.push_back({nf('E', 8, 0), {1, 1, 0, -1, -1, -1, 0, 1, 1}, 30});
  // Euclidean trees: (t - 1)^2 [p][q][s] for the arm weights (p, q, s).
  auto euclidean = [](int p, int q, int s) {
    return multiply(multiply({1, -2, 1}, bracket(p)), multiply(bracket(q), bracket(s)));
  };
  for (int n = 4; n <= 8; ++n) cases.push_back({nf('D', n, 1), euclidean(2, 2, n - 2), 0});
  cases.push_back({nf('E', 6, 1), euclidean(2, 3, 3), 0});
  cases.push_back({nf('E', 7, 1), euclidean(2, 3, 4), 0});
  cases.push_back({nf('E', 8, 1), euclidean(2, 3, 5), 0});
  return cases;
}

TEST(CoxeterTest, TextbookPolynomialsAndNumbersOfTreesUnderRandomNumberings) {
  for (const TreeCase& c : treeCases()) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
      const GramMatrix g = renumberedBigraph(canonicalGram(c.type), seed);
      const CoxeterData d = coxeterDataOf(g, c.number != 0);
      EXPECT_EQ(d.polynomial, exact(c.polynomial)) << normalFormName(c.type) << " seed " << seed;
      if (c.number != 0) {
        EXPECT_EQ(d.number, BigInteger(c.number)) << normalFormName(c.type);
      } else {
        EXPECT_FALSE(d.number.has_value()) << normalFormName(c.type);
        EXPECT_EQ(d.finiteOrder, false) << normalFormName(c.type);  // the Jordan block at 1, found by powering
      }
    }
  }
}

TEST(CoxeterTest, FactorsNameTheirCyclotomicIndex) {
  const CoxeterData d = coxeterDataOf(canonicalGram(nf('E', 6, 0)), true);
  ASSERT_EQ(d.factors.size(), 2u);
  EXPECT_EQ(d.factors[0].cyclotomic, 3);
  EXPECT_EQ(d.factors[1].cyclotomic, 12);
  EXPECT_EQ(d.factors[1].polynomial, exact({1, 0, -1, 0, 1}));
}

// Cox = -G G^-tr and det(t E - Cox) by Faddeev-LeVerrier, in exact integers, apart from the
// code under test.
IntPolynomial faddeevLeVerrier(const GramMatrix& g) {
  const int n = g.vertices();
  GramMatrix inverse(n);  // G^-1 by back substitution
  for (int j = 0; j < n; ++j) {
    inverse[j][j] = BigInteger(1);
    for (int i = j - 1; i >= 0; --i)
      for (int k = i + 1; k <= j; ++k) inverse[i][j] -= g[i][k] * inverse[k][j];
  }
  GramMatrix cox(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) cox[i][j] -= g[i][k] * inverse[j][k];
  // M_1 = E, c_(n-1) = -tr(Cox); M_k = Cox M_(k-1) + c_(n-k+1) E, c_(n-k) = -tr(Cox M_k) / k.
  IntPolynomial c(n + 1);
  c[n] = BigInteger(1);
  GramMatrix m(n), product(n);
  for (int i = 0; i < n; ++i) m[i][i] = BigInteger(1);
  for (int k = 1; k <= n; ++k) {
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        product[i][j] = BigInteger(0);
        for (int l = 0; l < n; ++l) product[i][j] += cox[i][l] * m[l][j];
      }
    BigInteger trace;
    for (int i = 0; i < n; ++i) trace += product[i][i];
    c[n - k] = -(trace / BigInteger(k));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) m[i][j] = product[i][j] + (i == j ? c[n - k] : BigInteger(0));
  }
  return c;
}

TEST(CoxeterTest, PolynomialAgreesWithFaddeevLeVerrierOnScrambledInputs) {
  const DiagramType types[] = {nf('A', 7, 0), nf('D', 6, 0), nf('E', 7, 0), nf('E', 8, 0),
                                  nf('D', 6, 1), nf('A', 5, 2), nf('E', 6, 2)};
  for (const DiagramType& t : types)
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
      const GramMatrix g = scrambledBigraph(canonicalGram(t), seed);
      const CoxeterData d = coxeterDataOf(g, t.corank == 0);
      EXPECT_EQ(d.polynomial, faddeevLeVerrier(g)) << normalFormName(t) << " seed " << seed;
      EXPECT_EQ(d.polynomial, characteristicPolynomial(coxeterMatrix(g)));
    }
  // An indefinite bigraph (a dotted triangle with a solid edge): the multimodular path.
  const GramMatrix indefinite{{1, 1, 1, -1}, {0, 1, 1, 0}, {0, 0, 1, -1}, {0, 0, 0, 1}};
  EXPECT_EQ(coxeterDataOf(indefinite, false).polynomial, faddeevLeVerrier(indefinite));
}

TEST(CoxeterTest, CoxeterMatrixIsDefinedOnlyForUnitDiagonals) {
  const GramMatrix loop{{2, -1}, {0, 1}};
  EXPECT_FALSE(hasUnitDiagonal(loop));
  EXPECT_THROW(coxeterDataOf(loop, false), std::invalid_argument);
}

std::vector<DiagramType> positiveTypesUpTo12() {
  std::vector<DiagramType> types;
  for (int n = 1; n <= 12; ++n) types.push_back(nf('A', n, 0));
  for (int n = 4; n <= 12; ++n) types.push_back(nf('D', n, 0));
  for (int n = 6; n <= 8; ++n) types.push_back(nf('E', n, 0));
  return types;
}

BigInteger formValue(const GramMatrix& g, const Root& v) {
  BigInteger q;
  for (std::size_t i = 0; i < g.size(); ++i)
    for (std::size_t j = i; j < g.size(); ++j) q += g[i][j] * BigInteger(static_cast<long long>(v[i] * v[j]));
  return q;
}

TEST(RootsTest, CountIsNTimesTheDynkinCoxeterNumberAndEveryRootHasValueOne) {
  for (const DiagramType& t : positiveTypesUpTo12()) {
    const GramMatrix g = scrambledBigraph(canonicalGram(t), 7);
    const std::vector<Root> roots = rootsOf(g, 100000);
    // h is the Coxeter number of the Dynkin type (its tree); the order of Cox of another
    // bigraph of the type may differ (E6 has bigraphs whose Cox has order 9).
    const CoxeterData d = coxeterDataOf(canonicalGram(t), true);
    ASSERT_TRUE(d.number.has_value());
    EXPECT_EQ(BigInteger(static_cast<long long>(roots.size())), BigInteger(t.rank) * *d.number) << normalFormName(t);
    EXPECT_EQ(roots.size(), rootCountOfType(DiagramType::dynkin(t.family, t.rank)));
    for (const Root& v : roots) ASSERT_EQ(formValue(g, v), BigInteger(1)) << normalFormName(t);
  }
}

TEST(RootsTest, OrderedByCoordinateSumAndBounded) {
  const std::vector<Root> roots = rootsOf(canonicalGram(nf('A', 3, 0)), 100);
  ASSERT_EQ(roots.size(), 12u);
  EXPECT_EQ(roots.front(), (Root{1, 1, 1}));
  EXPECT_EQ(roots.back(), (Root{-1, -1, -1}));
  EXPECT_EQ(std::count_if(roots.begin(), roots.end(), isPositiveRoot), 6);
  EXPECT_THROW(rootsOf(canonicalGram(nf('A', 3, 0)), 11), RootBoundExceeded);
  // Not positive (Euclidean): the orbit is infinite and the bound stops it.
  EXPECT_THROW(rootsOf(canonicalGram(nf('D', 4, 1)), 5000), RootBoundExceeded);
}

// B^T M B entry by entry, apart from the code under test.
GramMatrix plainCongruent(const GramMatrix& m, const GramMatrix& b) {
  const int n = m.vertices();
  GramMatrix out(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k)
        for (int l = 0; l < n; ++l) out[i][j] += b[k][i] * m[k][l] * b[l][j];
  return out;
}

std::optional<GramMatrix> weakBetween(const GramMatrix& g1, const GramMatrix& g2) {
  const auto n1 = normalFormOf(g1, computeInvariants(g1));
  const auto n2 = normalFormOf(g2, computeInvariants(g2));
  return weakCertificate(g1, *n1, g2, *n2);
}

TEST(CongruenceTest, SameClassIsWeaklyCongruentWithAVerifiedCertificate) {
  const DiagramType types[] = {nf('A', 6, 0), nf('D', 7, 0), nf('E', 8, 0), nf('D', 5, 1), nf('A', 4, 2)};
  for (const DiagramType& t : types) {
    const GramMatrix g1 = scrambledBigraph(canonicalGram(t), 21), g2 = scrambledBigraph(canonicalGram(t), 22);
    const auto b = weakBetween(g1, g2);
    ASSERT_TRUE(b.has_value()) << normalFormName(t);
    EXPECT_EQ(plainCongruent(symmetricGram(g1), *b), symmetricGram(g2)) << normalFormName(t);
    const BigInteger det = determinant(*b);
    EXPECT_TRUE(det == BigInteger(1) || det == BigInteger(-1));
  }
  const GramMatrix a7 = scrambledBigraph(canonicalGram(nf('A', 7, 0)), 3);
  const GramMatrix e7 = scrambledBigraph(canonicalGram(nf('E', 7, 0)), 3);
  EXPECT_FALSE(weakBetween(a7, e7).has_value());
}

TEST(CongruenceTest, PositiveTypeAPairsAreStronglyCongruentWithAVerifiedCertificate) {
  for (int n = 2; n <= 9; ++n)
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      const GramMatrix g1 = scrambledBigraph(canonicalGram(nf('A', n, 0)), seed);
      const GramMatrix g2 = scrambledBigraph(canonicalGram(nf('A', n, 0)), seed + 100);
      const StrongSearch s = searchStrongCongruence(g1, g2, 60);
      ASSERT_EQ(s.outcome, SearchOutcome::Found) << "A" << n << " seed " << seed;
      EXPECT_EQ(plainCongruent(g1, *s.certificate), g2);
    }
}

TEST(CongruenceTest, DifferentPolynomialsAreNotStronglyCongruent) {
  // Two D5 bigraphs with different Coxeter polynomials: the tree, and one found among scrambles.
  const GramMatrix tree = canonicalGram(nf('D', 5, 0));
  const IntPolynomial treePolynomial = coxeterDataOf(tree, true).polynomial;
  for (std::uint32_t seed = 1; seed < 200; ++seed) {
    const GramMatrix other = scrambledBigraph(tree, seed);
    if (coxeterDataOf(other, true).polynomial == treePolynomial) continue;
    const StrongSearch s = searchStrongCongruence(tree, other, 60);
    EXPECT_EQ(s.outcome, SearchOutcome::None);
    EXPECT_GT(s.nodes, 0u);
    return;
  }
  FAIL() << "no D5 scramble with another polynomial";
}

TEST(CongruenceTest, LongSearchGivesUpAtItsTimeBoundOrOnStop) {
  // Two E8 bigraphs with different polynomials: proving "none" visits thousands of nodes.
  const GramMatrix e8 = canonicalGram(nf('E', 8, 0));
  const GramMatrix g1 = scrambledBigraph(e8, 11);
  const IntPolynomial p1 = coxeterDataOf(g1, true).polynomial;
  std::uint32_t seed = 100;
  while (coxeterDataOf(scrambledBigraph(e8, seed), true).polynomial == p1) ++seed;
  const GramMatrix g2 = scrambledBigraph(e8, seed);
  const StrongSearch whole = searchStrongCongruence(g1, g2, 60);
  ASSERT_EQ(whole.outcome, SearchOutcome::None);
  ASSERT_GT(whole.nodes, 4096u) << "too few nodes to reach a time check";
  EXPECT_EQ(searchStrongCongruence(g1, g2, 0).outcome, SearchOutcome::OutOfTime);
  const std::atomic<bool> stop{true};
  EXPECT_THROW(searchStrongCongruence(g1, g2, 60, &stop), CoxeterWorkStopped);
}

}  // namespace
