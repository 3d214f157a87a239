// Decimal strings of BigUnsigned and BigInteger values, parsing, and stream output.
#include "BigIntegerUtils.h"

#include "RadixConversion.h"

std::string bigUnsignedToString(const BigUnsigned& x) {
  return radix::decimalText(x.blocks, x.length, false);
}

std::string bigIntegerToString(const BigInteger& x) {
  return radix::decimalText(x.magnitude.blocks, x.magnitude.length, x.sign == BigInteger::negative);
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
