// Symmetric fraction-free elimination: pivots on diagonal entries of the scaled Schur
// complement, with a unimodular congruence where only off-diagonal entries are left.
#include "SymmetricElimination.h"

#include <flint/fmpz_poly.h>
#include <flint/fmpz_vec.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace core {

namespace symmetric_elimination {

namespace {

// Entries in machine words while they stay below 2^31 in magnitude, so that every product and
// difference of the update fits in 64 bits; the matrices met in practice never leave it.
class WordEntries {
 public:
  using Entry = std::int64_t;
  static constexpr std::int64_t kLimit = std::int64_t(1) << 31;

  WordEntries(const FlintMatrix& S, long n) : n_(n), a_(n * n), v_(n * n, 0) {
    for (long i = 0; i < n; ++i) {
      v_[i * n + i] = 1;
      for (long j = 0; j < n; ++j) {
        const fmpz* e = S.at(i, j);
        if (fmpz_fits_si(e))
          check(a_[i * n + j] = fmpz_get_si(e));
        else
          overflow = true;
      }
    }
  }
  Entry* a(long i, long j) { return &a_[i * n_ + j]; }
  Entry* v(long i, long k) { return &v_[i * n_ + k]; }
  static int sign(const Entry* e) { return (*e > 0) - (*e < 0); }
  static bool isZero(const Entry* e) { return *e == 0; }
  static void set(Entry* out, const Entry* x) { *out = *x; }
  void add(Entry* out, const Entry* x) { check(*out += *x); }
  void twice(Entry* out, const Entry* x) { check(*out = 2 * *x); }
  // entry = (P entry - f g) / previous, exactly: the division is a shift and a product with
  // the inverse of previous's odd part modulo 2^64, much cheaper than a hardware division.
  void update(Entry* entry, const Entry* P, const Entry* f, const Entry* g, const Entry*) {
    const std::int64_t t = *P * *entry - *f * *g;
    if (previous_ == 1) {
      check(*entry = t);
      return;
    }
    const std::uint64_t quotient = static_cast<std::uint64_t>(t >> shift_) * oddInverse_;
    const std::int64_t q = static_cast<std::int64_t>(quotient);
    check(*entry = negative_ ? -q : q);
  }
  // Called after previous changed.
  void pivotChanged() {
    const std::uint64_t magnitude =
        static_cast<std::uint64_t>(previous_ < 0 ? -previous_ : previous_);
    shift_ = std::countr_zero(magnitude);
    const std::uint64_t odd = magnitude >> shift_;
    std::uint64_t inverse = odd;  // correct to 3 bits; each Newton step doubles that
    for (int k = 0; k < 5; ++k) inverse *= 2 - odd * inverse;
    oddInverse_ = inverse;
    negative_ = previous_ < 0;
  }
  void toFlint(fmpz* out, const Entry* x) const { fmpz_set_si(out, *x); }
  Entry* previousPivot() { return &previous_; }
  bool overflow = false;

 private:
  std::int64_t previous_ = 1;
  int shift_ = 0;
  std::uint64_t oddInverse_ = 1;
  bool negative_ = false;
  void check(std::int64_t x) {
    if (x >= kLimit || x <= -kLimit) overflow = true;
  }
  long n_;
  std::vector<std::int64_t> a_;
  std::vector<std::int64_t> v_;
};

// Entries of any size.
class FlintEntries {
 public:
  using Entry = fmpz;

  FlintEntries(const FlintMatrix& S, long n) : a_(n, n), v_(n, n) {
    fmpz_mat_set(a_.get(), S.get());
    fmpz_mat_one(v_.get());
  }
  Entry* a(long i, long j) { return a_.at(i, j); }
  Entry* v(long i, long k) { return v_.at(i, k); }
  static int sign(const Entry* e) { return fmpz_sgn(e); }
  static bool isZero(const Entry* e) { return fmpz_is_zero(e); }
  static void set(Entry* out, const Entry* x) { fmpz_set(out, x); }
  void add(Entry* out, const Entry* x) { fmpz_add(out, out, x); }
  void twice(Entry* out, const Entry* x) { fmpz_mul_2exp(out, x, 1); }
  void update(Entry* entry, const Entry* P, const Entry* f, const Entry* g, const Entry* previous) {
    fmpz_mul(t_.get(), P, entry);
    fmpz_submul(t_.get(), f, g);
    if (fmpz_is_one(previous))
      fmpz_swap(entry, t_.get());
    else
      fmpz_divexact(entry, t_.get(), previous);
  }
  void toFlint(fmpz* out, const Entry* x) const { fmpz_set(out, x); }
  Entry* previousPivot() { return previous_.get(); }
  void pivotChanged() {}
  bool overflow = false;  // never

 private:
  FlintInteger previous_{1};
  FlintMatrix a_;
  FlintMatrix v_;
  FlintInteger t_;
};

// The working state: a(i, j) holds the scaled Schur complement on the `remaining` indices
// (principal minors of a congruent matrix, so every division is exact) and row j of v the
// vector, in original coordinates, whose Gram values those entries are. Row j of v is zero
// outside the columns in `support` and column j itself.
template <class Entries>
class Eliminator {
 public:
  using Entry = typename Entries::Entry;

  Eliminator(const FlintMatrix& S, const Checkpoint& checkpoint)
      : n_(S.rows()), e_(S, n_), previous_(*e_.previousPivot()), checkpoint_(checkpoint) {
    for (long j = 0; j < n_; ++j) remaining_.push_back(j);
  }

  // None when the entries outgrew the word type.
  std::optional<Result> run() {
    Result result;
    while (!e_.overflow) {
      const long pivot = choosePivot(result);
      // A congruence step may have outgrown the words: no product of its entries is formed.
      if (pivot < 0 || e_.overflow) break;
      countPivot(result.signature, pivot);
      eliminate(pivot);
      ++result.rank;
      // Each pivot costs about the square of what is left: report that share of the work.
      if (checkpoint_ && result.rank % 16 == 0) {
        const double left = static_cast<double>(remaining_.size()) / static_cast<double>(n_);
        checkpoint_(1.0 - left * left * left);
      }
    }
    if (e_.overflow) return std::nullopt;
    result.signature.zero = static_cast<int>(remaining_.size());
    e_.toFlint(result.lastPivot.get(), &previous_);
    result.freeIndices = remaining_;
    if (inverseBasis_) result.inverseBasis.emplace(std::move(*inverseBasis_));
    if (!remaining_.empty()) result.kernelRows.emplace(static_cast<long>(remaining_.size()), n_);
    for (std::size_t k = 0; k < remaining_.size(); ++k)
      copyRow(*result.kernelRows, static_cast<long>(k), remaining_[k]);
    return result;
  }

 private:
  Entry* a(long i, long j) { return e_.a(i, j); }

  // The Schur value of a diagonal entry is a(j, j) / previous pivot.
  bool negativeSchurValue(long j) { return Entries::sign(a(j, j)) * Entries::sign(&previous_) < 0; }

  // Prefers a negative diagonal entry while no witness is known, so one turns up early; then
  // the first nonzero one; then makes one from an off-diagonal entry. -1: all remaining zero.
  long choosePivot(Result& result) {
    if (!result.witness) {
      for (long j : remaining_)
        if (negativeSchurValue(j)) {
          recordWitness(result, j);
          return j;
        }
    }
    for (long j : remaining_)
      if (!Entries::isZero(a(j, j))) return j;
    const long made = diagonalFromOffDiagonal();
    if (made >= 0 && !result.witness && negativeSchurValue(made)) recordWitness(result, made);
    return made;
  }

  // All remaining diagonal entries are zero: for a nonzero a(i, j), the congruence adding
  // vertex j to vertex i gives a(i, i) = 2 a(i, j) != 0. Returns i, or -1 if all are zero.
  long diagonalFromOffDiagonal() {
    for (std::size_t x = 0; x < remaining_.size(); ++x)
      for (std::size_t y = x + 1; y < remaining_.size(); ++y) {
        const long i = remaining_[x];
        const long j = remaining_[y];
        if (Entries::isZero(a(i, j))) continue;
        for (long k : remaining_) {
          if (k == i) continue;
          e_.add(a(i, k), a(j, k));
          Entries::set(a(k, i), a(i, k));
        }
        // a(i,i) + 2 a(i,j) + a(j,j) with both diagonals zero; a(j,i) kept its value above,
        // as a(j,j) = 0 was added to it.
        e_.twice(a(i, i), a(j, i));
        recordCongruence(i, j);
        addToSupport(j);
        addToSupport(i);
        for (long k : support_) e_.add(e_.v(i, k), e_.v(j, k));
        return i;
      }
    return -1;
  }

  // Vertex j added to vertex i: the basis matrix T gains column j in column i, so its
  // inverse loses row i from row j.
  void recordCongruence(long i, long j) {
    if (!inverseBasis_) {
      inverseBasis_.emplace(n_, n_);
      fmpz_mat_one(inverseBasis_->get());
    }
    fmpz_mat_struct* t = inverseBasis_->get();
    _fmpz_vec_sub(t->rows[j], t->rows[j], t->rows[i], n_);
  }

  void addToSupport(long column) {
    if (std::find(support_.begin(), support_.end(), column) == support_.end())
      support_.push_back(column);
  }

  void recordWitness(Result& result, long j) {
    result.witness.emplace(1, n_);
    copyRow(*result.witness, 0, j);
  }

  void copyRow(FlintMatrix& out, long row, long j) {
    for (long k = 0; k < n_; ++k) e_.toFlint(out.at(row, k), e_.v(j, k));
  }

  void countPivot(Signature& s, long pivot) {
    if (negativeSchurValue(pivot))
      ++s.negative;
    else
      ++s.positive;
  }

  // One Bareiss step on pivot p: a(x, y) = (P a(x, y) - a(p, x) a(p, y)) / previous, and the
  // same for the vectors; then P becomes the previous pivot.
  void eliminate(long p) {
    std::erase(remaining_, p);
    addToSupport(p);
    const Entry* P = a(p, p);
    for (std::size_t x = 0; x < remaining_.size(); ++x) {
      const long i = remaining_[x];
      const Entry* api = a(p, i);
      for (std::size_t y = x; y < remaining_.size(); ++y) {
        const long j = remaining_[y];
        e_.update(a(i, j), P, api, a(p, j), &previous_);
        if (i != j) Entries::set(a(j, i), a(i, j));
      }
    }
    for (long i : remaining_) {
      const Entry* api = a(p, i);
      for (long k : support_) e_.update(e_.v(i, k), P, api, e_.v(p, k), &previous_);
      if (std::find(support_.begin(), support_.end(), i) == support_.end())
        e_.update(e_.v(i, i), P, api, e_.v(p, i), &previous_);
    }
    Entries::set(&previous_, P);
    e_.pivotChanged();
  }

  long n_;
  Entries e_;
  std::vector<long> remaining_;
  std::vector<long> support_;                // pivots so far and the vertices of congruence steps
  Entry& previous_;                          // the last pivot, 1 before the first
  std::optional<FlintMatrix> inverseBasis_;  // made at the first congruence step
  const Checkpoint& checkpoint_;
};

// Sign changes in the sequence of nonzero coefficients c[0..len), with every odd-degree
// coefficient negated when `negated` (the polynomial at -x).
int signChanges(const fmpz_poly_t p, bool negated) {
  int changes = 0;
  int last = 0;
  for (slong k = 0; k < fmpz_poly_length(p); ++k) {
    int s = fmpz_sgn(fmpz_poly_get_coeff_ptr(p, k));
    if (s == 0) continue;
    if (negated && k % 2 == 1) s = -s;
    if (last != 0 && s != last) ++changes;
    last = s;
  }
  return changes;
}

}  // namespace

Result eliminate(const FlintMatrix& S, const Checkpoint& checkpoint) {
  if (std::optional<Result> fast = Eliminator<WordEntries>(S, checkpoint).run())
    return std::move(*fast);
  return std::move(*Eliminator<FlintEntries>(S, checkpoint).run());
}

bool divideKernelRows(Result& r) {
  if (!r.kernelRows) return true;
  FlintMatrix& K = *r.kernelRows;
  const fmpz* d = r.lastPivot.get();
  for (long i = 0; i < K.rows(); ++i)
    for (long j = 0; j < K.cols(); ++j)
      if (!fmpz_divisible(K.at(i, j), d)) return false;
  fmpz_mat_scalar_divexact_fmpz(K.get(), K.get(), d);
  return true;
}

Signature signatureFromCharpoly(const FlintMatrix& S) {
  fmpz_poly_t chi;
  fmpz_poly_init(chi);
  fmpz_mat_charpoly(chi, S.get());
  Signature s;
  const int n = static_cast<int>(S.rows());
  s.positive = signChanges(chi, false);
  s.negative = signChanges(chi, true);
  s.zero = n - s.positive - s.negative;
  fmpz_poly_clear(chi);
  return s;
}

}  // namespace symmetric_elimination

}  // namespace core
