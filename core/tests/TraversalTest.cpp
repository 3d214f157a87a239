// Tests of the connectivity search (DFS_Visit, isConnected) and the arm walk GoThrough.
#include <gtest/gtest.h>
#include <pthread.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "ShapeBuilders.h"

using namespace core;

namespace {

using shapes::bigraphWith;
using shapes::Edges;

std::vector<int> marksOf(const Bigraph& g) {
  return std::vector<int>(g.visited, g.visited + g.n);
}

struct ConnectivityCase {
  const char* name;
  int n;
  Edges edges;
  bool connected;
};

class Connectivity : public ::testing::TestWithParam<ConnectivityCase> {};

TEST_P(Connectivity, AnswersAsExpected) {
  const ConnectivityCase& c = GetParam();
  auto g = bigraphWith(c.n, c.edges);
  EXPECT_EQ(g->isConnected(), c.connected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Connectivity,
    ::testing::Values(
        ConnectivityCase{"SingleVertex", 1, {}, true},
        ConnectivityCase{"TwoVerticesNoEdge", 2, {}, false},
        ConnectivityCase{"TwoVerticesThreeDotted", 2, {{0, 1, 3}}, true},
        ConnectivityCase{"TwoVerticesOneSolid", 2, {{0, 1, -1}}, true},
        ConnectivityCase{"TwoVerticesManySolid", 2, {{0, 1, -7}}, true},
        ConnectivityCase{"HalvesJoinedByDottedEdge", 6,
                         {{0, 1, -1}, {1, 2, -1}, {3, 4, -1}, {4, 5, -1}, {2, 3, 1}}, true},
        ConnectivityCase{"HalvesNotJoined", 6,
                         {{0, 1, -1}, {1, 2, -1}, {3, 4, -1}, {4, 5, -1}}, false},
        ConnectivityCase{"ReachedOnlyThroughLowerNeighbours", 4,
                         {{0, 3, -1}, {1, 3, 2}, {2, 3, -1}}, true},
        ConnectivityCase{"IsolatedLastVertex", 4, {{0, 1, -1}, {1, 2, -1}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectivityTest, EntriesBelowTheDiagonalDoNotJoinVertices) {
  auto g = bigraphWith(3, {{0, 1, -1}});
  g->gram[2][0] = BigInteger(-1);
  g->gram[2][1] = BigInteger(5);
  EXPECT_FALSE(g->isConnected());
}

TEST(ConnectivityTest, NoVertexIsNotConnected) {
  Bigraph g(0);
  EXPECT_FALSE(g.isConnected());
  EXPECT_NE(g.visited, nullptr);
}

TEST(ConnectivityTest, MarksExactlyTheComponentOfVertexZero) {
  auto g = bigraphWith(6, {{0, 4, -1}, {4, 2, 1}, {1, 3, -1}});
  EXPECT_FALSE(g->isConnected());
  EXPECT_EQ(marksOf(*g), (std::vector<int>{1, 0, 1, 0, 1, 0}));
}

TEST(ConnectivityTest, EachCallStartsWithFreshMarks) {
  auto g = bigraphWith(3, {{0, 1, -1}});
  EXPECT_FALSE(g->isConnected());
  g->gram[1][2] = BigInteger(-1);
  EXPECT_TRUE(g->isConnected());
  EXPECT_EQ(marksOf(*g), (std::vector<int>{1, 1, 1}));
}

TEST(DfsVisitTest, StopsAtVerticesMarkedByEarlierCalls) {
  auto g = bigraphWith(4, {{0, 1, -1}, {1, 2, -1}, {2, 3, -1}});
  g->isConnected();
  std::fill(g->visited, g->visited + 4, 0);
  g->visited[2] = 1;
  g->DFS_Visit(0);
  EXPECT_EQ(marksOf(*g), (std::vector<int>{1, 1, 1, 0}));
  g->DFS_Visit(3);
  EXPECT_EQ(marksOf(*g), (std::vector<int>{1, 1, 1, 1}));
}

TEST(DfsVisitTest, MakesItsMarksWhenNoneAreThere) {
  auto g = bigraphWith(3, {{1, 2, 4}});
  g->DFS_Visit(2);
  EXPECT_EQ(marksOf(*g), (std::vector<int>{0, 1, 1}));
}

TEST(DfsVisitTest, RefusesVerticesOutsideTheBigraph) {
  auto g = bigraphWith(3, {});
  EXPECT_THROW(g->DFS_Visit(-1), std::out_of_range);
  EXPECT_THROW(g->DFS_Visit(3), std::out_of_range);
  Bigraph empty(0);
  EXPECT_THROW(empty.DFS_Visit(0), std::out_of_range);
}

// A search whose depth follows the path length would need far more than this small stack.
void* connectedOnSmallStack(void* bigraph) {
  static bool answer;
  answer = static_cast<Bigraph*>(bigraph)->isConnected();
  return &answer;
}

TEST(DfsVisitTest, LongPathNeedsNoDeepCallStack) {
  const int n = 1000;
  auto g = bigraphWith(n, shapes::renumbered(shapes::pathEdges(n), shapes::shuffledVertices(n, 7)));
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 32 * 1024), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, connectedOnSmallStack, g.get()), 0);
  void* result = nullptr;
  ASSERT_EQ(pthread_join(thread, &result), 0);
  pthread_attr_destroy(&attributes);
  EXPECT_TRUE(*static_cast<bool*>(result));
  EXPECT_EQ(marksOf(*g), std::vector<int>(n, 1));
}

struct WalkCase {
  const char* name;
  int n;
  Edges edges;
  int from;
  int start;
  int length;
};

class ArmWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(ArmWalk, CountsTheVerticesOfTheArm) {
  const WalkCase& c = GetParam();
  auto g = bigraphWith(c.n, c.edges);
  EXPECT_EQ(g->GoThrough(c.from, c.start), c.length);
}

const Edges kPath4 = {{0, 1, -1}, {1, 2, -1}, {2, 3, -1}};
const Edges kStar = {{0, 2, -1}, {1, 2, -1}, {2, 3, -1}, {3, 4, -1}};

INSTANTIATE_TEST_SUITE_P(
    Cases, ArmWalk,
    ::testing::Values(
        WalkCase{"PathAwayFromZero", 4, kPath4, 0, 1, 3},
        WalkCase{"PathTowardsItsEnd", 4, kPath4, 1, 0, 1},
        WalkCase{"PathFromTheFarEnd", 4, kPath4, 3, 2, 3},
        WalkCase{"StarLongArm", 5, kStar, 2, 3, 2},
        WalkCase{"StarShortArm", 5, kStar, 2, 0, 1},
        WalkCase{"StarLowerArm", 5, kStar, 2, 1, 1},
        WalkCase{"PathNumberedDownwards", 5, {{4, 3, -1}, {3, 2, -1}, {2, 1, -1}, {1, 0, -1}},
                 4, 3, 4},
        WalkCase{"PathNumberedAcross", 5, {{0, 4, -1}, {4, 1, -1}, {1, 3, -1}, {3, 2, -1}},
                 0, 4, 4},
        WalkCase{"DottedEdgeEndsTheArm", 4, {{0, 1, -1}, {1, 2, 1}, {2, 3, -1}}, 0, 1, 1},
        WalkCase{"DoubleSolidEdgeEndsTheArm", 4, {{0, 1, -1}, {1, 2, -2}, {2, 3, -1}}, 0, 1, 1},
        WalkCase{"TriangleEndsBeforeReturning", 3, {{0, 1, -1}, {1, 2, -1}, {0, 2, -1}}, 0, 1, 2},
        WalkCase{"CycleOfSixEnds", 6, shapes::cycleEdges(6), 0, 1, 5},
        WalkCase{"CycleBehindATail", 5,
                 {{0, 1, -1}, {1, 2, -1}, {2, 3, -1}, {3, 4, -1}, {2, 4, -1}}, 0, 1, 4},
        WalkCase{"IsolatedStart", 3, {}, 0, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArmWalkTest, ReadsNoEntryBelowTheDiagonal) {
  auto g = bigraphWith(3, {{0, 1, -1}});
  g->gram[2][1] = BigInteger(-1);
  EXPECT_EQ(g->GoThrough(0, 1), 1);
}

TEST(ArmWalkTest, RefusesAStartOutsideTheBigraph) {
  auto g = bigraphWith(3, {{0, 1, -1}});
  EXPECT_THROW(g->GoThrough(0, 3), std::out_of_range);
  EXPECT_THROW(g->GoThrough(0, -1), std::out_of_range);
}

}  // namespace

// A recognition keeps neighbour lists for its arm walks only while it runs: a later walk reads
// the matrix as it is then.
TEST(GoThroughAfterRecognition, ReadsTheMatrixAsItIsNow) {
  auto g = shapes::bigraphWith(4, {{0, 1, -1}, {1, 2, -1}, {1, 3, -1}});  // D_4, arms walked
  g->recognizeBigraphProperties();
  ASSERT_EQ(g->dynkinType, 2);
  EXPECT_EQ(g->GoThrough(1, 0), 1);
  g->gram[0][2] = BigInteger(-1);
  EXPECT_EQ(g->GoThrough(1, 0), 2);
}
