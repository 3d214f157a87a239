// BigUnsignedInABase: digits from and to BigUnsigned values and strings, bases 2 to 36.
#include "BigUnsignedInABase.h"

#include <vector>

#include "RadixConversion.h"

namespace {

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
  std::vector<Digit> digits = radix::digitsOf(x.blocks, x.length, base);
  Index n = Index(digits.size());
  for (Index i = 0; i < n; ++i) blocks[i] = digits[n - 1 - i];
  length = n;
}

BigUnsignedInABase::operator BigUnsigned() const {
  BigUnsigned result;
  if (length == 0 || base < 2) return result;
  std::vector<Digit> digits(length);
  for (Index i = 0; i < length; ++i) digits[i] = blocks[length - 1 - i];
  std::vector<BigUnsigned::Blk> value = radix::valueOf(digits.data(), length, base);
  return BigUnsigned(value.data(), BigUnsigned::Index(value.size()));
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
