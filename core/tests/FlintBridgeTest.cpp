// Tests of the BigInteger <-> fmpz conversion: edge values around the block and limb sizes,
// and random values of up to 10^4 digits compared through their decimal text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "FlintBridge.h"

using namespace core;

using flint_bridge::FlintInteger;
using flint_bridge::fromFmpz;
using flint_bridge::toFmpz;

namespace {

std::string fmpzText(const fmpz_t x) {
  char* text = fmpz_get_str(nullptr, 10, x);
  std::string s(text);
  flint_free(text);
  return s;
}

// Converts the decimal value both ways and compares each side with the other's text.
void expectRoundTrip(const std::string& decimal) {
  const BigInteger value = stringToBigInteger(decimal);
  FlintInteger f;
  toFmpz(f.get(), value);
  EXPECT_EQ(fmpzText(f.get()), decimal);
  FlintInteger parsed;
  ASSERT_EQ(fmpz_set_str(parsed.get(), decimal.c_str(), 10), 0);
  const BigInteger back = fromFmpz(parsed.get());
  EXPECT_EQ(bigIntegerToString(back), decimal);
  EXPECT_TRUE(back == value);
}

class EdgeValues : public testing::TestWithParam<const char*> {};

TEST_P(EdgeValues, RoundTrip) { expectRoundTrip(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Conversion, EdgeValues,
    testing::Values("0", "1", "-1", "4294967295", "-4294967295", "4294967296", "-4294967296",
                    "18446744073709551615", "-18446744073709551615", "18446744073709551616",
                    "-18446744073709551616", "18446744073709551617", "4611686018427387903",
                    "-4611686018427387904",  // FLINT's small range ends
                    "4611686018427387904", "-4611686018427387905",
                    "340282366920938463463374607431768211456",     // 2^128
                    "-340282366920938463463374607431768211455"));  // -(2^128 - 1)

std::string randomDecimal(std::mt19937_64& generator, int digits) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::string s(1, static_cast<char>('1' + digit(generator) % 9));
  while (static_cast<int>(s.size()) < digits) s += static_cast<char>('0' + digit(generator));
  if (generator() % 2) s.insert(s.begin(), '-');
  return s;
}

TEST(Conversion, RandomValuesUpToTenThousandDigits) {
  std::mt19937_64 generator(20261208);
  for (int digits : {1, 9, 10, 19, 20, 21, 39, 40, 100, 1000, 5000, 9999, 10000}) {
    SCOPED_TRACE(digits);
    for (int k = 0; k < 4; ++k) expectRoundTrip(randomDecimal(generator, digits));
  }
}

// Arithmetic after the conversion: the product formed by FLINT converts back to the product
// formed by the integer layer, which catches a block order swapped within a limb.
TEST(Conversion, ProductsAgree) {
  std::mt19937_64 generator(7);
  for (int k = 0; k < 20; ++k) {
    const BigInteger a = stringToBigInteger(randomDecimal(generator, 30 + 17 * k));
    const BigInteger b = stringToBigInteger(randomDecimal(generator, 25 + 11 * k));
    FlintInteger fa, fb, fp;
    toFmpz(fa.get(), a);
    toFmpz(fb.get(), b);
    fmpz_mul(fp.get(), fa.get(), fb.get());
    EXPECT_TRUE(fromFmpz(fp.get()) == a * b);
  }
}

}  // namespace
