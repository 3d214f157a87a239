// Decimal strings of BigUnsigned and BigInteger values, parsing, and stream output.
#include "BigIntegerUtils.h"

#include <cstdint>
#include <vector>

#include "RadixConversion.h"

namespace {

// The decimal digits of x after an optional minus sign: the same text as through
// BigUnsignedInABase(x, 10), made directly.
std::string decimalText(const BigUnsigned& x, bool minus) {
  if (x.length <= 2) {
    std::uint64_t v = x.length == 0 ? 0 : x.length == 1 ? x.blocks[0] : (std::uint64_t(x.blocks[1]) << 32) | x.blocks[0];
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    do {
      *--p = char('0' + v % 10);
      v /= 10;
    } while (v != 0);
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
