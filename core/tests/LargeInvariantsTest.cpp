// Tests of the invariants' shortcuts for large matrices (proved floating-point inertia, modular
// rank and kernel) against the exact elimination and FLINT, on seeded random forms: dense, low
// rank, scrambled non-negative, and badly conditioned ones where the proof must fail and exact
// work must take over. Also the stop and progress hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "InvariantsTestHelpers.h"
#include "ModularInvariants.h"
#include "VerifiedInertia.h"

using namespace core;

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;
using invtest::IntRows;

namespace {

std::mt19937_64 generator(20261209);

long long uniform(long long lo, long long hi) {
  return std::uniform_int_distribution<long long>(lo, hi)(generator);
}

IntRows denseForm(int n, long long range) {
  IntRows S(n, std::vector<long long>(n));
  for (int i = 0; i < n; ++i) {
    S[i][i] = 2 * uniform(-range, range);
    for (int j = i + 1; j < n; ++j) S[i][j] = S[j][i] = uniform(-range, range);
  }
  return S;
}

// M^T D M, D mixing (2), (-2) and hyperbolic planes: rank at most k, any signature.
IntRows lowRankForm(int n, int k, long long range) {
  IntRows M(k, std::vector<long long>(n));
  for (auto& row : M)
    for (auto& v : row) v = uniform(-range, range);
  IntRows S(n, std::vector<long long>(n, 0));
  for (int a = 0; a < k; ++a) {
    const long long kind = uniform(0, 2);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        if (kind == 2 && a + 1 < k)
          S[i][j] += M[a][i] * M[a + 1][j] + M[a + 1][i] * M[a][j];
        else
          S[i][j] += (kind == 0 ? 2 : -2) * M[a][i] * M[a][j];
      }
    if (kind == 2) ++a;
  }
  return S;
}

// A cycle on n - 1 vertices with a twin of vertex 0 (corank 2, non-negative), scrambled by
// weak congruences e_j -> e_j - S_ij e_i.
IntRows scrambledCorankTwo(int n) {
  IntRows S(n, std::vector<long long>(n, 0));
  const int m = n - 1;
  for (int i = 0; i < m; ++i) {
    S[i][i] = 2;
    S[i][(i + 1) % m] = S[(i + 1) % m][i] = -1;
  }
  for (int k = 0; k < m; ++k) S[m][k] = S[k][m] = S[0][k];
  S[m][m] = 2;
  S[0][m] = S[m][0] = 2;
  for (int step = 0; step < 4 * n;) {
    const int i = static_cast<int>(uniform(0, n - 1));
    const int j = static_cast<int>(uniform(0, n - 1));
    const long long c = S[i][j];
    if (i == j || c == 0) continue;
    for (int k = 0; k < n; ++k) S[k][j] -= c * S[k][i];
    for (int k = 0; k < n; ++k) S[j][k] -= c * S[i][k];
    ++step;
  }
  return S;
}

// A dense form with a badly conditioned 2 x 2 block on vertices 0 and 1, coupled to the rest
// nearly along its large eigenvector only, so S keeps an eigenvalue far below the rounding
// bounds: [[2k, 2k+1], [2k+1, 2k+2]] (det -1, eigenvalues near 4k and -1/4k, rows 0 and 1
// equal elsewhere) or [[2, 2k+1], [2k+1, 2k^2+2k+2]] (det 3, positive; row 0 zero elsewhere).
IntRows badlyConditioned(int n, bool positiveBlock) {
  IntRows S = denseForm(n, 3);
  const long long k = positiveBlock ? 4000 : (1LL << 24);
  for (int j = 2; j < n; ++j) S[0][j] = S[j][0] = positiveBlock ? 0 : S[1][j];
  S[0][0] = positiveBlock ? 2 : 2 * k;
  S[0][1] = S[1][0] = 2 * k + 1;
  S[1][1] = positiveBlock ? 2 * k * k + 2 * k + 2 : 2 * k + 2;
  return S;
}

FlintMatrix flintOf(const IntRows& rows) {
  const long n = static_cast<long>(rows.size());
  FlintMatrix S(n, n);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j) fmpz_set_si(S.at(i, j), rows[i][j]);
  return S;
}

// Every part of `facts` against the elimination (signature), FLINT (det, Smith form) and the
// defining equations (kernel, witness).
void expectExact(const modular_invariants::Facts& facts, const FlintMatrix& S) {
  const long n = S.rows();
  const symmetric_elimination::Result e = symmetric_elimination::eliminate(S);
  EXPECT_EQ(facts.signature.positive, e.signature.positive);
  EXPECT_EQ(facts.signature.zero, e.signature.zero);
  EXPECT_EQ(facts.signature.negative, e.signature.negative);
  FlintInteger det;
  fmpz_mat_det(det.get(), S.get());
  EXPECT_TRUE(fmpz_equal(det.get(), facts.det.get()));
  if (e.signature.zero == 0) {
    FlintInteger magnitude;
    fmpz_abs(magnitude.get(), det.get());
    EXPECT_TRUE(fmpz_equal(magnitude.get(), facts.smithProduct.get()));
  }
  ASSERT_EQ(facts.kernel.has_value(), e.signature.zero > 0);
  if (facts.kernel) {
    const FlintMatrix& K = *facts.kernel;
    ASSERT_EQ(K.rows(), e.signature.zero);
    FlintMatrix KS(K.rows(), n);
    fmpz_mat_mul(KS.get(), K.get(), S.get());
    EXPECT_TRUE(fmpz_mat_is_zero(KS.get()));
    FlintMatrix kernelSnf(K.rows(), n);
    fmpz_mat_snf(kernelSnf.get(), K.get());
    for (long t = 0; t < K.rows(); ++t) EXPECT_TRUE(fmpz_is_one(kernelSnf.at(t, t)));
    // d |det K[:, T]|^2 = |det S[J, J]| for every T with K[:, T] nonsingular (J the rest):
    // checked on the T taken greedily from the last column down, unlike the code's choice.
    std::vector<long> T;
    for (long v = n - 1; v >= 0 && static_cast<long>(T.size()) < K.rows(); --v) {
      T.push_back(v);
      FlintMatrix onT(K.rows(), static_cast<long>(T.size()));
      for (long t = 0; t < K.rows(); ++t)
        for (std::size_t x = 0; x < T.size(); ++x) fmpz_set(onT.at(t, static_cast<long>(x)), K.at(t, T[x]));
      if (fmpz_mat_rank(onT.get()) < static_cast<long>(T.size())) T.pop_back();
    }
    std::vector<long> J;
    for (long v = 0; v < n; ++v)
      if (std::find(T.begin(), T.end(), v) == T.end()) J.push_back(v);
    FlintMatrix onT(K.rows(), K.rows());
    for (long t = 0; t < K.rows(); ++t)
      for (long x = 0; x < K.rows(); ++x) fmpz_set(onT.at(t, x), K.at(t, T[x]));
    FlintMatrix A(static_cast<long>(J.size()), static_cast<long>(J.size()));
    for (std::size_t a = 0; a < J.size(); ++a)
      for (std::size_t b = 0; b < J.size(); ++b)
        fmpz_set(A.at(static_cast<long>(a), static_cast<long>(b)), S.at(J[a], J[b]));
    FlintInteger m, detA, expected;
    fmpz_mat_det(m.get(), onT.get());
    fmpz_mat_det(detA.get(), A.get());
    fmpz_abs(detA.get(), detA.get());
    fmpz_mul(expected.get(), m.get(), m.get());
    fmpz_mul(expected.get(), expected.get(), facts.smithProduct.get());
    EXPECT_TRUE(fmpz_equal(expected.get(), detA.get()));
  }
  ASSERT_EQ(facts.witness.has_value(), e.signature.negative > 0);
  if (facts.witness) {
    FlintMatrix wS(1, n);
    fmpz_mat_mul(wS.get(), facts.witness->get(), S.get());
    FlintInteger value;
    _fmpz_vec_dot(value.get(), wS.get()->rows[0], facts.witness->get()->rows[0], n);
    EXPECT_LT(fmpz_sgn(value.get()), 0);
  }
}

struct LargeCase {
  const char* name;
  IntRows (*make)();
  bool proofMustFail;    // the floating-point inertia of S itself cannot be proved
  // The shortcuts give the facts, else exact elimination must (so far: a kernel of several
  // vectors whose solve denominator exceeds a word, as in the low-rank forms here).
  bool shortcutsHold;
};

class LargeForms : public testing::TestWithParam<LargeCase> {};

TEST_P(LargeForms, ShortcutsAreExactOrStepAside) {
  const LargeCase& c = GetParam();
  for (int trial = 0; trial < 3; ++trial) {
    SCOPED_TRACE(trial);
    const FlintMatrix S = flintOf(c.make());
    const std::optional<verified_inertia::Proof> proof = verified_inertia::prove(S, {});
    if (c.proofMustFail) {
      EXPECT_FALSE(proof.has_value());
    }
    if (proof) {
      FlintInteger det;
      fmpz_mat_det(det.get(), S.get());
      EXPECT_LE(fmpz_cmp(proof->detLow.get(), det.get()), 0);
      EXPECT_GE(fmpz_cmp(proof->detHigh.get(), det.get()), 0);
    }
    // None means the caller eliminates exactly; whatever comes back must be exact.
    const auto facts = modular_invariants::compute(S, {});
    EXPECT_EQ(facts.has_value(), c.shortcutsHold);
    if (facts) expectExact(*facts, S);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Invariants, LargeForms,
    testing::Values(
        LargeCase{"Dense", [] { return denseForm(static_cast<int>(uniform(48, 90)), 9); }, false,
                  true},
        LargeCase{"DenseLargeEntries", [] { return denseForm(60, 1 << 20); }, false, true},
        LargeCase{"CorankOne", [] { return lowRankForm(60, 59, 2); }, true, true},
        LargeCase{"CorankFive", [] { return lowRankForm(70, 65, 3); }, true, false},
        LargeCase{"RankTen", [] { return lowRankForm(50, 10, 40); }, true, false},
        LargeCase{"ScrambledCorankTwo", [] { return scrambledCorankTwo(80); }, true, true},
        LargeCase{"NearlySingularIndefinite", [] { return badlyConditioned(60, false); }, true,
                  false},
        LargeCase{"NearlySingularPositiveBlock", [] { return badlyConditioned(60, true); },
                  true, false}),
    [](const testing::TestParamInfo<LargeCase>& info) { return std::string(info.param.name); });

// The public entry: the fallback gives the exact answer where the shortcuts step aside.
TEST(LargeInvariants, PublicResultAgreesWithFlint) {
  for (bool positiveBlock : {false, true}) {
    const IntRows S = badlyConditioned(60, positiveBlock);
    const Invariants inv = computeInvariants(invtest::upperOfSymmetric(S));
    const FlintMatrix F = flintOf(S);
    FlintInteger det;
    fmpz_mat_det(det.get(), F.get());
    EXPECT_TRUE(inv.det == flint_bridge::fromFmpz(det.get()));
    const Signature byCharpoly = symmetric_elimination::signatureFromCharpoly(F);
    EXPECT_EQ(inv.signature.positive, byCharpoly.positive);
    EXPECT_EQ(inv.signature.negative, byCharpoly.negative);
    invtest::expectWitnessAndKernel(invtest::upperOfSymmetric(S), inv);
  }
}

TEST(LargeInvariants, StopsWhenAskedAndReportsProgress) {
  const GramMatrix upper = invtest::upperOfSymmetric(denseForm(120, 9));
  std::atomic<bool> stop{true};
  InvariantsControl control;
  control.stop = &stop;
  EXPECT_THROW(computeInvariants(upper, control), InvariantsStopped);
  stop = false;
  double last = -1;
  int calls = 0;
  control.progress = [&](double fraction) {
    EXPECT_GE(fraction, 0.0);
    EXPECT_LE(fraction, 1.0);
    last = fraction;
    ++calls;
  };
  const Invariants inv = computeInvariants(upper, control);
  EXPECT_GT(calls, 1);
  EXPECT_EQ(inv.signature.positive + inv.signature.negative + inv.signature.zero, 120);
}

}  // namespace
