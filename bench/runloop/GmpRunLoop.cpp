// The run loop on GMP integers: row-major matrix, per-row dotted counts, mpz_submul in place.
#include "GmpRunLoop.h"

#include <gmp.h>

namespace {

class GmpGram {
 public:
  GmpGram(int n, int r) : n_(n), cells_(static_cast<std::size_t>(n) * n), dotted_(n, 0) {
    for (__mpz_struct& c : cells_) mpz_init(&c);
    mpz_init(q_);
    for (int x = 0; x < n; ++x) mpz_set_si(cell(x, x), 1);
    if (r > 1) {
      for (int x = 0; x + 1 < n; ++x) mpz_set_si(cell(x, x + 1), -1);
      if (r < n)
        for (int d = 2; d < n; ++d) {
          const int t = (d + 1) % r;
          const int v = t == 1 ? 1 : t == 2 % r ? -1 : 0;
          for (int x = 0; v != 0 && x + d < n; ++x) mpz_set_si(cell(x, x + d), v);
        }
    }
    for (int x = 0; x < n; ++x)
      for (int y = x + 1; y < n; ++y) dotted_[x] += mpz_sgn(cell(x, y)) > 0;
  }
  ~GmpGram() {
    for (__mpz_struct& c : cells_) mpz_clear(&c);
    mpz_clear(q_);
  }
  GmpGram(const GmpGram&) = delete;
  GmpGram& operator=(const GmpGram&) = delete;

  bool choose(int a, int& ci, int& cj) {
    switch (a) {
      case 1: return highest(false, ci, cj);
      case 2: return last(ci, cj);
      case 3: return highest(true, ci, cj);
      default: return first(ci, cj);
    }
  }

  void inflate(int i, int j) {
    mpz_ptr pair = edge(i, j);
    mpz_fdiv_q(q_, pair, cell(i, i));
    for (int x = 0; x < n_; ++x) {
      if (x == i || x == j) continue;
      mpz_ptr e = edge(x, j);
      const int before = mpz_sgn(e) > 0;
      mpz_submul(e, edge(x, i), q_);
      dotted_[x < j ? x : j] += (mpz_sgn(e) > 0) - before;
    }
    mpz_neg(pair, pair);
    --dotted_[i < j ? i : j];
  }

  std::vector<std::string> entries() {
    std::vector<std::string> all;
    for (__mpz_struct& c : cells_) {
      char* text = mpz_get_str(nullptr, 10, &c);
      all.emplace_back(text);
      void (*release)(void*, std::size_t);
      mp_get_memory_functions(nullptr, nullptr, &release);
      release(text, all.back().size() + 1);
    }
    return all;
  }

 private:
  mpz_ptr cell(int x, int y) { return &cells_[static_cast<std::size_t>(x) * n_ + y]; }
  mpz_ptr edge(int x, int y) { return x < y ? cell(x, y) : cell(y, x); }

  bool first(int& ci, int& cj) {
    for (int x = 0; x < n_; ++x)
      if (dotted_[x])
        for (int y = x + 1; y < n_; ++y)
          if (mpz_sgn(cell(x, y)) > 0) return ci = x, cj = y, true;
    return false;
  }
  bool last(int& ci, int& cj) {
    for (int x = n_ - 1; x >= 0; --x)
      if (dotted_[x])
        for (int y = n_ - 1; y > x; --y)
          if (mpz_sgn(cell(x, y)) > 0) return ci = x, cj = y, true;
    return false;
  }
  bool highest(bool backwards, int& ci, int& cj) {
    mpz_ptr best = nullptr;
    for (int s = 0; s < n_; ++s) {
      const int x = backwards ? n_ - 1 - s : s;
      if (!dotted_[x]) continue;
      for (int t = 0; t < n_ - 1 - x; ++t) {
        const int y = backwards ? n_ - 1 - t : x + 1 + t;
        mpz_ptr v = cell(x, y);
        if (mpz_sgn(v) > 0 && (best == nullptr || mpz_cmp(v, best) > 0)) {
          best = v;
          ci = x;
          cj = y;
        }
      }
    }
    return best != nullptr;
  }

  int n_;
  std::vector<__mpz_struct> cells_;  // row-major n x n
  std::vector<int> dotted_;
  mpz_t q_;
};

}  // namespace

RunResult runGmpLoop(int n, int r, int m, int a, bool wantEntries) {
  GmpGram g(n, r);
  RunResult result;
  int i = 0, j = 0;
  while (g.choose(a, i, j)) {
    g.inflate(i, j);
    result.performed.push_back({i, j});
    if (static_cast<int>(result.performed.size()) == m) break;
  }
  if (wantEntries) result.finalEntries = g.entries();
  return result;
}
