// The inertia of a nonsingular symmetric integer matrix from a floating-point LDL^T, proved by
// a checked bound on every rounding; none when the proof does not go through.
#pragma once

#include <optional>
#include <vector>

#include "SymmetricElimination.h"

namespace core {

namespace verified_inertia {

using flint_bridge::FlintMatrix;

struct Proof {
  Signature signature;                 // signature.zero == 0: S is nonsingular
  std::optional<FlintMatrix> witness;  // 1 x n integer x with x S x^T < 0, when negative > 0
  // low <= det S <= high, proved from the same bounds (often an interval of a few integers).
  flint_bridge::FlintInteger detLow;
  flint_bridge::FlintInteger detHigh;
  // S^-1 b in floating point (unproved) for each column b of the right sides asked for.
  std::vector<std::vector<double>> solutions;
};

// What an attempt that failed at a tiny pivot learnt: the vertices pivoted on before it, the
// larger part of S's rank in practice.
struct Attempt {
  bool tinyPivot = false;
  std::vector<long> pivots;
};

// Tries to prove the inertia of the symmetric matrix S (entries below 2^26 in magnitude). None
// when S is singular or too badly conditioned for double precision, or its entries are too
// large: the caller then uses exact arithmetic. `checkpoint` is called between stages and
// every few rows with the fraction done (0..1).
std::optional<Proof> prove(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint,
                           Attempt* attempt = nullptr, const FlintMatrix* rightSides = nullptr);

}  // namespace verified_inertia

}  // namespace core
