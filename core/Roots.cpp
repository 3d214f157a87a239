// The roots of a positive bigraph, as the orbit of the simple roots under their reflections.
//
// Let G be unit upper triangular with S = G + G^T positive definite, and R = {v : v^T S v = 2}
// (= {v : v^T G v = 1}). R is a finite root system, simply laced, spanning Z^n, with Dynkin
// type that of G (Ringel, "Tame algebras and integral quadratic forms", LNM 1099 (1984);
// Simson, "Coxeter-Gram classification of positive simply laced edge-bipartite graphs", SIAM J.
// Discrete Math. 27 (2013)). The unit vectors e_i are roots; W' = <s_1, ..., s_n>, s_i(x) =
// x - (x^T S e_i) e_i, permutes R, and R' = W' {e_i} is a root subsystem of R spanning the same
// lattice Z^n. A root subsystem of an ADE system whose roots span the same lattice is the whole
// system: the lattice of a root system of rank n has determinant the product of its components'
// (A_m: m + 1, D_m: 4, E_6: 3, E_7: 2, E_8: 1), and comparing these per irreducible component
// leaves only the component itself, with as many roots. So R = R', and the orbit computed
// below (breadth first, n reflections per root, each changing one coordinate in O(degree))
// is all of R: |R| n steps of O(n) in the worst case. A bound on |R| stops an input that is
// not positive, whose orbit would be infinite.
#include "Roots.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "Coxeter.h"

namespace core {

namespace {

struct Neighbour {
  int vertex;
  std::int64_t weight;  // S(i, vertex), in -1..1 for a positive form
};

std::vector<std::vector<Neighbour>> neighboursOf(const GramMatrix& upper) {
  if (!hasUnitDiagonal(upper)) throw std::invalid_argument("a diagonal entry is not 1");
  const int n = upper.vertices();
  std::vector<std::vector<Neighbour>> out(n);
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const BigInteger& g = upper[i][j];
      if (g.isZero()) continue;
      if (g != BigInteger(1) && g != BigInteger(-1))
        throw std::invalid_argument("an edge of multiplicity above 1: not a positive bigraph");
      const std::int64_t w = g.isNegative() ? -1 : 1;
      out[i].push_back({j, w});
      out[j].push_back({i, w});
    }
  return out;
}

struct RootHash {
  std::size_t operator()(const Root& r) const noexcept {
    std::uint64_t h = 1469598103934665603ULL;
    for (std::int64_t x : r) h = (h ^ static_cast<std::uint64_t>(x)) * 1099511628211ULL;
    return static_cast<std::size_t>(h);
  }
};

bool rootBefore(const Root& a, const Root& b) {
  const std::int64_t sa = std::accumulate(a.begin(), a.end(), std::int64_t{0});
  const std::int64_t sb = std::accumulate(b.begin(), b.end(), std::int64_t{0});
  if (sa != sb) return sa > sb;
  return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end());
}

// The i-th coordinate of s_i(x): x_i - (S x)_i = -x_i - sum over neighbours j of S(i, j) x_j.
std::int64_t reflectedCoordinate(const Root& x, int i, const std::vector<Neighbour>& around) {
  std::int64_t value = -x[i];
  for (const Neighbour& nb : around)
    if (__builtin_sub_overflow(value, nb.weight * x[nb.vertex], &value))
      throw RootBoundExceeded("a root coordinate beyond 64 bits");
  return value;
}

}  // namespace

std::uint64_t rootCountOfType(const DiagramSum& type) {
  std::uint64_t count = 0;
  for (const DiagramType& t : type.terms()) {
    const std::uint64_t m = static_cast<std::uint64_t>(t.rank);
    switch (t.family) {
      case DiagramFamily::A: count += m * (m + 1); break;
      case DiagramFamily::D: count += 2 * m * (m - 1); break;
      case DiagramFamily::E: count += m == 6 ? 72 : m == 7 ? 126 : 240; break;
    }
  }
  return count;
}

std::vector<Root> rootsOf(const GramMatrix& upper, std::size_t maxRoots,
                          const std::atomic<bool>* stop) {
  const auto neighbours = neighboursOf(upper);
  const int n = upper.vertices();
  std::vector<Root> roots;
  std::unordered_set<Root, RootHash> seen;
  auto add = [&](Root&& r) {
    if (seen.count(r) != 0) return;
    if (roots.size() >= maxRoots)
      throw RootBoundExceeded("more than " + std::to_string(maxRoots) + " roots");
    seen.insert(r);
    roots.push_back(std::move(r));
  };
  for (int i = 0; i < n; ++i) {
    Root e(n, 0);
    e[i] = 1;
    add(std::move(e));
  }
  for (std::size_t k = 0; k < roots.size(); ++k) {
    if ((k & 255) == 0 && stop != nullptr && stop->load()) throw CoxeterWorkStopped();
    for (int i = 0; i < n; ++i) {
      Root image = roots[k];
      image[i] = reflectedCoordinate(image, i, neighbours[i]);
      add(std::move(image));
    }
  }
  std::sort(roots.begin(), roots.end(), rootBefore);
  return roots;
}

bool isPositiveRoot(const Root& root) {
  return std::all_of(root.begin(), root.end(), [](std::int64_t x) { return x >= 0; });
}

}  // namespace core
