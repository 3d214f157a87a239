// Random Z-congruence walks from every Dynkin and Euclidean diagram up to 12 vertices: the
// exact type never changes, the tracked basis change verifies as a certificate, and inflation
// runs from the walked bigraphs end in the matching shape. Also the certificate check itself
// and the agreement check of recognised shapes.
#include <gtest/gtest.h>

#include <random>

#include "GramTestHelpers.h"
#include "InvariantsTestHelpers.h"
#include "ShapeBuilders.h"

using namespace core;

using invtest::IntRows;

namespace {

struct Diagram {
  std::string name;  // "D7", "E~8"
  std::string type;  // the exact type: "D7", "E8"
  int corank;
  int n;
  shapes::Edges edges;
};

std::string named(const char* letter, int k) {
  return std::string(letter).append(std::to_string(k));
}

std::vector<Diagram> allDiagrams() {
  std::vector<Diagram> all;
  auto add = [&](std::string name, std::string type, int corank, int n, shapes::Edges e) {
    all.push_back({std::move(name), std::move(type), corank, n, std::move(e)});
  };
  auto star = [&](std::string name, std::string type, int corank, std::vector<int> arms) {
    int n = 0;
    shapes::Edges e = shapes::starEdges(arms, n);
    add(std::move(name), std::move(type), corank, n, std::move(e));
  };
  for (int k = 1; k <= 12; ++k) add(named("A", k), named("A", k), 0, k, shapes::pathEdges(k));
  for (int k = 4; k <= 12; ++k) star(named("D", k), named("D", k), 0, {1, 1, k - 3});
  star("E6", "E6", 0, {1, 2, 2});
  star("E7", "E7", 0, {1, 2, 3});
  star("E8", "E8", 0, {1, 2, 4});
  add("A~1", "A1", 1, 2, {{0, 1, -2}});
  for (int k = 2; k <= 11; ++k)
    add(named("A~", k), named("A", k), 1, k + 1, shapes::cycleEdges(k + 1));
  star("D~4", "D4", 1, {1, 1, 1, 1});
  for (int k = 5; k <= 11; ++k) {
    int n = 0;
    shapes::Edges e = shapes::dTildeEdges(k, n);
    add(named("D~", k), named("D", k), 1, n, std::move(e));
  }
  star("E~6", "E6", 1, {2, 2, 2});
  star("E~7", "E7", 1, {1, 3, 3});
  star("E~8", "E8", 1, {1, 2, 5});
  return all;
}

using Square = std::vector<std::vector<long long>>;

Square identity(int n) {
  Square m(n, std::vector<long long>(n, 0));
  for (int i = 0; i < n; ++i) m[i][i] = 1;
  return m;
}

Square symmetricOf(const Diagram& d) {
  Square S(d.n, std::vector<long long>(d.n, 0));
  for (int i = 0; i < d.n; ++i) S[i][i] = 2;
  for (const shapes::Edge& e : d.edges) S[e.u][e.v] = S[e.v][e.u] = e.entry;
  return S;
}

// Column j of B minus q times column i, and the same congruence on S: vertex j becomes
// e_j - q e_i, as in an inflation on (i, j) with quotient q.
void applyStep(Square& S, Square& B, int i, int j, long long q) {
  const int n = static_cast<int>(S.size());
  for (int x = 0; x < n; ++x) B[x][j] -= q * B[x][i];
  for (int x = 0; x < n; ++x) S[x][j] -= q * S[x][i];
  for (int x = 0; x < n; ++x) S[j][x] -= q * S[i][x];
}

void permute(Square& S, Square& B, const std::vector<int>& perm) {
  const int n = static_cast<int>(S.size());
  Square S2(n, std::vector<long long>(n));
  Square B2(n, std::vector<long long>(n));
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) {
      S2[perm[x]][perm[y]] = S[x][y];
      B2[x][perm[y]] = B[x][y];  // new vertex perm[y] is old vertex y
    }
  S = S2;
  B = B2;
}

bool entriesWithinTwo(const Square& S) {
  for (const auto& row : S)
    for (long long v : row)
      if (v < -2 || v > 2) return false;
  return true;
}

// A random walk of inflations on dotted and solid edges (both keep the diagonal at 2: the
// quotient is the entry itself) and renumberings, never leaving entries -2..2.
void randomWalk(Square& S, Square& B, std::mt19937_64& generator, int steps) {
  const int n = static_cast<int>(S.size());
  if (n < 2) return;
  for (int done = 0; done < steps;) {
    if (generator() % 8 == 0) {
      permute(S, B, shapes::shuffledVertices(n, static_cast<std::uint32_t>(generator())));
      ++done;
      continue;
    }
    const int i = static_cast<int>(generator() % n);
    const int j = static_cast<int>(generator() % n);
    if (i == j || S[i][j] == 0) continue;
    Square S2 = S, B2 = B;
    applyStep(S2, B2, i, j, S[i][j]);
    if (!entriesWithinTwo(S2)) continue;
    S = S2;
    B = B2;
    ++done;
  }
}

// The loop-free bigraph whose symmetric Gram matrix is S: unit diagonal, S above it.
std::unique_ptr<Bigraph> bigraphOf(const Square& S) {
  Square upper = S;
  for (std::size_t i = 0; i < S.size(); ++i) {
    upper[i][i] = 1;
    for (std::size_t j = 0; j < i; ++j) upper[i][j] = 0;
  }
  return gramtest::makeBigraph(upper);
}

// Inflations until no dotted edge is left or the bound, with B tracked: the step on (i, j)
// recomputes vertex j as e_j - q e_i, q = G(i, j) / G(i, i) = G(i, j) on loop-free bigraphs.
struct RunResult {
  bool ended = false;
  GramMatrix certificate;
};

RunResult runWithCertificate(Bigraph& g, int variant, long long bound) {
  const int n = g.n;
  GramMatrix B(n);
  for (int x = 0; x < n; ++x) B[x][x] = BigInteger(1);
  for (long long step = 0; step < bound; ++step) {
    const Coeffs c = g.chooseDottedEdge(EdgeRule(variant));
    if (c.i == kNoEdge) return {true, std::move(B)};
    const BigInteger q = g.gram[std::min(c.i, c.j)][std::max(c.i, c.j)];
    for (int x = 0; x < n; ++x) B[x][c.j] = B[x][c.j] - q * B[x][c.i];
    g.inflation(c);
  }
  return {g.chooseDottedEdge(EdgeRule(variant)).i == kNoEdge, std::move(B)};
}

class Walks : public testing::TestWithParam<Diagram> {};

TEST_P(Walks, KeepTheTypeAndRunsEndInTheShape) {
  const Diagram& d = GetParam();
  const Square start = symmetricOf(d);
  std::mt19937_64 generator(std::hash<std::string>{}(d.name) ^ 2026);
  int ended = 0;
  for (int walk = 0; walk < 12; ++walk) {
    SCOPED_TRACE(walk);
    Square S = start;
    Square B = identity(d.n);
    randomWalk(S, B, generator, 5 + walk * 4);
    ASSERT_TRUE(verifyCertificate(invtest::toGram(start), invtest::toGram(B),
                                  invtest::toGram(S)).holds);
    std::unique_ptr<Bigraph> g = bigraphOf(S);
    const GramMatrix walkedUpper = upperGramOf(*g);
    const Invariants inv = computeInvariants(walkedUpper);
    EXPECT_EQ(invtest::typeName(inv), d.type);
    EXPECT_EQ(inv.corank, d.corank);
    invtest::expectWitnessAndKernel(walkedUpper, inv);

    const RunResult run = runWithCertificate(*g, walk % 6, 10LL * d.n * d.n + 100);
    const GramMatrix after = symmetricGram(upperGramOf(*g));
    EXPECT_TRUE(verifyCertificate(symmetricGram(walkedUpper), run.certificate, after).holds);
    if (d.corank == 0) {
      ASSERT_TRUE(run.ended);
    }
    if (!run.ended) continue;
    ++ended;
    g->recognizeBigraphProperties();
    EXPECT_EQ(typeAgreementError(*g, invariantsOf(*g)), std::nullopt);
    if (d.corank == 0)
      EXPECT_NE(g->dynkinType, 0);
    else
      EXPECT_NE(g->euclideanType, 0);
  }
  // Positive runs always end; of the corank-1 ones, some must, or the shape check is idle.
  if (d.corank == 0) {
    EXPECT_EQ(ended, 12);
  }
  EXPECT_GT(ended, 0);
}

INSTANTIATE_TEST_SUITE_P(Diagrams, Walks, testing::ValuesIn(allDiagrams()),
                         [](const testing::TestParamInfo<Diagram>& info) {
                           std::string name = info.param.name;
                           const auto tilde = name.find('~');
                           if (tilde != std::string::npos) name.replace(tilde, 1, "Tilde");
                           return name;
                         });

// --- The agreement check -----------------------------------------------------------------

TEST(TypeAgreement, EveryDiagramAgreesWithItsOwnInvariants) {
  for (const Diagram& d : allDiagrams()) {
    SCOPED_TRACE(d.name);
    std::unique_ptr<Bigraph> g = shapes::bigraphWith(d.n, d.edges);
    g->recognizeBigraphProperties();
    ASSERT_TRUE(g->dynkinType != 0 || g->euclideanType != 0);
    EXPECT_EQ(typeAgreementError(*g, invariantsOf(*g)), std::nullopt);
  }
}

TEST(TypeAgreement, DisagreementsAreWorded) {
  std::unique_ptr<Bigraph> d5 = shapes::star({1, 1, 2});
  d5->recognizeBigraphProperties();
  const Invariants a5 = invariantsOf(*shapes::bigraphWith(5, shapes::pathEdges(5)));
  EXPECT_EQ(typeAgreementError(*d5, a5),
            "the shape is recognised as D5, but the exact invariants give type A5 with corank 0 "
            "(expected D5 with corank 0)");

  std::unique_ptr<Bigraph> cycle = shapes::bigraphWith(4, shapes::cycleEdges(4));
  cycle->recognizeBigraphProperties();
  const Invariants notEuclidean = computeInvariants(
      invtest::toGram({{1, -1, 0, 0}, {0, 1, -1, 0}, {0, 0, 1, -1}, {0, 0, 0, 1}}));
  EXPECT_EQ(typeAgreementError(*cycle, notEuclidean),
            "the shape is recognised as A~3, but the exact invariants give type A4 with corank 0 "
            "(expected A3 with corank 1)");
  EXPECT_EQ(typeAgreementError(*cycle, a5),
            "the exact invariants are of a bigraph with 5 vertices, the recognised shape A~3 "
            "has 4");
}

TEST(TypeAgreement, NoShapeNoClaim) {
  std::unique_ptr<Bigraph> dotted = shapes::bigraphWith(3, {{0, 1, 1}, {1, 2, -1}});
  dotted->recognizeBigraphProperties();
  ASSERT_EQ(dotted->dynkinType, 0);
  EXPECT_EQ(typeAgreementError(*dotted, invariantsOf(*dotted)), std::nullopt);
}

// --- The certificate check ---------------------------------------------------------------

// A certificate of a real run: `steps` inflations on the Nakayama bigraph A_n(2).
struct RunCertificate {
  GramMatrix S, B, Sprime;
};

RunCertificate nakayamaCertificate(int n, int steps) {
  BigInteger** m = NakayamaBigraph(n, 2);
  Bigraph g(n, m);
  deleteSqMat(n, m);
  RunCertificate c;
  c.S = symmetricGram(upperGramOf(g));
  const RunResult run = runWithCertificate(g, 0, steps);
  c.B = run.certificate.clone();
  c.Sprime = symmetricGram(upperGramOf(g));
  return c;
}

class CertificateModes : public testing::TestWithParam<VerificationMode> {};

TEST_P(CertificateModes, HoldAndOneChangedEntryFails) {
  RunCertificate c = nakayamaCertificate(40, 60);
  const VerificationMode mode = GetParam();
  EXPECT_TRUE(verifyCertificateIn(mode, c.S, c.B, c.Sprime).holds);
  std::mt19937_64 generator(5);
  for (int trial = 0; trial < 10; ++trial) {
    const std::size_t x = generator() % 40;
    const std::size_t y = generator() % 40;
    GramMatrix badSprime = c.Sprime.clone();
    badSprime[x][y] += BigInteger(1);
    EXPECT_FALSE(verifyCertificateIn(mode, c.S, c.B, badSprime).holds);
    GramMatrix badB = c.B.clone();
    badB[x][y] -= BigInteger(1);
    EXPECT_FALSE(verifyCertificateIn(mode, c.S, badB, c.Sprime).holds);
  }
}

INSTANTIATE_TEST_SUITE_P(Certificate, CertificateModes,
                         testing::Values(VerificationMode::Exact, VerificationMode::RandomVectors));

TEST(Certificate, LargeRunsUseRandomVectors) {
  RunCertificate c = nakayamaCertificate(301, 400);
  const Verification v = verifyCertificate(c.S, c.B, c.Sprime, 17);
  EXPECT_TRUE(v.holds);
  EXPECT_EQ(v.mode, VerificationMode::RandomVectors);
  EXPECT_GE(v.vectors, 20);
  EXPECT_EQ(verificationName(v),
            std::string("random vectors (").append(std::to_string(v.vectors)).append(")"));
  c.Sprime[300][0] += BigInteger(1);
  c.Sprime[0][300] += BigInteger(1);
  EXPECT_FALSE(verifyCertificate(c.S, c.B, c.Sprime, 17).holds);
  EXPECT_FALSE(verifyCertificateIn(VerificationMode::Exact, c.S, c.B, c.Sprime).holds);
}

TEST(Certificate, SmallRunsAreExactAndShapesMustFit) {
  RunCertificate c = nakayamaCertificate(6, 5);
  const Verification v = verifyCertificate(c.S, c.B, c.Sprime);
  EXPECT_TRUE(v.holds);
  EXPECT_EQ(verificationName(v), "exact");
  EXPECT_FALSE(verifyCertificate(c.S, GramMatrix(5), c.Sprime).holds);
}

}  // namespace
