// The Bigraph record: square matrix allocation, construction, destruction and dotted counts.
#include "Bigraph.h"

namespace core {

BigInteger** allocateSqZeroMat(int n) { return GramMatrix(n).release(); }

void deleteSqMat(int n, BigInteger** m) { GramMatrix::releaseRows(n, m); }

BigInteger** NakayamaBigraph(int n, int r) { return nakayamaGram(n, r).release(); }

Bigraph::Bigraph() { refreshEdgeCounts(); }

Bigraph::Bigraph(int n, BigInteger** m) : Bigraph(GramMatrix::copyOf(n, m)) {}

// The rows change hands only after the counts are made: a throw leaves them with m.
Bigraph::Bigraph(GramMatrix&& m) {
  gram = m.rows();
  n = m.vertices();
  try {
    refreshEdgeCounts();
  } catch (...) {
    gram = nullptr;
    n = 0;
    throw;
  }
  m.release();
}

Bigraph::Bigraph(int n) {
  const int size = n > 0 ? n : 0;
  GramMatrix identity(size);
  for (int x = 0; x < size; ++x) identity[x][x] = BigInteger(1);
  gram = identity.release();
  this->n = size;
  refreshEdgeCounts();
}

Bigraph::~Bigraph() {
  deleteSqMat(n, gram);
  delete[] armLengths;
  delete[] visited;
}

// The record is left empty rather than holding a released matrix, so that every member (and
// the destructor) sees a consistent record: no rows, no vertices, no edge to choose.
void Bigraph::deleteGram() {
  deleteSqMat(n, gram);
  gram = nullptr;
  n = 0;
  refreshEdgeCounts();
}

void Bigraph::refreshEdgeCounts() {
  dottedInRow_.assign(gram != nullptr && n > 0 ? n : 0, 0);
  dottedTotal_ = 0;
  if (gram != nullptr) {
    for (int x = 0; x < n; ++x) {
      int count = 0;
      for (int y = x + 1; y < n; ++y) count += gram[x][y].isPositive();
      dottedInRow_[x] = count;
      dottedTotal_ += count;
    }
  }
  lowerCleared_ = lowerTriangleIsZero();
  rowMaxKept_ = false;  // rebuilt by the next highest-multiplicity choice
}

bool Bigraph::lowerTriangleIsZero() const {
  if (gram == nullptr) return true;
  for (int x = 1; x < n; ++x)
    for (int y = 0; y < x; ++y)
      if (!gram[x][y].isZero()) return false;
  return true;
}

void Bigraph::clearLowerTriangle() {
  const BigInteger zero;
  for (int x = 1; x < n; ++x)
    for (int y = 0; y < x; ++y)
      if (!gram[x][y].isZero()) gram[x][y] = zero;
  lowerCleared_ = true;
}

}  // namespace core
