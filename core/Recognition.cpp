// Shape recognition: edge counts and flags, connectivity, and the Dynkin, Euclidean, star,
// tree and cycle shapes of a bigraph.
#include "ArmLengthOrder.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "Bigraph.h"

namespace core {

int cmpfunc(const void* a, const void* b) {
  const long long difference =
      static_cast<long long>(*static_cast<const int*>(a)) - *static_cast<const int*>(b);
  if (difference > INT_MAX) return INT_MAX;
  if (difference < INT_MIN) return INT_MIN;
  return static_cast<int>(difference);
}

namespace {

// Sums the magnitudes of entries. One-block magnitudes are gathered in a machine word and
// moved into the BigInteger only before the word would overflow, so a pass over the whole
// matrix allocates nothing per entry.
class MagnitudeSum {
 public:
  void add(const BigInteger& e) {
    if (e.fitsInBlocks(1)) {
      const std::uint64_t v = e.getBlock(0);
      if (word_ > UINT64_MAX - v) flush();
      word_ += v;
    } else {
      total_ += BigInteger(e.getMagnitude());
    }
  }
  BigInteger total() {
    flush();
    return total_;
  }

 private:
  void flush() {
    if (word_ == 0) return;
    total_ += BigInteger(static_cast<unsigned long long>(word_));
    word_ = 0;
  }
  std::uint64_t word_ = 0;
  BigInteger total_;
};

// What one row-wise pass over the diagonal and the entries above it finds.
struct MatrixSurvey {
  bool loopFree = true;
  bool multipleEdges = false;
  bool wildEdges = false;
  long long pairsJoined = 0;  // pairs with a nonzero entry
  std::vector<int> degree;    // per vertex: number of vertices it is joined to
  BigInteger dottedEdges;
  BigInteger solidEdges;
};

MatrixSurvey surveyMatrix(const Bigraph& g) {
  MatrixSurvey survey;
  survey.degree.assign(static_cast<std::size_t>(std::max(g.n, 0)), 0);
  MagnitudeSum dotted;
  MagnitudeSum solid;
  for (int i = 0; i < g.n; ++i) {
    const BigInteger* row = g.gram[i];
    if (!row[i].isOne()) survey.loopFree = false;
    for (int j = i + 1; j < g.n; ++j) {
      const BigInteger& e = row[j];
      if (e.isZero()) continue;
      ++survey.degree[i];
      ++survey.degree[j];
      ++survey.pairsJoined;
      (e.isPositive() ? dotted : solid).add(e);
      if (e.magnitudeAtLeast(2)) survey.multipleEdges = true;
      if (e.magnitudeAtLeast(3)) survey.wildEdges = true;
    }
  }
  survey.dottedEdges = dotted.total();
  survey.solidEdges = solid.total();
  return survey;
}

void resetProperties(Bigraph& g) {
  g.connected = false;
  g.dottedEdges = BigInteger();
  g.solidEdges = BigInteger();
  g.multipleEdges = false;
  g.wildEdges = false;
  g.star = false;
  g.withCycles = false;
  g.tree = false;
  g.dynkinType = 0;
  g.euclideanType = 0;
  g.loopFree = true;
  g.ramifications = 0;
  g.leaves = 0;
}

// Gives the record a fresh arm array of `size` entries, none of them valid yet.
void replaceArmLengths(Bigraph& g, int size) {
  int* fresh = new int[size];
  delete[] g.armLengths;
  g.armLengths = fresh;
  g.armCount = 0;
}

// Stores the arm lengths of ramification vertex c, neighbour by neighbour in increasing
// order, and sorts them ascending. In a simple graph every edge is a single solid edge.
void storeArms(Bigraph& g, int c) {
  for (int u = 0; u < g.n; ++u) {
    if (u == c) continue;
    const BigInteger& entry = c < u ? g.gram[c][u] : g.gram[u][c];
    if (entry.isMinusOne()) g.armLengths[g.armCount++] = g.GoThrough(c, u);
  }
  std::qsort(g.armLengths, static_cast<std::size_t>(g.armCount), sizeof(int), cmpfunc);
}

// The type of a star whose centre has three arms a <= b <= c.
void classifyThreeArms(Bigraph& g, int a, int b, int c) {
  if (const auto t = DiagramType::ofThreeArms(a, b, c)) g.setDiagramType(*t);
}

void classifyStar(Bigraph& g, int centre, int degree) {
  g.star = true;
  if (degree == 4 && g.n == 5) {
    g.setDiagramType(DiagramType::euclideanOf(DiagramFamily::D, 4));
    return;
  }
  replaceArmLengths(g, degree);
  storeArms(g, centre);
  if (degree == 3) classifyThreeArms(g, g.armLengths[0], g.armLengths[1], g.armLengths[2]);
}

// Two ramification vertices of degree 3: D~_(n-1) when each has two arms of length 1.
void classifyTwoBranchings(Bigraph& g, int first, int last) {
  replaceArmLengths(g, 3);
  storeArms(g, first);
  if (g.armLengths[0] != 1 || g.armLengths[1] != 1) return;
  g.armCount = 0;
  storeArms(g, last);
  if (g.armLengths[0] == 1 && g.armLengths[1] == 1)
    g.setDiagramType(DiagramType::euclideanOf(DiagramFamily::D, g.n - 1));
}

// A simple graph (Bigraph::isSimpleGraph); its arms are walked with GoThrough.
void classifySimpleGraph(Bigraph& g, const MatrixSurvey& survey) {
  std::vector<int> branchingDegrees;
  int firstBranching = -1;
  int lastBranching = -1;
  for (int v = 0; v < g.n; ++v) {
    const int d = survey.degree[v];
    if (d == 1) ++g.leaves;
    if (d > 2) {
      branchingDegrees.push_back(d);
      ++g.ramifications;
      if (firstBranching < 0) {
        firstBranching = v;
      } else {
        lastBranching = v;
      }
    }
  }
  // In a simple graph the solid edge count is the number of joined pairs.
  const long long edges = survey.pairsJoined;
  if (edges == g.n && g.leaves == 0 && g.ramifications == 0) {
    g.setDiagramType(DiagramType::euclideanOf(DiagramFamily::A, g.n - 1));  // the cycle
    return;
  }
  if (edges != g.n - 1LL) {
    g.withCycles = true;
    return;
  }
  g.tree = true;
  if (g.ramifications == 0) {
    if (g.leaves == 2) g.setDiagramType(DiagramType::dynkin(DiagramFamily::A, g.n));  // the path
  } else if (g.ramifications == 1) {
    classifyStar(g, firstBranching, branchingDegrees[0]);
  } else if (g.ramifications == 2 && branchingDegrees[0] == 3 && branchingDegrees[1] == 3) {
    classifyTwoBranchings(g, firstBranching, lastBranching);
  }
}

}  // namespace

std::optional<DiagramType> Bigraph::diagramType() const {
  const auto familyOf = [](std::int16_t code) -> std::optional<DiagramFamily> {
    if (code < 1 || code > 3) return std::nullopt;
    return static_cast<DiagramFamily>(code);
  };
  if (const auto family = familyOf(euclideanType)) return DiagramType::euclideanOf(*family, n - 1);
  if (const auto family = familyOf(dynkinType)) return DiagramType::dynkin(*family, n);
  return std::nullopt;
}

void Bigraph::setDiagramType(const DiagramType& t) {
  (t.euclidean ? euclideanType : dynkinType) = t.code();
}

bool Bigraph::isSimpleGraph() const {
  return dottedEdges.isZero() && !multipleEdges && connected && loopFree;
}

void Bigraph::recognizeBigraphProperties() {
  resetProperties(*this);
  MatrixSurvey survey = surveyMatrix(*this);
  loopFree = survey.loopFree;
  multipleEdges = survey.multipleEdges;
  wildEdges = survey.wildEdges;
  dottedEdges = std::move(survey.dottedEdges);
  solidEdges = std::move(survey.solidEdges);
  connected = isConnected();

  if (n <= 0) return;  // no vertex, no shape
  if (n == 2 && solidEdges == BigInteger(2) && loopFree) {
    setDiagramType(DiagramType::euclideanOf(DiagramFamily::A, 1));  // the Kronecker graph
    return;
  }
  if (n == 1 && loopFree) {
    setDiagramType(DiagramType::dynkin(DiagramFamily::A, 1));
    return;
  }
  if (isSimpleGraph()) {
    keepArmWalkLists();
    try {
      classifySimpleGraph(*this, survey);
    } catch (...) {
      dropArmWalkLists();
      throw;
    }
    dropArmWalkLists();
  }
}

}  // namespace core
