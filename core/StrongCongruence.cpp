// Strong Gram congruence of positive bigraphs by a search over roots, and weak certificates
// composed from normal forms.
//
// Strong: G2 = B^T G1 B with G1, G2 unit upper triangular and S1 positive definite. The
// diagonal gives b_j^T G1 b_j = G2(j, j) = 1 for every column b_j of B, so each column is a
// root of G1 (Simson, "Coxeter-Gram classification of positive simply laced edge-bipartite
// graphs", SIAM J. Discrete Math. 27 (2013), where the strong Gram classes and their Coxeter
// spectra are set out; type A settled by Jiménez González, "A Coxeter spectral classification
// of positive edge-bipartite graphs I. Dynkin types B_n, C_n, F_4, G_2, E_6, E_7, E_8", and
// "... of type A_n", Linear Algebra Appl. (2021)). The root set is finite, so the columns are
// chosen one at a time among the roots, each candidate pruned by the entries it must make
// with every column chosen before: b_j^T G1 b_k = G2(j, k) and b_k^T G1 b_j = G2(k, j). The
// columns are taken in breadth-first order of G2's graph, so each meets an earlier neighbour,
// and every later column keeps its own list of candidates, filtered as each choice is made
// (forward checking): an empty list ends the branch at once. B and -B are certificates
// together, so the first column is taken only up to sign. Finding every column gives B; det B
// = +-1 follows from det G1 = det G2 = 1, and both are checked exactly before B is returned.
// Running out of candidates everywhere proves that no B exists. The node count and a time
// bound keep the cost in view; out of time, the answer is left open.
//
// Weak: S2 = B^T S1 B with B = B1 B2^-1, where B_k^T S_k B_k = S_N for the common normal form
// N (Barot and de la Peña 1999: the Dynkin type and the corank decide weak congruence of
// non-negative connected bigraphs).
#include "StrongCongruence.h"

#include <chrono>

#include "Coxeter.h"
#include "FlintBridge.h"
#include "Roots.h"

namespace core {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::int64_t> smallEntries(const GramMatrix& upper) {
  const std::size_t n = upper.size();
  std::vector<std::int64_t> out(n * n, 0);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i; j < n; ++j) {
      std::int64_t v = 0;
      if (!upper[i][j].asInt64(v) || v > (1 << 20) || v < -(1 << 20))
        throw std::invalid_argument("an entry too large for a positive bigraph");
      out[i * n + j] = v;
    }
  return out;
}

// x^T G y for the roots of G1: a table when the root set is small, computed otherwise.
class RootPairing {
 public:
  RootPairing(const GramMatrix& upper, const std::vector<Root>& roots)
      : roots_(roots), n_(upper.size()) {
    const auto g = smallEntries(upper);
    images_.reserve(roots.size());
    for (const Root& r : roots) {  // G r
      std::vector<std::int64_t> image(n_, 0);
      for (std::size_t i = 0; i < n_; ++i)
        for (std::size_t j = i; j < n_; ++j) image[i] += g[i * n_ + j] * r[j];
      images_.push_back(std::move(image));
    }
    if (roots.size() <= kTableLimit) {
      table_.resize(roots.size() * roots.size());
      for (std::size_t x = 0; x < roots.size(); ++x)
        for (std::size_t y = 0; y < roots.size(); ++y) table_[x * roots.size() + y] = compute(x, y);
    }
  }
  std::int64_t operator()(std::size_t x, std::size_t y) const {
    return table_.empty() ? compute(x, y) : table_[x * roots_.size() + y];
  }

 private:
  static constexpr std::size_t kTableLimit = 2048;
  std::int64_t compute(std::size_t x, std::size_t y) const {
    std::int64_t s = 0;
    for (std::size_t i = 0; i < n_; ++i) s += roots_[x][i] * images_[y][i];
    return s;
  }
  const std::vector<Root>& roots_;
  std::size_t n_;
  std::vector<std::vector<std::int64_t>> images_;
  std::vector<std::int64_t> table_;
};

// The vertices of G2 in breadth-first order, each component from its vertex of most edges.
std::vector<int> columnOrder(const std::vector<std::int64_t>& g2, int n) {
  auto adjacent = [&](int a, int b) {
    return g2[static_cast<std::size_t>(std::min(a, b) * n + std::max(a, b))] != 0;
  };
  std::vector<int> order;
  std::vector<bool> placed(n, false);
  while (static_cast<int>(order.size()) < n) {
    int start = -1, best = -1;
    for (int v = 0; v < n; ++v) {
      if (placed[v]) continue;
      int degree = 0;
      for (int w = 0; w < n; ++w) degree += (w != v && adjacent(v, w)) ? 1 : 0;
      if (degree > best) best = degree, start = v;
    }
    placed[start] = true;
    order.push_back(start);
    for (std::size_t k = order.size() - 1; k < order.size(); ++k)
      for (int w = 0; w < n; ++w)
        if (!placed[w] && adjacent(order[k], w)) placed[w] = true, order.push_back(w);
  }
  return order;
}

class ColumnSearch {
 public:
  ColumnSearch(const std::vector<Root>& roots, const RootPairing& pairing,
               std::vector<std::int64_t> g2, int n, double maxSeconds,
               const std::atomic<bool>* stop)
      : roots_(roots), pair_(pairing), g2_(std::move(g2)), n_(n), order_(columnOrder(g2_, n)),
        chosen_(n, 0), maxSeconds_(maxSeconds), stop_(stop) {}

  SearchOutcome run() {
    std::vector<std::vector<std::size_t>> candidates(n_);
    for (int d = 0; d < n_; ++d)
      for (std::size_t r = 0; r < roots_.size(); ++r)
        if (d > 0 || firstNonzeroPositive(roots_[r])) candidates[d].push_back(r);
    try {
      return descend(0, candidates) ? SearchOutcome::Found : SearchOutcome::None;
    } catch (const OutOfTime&) {
      return SearchOutcome::OutOfTime;
    }
  }
  std::uint64_t nodes() const { return nodes_; }
  // Column order_[d] of B is roots_[chosen_[d]].
  GramMatrix certificate() const {
    GramMatrix b(n_);
    for (int d = 0; d < n_; ++d)
      for (int i = 0; i < n_; ++i) b[i][order_[d]] = BigInteger(static_cast<long long>(roots_[chosen_[d]][i]));
    return b;
  }

 private:
  struct OutOfTime {};

  static bool firstNonzeroPositive(const Root& r) {
    for (std::int64_t x : r)
      if (x != 0) return x > 0;
    return false;
  }
  std::int64_t target(int a, int b) const {  // G2(a, b) for vertices a, b (0 below the diagonal)
    return a <= b ? g2_[static_cast<std::size_t>(a * n_ + b)] : 0;
  }
  void tick() {
    if ((++nodes_ & 4095) != 0) return;
    if (stop_ != nullptr && stop_->load()) throw CoxeterWorkStopped();
    if (std::chrono::duration<double>(Clock::now() - start_).count() > maxSeconds_)
      throw OutOfTime{};
  }

  // candidates[e] for e >= d: the roots still possible as column order_[e].
  bool descend(int d, const std::vector<std::vector<std::size_t>>& candidates) {
    if (d == n_) return true;
    const int vd = order_[d];
    for (std::size_t r : candidates[d]) {
      tick();
      chosen_[d] = r;
      std::vector<std::vector<std::size_t>> next(n_);
      bool alive = true;
      for (int e = d + 1; e < n_ && alive; ++e) {
        const int ve = order_[e];
        const std::int64_t forward = target(vd, ve), backward = target(ve, vd);
        for (std::size_t c : candidates[e])
          if (pair_(r, c) == forward && pair_(c, r) == backward) next[e].push_back(c);
        alive = !next[e].empty();
      }
      if (alive && descend(d + 1, next)) return true;
    }
    return false;
  }

  const std::vector<Root>& roots_;
  const RootPairing& pair_;
  std::vector<std::int64_t> g2_;
  int n_;
  std::vector<int> order_;
  std::vector<std::size_t> chosen_;
  double maxSeconds_;
  const std::atomic<bool>* stop_;
  std::uint64_t nodes_ = 0;
  Clock::time_point start_ = Clock::now();
};

}  // namespace

GramMatrix congruent(const GramMatrix& M, const GramMatrix& B) {
  const long n = static_cast<long>(M.size());
  flint_bridge::FlintMatrix m(n, n), b(n, n), bt(n, n), mb(n, n), out(n, n);
  flint_bridge::toFlint(m, M);
  flint_bridge::toFlint(b, B);
  fmpz_mat_transpose(bt.get(), b.get());
  fmpz_mat_mul(mb.get(), m.get(), b.get());
  fmpz_mat_mul(out.get(), bt.get(), mb.get());
  return flint_bridge::fromFlint(out);
}

BigInteger determinant(const GramMatrix& M) {
  const long n = static_cast<long>(M.size());
  flint_bridge::FlintMatrix m(n, n);
  flint_bridge::toFlint(m, M);
  flint_bridge::FlintInteger d;
  fmpz_mat_det(d.get(), m.get());
  return flint_bridge::fromFmpz(d.get());
}

StrongSearch searchStrongCongruence(const GramMatrix& first, const GramMatrix& second,
                                    double maxSeconds, const std::atomic<bool>* stop,
                                    std::size_t maxRoots) {
  const auto start = Clock::now();
  const int n = first.vertices();
  if (second.vertices() != n) throw std::invalid_argument("bigraphs of different sizes");
  if (!hasUnitDiagonal(first) || !hasUnitDiagonal(second))
    throw std::invalid_argument("a diagonal entry is not 1");
  const GramMatrix g1 = first.upperTriangle(), g2 = second.upperTriangle();
  const std::vector<Root> roots = rootsOf(g1, maxRoots, stop);
  const RootPairing pairing(g1, roots);
  ColumnSearch search(roots, pairing, smallEntries(g2), n, maxSeconds, stop);
  StrongSearch result;
  result.outcome = search.run();
  result.nodes = search.nodes();
  if (result.outcome == SearchOutcome::Found) {
    GramMatrix b = search.certificate();
    const BigInteger det = determinant(b);
    if (!(congruent(g1, b) == g2) || (det != BigInteger(1) && det != BigInteger(-1)))
      throw std::logic_error("the strong congruence certificate failed its check");
    result.certificate = std::move(b);
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

std::optional<GramMatrix> weakCertificate(const GramMatrix& first, const NormalForm& firstForm,
                                          const GramMatrix& second, const NormalForm& secondForm) {
  if (firstForm.name != secondForm.name || !(firstForm.gram == secondForm.gram)) return std::nullopt;
  const long n = static_cast<long>(first.size());
  flint_bridge::FlintMatrix b1(n, n), b2(n, n), inverse(n, n), b(n, n);
  flint_bridge::toFlint(b1, firstForm.certificate);
  flint_bridge::toFlint(b2, secondForm.certificate);
  flint_bridge::FlintInteger den;
  if (!fmpz_mat_inv(inverse.get(), den.get(), b2.get()) || !fmpz_is_pm1(den.get()))
    throw NormalFormFailure("a normal form certificate is not unimodular");
  fmpz_mat_scalar_mul_fmpz(inverse.get(), inverse.get(), den.get());  // den = +-1: 1/den = den
  fmpz_mat_mul(b.get(), b1.get(), inverse.get());
  GramMatrix certificate = flint_bridge::fromFlint(b);
  if (!isUnimodularCongruence(symmetricGram(first), certificate, symmetricGram(second)))
    throw NormalFormFailure("the composed weak congruence certificate failed its check");
  return certificate;
}

}  // namespace core
