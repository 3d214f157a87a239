// Construction from primitives and conversion back, with their ranges and errors.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"
#include "ThrownMessage.h"

namespace {

const char* const kUnsignedTooBig = "BigUnsigned::to<Primitive>: Value is too big to fit in the requested type";
const char* const kUnsignedReadsNegative = "BigUnsigned::to(Primitive): Value is too big to fit in the requested type";
const char* const kSignedTooBig = "BigInteger::to<Primitive>: Value is too big to fit in the requested type";
const char* const kNegativeToUnsigned = "BigInteger::to<Primitive>: Cannot convert a negative integer to an unsigned type";

TEST(Construction, FromIntIncludingTheMostNegative) {
  BigInteger m(INT_MIN);
  EXPECT_EQ(m.sign, BigInteger::negative);
  ASSERT_EQ(m.magnitude.length, 1u);
  EXPECT_EQ(m.magnitude.blocks[0], 0x80000000u);
  EXPECT_EQ(m.toInt(), INT_MIN);
  BigInteger s(short(SHRT_MIN));
  EXPECT_EQ(s.magnitude.blocks[0], 0x8000u);
  EXPECT_EQ(BigInteger(5).sign, BigInteger::positive);
  EXPECT_EQ(BigInteger(0u).sign, BigInteger::zero);
}

TEST(Construction, SixtyFourBitValuesUseTwoBlocks) {
  BigInteger big(LONG_MIN);
  EXPECT_EQ(big.magnitude.length, 2u);
  EXPECT_EQ(big.magnitude.blocks[1], 0x80000000u);
  EXPECT_EQ(big.toLong(), LONG_MIN);
  BigUnsigned u(ULONG_MAX);
  EXPECT_EQ(u.length, 2u);
  EXPECT_EQ(u.toUnsignedLong(), ULONG_MAX);
  EXPECT_EQ(BigInteger(LONG_MAX).toLong(), LONG_MAX);
  EXPECT_EQ(BigUnsigned(4294967296ul).length, 2u);
  EXPECT_EQ(BigUnsigned(4294967295ul).length, 1u);
}

TEST(Construction, BigUnsignedRefusesNegatives) {
  const char* msg = "BigUnsigned constructor: Cannot construct a BigUnsigned from a negative number";
  EXPECT_EQ(thrownBy([] { BigUnsigned x(-1); }), msg);
  EXPECT_EQ(thrownBy([] { BigUnsigned x(-1L); }), msg);
  EXPECT_EQ(thrownBy([] { BigUnsigned x(short(-1)); }), msg);
}

TEST(Construction, FromBlocksAndSign) {
  BigUnsigned::Blk b[] = {7, 0};
  EXPECT_EQ(BigInteger(b, 2, BigInteger::negative), BigInteger(-7));
  BigUnsigned::Blk z[] = {0, 0};
  BigInteger zero(z, 2, BigInteger::negative);
  EXPECT_EQ(zero.sign, BigInteger::zero);
  EXPECT_EQ(BigInteger(z, 2, BigInteger::zero).sign, BigInteger::zero);
  EXPECT_EQ(thrownBy([&] { BigInteger x(b, 2, BigInteger::zero); }),
            "BigInteger::BigInteger(const Blk *, Index, Sign): Cannot use a sign of zero with a nonzero magnitude");
  EXPECT_EQ(thrownBy([&] { BigInteger x(b, 2, BigInteger::Sign(2)); }),
            "BigInteger::BigInteger(const Blk *, Index, Sign): Invalid sign");
  BigUnsigned seven(7);
  EXPECT_EQ(thrownBy([&] { BigInteger x(seven, BigInteger::zero); }),
            "BigInteger::BigInteger(const BigUnsigned &, Sign): Cannot use a sign of zero with a nonzero magnitude");
  EXPECT_EQ(thrownBy([&] { BigInteger x(seven, BigInteger::Sign(-3)); }),
            "BigInteger::BigInteger(const BigUnsigned &, Sign): Invalid sign");
  EXPECT_EQ(BigInteger(BigUnsigned(), BigInteger::positive).sign, BigInteger::zero);
}

TEST(Conversion, MagnitudeWordsBothWays) {
  const std::uint64_t words[] = {0xFFFFFFFFFFFFFFFFull, 5, 0x100000000ull, 0, 0};
  BigInteger x;
  x.assignMagnitudeWords(words, 5, BigInteger::negative);  // leading zero words dropped
  EXPECT_EQ(x.magnitude.length, 6u);
  EXPECT_EQ(bigIntegerToString(x), "-1461501637330902918203684832826963484098189852671");
  ASSERT_EQ(x.magnitudeWordCount(), 3u);
  std::uint64_t back[3] = {};
  x.copyMagnitudeWords(back);
  EXPECT_EQ(std::vector<std::uint64_t>(back, back + 3), std::vector<std::uint64_t>(words, words + 3));
  x.assignMagnitudeWords(words + 3, 2, BigInteger::zero);  // zero words: any sign
  EXPECT_EQ(x.sign, BigInteger::zero);
  EXPECT_EQ(x.magnitudeWordCount(), 0u);
  EXPECT_EQ(thrownBy([&] { x.assignMagnitudeWords(words, 1, BigInteger::zero); }),
            "BigInteger::assignMagnitudeWords: Cannot use a sign of zero with a nonzero magnitude");
  EXPECT_EQ(thrownBy([&] { x.assignMagnitudeWords(words, 1, BigInteger::Sign(2)); }),
            "BigInteger::assignMagnitudeWords: Invalid sign");
}

TEST(Conversion, ToIntRange) {
  EXPECT_EQ(BigInteger(INT_MAX).toInt(), INT_MAX);
  EXPECT_EQ(BigInteger(0).toInt(), 0);
  EXPECT_EQ(thrownBy([] { BigInteger(2147483648L).toInt(); }), kSignedTooBig);
  EXPECT_EQ(thrownBy([] { BigInteger(-2147483649L).toInt(); }), kSignedTooBig);
  EXPECT_EQ(thrownBy([] { BigInteger(1L << 40).toInt(); }), kSignedTooBig);
}

TEST(Conversion, ToShortAcceptsOnlySixteenBitRange) {
  EXPECT_EQ(BigInteger(-32768).toShort(), -32768);
  EXPECT_EQ(BigInteger(32767).toShort(), 32767);
  EXPECT_EQ(thrownBy([] { BigInteger(32768).toShort(); }), kSignedTooBig);
  EXPECT_EQ(thrownBy([] { BigInteger(-32769).toShort(); }), kSignedTooBig);
}

TEST(Conversion, ToLongRange) {
  EXPECT_EQ(BigInteger(LONG_MIN).toLong(), LONG_MIN);
  BigInteger tooBig = BigInteger(LONG_MAX) + BigInteger(1);
  EXPECT_EQ(thrownBy([&] { tooBig.toLong(); }), kSignedTooBig);
  BigInteger tooSmall = BigInteger(LONG_MIN) - BigInteger(1);
  EXPECT_EQ(thrownBy([&] { tooSmall.toLong(); }), kSignedTooBig);
}

TEST(Conversion, UnsignedConversionsOfBigInteger) {
  EXPECT_EQ(thrownBy([] { BigInteger(-1).toUnsignedInt(); }), kNegativeToUnsigned);
  EXPECT_EQ(thrownBy([] { BigInteger(-1).toUnsignedLong(); }), kNegativeToUnsigned);
  EXPECT_EQ(thrownBy([] { BigInteger(-1).toUnsignedShort(); }), kNegativeToUnsigned);
  EXPECT_EQ(BigInteger(65535).toUnsignedShort(), 65535);
  EXPECT_EQ(thrownBy([] { BigInteger(65536).toUnsignedShort(); }), kUnsignedTooBig);
  EXPECT_EQ(BigInteger(4294967295u).toUnsignedInt(), 4294967295u);
  EXPECT_EQ(thrownBy([] { BigInteger(4294967296ul).toUnsignedInt(); }), kUnsignedTooBig);
  EXPECT_EQ(BigInteger(0).toUnsignedLong(), 0ul);
}

TEST(Conversion, BigUnsignedSignedConversions) {
  EXPECT_EQ(BigUnsigned(0x7FFFFFFFu).toInt(), INT_MAX);
  EXPECT_EQ(thrownBy([] { BigUnsigned(0x80000000u).toInt(); }), kUnsignedReadsNegative);
  EXPECT_EQ(thrownBy([] { BigUnsigned(1ul << 33).toInt(); }), kUnsignedTooBig);
  EXPECT_EQ(BigUnsigned(32767u).toShort(), 32767);
  EXPECT_EQ(thrownBy([] { BigUnsigned(0x8000u).toShort(); }), kUnsignedTooBig);
  // A block that survives the round trip through 16 bits but reads as negative.
  EXPECT_EQ(thrownBy([] { BigUnsigned(0xFFFF8000u).toShort(); }), kUnsignedReadsNegative);
  EXPECT_EQ(BigUnsigned(ULONG_MAX >> 1).toLong(), LONG_MAX);
  EXPECT_EQ(thrownBy([] { BigUnsigned(ULONG_MAX).toLong(); }), kUnsignedReadsNegative);
  EXPECT_EQ(thrownBy([] { (BigUnsigned(1) << 64).toUnsignedLong(); }), kUnsignedTooBig);
  EXPECT_EQ(thrownBy([] { BigUnsigned(65536u).toUnsignedShort(); }), kUnsignedTooBig);
}

}  // namespace
