// Text form: digits in bases 2 to 36, decimal strings, parsing and stream output.
#include <gtest/gtest.h>

#include <climits>
#include <iomanip>
#include <sstream>
#include <string>

#include "BigIntegerUtils.h"
#include "ThrownMessage.h"

namespace {

const char* const kDigitTooLarge =
    "BigUnsignedInABase::BigUnsignedInABase(const Digit *, Index, Base): A digit is too large for the specified base";
const char* const kBadSymbol = "BigUnsignedInABase(std::string, Base): Bad symbol in input.  Only 0-9, A-Z, a-z are accepted.";

TEST(DecimalText, KnownValues) {
  EXPECT_EQ(bigIntegerToString(BigInteger()), "0");
  EXPECT_EQ(bigIntegerToString(BigInteger(INT_MIN)), "-2147483648");
  EXPECT_EQ(bigIntegerToString(BigInteger(BigUnsigned(1) << 32)), "4294967296");
  EXPECT_EQ(bigIntegerToString(BigInteger(15)), "15");
  EXPECT_EQ(bigUnsignedToString(BigUnsigned(1000000000u)), "1000000000");
  EXPECT_EQ(bigIntegerToString(BigInteger(LONG_MIN)), "-9223372036854775808");
}

TEST(DecimalText, DigitRoomIsReservedOnce) {
  BigUnsignedInABase d(BigUnsigned(4294967295u), 10);
  EXPECT_EQ(d.capacity, 11u);
  EXPECT_EQ(d.length, 10u);
  BigUnsignedInABase zero(BigUnsigned(), 10);
  EXPECT_EQ(zero.length, 0u);
  EXPECT_EQ(std::string(zero), "0");
}

struct ParseCase {
  const char* text;
  const char* value;  // decimal result, or nullptr when an error is expected
  const char* error;
};

class Parsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parsing, StringToBigInteger) {
  const ParseCase& c = GetParam();
  if (c.value != nullptr) {
    BigInteger x = stringToBigInteger(c.text);
    EXPECT_EQ(bigIntegerToString(x), c.value);
    if (std::string(c.value) == "0") {
      EXPECT_EQ(x.sign, BigInteger::zero);
    }
  } else {
    EXPECT_EQ(thrownBy([&] { stringToBigInteger(c.text); }), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Parsing,
    ::testing::Values(ParseCase{"0012", "12", nullptr}, ParseCase{"", "0", nullptr}, ParseCase{"-0", "0", nullptr},
                      ParseCase{"-", "0", nullptr}, ParseCase{"+15", "15", nullptr},
                      ParseCase{"-98765432109876543210", "-98765432109876543210", nullptr},
                      ParseCase{"12a", nullptr, kDigitTooLarge}, ParseCase{"1 2", nullptr, kBadSymbol},
                      ParseCase{" 12", nullptr, kBadSymbol}, ParseCase{"--5", nullptr, kBadSymbol},
                      ParseCase{"+-5", nullptr, kBadSymbol}, ParseCase{"\xC3\xA9", nullptr, kBadSymbol},
                      // The last offending character decides: here the blank comes last.
                      ParseCase{"a 1", nullptr, kBadSymbol}, ParseCase{" a1", nullptr, kDigitTooLarge}));

TEST(Parsing, UnsignedOnly) {
  EXPECT_EQ(stringToBigUnsigned("0012"), BigUnsigned(12));
  EXPECT_EQ(stringToBigUnsigned(""), BigUnsigned());
  EXPECT_EQ(thrownBy([] { stringToBigUnsigned("-1"); }), kBadSymbol);
}

TEST(Bases, Base36UsesCapitalLettersAndReadsBothCases) {
  EXPECT_EQ(std::string(BigUnsignedInABase(BigUnsigned(35), 36)), "Z");
  EXPECT_EQ(BigUnsigned(BigUnsignedInABase("Z", 36)), BigUnsigned(35));
  EXPECT_EQ(BigUnsigned(BigUnsignedInABase("z", 36)), BigUnsigned(35));
  EXPECT_EQ(BigUnsigned(BigUnsignedInABase("zz", 36)), BigUnsigned(36 * 35 + 35));
  EXPECT_EQ(std::string(BigUnsignedInABase(BigUnsigned(255), 2)), "11111111");
}

TEST(Bases, DigitRunsAreCheckedAndTrimmed) {
  BigUnsignedInABase::Digit d[] = {1, 2, 0, 0};
  BigUnsignedInABase x(d, 4, 10);
  EXPECT_EQ(x.length, 2u);
  EXPECT_EQ(std::string(x), "21");
  EXPECT_EQ(BigUnsigned(x), BigUnsigned(21));
  BigUnsignedInABase::Digit bad[] = {1, 10};
  EXPECT_EQ(thrownBy([&] { BigUnsignedInABase y(bad, 2, 10); }), kDigitTooLarge);
  EXPECT_EQ(thrownBy([&] { BigUnsignedInABase y(d, 4, 1); }),
            "BigUnsignedInABase::BigUnsignedInABase(const Digit *, Index, Base): The base must be at least 2");
}

TEST(Bases, BaseLimits) {
  EXPECT_EQ(thrownBy([] { BigUnsignedInABase y(BigUnsigned(5), 1); }),
            "BigUnsignedInABase(BigUnsigned, Base): The base must be at least 2");
  EXPECT_EQ(thrownBy([] { BigUnsignedInABase y("1", 37); }),
            "BigUnsignedInABase(std::string, Base): The default string conversion routines use the symbol set 0-9, "
            "A-Z and therefore support only up to base 36.  You tried a conversion with a base over 36; write your "
            "own string conversion routine.");
  BigUnsignedInABase wide(BigUnsigned(1000), 40);
  EXPECT_EQ(wide.length, 2u);
  EXPECT_EQ(thrownBy([&] { (void)std::string(wide); }),
            "BigUnsignedInABase ==> std::string: The default string conversion routines use the symbol set 0-9, "
            "A-Z and therefore support only up to base 36.  You tried a conversion with a base over 36; write your "
            "own string conversion routine.");
  // Base 1 from a string: only the digit 0 is below the base.
  EXPECT_TRUE(BigUnsignedInABase("000", 1).isZero());
  EXPECT_EQ(thrownBy([] { BigUnsignedInABase y("1", 1); }), kDigitTooLarge);
}

struct StreamCase {
  long value;
  std::ios_base::fmtflags flags;
  const char* text;
};

class StreamOutput : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamOutput, BaseFromTheStreamFlags) {
  const StreamCase& c = GetParam();
  std::ostringstream os;
  os.flags(c.flags);
  os << BigInteger(c.value);
  EXPECT_EQ(os.str(), c.text);
}

using F = std::ios_base;
INSTANTIATE_TEST_SUITE_P(
    Cases, StreamOutput,
    ::testing::Values(StreamCase{255, F::hex | F::showbase, "0xFF"}, StreamCase{8, F::oct | F::showbase, "010"},
                      StreamCase{0, F::hex | F::showbase, "0x0"}, StreamCase{-255, F::hex | F::showbase, "-0xFF"},
                      StreamCase{255, F::hex | F::dec, "255"}, StreamCase{255, F::hex | F::uppercase, "FF"},
                      StreamCase{8, F::oct, "10"}, StreamCase{-42, F::dec | F::showbase, "-42"}));

TEST(StreamOutput, NoBaseFlagIsAnError) {
  std::ostringstream os;
  os.flags(std::ios_base::fmtflags(0));
  EXPECT_EQ(thrownBy([&] { os << BigUnsigned(5); }),
            "std::ostream << BigUnsigned: Could not determine the desired base from output-stream flags");
  EXPECT_EQ(os.str(), "");
}

TEST(StreamOutput, UsesOrdinaryStringInsertion) {
  std::ostringstream os;
  os << std::setw(6) << BigUnsigned(42);
  EXPECT_EQ(os.str(), "    42");
}

}  // namespace
