// Allocation-free tests of Gram matrix entries, and single-solid neighbour lists read row by
// row, shared by the traversal and the shape recognition.
#pragma once

#include <vector>

#include "BigIntegerUtils.h"

class Bigraph;

namespace gram_reading {

// The tests look at the sign and at the magnitude's blocks only, so that reading the n*n
// entries of a large bigraph costs no allocation and no arithmetic.
inline bool isZero(const BigInteger& e) { return e.sign == BigInteger::zero; }
inline bool isPositive(const BigInteger& e) { return e.sign == BigInteger::positive; }
inline bool isNegative(const BigInteger& e) { return e.sign == BigInteger::negative; }
inline bool magnitudeIs(const BigInteger& e, BigInteger::Blk v) {
  return e.magnitude.length == 1 && e.magnitude.blocks[0] == v;
}
inline bool isOne(const BigInteger& e) { return isPositive(e) && magnitudeIs(e, 1); }
inline bool isMinusOne(const BigInteger& e) { return isNegative(e) && magnitudeIs(e, 1); }
// |e| >= k for a small k >= 1.
inline bool magnitudeAtLeast(const BigInteger& e, BigInteger::Blk k) {
  return e.magnitude.length > 1 || (e.magnitude.length == 1 && e.magnitude.blocks[0] >= k);
}

// For every vertex, its neighbours in increasing order. Built in one pass over the rows
// above the diagonal, so the matrix is read in memory order; the entries below the diagonal
// are never read.
using Neighbours = std::vector<std::vector<int>>;

// Vertices joined by exactly one solid edge (entry -1), the only edges an arm walk follows.
Neighbours singleSolidNeighbours(const Bigraph& g);

// The arm walk of GoThrough over prepared single-solid neighbour lists: the number of
// vertices on the walk from `start` away from `from`. The walk ends where it would come back
// to `from` or to a vertex it has already counted, so it ends on cycles as well.
int walkArm(const Neighbours& singleSolid, int from, int start);

}  // namespace gram_reading
