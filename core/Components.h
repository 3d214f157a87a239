// The connected components of a bigraph given by its upper Gram entries.
#pragma once

#include <numeric>
#include <vector>

namespace core {

// Component number of every vertex, numbered in the order of their first vertex; vertices
// i < j are joined when upperAt(i, j) is not zero. `count` receives the number of components.
template <class UpperAt>
std::vector<int> componentLabels(int n, const UpperAt& upperAt, int& count) {
  std::vector<int> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&](int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (!upperAt(i, j).isZero()) parent[root(i)] = root(j);
  std::vector<int> label(n, -1);
  std::vector<int> component(n);
  count = 0;
  for (int v = 0; v < n; ++v) {
    int& l = label[root(v)];
    if (l < 0) l = count++;
    component[v] = l;
  }
  return component;
}

}  // namespace core
