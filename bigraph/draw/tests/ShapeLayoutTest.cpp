// Shape recognition and the geometry of the shape and circle layouts.
#include <gtest/gtest.h>

#include <cmath>

#include "DrawTestHelpers.h"
#include "NormalForm.h"
#include "Shape.h"
#include "ShapeWords.h"

using namespace core;
using namespace bigraph;

namespace bigraph::draw {
namespace {

using shapes::Edges;

struct ShapeCase {
  std::string label;
  int n;
  Edges edges;
  std::string name;
  ShapeKind kind;
};

ShapeCase starCase(const std::string& label, const std::vector<int>& arms, const std::string& name) {
  int n = 0;
  Edges edges = shapes::starEdges(arms, n);
  return {label, n, edges, name, ShapeKind::Star};
}

ShapeCase dTildeCase(int m) {
  int n = 0;
  Edges edges = shapes::dTildeEdges(m, n);
  return {"DTilde" + std::to_string(m), n, edges, "D~_" + std::to_string(m), ShapeKind::TwoBranches};
}

std::vector<ShapeCase> shapeCases() {
  return {
      {"A5", 5, shapes::pathEdges(5), "A_5", ShapeKind::Path},
      starCase("D6", {1, 1, 3}, "D_6"),
      starCase("E6", {1, 2, 2}, "E_6"),
      starCase("E8", {1, 2, 4}, "E_8"),
      dTildeCase(5),
      dTildeCase(7),
      starCase("ETilde6", {2, 2, 2}, "E~_6"),
      starCase("Star1234", {1, 2, 3, 4}, "star [1,2,3,4]"),
      starCase("Star7Arms", {2, 1, 1, 3, 1, 2, 1}, "star [1,1,1,1,2,2,3]"),
      {"Cycle6", 6, shapes::cycleEdges(6), "A~_5", ShapeKind::Cycle},
  };
}

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
double cross(Point o, Point a, Point b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }

// Proper crossing of segments ab and cd that share no end.
bool segmentsCross(Point a, Point b, Point c, Point d) {
  const double d1 = cross(a, b, c), d2 = cross(a, b, d), d3 = cross(c, d, a), d4 = cross(c, d, b);
  return ((d1 > 1e-9 && d2 < -1e-9) || (d1 < -1e-9 && d2 > 1e-9)) &&
         ((d3 > 1e-9 && d4 < -1e-9) || (d3 < -1e-9 && d4 > 1e-9));
}

double closestPair(const std::vector<Point>& at) {
  double closest = 1e300;
  for (std::size_t i = 0; i < at.size(); ++i)
    for (std::size_t j = i + 1; j < at.size(); ++j) closest = std::min(closest, distance(at[i], at[j]));
  return closest;
}

void expectNoCrossings(const Structure& s, const std::vector<Point>& at) {
  std::vector<std::pair<int, int>> edges;
  for (int v = 0; v < s.n; ++v)
    for (int w : s.neighbours[v])
      if (v < w) edges.push_back({v, w});
  for (std::size_t e = 0; e < edges.size(); ++e)
    for (std::size_t f = e + 1; f < edges.size(); ++f) {
      const auto [a, b] = edges[e];
      const auto [c, d] = edges[f];
      if (a == c || a == d || b == c || b == d) continue;
      EXPECT_FALSE(segmentsCross(at[a], at[b], at[c], at[d]))
          << "edges " << a + 1 << "-" << b + 1 << " and " << c + 1 << "-" << d + 1 << " cross";
    }
}

// Every vertex of degree 2 in a tree drawing has its neighbours straight on either side of it:
// paths are collinear and arms run straight from their branch vertex.
void expectStraightThroughDegreeTwo(const Structure& s, const std::vector<Point>& at) {
  for (int v = 0; v < s.n; ++v) {
    if (s.neighbours[v].size() != 2) continue;
    const Point a = at[s.neighbours[v][0]], b = at[s.neighbours[v][1]];
    EXPECT_NEAR(cross(at[v], a, b), 0, 1e-9) << "vertex " << v + 1 << " bends its arm";
    EXPECT_LT((a.x - at[v].x) * (b.x - at[v].x) + (a.y - at[v].y) * (b.y - at[v].y), 0)
        << "vertex " << v + 1 << " folds its arm back";
  }
}

void expectEdgesOfUnitLength(const Structure& s, const std::vector<Point>& at, double length) {
  for (int v = 0; v < s.n; ++v)
    for (int w : s.neighbours[v]) EXPECT_NEAR(distance(at[v], at[w]), length, 1e-9);
}

class ShapeLayoutTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeLayoutTest, RecognisedAndDrawnInItsStandardGeometry) {
  const ShapeCase& c = GetParam();
  // The shape and its drawing do not depend on how the vertices are numbered.
  for (const std::uint32_t seed : {0u, 7u, 1234u}) {
    SCOPED_TRACE("renumbering seed " + std::to_string(seed));
    const Edges edges =
        seed == 0 ? c.edges : shapes::renumbered(c.edges, shapes::shuffledVertices(c.n, seed));
    const Structure s = structureOf(drawtest::matrixOf(c.n, edges));
    const Shape shape = recognizeShape(s);
    EXPECT_EQ(shape.name, c.name);
    EXPECT_EQ(shape.kind, c.kind);
    // A diagram carries its type, which spells the name; a description carries none.
    EXPECT_EQ(shape.type.has_value(), c.name.rfind("star", 0) != 0);
    if (shape.type) {
      EXPECT_EQ(shape.type->captionName(), c.name);
    }
    const auto at = shapeLayout(s);
    ASSERT_TRUE(at.has_value());
    ASSERT_EQ(static_cast<int>(at->size()), c.n);
    EXPECT_GE(closestPair(*at), 0.99);
    expectNoCrossings(s, *at);
    if (c.kind != ShapeKind::Cycle) expectStraightThroughDegreeTwo(s, *at);
    if (c.kind == ShapeKind::Path || c.kind == ShapeKind::TwoBranches ||
        (c.kind == ShapeKind::Star && s.n < 12 && c.label != "Star7Arms"))
      expectEdgesOfUnitLength(s, *at, 1.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ShapeLayoutTest, ::testing::ValuesIn(shapeCases()),
                         [](const auto& info) { return info.param.label; });

TEST(ShapeLayout, PathLiesOnAHorizontalLineFromItsLowerNumberedEnd) {
  const Structure s = structureOf(drawtest::matrixOf(5, {{3, 1, -1}, {1, 4, -1}, {4, 0, -1}, {0, 2, -1}}));
  const auto at = shapeLayout(s);
  ASSERT_TRUE(at);
  // The path 3-1-4-0-2 (0-based), drawn from vertex 2 (0-based), its lower-numbered end.
  const std::vector<int> order{2, 0, 4, 1, 3};
  for (std::size_t k = 0; k < order.size(); ++k) {
    EXPECT_DOUBLE_EQ((*at)[order[k]].x, static_cast<double>(k));
    EXPECT_DOUBLE_EQ((*at)[order[k]].y, 0);
  }
}

TEST(ShapeLayout, ExceptionalStarsKeepTheirLongArmsOnOneLineAndTheShortOneAcross) {
  const Structure s = structureOf(upperGramOf(*shapes::star({1, 2, 4})));
  const auto at = shapeLayout(s);
  ASSERT_TRUE(at);
  // star({1,2,4}): centre 0, arm 1; arm 2,3; arm 4..7.
  for (int v : {2, 3, 4, 5, 6, 7}) EXPECT_NEAR((*at)[v].y, 0, 1e-12) << v;
  EXPECT_NEAR((*at)[1].x, 0, 1e-12);
  EXPECT_LT((*at)[1].y, 0);
  EXPECT_LT((*at)[7].x, 0);  // the longest arm goes left
  EXPECT_GT((*at)[3].x, 0);
}

TEST(ShapeLayout, DTildeHasTwoForksOfLeaves) {
  int n = 0;
  const Edges edges = shapes::dTildeEdges(5, n);
  const Structure s = structureOf(drawtest::matrixOf(n, edges));
  const auto at = shapeLayout(s);
  ASSERT_TRUE(at);
  // Spine 0-1 on the line; leaves 2, 3 of vertex 0 to the left, 4, 5 of vertex 1 to the right.
  EXPECT_NEAR((*at)[0].y, (*at)[1].y, 1e-12);
  for (int leaf : {2, 3}) EXPECT_LT((*at)[leaf].x, (*at)[0].x);
  for (int leaf : {4, 5}) EXPECT_GT((*at)[leaf].x, (*at)[1].x);
  EXPECT_NEAR((*at)[2].y, -(*at)[3].y, 1e-12);
}

TEST(ShapeLayout, CycleLiesOnACircleWithVertexOneAtTheTop) {
  const Structure s = structureOf(drawtest::matrixOf(7, shapes::cycleEdges(7)));
  const auto at = shapeLayout(s);
  ASSERT_TRUE(at);
  const double radius = std::hypot((*at)[0].x, (*at)[0].y);
  for (const Point& p : *at) EXPECT_NEAR(std::hypot(p.x, p.y), radius, 1e-9);
  EXPECT_NEAR((*at)[0].x, 0, 1e-12);
  EXPECT_GT((*at)[0].y, 0);
  EXPECT_GT((*at)[1].x, 0);  // clockwise
  expectEdgesOfUnitLength(s, *at, distance((*at)[0], (*at)[1]));
}

TEST(ShapeLayout, GeneralTreeHasLayersWithoutOverlaps) {
  // Two branch vertices of degree 4 joined by a path, with arms of several lengths.
  const Edges edges{{0, 1, -1}, {1, 2, -1}, {0, 3, -1}, {0, 4, -1}, {0, 5, -1}, {5, 6, -1},
                    {2, 7, -1}, {2, 8, -1}, {2, 9, -1}, {9, 10, -1}, {10, 11, -1}};
  const Structure s = structureOf(drawtest::matrixOf(12, edges));
  EXPECT_EQ(recognizeShape(s).kind, ShapeKind::Tree);
  EXPECT_EQ(recognizeShape(s).name, "tree");
  const auto at = shapeLayout(s);
  ASSERT_TRUE(at);
  EXPECT_GE(closestPair(*at), 0.99);
  expectNoCrossings(s, *at);
}

TEST(ShapeLayout, GraphsWithSeveralCyclesOrComponentsHaveNoShapeDrawing) {
  const Edges twoCycles{{0, 1, -1}, {1, 2, -1}, {2, 0, -1}, {2, 3, -1}, {3, 4, -1}, {4, 2, -1}};
  const Edges twoPaths{{0, 1, -1}, {2, 3, -1}};
  EXPECT_FALSE(shapeLayout(structureOf(drawtest::matrixOf(5, twoCycles))));
  EXPECT_FALSE(shapeLayout(structureOf(drawtest::matrixOf(4, twoPaths))));
  EXPECT_EQ(recognizeShape(structureOf(drawtest::matrixOf(4, twoPaths))).name, "not connected");
}

// The normal forms of corank 2 and 3: the Euclidean part in its shape drawing, each twin one
// unit from its original and clear of every other vertex.
TEST(ShapeLayout, TwinsStandBesideTheirOriginal) {
  for (const DiagramType& t : {DiagramType::withCorank(DiagramFamily::E, 7, 2),
                               DiagramType::withCorank(DiagramFamily::D, 5, 3),
                               DiagramType::withCorank(DiagramFamily::A, 4, 3)}) {
    SCOPED_TRACE(normalFormName(t));
    const GramMatrix g = canonicalGram(t);
    const auto at = shapeLayoutWithTwins(g);
    ASSERT_TRUE(at.has_value());
    GramMatrix euclidean(t.rank + 1);
    for (int a = 0; a <= t.rank; ++a)
      for (int b = a; b <= t.rank; ++b) euclidean[a][b] = g[a][b];
    const auto base = shapeLayout(structureOf(euclidean));
    ASSERT_TRUE(base.has_value());
    for (int v = 0; v <= t.rank; ++v) {
      EXPECT_DOUBLE_EQ((*at)[v].x, (*base)[v].x);
      EXPECT_DOUBLE_EQ((*at)[v].y, (*base)[v].y);
    }
    const Point ext = (*at)[t.rank];
    for (int v = t.rank + 1; v < static_cast<int>(g.size()); ++v) {
      const double d = std::hypot((*at)[v].x - ext.x, (*at)[v].y - ext.y);
      EXPECT_NEAR(d, (v - t.rank + 1) / 2, 1e-9);
      for (int w = 0; w < v; ++w)
        EXPECT_GT(std::hypot((*at)[v].x - (*at)[w].x, (*at)[v].y - (*at)[w].y), 0.5);
    }
  }
}

// Each component in its own standard drawing, side by side in the order of their first vertices:
// here the path 1-3-5, the D_4 star on 2, 4, 6, 7, the lone vertex 8 and a graph with two cycles.
TEST(ShapeLayout, ComponentsOfADisconnectedBigraphEachInTheirOwnDrawing) {
  const Edges path{{0, 2, -1}, {2, 4, -1}};
  const Edges star{{1, 3, -1}, {1, 5, -1}, {1, 6, -1}};
  const Edges cycles{{8, 9, -1}, {9, 10, -1}, {10, 8, -1}, {10, 11, -1}, {11, 12, -1}, {12, 10, -1}};
  Edges all = path;
  all.insert(all.end(), star.begin(), star.end());
  all.insert(all.end(), cycles.begin(), cycles.end());
  const GramMatrix g = drawtest::matrixOf(13, all);
  const auto at = shapeLayoutWithTwins(g);
  ASSERT_TRUE(at.has_value());
  const std::vector<std::vector<int>> components{{0, 2, 4}, {1, 3, 5, 6}, {7}, {8, 9, 10, 11, 12}};
  // Each component keeps the geometry of its own drawing, only moved.
  const Edges alone[] = {{{0, 1, -1}, {1, 2, -1}}, {{0, 1, -1}, {0, 2, -1}, {0, 3, -1}}, {},
                         {{0, 1, -1}, {1, 2, -1}, {2, 0, -1}, {2, 3, -1}, {3, 4, -1}, {4, 2, -1}}};
  double previousRight = -1e300;
  for (std::size_t c = 0; c < components.size(); ++c) {
    const std::vector<int>& vs = components[c];
    const int k = static_cast<int>(vs.size());
    const GramMatrix part = drawtest::matrixOf(k, alone[c]);
    const std::vector<Point> own = shapeLayout(structureOf(part)).value_or(circleLayout(k));
    const Point shift{(*at)[vs[0]].x - own[0].x, (*at)[vs[0]].y - own[0].y};
    double left = 1e300, right = -1e300;
    for (int a = 0; a < k; ++a) {
      EXPECT_NEAR((*at)[vs[a]].x, own[a].x + shift.x, 1e-9) << "vertex " << vs[a] + 1;
      EXPECT_NEAR((*at)[vs[a]].y, own[a].y + shift.y, 1e-9) << "vertex " << vs[a] + 1;
      left = std::min(left, (*at)[vs[a]].x);
      right = std::max(right, (*at)[vs[a]].x);
    }
    EXPECT_GE(left, previousRight + 1) << "component " << c + 1;
    previousRight = right;
  }
}

struct WordsCase {
  std::string label;
  int n;
  Edges edges;
  std::vector<int> loops;  // vertices whose diagonal entry is 2
  std::string words;
};

TEST(ShapeWords, PlainWordsForWhatTheGraphIs) {
  int starN = 0, tildeN = 0;
  const Edges star = shapes::starEdges({1, 2, 3, 4}, starN);
  const Edges dTilde = shapes::dTildeEdges(5, tildeN);
  const Edges twoCycles{{0, 1, -1}, {1, 2, -1}, {2, 0, -1}, {2, 3, -1}, {3, 4, -1}, {4, 2, -1}};
  const WordsCase cases[] = {
      {"Dynkin", 5, shapes::pathEdges(5), {}, "Dynkin graph A_5"},
      {"Euclidean", tildeN, dTilde, {}, "Euclidean graph D~_5"},
      {"Cycle", 6, shapes::cycleEdges(6), {}, "Euclidean graph A~_5"},
      {"Kronecker", 2, {{0, 1, -2}}, {}, "Euclidean graph A~_1 (Kronecker)"},
      {"Star", starN, star, {}, "star [1,2,3,4]"},
      {"Tree", 8, {{0, 1, -1}, {1, 2, -1}, {1, 3, -1}, {3, 4, -1}, {4, 5, -1}, {4, 6, -1}, {6, 7, -1}},
       {}, "tree"},
      {"Cycles", 5, twoCycles, {}, "graph with cycles"},
      {"Apart", 4, {{0, 1, -1}, {2, 3, 1}}, {}, "not connected (2 components), with dotted edges"},
      {"DottedPath", 3, {{0, 1, -1}, {1, 2, 1}}, {}, "path, with dotted edges"},
      {"DoubleDotted", 2, {{0, 1, 2}}, {}, "path, with dotted edges and multiple edges"},
      {"Everything", 3, {{0, 1, 3}, {1, 2, -1}, {0, 2, -1}}, {1},
       "cycle, with dotted edges, multiple edges and loops"},
      {"Loop", 1, {}, {0}, "path, with loops"},
      {"Empty", 0, {}, {}, "empty"},
  };
  for (const WordsCase& c : cases) {
    GramMatrix g = drawtest::matrixOf(c.n, c.edges);
    for (int v : c.loops) g[v][v] = BigInteger(2);
    EXPECT_EQ(shapeWords(g), c.words) << c.label;
  }
}

// The words name a Dynkin or Euclidean diagram exactly when the core's recognition (whose type
// the exact invariants check) does, and the same one: every run result of A_n(r), n <= 12.
TEST(ShapeWords, NameTheDiagramTheCoreRecognises) {
  for (int n = 2; n <= 12; ++n)
    for (int r = 2; r <= n; ++r) {
      Bigraph g(drawtest::nakayama(n, r));
      // Runs on the last dotted edge, bounded: not every A_n(r) is positive.
      try {
        for (int step = 0; step < n * n + 50; ++step) {
          const Coeffs c = g.chooseDottedEdge(EdgeRule(2));
          if (c.i == kNoEdge) break;
          g.inflation(c);
        }
      } catch (const std::exception&) {  // a zero diagonal entry: the matrix stays as it was
      }
      g.recognizeBigraphProperties();
      const std::optional<DiagramType> core = g.diagramType();
      const std::string words = shapeWords(upperGramOf(g));
      const std::string expected =
          !core ? "" : (core->euclidean ? "Euclidean graph " : "Dynkin graph ") + core->captionName();
      if (core) {
        EXPECT_EQ(words.substr(0, expected.size()), expected) << "A_" << n << "(" << r << ")";
      } else {
        EXPECT_EQ(words.find(" graph "), std::string::npos) << "A_" << n << "(" << r << "): " << words;
      }
    }
}

TEST(ShapeRecognition, DiagramNamesNeedSingleSolidEdgesAndNoLoops) {
  GramMatrix dotted = drawtest::matrixOf(5, shapes::pathEdges(5));
  dotted[1][2] = BigInteger(1);
  EXPECT_EQ(recognizeShape(structureOf(dotted)).name, "path");
  GramMatrix loop = drawtest::matrixOf(5, shapes::pathEdges(5));
  loop[3][3] = BigInteger(2);
  EXPECT_EQ(recognizeShape(structureOf(loop)).name, "path");
  GramMatrix doubleEdge = upperGramOf(*shapes::star({1, 2, 2}));
  doubleEdge[0][1] = BigInteger(-2);
  EXPECT_EQ(recognizeShape(structureOf(doubleEdge)).name, "star [1,2,2]");
}

TEST(CircleLayout, VertexOneAtTheTopOthersClockwiseNeighboursApart) {
  for (int n : {3, 6, 20, 60, 200}) {
    const std::vector<Point> at = circleLayout(n);
    EXPECT_NEAR(at[0].x, 0, 1e-12);
    EXPECT_GT(at[0].y, 0);
    EXPECT_GT(at[1].x, 0);
    EXPECT_GE(closestPair(at), 0.99) << n;
  }
}

}  // namespace
}  // namespace bigraph::draw
