// Normal forms: the canonical N(D, r) have the class they stand for; scrambled and renumbered
// inputs of every type and corank <= 3 and the Nakayama bigraphs of corank 1 and 2 reach
// exactly N(D, r) with a certificate checked by plain multiplication; planted faults are caught.
#include <gtest/gtest.h>

#include <random>

#include "InvariantsTestHelpers.h"
#include "NormalForm.h"

using namespace core;

namespace {

using Matrix = GramMatrix;

std::vector<DiagramType> dynkinTypes() {
  std::vector<DiagramType> all;
  for (int m = 1; m <= 6; ++m) all.push_back(DiagramType::dynkin(DiagramFamily::A, m));
  for (int m = 4; m <= 7; ++m) all.push_back(DiagramType::dynkin(DiagramFamily::D, m));
  for (int m = 6; m <= 8; ++m) all.push_back(DiagramType::dynkin(DiagramFamily::E, m));
  return all;
}

std::vector<DiagramType> typesUpToCorank3() {
  std::vector<DiagramType> all;
  for (const DiagramType& t : dynkinTypes())
    for (int r = 0; r <= 3; ++r) all.push_back(DiagramType::withCorank(t.family, t.rank, r));
  return all;
}

Matrix product(const Matrix& a, const Matrix& b) {
  Matrix out(a.vertices());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t k = 0; k < b.size(); ++k)
      if (!a[i][k].isZero())
        for (std::size_t j = 0; j < b.size(); ++j) out[i][j] += a[i][k] * b[k][j];
  return out;
}

Matrix transposed(const Matrix& a) {
  Matrix out(a.vertices());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < a.size(); ++j) out[j][i] = a[i][j];
  return out;
}

// Bareiss elimination in the integer layer: exact det without FLINT.
BigInteger determinant(const Matrix& m) {
  std::vector<IntVector> a(m.size());
  for (std::size_t i = 0; i < m.size(); ++i) a[i].assign(m[i].begin(), m[i].end());
  const std::size_t n = a.size();
  BigInteger previous(1);
  int sign = 1;
  for (std::size_t k = 0; k + 1 < n; ++k) {
    std::size_t p = k;
    while (p < n && a[p][k].isZero()) ++p;
    if (p == n) return BigInteger(0);
    if (p != k) {
      std::swap(a[p], a[k]);
      sign = -sign;
    }
    for (std::size_t i = k + 1; i < n; ++i)
      for (std::size_t j = k + 1; j < n; ++j) {
        BigInteger q;
        BigInteger value = a[i][j] * a[k][k] - a[i][k] * a[k][j];
        value.divideWithRemainder(previous, q);
        a[i][j] = q;
      }
    previous = a[k][k];
  }
  return sign < 0 ? BigInteger(0) - a[n - 1][n - 1] : a[n - 1][n - 1];
}

// B^T S B = S_N and det B = +-1, in the integer layer's own arithmetic.
void expectCertificate(const Matrix& upper, const NormalForm& nf) {
  const Matrix S = symmetricGram(upper);
  const Matrix& B = nf.certificate;
  EXPECT_EQ(product(transposed(B), product(S, B)), symmetricGram(nf.gram));
  const BigInteger det = determinant(B);
  EXPECT_TRUE(det == BigInteger(1) || det == BigInteger(-1)) << bigIntegerToString(det);
}

// e_j -> e_j - S_ij e_i keeps the unit diagonal (q(e_j - s e_i) = 1 + s^2 - s S_ij = 1); then
// a renumbering. Entries stay small enough by undoing steps that exceed +-3.
Matrix scrambled(const Matrix& upper, std::mt19937& random) {
  Matrix S = symmetricGram(upper);
  const int n = static_cast<int>(S.size());
  std::uniform_int_distribution<int> vertex(0, n - 1);
  for (int step = 0; n > 1 && step < 4 * n; ++step) {
    const int i = vertex(random), j = vertex(random);
    if (i == j || S[i][j].isZero()) continue;
    const BigInteger s = S[i][j];
    Matrix next = S.clone();
    for (int x = 0; x < n; ++x) next[x][j] -= s * S[x][i];
    for (int x = 0; x < n; ++x) next[j][x] = next[x][j];
    next[j][j] = BigInteger(2);
    bool small = true;
    for (int x = 0; x < n; ++x) small = small && next[x][j] <= BigInteger(3) && next[x][j] >= BigInteger(-3);
    if (small) S = std::move(next);
  }
  std::vector<int> perm(n);
  std::iota(perm.begin(), perm.end(), 0);
  std::shuffle(perm.begin(), perm.end(), random);
  Matrix out(n);
  for (int a = 0; a < n; ++a) {
    out[a][a] = BigInteger(1);
    for (int b = a + 1; b < n; ++b) out[a][b] = S[perm[a]][perm[b]];
  }
  return out;
}

std::optional<NormalForm> normalForm(const Matrix& upper) {
  return normalFormOf(upper, computeInvariants(upper));
}

TEST(CanonicalForm, EveryTypeUpToCorank3HasItsClass) {
  for (const DiagramType& t : typesUpToCorank3()) {
    SCOPED_TRACE(normalFormName(t));
    const Matrix g = canonicalGram(t);
    ASSERT_EQ(static_cast<int>(g.size()), t.rank + t.corank);
    const Invariants inv = computeInvariants(g);
    EXPECT_EQ(inv.definiteness, t.corank == 0 ? Definiteness::Positive : Definiteness::NonNegative);
    EXPECT_EQ(inv.corank, t.corank);
    EXPECT_EQ(inv.components, 1);
    EXPECT_EQ(invtest::typeName(inv), t.dynkinName());
    if (t.corank == 0) continue;
    IntVector root(g.size());
    const std::vector<long> h = euclideanNullRoot(t);
    for (int v = 0; v < t.rank; ++v) root[v] = BigInteger(h[v]);
    root[t.rank] = BigInteger(1);
    EXPECT_TRUE(invtest::isZeroVector(invtest::times(symmetricGram(g), root)));
  }
}

TEST(CanonicalForm, NamesAndInvalidTypes) {
  const auto type = [](DiagramFamily family, int rank, int corank) {
    return DiagramType::withCorank(family, rank, corank);
  };
  EXPECT_EQ(normalFormName(type(DiagramFamily::E, 7, 0)), "E7");
  EXPECT_EQ(normalFormName(type(DiagramFamily::E, 7, 1)), "E~7");
  EXPECT_EQ(normalFormName(type(DiagramFamily::E, 8, 2)), "E8^(2)");
  for (const DiagramType& bad :
       {type(DiagramFamily::A, 0, 0), type(DiagramFamily::D, 3, 1), type(DiagramFamily::E, 9, 0),
        type(DiagramFamily::A, 2, -1), DiagramType{DiagramFamily::E, 7, true, 2}})
    EXPECT_THROW(canonicalGram(bad), std::invalid_argument);
}

TEST(NormalForm, ScrambledInputsOfEveryTypeReachTheirCanonicalForm) {
  std::mt19937 random(20261209);
  for (const DiagramType& t : typesUpToCorank3())
    for (int trial = 0; trial < 3; ++trial) {
      SCOPED_TRACE(normalFormName(t) + " trial " + std::to_string(trial));
      const Matrix input = scrambled(canonicalGram(t), random);
      const auto nf = normalForm(input);
      ASSERT_TRUE(nf.has_value());
      EXPECT_EQ(nf->name, normalFormName(t));
      EXPECT_EQ(nf->gram, canonicalGram(t));
      expectCertificate(input, *nf);
    }
}

TEST(NormalForm, DisconnectedInputsAreBlockSumsInTypeOrder) {
  std::mt19937 random(7);
  const Matrix e7 = canonicalGram(DiagramType::withCorank(DiagramFamily::E, 7, 2));
  const Matrix a2 = canonicalGram(DiagramType::euclideanOf(DiagramFamily::A, 2));
  const int n = static_cast<int>(e7.size() + a2.size());
  Matrix sum(n);
  for (std::size_t a = 0; a < e7.size(); ++a)
    for (std::size_t b = a; b < e7.size(); ++b) sum[a][b] = e7[a][b];
  const std::size_t o = e7.size();
  for (std::size_t a = 0; a < a2.size(); ++a)
    for (std::size_t b = a; b < a2.size(); ++b) sum[o + a][o + b] = a2[a][b];
  const Matrix input = scrambled(sum, random);
  const auto nf = normalForm(input);
  ASSERT_TRUE(nf.has_value());
  EXPECT_EQ(nf->name, "A~2+E7^(2)");
  EXPECT_EQ(nf->corank, 3);
  expectCertificate(input, *nf);
}

TEST(NormalForm, NakayamaBigraphsOfCorankOneAndTwo) {
  struct Case {
    int n, r;
    const char* name;
  };
  for (const Case& c : {Case{8, 4, "E~7"}, Case{9, 3, "E~8"}, Case{9, 7, "E~8"},
                        Case{9, 4, "E7^(2)"}, Case{10, 3, "E8^(2)"}, Case{10, 6, "E8^(2)"}}) {
    SCOPED_TRACE(c.name);
    const Matrix input = nakayamaGram(c.n, c.r);
    const auto nf = normalForm(input);
    ASSERT_TRUE(nf.has_value());
    EXPECT_EQ(nf->name, c.name);
    expectCertificate(input, *nf);
  }
}

TEST(NormalForm, NoneForIndefiniteOrLoopedInputs) {
  EXPECT_FALSE(normalForm(Matrix{{1, 3}, {0, 1}}).has_value());
  EXPECT_FALSE(normalForm(Matrix{{2, 0}, {0, 1}}).has_value());
  EXPECT_FALSE(normalForm(Matrix{}).has_value());
}

TEST(NormalForm, WrongColumnInTheCertificateIsCaught) {
  const DiagramType type = DiagramType::withCorank(DiagramFamily::D, 5, 2);
  std::mt19937 random(3);
  const Matrix input = scrambled(canonicalGram(type), random);
  const Invariants inv = computeInvariants(input);
  DiagramType found;
  const auto pair = normal_form_detail::composeCertificate(
      input, inv.kernel, normal_form_detail::unimodularVertices(inv.kernel, 7), found);
  ASSERT_EQ(found, type);
  const Matrix S = symmetricGram(input), SN = symmetricGram(canonicalGram(type));
  const Matrix& X = pair.inverse;
  EXPECT_TRUE(isCongruenceWithInverse(S, pair.B, X, SN));
  EXPECT_TRUE(isUnimodularCongruence(S, pair.B, SN));
  Matrix wrong = pair.B.clone();
  for (int x = 0; x < 7; ++x) std::swap(wrong[x][1], wrong[x][6]);
  EXPECT_FALSE(isCongruenceWithInverse(S, wrong, X, SN));
  EXPECT_FALSE(isUnimodularCongruence(S, wrong, SN));
  wrong = pair.B.clone();
  wrong[3][5] += BigInteger(1);
  EXPECT_FALSE(isCongruenceWithInverse(S, wrong, X, SN));
  EXPECT_FALSE(isUnimodularCongruence(S, wrong, SN));
  // Column 5 plus B v, v = (h, 1, 0) in the kernel of S_N: B^T S B stays S_N, det B doubles.
  IntVector v(7);
  const std::vector<long> h = euclideanNullRoot(type);
  for (int c = 0; c < 5; ++c) v[c] = BigInteger(h[c]);
  v[5] = BigInteger(1);
  const IntVector Bv = invtest::times(pair.B, v);
  wrong = pair.B.clone();
  for (int x = 0; x < 7; ++x) wrong[x][5] += Bv[x];
  EXPECT_EQ(product(transposed(wrong), product(S, wrong)), SN);
  EXPECT_FALSE(isCongruenceWithInverse(S, wrong, X, SN));
  EXPECT_FALSE(isUnimodularCongruence(S, wrong, SN));
}

TEST(NormalForm, WrongVertexSetIsCaught) {
  // D~4 as a star with centre 0: the kernel vector is (2, 1, 1, 1, 1); T = {0} has det 2.
  const Matrix input{
      {1, -1, -1, -1, -1}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}};
  const Invariants inv = computeInvariants(input);
  EXPECT_NE(normal_form_detail::unimodularVertices(inv.kernel, 5), std::vector<int>{0});
  DiagramType type;
  bool caught = false;
  try {
    const auto pair = normal_form_detail::composeCertificate(input, inv.kernel, {0}, type);
    caught = !isCongruenceWithInverse(symmetricGram(input), pair.B, pair.inverse,
                                      symmetricGram(canonicalGram(type)));
  } catch (const NormalFormFailure&) {
    caught = true;
  }
  EXPECT_TRUE(caught);
}

}  // namespace
