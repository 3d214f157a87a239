// BigUnsigned: an unsigned integer of unbounded size in normalised 32-bit blocks.
#pragma once

#include <compare>
#include <cstdint>

#include "NumberlikeArray.h"

// The value is the sum of blocks[i] * 2^(32 i) for i below length. Normal form: the top block
// in use is non-zero, and zero is exactly length 0. Every operation leaves its result in normal
// form and writes it into the object it is called on; operands may be that same object.
class BigUnsigned : public NumberlikeArray<std::uint32_t> {
 public:
  typedef std::uint32_t Blk;
  typedef NumberlikeArray<Blk>::Index Index;
  enum CompareResult { less = -1, equal = 0, greater = 1 };

  BigUnsigned() noexcept : NumberlikeArray<Blk>() {}
  BigUnsigned(const BigUnsigned& x) = default;
  BigUnsigned(BigUnsigned&& x) noexcept = default;
  BigUnsigned& operator=(const BigUnsigned& x) = default;
  BigUnsigned& operator=(BigUnsigned&& x) noexcept = default;
  ~BigUnsigned() = default;

  // The n blocks b, least significant first; leading zero blocks are dropped.
  BigUnsigned(const Blk* b, Index n) : NumberlikeArray<Blk>(b, n) { trimLeadingZeros(); }

  // From primitives. A zero gets no array; 64-bit values may need two blocks. Negative
  // signed values are refused.
  BigUnsigned(unsigned long x) { initFromUnsigned(x); }
  BigUnsigned(unsigned long long x) { initFromUnsigned(x); }
  BigUnsigned(unsigned int x) { initFromUnsigned(x); }
  BigUnsigned(unsigned short x) { initFromUnsigned(x); }
  BigUnsigned(long x) { initFromSigned(x); }
  BigUnsigned(long long x) { initFromSigned(x); }
  BigUnsigned(int x) { initFromSigned(x); }
  BigUnsigned(short x) { initFromSigned(x); }

  // Conversions to primitives; a value that does not fit raises an error.
  unsigned long toUnsignedLong() const;
  long toLong() const;
  unsigned int toUnsignedInt() const;
  int toInt() const;
  unsigned short toUnsignedShort() const;
  short toShort() const;

  // Questions about the value that read the blocks only (no allocation).
  bool isZero() const { return length == 0; }
  bool isOne() const { return length == 1 && blocks[0] == 1; }
  // Whether the value is at least k.
  bool isAtLeast(Blk k) const { return length > 1 || getBlock(0) >= k; }
  // Whether the value fits k blocks, i.e. is below 2^(32 k).
  bool fitsInBlocks(Index k) const { return length <= k; }

  // Makes room for n blocks keeping the value, so that later results of up to n blocks are
  // written into the same array.
  void reserve(Index n) { allocateAndCopy(n); }

  // Block i, or 0 at and beyond length.
  Blk getBlock(Index i) const { return i >= length ? 0 : blocks[i]; }
  // Stores v as block i (growing or trimming as needed).
  void setBlock(Index i, Blk v);
  bool getBit(Index bi) const { return (getBlock(bi / 32) >> (bi % 32)) & 1; }
  void setBit(Index bi, bool newBit);
  // Number of significant bits; 0 for zero.
  Index bitLength() const;

  CompareResult compareTo(const BigUnsigned& x) const {
    if (length != x.length) return length < x.length ? less : greater;
    for (Index i = length; i-- > 0;) {
      if (blocks[i] != x.blocks[i]) return blocks[i] < x.blocks[i] ? less : greater;
    }
    return equal;
  }
  // == and <=> give all six comparisons (!=, <, <=, >, >= are derived from them).
  bool operator==(const BigUnsigned& x) const { return NumberlikeArray<Blk>::operator==(x); }
  std::strong_ordering operator<=>(const BigUnsigned& x) const { return int(compareTo(x)) <=> 0; }

  // this = a + b, a - b (error when negative), a * b.
  void add(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.length == 1 && b.length == 1) {
      addOneBlocks(a.blocks[0], b.blocks[0]);
    } else {
      addGeneral(a, b);
    }
  }
  void subtract(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.length == 1 && b.length == 1 && a.blocks[0] >= b.blocks[0]) {
      setSingle(a.blocks[0] - b.blocks[0]);
    } else {
      subtractGeneral(a, b);
    }
  }
  void multiply(const BigUnsigned& a, const BigUnsigned& b) {
    if (a.length == 1 && b.length == 1) {
      setFromUint64(std::uint64_t(a.blocks[0]) * b.blocks[0]);
    } else {
      multiplyGeneral(a, b);
    }
  }
  void bitAnd(const BigUnsigned& a, const BigUnsigned& b);
  void bitOr(const BigUnsigned& a, const BigUnsigned& b);
  void bitXor(const BigUnsigned& a, const BigUnsigned& b);

  // On entry this object holds the dividend; on exit it holds the remainder and q the
  // quotient, 0 <= remainder < b. A zero divisor leaves the dividend and makes q zero.
  void divideWithRemainder(const BigUnsigned& b, BigUnsigned& q);

  // this = a * 2^b and floor(a / 2^b); a negative b shifts the other way.
  void bitShiftLeft(const BigUnsigned& a, int b);
  void bitShiftRight(const BigUnsigned& a, int b);

  BigUnsigned operator+(const BigUnsigned& x) const { BigUnsigned r; r.add(*this, x); return r; }
  BigUnsigned operator-(const BigUnsigned& x) const { BigUnsigned r; r.subtract(*this, x); return r; }
  BigUnsigned operator*(const BigUnsigned& x) const { BigUnsigned r; r.multiply(*this, x); return r; }
  BigUnsigned operator/(const BigUnsigned& x) const;
  BigUnsigned operator%(const BigUnsigned& x) const;
  BigUnsigned operator&(const BigUnsigned& x) const { BigUnsigned r; r.bitAnd(*this, x); return r; }
  BigUnsigned operator|(const BigUnsigned& x) const { BigUnsigned r; r.bitOr(*this, x); return r; }
  BigUnsigned operator^(const BigUnsigned& x) const { BigUnsigned r; r.bitXor(*this, x); return r; }
  BigUnsigned operator<<(int b) const { BigUnsigned r; r.bitShiftLeft(*this, b); return r; }
  BigUnsigned operator>>(int b) const { BigUnsigned r; r.bitShiftRight(*this, b); return r; }

  BigUnsigned& operator+=(const BigUnsigned& x) { add(*this, x); return *this; }
  BigUnsigned& operator-=(const BigUnsigned& x) { subtract(*this, x); return *this; }
  BigUnsigned& operator*=(const BigUnsigned& x) { multiply(*this, x); return *this; }
  BigUnsigned& operator/=(const BigUnsigned& x);
  BigUnsigned& operator%=(const BigUnsigned& x);
  BigUnsigned& operator&=(const BigUnsigned& x) { bitAnd(*this, x); return *this; }
  BigUnsigned& operator|=(const BigUnsigned& x) { bitOr(*this, x); return *this; }
  BigUnsigned& operator^=(const BigUnsigned& x) { bitXor(*this, x); return *this; }
  BigUnsigned& operator<<=(int b) { bitShiftLeft(*this, b); return *this; }
  BigUnsigned& operator>>=(int b) { bitShiftRight(*this, b); return *this; }

  // Add or subtract one in place; -- on zero raises an error and changes nothing.
  void operator++();
  void operator++(int) { operator++(); }
  void operator--();
  void operator--(int) { operator--(); }

  // The value of a number of at most two blocks as a 64-bit number.
  std::uint64_t lowUint64() const {
    return length == 0 ? 0 : length == 1 ? blocks[0] : (std::uint64_t(blocks[1]) << 32) | blocks[0];
  }
  // Sets the value to v + carry 2^64, reusing the array when it is large enough.
  void setFromUint64(std::uint64_t v, bool carry) {
    if (!carry) {
      setFromUint64(v);
      return;
    }
    allocate(3);
    blocks[0] = Blk(v);
    blocks[1] = Blk(v >> 32);
    blocks[2] = 1;
    length = 3;
  }
  // Sets the value from a 64-bit number, reusing the array when it is large enough.
  void setFromUint64(std::uint64_t v) {
    if (v == 0) {
      length = 0;
    } else if ((v >> 32) == 0) {
      allocate(1);
      blocks[0] = Blk(v);
      length = 1;
    } else {
      allocate(2);
      blocks[0] = Blk(v);
      blocks[1] = Blk(v >> 32);
      length = 2;
    }
  }

 private:
  template <class X> void initFromUnsigned(X x);
  template <class X> void initFromSigned(X x);
  template <class X> X convertToUnsignedPrimitive() const;
  template <class X> X convertToSignedPrimitive() const;

  void setSingle(Blk v) {
    if (v == 0) {
      length = 0;
    } else {
      allocate(1);
      blocks[0] = v;
      length = 1;
    }
  }
  void addOneBlocks(Blk x, Blk y) {
    std::uint64_t s = std::uint64_t(x) + y;
    allocate(2);
    blocks[0] = Blk(s);
    blocks[1] = Blk(s >> 32);
    length = (s >> 32) ? 2 : 1;
  }
  void addGeneral(const BigUnsigned& a, const BigUnsigned& b);
  void subtractGeneral(const BigUnsigned& a, const BigUnsigned& b);
  void multiplyGeneral(const BigUnsigned& a, const BigUnsigned& b);

  friend class BigInteger;
};

template <class X>
void BigUnsigned::initFromUnsigned(X x) {
  static_assert(sizeof(X) <= 8, "at most 64-bit primitives");
  std::uint64_t v = std::uint64_t(x);
  if (v == 0) return;
  Index n = (v >> 32) ? 2 : 1;  // always within the inline elements
  length = n;
  blocks[0] = Blk(v);
  if (n == 2) blocks[1] = Blk(v >> 32);
}

template <class X>
void BigUnsigned::initFromSigned(X x) {
  if (x < 0) throw "BigUnsigned constructor: Cannot construct a BigUnsigned from a negative number";
  initFromUnsigned(static_cast<std::uint64_t>(x));
}

// The single block (or, for 64-bit X, the two blocks) when the value fits X.
template <class X>
X BigUnsigned::convertToUnsignedPrimitive() const {
  if (length == 0) return 0;
  if (length == 1) {
    if (sizeof(X) >= 4 || blocks[0] <= Blk(X(~X(0)))) return X(blocks[0]);
  } else if (length == 2 && sizeof(X) == 8) {
    return X((std::uint64_t(blocks[1]) << 32) | blocks[0]);
  }
  throw "BigUnsigned::to<Primitive>: Value is too big to fit in the requested type";
}
