// Word-level kernels on runs of 32-bit blocks: carry chains, one-block multiply and divide,
// and the entry points of long multiplication and division (carried out on 64-bit limbs).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "LimbArithmetic.h"

namespace blockkernels {

typedef std::uint32_t Blk;
typedef std::uint32_t Index;
typedef std::uint64_t Wide;

// Compares two runs of n blocks: -1, 0 or +1.
inline int compareRuns(const Blk* a, const Blk* b, Index n) {
  for (Index i = n; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// Two blocks as one 64-bit word and back.
inline std::uint64_t loadPair(const Blk* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  } else {
    return std::uint64_t(p[0]) | (std::uint64_t(p[1]) << 32);
  }
}
inline void storePair(Blk* p, std::uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    p[0] = Blk(v);
    p[1] = Blk(v >> 32);
  }
}

// r = a + b over n blocks; returns the carry out. r may be a or b.
inline Blk addRuns(Blk* r, const Blk* a, const Blk* b, Index n) {
#if defined(LIMBS_X86_64_KERNELS)
  // Pairs of blocks are the little-endian 64-bit words of the carry chain.
  Blk carry = limbs::addWords(r, a, b, n / 2);
  if (n % 2 == 0) return carry;
  Wide t = Wide(a[n - 1]) + b[n - 1] + carry;
  r[n - 1] = Blk(t);
  return Blk(t >> 32);
#else
  unsigned char carry = 0;
  Index i = 0;
  for (; i + 8 <= n; i += 8) {
    limbs::Limb s0, s1, s2, s3;
    carry = limbs::addWithCarry(carry, loadPair(a + i), loadPair(b + i), &s0);
    carry = limbs::addWithCarry(carry, loadPair(a + i + 2), loadPair(b + i + 2), &s1);
    carry = limbs::addWithCarry(carry, loadPair(a + i + 4), loadPair(b + i + 4), &s2);
    carry = limbs::addWithCarry(carry, loadPair(a + i + 6), loadPair(b + i + 6), &s3);
    storePair(r + i, s0);
    storePair(r + i + 2, s1);
    storePair(r + i + 4, s2);
    storePair(r + i + 6, s3);
  }
  for (; i + 2 <= n; i += 2) {
    limbs::Limb s;
    carry = limbs::addWithCarry(carry, loadPair(a + i), loadPair(b + i), &s);
    storePair(r + i, s);
  }
  if (i < n) {
    Wide t = Wide(a[i]) + b[i] + carry;
    r[i] = Blk(t);
    return Blk(t >> 32);
  }
  return carry;
#endif
}

// r = a + c over n blocks, c a single carry block; returns the carry out. r may be a.
inline Blk addCarry(Blk* r, const Blk* a, Index n, Blk c) {
  Index i = 0;
  for (; i < n && c != 0; ++i) {
    Wide t = Wide(a[i]) + c;
    r[i] = Blk(t);
    c = Blk(t >> 32);
  }
  if (r != a) {
    for (; i < n; ++i) r[i] = a[i];
  }
  return c;
}

// r = a + b with an >= bn, r of an blocks; returns the carry out. r may be a or b.
inline Blk addUnequal(Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  Blk c = addRuns(r, a, b, bn);
  return addCarry(r + bn, a + bn, an - bn, c);
}

// r = a - b over n blocks; returns the borrow out. r may be a or b.
inline Blk subRuns(Blk* r, const Blk* a, const Blk* b, Index n) {
#if defined(LIMBS_X86_64_KERNELS)
  Blk borrow = limbs::subWords(r, a, b, n / 2);
  if (n % 2 == 0) return borrow;
  Wide t = Wide(a[n - 1]) - b[n - 1] - borrow;
  r[n - 1] = Blk(t);
  return Blk((t >> 32) & 1);
#else
  unsigned char borrow = 0;
  Index i = 0;
  for (; i + 8 <= n; i += 8) {
    limbs::Limb d0, d1, d2, d3;
    borrow = limbs::subWithBorrow(borrow, loadPair(a + i), loadPair(b + i), &d0);
    borrow = limbs::subWithBorrow(borrow, loadPair(a + i + 2), loadPair(b + i + 2), &d1);
    borrow = limbs::subWithBorrow(borrow, loadPair(a + i + 4), loadPair(b + i + 4), &d2);
    borrow = limbs::subWithBorrow(borrow, loadPair(a + i + 6), loadPair(b + i + 6), &d3);
    storePair(r + i, d0);
    storePair(r + i + 2, d1);
    storePair(r + i + 4, d2);
    storePair(r + i + 6, d3);
  }
  for (; i + 2 <= n; i += 2) {
    limbs::Limb d;
    borrow = limbs::subWithBorrow(borrow, loadPair(a + i), loadPair(b + i), &d);
    storePair(r + i, d);
  }
  if (i < n) {
    Wide t = Wide(a[i]) - b[i] - borrow;
    r[i] = Blk(t);
    return Blk((t >> 32) & 1);
  }
  return borrow;
#endif
}

// r = a - c over n blocks; returns the borrow out. r may be a.
inline Blk subBorrow(Blk* r, const Blk* a, Index n, Blk c) {
  Index i = 0;
  for (; i < n && c != 0; ++i) {
    Wide t = Wide(a[i]) - c;
    r[i] = Blk(t);
    c = Blk((t >> 32) & 1);
  }
  if (r != a) {
    for (; i < n; ++i) r[i] = a[i];
  }
  return c;
}

// r = a - b with an >= bn, r of an blocks; returns the borrow out. r may be a or b.
inline Blk subUnequal(Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  Blk c = subRuns(r, a, b, bn);
  return subBorrow(r + bn, a + bn, an - bn, c);
}

// r = a * m over n blocks; returns the high block. r may be a.
Blk mulBlock(Blk* r, const Blk* a, Index n, Blk m);
// r += a * m over n blocks; returns the carry block.
Blk addMulBlock(Blk* r, const Blk* a, Index n, Blk m);
// r -= a * m over n blocks; returns the borrow block.
Blk subMulBlock(Blk* r, const Blk* a, Index n, Blk m);
// r[0 .. an + 2) += a * m for a run a of an blocks and a 64-bit multiplier m, in one pass of
// 64-bit words; returns the carry out of r[an + 1] (0 or 1). r does not overlap a.
Blk addMulWide(Blk* r, const Blk* a, Index an, Wide m);
// r[0 .. an + 2) -= a * m likewise; returns the borrow out of r[an + 1] (0 or 1).
Blk subMulWide(Blk* r, const Blk* a, Index an, Wide m);
// r[0 .. an + 2) = ~r + a * m likewise (the complement of r plus the product); returns the
// carry out of r[an + 1].
Blk notAddMulWide(Blk* r, const Blk* a, Index an, Wide m);
// q = a / d over n blocks (d != 0); returns the remainder. q may be a.
Blk divBlock(Blk* q, const Blk* a, Index n, Blk d);

// r = a * b, r of an + bn blocks, not overlapping a or b; an, bn >= 1.
void multiplyRuns(Blk* r, const Blk* a, Index an, const Blk* b, Index bn);

// Long division of a (an blocks) by b (bn >= 1 blocks, top block non-zero, an >= bn):
// q gets an - bn + 1 blocks, r gets bn blocks. q overlaps nothing; r may be a (the operands
// are read before anything is written).
void divideRuns(Blk* q, Blk* r, const Blk* a, Index an, const Blk* b, Index bn);

}  // namespace blockkernels
