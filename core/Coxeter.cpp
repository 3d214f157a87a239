// The Coxeter matrix, polynomial and number of a loop-free bigraph, exact, on FLINT.
//
// Conventions: G is the unit upper-triangular Gram matrix, S = G + G^T, Cox = -G G^-tr and
// cox(t) = det(t E - Cox) (Simson, "A framework for Coxeter spectral analysis of edge-bipartite
// graphs, their rational morsifications and mesh geometries of root orbits", Fund. Inform. 124
// (2013); Simson, "Coxeter-Gram classification of positive simply laced edge-bipartite graphs",
// SIAM J. Discrete Math. 27 (2013)). G is unit triangular, so G^-1 and Cox are integer
// matrices. The polynomial is found modulo primes and put together by Chinese remaindering,
// with a proved bound on its coefficients (below), so it is exact; its factors come from
// FLINT's factoring over Z, each tested for being cyclotomic.
//
// The Coxeter number is the order of Cox when it is finite. From Cox G^T = -G follows
// Cox G Cox^T = G, so Cox^T lies in the integer orthogonal group of S. When S is positive
// definite that group is finite, so Cox has finite order, is diagonalisable over C, and its
// order is the lcm of the orders of its eigenvalues: the lcm of the indices m of the cyclotomic
// factors Phi_m. Otherwise the order is infinite as soon as a factor is not cyclotomic (an
// eigenvalue that is no root of unity, Kronecker), and when every factor is cyclotomic the
// order is finite exactly when Cox^h = E for h the lcm of the indices, which is checked by
// exact powering (with a bound on the size of the entries; past it the order is left unknown).
#include "Coxeter.h"

#include <algorithm>

#include <flint/nmod_mat.h>
#include <flint/nmod_poly.h>
#include <flint/fmpz_poly.h>
#include <flint/fmpz_poly_factor.h>

#include "FlintBridge.h"

namespace core {

namespace {

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;
using flint_bridge::fromFmpz;

// An fmpz_poly released on scope exit.
class FlintPolynomial {
 public:
  FlintPolynomial() { fmpz_poly_init(p_); }
  ~FlintPolynomial() { fmpz_poly_clear(p_); }
  FlintPolynomial(const FlintPolynomial&) = delete;
  FlintPolynomial& operator=(const FlintPolynomial&) = delete;
  fmpz_poly_struct* get() { return p_; }
  const fmpz_poly_struct* get() const { return p_; }

 private:
  fmpz_poly_t p_;
};

IntPolynomial coefficientsOf(const fmpz_poly_struct* p) {
  IntPolynomial out;
  for (slong k = 0; k < fmpz_poly_length(p); ++k) out.push_back(fromFmpz(fmpz_poly_get_coeff_ptr(p, k)));
  return out;
}

void checkStop(const std::atomic<bool>* stop) {
  if (stop != nullptr && stop->load()) throw CoxeterWorkStopped();
}

// G^-1 for a unit upper-triangular G, by back substitution column by column, skipping zeros.
void unitUpperInverse(FlintMatrix& inverse, const FlintMatrix& g) {
  const long n = g.rows();
  fmpz_mat_zero(inverse.get());
  for (long j = 0; j < n; ++j) {
    fmpz_one(inverse.at(j, j));
    for (long i = j - 1; i >= 0; --i) {
      fmpz* x = inverse.at(i, j);
      for (long k = i + 1; k <= j; ++k)
        if (!fmpz_is_zero(g.at(i, k)) && !fmpz_is_zero(inverse.at(k, j)))
          fmpz_submul(x, g.at(i, k), inverse.at(k, j));
    }
  }
}

// Cox = -G G^-tr of the upper-triangular `upper`.
FlintMatrix coxeterFlint(const GramMatrix& upper) {
  if (!hasUnitDiagonal(upper))
    throw std::invalid_argument("the Coxeter matrix is defined here only for unit diagonals");
  const long n = static_cast<long>(upper.size());
  FlintMatrix cox(n, n);
  FlintMatrix g(n, n);
  flint_bridge::toFlint(g, upper.upperTriangle());
  FlintMatrix inverse(n, n);
  unitUpperInverse(inverse, g);
  FlintMatrix inverseTransposed(n, n);
  fmpz_mat_transpose(inverseTransposed.get(), inverse.get());
  fmpz_mat_mul(cox.get(), g.get(), inverseTransposed.get());
  fmpz_mat_neg(cox.get(), cox.get());
  return cox;
}

bool factorBefore(const PolynomialFactor& a, const PolynomialFactor& b) {
  if (a.polynomial.size() != b.polynomial.size()) return a.polynomial.size() < b.polynomial.size();
  return std::lexicographical_compare(a.polynomial.begin(), a.polynomial.end(),
                                      b.polynomial.begin(), b.polynomial.end());
}

std::vector<PolynomialFactor> factorsOf(const fmpz_poly_struct* p) {
  fmpz_poly_factor_t fac;
  fmpz_poly_factor_init(fac);
  fmpz_poly_factor(fac, p);
  std::vector<PolynomialFactor> out;
  for (slong k = 0; k < fac->num; ++k) {
    PolynomialFactor f;
    f.polynomial = coefficientsOf(fac->p + k);
    f.multiplicity = static_cast<int>(fac->exp[k]);
    const ulong m = fmpz_poly_is_cyclotomic(fac->p + k);
    if (m != 0) f.cyclotomic = static_cast<long>(m);
    out.push_back(std::move(f));
  }
  fmpz_poly_factor_clear(fac);
  std::sort(out.begin(), out.end(), factorBefore);
  return out;
}

// A bound, in bits, on the coefficients of the characteristic polynomial of `a`: c_k is up to
// sign the k-th elementary symmetric function of the eigenvalues, so |c_k| <= C(n, k) rho^k <=
// (1 + rho)^n for any rho at least the spectral radius, here the largest absolute row sum.
flint_bitcnt_t coefficientBoundBits(const FlintMatrix& a) {
  const long n = a.rows();
  FlintInteger rho(1), row;
  for (long i = 0; i < n; ++i) {
    fmpz_zero(row.get());
    for (long j = 0; j < n; ++j) {
      if (fmpz_sgn(a.at(i, j)) >= 0) fmpz_add(row.get(), row.get(), a.at(i, j));
      else fmpz_sub(row.get(), row.get(), a.at(i, j));
    }
    if (fmpz_cmp(row.get(), rho.get()) > 0) fmpz_set(rho.get(), row.get());
  }
  fmpz_add_ui(rho.get(), rho.get(), 1);
  return static_cast<flint_bitcnt_t>(n) * fmpz_bits(rho.get()) + 1;
}

// The characteristic polynomial of `a` modulo `prime`, into the initialised `residue`.
void charpolyModulo(nmod_poly_t residue, const FlintMatrix& a, mp_limb_t prime) {
  nmod_mat_t reduced;
  nmod_mat_init(reduced, a.rows(), a.cols(), prime);
  fmpz_mat_get_nmod_mat(reduced, a.get());
  nmod_mat_charpoly(residue, reduced);
  nmod_mat_clear(reduced);
}

// The characteristic polynomial of `a` by Chinese remaindering over 62-bit primes until their
// product exceeds twice the coefficient bound: exact, each prime an O(n^3) computation.
void multimodularCharpoly(fmpz_poly_struct* out, const FlintMatrix& a, flint_bitcnt_t boundBits,
                          const std::atomic<bool>* stop) {
  FlintInteger modulus(1);
  fmpz_poly_zero(out);
  mp_limb_t prime = UWORD(1) << 62;
  while (fmpz_bits(modulus.get()) <= boundBits + 1) {
    checkStop(stop);
    prime = n_nextprime(prime, 1);
    nmod_poly_t residue;
    nmod_poly_init(residue, prime);
    charpolyModulo(residue, a, prime);
    fmpz_poly_CRT_ui(out, out, modulus.get(), residue, 1);
    fmpz_mul_ui(modulus.get(), modulus.get(), prime);
    nmod_poly_clear(residue);
  }
}

// The characteristic polynomial of `a` when every eigenvalue has modulus 1 (Cox of a positive
// bigraph: finite order). Then the power sums s_k = tr(a^k) have |s_k| <= n, so one prime
// p > 2n determines them: the polynomial modulo p gives s_k modulo p by Newton's identities,
// the symmetric residues are the s_k themselves, and Newton's identities over Z, k a_k =
// -(s_k + a_1 s_(k-1) + ... + a_(k-1) s_1), give the exact coefficients. One O(n^3) step
// modulo p instead of about n / 61 of them.
void unitSpectrumCharpoly(fmpz_poly_struct* out, const FlintMatrix& a) {
  const long n = a.rows();
  const mp_limb_t prime = n_nextprime(UWORD(1) << 62, 1);
  nmod_t mod;
  nmod_init(&mod, prime);
  nmod_poly_t residue;
  nmod_poly_init(residue, prime);
  charpolyModulo(residue, a, prime);
  // a_k modulo p: the coefficient of t^(n - k).
  std::vector<mp_limb_t> am(n + 1);
  for (long k = 0; k <= n; ++k) am[k] = nmod_poly_get_coeff_ui(residue, n - k);
  nmod_poly_clear(residue);
  std::vector<FlintInteger> s(n + 1), coefficient(n + 1);
  std::vector<mp_limb_t> sm(n + 1, 0);
  for (long k = 1; k <= n; ++k) {
    mp_limb_t sum = nmod_mul(am[k], static_cast<mp_limb_t>(k) % prime, mod);
    for (long i = 1; i < k; ++i) sum = nmod_add(sum, nmod_mul(am[i], sm[k - i], mod), mod);
    sm[k] = nmod_neg(sum, mod);
    fmpz_set_ui(s[k].get(), sm[k]);
    if (sm[k] > prime / 2) fmpz_sub_ui(s[k].get(), s[k].get(), prime);  // the symmetric residue
  }
  fmpz_one(coefficient[0].get());
  FlintInteger sum;
  for (long k = 1; k <= n; ++k) {
    fmpz_set(sum.get(), s[k].get());
    for (long i = 1; i < k; ++i) fmpz_addmul(sum.get(), coefficient[i].get(), s[k - i].get());
    fmpz_neg(sum.get(), sum.get());
    fmpz_divexact_si(coefficient[k].get(), sum.get(), k);
  }
  fmpz_poly_zero(out);
  for (long k = 0; k <= n; ++k) fmpz_poly_set_coeff_fmpz(out, n - k, coefficient[k].get());
}

// The largest entry size, in bits, up to which the powering check goes on.
constexpr slong kPoweringBitBound = 4096;

// Whether cox^h = E, by binary powering; none when the entries outgrow the bound first.
std::optional<bool> powerIsIdentity(const FlintMatrix& cox, const fmpz_t h,
                                    const std::atomic<bool>* stop) {
  const long n = cox.rows();
  FlintMatrix result(n, n), square(n, n), product(n, n);
  fmpz_mat_one(result.get());
  fmpz_mat_set(square.get(), cox.get());
  const flint_bitcnt_t bits = fmpz_bits(h);
  for (flint_bitcnt_t b = 0; b < bits; ++b) {
    checkStop(stop);
    if (fmpz_tstbit(h, b)) {
      fmpz_mat_mul(product.get(), result.get(), square.get());
      fmpz_mat_swap(result.get(), product.get());
    }
    if (b + 1 < bits) {
      fmpz_mat_mul(product.get(), square.get(), square.get());
      fmpz_mat_swap(square.get(), product.get());
    }
    if (FLINT_ABS(fmpz_mat_max_bits(square.get())) > kPoweringBitBound ||
        FLINT_ABS(fmpz_mat_max_bits(result.get())) > kPoweringBitBound)
      return std::nullopt;
  }
  return fmpz_mat_is_one(result.get()) != 0;
}

// cox(t) = det(t E - Cox). A positive bigraph's Cox has finite order, so its eigenvalues lie
// on the unit circle and one prime suffices; otherwise several, under a proved bound.
void coxeterCharpoly(fmpz_poly_struct* p, const FlintMatrix& cox, bool positiveDefinite,
                     const std::atomic<bool>* stop) {
  if (positiveDefinite) unitSpectrumCharpoly(p, cox);
  else multimodularCharpoly(p, cox, coefficientBoundBits(cox), stop);
}

}  // namespace

bool hasUnitDiagonal(const GramMatrix& upper) {
  for (std::size_t i = 0; i < upper.size(); ++i)
    if (upper[i][i] != BigInteger(1)) return false;
  return true;
}

GramMatrix coxeterMatrix(const GramMatrix& upper) {
  return flint_bridge::fromFlint(coxeterFlint(upper));
}

IntPolynomial characteristicPolynomial(const GramMatrix& m) {
  FlintMatrix a(static_cast<long>(m.size()), static_cast<long>(m.size()));
  flint_bridge::toFlint(a, m);
  FlintPolynomial p;
  multimodularCharpoly(p.get(), a, coefficientBoundBits(a), nullptr);
  return coefficientsOf(p.get());
}

IntPolynomial coxeterPolynomial(const GramMatrix& upper, bool positiveDefinite,
                                const std::atomic<bool>* stop) {
  FlintPolynomial p;
  coxeterCharpoly(p.get(), coxeterFlint(upper), positiveDefinite, stop);
  return coefficientsOf(p.get());
}

CoxeterData coxeterDataOf(const GramMatrix& upper, bool positiveDefinite,
                          const std::atomic<bool>* stop) {
  const FlintMatrix cox = coxeterFlint(upper);
  checkStop(stop);
  CoxeterData data;
  FlintPolynomial p;
  coxeterCharpoly(p.get(), cox, positiveDefinite, stop);
  data.polynomial = coefficientsOf(p.get());
  checkStop(stop);
  if (!upper.empty()) data.factors = factorsOf(p.get());
  data.matrix = flint_bridge::fromFlint(cox);
  data.finiteOrder = false;
  FlintInteger h(1);
  for (const PolynomialFactor& f : data.factors) {
    if (!f.cyclotomic) return data;  // an eigenvalue that is no root of unity: infinite order
    FlintInteger m(*f.cyclotomic);
    fmpz_lcm(h.get(), h.get(), m.get());
  }
  if (positiveDefinite) {
    data.finiteOrder = true;
  } else {
    data.finiteOrder = powerIsIdentity(cox, h.get(), stop);
  }
  if (data.finiteOrder == true) data.number = fromFmpz(h.get());
  return data;
}

}  // namespace core
