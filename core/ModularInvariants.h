// The invariants of a large symmetric integer matrix without fraction-free elimination: rank
// and kernel from a rank profile modulo a prime and an exact solve, determinant by FLINT's
// multi-modular method, signature and witness proved in floating point (VerifiedInertia.h).
#pragma once

#include <optional>

#include "SymmetricElimination.h"

namespace core {

namespace modular_invariants {

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;

// What Invariants needs of a symmetric matrix S, each part proved exactly.
struct Facts {
  Signature signature;
  FlintInteger det;                    // det S, 0 when S is singular
  FlintInteger smithProduct;           // product of the nonzero invariant factors of S
  std::optional<FlintMatrix> kernel;   // corank x n, a Z-basis of {x : S x = 0} (not reduced)
  std::optional<FlintMatrix> witness;  // 1 x n, x S x^T < 0, when signature.negative > 0
};

// The facts of S, or none when a shortcut's check fails (badly conditioned S, entries of 2^26 or
// more, an unlucky prime thrice): then exact elimination must do. `checkpoint` as in eliminate.
std::optional<Facts> compute(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint);

// Makes the rows of K (a basis over Q of a sublattice of index dividing a power of p in its
// saturation) a basis of the saturation: while some combination c of the rows is divisible by
// p, with c_t = 1, row t becomes that combination divided by p.
void saturateAt(FlintMatrix& K, ulong p);

}  // namespace modular_invariants

}  // namespace core
