// Every arithmetic error message and the state it leaves behind.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "BigIntegerUtils.h"
#include "ThrownMessage.h"

namespace {

const char* const kNegativeResult = "BigUnsigned::subtract: Negative result in unsigned calculation";

TEST(Errors, SubtractionWithABorrowLeftLeavesZero) {
  BigUnsigned d(99);
  EXPECT_EQ(thrownBy([&] { d.subtract(BigUnsigned(1), BigUnsigned(2)); }), kNegativeResult);
  EXPECT_EQ(d.length, 0u);
}

TEST(Errors, SubtractionFromAShorterValueLeavesTheDestination) {
  BigUnsigned d(99);
  EXPECT_EQ(thrownBy([&] { d.subtract(BigUnsigned(1), BigUnsigned(1) << 40); }), kNegativeResult);
  EXPECT_EQ(d, BigUnsigned(99));
}

TEST(Errors, DecrementOfUnsignedZero) {
  BigUnsigned z;
  EXPECT_EQ(thrownBy([&] { --z; }), "BigUnsigned::operator --(): Cannot decrement an unsigned zero");
  EXPECT_TRUE(z.isZero());
}

TEST(Errors, PathologicalShifts) {
  BigUnsigned x(5), d(3);
  EXPECT_EQ(thrownBy([&] { d.bitShiftLeft(x, INT_MIN); }),
            "BigUnsigned::bitShiftLeft: Pathological shift amount not implemented");
  EXPECT_EQ(thrownBy([&] { d.bitShiftRight(x, INT_MIN); }),
            "BigUnsigned::bitShiftRight: Pathological shift amount not implemented");
  EXPECT_EQ(d, BigUnsigned(3));
}

TEST(Errors, DivisionByZeroOperators) {
  BigInteger a(7), zero;
  EXPECT_EQ(thrownBy([&] { (void)(a / zero); }), "BigInteger::operator /: division by zero");
  EXPECT_EQ(thrownBy([&] { (void)(a % zero); }), "BigInteger::operator %: division by zero");
  EXPECT_EQ(a, BigInteger(7));
}

TEST(Errors, DivideWithRemainderByZeroKeepsTheDividend) {
  BigInteger a(-7), q(3);
  a.divideWithRemainder(BigInteger(), q);
  EXPECT_EQ(a, BigInteger(-7));
  EXPECT_EQ(q.sign, BigInteger::zero);
  EXPECT_EQ(q.magnitude.length, 0u);
  BigUnsigned u(7), uq(3);
  u.divideWithRemainder(BigUnsigned(), uq);
  EXPECT_EQ(u, BigUnsigned(7));
  EXPECT_TRUE(uq.isZero());
}

TEST(Errors, InvalidSignFieldInComparison) {
  BigInteger a(1), b(2);
  a.sign = b.sign = BigInteger::Sign(3);
  EXPECT_EQ(thrownBy([&] { a.compareTo(b); }), "BigInteger internal error");
}

}  // namespace
