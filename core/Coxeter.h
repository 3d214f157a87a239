// The Coxeter matrix, Coxeter polynomial (factored, cyclotomic factors named) and Coxeter
// number of a loop-free bigraph, exact, on FLINT.
#pragma once

#include <atomic>
#include <optional>
#include <stdexcept>
#include <vector>

#include "GramMatrix.h"

namespace core {

// A long Coxeter computation (Coxeter number, roots, strong congruence search) was stopped
// through its stop flag.
struct CoxeterWorkStopped : std::runtime_error {
  CoxeterWorkStopped() : std::runtime_error("the computation was stopped") {}
};

// An integer polynomial, coefficients lowest degree first (no trailing zeros; [] is 0).
using IntPolynomial = std::vector<BigInteger>;

struct PolynomialFactor {
  IntPolynomial polynomial;  // irreducible over Z, leading coefficient positive
  int multiplicity = 1;
  std::optional<long> cyclotomic;  // m when the factor is the cyclotomic polynomial Phi_m
};

struct CoxeterData {
  GramMatrix matrix;              // Cox = -G G^-tr, an integer matrix since G is unit triangular
  IntPolynomial polynomial;       // cox(t) = det(t E - Cox)
  std::vector<PolynomialFactor> factors;  // by degree, then coefficients
  // Whether Cox has finite order: none when that could not be decided (the powering check
  // outgrew its bound; only possible for an input that is not positive).
  std::optional<bool> finiteOrder;
  // The order of Cox when it is finite (the Coxeter number), else none.
  std::optional<BigInteger> number;
};

// Whether every diagonal entry of `upper` is 1: Cox is defined here only then.
bool hasUnitDiagonal(const GramMatrix& upper);

// Cox = -G G^-tr for the unit upper-triangular `upper`; throws std::invalid_argument when a
// diagonal entry is not 1.
GramMatrix coxeterMatrix(const GramMatrix& upper);

// The Coxeter data of `upper`. `positiveDefinite` says that G + G^T is positive definite (as
// the exact invariants found it): then Cox has finite order by theory and the number is the lcm
// of the cyclotomic indices; otherwise, when every factor is cyclotomic, Cox^h = E is checked
// by exact powering. Throws std::invalid_argument for a diagonal entry other than 1,
// CoxeterWorkStopped when `stop` reads true.
CoxeterData coxeterDataOf(const GramMatrix& upper, bool positiveDefinite,
                          const std::atomic<bool>* stop = nullptr);

// cox(t) alone, as coxeterDataOf finds it.
IntPolynomial coxeterPolynomial(const GramMatrix& upper, bool positiveDefinite,
                                const std::atomic<bool>* stop = nullptr);

// The characteristic polynomial of an integer matrix, lowest degree first.
IntPolynomial characteristicPolynomial(const GramMatrix& m);

}  // namespace core
