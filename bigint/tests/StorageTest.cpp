// Storage policy: capacity, length and the owned array of NumberlikeArray and its users.
#include <gtest/gtest.h>

#include <utility>

#include "BigIntegerUtils.h"

namespace {

// Values up to 64 bits live inside the object: no heap array, and the pointer is to the object.
bool pointsInto(const BigUnsigned::Blk* array, const BigUnsigned& x) {
  const auto* object = reinterpret_cast<const unsigned char*>(&x);
  const auto* first = reinterpret_cast<const unsigned char*>(array);
  return first >= object && first < object + sizeof x;
}
bool holdsInline(const BigUnsigned& x) { return pointsInto(x.blocks, x); }

TEST(Storage, SmallValuesNeedNoHeapArray) {
  BigUnsigned a;
  EXPECT_EQ(a.capacity, BigUnsigned::kInline);
  EXPECT_EQ(a.length, 0u);
  EXPECT_TRUE(holdsInline(a));
  const BigUnsigned word(0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(word.length, 2u);
  EXPECT_TRUE(holdsInline(word));
  BigInteger i(-0x7FFFFFFFFFFFFFFFll);
  EXPECT_TRUE(holdsInline(i.magnitude));
  i.magnitude.allocateAndCopy(3);  // the first size past the object
  EXPECT_FALSE(holdsInline(i.magnitude));
  EXPECT_EQ(i, BigInteger(-0x7FFFFFFFFFFFFFFFll));
}

TEST(Storage, CopyGetsInlineRoomOrAnArrayOfExactlyTheSourceLength) {
  BigUnsigned zero;
  BigUnsigned zeroCopy(zero);
  EXPECT_TRUE(holdsInline(zeroCopy));
  EXPECT_EQ(zeroCopy.length, 0u);
  BigUnsigned small(12345u);
  small.allocateAndCopy(20);  // a long array holding a short value
  BigUnsigned smallCopy(small);
  EXPECT_TRUE(holdsInline(smallCopy));
  EXPECT_EQ(smallCopy, small);
  BigUnsigned big = BigUnsigned(1) << 100;  // four blocks
  big.allocateAndCopy(20);
  BigUnsigned copy(big);
  EXPECT_EQ(copy.capacity, 4u);
  EXPECT_EQ(copy.length, 4u);
  EXPECT_EQ(copy, big);
  EXPECT_NE(copy.blocks, big.blocks);
}

// Every pairing of inline and heap storage: the values change places, a heap array moves
// with its value, and neither object ends up pointing into the other.
TEST(Storage, SwapAndMoveBetweenInlineAndHeapStorage) {
  const BigInteger values[] = {BigInteger(), BigInteger(-3), BigInteger(1ll << 40),
                               BigInteger(BigUnsigned(1) << 100), -BigInteger(BigUnsigned(7) << 200)};
  for (const BigInteger& x : values) {
    for (const BigInteger& y : values) {
      BigInteger a = x, b = y;
      const BigUnsigned::Blk* heapOfA = holdsInline(a.magnitude) ? nullptr : a.magnitude.blocks;
      a.swap(b);
      EXPECT_EQ(a, y);
      EXPECT_EQ(b, x);
      if (heapOfA) {
        EXPECT_EQ(b.magnitude.blocks, heapOfA);
      }
      EXPECT_FALSE(pointsInto(a.magnitude.blocks, b.magnitude));
      EXPECT_FALSE(pointsInto(b.magnitude.blocks, a.magnitude));
      BigInteger c(std::move(a));
      EXPECT_EQ(c, y);
      EXPECT_TRUE(a.isZero());
      c = std::move(b);
      EXPECT_EQ(c, x);
      EXPECT_TRUE(b.isZero());
      b = BigInteger(BigUnsigned(5) << 150);  // the moved-from objects stay usable
      a.add(b, c);
      EXPECT_EQ(a, BigInteger(BigUnsigned(5) << 150) + x);
    }
  }
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
  EXPECT_LE(sizeof(BigUnsigned), 24u);
  EXPECT_LE(sizeof(BigInteger), 32u);
}

}  // namespace
