// Connectivity search and arm walks over the Gram matrix: DFS_Visit, isConnected, GoThrough.
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "GramReading.h"

namespace gram_reading {

namespace {

// Collects, row by row above the diagonal, the pairs whose entry passes `joins`. Row i is
// read left to right, and the lower neighbours of a vertex come from earlier rows, so every
// list ends up in increasing order.
template <class Joins>
Neighbours neighboursWhere(const Bigraph& g, Joins joins) {
  Neighbours lists(static_cast<std::size_t>(std::max(g.n, 0)));
  for (int i = 0; i < g.n; ++i) {
    const BigInteger* row = g.gram[i];
    for (int j = i + 1; j < g.n; ++j) {
      if (joins(row[j])) {
        lists[i].push_back(j);
        lists[j].push_back(i);
      }
    }
  }
  return lists;
}

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

// Marks every vertex reachable from v through unmarked vertices, in the order of a
// depth-first search that tries neighbours in increasing order. The stack is explicit, so a
// path of any length cannot exhaust the call stack.
void markReachable(const Neighbours& lists, int v, std::int16_t* marks) {
  struct Frame {
    int vertex;
    std::size_t next;  // position in the vertex's list to try next
  };
  std::vector<Frame> stack;
  marks[v] = 1;
  stack.push_back({v, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    const std::vector<int>& list = lists[top.vertex];
    while (top.next < list.size() && marks[list[top.next]] != 0) ++top.next;
    if (top.next == list.size()) {
      stack.pop_back();
      continue;
    }
    const int u = list[top.next++];
    marks[u] = 1;
    stack.push_back({u, 0});
  }
}

}  // namespace

Neighbours allNeighbours(const Bigraph& g) {
  return neighboursWhere(g, [](const BigInteger& e) { return !isZero(e); });
}

Neighbours singleSolidNeighbours(const Bigraph& g) {
  return neighboursWhere(g, [](const BigInteger& e) { return isMinusOne(e); });
}

int walkArm(const Neighbours& singleSolid, int from, int start) {
  const int n = static_cast<int>(singleSolid.size());
  // Vertices the walk may not enter again; on a tree the walk never tries to.
  std::vector<char> counted(n, 0);
  if (from >= 0 && from < n) counted[from] = 1;
  counted[start] = 1;
  int current = start;
  int previous = from;
  int count = 1;
  // Moves on to `next` unless that closes a cycle; false ends the walk.
  auto stepTo = [&](int next) {
    if (counted[next]) return false;
    counted[next] = 1;
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

}  // namespace gram_reading

namespace {

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
  gram_reading::markReachable(gram_reading::allNeighbours(*this), v, visited);
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
  return gram_reading::walkArm(gram_reading::singleSolidNeighbours(*this), from, start);
}
