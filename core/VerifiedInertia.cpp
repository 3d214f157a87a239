// The inertia of a symmetric integer matrix by a floating-point LDL^T, proved afterwards.
//
// Exact fraction-free elimination grows its entries to n times the entries' bit length, so on a
// dense n x n matrix it costs about n^5 word operations. The signature needs far less: only the
// signs of the pivots of some congruence. This file finds one in double precision and proves
// it, so the result is as exact as the elimination's:
//
// 1. P S P^T = L D L^T in double precision, the pivot at each step the largest remaining
//    diagonal entry in magnitude (P the permutation). No pivot may be tiny.
// 2. X = L^-1, computed in floating point and then taken as it is: a unit lower triangular
//    matrix of doubles, so det X = 1 exactly and, by Sylvester's law of inertia, the exact
//    M = X (P S P^T) X^T has the inertia of S.
// 3. M is approximated by M^ = fl(fl(X S') X^T), S' = P S P^T. By the standard bound on
//    floating-point inner products (Higham, Accuracy and Stability of Numerical Algorithms,
//    2nd ed., SIAM 2002, eq. (3.5) and section 3.5: |fl(x^T y) - x^T y| <= gamma_n |x|^T |y|,
//    gamma_n = n u / (1 - n u), u = 2^-53, in any order of summation and with or without fused
//    multiply-adds), |M - M^| <= gamma_n (|X| |S'| |X|^T + |P^| |X|^T) entrywise, P^ the
//    computed X S'. Only row sums of this bound are needed, and they are matrix-vector
//    products with the column sums of |X| and |P^|, O(n^2).
// 4. If every row of M is strictly diagonally dominant with the bound added to the radius and
//    subtracted from the centre, no Gershgorin disc of M (or of diag(M) + t offdiag(M),
//    0 <= t <= 1) contains 0. The eigenvalues of that symmetric family move continuously with
//    t, so none crosses 0, and the inertia of M is that of its diagonal: the signs of the
//    diagonal of M^ (Gershgorin; Horn and Johnson, Matrix Analysis, Theorem 6.1.1; this is the
//    verification of Rump, Verification methods: rigorous results using floating-point
//    arithmetic, Acta Numerica 19 (2010), section 10.8, done with a priori bounds instead of
//    directed rounding).
// 5. det S = det M (det P^2 = det X = 1), and with F = diag(M)^-1 offdiag(M), whose rows'
//    absolute sums are at most rho < 1 by the same bounds, det M = prod M_ii det(I + F); the
//    eigenvalues of I + F lie in the disc of radius rho about 1 (Gershgorin), so det(I + F)
//    lies in [(1 - rho)^n, (1 + rho)^n]. Each M_ii is known within its bound. The products are
//    formed with a binary exponent kept apart and widened by a factor covering their 4 n + 256
//    roundings, which gives integers low <= det S <= high, often only a few apart: the caller
//    then needs det S modulo one or two primes only.
// 6. A row x of X with M_kk < 0 satisfies x S' x^T = M_kk < 0 exactly; scaled by a power of two
//    it is an integer witness. A rounded, shorter multiple is tried first and kept only if its
//    value, computed exactly, is negative.
//
// The bounds' own computation (sums of non-negative terms) is covered by a factor 1.01, far
// above the (1 - gamma_n)^-3 it needs; an absolute 2^-900 covers underflow (each operation
// adds at most 2^-1074), with the row sums of |X| kept below 2^100. Overflow gives inf or NaN,
// which fail every comparison. When anything fails, the caller falls back to exact work, so a
// bad conditioning costs time, never correctness. Cost: about 1.7 n^3 flops.
#include "VerifiedInertia.h"

#include <flint/fmpz_vec.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace core {

namespace verified_inertia {

namespace {

constexpr double kUnitRoundoff = 0x1p-53;
constexpr slong kEntryLimit = slong(1) << 26;

// A dense n x n matrix of doubles, row-major.
class Dense {
 public:
  explicit Dense(long n) : n_(n), v_(static_cast<std::size_t>(n * n), 0.0) {}
  double* row(long i) { return v_.data() + i * n_; }
  const double* row(long i) const { return v_.data() + i * n_; }
  double& at(long i, long j) { return v_[static_cast<std::size_t>(i * n_ + j)]; }
  double at(long i, long j) const { return v_[static_cast<std::size_t>(i * n_ + j)]; }

 private:
  long n_;
  std::vector<double> v_;
};

// Calls the checkpoint with the overall fraction, the stage spanning [from, to).
struct Stage {
  const symmetric_elimination::Checkpoint& checkpoint;
  double from;
  double to;
  void at(long done, long total) const {
    if (checkpoint && done % 32 == 0)
      checkpoint(from + (to - from) * static_cast<double>(done) / static_cast<double>(total));
  }
};

// The lower triangle of S as doubles; none if an entry is too large to be safe.
std::optional<Dense> lowerOf(const FlintMatrix& S, double& largest) {
  const long n = S.rows();
  Dense a(n);
  largest = 0;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const fmpz* e = S.at(i, j);
      if (!fmpz_fits_si(e)) return std::nullopt;
      const slong v = fmpz_get_si(e);
      if (v >= kEntryLimit || v <= -kEntryLimit) return std::nullopt;
      a.at(i, j) = static_cast<double>(v);
      largest = std::max(largest, std::fabs(a.at(i, j)));
    }
  return a;
}

// Swaps vertices k < p in the lower triangle `a` (LAPACK's symmetric interchange); columns
// before k hold L and are swapped with it.
void swapSymmetric(Dense& a, long n, long k, long p) {
  for (long j = 0; j < k; ++j) std::swap(a.at(k, j), a.at(p, j));
  std::swap(a.at(k, k), a.at(p, p));
  for (long j = k + 1; j < p; ++j) std::swap(a.at(j, k), a.at(p, j));
  for (long i = p + 1; i < n; ++i) std::swap(a.at(i, k), a.at(i, p));
}

// In place: a becomes L (strictly below the diagonal) and D (on it), P S P^T = L D L^T, with
// order[k] the vertex pivoted at step k. False when the largest remaining pivot is tiny; then
// `pivoted` steps were done.
bool factor(Dense& a, long n, double largest, std::vector<long>& order, long& pivoted,
            const Stage& stage) {
  const double tiny = largest * 0x1p-36;
  std::vector<double> column(static_cast<std::size_t>(n));
  for (long k = 0; k < n; ++k) {
    stage.at(k, n);
    long p = k;
    for (long i = k + 1; i < n; ++i)
      if (std::fabs(a.at(i, i)) > std::fabs(a.at(p, p))) p = i;
    pivoted = k;
    if (!(std::fabs(a.at(p, p)) > tiny)) return false;
    if (p != k) {
      swapSymmetric(a, n, k, p);
      std::swap(order[k], order[p]);
    }
    const double d = a.at(k, k);
    for (long i = k + 1; i < n; ++i) column[i] = a.at(i, k);
    for (long i = k + 1; i < n; ++i) {
      const double l = column[i] / d;
      double* r = a.row(i);
      for (long j = k + 1; j <= i; ++j) r[j] -= l * column[j];
      r[k] = l;
    }
  }
  return true;
}

// S^-1 b for each column b of `rightSides`, from P S P^T = L D L^T held in a.
std::vector<std::vector<double>> solve(const Dense& a, long n, const std::vector<long>& order,
                                       const FlintMatrix& rightSides) {
  std::vector<std::vector<double>> out;
  std::vector<double> z(static_cast<std::size_t>(n));
  for (long c = 0; c < rightSides.cols(); ++c) {
    for (long k = 0; k < n; ++k) z[k] = fmpz_get_d(rightSides.at(order[k], c));
    for (long i = 0; i < n; ++i)
      for (long k = 0; k < i; ++k) z[i] -= a.at(i, k) * z[k];
    for (long i = 0; i < n; ++i) z[i] /= a.at(i, i);
    for (long i = n - 1; i >= 0; --i)
      for (long k = i + 1; k < n; ++k) z[i] -= a.at(k, i) * z[k];
    std::vector<double> y(static_cast<std::size_t>(n));
    for (long k = 0; k < n; ++k) y[order[k]] = z[k];
    out.push_back(std::move(y));
  }
  return out;
}

// X = L^-1 from the unit lower triangular L stored below a's diagonal.
Dense inverseOfUnitLower(const Dense& a, long n, const Stage& stage) {
  Dense x(n);
  for (long i = 0; i < n; ++i) {
    stage.at(i, n);
    double* xi = x.row(i);
    xi[i] = 1.0;
    for (long k = 0; k < i; ++k) {
      const double l = a.at(i, k);
      if (l == 0.0) continue;
      const double* xk = x.row(k);
      for (long j = 0; j <= k; ++j) xi[j] -= l * xk[j];
    }
  }
  return x;
}

Dense permuted(const FlintMatrix& S, const std::vector<long>& order) {
  const long n = S.rows();
  Dense s(n);
  for (long a = 0; a < n; ++a)
    for (long b = 0; b < n; ++b) s.at(a, b) = static_cast<double>(fmpz_get_si(S.at(order[a], order[b])));
  return s;
}

// P^ = fl(X S'), X lower triangular.
Dense leftProduct(const Dense& x, const Dense& s, long n, const Stage& stage) {
  Dense p(n);
  for (long i = 0; i < n; ++i) {
    stage.at(i, n);
    double* pi = p.row(i);
    for (long k = 0; k <= i; ++k) {
      const double f = x.at(i, k);
      if (f == 0.0) continue;
      const double* sk = s.row(k);
      for (long j = 0; j < n; ++j) pi[j] += f * sk[j];
    }
  }
  return p;
}

double dot(const double* a, const double* b, long length) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  long k = 0;
  for (; k + 4 <= length; k += 4) {
    s0 += a[k] * b[k];
    s1 += a[k + 1] * b[k + 1];
    s2 += a[k + 2] * b[k + 2];
    s3 += a[k + 3] * b[k + 3];
  }
  for (; k < length; ++k) s0 += a[k] * b[k];
  return (s0 + s1) + (s2 + s3);
}

// The lower triangle of M^ = fl(P^ X^T): M^_ij = sum over k <= j of P^_ik X_jk.
Dense congruent(const Dense& p, const Dense& x, long n, const Stage& stage) {
  Dense m(n);
  for (long i = 0; i < n; ++i) {
    stage.at(i, n);
    for (long j = 0; j <= i; ++j) m.at(i, j) = dot(p.row(i), x.row(j), j + 1);
  }
  return m;
}

std::vector<double> absColumnSums(const Dense& a, long n) {
  std::vector<double> c(static_cast<std::size_t>(n), 0.0);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j) c[j] += std::fabs(a.at(i, j));
  return c;
}

std::vector<double> absTimes(const Dense& a, const std::vector<double>& v, long n) {
  std::vector<double> out(static_cast<std::size_t>(n), 0.0);
  for (long i = 0; i < n; ++i) {
    double s = 0;
    for (long j = 0; j < n; ++j) s += std::fabs(a.at(i, j)) * v[j];
    out[i] = s;
  }
  return out;
}

// The bounds of step 4, per row i of the exact M: |M_ii - M^_ii| <= error[i] and the sum of
// |M_ij| over j != i is at most offDiagonal[i].
struct RowBounds {
  std::vector<double> error;
  std::vector<double> offDiagonal;
};

RowBounds rowBounds(const Dense& m, const Dense& x, const Dense& s, const Dense& p, long n) {
  const double nu = static_cast<double>(n) * kUnitRoundoff;
  const double gamma = nu / (1.0 - nu);
  RowBounds b{std::vector<double>(static_cast<std::size_t>(n)),
              std::vector<double>(static_cast<std::size_t>(n))};
  const std::vector<double> c = absColumnSums(x, n);
  for (double v : c)
    if (!(v < 0x1p100)) {
      b.error.assign(static_cast<std::size_t>(n), INFINITY);  // fails every check
      return b;
    }
  const std::vector<double> v1 = absTimes(p, c, n);
  const std::vector<double> v3 = absTimes(x, absTimes(s, c, n), n);
  const std::vector<double> v4 = absTimes(x, absColumnSums(p, n), n);
  for (long i = 0; i < n; ++i) {
    double offDiagonal = 0;
    for (long j = 0; j < i; ++j) offDiagonal += std::fabs(m.at(i, j));
    for (long j = i + 1; j < n; ++j) offDiagonal += std::fabs(m.at(j, i));
    b.error[i] = 1.01 * gamma * (2 * v3[i] + v1[i] + v4[i]) + 0x1p-900;
    b.offDiagonal[i] = 1.01 * offDiagonal + b.error[i];
  }
  return b;
}

// Step 4 of the opening comment: true when every row of the exact M is strictly diagonally
// dominant, whatever the rounding.
bool diagonallyDominant(const Dense& m, const RowBounds& b, long n) {
  for (long i = 0; i < n; ++i)
    if (!(std::fabs(m.at(i, i)) - b.error[i] > b.offDiagonal[i])) return false;
  return true;
}

// A positive number mantissa 2^exponent, for products far outside the range of doubles.
struct Scaled {
  double mantissa = 1;
  long exponent = 0;
  void times(double x) {
    int e = 0;
    mantissa = std::frexp(mantissa * x, &e);
    exponent += e;
  }
  void timesPower(double x, long k) {  // x^k by binary powering, 2 log2 k roundings
    Scaled power;
    power.times(x);
    for (; k > 0; k >>= 1) {
      if (k & 1) {
        times(power.mantissa);
        exponent += power.exponent;
      }
      const long e = power.exponent;
      power.exponent = 0;
      power.times(power.mantissa);
      power.exponent += 2 * e;
    }
  }
  // floor (down) or ceiling (up) of the value, exactly.
  void toFmpz(fmpz_t out, bool up) const {
    fmpz_set_si(out, static_cast<slong>(std::ldexp(mantissa, 53)));
    const long shift = exponent - 53;
    if (shift >= 0)
      fmpz_mul_2exp(out, out, static_cast<ulong>(shift));
    else if (up)
      fmpz_cdiv_q_2exp(out, out, static_cast<ulong>(-shift));
    else
      fmpz_fdiv_q_2exp(out, out, static_cast<ulong>(-shift));
  }
};

// Step 5 of the opening comment.
void determinantBounds(Proof& proof, const Dense& m, const RowBounds& b, long n) {
  Scaled low;
  Scaled high;
  double rho = 0;
  for (long i = 0; i < n; ++i) {
    const double centre = std::fabs(m.at(i, i));
    low.times(centre - b.error[i]);
    high.times(centre + b.error[i]);
    rho = std::max(rho, b.offDiagonal[i] / (centre - b.error[i]));
  }
  rho *= 1 + 0x1p-48;  // its own four roundings
  low.timesPower(1 - rho, n);
  high.timesPower(1 + rho, n);
  const double roundings = 4.0 * static_cast<double>(n) + 256;
  const double widen = 2 * roundings * kUnitRoundoff;
  low.times(1 - widen);
  high.times(1 + widen);
  low.toFmpz(proof.detLow.get(), false);
  high.toFmpz(proof.detHigh.get(), true);
  if (proof.signature.negative % 2 == 1) {
    fmpz_neg(proof.detLow.get(), proof.detLow.get());
    fmpz_neg(proof.detHigh.get(), proof.detHigh.get());
    fmpz_swap(proof.detLow.get(), proof.detHigh.get());
  }
}

// x S x^T, exactly.
void quadraticValue(fmpz_t out, const FlintMatrix& S, const fmpz* x) {
  const long n = S.rows();
  flint_bridge::FlintInteger rowValue;
  fmpz_zero(out);
  for (long i = 0; i < n; ++i) {
    if (fmpz_is_zero(x + i)) continue;
    _fmpz_vec_dot(rowValue.get(), S.get()->rows[i], x, n);
    fmpz_addmul(out, rowValue.get(), x + i);
  }
}

// The row x of X in original coordinates (vertex order[a] gets x_a), as integers: rounded after
// scaling the largest entry to 2^bits, or, with bits < 0, scaled exactly by a power of two.
FlintMatrix integerRow(const Dense& x, long k, const std::vector<long>& order, int bits) {
  const long n = static_cast<long>(order.size());
  FlintMatrix w(1, n);
  const double* row = x.row(k);
  int lowest = 0;
  int highest = -100000;
  bool first = true;
  for (long a = 0; a <= k; ++a) {
    if (row[a] == 0.0) continue;
    int e = 0;
    std::frexp(row[a], &e);
    highest = std::max(highest, e);
    lowest = first ? e : std::min(lowest, e);
    first = false;
  }
  for (long a = 0; a <= k; ++a) {
    if (row[a] == 0.0) continue;
    fmpz* out = w.at(0, order[a]);
    if (bits >= 0) {
      fmpz_set_d(out, std::nearbyint(std::ldexp(row[a], bits - highest)));
    } else {
      int e = 0;
      const double mantissa = std::frexp(row[a], &e);  // row[a] = mantissa 2^e, 53-bit mantissa
      fmpz_set_si(out, static_cast<slong>(std::ldexp(mantissa, 53)));
      fmpz_mul_2exp(out, out, static_cast<ulong>(e - lowest));
    }
  }
  return w;
}

// An integer witness from a row k with M_kk < 0: short if rounding keeps the value negative.
FlintMatrix witnessFrom(const Dense& x, long k, const std::vector<long>& order,
                        const FlintMatrix& S) {
  flint_bridge::FlintInteger value;
  for (int bits : {16, 40}) {
    FlintMatrix w = integerRow(x, k, order, bits);
    quadraticValue(value.get(), S, w.get()->rows[0]);
    if (fmpz_sgn(value.get()) < 0) return w;
  }
  return integerRow(x, k, order, -1);
}

}  // namespace

std::optional<Proof> prove(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint,
                           Attempt* attempt, const FlintMatrix* rightSides) {
  const long n = S.rows();
  if (n == 0) {
    Proof empty;
    fmpz_one(empty.detLow.get());
    fmpz_one(empty.detHigh.get());
    return empty;
  }
  double largest = 0;
  std::optional<Dense> a = lowerOf(S, largest);
  if (!a || largest == 0) return std::nullopt;
  std::vector<long> order(static_cast<std::size_t>(n));
  for (long k = 0; k < n; ++k) order[k] = k;
  long pivoted = 0;
  if (!factor(*a, n, largest, order, pivoted, Stage{checkpoint, 0.0, 0.2})) {
    if (attempt != nullptr) {
      attempt->tinyPivot = true;
      attempt->pivots.assign(order.begin(), order.begin() + pivoted);
    }
    return std::nullopt;
  }
  std::vector<std::vector<double>> solutions;
  if (rightSides != nullptr) solutions = solve(*a, n, order, *rightSides);
  const Dense x = inverseOfUnitLower(*a, n, Stage{checkpoint, 0.2, 0.3});
  a.reset();
  const Dense s = permuted(S, order);
  const Dense p = leftProduct(x, s, n, Stage{checkpoint, 0.3, 0.8});
  const Dense m = congruent(p, x, n, Stage{checkpoint, 0.8, 1.0});
  const RowBounds bounds = rowBounds(m, x, s, p, n);
  if (!diagonallyDominant(m, bounds, n)) return std::nullopt;

  Proof proof;
  long negativeRow = -1;
  for (long k = 0; k < n; ++k) {
    if (m.at(k, k) > 0) {
      ++proof.signature.positive;
    } else {
      ++proof.signature.negative;
      if (negativeRow < 0) negativeRow = k;
    }
  }
  determinantBounds(proof, m, bounds, n);
  proof.solutions = std::move(solutions);
  if (negativeRow >= 0) proof.witness.emplace(witnessFrom(x, negativeRow, order, S));
  return proof;
}

}  // namespace verified_inertia

}  // namespace core
