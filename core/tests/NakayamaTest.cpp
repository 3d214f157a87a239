// Tests of the Nakayama bigraph: listed rows for small (n, r), the identity for r <= 1, and the
// distance rule on every entry for a range of n and r.
#include <gtest/gtest.h>

#include "GramTestHelpers.h"

using namespace core;

using gramtest::IntRows;
using gramtest::asInts;

namespace {

struct NakayamaCase {
  const char* name;
  int n, r;
  IntRows rows;
};

class NakayamaRows : public testing::TestWithParam<NakayamaCase> {};

TEST_P(NakayamaRows, AreTheListedOnes) {
  const NakayamaCase& c = GetParam();
  BigInteger** m = NakayamaBigraph(c.n, c.r);
  EXPECT_EQ(asInts(static_cast<int>(c.rows.size()), m), c.rows);
  deleteSqMat(c.n, m);
}

const IntRows kIdentity3{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

INSTANTIATE_TEST_SUITE_P(
    Cases, NakayamaRows,
    testing::Values(
        NakayamaCase{"N4R2", 4, 2, {{1, -1, 1, -1}, {0, 1, -1, 1}, {0, 0, 1, -1}, {0, 0, 0, 1}}},
        NakayamaCase{"N5R3", 5, 3,
                     {{1, -1, 0, 1, -1}, {0, 1, -1, 0, 1}, {0, 0, 1, -1, 0},
                      {0, 0, 0, 1, -1}, {0, 0, 0, 0, 1}}},
        NakayamaCase{"N3R5OnlyThePath", 3, 5, {{1, -1, 0}, {0, 1, -1}, {0, 0, 1}}},
        NakayamaCase{"N3R3OnlyThePath", 3, 3, {{1, -1, 0}, {0, 1, -1}, {0, 0, 1}}},
        NakayamaCase{"N4R3", 4, 3, {{1, -1, 0, 1}, {0, 1, -1, 0}, {0, 0, 1, -1}, {0, 0, 0, 1}}},
        NakayamaCase{"R1Identity", 3, 1, kIdentity3},
        NakayamaCase{"R0Identity", 3, 0, kIdentity3},
        NakayamaCase{"NegativeRIdentity", 3, -4, kIdentity3},
        NakayamaCase{"OneVertex", 1, 2, {{1}}},
        NakayamaCase{"OneVertexAnyR", 1, -9, {{1}}},
        NakayamaCase{"ZeroVertices", 0, 2, {}},
        NakayamaCase{"NegativeNIsEmpty", -3, 2, {}}),
    [](const testing::TestParamInfo<NakayamaCase>& info) { return std::string(info.param.name); });

// For r >= 2: -1 when d mod r = 1, 1 when d mod r = 0, else 0, with d = column - row; zero
// below the diagonal and 1 on it.
int expectedEntry(int row, int column, int r) {
  if (row == column) return 1;
  if (row > column || r <= 1) return 0;
  const int d = column - row;
  if (d % r == 1) return -1;
  if (d % r == 0) return 1;
  return 0;
}

TEST(NakayamaEntries, FollowTheDistanceRule) {
  for (int n = 0; n <= 13; ++n) {
    for (int r = -1; r <= 15; ++r) {
      SCOPED_TRACE(testing::Message() << "n " << n << ", r " << r);
      BigInteger** m = NakayamaBigraph(n, r);
      for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y) ASSERT_EQ(m[x][y].toInt(), expectedEntry(x, y, r));
      deleteSqMat(n, m);
    }
  }
}

}  // namespace
