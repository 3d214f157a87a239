// BigInteger: construction with a sign, conversions, signed arithmetic and floor division.
#include "BigInteger.h"

#include <climits>

#include "BlockKernels.h"

namespace bk = blockkernels;

namespace {

const char* const kTooBig = "BigInteger::to<Primitive>: Value is too big to fit in the requested type";
const char* const kNegativeToUnsigned =
    "BigInteger::to<Primitive>: Cannot convert a negative integer to an unsigned type";

}  // namespace

BigInteger::BigInteger(const Blk* b, Index n, Sign s) : magnitude(b, n) {
  switch (s) {
    case positive:
    case negative: sign = magnitude.isZero() ? zero : s; break;
    case zero:
      if (!magnitude.isZero())
        throw "BigInteger::BigInteger(const Blk *, Index, Sign): Cannot use a sign of zero with a nonzero magnitude";
      sign = zero;
      break;
    default: throw "BigInteger::BigInteger(const Blk *, Index, Sign): Invalid sign";
  }
}

BigInteger::BigInteger(const BigUnsigned& x, Sign s) : magnitude(x) {
  switch (s) {
    case positive:
    case negative: sign = magnitude.isZero() ? zero : s; break;
    case zero:
      if (!magnitude.isZero())
        throw "BigInteger::BigInteger(const BigUnsigned &, Sign): Cannot use a sign of zero with a nonzero magnitude";
      sign = zero;
      break;
    default: throw "BigInteger::BigInteger(const BigUnsigned &, Sign): Invalid sign";
  }
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
    std::uint64_t t = magnitude.length == 0 ? 0
                      : magnitude.length == 1
                          ? magnitude.blocks[0]
                          : (std::uint64_t(magnitude.blocks[1]) << 32) | magnitude.blocks[0];
    if (sign == zero) {
      magnitude.setFromUint64(p);
      sign = Sign(-productSign);
    } else if (sign != productSign) {
      // |this| grows: this and -a*b have the same sign.
      std::uint64_t s = t + p;
      if (s < t) {
        magnitude.allocate(3);
        magnitude.blocks[0] = Blk(s);
        magnitude.blocks[1] = Blk(s >> 32);
        magnitude.blocks[2] = 1;
        magnitude.length = 3;
      } else {
        magnitude.setFromUint64(s);
      }
    } else if (t >= p) {
      magnitude.setFromUint64(t - p);
      if (t == p) sign = zero;
    } else {
      magnitude.setFromUint64(p - t);
      sign = Sign(-sign);
    }
    return;
  }
  const BigInteger* small = a.magnitude.length == 1 ? &a : (b.magnitude.length == 1 ? &b : nullptr);
  if (small != nullptr && this != &a && this != &b) {
    const BigInteger& big = small == &a ? b : a;
    subtractBlockMultiple(big.magnitude, small->magnitude.blocks[0], productSign);
    return;
  }
  BigInteger product;
  product.multiply(a, b);
  subtract(*this, product);
}

// this -= productSign * x * m, in this object's array (grown only when too small).
void BigInteger::subtractBlockMultiple(const BigUnsigned& x, Blk m, Sign productSign) {
  Index xn = x.length;
  if (sign == zero || sign != productSign) {
    // Magnitudes add: |this| += x * m.
    Sign resultSign = sign == zero ? Sign(-productSign) : sign;
    Index n = (magnitude.length > xn ? magnitude.length : xn) + 1;
    magnitude.allocateAndCopy(n);
    for (Index i = magnitude.length; i < n; ++i) magnitude.blocks[i] = 0;
    Blk carry = bk::addMulBlock(magnitude.blocks, x.blocks, xn, m);
    carry = bk::addCarry(magnitude.blocks + xn, magnitude.blocks + xn, n - xn, carry);
    magnitude.length = n;
    magnitude.trimLeadingZeros();
    sign = resultSign;
    return;
  }
  // Magnitudes subtract: |this| - x * m, which may change sign.
  Index n = (magnitude.length > xn ? magnitude.length : xn) + 1;
  magnitude.allocateAndCopy(n);
  for (Index i = magnitude.length; i < n; ++i) magnitude.blocks[i] = 0;
  Blk borrow = bk::subMulBlock(magnitude.blocks, x.blocks, xn, m);
  borrow = bk::subBorrow(magnitude.blocks + xn, magnitude.blocks + xn, n - xn, borrow);
  magnitude.length = n;
  if (borrow) {
    // Two's complement went negative: negate the n blocks and flip the sign.
    Blk carry = 1;
    for (Index i = 0; i < n; ++i) {
      std::uint64_t t = std::uint64_t(Blk(~magnitude.blocks[i])) + carry;
      magnitude.blocks[i] = Blk(t);
      carry = Blk(t >> 32);
    }
    sign = Sign(-sign);
  }
  magnitude.trimLeadingZeros();
  if (magnitude.isZero()) sign = zero;
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
