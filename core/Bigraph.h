// The bigraph record: its upper-triangular Gram matrix, dotted-edge choice, inflation,
// traversal, shape recognition and the properties report.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"
#include "DiagramType.h"
#include "EdgeRule.h"
#include "GramMatrix.h"

namespace core {

// A vertex pair, 0-based: i the row, j the column of the chosen entry.
// (-7, -7) means that no dotted edge is left; callers test only i.
struct Coeffs {
  int i;
  int j;
};

inline constexpr int kNoEdge = -7;

// The classic face of GramMatrix: a square n x n matrix of zeros handed to the caller as its
// rows, and their release (missing rows or a missing matrix are skipped).
BigInteger** allocateSqZeroMat(int n);
void deleteSqMat(int n, BigInteger** m);
// The Gram matrix of the bigraph of the Nakayama algebra A_n(r); NakayamaBigraph hands its rows
// to the caller.
GramMatrix nakayamaGram(int n, int r);
BigInteger** NakayamaBigraph(int n, int r);

// An inflation asked for on a pair that is not a dotted edge. The core does not print or
// exit: each program words the refusal itself and ends with status 2.
class InflationRefused : public std::exception {
 public:
  enum class Kind { ContinuousEdge, NonConnectedPair };
  InflationRefused(Kind kind, int lo, int hi) : kind(kind), lo(lo), hi(hi) {}
  const char* what() const noexcept override { return "inflation refused"; }
  Kind kind;
  int lo;  // the two vertices, 1-based, smaller first
  int hi;
};

class Bigraph {
 public:
  BigInteger** gram = nullptr;
  int n = 0;
  bool connected = false;
  BigInteger dottedEdges;
  BigInteger solidEdges;
  bool multipleEdges = false;
  bool wildEdges = false;
  std::int16_t dynkinType = 0;     // 0 none, 1 A, 2 D, 3 E
  std::int16_t euclideanType = 0;  // 0 none, 1 A~, 2 D~, 3 E~
  bool star = false;
  bool loopFree = false;
  bool withCycles = false;
  bool tree = false;
  int ramifications = 0;
  int leaves = 0;
  int* armLengths = nullptr;  // owned, made with new[]; the destructor releases it
  int armCount = 0;
  std::int16_t* visited = nullptr;  // owned, made with new[]; the destructor releases it

  Bigraph();
  Bigraph(int n, BigInteger** m);  // deep copy of all n x n entries
  // Takes over the rows of m without copying them; when the call throws, m still owns them.
  explicit Bigraph(GramMatrix&& m);
  explicit Bigraph(int n);         // n vertices, no edges
  ~Bigraph();
  Bigraph(const Bigraph&) = delete;
  Bigraph& operator=(const Bigraph&) = delete;

  // Releases the matrix and leaves the empty record of Bigraph(): gram null, n 0.
  void deleteGram();

  // Dotted-edge choice: each returns the chosen pair or (-7, -7).
  Coeffs findDottedEdge();                // first dotted edge
  Coeffs findDottedEdgeWiser();           // first of the highest multiplicity
  Coeffs findDottedEdgeBackwards();       // last dotted edge
  Coeffs findDottedEdgeWiserBackwards();  // last of the highest multiplicity
  Coeffs findDottedEdgeRandomlyFL();      // first or last at random
  Coeffs findDottedEdgeRandomly();        // any dotted edge at random
  // Chooses by the rule.
  Coeffs chooseDottedEdge(EdgeRule rule);

  // One inflation on the pair. Throws InflationRefused on a solid edge or no edge, and the
  // integer layer's division-by-zero message on a zero diagonal entry; the matrix is then
  // left as it was.
  void inflation(Coeffs c);

  // Call after changing gram by hand, so the per-row dotted counts and maxima follow.
  void refreshEdgeCounts();

  // Traversal and connectivity. GoThrough is the arm walk: the number of vertices on the walk
  // along single solid edges from `start` away from `from`; it ends where it would come back
  // to `from` or to a vertex it has already counted, so it ends on cycles as well.
  void DFS_Visit(int v);
  bool isConnected();
  int GoThrough(int from, int start);

  // Shape recognition and its report. The report goes to `out`; `inflationCount` is the
  // finished run's number of inflations and `bound` the run's bound UIDFpos.
  void recognizeBigraphProperties();
  // The diagram that recognition found (from dynkinType or euclideanType and n), or none.
  std::optional<DiagramType> diagramType() const;
  // Records `t` in dynkinType or euclideanType.
  void setDiagramType(const DiagramType& t);
  std::string describeProperties(std::uint64_t inflationCount, int bound, std::ostream& out);

 private:
  // A loop-free connected bigraph whose edges are all single solid edges: the graphs that
  // get a Dynkin, Euclidean, star, tree or cycle shape. Reads the recognised counts and flags.
  bool isSimpleGraph() const;

  // While a recognition walks arms, GoThrough reuses the single-solid neighbour lists (built
  // at its first call) and its marks, so each arm costs its own length, not a matrix pass.
  void keepArmWalkLists();
  void dropArmWalkLists();
  bool armWalkKept_ = false;
  std::vector<std::vector<int>> armWalkLists_;  // per vertex, its neighbours in increasing order
  std::vector<unsigned> armWalkMarks_;          // a vertex is counted when its mark is the walk's
  unsigned armWalkNumber_ = 0;                  // number, so a new walk clears nothing

  bool lowerCleared_ = false;     // entries below the diagonal are all zero
  std::vector<int> dottedInRow_;  // per row: number of positive entries right of the diagonal
  long long dottedTotal_ = 0;     // sum of dottedInRow_
  // The highest dotted value of each row, kept up to date by the inflations once a
  // highest-multiplicity choice has asked for it (rowMaxKept_).
  struct RowMaximum {
    BigInteger copy;        // the value, unless atColumn
    int count = 0;          // how many entries of the row hold it (0: none, or lost)
    int column = -1;        // a column holding it, or -1 when not known
    bool atColumn = false;  // the value is the entry at `column` itself (long values are not
                            // copied: a run's maxima grow at every step)
    bool gone = false;      // the entry holding it changed while atColumn: to be scanned again
  };
  bool rowMaxKept_ = false;
  std::vector<RowMaximum> rowMax_;
  std::vector<BigInteger> scratch_;  // new values of long entries during one inflation
  std::vector<int> swapped_;         // vertices whose entry went through scratch_ this step
  BigInteger q_;                     // the quotient of one inflation
  BigInteger remainder_;             // the remainder left by computing q_

  bool lowerTriangleIsZero() const;
  void clearLowerTriangle();
  void computeQuotient(int i, int lo, int hi);
  template <class Visit> void forEachEntryOf(int i, int j, Visit&& visit);
  template <bool keepRowMax, class NewValue> void updateEntriesOf(int i, int j, NewValue&& newValue);
  template <bool keepRowMax> void recomputeEntriesOf(int i, int j);
  bool reserveRoomInPlace(int i, int j);
  void undoEntriesOf(int i, int j, int upTo);
  bool isRowMax(int row, int column) const;
  void noteNewValue(int row, int column, bool wasRowMax);
  void scanRowMax(int row);
  void rescanRowMaxAfterStep(int row);
  void holdRowMax(int row, int column);
  const BigInteger* rowMaxValue(int row) const;
  bool rowMaxToScan(int row) const;
  Coeffs firstDottedInRow(int row) const;
  Coeffs lastDottedInRow(int row) const;
  Coeffs highestDotted(bool backwards);
  Coeffs dottedAtSlot(long long slot) const;
};

// The 15-bit random generator of the random edge choices (values 0..32767), one per thread.
void seedRandom15(std::uint32_t seed);
int random15();

}  // namespace core
