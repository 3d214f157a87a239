// Tests of shape recognition: one case per outcome, the star arm table, the D~ trees, the
// counts and flags, and the arm comparator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "ArmLengthOrder.h"
#include "ShapeBuilders.h"

using namespace core;

namespace {

using shapes::bigraphWith;
using shapes::Edges;

// The shape fields that recognition sets, for comparing a result with what is expected.
struct ShapeFields {
  int dynkin = 0;
  int euclidean = 0;
  bool star = false;
  bool tree = false;
  bool withCycles = false;
};

bool operator==(const ShapeFields& a, const ShapeFields& b) {
  return a.dynkin == b.dynkin && a.euclidean == b.euclidean && a.star == b.star &&
         a.tree == b.tree && a.withCycles == b.withCycles;
}

void PrintTo(const ShapeFields& f, std::ostream* os) {
  *os << "{dynkin " << f.dynkin << ", euclidean " << f.euclidean << ", star " << f.star
      << ", tree " << f.tree << ", withCycles " << f.withCycles << "}";
}

ShapeFields shapeOf(const Bigraph& g) {
  return {g.dynkinType, g.euclideanType, g.star, g.tree, g.withCycles};
}

ShapeFields dynkin(int type, bool star = false) { return {type, 0, star, true, false}; }
ShapeFields euclideanTree(int type, bool star) { return {0, type, star, true, false}; }
const ShapeFields kNoShape{};

std::vector<int> armsOf(const Bigraph& g) {
  return std::vector<int>(g.armLengths, g.armLengths + g.armCount);
}

// A bigraph with its diagonal entry at vertex v changed.
std::unique_ptr<Bigraph> withDiagonal(std::unique_ptr<Bigraph> g, int v, int value) {
  g->gram[v][v] = BigInteger(value);
  return g;
}

struct OutcomeCase {
  const char* name;
  int n;
  Edges edges;
  ShapeFields expected;
};

class Outcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(Outcome, SetsTheShapeFieldsOfItsRow) {
  const OutcomeCase& c = GetParam();
  auto g = bigraphWith(c.n, c.edges);
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Outcome,
    ::testing::Values(
        OutcomeCase{"Kronecker", 2, {{0, 1, -2}}, {0, 1, false, false, false}},
        OutcomeCase{"SingleVertex", 1, {}, {1, 0, false, false, false}},
        OutcomeCase{"Cycle", 5, shapes::cycleEdges(5), {0, 1, false, false, false}},
        OutcomeCase{"Path", 4, shapes::pathEdges(4), dynkin(1)},
        OutcomeCase{"FourArmsOnFiveVertices", 5, {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {0, 4, -1}},
                    euclideanTree(2, true)},
        OutcomeCase{"StarInTheTable", 6,
                    {{0, 1, -1}, {0, 2, -1}, {2, 3, -1}, {0, 4, -1}, {4, 5, -1}}, dynkin(3, true)},
        OutcomeCase{"OtherStar", 8,
                    {{0, 1, -1}, {1, 2, -1}, {0, 3, -1}, {3, 4, -1}, {0, 5, -1}, {5, 6, -1},
                     {6, 7, -1}},
                    {0, 0, true, true, false}},
        OutcomeCase{"TwoBranchingsWithLeaves", 6,
                    {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {1, 4, -1}, {1, 5, -1}},
                    euclideanTree(2, false)},
        OutcomeCase{"OtherTree", 7,
                    {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {1, 4, -1}, {1, 5, -1}, {5, 6, -1}},
                    {0, 0, false, true, false}},
        OutcomeCase{"TriangleWithTail", 4, {{0, 1, -1}, {1, 2, -1}, {0, 2, -1}, {2, 3, -1}},
                    {0, 0, false, false, true}},
        OutcomeCase{"DottedEdge", 3, {{0, 1, -1}, {1, 2, 1}}, kNoShape},
        OutcomeCase{"DoubleSolidEdgeOnThree", 3, {{0, 1, -2}, {1, 2, -1}}, kNoShape},
        OutcomeCase{"WildEdge", 2, {{0, 1, -3}}, kNoShape},
        OutcomeCase{"Disconnected", 4, {{0, 1, -1}, {2, 3, -1}}, kNoShape}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutcomeTest, LoopsGiveNoShape) {
  auto single = withDiagonal(bigraphWith(1, {}), 0, 2);
  single->recognizeBigraphProperties();
  EXPECT_FALSE(single->loopFree);
  EXPECT_EQ(shapeOf(*single), kNoShape);

  auto path = withDiagonal(bigraphWith(3, shapes::pathEdges(3)), 1, 0);
  path->recognizeBigraphProperties();
  EXPECT_FALSE(path->loopFree);
  EXPECT_EQ(shapeOf(*path), kNoShape);

  auto kronecker = withDiagonal(bigraphWith(2, {{0, 1, -2}}), 0, -1);
  kronecker->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*kronecker), kNoShape);
}

TEST(OutcomeTest, NoVertexGivesNoShape) {
  Bigraph g(0);
  g.recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(g), kNoShape);
  EXPECT_FALSE(g.connected);
  EXPECT_TRUE(g.loopFree);
  EXPECT_EQ(g.ramifications, 0);
  EXPECT_EQ(g.leaves, 0);
}

struct StarCase {
  std::vector<int> arms;  // as built, in any order
  int dynkin;
  int euclidean;
  std::vector<int> sortedArms;
};

class StarArms : public ::testing::TestWithParam<StarCase> {};

TEST_P(StarArms, DecidesByTheSortedArmLengths) {
  const StarCase& c = GetParam();
  auto g = shapes::star(c.arms);
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), (ShapeFields{c.dynkin, c.euclidean, true, true, false}));
  EXPECT_EQ(armsOf(*g), c.sortedArms);
  EXPECT_EQ(g->ramifications, 1);
  EXPECT_EQ(g->leaves, static_cast<int>(c.arms.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, StarArms,
    ::testing::Values(StarCase{{1, 1, 1}, 2, 0, {1, 1, 1}},          // D_4
                      StarCase{{1, 6, 1}, 2, 0, {1, 1, 6}},          // D_9
                      StarCase{{2, 1, 2}, 3, 0, {1, 2, 2}},          // E_6
                      StarCase{{3, 2, 1}, 3, 0, {1, 2, 3}},          // E_7
                      StarCase{{4, 1, 2}, 3, 0, {1, 2, 4}},          // E_8
                      StarCase{{2, 2, 2}, 0, 3, {2, 2, 2}},          // E~_6
                      StarCase{{3, 1, 3}, 0, 3, {1, 3, 3}},          // E~_7
                      StarCase{{5, 2, 1}, 0, 3, {1, 2, 5}},          // E~_8
                      StarCase{{1, 2, 6}, 0, 0, {1, 2, 6}},          // wild
                      StarCase{{4, 3, 1}, 0, 0, {1, 3, 4}},          // wild
                      StarCase{{2, 3, 2}, 0, 0, {2, 2, 3}},          // wild
                      StarCase{{2, 1, 1, 1}, 0, 0, {1, 1, 1, 2}},    // four arms, six vertices
                      StarCase{{1, 1, 1, 1, 1}, 0, 0, {1, 1, 1, 1, 1}},
                      StarCase{{3, 1, 2, 1, 5}, 0, 0, {1, 1, 2, 3, 5}}),
    [](const auto& info) { return shapes::armsName(info.param.arms); });

TEST(StarTest, FourArmsOnFiveVerticesWriteNoArms) {
  auto g = shapes::star({1, 1, 1, 1});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), euclideanTree(2, true));
  EXPECT_EQ(g->armLengths, nullptr);
  EXPECT_EQ(g->armCount, 0);
}

TEST(StarTest, CentreAnywhereInTheNumbering) {
  // Centre 4; arms 4-0, 4-2-5 and 4-1-3-6: E_7 whichever way the walks run.
  auto g = bigraphWith(7, {{0, 4, -1}, {2, 4, -1}, {2, 5, -1}, {1, 4, -1}, {1, 3, -1}, {3, 6, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), dynkin(3, true));
  EXPECT_EQ(armsOf(*g), (std::vector<int>{1, 2, 3}));
}

TEST(TwoBranchingsTest, DTildeOnSixVertices) {
  auto g = bigraphWith(6, {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {1, 4, -1}, {1, 5, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), euclideanTree(2, false));
  EXPECT_EQ(g->ramifications, 2);
  EXPECT_EQ(g->leaves, 4);
  // The arm towards the other branching follows the first onward edge only.
  EXPECT_EQ(armsOf(*g), (std::vector<int>{1, 1, 2}));
}

TEST(TwoBranchingsTest, ALongerLeafMakesAWildTree) {
  auto g = bigraphWith(7, {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {1, 4, -1}, {1, 5, -1}, {5, 6, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), (ShapeFields{0, 0, false, true, false}));
  EXPECT_EQ(g->ramifications, 2);
  EXPECT_EQ(g->leaves, 4);
}

TEST(TwoBranchingsTest, FirstBranchingWithoutTwoLeavesStopsEarly) {
  // Vertex 0 has arms 2, 2 and one through vertex 3, which has two leaves: vertex 0 decides.
  auto g = bigraphWith(9, {{0, 1, -1}, {1, 2, -1}, {0, 4, -1}, {4, 5, -1}, {0, 3, -1},
                           {3, 6, -1}, {3, 7, -1}, {7, 8, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), (ShapeFields{0, 0, false, true, false}));
  EXPECT_EQ(armsOf(*g), (std::vector<int>{2, 2, 2}));
}

TEST(TwoBranchingsTest, DegreesOtherThanThreeMakeAWildTree) {
  auto g = bigraphWith(7, {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}, {0, 6, -1}, {1, 4, -1}, {1, 5, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), (ShapeFields{0, 0, false, true, false}));
  EXPECT_EQ(g->ramifications, 2);
  EXPECT_EQ(g->leaves, 5);
}

TEST(CountsTest, SumsAndFlagsOverTheUpperTriangle) {
  auto g = bigraphWith(4, {{0, 1, 2}, {0, 2, -1}, {1, 3, 5}, {2, 3, -4}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(g->dottedEdges, BigInteger(7));
  EXPECT_EQ(g->solidEdges, BigInteger(5));
  EXPECT_TRUE(g->multipleEdges);
  EXPECT_TRUE(g->wildEdges);
  EXPECT_TRUE(g->connected);
  EXPECT_TRUE(g->loopFree);
}

TEST(CountsTest, DoubleEdgesAreMultipleButNotWild) {
  auto g = bigraphWith(3, {{0, 1, -2}, {1, 2, 2}});
  g->recognizeBigraphProperties();
  EXPECT_TRUE(g->multipleEdges);
  EXPECT_FALSE(g->wildEdges);
}

TEST(CountsTest, KroneckerIsMultiple) {
  auto g = bigraphWith(2, {{0, 1, -2}});
  g->recognizeBigraphProperties();
  EXPECT_TRUE(g->multipleEdges);
  EXPECT_FALSE(g->wildEdges);
  EXPECT_EQ(g->solidEdges, BigInteger(2));
}

TEST(CountsTest, EntriesWiderThanOneBlockAddUpExactly) {
  BigInteger wide(1);
  for (int k = 0; k < 70; ++k) wide = wide * BigInteger(2);
  auto g = bigraphWith(3, {{0, 1, 5}, {1, 2, -3}});
  g->gram[0][2] = wide;
  g->recognizeBigraphProperties();
  EXPECT_EQ(g->dottedEdges, wide + BigInteger(5));
  EXPECT_EQ(g->solidEdges, BigInteger(3));
  EXPECT_TRUE(g->wildEdges);
}

TEST(CountsTest, OneDottedEdgeLeftSetsOnlyCountsAndFlags) {
  // A path on five vertices whose middle edge is still dotted.
  auto g = bigraphWith(5, {{0, 1, -1}, {1, 2, 1}, {2, 3, -1}, {3, 4, -1}});
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), kNoShape);
  EXPECT_EQ(g->dottedEdges, BigInteger(1));
  EXPECT_EQ(g->solidEdges, BigInteger(3));
  EXPECT_TRUE(g->connected);
  EXPECT_FALSE(g->multipleEdges);
  EXPECT_EQ(g->leaves, 0);
  EXPECT_EQ(g->ramifications, 0);
}

TEST(CountsTest, EntriesBelowTheDiagonalAreIgnored) {
  auto g = bigraphWith(4, shapes::pathEdges(4));
  g->gram[2][0] = BigInteger(-1);
  g->gram[3][0] = BigInteger(7);
  g->gram[3][1] = BigInteger(-3);
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), dynkin(1));
  EXPECT_EQ(g->dottedEdges, BigInteger(0));
  EXPECT_EQ(g->solidEdges, BigInteger(3));
  EXPECT_FALSE(g->multipleEdges);
  EXPECT_EQ(g->leaves, 2);
}

TEST(CountsTest, ASecondRecognitionStartsAfresh) {
  auto g = bigraphWith(4, {{0, 1, -1}, {1, 2, -1}, {0, 2, -1}, {2, 3, 3}});
  g->recognizeBigraphProperties();
  EXPECT_TRUE(g->wildEdges);
  g->gram[2][3] = BigInteger(0);
  g->gram[0][2] = BigInteger(0);
  g->gram[0][3] = BigInteger(-1);
  g->recognizeBigraphProperties();
  EXPECT_EQ(shapeOf(*g), dynkin(1));
  EXPECT_FALSE(g->wildEdges);
  EXPECT_FALSE(g->multipleEdges);
  EXPECT_EQ(g->dottedEdges, BigInteger(0));
  EXPECT_EQ(g->solidEdges, BigInteger(3));
  EXPECT_EQ(g->leaves, 2);
}

TEST(ComparatorTest, GivesTheDifference) {
  const int five = 5, two = 2, minimum = INT_MIN, maximum = INT_MAX;
  EXPECT_EQ(cmpfunc(&five, &two), 3);
  EXPECT_EQ(cmpfunc(&two, &five), -3);
  EXPECT_EQ(cmpfunc(&two, &two), 0);
  EXPECT_LT(cmpfunc(&minimum, &maximum), 0);
  EXPECT_GT(cmpfunc(&maximum, &minimum), 0);
}

TEST(ComparatorTest, SortsAscendingWithQsort) {
  int values[] = {4, -2, INT_MAX, 1, INT_MIN, 1, 0};
  std::qsort(values, 7, sizeof(int), cmpfunc);
  EXPECT_EQ(std::vector<int>(values, values + 7),
            (std::vector<int>{INT_MIN, -2, 0, 1, 1, 4, INT_MAX}));
}

}  // namespace
