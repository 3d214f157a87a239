// Differential test of the run: random small bigraphs run with every rule against a plain
// reference (full scan per choice, fresh matrix per inflation), step by step.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "GramTestHelpers.h"

using namespace core;

namespace {

const Coeffs kNone{kNoEdge, kNoEdge};
using Matrix = std::vector<std::vector<BigInteger>>;

// The reference: the rules and the step written out as plainly as possible.
namespace reference {

Coeffs first(const Matrix& g) {
  const int n = static_cast<int>(g.size());
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (g[i][j] > BigInteger(0)) return {i, j};
  return kNone;
}

Coeffs last(const Matrix& g) {
  const int n = static_cast<int>(g.size());
  for (int i = n - 1; i >= 0; --i)
    for (int j = n - 1; j > i; --j)
      if (g[i][j] > BigInteger(0)) return {i, j};
  return kNone;
}

// Running maximum from zero; only a strictly greater entry replaces the remembered pair.
Coeffs highest(const Matrix& g, bool backwards) {
  const int n = static_cast<int>(g.size());
  BigInteger maximum(0);
  Coeffs where = kNone;
  auto visit = [&](int i, int j) {
    if (g[i][j] > maximum) {
      maximum = g[i][j];
      where = {i, j};
    }
  };
  if (backwards) {
    for (int i = n - 1; i >= 0; --i)
      for (int j = n - 1; j > i; --j) visit(i, j);
  } else {
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) visit(i, j);
  }
  return maximum > BigInteger(0) ? where : kNone;
}

Coeffs anyAtRandom(const Matrix& g) {
  const int n = static_cast<int>(g.size());
  std::vector<Coeffs> list;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (g[i][j] > BigInteger(0)) list.push_back({i, j});
  if (list.empty()) return kNone;
  return list[random15() % list.size()];
}

Coeffs choose(const Matrix& g, int variant) {
  switch (variant) {
    case 1: return highest(g, false);
    case 2: return last(g);
    case 3: return highest(g, true);
    case 4: return random15() < 16383 ? first(g) : last(g);
    case 5: return anyAtRandom(g);
    default: return first(g);
  }
}

BigInteger& entry(Matrix& g, int x, int y) { return x < y ? g[x][y] : g[y][x]; }

// A fresh matrix: diagonal copied, pair negated, vertex j recomputed, the rest copied; the
// lower triangle stays zero. Throws the division-by-zero message like the step does.
Matrix inflate(Matrix& g, Coeffs c) {
  const int n = static_cast<int>(g.size());
  const int i = c.i, j = c.j, lo = std::min(i, j), hi = std::max(i, j);
  Matrix next(n, std::vector<BigInteger>(n));
  for (int k = 0; k < n; ++k) next[k][k] = g[k][k];
  next[lo][hi] = -g[lo][hi];
  for (int x = 0; x < n; ++x) {
    if (x == i || x == j) continue;
    entry(next, x, i) = entry(g, x, i);
    const BigInteger q = g[lo][hi] / g[i][i];
    entry(next, x, j) = entry(g, x, j) - entry(g, x, i) * q;
  }
  for (int x = 0; x < n; ++x)
    for (int y = x + 1; y < n; ++y)
      if (x != i && x != j && y != i && y != j) next[x][y] = g[x][y];
  return next;
}

}  // namespace reference

struct RandomBigraph {
  int n;
  Matrix g;
};

// Entries -3..3 everywhere off the diagonal (the lower triangle too); diagonal mostly 1,
// sometimes 2, -2 or 0.
RandomBigraph randomBigraph(std::mt19937& rng) {
  const int n = std::uniform_int_distribution<int>(2, 7)(rng);
  std::uniform_int_distribution<int> entryValue(-3, 3), percent(0, 99);
  RandomBigraph b{n, Matrix(n, std::vector<BigInteger>(n))};
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      if (x != y) {
        b.g[x][y] = BigInteger(entryValue(rng));
        continue;
      }
      const int p = percent(rng);
      b.g[x][y] = BigInteger(p < 85 ? 1 : p < 91 ? 2 : p < 96 ? -2 : 0);
    }
  }
  return b;
}

bool sameMatrix(const Bigraph& b, const Matrix& g) {
  for (int x = 0; x < b.n; ++x)
    for (int y = 0; y < b.n; ++y)
      if (b.gram[x][y] != g[x][y]) return false;
  return true;
}

bool tooWide(const Matrix& g, BigUnsigned::Index maxBlocks) {
  for (const auto& row : g)
    for (const BigInteger& v : row)
      if (v.magnitude.length > maxBlocks) return true;
  return false;
}

// Asks for an inflation on a pair that is not a dotted edge, if there is one, and checks the
// refusal and that nothing changed (g holds the record's matrix).
void checkRefusal(Bigraph& b, const Matrix& g, std::mt19937& rng) {
  const int n = b.n;
  const int x = std::uniform_int_distribution<int>(0, n - 1)(rng);
  int y = std::uniform_int_distribution<int>(0, n - 2)(rng);
  if (y >= x) ++y;
  const BigInteger& v = g[std::min(x, y)][std::max(x, y)];
  if (v.sign > 0) return;
  const auto kind = v.sign < 0 ? InflationRefused::Kind::ContinuousEdge
                               : InflationRefused::Kind::NonConnectedPair;
  try {
    b.inflation({x, y});
    ADD_FAILURE() << "no refusal on (" << x << ", " << y << ")";
  } catch (const InflationRefused& refused) {
    EXPECT_EQ(refused.kind, kind);
    EXPECT_EQ(refused.lo, std::min(x, y) + 1);
    EXPECT_EQ(refused.hi, std::max(x, y) + 1);
  }
  EXPECT_TRUE(sameMatrix(b, g)) << "a refused step changed the matrix";
}

// One run of up to maxSteps steps, stopped early once entries pass maxBlocks blocks. The record's matrix is
// compared with the reference after every step, so after a failing step it is compared with
// the matrix from before it. Returns false after the first difference.
bool runBoth(const Matrix& start, int variant, std::uint32_t seed, std::mt19937& rng,
             int maxSteps = 200, BigUnsigned::Index maxBlocks = 16) {
  auto b = gramtest::makeBigraph(start);
  Matrix g = start;
  for (int step = 0; step < maxSteps && !tooWide(g, maxBlocks); ++step) {
    const std::uint32_t drawSeed = seed * 7919u + static_cast<std::uint32_t>(step);
    seedRandom15(drawSeed);
    const Coeffs chosen = b->chooseDottedEdge(EdgeRule(variant));
    seedRandom15(drawSeed);
    const Coeffs expected = reference::choose(g, variant);
    EXPECT_EQ(chosen, expected) << "step " << step;
    if (!(chosen == expected)) return false;
    if (chosen.i == kNoEdge) return true;
    if (step % 5 == 0) checkRefusal(*b, g, rng);

    std::optional<std::string> expectedError;
    Matrix next;
    try {
      next = reference::inflate(g, chosen);
    } catch (const char* message) {
      expectedError = message;
    }
    try {
      b->inflation(chosen);
      EXPECT_FALSE(expectedError.has_value()) << "step " << step << ": no error raised";
    } catch (const char* message) {
      EXPECT_EQ(expectedError.value_or("(none)"), message) << "step " << step;
      EXPECT_TRUE(sameMatrix(*b, g)) << "step " << step << ": a failing step changed the matrix";
      return !testing::Test::HasFailure();
    }
    if (expectedError.has_value()) return false;
    g = std::move(next);
    EXPECT_TRUE(sameMatrix(*b, g)) << "step " << step;
    if (testing::Test::HasFailure()) return false;
  }
  return true;
}

TEST(RunDifferential, EveryRuleMatchesThePlainReference) {
  std::mt19937 rng(20240607);
  for (int graph = 0; graph < 2500; ++graph) {
    const RandomBigraph start = randomBigraph(rng);
    for (int variant = 0; variant <= 5; ++variant) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", n " << start.n
                                      << ", variant " << variant);
      ASSERT_TRUE(runBoth(start.g, variant, static_cast<std::uint32_t>(graph), rng));
    }
  }
}

// Nakayama bigraphs run to the end with the deterministic rules give the same pairs and
// matrices as the reference.
TEST(RunDifferential, NakayamaRunsMatchThePlainReference) {
  std::mt19937 rng(7);
  for (int n = 2; n <= 12; ++n) {
    for (int r = 2; r <= 5; ++r) {
      BigInteger** m = NakayamaBigraph(n, r);
      Matrix g(n, std::vector<BigInteger>(n));
      for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y) g[x][y] = m[x][y];
      deleteSqMat(n, m);
      for (int variant = 0; variant <= 5; ++variant) {
        SCOPED_TRACE(testing::Message() << "n " << n << ", r " << r << ", variant " << variant);
        ASSERT_TRUE(runBoth(g, variant, static_cast<std::uint32_t>(n * 100 + r), rng));
      }
    }
  }
}

// Values at the edges of the machine-word path of the step: one and two blocks, 2^63 - 1 and
// its neighbours (the largest word the step computes in), and past 2^64.
BigInteger boundaryValue(std::mt19937& rng) {
  static const BigInteger kMagnitudes[] = {
      BigInteger(1), BigInteger(2), BigInteger(3),
      BigInteger(0xFFFFFFFFull), BigInteger(0x100000000ull), BigInteger(0x100000001ull),
      BigInteger(0x3FFFFFFFFFFFFFFFull), BigInteger(0x4000000000000000ull),
      BigInteger(0x7FFFFFFFFFFFFFFEull), BigInteger(0x7FFFFFFFFFFFFFFFull),
      BigInteger(0x8000000000000000ull), BigInteger(0xFFFFFFFFFFFFFFFFull),
      BigInteger(0xFFFFFFFFFFFFFFFFull) + BigInteger(1)};
  constexpr int kCount = sizeof kMagnitudes / sizeof kMagnitudes[0];
  const int pick = std::uniform_int_distribution<int>(-kCount, kCount)(rng);
  if (pick == 0) return BigInteger();
  const BigInteger& m = kMagnitudes[(pick < 0 ? -pick : pick) - 1];
  return pick < 0 ? -m : m;
}

// Random bigraphs whose entries sit at the word boundaries, so that products and differences
// of the step overflow a machine word on the way (and come back): every rule against the
// reference, which computes with the integer layer alone.
TEST(RunDifferential, EntriesAtTheWordBoundariesMatchThePlainReference) {
  std::mt19937 rng(6364136);
  std::uniform_int_distribution<int> size(3, 7), percent(0, 99);
  for (int graph = 0; graph < 600; ++graph) {
    const int n = size(rng);
    Matrix g(n, std::vector<BigInteger>(n));
    for (int x = 0; x < n; ++x)
      for (int y = x + 1; y < n; ++y)
        g[x][y] = percent(rng) < 40 ? BigInteger(std::uniform_int_distribution<int>(-2, 2)(rng))
                                    : boundaryValue(rng);
    for (int x = 0; x < n; ++x) {
      const int p = percent(rng);
      g[x][x] = BigInteger(p < 70 ? 1 : p < 80 ? 2 : p < 90 ? -2 : 3);
    }
    for (int variant = 0; variant <= 5; ++variant) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", variant " << variant);
      ASSERT_TRUE(runBoth(g, variant, static_cast<std::uint32_t>(graph), rng, 60));
    }
  }
}

// The highest-multiplicity rules over long runs on bigger bigraphs with few distinct values,
// so that ties are everywhere and the kept row maxima are changed many times: the choice must
// be the one of a full scan at every step.
TEST(RunDifferential, HighestRulesKeepTheirTiesOverLongRuns) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> size(8, 16), value(-1, 2), percent(0, 99);
  for (int graph = 0; graph < 150; ++graph) {
    const int n = size(rng);
    Matrix g(n, std::vector<BigInteger>(n));
    for (int x = 0; x < n; ++x) {
      g[x][x] = BigInteger(percent(rng) < 90 ? 1 : 2);
      for (int y = x + 1; y < n; ++y) g[x][y] = BigInteger(value(rng));
    }
    for (int variant : {1, 3}) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", variant " << variant);
      ASSERT_TRUE(runBoth(g, variant, static_cast<std::uint32_t>(graph), rng, 400));
    }
  }
}

// Nakayama bigraphs whose entries grow to hundreds of blocks under the highest-multiplicity
// rules: the kept maxima follow long values (rows changed whole, maxima replaced by longer
// ones step after step, quotients of several blocks) and must still give the full scan's choice.
TEST(RunDifferential, HighestRulesFollowGrowingEntries) {
  std::mt19937 rng(31);
  for (int n : {14, 20}) {
    BigInteger** m = NakayamaBigraph(n, 4);
    Matrix g(n, std::vector<BigInteger>(n));
    for (int x = 0; x < n; ++x)
      for (int y = 0; y < n; ++y) g[x][y] = m[x][y];
    deleteSqMat(n, m);
    for (int variant : {1, 3}) {
      SCOPED_TRACE(testing::Message() << "n " << n << ", variant " << variant);
      ASSERT_TRUE(runBoth(g, variant, static_cast<std::uint32_t>(n), rng, 300, 400));
    }
  }
}

// The same ties among long values: every entry a multiple -1..2 of one number of ten blocks,
// so that equal maxima are held by several long entries, which the kept maxima do not copy,
// and the entry holding one changes while others still hold it.
TEST(RunDifferential, HighestRulesKeepTiesAmongLongValues) {
  std::mt19937 rng(2718);
  std::uniform_int_distribution<int> size(6, 12), value(-1, 2), percent(0, 99);
  const BigInteger unit(BigUnsigned(1) + (BigUnsigned(3) << 300));  // ten blocks
  for (int graph = 0; graph < 80; ++graph) {
    const int n = size(rng);
    Matrix g(n, std::vector<BigInteger>(n));
    for (int x = 0; x < n; ++x) {
      g[x][x] = BigInteger(percent(rng) < 90 ? 1 : 2);
      for (int y = x + 1; y < n; ++y) g[x][y] = unit * BigInteger(value(rng));
    }
    for (int variant : {1, 3}) {
      SCOPED_TRACE(testing::Message() << "graph " << graph << ", variant " << variant);
      ASSERT_TRUE(runBoth(g, variant, static_cast<std::uint32_t>(graph), rng, 60, 60));
    }
  }
}

}  // namespace
