// BigInteger: a signed integer of unbounded size, a sign and a BigUnsigned magnitude.
#pragma once

#include <compare>
#include <cstdint>
#include <utility>

#include "BigUnsigned.h"

// Value = sign * magnitude; sign is zero exactly when the magnitude is zero. Division is floor
// division: the quotient rounds toward negative infinity and the remainder has the sign of the
// divisor (or is zero). Two-operand operations write into the object they are called on, which
// may be one of the operands.
class BigInteger {
 public:
  typedef BigUnsigned::Blk Blk;
  typedef BigUnsigned::Index Index;
  typedef BigUnsigned::CompareResult CompareResult;
  static constexpr CompareResult less = BigUnsigned::less;
  static constexpr CompareResult equal = BigUnsigned::equal;
  static constexpr CompareResult greater = BigUnsigned::greater;
  enum Sign : std::int32_t { negative = -1, zero = 0, positive = 1 };

  Sign sign;
  BigUnsigned magnitude;

  BigInteger() noexcept : sign(zero) {}
  BigInteger(const BigInteger& x) = default;
  BigInteger(BigInteger&& x) noexcept : sign(x.sign), magnitude(std::move(x.magnitude)) {
    x.sign = zero;
  }
  // Copy assignment reuses this object's array when it is large enough.
  BigInteger& operator=(const BigInteger& x) {
    if (this != &x) {
      if (x.magnitude.length == 1 && magnitude.capacity >= 1) {
        magnitude.blocks[0] = x.magnitude.blocks[0];
        magnitude.length = 1;
      } else {
        magnitude = x.magnitude;
      }
      sign = x.sign;
    }
    return *this;
  }
  BigInteger& operator=(BigInteger&& x) noexcept {
    if (this != &x) {
      magnitude = std::move(x.magnitude);
      sign = x.sign;
      x.sign = zero;
      x.magnitude.length = 0;
    }
    return *this;
  }
  ~BigInteger() = default;

  // The n blocks b with the sign s; s must be positive or negative unless the blocks are zero.
  BigInteger(const Blk* b, Index n, Sign s);
  // x with the sign s, under the same rule.
  BigInteger(const BigUnsigned& x, Sign s);
  // x as a non-negative value.
  BigInteger(const BigUnsigned& x) : sign(x.isZero() ? zero : positive), magnitude(x) {}

  // From primitives; 64-bit values may need two blocks. The magnitude of the most negative
  // value of a width is taken in unsigned arithmetic (2^31 for int).
  BigInteger(unsigned long x) : sign(x ? positive : zero), magnitude(x) {}
  BigInteger(unsigned long long x) : sign(x ? positive : zero), magnitude(x) {}
  BigInteger(unsigned int x) : sign(x ? positive : zero), magnitude(x) {}
  BigInteger(unsigned short x) : sign(x ? positive : zero), magnitude(x) {}
  BigInteger(long x) : sign(signOf(x)), magnitude(magnitudeOf(x)) {}
  BigInteger(long long x) : sign(signOf(x)), magnitude(magnitudeOf(x)) {}
  BigInteger(int x) : sign(signOf(x)), magnitude(magnitudeOf(x)) {}
  BigInteger(short x) : sign(signOf(x)), magnitude(magnitudeOf(x)) {}

  // Conversions to primitives; a value that does not fit raises an error.
  unsigned long toUnsignedLong() const;
  long toLong() const;
  unsigned int toUnsignedInt() const;
  int toInt() const {
    if (sign == zero) return 0;
    if (magnitude.length == 1) {
      Blk v = magnitude.blocks[0];
      if (sign == positive && v <= 0x7FFFFFFFu) return int(v);
      if (sign == negative && v <= 0x80000000u) return int(-std::int64_t(v));
    }
    throw "BigInteger::to<Primitive>: Value is too big to fit in the requested type";
  }
  unsigned short toUnsignedShort() const;
  short toShort() const;

  Sign getSign() const { return sign; }
  const BigUnsigned& getMagnitude() const { return magnitude; }
  Index getLength() const { return magnitude.length; }
  Index getCapacity() const { return magnitude.capacity; }
  Blk getBlock(Index i) const { return magnitude.getBlock(i); }
  // Questions about the value that read the sign and blocks only (no allocation).
  bool isZero() const { return sign == zero; }
  bool isPositive() const { return sign == positive; }
  bool isNegative() const { return sign == negative; }
  bool isOne() const { return sign == positive && magnitude.isOne(); }
  bool isMinusOne() const { return sign == negative && magnitude.isOne(); }
  // Whether |this| >= k.
  bool magnitudeAtLeast(Blk k) const { return magnitude.isAtLeast(k); }
  // Whether |this| fits k blocks, i.e. is below 2^(32 k).
  bool fitsInBlocks(Index k) const { return magnitude.fitsInBlocks(k); }

  // Makes room for a magnitude of n blocks keeping the value, so that later results of up
  // to n blocks are written into the same array.
  void reserve(Index n) { magnitude.reserve(n); }

  CompareResult compareTo(const BigInteger& x) const {
    if (sign != x.sign) return sign < x.sign ? less : greater;
    switch (sign) {
      case zero: return equal;
      case positive: return magnitude.compareTo(x.magnitude);
      case negative: return CompareResult(-int(magnitude.compareTo(x.magnitude)));
      default: throw "BigInteger internal error";
    }
  }
  // == and <=> give all six comparisons (!=, <, <=, >, >= are derived from them).
  bool operator==(const BigInteger& x) const {
    return sign == x.sign && magnitude == x.magnitude;
  }
  std::strong_ordering operator<=>(const BigInteger& x) const { return int(compareTo(x)) <=> 0; }

  // this = a + b, a - b, a * b, -a.
  void add(const BigInteger& a, const BigInteger& b) {
    if (a.magnitude.length <= 2 && b.magnitude.length <= 2) {
      addSmall(a.magnitude.lowUint64(), a.sign, b.magnitude.lowUint64(), b.sign);
    } else {
      addGeneral(a, b);
    }
  }
  void subtract(const BigInteger& a, const BigInteger& b) {
    if (a.magnitude.length <= 2 && b.magnitude.length <= 2) {
      addSmall(a.magnitude.lowUint64(), a.sign, b.magnitude.lowUint64(), Sign(-b.sign));
    } else {
      subtractGeneral(a, b);
    }
  }
  void multiply(const BigInteger& a, const BigInteger& b);
  void negate(const BigInteger& a) {
    if (this != &a) magnitude = a.magnitude;
    sign = Sign(-a.sign);
  }

  // Floor division. On entry this object holds the dividend; on exit it holds the remainder
  // and q the quotient. A zero divisor leaves the dividend and makes q zero.
  void divideWithRemainder(const BigInteger& b, BigInteger& q);

  // The machine-word fast path, for loops that keep most values in a word (the inflation
  // step). asInt64 reads the value into out when |value| < 2^63 and says whether it did;
  // assign stores a word, which never allocates (every value holds a word in place).
  bool asInt64(std::int64_t& out) const noexcept {
    const Index n = magnitude.length;
    if (n > 2) return false;
    const std::uint64_t low = n != 0 ? magnitude.blocks[0] : 0;
    const std::uint64_t high = n == 2 ? magnitude.blocks[1] : 0;
    const std::uint64_t m = (high << 32) | low;
    if (m >> 63) return false;
    out = std::int64_t(m) * sign;
    return true;
  }
  void assign(std::int64_t w) noexcept {
    static_assert(BigUnsigned::kInline * 32 >= 64, "a machine word fits every value");
    if (w == 0) {
      sign = zero;
      magnitude.length = 0;
      return;
    }
    const std::uint64_t m = w < 0 ? std::uint64_t(0) - std::uint64_t(w) : std::uint64_t(w);
    magnitude.blocks[0] = Blk(m);
    magnitude.blocks[1] = Blk(m >> 32);
    magnitude.length = (m >> 32) ? 2 : 1;
    sign = w < 0 ? negative : positive;
  }
  // The magnitude as 64-bit words, least significant first, for the exchange with other
  // integer libraries (FLINT): magnitudeWordCount() words, none for zero, the top one non-zero.
  std::size_t magnitudeWordCount() const noexcept { return (std::size_t(magnitude.length) + 1) / 2; }
  void copyMagnitudeWords(std::uint64_t* out) const noexcept {
    const Blk* b = magnitude.blocks;
    const Index n = magnitude.length;
    Index i = 0;
    for (; i + 1 < n; i += 2) out[i / 2] = (std::uint64_t(b[i + 1]) << 32) | b[i];
    if (i < n) out[i / 2] = b[i];
  }
  // this = s times the n words at w (least significant first, leading zero words allowed);
  // s is positive or negative, and ignored when the words are all zero.
  void assignMagnitudeWords(const std::uint64_t* w, std::size_t n, Sign s);
  // this = e - a * b, none of them this object: room for the result is made first (the
  // old value is not kept), so that the copy of e is the only step that can allocate.
  void assignDifferenceOfProduct(const BigInteger& e, const BigInteger& a, const BigInteger& b);
  // Gives this object the room of roomToSubtractProduct(a, b) and a quarter more (values
  // that grow step after step then need a new array less often); false, changing nothing,
  // when no room suffices.
  bool reserveToSubtractProduct(const BigInteger& a, const BigInteger& b) {
    const Index room = roomToSubtractProduct(a, b);
    if (room == 0) return false;
    if (magnitude.capacity < room) magnitude.allocateAndCopy(room + room / 4);
    return true;
  }

  // Helpers for allocation-free loops (the inflation step):
  // this = this - a * b, correct when any of the three are the same object; no allocation
  // when this object's capacity is large enough (and the product has at most
  // stackProductBlocks blocks).
  static constexpr Index stackProductBlocks = 256;
  void subtractProduct(const BigInteger& a, const BigInteger& b) {
    if (a.sign == zero || b.sign == zero) return;
    if (a.magnitude.length == 1 && b.magnitude.length == 1 && magnitude.length <= 1 &&
        magnitude.capacity >= 3) {
      subtractSmallProduct(std::uint64_t(a.magnitude.blocks[0]) * b.magnitude.blocks[0],
                           a.sign == b.sign ? positive : negative);
    } else {
      subtractProductGeneral(a, b);
    }
  }
  // The capacity this object needs for subtractProduct(a, b) to run without allocating
  // whatever the operands' values, or 0 when it may allocate anyway (both factors long,
  // or this object one of them).
  Index roomToSubtractProduct(const BigInteger& a, const BigInteger& b) const;
  // this = -this.
  void negateInPlace() { sign = Sign(-sign); }
  // Exchanges the two values (and their arrays).
  void swap(BigInteger& x) noexcept {
    std::swap(sign, x.sign);
    magnitude.swapArrays(x.magnitude);
  }

  BigInteger operator+(const BigInteger& x) const { BigInteger r; r.add(*this, x); return r; }
  BigInteger operator-(const BigInteger& x) const { BigInteger r; r.subtract(*this, x); return r; }
  BigInteger operator*(const BigInteger& x) const { BigInteger r; r.multiply(*this, x); return r; }
  BigInteger operator/(const BigInteger& x) const;
  BigInteger operator%(const BigInteger& x) const;
  BigInteger operator-() const { BigInteger r; r.negate(*this); return r; }

  BigInteger& operator+=(const BigInteger& x) { add(*this, x); return *this; }
  BigInteger& operator-=(const BigInteger& x) { subtract(*this, x); return *this; }
  BigInteger& operator*=(const BigInteger& x) { multiply(*this, x); return *this; }
  BigInteger& operator/=(const BigInteger& x);
  BigInteger& operator%=(const BigInteger& x);

  // Add or subtract one in place.
  void operator++();
  void operator++(int) { operator++(); }
  void operator--();
  void operator--(int) { operator--(); }

 private:
  // The messages a constructor with a sign throws, naming that constructor.
  struct SignErrors {
    const char* zeroSignOfNonzero;
    const char* invalidSign;
  };
  // x with the sign s; the two public constructors with a sign delegate here.
  BigInteger(BigUnsigned&& x, Sign s, const SignErrors& errors);

  template <class X> static Sign signOf(X x) { return x > 0 ? positive : (x < 0 ? negative : zero); }
  template <class X> static std::uint64_t magnitudeOf(X x) {
    std::uint64_t v = std::uint64_t(std::int64_t(x));
    return x < 0 ? std::uint64_t(0) - v : v;
  }
  template <class X> X convertToUnsignedPrimitive() const;
  template <class X, class UX> X convertToSignedPrimitive() const;
  void addMagnitudes(const BigInteger& a, const BigInteger& b, Sign bSign);
  void addGeneral(const BigInteger& a, const BigInteger& b);
  void subtractGeneral(const BigInteger& a, const BigInteger& b);
  // this = xs x + ys y for magnitudes below 2^64 (read before anything is written).
  void addSmall(std::uint64_t x, Sign xs, std::uint64_t y, Sign ys) {
    if (xs == zero) {
      sign = ys;
      magnitude.setFromUint64(y);
    } else if (ys == zero) {
      sign = xs;
      magnitude.setFromUint64(x);
    } else if (xs == ys) {
      std::uint64_t s = x + y;
      sign = xs;
      magnitude.setFromUint64(s, s < x);
    } else if (x > y) {
      sign = xs;
      magnitude.setFromUint64(x - y);
    } else if (x < y) {
      sign = ys;
      magnitude.setFromUint64(y - x);
    } else {
      sign = zero;
      magnitude.length = 0;
    }
  }
  void subtractProductGeneral(const BigInteger& a, const BigInteger& b);
  // this -= productSign * p, for |this| below 2^32 and room for three blocks.
  void subtractSmallProduct(std::uint64_t p, Sign productSign) {
    std::uint64_t t = magnitude.length ? magnitude.blocks[0] : 0;
    std::uint64_t m;
    bool carry = false;
    if (sign == zero) {
      m = p;
      sign = Sign(-productSign);
    } else if (sign != productSign) {
      m = t + p;  // |this| grows
      carry = m < p;
    } else if (t >= p) {
      m = t - p;
      if (m == 0) sign = zero;
    } else {
      m = p - t;
      sign = Sign(-sign);
    }
    Blk* out = magnitude.blocks;
    out[0] = Blk(m);
    out[1] = Blk(m >> 32);
    out[2] = 1;
    magnitude.length = carry ? 3 : (out[1] ? 2 : (out[0] ? 1 : 0));
  }
  void divideOneBlocks(const BigInteger& b, BigInteger& q);
  void subtractRows(const BigUnsigned& x, const BigUnsigned& y, Sign productSign);
  void addRun(const Blk* p, Index pn, Sign s);
};

inline void swap(BigInteger& a, BigInteger& b) noexcept { a.swap(b); }
