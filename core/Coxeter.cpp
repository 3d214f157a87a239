// The Coxeter matrix, polynomial and number of a loop-free bigraph, exact, on FLINT.
//
// Conventions: G is the unit upper-triangular Gram matrix, S = G + G^T, Cox = -G G^-tr and
// cox(t) = det(t E - Cox) (Simson, "A framework for Coxeter spectral analysis of edge-bipartite
// graphs, their rational morsifications and mesh geometries of root orbits", Fund. Inform. 124
// (2013); Simson, "Coxeter-Gram classification of positive simply laced edge-bipartite graphs",
// SIAM J. Discrete Math. 27 (2013)). G is unit triangular, so G^-1 and Cox are integer
// matrices; the polynomial is FLINT's multimodular characteristic polynomial, bounded by
// Hadamard's inequality and therefore exact, and its factors come from FLINT's Zassenhaus/van
// Hoeijer factoring, each tested for being cyclotomic.
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

#include <flint/fmpz_poly.h>
#include <flint/fmpz_poly_factor.h>

#include "FlintBridge.h"

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
  if (stop != nullptr && stop->load()) throw SpectralStopped();
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

void coxeterFlint(FlintMatrix& cox, const GramMatrix& upper) {
  if (!hasUnitDiagonal(upper))
    throw std::invalid_argument("the Coxeter matrix is defined here only for unit diagonals");
  const long n = static_cast<long>(upper.size());
  FlintMatrix g(n, n);
  flint_bridge::toFlint(g, upper.upperTriangle());
  FlintMatrix inverse(n, n);
  unitUpperInverse(inverse, g);
  FlintMatrix inverseTransposed(n, n);
  fmpz_mat_transpose(inverseTransposed.get(), inverse.get());
  fmpz_mat_mul(cox.get(), g.get(), inverseTransposed.get());
  fmpz_mat_neg(cox.get(), cox.get());
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

}  // namespace

bool hasUnitDiagonal(const GramMatrix& upper) {
  for (std::size_t i = 0; i < upper.size(); ++i)
    if (upper[i][i] != BigInteger(1)) return false;
  return true;
}

GramMatrix coxeterMatrix(const GramMatrix& upper) {
  const long n = static_cast<long>(upper.size());
  FlintMatrix cox(n, n);
  coxeterFlint(cox, upper);
  return flint_bridge::fromFlint(cox);
}

IntPolynomial characteristicPolynomial(const GramMatrix& m) {
  FlintMatrix a(static_cast<long>(m.size()), static_cast<long>(m.size()));
  flint_bridge::toFlint(a, m);
  FlintPolynomial p;
  fmpz_mat_charpoly(p.get(), a.get());
  return coefficientsOf(p.get());
}

CoxeterData coxeterDataOf(const GramMatrix& upper, bool positiveDefinite,
                          const std::atomic<bool>* stop) {
  const long n = static_cast<long>(upper.size());
  FlintMatrix cox(n, n);
  coxeterFlint(cox, upper);
  checkStop(stop);
  CoxeterData data;
  FlintPolynomial p;
  fmpz_mat_charpoly(p.get(), cox.get());
  data.polynomial = coefficientsOf(p.get());
  checkStop(stop);
  if (n > 0) data.factors = factorsOf(p.get());
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
