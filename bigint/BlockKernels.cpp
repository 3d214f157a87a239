// Word-level kernels on blocks: one-block multiply and divide, and the conversion of long
// products and divisions to 64-bit limbs.
#include "BlockKernels.h"

#include <bit>
#include <cstring>
#include <utility>

namespace blockkernels {

Blk mulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    Wide t = Wide(a[i]) * m + carry;
    r[i] = Blk(t);
    carry = t >> 32;
  }
  return Blk(carry);
}

Blk addMulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    // a*m + r + carry < 2^64: (2^32-1)^2 + 2(2^32-1) = 2^64 - 1.
    Wide t = Wide(a[i]) * m + r[i] + carry;
    r[i] = Blk(t);
    carry = t >> 32;
  }
  return Blk(carry);
}

Blk subMulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    Wide p = Wide(a[i]) * m + carry;
    Blk low = Blk(p);
    carry = (p >> 32) + (r[i] < low);
    r[i] -= low;
  }
  return Blk(carry);
}

namespace {

// How a row of a times m meets the accumulator r: added, subtracted, or added to the
// complement of r.
enum class RowMode { add, subtract, addToComplement };

// The pairs of blocks of a times m into r as 64-bit words; returns the high word.
template <RowMode kMode>
Wide mulWordsInto(Blk* r, const Blk* a, Index pairs, Wide m) {
  if constexpr (std::endian::native == std::endian::little) {
    if constexpr (kMode == RowMode::add) return limbs::addMulWords(r, a, pairs, m);
    if constexpr (kMode == RowMode::subtract) return limbs::subMulWords(r, a, pairs, m);
    if constexpr (kMode == RowMode::addToComplement) return limbs::notAddMulWords(r, a, pairs, m);
  } else {
    constexpr bool kAdd = kMode != RowMode::subtract;
    Wide carry = 0;
    for (Index i = 0; i < pairs; ++i) {
      limbs::DLimb p = limbs::DLimb(loadPair(a + 2 * i)) * m + carry;
      Wide old = loadPair(r + 2 * i);
      if constexpr (kMode == RowMode::addToComplement) old = ~old;
      Wide t = kAdd ? old + Wide(p) : old - Wide(p);
      carry = Wide(p >> 64) + (kAdd ? t < old : t > old);
      storePair(r + 2 * i, t);
    }
    return carry;
  }
}

// The words, then the high word and the product of an odd last block, which end the run at
// r[an + 2).
template <RowMode kMode>
Blk mulWideInto(Blk* r, const Blk* a, Index an, Wide m) {
  const Index pairs = an / 2;
  Wide high = pairs != 0 ? mulWordsInto<kMode>(r, a, pairs, m) : 0;
  Blk tail[3];
  Index tailBlocks = 2;
  limbs::DLimb t = high;
  if (an % 2 != 0) {
    t += limbs::DLimb(a[an - 1]) * m;  // below 2^96: no overflow
    tailBlocks = 3;
  }
  tail[0] = Blk(t);
  tail[1] = Blk(t >> 32);
  tail[2] = Blk(t >> 64);
  Blk* at = r + 2 * pairs;
  if constexpr (kMode == RowMode::subtract) return subRuns(at, at, tail, tailBlocks);
  if constexpr (kMode == RowMode::addToComplement) {
    for (Index i = 0; i < tailBlocks; ++i) at[i] = ~at[i];
  }
  return addRuns(at, at, tail, tailBlocks);
}

}  // namespace

Blk addMulWide(Blk* r, const Blk* a, Index an, Wide m) { return mulWideInto<RowMode::add>(r, a, an, m); }
Blk subMulWide(Blk* r, const Blk* a, Index an, Wide m) { return mulWideInto<RowMode::subtract>(r, a, an, m); }
Blk notAddMulWide(Blk* r, const Blk* a, Index an, Wide m) {
  return mulWideInto<RowMode::addToComplement>(r, a, an, m);
}

Blk divBlock(Blk* q, const Blk* a, Index n, Blk d) {
  Wide rem = 0;
  for (Index i = n; i-- > 0;) {
    Wide cur = (rem << 32) | a[i];
    q[i] = Blk(cur / d);
    rem = cur % d;
  }
  return Blk(rem);
}

namespace {

using LimbBuffer = limbs::ScratchLimbs;

inline limbs::Size limbCount(Index blocks) { return (limbs::Size(blocks) + 1) / 2; }

// Long runs of pairs are copied whole where pairs of blocks are the bytes of a limb; short
// ones element by element (a library call would cost more than the copy).
constexpr Index kLongCopy = 32;
constexpr bool kPairsAreLimbs = std::endian::native == std::endian::little;

void toLimbs(limbs::Limb* to, const Blk* from, Index n) {
  Index pairs = n / 2;
  if (kPairsAreLimbs && pairs >= kLongCopy) {
    std::memcpy(to, from, sizeof(limbs::Limb) * pairs);
  } else {
    for (Index i = 0; i < pairs; ++i) to[i] = loadPair(from + 2 * i);
  }
  if (n % 2) to[pairs] = from[n - 1];
}

void fromLimbs(Blk* to, const limbs::Limb* from, Index n) {
  Index pairs = n / 2;
  if (kPairsAreLimbs && pairs >= kLongCopy) {
    std::memcpy(to, from, sizeof(limbs::Limb) * pairs);
  } else {
    for (Index i = 0; i < pairs; ++i) storePair(to + 2 * i, from[i]);
  }
  if (n % 2) to[n - 1] = Blk(from[pairs]);
}

}  // namespace

void multiplyRuns(Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  if (an < bn) {
    std::swap(a, b);
    std::swap(an, bn);
  }
  if (bn == 1) {
    r[an] = mulBlock(r, a, an, b[0]);
    return;
  }
  limbs::Size la = limbCount(an), lb = limbCount(bn);
  LimbBuffer buffer(2 * (la + lb));
  limbs::Limb *x = buffer.get(), *y = x + la, *product = y + lb;
  toLimbs(x, a, an);
  toLimbs(y, b, bn);
  limbs::multiply(product, x, la, y, lb);
  fromLimbs(r, product, an + bn);
}

void divideRuns(Blk* q, Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  limbs::Size la = limbCount(an), lb = limbCount(bn), lq = la - lb + 1;
  LimbBuffer buffer(la + lb + lq + lb);
  limbs::Limb *x = buffer.get(), *y = x + la, *quotient = y + lb, *rem = quotient + lq;
  toLimbs(x, a, an);
  toLimbs(y, b, bn);
  limbs::divide(quotient, rem, x, la, y, lb);
  fromLimbs(q, quotient, an - bn + 1);
  fromLimbs(r, rem, bn);
}

}  // namespace blockkernels
