// Signed arithmetic, floor division, comparison, increment and decrement on chosen values.
#include <gtest/gtest.h>

#include <climits>
#include <compare>
#include <iterator>

#include "BigIntegerUtils.h"

namespace {

struct DivisionCase {
  long a, b, q, r;
};

class FloorDivision : public ::testing::TestWithParam<DivisionCase> {};

TEST_P(FloorDivision, QuotientRoundsDownAndRemainderTakesTheDivisorsSign) {
  const DivisionCase& c = GetParam();
  BigInteger a(c.a), b(c.b);
  EXPECT_EQ(a / b, BigInteger(c.q));
  EXPECT_EQ(a % b, BigInteger(c.r));
  BigInteger r = a, q;
  r.divideWithRemainder(b, q);
  EXPECT_EQ(q, BigInteger(c.q));
  EXPECT_EQ(r, BigInteger(c.r));
  if (c.r == 0) {
    EXPECT_EQ(r.sign, BigInteger::zero);
  }
  if (c.q == 0) {
    EXPECT_EQ(q.sign, BigInteger::zero);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FloorDivision,
    ::testing::Values(DivisionCase{-7, 2, -4, 1}, DivisionCase{7, -2, -4, -1}, DivisionCase{-7, -2, 3, -1},
                      DivisionCase{-6, 3, -2, 0}, DivisionCase{-1, 3, -1, 2}, DivisionCase{7, 2, 3, 1},
                      DivisionCase{1, 3, 0, 1}, DivisionCase{-1, -3, 0, -1}, DivisionCase{6, -3, -2, 0},
                      DivisionCase{LONG_MIN, 1, LONG_MIN, 0}, DivisionCase{LONG_MIN, -1L << 32, 1L << 31, 0},
                      DivisionCase{-(1L << 40) - 1, 1L << 33, -129, (1L << 33) - 1},
                      DivisionCase{(1L << 40) + 5, -(1L << 33), -129, -(1L << 33) + 5},
                      DivisionCase{0, 5, 0, 0}, DivisionCase{0, -5, 0, 0}));

TEST(Arithmetic, OppositesCancelToSignZero) {
  BigInteger x = stringToBigInteger("-123456789123456789123456789");
  BigInteger d = x - x;
  EXPECT_EQ(d.sign, BigInteger::zero);
  EXPECT_EQ(d.magnitude.length, 0u);
  BigInteger s = x + (-x);
  EXPECT_EQ(s.sign, BigInteger::zero);
  EXPECT_EQ(s.magnitude.length, 0u);
}

TEST(Arithmetic, OneBlockProductHasNoLeadingZero) {
  BigUnsigned p = BigUnsigned(0xFFFFFFFFu) * BigUnsigned(0xFFFFFFFFu);
  EXPECT_EQ(p.length, 2u);
  BigUnsigned small = BigUnsigned(3u) * BigUnsigned(5u);
  EXPECT_EQ(small.length, 1u);
  EXPECT_EQ(small.blocks[0], 15u);
}

TEST(Arithmetic, IncrementAndDecrementCarryAcrossBlocks) {
  BigUnsigned x(0xFFFFFFFFu);
  x++;
  ASSERT_EQ(x.length, 2u);
  EXPECT_EQ(x.blocks[0], 0u);
  EXPECT_EQ(x.blocks[1], 1u);
  --x;
  ASSERT_EQ(x.length, 1u);
  EXPECT_EQ(x.blocks[0], 0xFFFFFFFFu);
  BigUnsigned z;
  ++z;
  EXPECT_EQ(z, BigUnsigned(1));
}

TEST(Arithmetic, SignedIncrementAndDecrementCrossZero) {
  BigInteger x(-1);
  ++x;
  EXPECT_EQ(x.sign, BigInteger::zero);
  x++;
  EXPECT_EQ(x, BigInteger(1));
  --x;
  EXPECT_EQ(x.sign, BigInteger::zero);
  x--;
  EXPECT_EQ(x, BigInteger(-1));
  x--;
  EXPECT_EQ(x, BigInteger(-2));
}

TEST(Comparison, OrderAcrossSignsAndLengths) {
  BigInteger big = BigInteger(1L << 40), neg = BigInteger(-(1L << 40));
  EXPECT_TRUE(neg < BigInteger(-1));
  EXPECT_TRUE(BigInteger(-1) < BigInteger(0));
  EXPECT_TRUE(BigInteger(0) < BigInteger(1));
  EXPECT_TRUE(BigInteger(1) < big);
  EXPECT_TRUE(big > BigInteger(0xFFFFFFFFu));
  EXPECT_TRUE(big <= big);
  EXPECT_TRUE(big >= big);
  EXPECT_EQ(neg.compareTo(BigInteger(-5)), BigInteger::less);
  EXPECT_EQ(big.compareTo(big), BigInteger::equal);
  EXPECT_TRUE(BigInteger(3) != BigInteger(-3));
  EXPECT_EQ(BigUnsigned(7u).compareTo(BigUnsigned(1ul << 32)), BigUnsigned::less);
}

// Every comparison operator on every pair of an ascending list agrees with the list order.
TEST(Comparison, AllSixOperatorsFollowTheOrder) {
  const BigInteger huge(BigUnsigned(1) << 64);
  const BigInteger ascending[] = {-huge, BigInteger(-(1L << 40)), BigInteger(-(1L << 32)),
                                  BigInteger(-0xFFFFFFFFL), BigInteger(-2), BigInteger(-1),
                                  BigInteger(0), BigInteger(1), BigInteger(2),
                                  BigInteger(0xFFFFFFFFu), BigInteger(1L << 32),
                                  BigInteger(1L << 40), huge};
  const std::size_t n = std::size(ascending);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      const BigInteger &a = ascending[i], &b = ascending[j];
      EXPECT_EQ(a == b, i == j) << i << " " << j;
      EXPECT_EQ(a != b, i != j) << i << " " << j;
      EXPECT_EQ(a < b, i < j) << i << " " << j;
      EXPECT_EQ(a <= b, i <= j) << i << " " << j;
      EXPECT_EQ(a > b, i > j) << i << " " << j;
      EXPECT_EQ(a >= b, i >= j) << i << " " << j;
      EXPECT_EQ(a <=> b, i <=> j) << i << " " << j;
      if (a.sign >= 0 && b.sign >= 0) {
        const BigUnsigned &x = a.magnitude, &y = b.magnitude;
        EXPECT_EQ(x == y, i == j) << i << " " << j;
        EXPECT_EQ(x != y, i != j) << i << " " << j;
        EXPECT_EQ(x < y, i < j) << i << " " << j;
        EXPECT_EQ(x <= y, i <= j) << i << " " << j;
        EXPECT_EQ(x > y, i > j) << i << " " << j;
        EXPECT_EQ(x >= y, i >= j) << i << " " << j;
        EXPECT_EQ(x <=> y, i <=> j) << i << " " << j;
      }
    }
}

TEST(Comparison, PrimitivesOnEitherSide) {
  BigInteger x(-3);
  EXPECT_TRUE(x < 0 && 0 > x && x == -3 && -3 == x && x != 3 && 3 != x);
  EXPECT_TRUE(x <= -3 && -4 <= x && x >= -3L && 2u >= x);
  BigUnsigned u(1ul << 33);
  EXPECT_TRUE(u > 1u && 1u < u && u == (1ul << 33) && (1ul << 33) == u && u != 0 && 0 != u);
}

TEST(Shifts, NegativeAmountsShiftTheOtherWay) {
  BigUnsigned x(0x12345678u);
  EXPECT_EQ(x << -4, BigUnsigned(0x01234567u));
  EXPECT_EQ(x >> -4, BigUnsigned(0x123456780ul));
  EXPECT_EQ(BigUnsigned() << 1000, BigUnsigned());
  EXPECT_EQ((BigUnsigned() << 1000).length, 0u);
}

TEST(Bits, SetBlockSetBitAndBitLength) {
  BigUnsigned x;
  x.setBlock(3, 9);
  EXPECT_EQ(x.length, 4u);
  EXPECT_EQ(x.blocks[1], 0u);
  x.setBlock(3, 0);
  EXPECT_EQ(x.length, 0u);
  x.setBlock(10, 0);
  EXPECT_EQ(x.length, 0u);
  x.setBit(64, true);
  EXPECT_EQ(x, BigUnsigned(1) << 64);
  EXPECT_EQ(x.bitLength(), 65u);
  EXPECT_TRUE(x.getBit(64));
  x.setBit(64, false);
  EXPECT_TRUE(x.isZero());
  EXPECT_EQ(BigUnsigned().bitLength(), 0u);
}

TEST(Operators, CompoundAssignments) {
  BigInteger x(10);
  x += BigInteger(5);
  x -= BigInteger(20);
  x *= BigInteger(-3);
  EXPECT_EQ(x, BigInteger(15));
  x /= BigInteger(-4);
  EXPECT_EQ(x, BigInteger(-4));
  x %= BigInteger(3);
  EXPECT_EQ(x, BigInteger(2));
  BigUnsigned u(100);
  u /= BigUnsigned(7);
  EXPECT_EQ(u, BigUnsigned(14));
  u %= BigUnsigned(5);
  EXPECT_EQ(u, BigUnsigned(4));
}

TEST(UnsignedArithmetic, ZeroOperandsAndOperators) {
  BigUnsigned x(12345u), zero;
  EXPECT_EQ(x + zero, x);
  EXPECT_EQ(zero + x, x);
  EXPECT_EQ((BigUnsigned(1) << 70) + zero, BigUnsigned(1) << 70);
  EXPECT_EQ(zero + (BigUnsigned(1) << 70), BigUnsigned(1) << 70);
  EXPECT_EQ((BigUnsigned(1) << 70) * zero, zero);
  EXPECT_EQ(((BigUnsigned(1) << 70) * zero).length, 0u);
  EXPECT_EQ((BigUnsigned(1) << 70) - zero, BigUnsigned(1) << 70);
  EXPECT_EQ((BigUnsigned(1) << 70) / BigUnsigned(1u << 6), BigUnsigned(1) << 64);
  EXPECT_EQ(((BigUnsigned(1) << 70) + BigUnsigned(5)) % (BigUnsigned(1) << 64), BigUnsigned(5));
  EXPECT_EQ(BigUnsigned(4000000000u).toUnsignedInt(), 4000000000u);
  try {
    (void)(x / zero);
    FAIL() << "no error";
  } catch (const char* m) {
    EXPECT_STREQ(m, "BigUnsigned::operator /: division by zero");
  }
}

}  // namespace
