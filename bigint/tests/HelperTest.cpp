// The helpers for allocation-free loops: subtractProduct, negateInPlace, swap, reserve and the
// questions about a value (isOne, magnitudeAtLeast, fitsInBlocks, ...).
#include <gtest/gtest.h>

#include <algorithm>

#include "GmpReference.h"
#include "LimbArithmetic.h"

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

// Long factors: a product on the stack up to its limit, on the heap beyond it (products of
// limit - 1, limit and limit + 1 blocks), under values of this far shorter and longer.
TEST(SubtractProduct, LongFactorsAgreeWithGmp) {
  OperandSource source(1234);
  const BigUnsigned::Index limit = BigInteger::stackProductBlocks, nb = 200;
  for (BigUnsigned::Index nx : {1u, 3u, 120u, limit + 50}) {
    for (BigUnsigned::Index na : {2u, 20u, limit - nb - 1, limit - nb, limit - nb + 1, 70u}) {
      for (BigUnsigned::Index nbUsed : {2u, 30u, nb}) {
        BigInteger x = source.integer(nx), a = source.integer(na), b = source.integer(nbUsed);
        mpz_class expected = toMpz(x) - toMpz(a) * toMpz(b);
        x.subtractProduct(a, b);
        ASSERT_EQ(toMpz(x), expected) << nx << " " << na << " " << nbUsed;
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

// With the room roomToSubtractProduct names, the array stays, whatever the values; with no
// room named (both factors long, or aliasing) the result is still right.
TEST(SubtractProduct, NamedRoomSuffices) {
  OperandSource source(4242);
  const auto rows = BigUnsigned::Index(2 * limbs::karatsubaThreshold);
  for (BigUnsigned::Index na : {1u, 2u, 3u, 9u, rows - 1, rows, 400u})
    for (BigUnsigned::Index nb : {1u, 2u, 5u, rows - 1, rows, 401u})
      for (BigUnsigned::Index nx : {0u, 1u, 2u, 3u, na + nb + 5}) {
        BigInteger a = source.integer(na), b = source.integer(nb), x = source.integer(nx);
        mpz_class expected = toMpz(x) - toMpz(a) * toMpz(b);
        const BigUnsigned::Index room = x.roomToSubtractProduct(a, b);
        EXPECT_EQ(room == 0, std::min(na, nb) >= rows) << na << " " << nb;
        if (room != 0) x.magnitude.allocateAndCopy(room);
        const BigUnsigned::Blk* array = x.magnitude.blocks;
        x.subtractProduct(a, b);
        if (room != 0) {
          EXPECT_EQ(x.magnitude.blocks, array) << na << " " << nb << " " << nx;
        }
        ASSERT_TRUE(wellFormed(x));
        ASSERT_EQ(toMpz(x), expected) << na << " " << nb << " " << nx;
      }
  BigInteger y(12345);
  EXPECT_EQ(y.roomToSubtractProduct(y, BigInteger(2)), 0u);
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
  BigInteger a(-5), b = BigInteger(BigUnsigned(1) << 100);
  a.negateInPlace();
  EXPECT_EQ(a, BigInteger(5));
  BigInteger z;
  z.negateInPlace();
  EXPECT_EQ(z.sign, BigInteger::zero);
  const BigUnsigned::Blk* arrayB = b.magnitude.blocks;
  a.swap(b);
  EXPECT_EQ(a, BigInteger(BigUnsigned(1) << 100));
  EXPECT_EQ(b, BigInteger(5));
  EXPECT_EQ(a.magnitude.blocks, arrayB);
  swap(a, b);
  EXPECT_EQ(a, BigInteger(5));
}

// Each question about a value, on values at the block boundaries, against GMP's answer.
TEST(Predicates, AgreeWithTheValue) {
  const mpz_class two32 = mpz_class(1) << 32;
  const mpz_class values[] = {0, 1, -1, 2, -2, 3, two32 - 1, -(two32 - 1), two32, -two32,
                              (two32 << 32) - 1, two32 << 32, -(two32 << 32)};
  for (const mpz_class& v : values) {
    const BigInteger x = testing_support::fromMpz(v);
    const mpz_class size = abs(v);
    EXPECT_EQ(x.isZero(), v == 0) << v;
    EXPECT_EQ(x.isPositive(), v > 0) << v;
    EXPECT_EQ(x.isNegative(), v < 0) << v;
    EXPECT_EQ(x.isOne(), v == 1) << v;
    EXPECT_EQ(x.isMinusOne(), v == -1) << v;
    EXPECT_EQ(x.magnitude.isOne(), size == 1) << v;
    for (BigInteger::Blk k : {0u, 1u, 2u, 3u, 0xFFFFFFFFu}) {
      EXPECT_EQ(x.magnitudeAtLeast(k), size >= mpz_class(k)) << v << " at least " << k;
      EXPECT_EQ(x.magnitude.isAtLeast(k), size >= mpz_class(k)) << v << " at least " << k;
    }
    for (BigInteger::Index k : {0u, 1u, 2u, 3u}) {
      const bool fits = size < (mpz_class(1) << (32 * k));
      EXPECT_EQ(x.fitsInBlocks(k), fits) << v << " in " << k << " blocks";
      EXPECT_EQ(x.magnitude.fitsInBlocks(k), fits) << v << " in " << k << " blocks";
    }
  }
}

TEST(Reserve, KeepsTheValueAndNeverShrinks) {
  for (long v : {0L, 7L, -7L, 1L << 40, -(1L << 40)}) {
    BigInteger x(v);
    x.reserve(9);
    EXPECT_GE(x.getCapacity(), 9u);
    EXPECT_EQ(x, BigInteger(v));
    EXPECT_TRUE(wellFormed(x));
    const BigUnsigned::Blk* array = x.magnitude.blocks;
    x.reserve(2);
    EXPECT_EQ(x.magnitude.blocks, array);
    EXPECT_GE(x.getCapacity(), 9u);
  }
  BigUnsigned u(1ul << 40);
  u.reserve(5);
  EXPECT_GE(u.capacity, 5u);
  EXPECT_EQ(u, BigUnsigned(1ul << 40));
}

// After reserve, results up to the reserved size are written into the same array.
TEST(Reserve, LaterResultsNeedNoAllocation) {
  BigInteger x(1);
  x.reserve(6);
  const BigUnsigned::Blk* array = x.magnitude.blocks;
  const BigInteger a = BigInteger(1L << 62), b = -BigInteger(1L << 60);
  x.subtractProduct(a, b);  // about 2^122: four blocks
  EXPECT_EQ(x.magnitude.blocks, array);
  EXPECT_EQ(toMpz(x), 1 - toMpz(a) * toMpz(b));
  x = BigInteger(-12345);
  x.add(x, a);
  EXPECT_EQ(x.magnitude.blocks, array);
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
