// BigInteger: construction with a sign, conversions, signed arithmetic and floor division.
#include "BigInteger.h"

#include <limits>

#include <algorithm>
#include <climits>
#include <memory>

#include "BlockKernels.h"

namespace bk = blockkernels;

namespace {
// Below this many blocks in the shorter factor, this -= a * b goes row by row into this
// object's array: the rows do the schoolbook product's word products, without the product's
// scratch, its copies and the separate subtraction. Above it the Karatsuba product wins
// (measured on 1000 and 8000 by 64 to 120 blocks: 25 to 35% faster than the rows).
BigInteger::Index rowsBlocks() { return BigInteger::Index(2 * limbs::karatsubaThreshold); }

// The leading bits of a magnitude: x lies in [v 2^shift, (v + 1) 2^shift) with v < 2^62.
struct LeadingBits {
  std::uint64_t v;
  BigUnsigned::Index shift;
};

LeadingBits leadingBits(const BigUnsigned& x) {
  const BigUnsigned::Index bits = x.bitLength(), shift = bits > 62 ? bits - 62 : 0;
  const BigUnsigned::Index first = shift / 32;
  unsigned __int128 w = 0;  // the (up to) three blocks that hold bits shift .. shift + 61
  for (BigUnsigned::Index i = 0; i < 3 && first + i < x.length; ++i)
    w |= static_cast<unsigned __int128>(x.blocks[first + i]) << (32 * i);
  return {std::uint64_t(w >> (shift % 32)), shift};
}

// Whether r < x y is certain, certainly false, or not decided by the lengths and the leading
// 62 bits of the three (then the values are within about 2^-60 of each other).
enum class ProductOrder { greater, notGreater, unknown };

ProductOrder compareProductWith(const BigUnsigned& r, const BigUnsigned& x, const BigUnsigned& y) {
  typedef unsigned __int128 U128;
  const BigUnsigned::Index rBits = r.bitLength(), pBits = x.bitLength() + y.bitLength();
  if (rBits > pBits) return ProductOrder::notGreater;  // x y has pBits - 1 or pBits bits
  if (rBits + 1 < pBits) return ProductOrder::greater;
  const LeadingBits lr = leadingBits(r), lx = leadingBits(x), ly = leadingBits(y);
  // With the bit counts this close the scales differ by 0 to 62 bits.
  if (lr.shift < lx.shift + ly.shift || lr.shift - lx.shift - ly.shift > 62) return ProductOrder::unknown;
  const unsigned d = unsigned(lr.shift - lx.shift - ly.shift);
  const U128 rLow = U128(lr.v) << d, rHigh = U128(lr.v + 1) << d;
  const U128 pLow = U128(lx.v) * ly.v, pHigh = U128(lx.v + 1) * (ly.v + 1);
  if (rHigh <= pLow) return ProductOrder::greater;
  if (rLow >= pHigh) return ProductOrder::notGreater;
  return ProductOrder::unknown;
}

const char* const kTooBig = "BigInteger::to<Primitive>: Value is too big to fit in the requested type";
const char* const kNegativeToUnsigned =
    "BigInteger::to<Primitive>: Cannot convert a negative integer to an unsigned type";

}  // namespace

BigInteger::BigInteger(BigUnsigned&& x, Sign s, const SignErrors& errors) : magnitude(std::move(x)) {
  switch (s) {
    case positive:
    case negative: sign = magnitude.isZero() ? zero : s; break;
    case zero:
      if (!magnitude.isZero()) throw errors.zeroSignOfNonzero;
      sign = zero;
      break;
    default: throw errors.invalidSign;
  }
}

BigInteger::BigInteger(const Blk* b, Index n, Sign s)
    : BigInteger(BigUnsigned(b, n), s,
                 {"BigInteger::BigInteger(const Blk *, Index, Sign): Cannot use a sign of zero with a nonzero magnitude",
                  "BigInteger::BigInteger(const Blk *, Index, Sign): Invalid sign"}) {}

BigInteger::BigInteger(const BigUnsigned& x, Sign s)
    : BigInteger(BigUnsigned(x), s,
                 {"BigInteger::BigInteger(const BigUnsigned &, Sign): Cannot use a sign of zero with a nonzero magnitude",
                  "BigInteger::BigInteger(const BigUnsigned &, Sign): Invalid sign"}) {}

void BigInteger::assignMagnitudeWords(const std::uint64_t* w, std::size_t n, Sign s) {
  while (n > 0 && w[n - 1] == 0) --n;
  if (n == 0) {
    sign = zero;
    magnitude.length = 0;
    return;
  }
  if (s == zero)
    throw "BigInteger::assignMagnitudeWords: Cannot use a sign of zero with a nonzero magnitude";
  if (s != positive && s != negative) throw "BigInteger::assignMagnitudeWords: Invalid sign";
  if (n > std::numeric_limits<Index>::max() / 2)
    throw "BigInteger::assignMagnitudeWords: Too many words";
  magnitude.allocate(Index(2 * n));
  for (std::size_t i = 0; i < n; ++i) {
    magnitude.blocks[2 * i] = Blk(w[i]);
    magnitude.blocks[2 * i + 1] = Blk(w[i] >> 32);
  }
  magnitude.length = Index(2 * n);
  magnitude.trimLeadingZeros();
  sign = s;
}

// ---- Conversions ----

template <class X>
X BigInteger::convertToUnsignedPrimitive() const {
  if (sign == negative) throw kNegativeToUnsigned;
  return magnitude.convertToUnsignedPrimitive<X>();
}

// Positive values up to the largest X, negative ones down to the most negative X.
template <class X, class UX>
X BigInteger::convertToSignedPrimitive() const {
  if (sign == zero) return 0;
  if (magnitude.length * 32 <= sizeof(UX) * 8 || magnitude.length == 1) {
    std::uint64_t v = magnitude.length == 1
                          ? magnitude.blocks[0]
                          : (std::uint64_t(magnitude.blocks[1]) << 32) | magnitude.blocks[0];
    std::uint64_t maxPositive = std::uint64_t(UX(~UX(0)) >> 1);
    if (sign == positive && v <= maxPositive) return X(v);
    if (sign == negative && v <= maxPositive + 1) return X(UX(0) - UX(v));
  }
  throw kTooBig;
}

unsigned long BigInteger::toUnsignedLong() const { return convertToUnsignedPrimitive<unsigned long>(); }
unsigned int BigInteger::toUnsignedInt() const { return convertToUnsignedPrimitive<unsigned int>(); }
unsigned short BigInteger::toUnsignedShort() const { return convertToUnsignedPrimitive<unsigned short>(); }
long BigInteger::toLong() const { return convertToSignedPrimitive<long, unsigned long>(); }
short BigInteger::toShort() const { return convertToSignedPrimitive<short, unsigned short>(); }

// ---- Arithmetic ----

// this = a + (bSign * |b|), the sum of a and b with b's sign replaced by bSign.
void BigInteger::addMagnitudes(const BigInteger& a, const BigInteger& b, Sign bSign) {
  Sign aSign = a.sign;
  if (aSign == bSign) {
    magnitude.add(a.magnitude, b.magnitude);
    sign = aSign;
    return;
  }
  switch (a.magnitude.compareTo(b.magnitude)) {
    case BigUnsigned::greater:
      magnitude.subtract(a.magnitude, b.magnitude);
      sign = aSign;
      break;
    case BigUnsigned::less:
      magnitude.subtract(b.magnitude, a.magnitude);
      sign = bSign;
      break;
    default:
      magnitude.length = 0;
      sign = zero;
      break;
  }
}

void BigInteger::addGeneral(const BigInteger& a, const BigInteger& b) {
  if (a.sign == zero) {
    operator=(b);
  } else if (b.sign == zero) {
    operator=(a);
  } else {
    addMagnitudes(a, b, b.sign);
  }
}

void BigInteger::subtractGeneral(const BigInteger& a, const BigInteger& b) {
  if (a.sign == zero) {
    negate(b);
  } else if (b.sign == zero) {
    operator=(a);
  } else {
    addMagnitudes(a, b, Sign(-b.sign));
  }
}

void BigInteger::multiply(const BigInteger& a, const BigInteger& b) {
  if (a.sign == zero || b.sign == zero) {
    sign = zero;
    magnitude.length = 0;
    return;
  }
  Sign s = a.sign == b.sign ? positive : negative;
  magnitude.multiply(a.magnitude, b.magnitude);
  sign = s;
}

void BigInteger::divideWithRemainder(const BigInteger& b, BigInteger& q) {
  if (this == &q) throw "BigInteger::divideWithRemainder: Cannot write quotient and remainder into the same variable";
  if (this == &b || &q == &b) {
    BigInteger divisor(b);
    divideWithRemainder(divisor, q);
    return;
  }
  if (b.sign == zero || sign == zero) {
    q.sign = zero;
    q.magnitude.length = 0;
    return;
  }
  if (magnitude.length == 1 && b.magnitude.length == 1) {
    divideOneBlocks(b, q);
    return;
  }
  bool differ = sign != b.sign;
  // Floor division with differing signs: with a' = |a| - 1, q = -(a' / |b| + 1) and
  // r = |b| - 1 - a' mod |b|, which gives the remainder the divisor's sign.
  if (differ) magnitude.operator--();
  magnitude.divideWithRemainder(b.magnitude, q.magnitude);
  if (differ) {
    q.magnitude.operator++();
    magnitude.subtract(b.magnitude, magnitude);
    magnitude.operator--();
  }
  q.sign = q.magnitude.isZero() ? zero : (differ ? negative : positive);
  sign = magnitude.isZero() ? zero : b.sign;
}

// Both magnitudes one block: the same floor rules in machine arithmetic.
void BigInteger::divideOneBlocks(const BigInteger& b, BigInteger& q) {
  Blk x = magnitude.blocks[0], y = b.magnitude.blocks[0];
  Blk qm = x / y, rm = x % y;
  bool differ = sign != b.sign;
  if (differ && rm != 0) {
    ++qm;
    rm = y - rm;
  }
  q.magnitude.setSingle(qm);
  q.sign = qm == 0 ? zero : (differ ? negative : positive);
  magnitude.setSingle(rm);
  sign = rm == 0 ? zero : b.sign;
}

BigInteger BigInteger::operator/(const BigInteger& x) const {
  if (x.sign == zero) throw "BigInteger::operator /: division by zero";
  BigInteger q;
  if (magnitude.length == 1 && x.magnitude.length == 1) {
    Blk a = magnitude.blocks[0], d = x.magnitude.blocks[0];
    Blk qm = a / d;
    if (sign != x.sign && qm * d != a) ++qm;
    q.magnitude.setSingle(qm);
    q.sign = qm == 0 ? zero : (sign == x.sign ? positive : negative);
    return q;
  }
  BigInteger r(*this);
  r.divideWithRemainder(x, q);
  return q;
}

BigInteger BigInteger::operator%(const BigInteger& x) const {
  if (x.sign == zero) throw "BigInteger::operator %: division by zero";
  BigInteger q, r(*this);
  r.divideWithRemainder(x, q);
  return r;
}

BigInteger& BigInteger::operator/=(const BigInteger& x) {
  if (x.sign == zero) throw "BigInteger::operator /: division by zero";
  BigInteger q;
  divideWithRemainder(x, q);
  swap(q);
  return *this;
}

BigInteger& BigInteger::operator%=(const BigInteger& x) {
  if (x.sign == zero) throw "BigInteger::operator %: division by zero";
  BigInteger q;
  divideWithRemainder(x, q);
  return *this;
}

// ---- this -= a * b ----

void BigInteger::subtractProductGeneral(const BigInteger& a, const BigInteger& b) {
  Sign productSign = a.sign == b.sign ? positive : negative;
  if (a.magnitude.length == 1 && b.magnitude.length == 1 && magnitude.length <= 2) {
    std::uint64_t p = std::uint64_t(a.magnitude.blocks[0]) * b.magnitude.blocks[0];
    addSmall(magnitude.lowUint64(), sign, p, Sign(-productSign));
    return;
  }
  const BigUnsigned& x = a.magnitude.length >= b.magnitude.length ? a.magnitude : b.magnitude;
  const BigUnsigned& y = a.magnitude.length >= b.magnitude.length ? b.magnitude : a.magnitude;
  if (y.length < rowsBlocks() && this != &a && this != &b) {
    subtractRows(x, y, productSign);
    return;
  }
  // The product goes to scratch (on the stack unless long), then into this object's array;
  // the operands are read before this object changes, so any of them may be this object.
  Index pn = x.length + y.length;
  Blk stackBlocks[stackProductBlocks];
  std::unique_ptr<Blk[]> heapBlocks(pn > stackProductBlocks ? new Blk[pn] : nullptr);
  Blk* p = heapBlocks ? heapBlocks.get() : stackBlocks;
  bk::multiplyRuns(p, x.blocks, x.length, y.blocks, y.length);
  if (p[pn - 1] == 0) --pn;
  addRun(p, pn, Sign(-productSign));
}

void BigInteger::assignDifferenceOfProduct(const BigInteger& e, const BigInteger& a,
                                           const BigInteger& b) {
  // A one-block product from a value of at most two blocks needs at most three blocks, and
  // four cost no more memory than one in the allocator's smallest chunk.
  const Index room = a.magnitude.length == 1 && b.magnitude.length == 1 && e.magnitude.length <= 2
                         ? 4
                         : std::max(e.magnitude.length, a.magnitude.length + b.magnitude.length) + 2;
  if (magnitude.capacity < room) magnitude.allocate(room);
  *this = e;
  subtractProduct(a, b);
}

BigInteger::Index BigInteger::roomToSubtractProduct(const BigInteger& a, const BigInteger& b) const {
  const Index an = a.magnitude.length, bn = b.magnitude.length;
  if (this == &a || this == &b || (an < bn ? an : bn) >= rowsBlocks()) return 0;
  // The rows need max(length, an + bn) + 1 blocks; the one-block paths at most 4.
  const Index longer = magnitude.length > an + bn ? magnitude.length : an + bn;
  return longer + 1 > 4 ? longer + 1 : 4;
}

// this += s * P for the run P of pn blocks (normal form, non-zero), in this object's array.
void BigInteger::addRun(const Blk* p, Index pn, Sign s) {
  Index n = magnitude.length;
  if (sign == zero) {
    magnitude.allocate(pn);
    for (Index i = 0; i < pn; ++i) magnitude.blocks[i] = p[i];
    magnitude.length = pn;
    sign = s;
    return;
  }
  if (sign == s) {
    Index m = (n > pn ? n : pn) + 1;
    magnitude.allocateAndCopy(m);
    Blk* r = magnitude.blocks;
    for (Index i = n; i < m; ++i) r[i] = 0;
    Blk carry = bk::addRuns(r, r, p, pn);
    bk::addCarry(r + pn, r + pn, m - pn, carry);
    magnitude.length = m;
    magnitude.trimLeadingZeros();
    return;
  }
  // Opposite signs: the larger magnitude decides the sign.
  int order = n != pn ? (n < pn ? -1 : 1) : bk::compareRuns(magnitude.blocks, p, n);
  if (order == 0) {
    magnitude.length = 0;
    sign = zero;
    return;
  }
  if (order > 0) {
    bk::subUnequal(magnitude.blocks, magnitude.blocks, n, p, pn);
  } else {
    magnitude.allocateAndCopy(pn);
    bk::subUnequal(magnitude.blocks, p, pn, magnitude.blocks, n);  // P - |this|, in place
    magnitude.length = pn;
    sign = s;
  }
  magnitude.trimLeadingZeros();
}

// this -= productSign * x * y, one row x * y[j] at a time in this object's array (grown only
// when too small); used for a short y, with one pass over x per pair of y's blocks.
// When the magnitudes subtract, the running value is kept modulo B^n. If the product is
// known to be the larger, the rows compute x y - |this| directly: the first adds the product
// to the complement of this object and one more is added at the end (~v + 1 = -v modulo B^n),
// so the sign change costs no pass of its own. Otherwise a borrow out of the top block means
// the result changed sign, and the two's complement is taken at the end.
void BigInteger::subtractRows(const BigUnsigned& x, const BigUnsigned& y, Sign productSign) {
  Index xn = x.length;
  Index n = (magnitude.length > xn + y.length ? magnitude.length : xn + y.length) + 1;
  bool grow = sign == zero || sign != productSign;
  bool reversed = !grow && compareProductWith(magnitude, x, y) == ProductOrder::greater;
  Sign resultSign = sign == zero ? Sign(-productSign) : sign;
  magnitude.allocateAndCopy(n);
  for (Index i = magnitude.length; i < n; ++i) magnitude.blocks[i] = 0;
  Blk* r = magnitude.blocks;
  bool wrapped = false;
  // One row per pair of y's blocks (the last may be a single block); a row ends at
  // o + xn + 2 <= xn + y.length + 1 <= n.
  for (Index o = 0; o < y.length; o += 2) {
    bk::Wide m = o + 1 < y.length ? bk::loadPair(y.blocks + o) : y.blocks[o];
    Index end = o + xn + 2;
    if (reversed && o == 0) {
      Blk carry = bk::notAddMulWide(r, x.blocks, xn, m);
      for (Index i = end; i < n; ++i) r[i] = ~r[i];
      bk::addCarry(r + end, r + end, n - end, carry);  // a carry out of B^n is dropped
    } else if (grow || reversed) {
      Blk carry = bk::addMulWide(r + o, x.blocks, xn, m);
      bk::addCarry(r + end, r + end, n - end, carry);
    } else {
      Blk borrow = bk::subMulWide(r + o, x.blocks, xn, m);
      wrapped |= bk::subBorrow(r + end, r + end, n - end, borrow) != 0;
    }
  }
  if (reversed) {
    bk::addCarry(r, r, n, 1);
    resultSign = Sign(-resultSign);
  }
  if (wrapped) {
    // B^n - r: the low zero blocks stay, the lowest non-zero one is negated and the rest
    // complemented, a loop without a carry chain.
    Index i = 0;
    while (i < n && r[i] == 0) ++i;
    if (i < n) r[i] = Blk(0) - r[i];
    for (++i; i < n; ++i) r[i] = ~r[i];
    resultSign = Sign(-resultSign);
  }
  magnitude.length = n;
  magnitude.trimLeadingZeros();
  sign = magnitude.isZero() ? zero : resultSign;
}

// ---- Increment and decrement ----

void BigInteger::operator++() {
  if (sign == negative) {
    magnitude.operator--();
    if (magnitude.isZero()) sign = zero;
  } else {
    magnitude.operator++();
    sign = positive;
  }
}

void BigInteger::operator--() {
  if (sign == positive) {
    magnitude.operator--();
    if (magnitude.isZero()) sign = zero;
  } else {
    magnitude.operator++();
    sign = negative;
  }
}
