// The helpers for allocation-free loops: subtractProduct, negateInPlace and swap.
#include <gtest/gtest.h>

#include "GmpReference.h"

using testing_support::OperandSource;
using testing_support::toMpz;
using testing_support::wellFormed;

namespace {

TEST(SubtractProduct, SmallValuesEverySignCombination) {
  const long values[] = {0, 1, -1, 2, -2, 7, -7, 0xFFFFFFFFL, -0xFFFFFFFFL, 0x7FFFFFFFFFFFFFFFL,
                         -0x7FFFFFFFFFFFFFFFL, 1L << 32, -(1L << 32)};
  for (long t : values)
    for (long a : values)
      for (long b : values) {
        mpz_class expected = mpz_class(t) - mpz_class(a) * mpz_class(b);
        // Exact capacity (the general path) and room to spare (the inline one-block path).
        for (BigUnsigned::Index room : {0u, 3u}) {
          BigInteger x(t);
          x.magnitude.allocateAndCopy(room);
          x.subtractProduct(BigInteger(a), BigInteger(b));
          ASSERT_EQ(toMpz(x), expected) << t << " - " << a << " * " << b << " room " << room;
          ASSERT_TRUE(wellFormed(x));
        }
      }
}

TEST(SubtractProduct, RandomOperandsAgreeWithGmp) {
  OperandSource source(555);
  for (int trial = 0; trial < 3000; ++trial) {
    BigInteger x = source.integer(1 + source.below(6)), a = source.integer(1 + source.below(trial % 3 ? 1 : 5)),
               b = source.integer(1 + source.below(trial % 2 ? 1 : 4));
    mpz_class expected = toMpz(x) - toMpz(a) * toMpz(b);
    x.subtractProduct(a, b);
    ASSERT_EQ(toMpz(x), expected);
    ASSERT_TRUE(wellFormed(x));
  }
}

// Long factors: a product on the stack up to its limit, on the heap beyond it.
TEST(SubtractProduct, LongFactorsAgreeWithGmp) {
  OperandSource source(1234);
  for (BigUnsigned::Index nx : {1u, 3u, 47u, 48u, 49u, 120u}) {
    for (BigUnsigned::Index na : {2u, 20u, 48u, 49u, 70u}) {
      for (BigUnsigned::Index nb : {2u, 30u, 50u, 200u}) {
        BigInteger x = source.integer(nx), a = source.integer(na), b = source.integer(nb);
        mpz_class expected = toMpz(x) - toMpz(a) * toMpz(b);
        x.subtractProduct(a, b);
        ASSERT_EQ(toMpz(x), expected) << nx << " " << na << " " << nb;
        ASSERT_TRUE(wellFormed(x));
      }
    }
  }
}

TEST(SubtractProduct, CorrectUnderEveryAliasing) {
  OperandSource source(99);
  for (auto n : {1u, 2u, 3u, 9u}) {
    for (int trial = 0; trial < 20; ++trial) {
      BigInteger x = source.integer(n), a = source.integer(1 + source.below(3));
      mpz_class gx = toMpz(x), ga = toMpz(a);
      BigInteger y = x;
      y.magnitude.allocateAndCopy(3 + trial % 2);
      y.subtractProduct(y, a);  // y - y a
      ASSERT_EQ(toMpz(y), gx - gx * ga);
      y = x;
      y.subtractProduct(a, y);  // y - a y
      ASSERT_EQ(toMpz(y), gx - ga * gx);
      y = x;
      y.subtractProduct(y, y);  // y - y^2
      ASSERT_EQ(toMpz(y), gx - gx * gx);
      BigInteger c = a;
      y = x;
      y.subtractProduct(c, c);
      ASSERT_EQ(toMpz(y), gx - ga * ga);
    }
  }
}

TEST(SubtractProduct, NoAllocationWhenCapacitySuffices) {
  BigInteger x(5);
  x.magnitude.allocateAndCopy(8);
  const BigUnsigned::Blk* array = x.magnitude.blocks;
  BigInteger a(-3), b(0x7FFFFFFF), big = BigInteger(1L << 62);
  x.subtractProduct(a, b);
  x.subtractProduct(big, a);
  x.subtractProduct(a, big);
  x.subtractProduct(x, a);
  EXPECT_EQ(x.magnitude.blocks, array);
  mpz_class e = 5;
  e -= mpz_class(-3) * 0x7FFFFFFF;
  e -= mpz_class(1L << 62) * -3;
  e -= mpz_class(-3) * mpz_class(1L << 62);
  e -= e * -3;
  EXPECT_EQ(toMpz(x), e);
}

TEST(SubtractProduct, ZeroResultHasSignZero) {
  BigInteger x(6);
  x.subtractProduct(BigInteger(2), BigInteger(3));
  EXPECT_EQ(x.sign, BigInteger::zero);
  EXPECT_EQ(x.magnitude.length, 0u);
  BigInteger big = BigInteger(1L << 40) * BigInteger(3);
  big.subtractProduct(BigInteger(1L << 40), BigInteger(3));
  EXPECT_EQ(big.sign, BigInteger::zero);
}

TEST(Helpers, NegateInPlaceAndSwap) {
  BigInteger a(-5), b = BigInteger(1L << 50);
  a.negateInPlace();
  EXPECT_EQ(a, BigInteger(5));
  BigInteger z;
  z.negateInPlace();
  EXPECT_EQ(z.sign, BigInteger::zero);
  const BigUnsigned::Blk* arrayB = b.magnitude.blocks;
  a.swap(b);
  EXPECT_EQ(a, BigInteger(1L << 50));
  EXPECT_EQ(b, BigInteger(5));
  EXPECT_EQ(a.magnitude.blocks, arrayB);
  swap(a, b);
  EXPECT_EQ(a, BigInteger(5));
}

TEST(Helpers, OneBlockDivisionFastPathMatchesFloorRules) {
  for (long a = -20; a <= 20; ++a)
    for (long d : {-7L, -3L, -1L, 1L, 2L, 5L}) {
      mpz_class q, r, ga(a), gd(d);
      mpz_fdiv_qr(q.get_mpz_t(), r.get_mpz_t(), ga.get_mpz_t(), gd.get_mpz_t());
      EXPECT_EQ(toMpz(BigInteger(a) / BigInteger(d)), q);
      EXPECT_EQ(toMpz(BigInteger(a) % BigInteger(d)), r);
    }
}

}  // namespace
