// Decimal strings of BigUnsigned and BigInteger values, parsing, and stream output.
#include "BigIntegerUtils.h"

#include <cstdint>
#include <vector>

#include "LimbArithmetic.h"
#include "RadixConversion.h"

namespace {

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the digits of v in front of end (exactly `width` of them with leading zeros when
// width is given, else as many as v needs); returns the new start.
char* writeDecimal(std::uint64_t v, char* end, int width) {
  char* p = end;
  while (v >= 100 || (width > 0 && end - p < width - 1)) {
    unsigned pair = unsigned(v % 100);
    v /= 100;
    p -= 2;
    p[0] = kDigitPairs[2 * pair];
    p[1] = kDigitPairs[2 * pair + 1];
  }
  if (width > 0) {
    while (end - p < width) {
      *--p = char('0' + v % 10);
      v /= 10;
    }
    return p;
  }
  if (v >= 10) {
    p -= 2;
    p[0] = kDigitPairs[2 * v];
    p[1] = kDigitPairs[2 * v + 1];
  } else {
    *--p = char('0' + v);
  }
  return p;
}

// Up to this many blocks the digits are made on the stack, 19 at a time.
const BigUnsigned::Index kShortDecimalBlocks = 32;

// The decimal digits of x after an optional minus sign: the same text as through
// BigUnsignedInABase(x, 10), made directly.
std::string decimalText(const BigUnsigned& x, bool minus) {
  if (x.length <= kShortDecimalBlocks) {
    limbs::Limb w[kShortDecimalBlocks / 2];
    limbs::Size n = (x.length + 1) / 2;
    for (limbs::Size i = 0; i < n; ++i) w[i] = x.getBlock(BigUnsigned::Index(2 * i)) | (limbs::Limb(x.getBlock(BigUnsigned::Index(2 * i + 1))) << 32);
    char buffer[20 * (kShortDecimalBlocks / 2) + 24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    const limbs::Limb chunk = 10000000000000000000ull;  // 10^19
    while (n > 1) {
      limbs::Limb r = limbs::divRem1(w, w, n, chunk);
      while (n > 0 && w[n - 1] == 0) --n;
      p = writeDecimal(r, p, 19);
    }
    if (n == 1 || p == end) p = writeDecimal(n == 1 ? w[0] : 0, p, 0);
    if (minus) *--p = '-';
    return std::string(p, end);
  }
  std::vector<radix::Digit> digits = radix::digitsOf(x.blocks, x.length, 10);
  std::string s(digits.size() + (minus ? 1 : 0), '-');
  char* out = s.data() + (minus ? 1 : 0);
  for (std::size_t i = 0; i < digits.size(); ++i) out[i] = char('0' + digits[i]);
  return s;
}

}  // namespace

std::string bigUnsignedToString(const BigUnsigned& x) { return decimalText(x, false); }

std::string bigIntegerToString(const BigInteger& x) {
  return decimalText(x.magnitude, x.sign == BigInteger::negative);
}

BigUnsigned stringToBigUnsigned(const std::string& s) {
  return BigUnsigned(BigUnsignedInABase(s, 10));
}

BigInteger stringToBigInteger(const std::string& s) {
  if (!s.empty() && s[0] == '-') return BigInteger(stringToBigUnsigned(s.substr(1)), BigInteger::negative);
  if (!s.empty() && s[0] == '+') return BigInteger(stringToBigUnsigned(s.substr(1)), BigInteger::positive);
  return BigInteger(stringToBigUnsigned(s), BigInteger::positive);
}

std::ostream& operator<<(std::ostream& os, const BigUnsigned& x) {
  BigUnsignedInABase::Base base;
  std::ios_base::fmtflags flags = os.flags();
  if (flags & std::ios_base::dec) {
    base = 10;
  } else if (flags & std::ios_base::hex) {
    base = 16;
    if (flags & std::ios_base::showbase) os << "0x";
  } else if (flags & std::ios_base::oct) {
    base = 8;
    if (flags & std::ios_base::showbase) os << "0";
  } else {
    throw "std::ostream << BigUnsigned: Could not determine the desired base from output-stream flags";
  }
  os << std::string(BigUnsignedInABase(x, base));
  return os;
}

std::ostream& operator<<(std::ostream& os, const BigInteger& x) {
  if (x.sign == BigInteger::negative) os << "-";
  os << x.magnitude;
  return os;
}
