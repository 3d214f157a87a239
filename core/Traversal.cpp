// Connectivity search and arm walks over the Gram matrix: DFS_Visit, isConnected, GoThrough.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Bigraph.h"

namespace core {

namespace {

// For every vertex, its neighbours in increasing order.
using Neighbours = std::vector<std::vector<int>>;

// The first neighbour below c other than p, or -1: the lower scan of an arm walk.
int firstLowerNeighbour(const std::vector<int>& list, int c, int p) {
  for (int u : list) {
    if (u >= c) break;
    if (u != p) return u;
  }
  return -1;
}

// The first neighbour above c other than p, or -1: one hit of the upper scan.
int firstUpperNeighbour(const std::vector<int>& list, int c, int p) {
  for (auto it = std::upper_bound(list.begin(), list.end(), c); it != list.end(); ++it) {
    if (*it != p) return *it;
  }
  return -1;
}

std::size_t vertexCount(const Bigraph& g) { return static_cast<std::size_t>(std::max(g.n, 0)); }

// Adjacency of all edges as one bit row per vertex, built in one pass over the rows above the
// diagonal. A dense bigraph of 2000 vertices needs half a megabyte, and the search below finds
// the next unmarked neighbour 64 vertices at a time.
class AdjacencyBits {
 public:
  explicit AdjacencyBits(const Bigraph& g)
      : words_((vertexCount(g) + 63) / 64), bits_(vertexCount(g) * words_, 0) {
    for (int i = 0; i < g.n; ++i) {
      const BigInteger* row = g.gram[i];
      for (int j = i + 1; j < g.n; ++j) {
        if (!row[j].isZero()) {
          set(i, j);
          set(j, i);
        }
      }
    }
  }
  std::size_t words() const { return words_; }
  const std::uint64_t* row(int v) const { return &bits_[static_cast<std::size_t>(v) * words_]; }

 private:
  void set(int v, int u) { bits_[static_cast<std::size_t>(v) * words_ + u / 64] |= bit(u); }
  static std::uint64_t bit(int u) { return std::uint64_t(1) << (u % 64); }
  std::size_t words_;
  std::vector<std::uint64_t> bits_;
};

// The smallest vertex >= from that is set in both bit rows, or -1.
int firstCommon(const std::uint64_t* a, const std::uint64_t* b, std::size_t words, int from) {
  std::size_t w = static_cast<std::size_t>(from) / 64;
  if (w >= words) return -1;
  std::uint64_t candidates = a[w] & b[w] & (~std::uint64_t(0) << (from % 64));
  while (candidates == 0) {
    if (++w == words) return -1;
    candidates = a[w] & b[w];
  }
  return static_cast<int>(w * 64) + std::countr_zero(candidates);
}

// Marks every vertex reachable from v through unmarked vertices, in the order of a
// depth-first search that tries neighbours in increasing order. The stack is explicit, so a
// path of any length cannot exhaust the call stack.
void markReachable(const AdjacencyBits& adjacency, int n, int v, std::int16_t* marks) {
  std::vector<std::uint64_t> unmarked(adjacency.words(), 0);
  for (int u = 0; u < n; ++u) {
    if (marks[u] == 0) unmarked[u / 64] |= std::uint64_t(1) << (u % 64);
  }
  auto mark = [&](int u) {
    marks[u] = 1;
    unmarked[u / 64] &= ~(std::uint64_t(1) << (u % 64));
  };
  struct Frame {
    int vertex;
    int next;  // the smallest neighbour not tried yet
  };
  std::vector<Frame> stack;
  mark(v);
  stack.push_back({v, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    const int u =
        firstCommon(adjacency.row(top.vertex), unmarked.data(), adjacency.words(), top.next);
    if (u < 0) {
      stack.pop_back();
      continue;
    }
    top.next = u + 1;
    mark(u);
    stack.push_back({u, 0});
  }
}

// Vertices joined by exactly one solid edge (entry -1), the only edges an arm walk follows.
// Built in one pass over the rows above the diagonal, read in memory order; row i is read left
// to right and the lower neighbours of a vertex come from earlier rows, so every list ends up
// in increasing order.
Neighbours singleSolidNeighbours(const Bigraph& g) {
  Neighbours lists(vertexCount(g));
  for (int i = 0; i < g.n; ++i) {
    const BigInteger* row = g.gram[i];
    for (int j = i + 1; j < g.n; ++j) {
      if (row[j].isMinusOne()) {
        lists[i].push_back(j);
        lists[j].push_back(i);
      }
    }
  }
  return lists;
}

// The walk of GoThrough over the lists. A vertex is counted in this walk when its mark equals
// `walk`, a number no earlier walk over the same marks used.
int walkArm(const Neighbours& singleSolid, int from, int start, std::vector<unsigned>& marks,
            unsigned walk) {
  const int n = static_cast<int>(singleSolid.size());
  // Vertices the walk may not enter again; on a tree the walk never tries to.
  if (from >= 0 && from < n) marks[from] = walk;
  marks[start] = walk;
  int current = start;
  int previous = from;
  int count = 1;
  // Moves on to `next` unless that closes a cycle; false ends the walk.
  auto stepTo = [&](int next) {
    if (marks[next] == walk) return false;
    marks[next] = walk;
    previous = current;
    current = next;
    ++count;
    return true;
  };
  for (;;) {
    const int lower = firstLowerNeighbour(singleSolid[current], current, previous);
    if (lower >= 0) {
      if (!stepTo(lower)) return count;
      continue;
    }
    bool moved = false;
    for (int upper = firstUpperNeighbour(singleSolid[current], current, previous); upper >= 0;
         upper = firstUpperNeighbour(singleSolid[current], current, previous)) {
      if (!stepTo(upper)) return count;
      moved = true;
    }
    if (!moved) return count;
  }
}

void requireVertex(const Bigraph& g, int v, const char* operation) {
  if (v < 0 || v >= g.n) {
    throw std::out_of_range(std::string(operation) + ": vertex " + std::to_string(v) +
                            " is not one of the " + std::to_string(g.n) +
                            " vertices of the bigraph");
  }
}

}  // namespace

void Bigraph::DFS_Visit(int v) {
  requireVertex(*this, v, "DFS_Visit");
  if (visited == nullptr) visited = new std::int16_t[n]();
  markReachable(AdjacencyBits(*this), n, v, visited);
}

bool Bigraph::isConnected() {
  std::int16_t* fresh = new std::int16_t[std::max(n, 0)]();
  delete[] visited;
  visited = fresh;
  // A bigraph without vertices is not taken as connected, so that it gets no shape.
  if (n <= 0) return false;
  DFS_Visit(0);
  for (int i = 0; i < n; ++i) {
    if (visited[i] == 0) return false;
  }
  return true;
}

int Bigraph::GoThrough(int from, int start) {
  requireVertex(*this, start, "GoThrough");
  if (!armWalkKept_) {
    std::vector<unsigned> marks(static_cast<std::size_t>(n), 0);
    return walkArm(singleSolidNeighbours(*this), from, start, marks, 1);
  }
  if (armWalkLists_.empty()) {  // n > 0 here, so empty lists were not built yet
    armWalkLists_ = singleSolidNeighbours(*this);
    armWalkMarks_.assign(static_cast<std::size_t>(n), 0);
    armWalkNumber_ = 0;
  }
  return walkArm(armWalkLists_, from, start, armWalkMarks_, ++armWalkNumber_);
}

void Bigraph::keepArmWalkLists() {
  dropArmWalkLists();
  armWalkKept_ = true;
}

void Bigraph::dropArmWalkLists() {
  armWalkKept_ = false;
  std::vector<std::vector<int>>().swap(armWalkLists_);
  std::vector<unsigned>().swap(armWalkMarks_);
}

}  // namespace core
