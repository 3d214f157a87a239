// Storage policy: capacity, length and the owned array of NumberlikeArray and its users.
#include <gtest/gtest.h>

#include <utility>

#include "BigIntegerUtils.h"

namespace {

TEST(Storage, DefaultAndZeroValuesHaveNoArray) {
  BigUnsigned a;
  EXPECT_EQ(a.capacity, 0u);
  EXPECT_EQ(a.length, 0u);
  EXPECT_EQ(a.blocks, nullptr);
  BigUnsigned z(0);
  EXPECT_EQ(z.blocks, nullptr);
  BigInteger i(0);
  EXPECT_EQ(i.sign, BigInteger::zero);
  EXPECT_EQ(i.magnitude.length, 0u);
  EXPECT_EQ(i.magnitude.blocks, nullptr);
}

TEST(Storage, CopyGetsArrayOfExactlyTheSourceLength) {
  BigUnsigned zero;
  BigUnsigned zeroCopy(zero);
  EXPECT_NE(zeroCopy.blocks, nullptr);  // an array of 0 elements
  EXPECT_EQ(zeroCopy.capacity, 0u);
  BigUnsigned big = BigUnsigned(1) << 100;  // four blocks
  big.allocateAndCopy(20);
  BigUnsigned copy(big);
  EXPECT_EQ(copy.capacity, 4u);
  EXPECT_EQ(copy.length, 4u);
  EXPECT_EQ(copy, big);
  EXPECT_NE(copy.blocks, big.blocks);
}

TEST(Storage, AllocateDiscardsAndAllocateAndCopyKeeps) {
  BigUnsigned::Blk b[] = {1, 2, 3};
  NumberlikeArray<BigUnsigned::Blk> x(b, 3);
  x.allocate(2);  // no change: already large enough
  EXPECT_EQ(x.capacity, 3u);
  EXPECT_EQ(x.blocks[2], 3u);
  x.allocateAndCopy(10);
  EXPECT_EQ(x.capacity, 10u);
  EXPECT_EQ(x.blocks[0], 1u);
  EXPECT_EQ(x.blocks[2], 3u);
  x.allocate(5);
  EXPECT_EQ(x.capacity, 10u);
}

TEST(Storage, AssignmentReusesALargeEnoughArrayAndNeverShrinks) {
  BigInteger x = BigInteger(BigUnsigned(1) << 300);
  const BigUnsigned::Blk* array = x.magnitude.blocks;
  BigUnsigned::Index cap = x.magnitude.capacity;
  x = BigInteger(7);
  EXPECT_EQ(x.magnitude.blocks, array);
  EXPECT_EQ(x.magnitude.capacity, cap);
  const BigInteger& self = x;  // self-assignment (via a reference: clang warns on x = x)
  x = self;
  EXPECT_EQ(x, BigInteger(7));
  x = BigInteger(-12345) * BigInteger(10);  // move assignment keeps the bigger array
  EXPECT_EQ(x.magnitude.capacity, cap);
  EXPECT_EQ(x, BigInteger(-123450));
  x.add(x, BigInteger(1));
  EXPECT_EQ(x.magnitude.blocks, array);
}

TEST(Storage, MovesLeaveTheSourceZero) {
  BigInteger a(-99);
  BigInteger b(std::move(a));
  EXPECT_EQ(b, BigInteger(-99));
  EXPECT_EQ(a.sign, BigInteger::zero);  // a moved-from value is zero
  EXPECT_EQ(a.magnitude.length, 0u);
  BigInteger c;
  c = std::move(b);
  EXPECT_EQ(c, BigInteger(-99));
  EXPECT_TRUE(b.isZero());
  EXPECT_EQ(b.magnitude.length, 0u);
}

TEST(Storage, TrimLeadingZerosAndEquality) {
  BigUnsigned::Blk b[] = {5, 0, 0};
  NumberlikeArray<BigUnsigned::Blk> x(b, 3), y(b, 1);
  EXPECT_FALSE(x == y);
  x.trimLeadingZeros();
  EXPECT_EQ(x.length, 1u);
  EXPECT_TRUE(x == y);
  BigUnsigned u(b, 3);  // construction normalises
  EXPECT_EQ(u.length, 1u);
  EXPECT_EQ(u.capacity, 3u);
}

TEST(Storage, ResultsAreWrittenIntoTheDestinationArray) {
  BigInteger dest;
  dest.magnitude.allocate(50);
  const BigUnsigned::Blk* array = dest.magnitude.blocks;
  BigInteger a = stringToBigInteger("123456789012345678901234567890");
  BigInteger b = stringToBigInteger("-98765432109876543210");
  dest.add(a, b);
  dest.subtract(a, b);
  dest.multiply(a, b);
  EXPECT_EQ(dest.magnitude.blocks, array);
  EXPECT_EQ(bigIntegerToString(dest), "-12193263113702179522496570642237463801111263526900");
}

TEST(Storage, SizesStaySmall) {
  EXPECT_LE(sizeof(BigUnsigned), 16u);
  EXPECT_LE(sizeof(BigInteger), 24u);
}

}  // namespace
