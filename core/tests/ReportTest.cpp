// Tests of the properties report: head lines, the three shape cases, the definiteness
// branches, the adjectives and their edge-total grading, and the texts of shape families.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "ShapeBuilders.h"

using namespace core;

namespace {

using shapes::bigraphWith;
using shapes::Edges;

struct Report {
  std::string text;    // the returned shape text
  std::string output;  // everything written to the stream
};

Report describe(Bigraph& g, std::uint64_t inflationCount = 0, int bound = 1) {
  g.recognizeBigraphProperties();
  std::ostringstream out;
  Report r;
  r.text = g.describeProperties(inflationCount, bound, out);
  r.output = out.str();
  return r;
}

std::string head(const std::string& dotted, const std::string& solid, bool multiple,
                 bool connected, bool loopFree) {
  auto yesNo = [](bool b) { return std::string(b ? "yes\n" : "no\n"); };
  return "Properties of the resulting (bi)graph:\n -) #dotted edges: " + dotted +
         "\n -) #solid edges:  " + solid + "\n -) multiple edges: " + yesNo(multiple) +
         " -) connected: " + yesNo(connected) + " -) loop-free: " + yesNo(loopFree) +
         " -) shape: ";
}

const std::string kPrincipal = " -) definiteness: principal (= non-negative + rk(ker) = 1)\n";
const std::string kPositive = " -) definiteness: positive\n";
const std::string kIndefinite = " -) definiteness: indefinite\n";

BigInteger tenToThe(int power) {
  BigInteger v(1);
  for (int k = 0; k < power; ++k) v = v * BigInteger(10);
  return v;
}

TEST(ShapeCaseTest, PathOnFiveVertices) {
  auto g = bigraphWith(5, shapes::pathEdges(5));
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "Dynkin graph A_5 ");
  EXPECT_EQ(r.output, head("0", "4", false, true, true) + "Dynkin graph A_5 \n" + kPositive);
}

TEST(ShapeCaseTest, CycleOnFourVertices) {
  auto g = bigraphWith(4, shapes::cycleEdges(4));
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "Euclidean graph A~_3 ");
  EXPECT_EQ(r.output, head("0", "4", false, true, true) + "Euclidean graph A~_3 \n" + kPrincipal);
}

TEST(ShapeCaseTest, Kronecker) {
  auto g = bigraphWith(2, {{0, 1, -2}});
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "Euclidean graph A~_1 (Kronecker)");
  EXPECT_EQ(r.output, head("0", "2", true, true, true) + "Euclidean graph A~_1 (Kronecker)\n" +
                          kPrincipal);
}

TEST(ShapeCaseTest, WildStarWithFiveArms) {
  auto g = shapes::star({1, 1, 1, 1, 1});
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "(wild) star graph of type [1,1,1,1,1]");
  EXPECT_EQ(r.output, head("0", "5", false, true, true) +
                          "(wild) star graph of type [1,1,1,1,1]\n" + kIndefinite);
}

TEST(ShapeCaseTest, WildStarListsItsSortedArms) {
  auto g = shapes::star({3, 1, 2, 6});
  EXPECT_EQ(describe(*g).text, "(wild) star graph of type [1,2,3,6]");
}

TEST(ShapeCaseTest, StarTypeListOfAnyLength) {
  std::vector<int> arms;
  std::string list;
  for (int length = 30; length >= 1; --length) arms.push_back(length);
  for (int length = 1; length <= 30; ++length) {
    list += std::to_string(length);
    list += length < 30 ? "," : "]";
  }
  auto g = shapes::star(arms);
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "(wild) star graph of type [" + list);
  EXPECT_GT(r.text.size(), 99u);
}

TEST(ShapeCaseTest, TreeWithBranchingsOfDegreesThreeThreeAndFour) {
  // 0 (leaves 3, 4) - 1 (leaf 5) - 2 (leaves 6, 7, 8).
  auto g = bigraphWith(9, {{0, 1, -1}, {1, 2, -1}, {0, 3, -1}, {0, 4, -1}, {1, 5, -1},
                           {2, 6, -1}, {2, 7, -1}, {2, 8, -1}});
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "(wild) tree graph with 3 ramifications and 6 leaves");
  EXPECT_EQ(r.output, head("0", "8", false, true, true) + r.text + "\n" + kIndefinite);
}

TEST(ShapeCaseTest, GraphWithCycles) {
  auto g = bigraphWith(4, {{0, 1, -1}, {1, 2, -1}, {0, 2, -1}, {2, 3, -1}});
  const Report r = describe(*g);
  EXPECT_EQ(r.text, "simple connected graph with cycle(s) & non-Euclidean");
  EXPECT_EQ(r.output, head("0", "4", false, true, true) + r.text + "\n" + kIndefinite);
}

TEST(ShapeCaseTest, SimpleFieldsNamingNoShapeAreNotRecognised) {
  auto g = bigraphWith(3, shapes::pathEdges(3));
  g->recognizeBigraphProperties();
  g->dynkinType = 0;
  g->tree = false;
  std::ostringstream out;
  EXPECT_EQ(g->describeProperties(0, 1, out), "unknown shape (boring)");
  EXPECT_EQ(out.str(), head("0", "2", false, true, true) +
                           "not recognized\n -) definiteness: unknown \n");
}

struct UnrecognisedCase {
  const char* name;
  int n;
  Edges edges;
  int loopAt;  // vertex whose diagonal entry becomes 2, or -1
  std::uint64_t inflationCount;
  int bound;
  std::string headLines;
  std::string shapeLines;
  std::string text;
};

class Unrecognised : public ::testing::TestWithParam<UnrecognisedCase> {};

TEST_P(Unrecognised, WritesItsDefinitenessAndReturnsTheText) {
  const UnrecognisedCase& c = GetParam();
  auto g = bigraphWith(c.n, c.edges);
  if (c.loopAt >= 0) g->gram[c.loopAt][c.loopAt] = BigInteger(2);
  const Report r = describe(*g, c.inflationCount, c.bound);
  EXPECT_EQ(r.output, c.headLines + c.shapeLines);
  EXPECT_EQ(r.text, c.text);
}

const std::string kUnknownBare = "not recognized\n -) definiteness: unknown \n";
const std::string kUnknownNotPositive =
    "not recognized\n -) definiteness: unknown [not positive]\n";
const Edges kDottedPath = {{0, 1, -1}, {1, 2, 1}, {2, 3, -1}};

INSTANTIATE_TEST_SUITE_P(
    Branches, Unrecognised,
    ::testing::Values(
        UnrecognisedCase{"Loops", 3, shapes::pathEdges(3), 0, 0, 1,
                         head("0", "2", false, true, false),
                         "not recognized\n -) definiteness: unknown\n",
                         "unknown shape with loops (boring)"},
        UnrecognisedCase{"LoopsAndDoubleEdge", 3, {{0, 1, -2}}, 2, 0, 1,
                         head("0", "2", true, false, false),
                         "not recognized\n -) definiteness: unknown\n",
                         "unknown shape with loops (mysterious)"},
        UnrecognisedCase{"LoopsAndWildEdge", 2, {{0, 1, 5}}, 1, 0, 1,
                         head("5", "0", true, true, false),
                         "not recognized\n -) definiteness: unknown\n",
                         "unknown shape with loops (outstanding)"},
        UnrecognisedCase{"Wild", 3, {{0, 1, -3}}, -1, 0, 1, head("0", "3", true, false, true),
                         "not recognized\n" + kIndefinite, "unknown wild shape"},
        UnrecognisedCase{"Multiple", 3, {{0, 1, -2}, {1, 2, -1}}, -1, 0, 1,
                         head("0", "3", true, true, true),
                         "not recognized\n -) definiteness: not positive\n",
                         "unknown shape (mysterious)"},
        UnrecognisedCase{"DisconnectedFive", 5, {{0, 1, -1}, {2, 3, 1}}, -1, 0, 1,
                         head("1", "1", false, false, true), kUnknownBare,
                         "unknown shape (boring)"},
        UnrecognisedCase{"DisconnectedNineteen", 19, {}, -1, 0, 1,
                         head("0", "0", false, false, true), kUnknownBare,
                         "unknown shape (boring)"},
        UnrecognisedCase{"DisconnectedTwenty", 20, {}, -1, 0, 1,
                         head("0", "0", false, false, true), kUnknownBare, "unknown shape"},
        UnrecognisedCase{"DisconnectedAtTheBound", 4, {{0, 1, 1}}, -1, 9, 9,
                         head("1", "0", false, false, true), kUnknownBare,
                         "unknown shape (boring)"},
        UnrecognisedCase{"DottedBelowTheBound", 4, kDottedPath, -1, 4, 5,
                         head("1", "2", false, true, true), kUnknownBare,
                         "unknown shape (boring)"},
        UnrecognisedCase{"DottedAtTheBound", 4, kDottedPath, -1, 5, 5,
                         head("1", "2", false, true, true), kUnknownNotPositive,
                         "unknown shape (boring)"},
        UnrecognisedCase{"DottedBeyondTheBound", 4, kDottedPath, -1, 6, 5,
                         head("1", "2", false, true, true), kUnknownNotPositive,
                         "unknown shape (boring)"},
        // 2^32 + 1 inflations: a 32-bit count would read 1, below the bound.
        UnrecognisedCase{"DottedFarBeyondTheBound", 4, kDottedPath, -1, 4294967297u, 5,
                         head("1", "2", false, true, true), kUnknownNotPositive,
                         "unknown shape (boring)"},
        UnrecognisedCase{"NoVertex", 0, {}, -1, 0, 0, head("0", "0", false, false, true),
                         kUnknownBare, "unknown shape (boring)"}),
    [](const auto& info) { return std::string(info.param.name); });

// Wild bigraphs graded by their edge total E against M = n(n-1)/2 and its powers.
struct GradeCase {
  const char* name;
  int n;
  BigInteger dotted;  // entry (0, 1)
  int solid;          // entry (1, 2) is -solid when n > 2
  std::string text;
};

class EdgeGrades : public ::testing::TestWithParam<GradeCase> {};

TEST_P(EdgeGrades, AppendTheAdjectiveOfTheRange) {
  const GradeCase& c = GetParam();
  auto g = bigraphWith(c.n, {});
  g->gram[0][1] = c.dotted;
  if (c.solid != 0) g->gram[1][2] = BigInteger(-c.solid);
  EXPECT_EQ(describe(*g).text, c.text);
}

const std::string kWild = "unknown wild shape";
const std::string kInsane = kWild + " (insane! More edges that atoms in the Universe)";

INSTANTIATE_TEST_SUITE_P(
    Ranges, EdgeGrades,
    ::testing::Values(
        GradeCase{"AtM", 3, BigInteger(3), 0, kWild},
        GradeCase{"AboveM", 3, BigInteger(4), 0, kWild + " (nice)"},
        GradeCase{"AtMSquared", 3, BigInteger(9), 0, kWild + " (nice)"},
        GradeCase{"AboveMSquared", 3, BigInteger(10), 0, kWild + " (exciting)"},
        GradeCase{"SolidAndDottedAddUp", 3, BigInteger(7), 3, kWild + " (exciting)"},
        GradeCase{"AtMCubed", 3, BigInteger(27), 0, kWild + " (exciting)"},
        GradeCase{"AboveMCubed", 3, BigInteger(28), 0, kWild + " (awesome)"},
        GradeCase{"AtMFourth", 3, BigInteger(81), 0, kWild + " (awesome)"},
        GradeCase{"AboveMFourth", 3, BigInteger(82), 0, kWild + " (outstanding)"},
        GradeCase{"BelowTenToTheEighty", 3, tenToThe(80) - BigInteger(1), 0,
                  kWild + " (outstanding)"},
        GradeCase{"AtTenToTheEighty", 3, tenToThe(80), 0, kInsane},
        GradeCase{"AboveTenToTheEighty", 3, tenToThe(80) + BigInteger(1), 0, kInsane},
        GradeCase{"TwoVerticesSmallTotal", 2, BigInteger(5), 0, kWild + " (outstanding)"},
        GradeCase{"TwoVerticesHugeTotal", 2, tenToThe(85), 0, kInsane},
        GradeCase{"FiftyVerticesAtM", 50, BigInteger(1225), 0, kWild},
        GradeCase{"FiftyVerticesAboveM", 50, BigInteger(1226), 0, kWild + " (nice)"},
        GradeCase{"FiftyVerticesAboveMCubed", 50, BigInteger(1225LL * 1225 * 1225 + 1), 0,
                  kWild + " (awesome)"}),
    [](const auto& info) { return std::string(info.param.name); });

// The report reads only the fields, so a vertex count whose pair count M = n(n-1)/2 needs more
// than 32 bits can be tried without a matrix of that size.
TEST(EdgeGradesTest, PairCountBeyondThirtyTwoBits) {
  const long long n = 70000;
  const BigInteger pairs(n * (n - 1) / 2);  // 2449965000
  Bigraph g(0);
  g.n = static_cast<int>(n);
  g.loopFree = true;
  g.multipleEdges = true;
  g.wildEdges = true;
  std::ostringstream out;
  g.solidEdges = pairs;
  EXPECT_EQ(g.describeProperties(0, 1, out), kWild);
  g.solidEdges = pairs + BigInteger(1);
  EXPECT_EQ(g.describeProperties(0, 1, out), kWild + " (nice)");
  g.solidEdges = pairs * pairs * pairs + BigInteger(1);
  EXPECT_EQ(g.describeProperties(0, 1, out), kWild + " (awesome)");
  g.n = 0;  // the record holds no rows
}

// Shape texts of families for several sizes.
struct TextFamily {
  const char* name;
  int minSize;
  int maxSize;
  Edges (*edges)(int size, int& n);
  std::string (*text)(int size);
};

Edges pathOf(int size, int& n) { n = size; return shapes::pathEdges(size); }
Edges cycleOf(int size, int& n) { n = size; return shapes::cycleEdges(size); }
Edges dOf(int size, int& n) { return shapes::starEdges({1, 1, size - 3}, n); }
Edges dTildeOf(int size, int& n) {
  if (size == 4) return shapes::starEdges({1, 1, 1, 1}, n);
  return shapes::dTildeEdges(size, n);
}

class FamilyTexts : public ::testing::TestWithParam<TextFamily> {};

TEST_P(FamilyTexts, NameTheFamilyAndItsIndex) {
  const TextFamily& f = GetParam();
  for (int size = f.minSize; size <= f.maxSize; ++size) {
    int n = 0;
    const Edges edges = f.edges(size, n);
    // The shape does not depend on how the vertices are numbered.
    for (const auto& perm : {shapes::shuffledVertices(n, size), shapes::reversedVertices(n)}) {
      auto g = bigraphWith(n, shapes::renumbered(edges, perm));
      EXPECT_EQ(describe(*g).text, f.text(size)) << f.name << " of size " << size;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FamilyTexts,
    ::testing::Values(
        TextFamily{"Paths", 1, 12, pathOf,
                   [](int k) { return "Dynkin graph A_" + std::to_string(k) + " "; }},
        TextFamily{"Cycles", 3, 12, cycleOf,
                   [](int k) { return "Euclidean graph A~_" + std::to_string(k - 1) + " "; }},
        TextFamily{"D", 4, 12, dOf,
                   [](int k) { return "Dynkin graph D_" + std::to_string(k) + " "; }},
        TextFamily{"DTilde", 4, 12, dTildeOf,
                   [](int k) { return "Euclidean graph D~_" + std::to_string(k) + " "; }}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExceptionalCase {
  std::vector<int> arms;
  std::string text;
};

class ExceptionalTexts : public ::testing::TestWithParam<ExceptionalCase> {};

TEST_P(ExceptionalTexts, NameTheGraph) {
  auto g = shapes::star(GetParam().arms);
  EXPECT_EQ(describe(*g).text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Stars, ExceptionalTexts,
                         ::testing::Values(ExceptionalCase{{1, 2, 2}, "Dynkin graph E_6 "},
                                           ExceptionalCase{{1, 2, 3}, "Dynkin graph E_7 "},
                                           ExceptionalCase{{1, 2, 4}, "Dynkin graph E_8 "},
                                           ExceptionalCase{{2, 2, 2}, "Euclidean graph E~_6 "},
                                           ExceptionalCase{{1, 3, 3}, "Euclidean graph E~_7 "},
                                           ExceptionalCase{{1, 2, 5}, "Euclidean graph E~_8 "}),
                         [](const auto& info) { return shapes::armsName(info.param.arms); });

TEST(ReportTest, ChangesNoField) {
  auto g = bigraphWith(4, kDottedPath);
  g->recognizeBigraphProperties();
  std::ostringstream first;
  std::ostringstream second;
  const std::string text = g->describeProperties(3, 2, first);
  EXPECT_EQ(g->describeProperties(3, 2, second), text);
  EXPECT_EQ(first.str(), second.str());
  EXPECT_EQ(g->dottedEdges, BigInteger(1));
  EXPECT_TRUE(g->connected);
}

}  // namespace
