// Bigraphs of known shapes for the traversal, recognition and report tests: edge lists,
// paths, cycles, stars, D~ trees, and renumberings of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Bigraph.h"

namespace shapes {

// One entry above the diagonal: vertices u and v (in either order) and its value.
struct Edge {
  int u;
  int v;
  int entry;
};
using Edges = std::vector<Edge>;

// n loop-free vertices with the given entries; each lands in row min(u, v).
inline std::unique_ptr<core::Bigraph> bigraphWith(int n, const Edges& edges) {
  auto g = std::make_unique<core::Bigraph>(n);
  for (const Edge& e : edges) g->gram[std::min(e.u, e.v)][std::max(e.u, e.v)] = BigInteger(e.entry);
  return g;
}

// Single solid edges along the vertices first, first + 1, ..., first + count - 1.
inline void addPath(Edges& edges, int first, int count) {
  for (int k = 1; k < count; ++k) edges.push_back({first + k - 1, first + k, -1});
}

inline Edges pathEdges(int n) {
  Edges edges;
  addPath(edges, 0, n);
  return edges;
}

inline Edges cycleEdges(int n) {
  Edges edges = pathEdges(n);
  edges.push_back({0, n - 1, -1});
  return edges;
}

// A star with centre 0 and one path per arm length; returns the edges, sets n.
inline Edges starEdges(const std::vector<int>& arms, int& n) {
  Edges edges;
  int next = 1;
  for (int length : arms) {
    edges.push_back({0, next, -1});
    addPath(edges, next, length);
    next += length;
  }
  n = next;
  return edges;
}

inline std::unique_ptr<core::Bigraph> star(const std::vector<int>& arms) {
  int n = 0;
  Edges edges = starEdges(arms, n);
  return bigraphWith(n, edges);
}

// D~_m on m + 1 vertices (m >= 5): a path 0..m-4 with two leaves at each end.
inline Edges dTildeEdges(int m, int& n) {
  n = m + 1;
  const int spine = m - 3;  // vertices 0 .. spine-1
  Edges edges;
  addPath(edges, 0, spine);
  edges.push_back({0, spine, -1});
  edges.push_back({0, spine + 1, -1});
  edges.push_back({spine - 1, spine + 2, -1});
  edges.push_back({spine - 1, spine + 3, -1});
  return edges;
}

// The same edges with vertex v renamed to perm[v].
inline Edges renumbered(const Edges& edges, const std::vector<int>& perm) {
  Edges out;
  for (const Edge& e : edges) out.push_back({perm[e.u], perm[e.v], e.entry});
  return out;
}

// A test name for a star, such as Arms_1_2_2.
inline std::string armsName(const std::vector<int>& arms) {
  std::string name = "Arms";
  for (int length : arms) {
    name += '_';
    name += std::to_string(length);
  }
  return name;
}

// A fixed pseudo-random renumbering of n vertices.
inline std::vector<int> shuffledVertices(int n, std::uint32_t seed) {
  std::vector<int> perm(n);
  std::iota(perm.begin(), perm.end(), 0);
  std::mt19937 generator(seed);
  std::shuffle(perm.begin(), perm.end(), generator);
  return perm;
}

// The vertices in reverse order, so that walks run up the columns instead of along rows.
inline std::vector<int> reversedVertices(int n) {
  std::vector<int> perm(n);
  for (int v = 0; v < n; ++v) perm[v] = n - 1 - v;
  return perm;
}

}  // namespace shapes
