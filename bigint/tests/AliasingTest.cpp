// Operations whose destination is one of their operands.
#include <gtest/gtest.h>

#include "GmpReference.h"

using testing_support::OperandSource;
using testing_support::toMpz;

namespace {

class Aliasing : public ::testing::TestWithParam<BigUnsigned::Index> {
 protected:
  OperandSource source{77 + GetParam()};
};

TEST_P(Aliasing, SquareIntoItself) {
  BigInteger x = source.integer(GetParam());
  mpz_class g = toMpz(x);
  x.multiply(x, x);
  EXPECT_EQ(toMpz(x), g * g);
}

TEST_P(Aliasing, SubtractAndAddItself) {
  BigInteger x = source.integer(GetParam());
  BigInteger y = x;
  x.subtract(x, x);
  EXPECT_EQ(x.sign, BigInteger::zero);
  EXPECT_EQ(x.magnitude.length, 0u);
  mpz_class g = toMpz(y);
  y.add(y, y);
  EXPECT_EQ(toMpz(y), g + g);
}

TEST_P(Aliasing, OperandAsDestination) {
  BigInteger a = source.integer(GetParam()), b = source.integer(GetParam() / 2 + 1);
  mpz_class ga = toMpz(a), gb = toMpz(b);
  BigInteger x = a;
  x.add(x, b);
  EXPECT_EQ(toMpz(x), ga + gb);
  x = a;
  x.subtract(b, x);
  EXPECT_EQ(toMpz(x), gb - ga);
  x = b;
  x.multiply(a, x);
  EXPECT_EQ(toMpz(x), ga * gb);
  x = a;
  x.negate(x);
  EXPECT_EQ(toMpz(x), mpz_class(-ga));
}

TEST_P(Aliasing, DivideByItself) {
  BigInteger x = source.integer(GetParam());
  BigInteger q(5);
  x.divideWithRemainder(x, q);
  EXPECT_EQ(x.sign, BigInteger::zero);
  EXPECT_EQ(q, BigInteger(1));
}

TEST_P(Aliasing, DivisorIsTheQuotientObject) {
  BigInteger a = source.integer(2 * GetParam() + 1), b = source.integer(GetParam());
  mpz_class ga = toMpz(a), gb = toMpz(b), gq, gr;
  mpz_fdiv_qr(gq.get_mpz_t(), gr.get_mpz_t(), ga.get_mpz_t(), gb.get_mpz_t());
  BigInteger q = b;
  a.divideWithRemainder(q, q);
  EXPECT_EQ(toMpz(q), gq);
  EXPECT_EQ(toMpz(a), gr);
}

TEST_P(Aliasing, UnsignedOperations) {
  BigUnsigned a = source.magnitude(GetParam()), b = source.magnitude(GetParam());
  mpz_class ga = toMpz(a), gb = toMpz(b);
  BigUnsigned x = a;
  x.multiply(x, x);
  EXPECT_EQ(toMpz(x), ga * ga);
  x = a;
  x.bitShiftLeft(x, 37);
  EXPECT_EQ(toMpz(x), mpz_class(ga << 37));
  x.bitShiftRight(x, 37);
  EXPECT_EQ(x, a);
  x.bitXor(x, b);
  EXPECT_EQ(toMpz(x), mpz_class(ga ^ gb));
  BigUnsigned q;
  x = a;
  x.divideWithRemainder(x, q);
  EXPECT_TRUE(x.isZero());
  EXPECT_EQ(q, BigUnsigned(1));
}

INSTANTIATE_TEST_SUITE_P(Sizes, Aliasing, ::testing::Values(1u, 2u, 5u, 45u, 120u));

TEST(AliasingErrors, QuotientEqualToDividendIsRefusedAndChangesNothing) {
  BigInteger x(17);
  try {
    x.divideWithRemainder(BigInteger(5), x);
    FAIL() << "no error";
  } catch (const char* m) {
    EXPECT_STREQ(m, "BigInteger::divideWithRemainder: Cannot write quotient and remainder into the same variable");
  }
  EXPECT_EQ(x, BigInteger(17));
  BigUnsigned u(17);
  try {
    u.divideWithRemainder(BigUnsigned(5), u);
    FAIL() << "no error";
  } catch (const char* m) {
    EXPECT_STREQ(m, "BigUnsigned::divideWithRemainder: Cannot write quotient and remainder into the same variable");
  }
  EXPECT_EQ(u, BigUnsigned(17));
}

}  // namespace
