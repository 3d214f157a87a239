// BigUnsignedInABase: digits from and to BigUnsigned values and strings, bases 2 to 36.
#include "BigUnsignedInABase.h"

#include <memory>
#include <vector>

#include "BlockKernels.h"
#include "RadixConversion.h"

namespace bk = blockkernels;

namespace {

// The largest power base^k that fits in one block, with its exponent k.
struct Chunk {
  BigUnsigned::Blk power;
  unsigned digits;
};

Chunk chunkFor(unsigned base) {
  Chunk c{base, 1};
  while (std::uint64_t(c.power) * base <= 0xFFFFFFFFull) {
    c.power *= base;
    ++c.digits;
  }
  return c;
}

// Up to these sizes the one-block chunk loops are fastest; longer numbers go through the
// divide-and-conquer conversion.
const BigUnsigned::Index kShortBlocks = 16;
const BigUnsignedInABase::Index kShortDigits = 300;

// The number of significant bits of the base, minus one: the largest m with 2^m <= base.
unsigned floorLog2(unsigned base) { return 31 - __builtin_clz(base); }

}  // namespace

BigUnsignedInABase::BigUnsignedInABase(const Digit* d, Index n, Base base)
    : NumberlikeArray<Digit>(d, n), base(base) {
  if (base < 2) throw "BigUnsignedInABase::BigUnsignedInABase(const Digit *, Index, Base): The base must be at least 2";
  for (Index i = 0; i < length; ++i) {
    if (blocks[i] >= base)
      throw "BigUnsignedInABase::BigUnsignedInABase(const Digit *, Index, Base): A digit is too large for the specified base";
  }
  trimLeadingZeros();
}

BigUnsignedInABase::BigUnsignedInABase(const BigUnsigned& x, Base base) : base(base) {
  if (base < 2) throw "BigUnsignedInABase(BigUnsigned, Base): The base must be at least 2";
  // Room for every digit, reserved once: ceil(bits / floor(log2 base)).
  std::uint64_t bits = std::uint64_t(32) * x.length;
  unsigned m = floorLog2(base);
  Index bound = Index((bits + m - 1) / m);
  if (bound > 0) allocate(bound);
  if (x.isZero()) return;
  if (x.length > kShortBlocks) {
    std::vector<Digit> digits = radix::digitsOf(x.blocks, x.length, base);
    Index n = Index(digits.size());
    for (Index i = 0; i < n; ++i) blocks[i] = digits[n - 1 - i];
    length = n;
    return;
  }

  // Repeated division by the largest power of the base in one block; each remainder gives
  // that many digits, the top one only its significant digits.
  Chunk chunk = chunkFor(base);
  std::unique_ptr<BigUnsigned::Blk[]> work(new BigUnsigned::Blk[x.length]);
  for (Index i = 0; i < x.length; ++i) work[i] = x.blocks[i];
  Index wn = x.length;
  Index k = 0;
  while (wn > 0) {
    BigUnsigned::Blk rem = bk::divBlock(work.get(), work.get(), wn, chunk.power);
    while (wn > 0 && work[wn - 1] == 0) --wn;
    if (wn > 0) {
      for (unsigned d = 0; d < chunk.digits; ++d) {
        blocks[k++] = Digit(rem % base);
        rem /= base;
      }
    } else {
      while (rem != 0) {
        blocks[k++] = Digit(rem % base);
        rem /= base;
      }
    }
  }
  length = k;
}

BigUnsignedInABase::operator BigUnsigned() const {
  BigUnsigned result;
  if (length == 0 || base < 2) return result;
  if (length > kShortDigits) {
    std::vector<Digit> digits(length);
    for (Index i = 0; i < length; ++i) digits[i] = blocks[length - 1 - i];
    std::vector<BigUnsigned::Blk> value = radix::valueOf(digits.data(), length, base);
    return BigUnsigned(value.data(), BigUnsigned::Index(value.size()));
  }
  // Horner's scheme, one block-sized power of the base per step.
  Chunk chunk = chunkFor(base);
  Index cap = Index((std::uint64_t(length) * (floorLog2(base) + 1)) / 32 + 2);
  result.allocate(cap);
  Index rn = 0;
  Index i = length;
  while (i > 0) {
    unsigned take = i >= chunk.digits ? chunk.digits : unsigned(i);
    BigUnsigned::Blk power = 1, value = 0;
    for (unsigned t = 0; t < take; ++t) {
      --i;
      power *= base;
      value = value * base + blocks[i];
    }
    BigUnsigned::Blk carry = bk::mulBlock(result.blocks, result.blocks, rn, power);
    if (carry) result.blocks[rn++] = carry;
    carry = bk::addCarry(result.blocks, result.blocks, rn, value);
    if (carry) result.blocks[rn++] = carry;
  }
  result.length = rn;
  result.trimLeadingZeros();
  return result;
}

BigUnsignedInABase::BigUnsignedInABase(const std::string& s, Base base) : base(base) {
  if (base > 36)
    throw "BigUnsignedInABase(std::string, Base): The default string conversion routines use the symbol set 0-9, A-Z and therefore support only up to base 36.  You tried a conversion with a base over 36; write your own string conversion routine.";
  Index n = Index(s.size());
  allocate(n);
  length = n;
  for (Index k = 0; k < n; ++k) {
    unsigned char c = static_cast<unsigned char>(s[n - 1 - k]);
    Digit d;
    if (c >= '0' && c <= '9') {
      d = Digit(c - '0');
    } else if (c >= 'A' && c <= 'Z') {
      d = Digit(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'z') {
      d = Digit(c - 'a' + 10);
    } else {
      throw "BigUnsignedInABase(std::string, Base): Bad symbol in input.  Only 0-9, A-Z, a-z are accepted.";
    }
    if (d >= base)
      throw "BigUnsignedInABase::BigUnsignedInABase(const Digit *, Index, Base): A digit is too large for the specified base";
    blocks[k] = d;
  }
  trimLeadingZeros();
}

BigUnsignedInABase::operator std::string() const {
  if (base > 36)
    throw "BigUnsignedInABase ==> std::string: The default string conversion routines use the symbol set 0-9, A-Z and therefore support only up to base 36.  You tried a conversion with a base over 36; write your own string conversion routine.";
  if (length == 0) return std::string("0");
  std::string s(length, '0');
  for (Index i = 0; i < length; ++i) {
    Digit d = blocks[length - 1 - i];
    s[i] = d < 10 ? char('0' + d) : char('A' + d - 10);
  }
  return s;
}
