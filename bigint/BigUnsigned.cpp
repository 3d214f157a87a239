// BigUnsigned: conversions, block and bit access, arithmetic, division and shifts.
#include "BigUnsigned.h"

#include <climits>
#include <utility>

#include "BlockKernels.h"

namespace bk = blockkernels;

namespace {

const char* const kTooBig = "BigUnsigned::to<Primitive>: Value is too big to fit in the requested type";
const char* const kTooBigSigned =
    "BigUnsigned::to(Primitive): Value is too big to fit in the requested type";
const char* const kNegativeResult = "BigUnsigned::subtract: Negative result in unsigned calculation";

// Block j of x * 2^s, for 0 <= j <= x.length and 0 <= s <= 31.
BigUnsigned::Blk shiftedBlock(const BigUnsigned& x, BigUnsigned::Index j, unsigned s) {
  BigUnsigned::Blk low = (j == x.length) ? 0 : x.blocks[j] << s;
  BigUnsigned::Blk high = (j == 0 || s == 0) ? 0 : x.blocks[j - 1] >> (32 - s);
  return low | high;
}

}  // namespace

// ---- Conversions to primitives ----

// The value must fit the bit pattern of X (else "to<Primitive>") and read as non-negative
// (else "to(Primitive)").
template <class X>
X BigUnsigned::convertToSignedPrimitive() const {
  if (length == 0) return 0;
  if (sizeof(X) == 8 && length <= 2) {
    std::uint64_t v = convertToUnsignedPrimitive<std::uint64_t>();
    if (v > std::uint64_t(INT64_MAX)) throw kTooBigSigned;
    return X(v);
  }
  if (length == 1) {
    Blk b = blocks[0];
    X x = X(b);
    if (sizeof(X) == 4) {
      if (x < 0) throw kTooBigSigned;
      return x;
    }
    // Narrower than a block: the block must survive the round trip through X.
    if (Blk(int(x)) != b) throw kTooBig;
    if (x < 0) throw kTooBigSigned;
    return x;
  }
  throw kTooBig;
}

unsigned long BigUnsigned::toUnsignedLong() const { return convertToUnsignedPrimitive<unsigned long>(); }
unsigned int BigUnsigned::toUnsignedInt() const { return convertToUnsignedPrimitive<unsigned int>(); }
unsigned short BigUnsigned::toUnsignedShort() const { return convertToUnsignedPrimitive<unsigned short>(); }
long BigUnsigned::toLong() const { return convertToSignedPrimitive<long>(); }
int BigUnsigned::toInt() const { return convertToSignedPrimitive<int>(); }
short BigUnsigned::toShort() const { return convertToSignedPrimitive<short>(); }

// ---- Blocks and bits ----

void BigUnsigned::setBlock(Index i, Blk v) {
  if (v == 0) {
    if (i < length) {
      blocks[i] = 0;
      trimLeadingZeros();
    }
    return;
  }
  if (i >= length) {
    allocateAndCopy(i + 1);
    for (Index j = length; j < i; ++j) blocks[j] = 0;
    length = i + 1;
  }
  blocks[i] = v;
}

void BigUnsigned::setBit(Index bi, bool newBit) {
  Index blockI = bi / 32;
  Blk mask = Blk(1) << (bi % 32);
  Blk block = getBlock(blockI);
  setBlock(blockI, newBit ? (block | mask) : (block & ~mask));
}

BigUnsigned::Index BigUnsigned::bitLength() const {
  if (length == 0) return 0;
  return (length - 1) * 32 + (32 - __builtin_clz(blocks[length - 1]));
}

// ---- Arithmetic ----

void BigUnsigned::addGeneral(const BigUnsigned& a, const BigUnsigned& b) {
  if (a.length == 0) {
    operator=(b);
    return;
  }
  if (b.length == 0) {
    operator=(a);
    return;
  }
  const BigUnsigned& big = a.length >= b.length ? a : b;
  const BigUnsigned& small = a.length >= b.length ? b : a;
  Index n = big.length + 1;
  // Growing an operand's own array must keep its blocks; the kernel works in place.
  if (this == &a || this == &b) {
    allocateAndCopy(n);
  } else {
    allocate(n);
  }
  Blk carry = bk::addUnequal(blocks, big.blocks, big.length, small.blocks, small.length);
  blocks[n - 1] = carry;
  length = carry ? n : n - 1;
}

void BigUnsigned::subtractGeneral(const BigUnsigned& a, const BigUnsigned& b) {
  if (b.length == 0) {
    operator=(a);
    return;
  }
  if (a.length < b.length) throw kNegativeResult;
  if (this == &a || this == &b) {
    allocateAndCopy(a.length);
  } else {
    allocate(a.length);
  }
  Index n = a.length;
  Blk borrow = bk::subUnequal(blocks, a.blocks, n, b.blocks, b.length);
  length = n;
  if (borrow) {
    length = 0;
    throw kNegativeResult;
  }
  trimLeadingZeros();
}

void BigUnsigned::multiplyGeneral(const BigUnsigned& a, const BigUnsigned& b) {
  if (a.length == 0 || b.length == 0) {
    length = 0;
    return;
  }
  Index n = a.length + b.length;
  if (a.length <= 4 && b.length <= 4) {
    // Both fit in 128 bits: four limb products in straight-line code, all read before the
    // array is touched (the destination may be an operand).
    typedef limbs::Limb L;
    typedef limbs::DLimb D;
    L a0 = a.getBlock(0) | (L(a.getBlock(1)) << 32), a1 = a.getBlock(2) | (L(a.getBlock(3)) << 32);
    L b0 = b.getBlock(0) | (L(b.getBlock(1)) << 32), b1 = b.getBlock(2) | (L(b.getBlock(3)) << 32);
    D p00 = D(a0) * b0, p01 = D(a0) * b1, p10 = D(a1) * b0, p11 = D(a1) * b1;
    D mid = (p00 >> 64) + L(p01) + L(p10);
    D high = (mid >> 64) + (p01 >> 64) + (p10 >> 64) + L(p11);
    L product[4] = {L(p00), L(mid), L(high), L(high >> 64) + L(p11 >> 64)};
    if (this == &a || this == &b) {
      allocateAndCopy(n);
    } else {
      allocate(n);
    }
    for (Index i = 0; i < n; ++i) blocks[i] = Blk(product[i / 2] >> (32 * (i % 2)));
    length = blocks[n - 1] ? n : n - 1;
    return;
  }
  if (this == &a || this == &b) {
    // The product cannot be formed over its own operand: build it apart, then take it over.
    BigUnsigned product;
    product.allocate(n);
    bk::multiplyRuns(product.blocks, a.blocks, a.length, b.blocks, b.length);
    product.length = product.blocks[n - 1] ? n : n - 1;
    *this = std::move(product);
    return;
  }
  allocate(n);
  bk::multiplyRuns(blocks, a.blocks, a.length, b.blocks, b.length);
  length = blocks[n - 1] ? n : n - 1;
}

void BigUnsigned::divideWithRemainder(const BigUnsigned& b, BigUnsigned& q) {
  if (this == &q) throw "BigUnsigned::divideWithRemainder: Cannot write quotient and remainder into the same variable";
  if (this == &b || &q == &b) {
    BigUnsigned divisor(b);
    divideWithRemainder(divisor, q);
    return;
  }
  if (b.length == 0 || length < b.length) {
    q.length = 0;
    return;
  }
  Index n = length;
  if (b.length == 1 && n <= 4) {
    q.allocate(n);
    Blk rem = bk::divBlock(q.blocks, blocks, n, b.blocks[0]);
    q.length = n;
    q.trimLeadingZeros();
    setSingle(rem);
    return;
  }
  Index qn = n - b.length + 1;
  q.allocate(qn);
  bk::divideRuns(q.blocks, blocks, blocks, n, b.blocks, b.length);  // remainder in place
  q.length = qn;
  q.trimLeadingZeros();
  length = b.length;
  trimLeadingZeros();
}

BigUnsigned BigUnsigned::operator/(const BigUnsigned& x) const {
  if (x.isZero()) throw "BigUnsigned::operator /: division by zero";
  BigUnsigned q, r(*this);
  r.divideWithRemainder(x, q);
  return q;
}

BigUnsigned BigUnsigned::operator%(const BigUnsigned& x) const {
  if (x.isZero()) throw "BigUnsigned::operator %: division by zero";
  BigUnsigned q, r(*this);
  r.divideWithRemainder(x, q);
  return r;
}

BigUnsigned& BigUnsigned::operator/=(const BigUnsigned& x) {
  if (x.isZero()) throw "BigUnsigned::operator /=: division by zero";
  BigUnsigned q;
  divideWithRemainder(x, q);
  *this = std::move(q);
  return *this;
}

BigUnsigned& BigUnsigned::operator%=(const BigUnsigned& x) {
  if (x.isZero()) throw "BigUnsigned::operator %=: division by zero";
  BigUnsigned q;
  divideWithRemainder(x, q);
  return *this;
}

// ---- Bitwise operations ----

void BigUnsigned::bitAnd(const BigUnsigned& a, const BigUnsigned& b) {
  Index n = a.length < b.length ? a.length : b.length;
  if (this == &a || this == &b) {
    allocateAndCopy(n);
  } else {
    allocate(n);
  }
  for (Index i = 0; i < n; ++i) blocks[i] = a.blocks[i] & b.blocks[i];
  length = n;
  trimLeadingZeros();
}

void BigUnsigned::bitOr(const BigUnsigned& a, const BigUnsigned& b) {
  const BigUnsigned& big = a.length >= b.length ? a : b;
  const BigUnsigned& small = a.length >= b.length ? b : a;
  if (this == &a || this == &b) {
    allocateAndCopy(big.length);
  } else {
    allocate(big.length);
  }
  Index i = 0;
  for (; i < small.length; ++i) blocks[i] = a.blocks[i] | b.blocks[i];
  for (; i < big.length; ++i) blocks[i] = big.blocks[i];
  length = big.length;
}

void BigUnsigned::bitXor(const BigUnsigned& a, const BigUnsigned& b) {
  const BigUnsigned& big = a.length >= b.length ? a : b;
  const BigUnsigned& small = a.length >= b.length ? b : a;
  if (this == &a || this == &b) {
    allocateAndCopy(big.length);
  } else {
    allocate(big.length);
  }
  Index i = 0;
  for (; i < small.length; ++i) blocks[i] = a.blocks[i] ^ b.blocks[i];
  for (; i < big.length; ++i) blocks[i] = big.blocks[i];
  length = big.length;
  trimLeadingZeros();
}

void BigUnsigned::bitShiftLeft(const BigUnsigned& a, int b) {
  if (b < 0) {
    if (b == INT_MIN) throw "BigUnsigned::bitShiftLeft: Pathological shift amount not implemented";
    bitShiftRight(a, -b);
    return;
  }
  if (this == &a) {
    BigUnsigned shifted;
    shifted.bitShiftLeft(a, b);
    *this = std::move(shifted);
    return;
  }
  if (a.length == 0) {
    length = 0;
    return;
  }
  Index w = Index(b) / 32;
  unsigned s = unsigned(b) % 32;
  Index n = a.length + w + 1;
  allocate(n);
  for (Index i = 0; i < w; ++i) blocks[i] = 0;
  for (Index j = 0; j <= a.length; ++j) blocks[w + j] = shiftedBlock(a, j, s);
  length = n;
  trimLeadingZeros();
}

void BigUnsigned::bitShiftRight(const BigUnsigned& a, int b) {
  if (b < 0) {
    if (b == INT_MIN) throw "BigUnsigned::bitShiftRight: Pathological shift amount not implemented";
    bitShiftLeft(a, -b);
    return;
  }
  if (this == &a) {
    BigUnsigned shifted;
    shifted.bitShiftRight(a, b);
    *this = std::move(shifted);
    return;
  }
  // Whole blocks r dropped from the bottom; the rest is taken shifted left by `left` bits.
  Index r = (Index(b) + 31) / 32;
  unsigned left = unsigned(32 * r - Index(b));
  if (r >= a.length + 1) {
    length = 0;
    return;
  }
  Index n = a.length + 1 - r;
  allocate(n);
  for (Index j = r; j <= a.length; ++j) blocks[j - r] = shiftedBlock(a, j, left);
  length = n;
  if (blocks[n - 1] == 0) --length;
}

// ---- Increment and decrement ----

void BigUnsigned::operator++() {
  Index i = 0;
  for (; i < length; ++i) {
    if (++blocks[i] != 0) return;
  }
  allocateAndCopy(length + 1);
  blocks[length] = 1;
  ++length;
}

void BigUnsigned::operator--() {
  if (length == 0) throw "BigUnsigned::operator --(): Cannot decrement an unsigned zero";
  for (Index i = 0; i < length; ++i) {
    if (blocks[i]-- != 0) break;
  }
  if (blocks[length - 1] == 0) --length;
}
