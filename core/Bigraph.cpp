// The Bigraph record: square matrix allocation, construction, destruction and dotted counts.
#include "Bigraph.h"

BigInteger** allocateSqZeroMat(int n) {
  const int rows = n > 0 ? n : 0;  // a negative size gives the empty matrix
  BigInteger** m = new BigInteger*[rows];
  int made = 0;
  try {
    for (; made < rows; ++made) m[made] = new BigInteger[rows];
  } catch (...) {
    for (int k = 0; k < made; ++k) delete[] m[k];
    delete[] m;
    throw;
  }
  return m;
}

void deleteSqMat(int n, BigInteger** m) {
  if (m == nullptr) return;
  for (int k = 0; k < n; ++k) delete[] m[k];  // delete[] of a missing row does nothing
  delete[] m;
}

Bigraph::Bigraph() { refreshEdgeCounts(); }

Bigraph::Bigraph(int n, BigInteger** m) {
  const int size = n > 0 ? n : 0;
  BigInteger** copy = allocateSqZeroMat(size);
  try {
    for (int x = 0; x < size; ++x)
      for (int y = 0; y < size; ++y) copy[x][y] = m[x][y];
  } catch (...) {
    deleteSqMat(size, copy);
    throw;
  }
  gram = copy;
  this->n = size;
  refreshEdgeCounts();
}

Bigraph::Bigraph(Adopt, int n, BigInteger** m) {
  gram = m;
  this->n = n > 0 ? n : 0;
  refreshEdgeCounts();
}

// A failing constructor does not run the destructor, so the matrix is released here.
std::unique_ptr<Bigraph> Bigraph::adopting(int n, BigInteger** m) {
  try {
    return std::unique_ptr<Bigraph>(new Bigraph(Adopt{}, n, m));
  } catch (...) {
    deleteSqMat(n, m);
    throw;
  }
}

Bigraph::Bigraph(int n) {
  const int size = n > 0 ? n : 0;
  gram = allocateSqZeroMat(size);
  for (int x = 0; x < size; ++x) gram[x][x] = BigInteger(1);
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
