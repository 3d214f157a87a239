// Tests of the Bigraph record: matrix allocation and release, construction, deep copy,
// deleteGram and the per-row dotted counts.
#include <gtest/gtest.h>

#include "GramTestHelpers.h"

using namespace core;

using gramtest::IntRows;
using gramtest::asInts;
using gramtest::makeBigraph;
using gramtest::makeMatrix;

namespace {

const Coeffs kNone{kNoEdge, kNoEdge};

TEST(SquareMatrix, AllocatesZeroEntries) {
  BigInteger** m = allocateSqZeroMat(3);
  EXPECT_EQ(asInts(3, m), (IntRows{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(m[x][y].sign, 0);
  deleteSqMat(3, m);
}

TEST(SquareMatrix, SizeZeroHasNoRows) {
  BigInteger** m = allocateSqZeroMat(0);
  EXPECT_NE(m, nullptr);
  deleteSqMat(0, m);
}

TEST(SquareMatrix, NegativeSizeGivesTheEmptyMatrix) {
  BigInteger** m = allocateSqZeroMat(-4);
  EXPECT_NE(m, nullptr);
  deleteSqMat(-4, m);
}

TEST(SquareMatrix, DeleteSkipsMissingRowsAndMissingMatrix) {
  BigInteger** m = allocateSqZeroMat(4);
  delete[] m[1];
  m[1] = nullptr;
  delete[] m[3];
  m[3] = nullptr;
  deleteSqMat(4, m);  // the sanitizer build checks that the rest is released exactly once
  deleteSqMat(4, nullptr);
}

TEST(BigraphRecord, DefaultIsEmpty) {
  Bigraph b;
  EXPECT_EQ(b.gram, nullptr);
  EXPECT_EQ(b.n, 0);
  EXPECT_EQ(b.dottedEdges.sign, 0);
  EXPECT_EQ(b.solidEdges.sign, 0);
  EXPECT_EQ(b.findDottedEdge(), kNone);
}

TEST(BigraphRecord, VerticesWithoutEdges) {
  Bigraph b(3);
  EXPECT_EQ(b.n, 3);
  EXPECT_EQ(asInts(b), (IntRows{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
  EXPECT_EQ(b.findDottedEdge(), kNone);
}

// The record keeps the very rows of the GramMatrix it is given (no copy) and counts its edges;
// the sanitizer build checks that the record alone releases them, also for an empty matrix.
TEST(BigraphRecord, AdoptingTakesTheMatrixOver) {
  GramMatrix m = gramtest::makeGram({{1, 2, -1}, {0, 1, 1}, {0, 0, 1}});
  BigInteger** const rows = m.rows();
  auto b = std::make_unique<Bigraph>(std::move(m));
  EXPECT_EQ(b->gram, rows);
  EXPECT_TRUE(m.empty());
  EXPECT_EQ(b->n, 3);
  EXPECT_EQ(b->findDottedEdge(), (Coeffs{0, 1}));
  EXPECT_EQ(b->findDottedEdgeWiserBackwards(), (Coeffs{0, 1}));
  EXPECT_EQ(b->findDottedEdgeBackwards(), (Coeffs{1, 2}));
  for (int size : {0, -3}) {
    auto empty = std::make_unique<Bigraph>(GramMatrix(size));
    EXPECT_EQ(empty->n, 0);
    EXPECT_EQ(empty->chooseDottedEdge(EdgeRule(1)), kNone);
  }
}

TEST(BigraphRecord, ZeroVertices) {
  Bigraph fromCount(0);
  EXPECT_EQ(fromCount.n, 0);
  BigInteger** m = allocateSqZeroMat(0);
  Bigraph fromMatrix(0, m);
  deleteSqMat(0, m);
  EXPECT_EQ(fromMatrix.n, 0);
  EXPECT_NE(fromMatrix.gram, nullptr);
  EXPECT_EQ(fromMatrix.chooseDottedEdge(EdgeRule(5)), kNone);
}

TEST(BigraphRecord, CopiesEveryEntryIncludingTheLowerTriangle) {
  const IntRows rows{{1, 2, -3}, {5, 1, 0}, {-4, 7, 2}};
  auto b = makeBigraph(rows);
  EXPECT_EQ(b->n, 3);
  EXPECT_EQ(asInts(*b), rows);
}

TEST(BigraphRecord, IsIndependentOfTheCallersMatrix) {
  const IntRows rows{{1, 1}, {0, 1}};
  BigInteger** m = makeMatrix(rows);
  Bigraph b(2, m);
  m[0][1] = BigInteger(-9);
  m[1][1] = BigInteger(4);
  EXPECT_EQ(asInts(b), rows);
  deleteSqMat(2, m);
  EXPECT_EQ(asInts(b), rows);
  EXPECT_EQ(b.findDottedEdge(), (Coeffs{0, 1}));
}

TEST(BigraphRecord, DeleteGramLeavesASafeRecord) {
  auto b = makeBigraph({{1, 1, 0}, {0, 1, 1}, {0, 0, 1}});
  b->deleteGram();
  EXPECT_EQ(b->gram, nullptr);
  EXPECT_EQ(b->n, 0);
  for (int variant = 0; variant <= 5; ++variant) EXPECT_EQ(b->chooseDottedEdge(EdgeRule(variant)), kNone);
  EXPECT_THROW(b->inflation({0, 1}), std::invalid_argument);
  b->deleteGram();  // a second call releases nothing
}  // and the destructor does not release the matrix again

TEST(BigraphRecord, ReleasesTheRecognitionArrays) {
  Bigraph b(4);
  b.armLengths = new int[3]{1, 2, 3};
  b.armCount = 3;
  b.visited = new std::int16_t[4]{};
}  // the sanitizer build reports a leak or a mismatched release here

TEST(BigraphRecord, MultiplicitiesAreTheEntriesAbsoluteValues) {
  // 2 above the diagonal: a dotted edge of multiplicity 2; -3: a solid edge of multiplicity 3.
  auto b = makeBigraph({{1, 2, -3}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_EQ(b->findDottedEdgeWiser(), (Coeffs{0, 1}));
  EXPECT_THROW(b->inflation({0, 2}), InflationRefused);
}

TEST(EdgeCounts, FollowEntriesChangedByHand) {
  auto b = makeBigraph({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  EXPECT_EQ(b->findDottedEdge(), kNone);
  b->gram[1][2] = BigInteger(3);
  b->refreshEdgeCounts();
  EXPECT_EQ(b->findDottedEdge(), (Coeffs{1, 2}));
  EXPECT_EQ(b->findDottedEdgeRandomly(), (Coeffs{1, 2}));
  b->gram[1][2] = BigInteger(-3);
  b->refreshEdgeCounts();
  EXPECT_EQ(b->findDottedEdgeBackwards(), kNone);
}

TEST(EdgeCounts, LowerTrianglePokedInIsClearedByTheNextInflation) {
  auto b = makeBigraph({{1, 1, 0}, {0, 1, 1}, {0, 0, 1}});
  b->inflation({0, 1});
  b->gram[2][0] = BigInteger(6);
  b->refreshEdgeCounts();
  b->inflation(b->findDottedEdge());
  EXPECT_EQ(b->gram[2][0].sign, 0);
}

}  // namespace
