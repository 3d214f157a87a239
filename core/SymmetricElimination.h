// Exact symmetric elimination of an integer symmetric matrix (fraction-free, Bareiss style),
// which yields the signature, the determinant, a negative witness and the kernel; and the
// signature read off the characteristic polynomial, kept as an independent cross-check.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "FlintBridge.h"
#include "Signature.h"

namespace core {

namespace symmetric_elimination {

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;

struct Result {
  Signature signature;
  int rank = 0;
  FlintInteger lastPivot;              // the last Bareiss pivot: det of the reduced block
  std::optional<FlintMatrix> witness;  // 1 x n, x S x^T < 0; with signature.negative > 0
  // z x n: rows spanning {x : S x = 0} over Q, each a multiple of a member of a Z-basis
  // by lastPivot (see kernelIsSaturated).
  std::optional<FlintMatrix> kernelRows;
  // The vertices never pivoted on, one per kernel row. In the coordinates of the basis the
  // elimination ends with, row k is lastPivot times the unit vector of freeIndices[k] plus a
  // combination of pivot vertices.
  std::vector<long> freeIndices;
  // That basis is the standard one unless congruence steps (vertex j added to vertex i) were
  // needed; then this matrix takes original coordinates to the basis's.
  std::optional<FlintMatrix> inverseBasis;
};

// Called now and then by long computations with the fraction done (0..1); it may throw to stop
// them (an empty one does nothing).
using Checkpoint = std::function<void(double fraction)>;

// Eliminates the symmetric matrix S (square; n = 0 allowed), calling `checkpoint` after pivots.
Result eliminate(const FlintMatrix& S, const Checkpoint& checkpoint = {});

// Whether every entry of the kernel rows is divisible by lastPivot: then the quotients are a
// Z-basis of the kernel lattice and |lastPivot| is the product of the nonzero invariant
// factors of S. On success the rows hold the quotients.
bool divideKernelRows(Result& r);

// The signature by Descartes' rule of signs on the characteristic polynomial of S (exact, as
// all roots of a symmetric matrix's polynomial are real). Slower than eliminate.
Signature signatureFromCharpoly(const FlintMatrix& S);

}  // namespace symmetric_elimination

}  // namespace core
