// Differential tests against GMP: arithmetic, floor division and text on random operands.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "BlockKernels.h"
#include "GmpReference.h"
#include "RadixConversion.h"

using testing_support::fromMpz;
using testing_support::OperandSource;
using testing_support::ScopedSetting;
using testing_support::toMpz;
using testing_support::wellFormed;

namespace {

// Block counts around the kernel boundaries, derived from the limb thresholds (a limb is two
// blocks): one block and the fixed small products; T - 1, T (odd and even block counts) and
// T + 1 limbs around the Karatsuba threshold T, and 2T - 1 and 2T limbs, where Karatsuba
// recurses once more; divisors of D - 1, D and D + 1 limbs around the recursive-division
// threshold D, and dividends beyond 2D limbs, so that the quotient reaches D limbs too.
std::vector<BigUnsigned::Index> boundarySizes() {
  const auto karatsuba = BigUnsigned::Index(2 * limbs::karatsubaThreshold);
  const auto recursive = BigUnsigned::Index(2 * limbs::recursiveDivisionThreshold);
  std::vector<BigUnsigned::Index> sizes = {1, 2, 3, 4, 7, 8, 16, 31,
                                           karatsuba - 2, karatsuba - 1, karatsuba, karatsuba + 1,
                                           2 * karatsuba - 2, 2 * karatsuba,
                                           recursive - 2, recursive, recursive + 2, 2 * recursive + 1};
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}
const std::vector<BigUnsigned::Index> kSizes = boundarySizes();

BigInteger withSign(const BigInteger& x, int s) {
  if (x.isZero()) return x;
  return BigInteger(x.magnitude, s < 0 ? BigInteger::negative : BigInteger::positive);
}

class Differential : public ::testing::Test {
 protected:
  OperandSource source{20240607};

  // Runs check(a, b) on operands of every size pair and every sign combination.
  template <class Check>
  void forOperandPairs(int trials, Check check) {
    for (auto na : kSizes) {
      for (auto nb : kSizes) {
        for (int t = 0; t < trials; ++t) {
          BigInteger a0 = source.integer(na), b0 = source.integer(nb);
          for (int sa : {-1, 1})
            for (int sb : {-1, 1}) check(withSign(a0, sa), withSign(b0, sb));
        }
      }
    }
  }
};

TEST_F(Differential, AddSubtractMultiplyAgreeWithGmp) {
  forOperandPairs(5, [](const BigInteger& a, const BigInteger& b) {
    mpz_class ga = toMpz(a), gb = toMpz(b);
    BigInteger sum = a + b, diff = a - b, prod = a * b;
    ASSERT_TRUE(wellFormed(sum) && wellFormed(diff) && wellFormed(prod));
    ASSERT_EQ(toMpz(sum), ga + gb);
    ASSERT_EQ(toMpz(diff), ga - gb);
    ASSERT_EQ(toMpz(prod), ga * gb);
  });
}

// this -= a * b row by row (short factor below 2T blocks) and through the product (from 2T
// blocks): factor lengths on both sides of the switch, odd and even long factors, every sign,
// and minuends zero, short, long, at the product itself plus or minus a little (the running
// value wraps below zero or lands on zero), and a fraction of the product (the sign change is
// known in advance: from the lengths, or only from the leading bits).
void checkSubtractProducts(OperandSource& source) {
  const auto rows = BigUnsigned::Index(2 * limbs::karatsubaThreshold);
  for (BigUnsigned::Index nb : {1u, 2u, 3u, 4u, 5u, rows - 1, rows, rows + 1}) {
    for (BigUnsigned::Index na : {nb, nb + 1, 2 * nb + 7, 300u, 301u}) {
      for (int s = 0; s < 4; ++s) {
        BigInteger a = withSign(source.integer(na), s & 1 ? -1 : 1);
        BigInteger b = withSign(source.integer(nb), s & 2 ? -1 : 1);
        mpz_class product = toMpz(a) * toMpz(b);
        for (const mpz_class& start :
             {mpz_class(0), toMpz(source.integer(1)), toMpz(source.integer(na + nb + 3)), product,
              mpz_class(product + 1), mpz_class(product - toMpz(source.integer(3))),
              mpz_class(-product + 5), mpz_class(product / 2), mpz_class(product - product / 1024),
              mpz_class(product - (product >> 61)), mpz_class(product + (product >> 61))}) {
          for (bool swapped : {false, true}) {
            BigInteger x = fromMpz(start);
            x.subtractProduct(swapped ? b : a, swapped ? a : b);
            ASSERT_TRUE(wellFormed(x)) << na << " " << nb;
            ASSERT_EQ(toMpz(x), start - product) << na << " " << nb << " " << s;
          }
        }
      }
    }
  }
}

TEST_F(Differential, SubtractProductAgreesWithGmp) { checkSubtractProducts(source); }

// The 64-bit multiply-accumulate of a run of blocks: odd and even lengths (word counts of
// every remainder modulo the loops' eight and four steps), multipliers at the ends of one and
// two blocks, and accumulators of all zeros and all ones (full carry and borrow chains out of
// the top).
void checkWideRows(OperandSource& source) {
  std::vector<BigUnsigned::Index> lengths = {1u, 33u, 64u, 65u};
  for (BigUnsigned::Index an = 2; an <= 32; ++an) lengths.push_back(an);
  for (BigUnsigned::Index an : lengths) {
    for (std::uint64_t m : {std::uint64_t(1), std::uint64_t(0xFFFFFFFFu), std::uint64_t(1) << 32,
                            ~std::uint64_t(0), source.next()}) {
      for (int fill = 0; fill < 3; ++fill) {
        BigUnsigned a = source.magnitude(an);
        std::vector<BigUnsigned::Blk> r(an + 2);
        for (auto& x : r) x = fill == 0 ? 0u : fill == 1 ? 0xFFFFFFFFu : BigUnsigned::Blk(source.next());
        const mpz_class base = toMpz(BigUnsigned(r.data(), an + 2));
        const mpz_class top = mpz_class(1) << (32 * (an + 2));
        const mpz_class p = toMpz(a) * mpz_class(std::to_string(m));
        const mpz_class complement = top - 1 - base;
        for (int mode = 0; mode < 3; ++mode) {
          const bool add = mode != 1;
          std::vector<BigUnsigned::Blk> out = r;
          BigUnsigned::Blk c = mode == 0   ? blockkernels::addMulWide(out.data(), a.blocks, an, m)
                               : mode == 1 ? blockkernels::subMulWide(out.data(), a.blocks, an, m)
                                           : blockkernels::notAddMulWide(out.data(), a.blocks, an, m);
          mpz_class exact = mode == 0 ? mpz_class(base + p) : mode == 1 ? mpz_class(base - p) : mpz_class(complement + p);
          mpz_class expected = exact % top;
          if (expected < 0) expected += top;
          mpz_class expectedCarry = add ? mpz_class(exact / top) : mpz_class((expected - exact) / top);
          ASSERT_EQ(toMpz(BigUnsigned(out.data(), an + 2)), expected) << an << " " << m;
          ASSERT_EQ(mpz_class(c), expectedCarry) << an << " " << m << " " << add;
        }
      }
    }
  }
}

TEST_F(Differential, WideRowKernelsAgreeWithGmp) { checkWideRows(source); }

// Limbs of a test operand: random, all ones (carries through every limb), or a lone top bit.
std::vector<limbs::Limb> limbOperand(OperandSource& source, std::size_t n, int kind) {
  std::vector<limbs::Limb> v(n);
  for (auto& x : v) x = kind == 0 ? source.next() : kind == 1 ? ~limbs::Limb(0) : 0;
  if (kind == 2 && n > 0) v[n - 1] = limbs::Limb(1) << 63;
  return v;
}

// Schoolbook products (the Karatsuba threshold out of reach) of every length to 80 limbs by 1
// to 12 limbs and a few longer ones, so that the rows cross every unroll remainder, on the
// mulx rows and on the portable ones, against mpn_mul.
void checkSchoolbookRows(OperandSource& source) {
  ScopedSetting<limbs::Size> setting(limbs::karatsubaThreshold, limbs::Size(1) << 30);
  std::vector<limbs::Size> shortLengths;
  for (limbs::Size n = 1; n <= 12; ++n) shortLengths.push_back(n);
  for (limbs::Size n : {31u, 32u, 33u, 64u, 65u}) shortLengths.push_back(n);
  for (limbs::Size an = 1; an <= 300; an += an < 80 ? 1 : 37) {
    for (limbs::Size bn : shortLengths) {
      if (bn > an) continue;
      for (int kind = 0; kind < 3; ++kind) {
        std::vector<limbs::Limb> a = limbOperand(source, an, kind), b = limbOperand(source, bn, kind);
        std::vector<limbs::Limb> r(an + bn), expected(an + bn);
        limbs::multiply(r.data(), a.data(), an, b.data(), bn);
        mpn_mul(expected.data(), a.data(), mp_size_t(an), b.data(), mp_size_t(bn));
        ASSERT_EQ(r, expected) << an << " by " << bn << " limbs, kind " << kind;
      }
    }
  }
}

TEST_F(Differential, SchoolbookRowsAgreeWithGmp) { checkSchoolbookRows(source); }

TEST_F(Differential, FloorDivisionAgreesWithGmp) {
  forOperandPairs(5, [](const BigInteger& a, const BigInteger& b) {
    mpz_class ga = toMpz(a), gb = toMpz(b), gq, gr;
    mpz_fdiv_qr(gq.get_mpz_t(), gr.get_mpz_t(), ga.get_mpz_t(), gb.get_mpz_t());
    BigInteger r = a, q;
    r.divideWithRemainder(b, q);
    ASSERT_TRUE(wellFormed(q) && wellFormed(r));
    ASSERT_EQ(toMpz(q), gq);
    ASSERT_EQ(toMpz(r), gr);
    // q b + r = a, and r is zero or has the divisor's sign with |r| < |b|.
    ASSERT_EQ(q * b + r, a);
    ASSERT_TRUE(r.isZero() || r.sign == b.sign);
    ASSERT_TRUE(r.magnitude < b.magnitude);
    ASSERT_EQ(a / b, q);
    ASSERT_EQ(a % b, r);
  });
}

TEST_F(Differential, UnsignedDivisionAgreesWithGmp) {
  for (auto na : kSizes) {
    for (auto nb : kSizes) {
      for (int t = 0; t < 3; ++t) {
        BigUnsigned a = source.magnitude(na), b = source.magnitude(nb);
        mpz_class ga = toMpz(a), gb = toMpz(b);
        BigUnsigned r = a, q;
        r.divideWithRemainder(b, q);
        ASSERT_EQ(toMpz(q), mpz_class(ga / gb));
        ASSERT_EQ(toMpz(r), mpz_class(ga % gb));
        ASSERT_TRUE(wellFormed(q) && wellFormed(r));
      }
    }
  }
}

// Dividends just below multiples of the divisor and divisors with a lone top bit, where
// the quotient estimate is most often too large and must be corrected.
TEST_F(Differential, DivisionNearQuotientEstimateLimits) {
  for (auto nb : {2u, 3u, 5u, 17u, 60u, 150u}) {
    for (int t = 0; t < 40; ++t) {
      BigUnsigned b = source.magnitude(nb);
      if (t % 2) b.setBlock(nb - 1, 1u << source.below(32));
      BigUnsigned q0 = source.magnitude(1 + source.below(2 * nb));
      BigUnsigned a = b * q0;
      BigUnsigned delta = source.magnitude(1 + source.below(nb));
      if (t % 3 == 0 && a > delta) a = a - delta; else a = a + delta;
      mpz_class ga = toMpz(a), gb = toMpz(b);
      BigUnsigned r = a, q;
      r.divideWithRemainder(b, q);
      ASSERT_EQ(toMpz(q), mpz_class(ga / gb));
      ASSERT_EQ(toMpz(r), mpz_class(ga % gb));
    }
  }
}

TEST_F(Differential, LargeOperandsAgreeWithGmp) {
  const BigUnsigned::Index sizes[] = {500, 1024, 3000, 7000, 20000};
  for (auto na : sizes) {
    for (auto nb : sizes) {
      BigInteger a = source.integer(na), b = source.integer(nb);
      mpz_class ga = toMpz(a), gb = toMpz(b), gq, gr;
      ASSERT_EQ(toMpz(a * b), ga * gb);
      BigInteger big = a * b + a, r = big, q;
      mpz_class gbig = toMpz(big);
      r.divideWithRemainder(b, q);
      mpz_fdiv_qr(gq.get_mpz_t(), gr.get_mpz_t(), gbig.get_mpz_t(), gb.get_mpz_t());
      ASSERT_EQ(toMpz(q), gq);
      ASSERT_EQ(toMpz(r), gr);
    }
  }
}

TEST_F(Differential, DecimalTextAgreesWithGmp) {
  const BigUnsigned::Index sizes[] = {1, 2, 3, 10, 33, 100, 400, 1500, 5000, 30000};
  for (auto n : sizes) {
    for (int t = 0; t < 4; ++t) {
      BigInteger x = source.integer(n);
      std::string expected = toMpz(x).get_str(10);
      ASSERT_EQ(bigIntegerToString(x), expected);
      ASSERT_EQ(stringToBigInteger(expected), x);
    }
  }
}

TEST_F(Differential, OtherBasesAgreeWithGmp) {
  for (unsigned base = 2; base <= 36; ++base) {
    for (auto n : {1u, 2u, 5u, 40u}) {
      BigUnsigned x = source.magnitude(n);
      std::string expected = toMpz(x).get_str(int(base));
      for (auto& c : expected) c = char(std::toupper(static_cast<unsigned char>(c)));
      BigUnsignedInABase digits(x, BigUnsignedInABase::Base(base));
      ASSERT_EQ(std::string(digits), expected) << "base " << base;
      ASSERT_EQ(BigUnsigned(BigUnsignedInABase(expected, BigUnsignedInABase::Base(base))), x);
    }
  }
}

TEST_F(Differential, StreamOutputAgreesWithGmp) {
  for (auto n : {1u, 3u, 20u}) {
    BigInteger x = source.integer(n);
    mpz_class g = toMpz(x);
    std::ostringstream hex, oct;
    hex << std::hex << x;
    oct << std::oct << x;
    std::string expectedHex = g.get_str(16);
    for (auto& c : expectedHex) c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(hex.str(), expectedHex);
    EXPECT_EQ(oct.str(), g.get_str(8));
  }
}

TEST_F(Differential, BitOperationsAgreeWithGmp) {
  for (auto na : {1u, 2u, 5u, 9u}) {
    for (auto nb : {1u, 3u, 9u}) {
      BigUnsigned a = source.magnitude(na), b = source.magnitude(nb);
      mpz_class ga = toMpz(a), gb = toMpz(b);
      EXPECT_EQ(toMpz(a & b), mpz_class(ga & gb));
      EXPECT_EQ(toMpz(a | b), mpz_class(ga | gb));
      EXPECT_EQ(toMpz(a ^ b), mpz_class(ga ^ gb));
      EXPECT_TRUE(wellFormed(a & b) && wellFormed(a ^ b));
      for (int s : {0, 1, 31, 32, 33, 64, 95, 200}) {
        EXPECT_EQ(toMpz(a << s), mpz_class(ga << s));
        EXPECT_EQ(toMpz(a >> s), mpz_class(ga >> s));
        EXPECT_TRUE(wellFormed(a >> s) && wellFormed(a << s));
      }
      EXPECT_EQ(a.bitLength(), mpz_sizeinbase(ga.get_mpz_t(), 2));
    }
  }
}

// Karatsuba on small and odd sizes: lower the threshold so that the recursion reaches down
// to one-limb halves, and compare with GMP.
TEST(KaratsubaRecursion, LowThresholdsAgreeWithGmp) {
  OperandSource source(4242);
  for (limbs::Size threshold : {2u, 3u, 5u, 8u}) {
    ScopedSetting<limbs::Size> setting(limbs::karatsubaThreshold, threshold);
    for (BigUnsigned::Index na = 1; na < 60; na += 3) {
      for (BigUnsigned::Index nb = 1; nb < 60; nb += 4) {
        BigUnsigned a = source.magnitude(na), b = source.magnitude(nb);
        ASSERT_EQ(toMpz(a * b), toMpz(a) * toMpz(b)) << na << "x" << nb << " threshold " << threshold;
      }
    }
  }
}

// Balanced Karatsuba products of every size to 70 limbs, with the recursion reaching one-limb
// halves, on random limbs, all-ones limbs (every middle sum carries to the top) and a lone top
// bit (the differences of the halves change sign), and mixed pairs of these.
TEST(KaratsubaRecursion, CarriesOfTheMiddleSumAgreeWithGmp) {
  OperandSource source(8080);
  for (limbs::Size threshold : {2u, 3u, 7u}) {
    ScopedSetting<limbs::Size> setting(limbs::karatsubaThreshold, threshold);
    for (limbs::Size n = 2; n <= 70; ++n) {
      for (int kinds = 0; kinds < 9; ++kinds) {
        std::vector<limbs::Limb> a = limbOperand(source, n, kinds % 3), b = limbOperand(source, n, kinds / 3);
        std::vector<limbs::Limb> r(2 * n), expected(2 * n);
        limbs::multiply(r.data(), a.data(), n, b.data(), n);
        mpn_mul_n(expected.data(), a.data(), b.data(), mp_size_t(n));
        ASSERT_EQ(r, expected) << n << " limbs, kinds " << kinds << ", threshold " << threshold;
      }
    }
  }
}

// Recursive division on small sizes: with a low threshold the padding, the piecewise
// driver and both branches of the three-by-two step are reached with short operands.
TEST(RecursiveDivision, LowThresholdsAgreeWithGmp) {
  OperandSource source(777);
  for (limbs::Size threshold : {4u, 5u, 8u}) {
    ScopedSetting<limbs::Size> setting(limbs::recursiveDivisionThreshold, threshold);
    for (BigUnsigned::Index nb = 2; nb < 70; nb += 5) {
      for (BigUnsigned::Index extra : {0u, 1u, 7u, 30u, 90u}) {
        BigUnsigned a = source.magnitude(nb + extra), b = source.magnitude(nb);
        BigUnsigned r = a, q;
        r.divideWithRemainder(b, q);
        mpz_class ga = toMpz(a), gb = toMpz(b);
        ASSERT_EQ(toMpz(q), mpz_class(ga / gb)) << nb << " " << extra << " threshold " << threshold;
        ASSERT_EQ(toMpz(r), mpz_class(ga % gb));
      }
    }
  }
}

// Divide-and-conquer base conversion with a low threshold, in every base and in wide bases
// beyond the symbol set, both directions, against GMP and against the round trip.
TEST(RadixRecursion, LowThresholdsAgreeWithGmp) {
  OperandSource source(31337);
  for (std::size_t threshold : {1u, 2u, 5u}) {
    ScopedSetting<std::size_t> setting(radix::basecaseLimbs, threshold);
    for (unsigned base = 2; base <= 36; base += 3) {
      for (BigUnsigned::Index n : {17u, 40u, 101u}) {
        BigUnsigned x = source.magnitude(n);
        std::string expected = toMpz(x).get_str(int(base));
        for (auto& c : expected) c = char(std::toupper(static_cast<unsigned char>(c)));
        ASSERT_EQ(std::string(BigUnsignedInABase(x, BigUnsignedInABase::Base(base))), expected)
            << "base " << base << " threshold " << threshold;
        ASSERT_EQ(BigUnsigned(BigUnsignedInABase(expected, BigUnsignedInABase::Base(base))), x);
      }
    }
    for (unsigned base : {37u, 1000u, 65535u}) {
      BigUnsigned x = source.magnitude(60);
      BigUnsignedInABase digits(x, BigUnsignedInABase::Base(base));
      ASSERT_EQ(BigUnsigned(digits), x) << "base " << base;
      ASSERT_NE(digits.blocks[digits.length - 1], 0);
    }
  }
}

// Quotients made of all-ones limbs: the recursive division then meets a remainder whose top
// half equals the divisor's top half, where the quotient estimate is B^m - 1.
TEST(RecursiveDivision, AllOnesQuotients) {
  OperandSource source(2718);
  for (limbs::Size threshold : {4u, 6u, 64u}) {
    ScopedSetting<limbs::Size> setting(limbs::recursiveDivisionThreshold, threshold);
    for (BigUnsigned::Index nb : {8u, 16u, 24u, 33u, 64u, 150u}) {
      for (int ones : {1, 2, 3, 5, 8, 16, 40, 130}) {
        BigUnsigned b = source.magnitude(nb);
        b.setBit(32 * nb - 1, true);
        BigUnsigned q0 = (BigUnsigned(1) << (64 * ones)) - BigUnsigned(1);
        BigUnsigned product = b * q0;
        for (int variant = 0; variant < 3; ++variant) {
          BigUnsigned a = variant == 0 ? product : variant == 1 ? product - BigUnsigned(1) : product + b - BigUnsigned(1);
          BigUnsigned r = a, q;
          r.divideWithRemainder(b, q);
          mpz_class ga = toMpz(a), gb = toMpz(b);
          ASSERT_EQ(toMpz(q), mpz_class(ga / gb)) << nb << " " << ones << " " << variant;
          ASSERT_EQ(toMpz(r), mpz_class(ga % gb));
        }
      }
    }
  }
}

// The chunk counts at which the split rule gains a level: the smallest count with each number
// of levels, found by bisection on the (monotone) level count.
std::vector<std::size_t> levelStarts(std::size_t maxChunks) {
  std::vector<std::size_t> starts;
  for (std::size_t levels = 1;; ++levels) {
    std::size_t lo = 1, hi = maxChunks + 1;  // first count in [lo, hi) with that many levels
    while (lo < hi) {
      const std::size_t mid = (lo + hi) / 2;
      if (radix::splitChunks(mid).size() >= levels) hi = mid; else lo = mid + 1;
    }
    if (lo > maxChunks) return starts;
    starts.push_back(lo);
  }
}

// Decimal text of lengths around the points where the conversion changes shape: multiples
// 19 * 2^k of the one-limb chunk (where powers of the chunk square), and the chunk counts at which
// the split rule gains a level, each with a few digits and a few chunks either way. Random digits
// and runs of nines, against GMP.
TEST(DecimalText, AroundEverySplitPoint) {
  const long kChunkDigits = static_cast<long>(radix::chunkFor(10).digits);
  ASSERT_EQ(kChunkDigits, 19);  // 10^19 is the largest power of ten in a limb
  constexpr long kMaxDigits = 80000;
  std::vector<long> points;
  for (long k = 0; kChunkDigits << k <= kMaxDigits; ++k) points.push_back(kChunkDigits << k);
  for (std::size_t chunks : levelStarts(std::size_t(kMaxDigits / kChunkDigits)))
    points.push_back(static_cast<long>(chunks) * kChunkDigits);
  std::vector<long> lengths;
  for (long point : points)
    for (long delta : {-3 * kChunkDigits, -kChunkDigits, -1L, 0L, 1L, kChunkDigits, 3 * kChunkDigits})
      if (point + delta > 0 && point + delta <= kMaxDigits) lengths.push_back(point + delta);
  std::mt19937 rng(1999);
  std::uniform_int_distribution<int> digit(0, 9), leading(1, 9);
  for (long length : lengths) {
    std::string random(static_cast<std::size_t>(length), '9');
    for (char& c : random) c = char('0' + digit(rng));
    random[0] = char('0' + leading(rng));
    for (const std::string& text : {random, std::string(static_cast<std::size_t>(length), '9')}) {
      const mpz_class g(text, 10);
      const BigUnsigned x = testing_support::magnitudeFromMpz(g);
      ASSERT_EQ(bigUnsignedToString(x), text) << length << " digits";
      ASSERT_EQ(bigIntegerToString(BigInteger(x, BigInteger::negative)), "-" + text);
      ASSERT_EQ(stringToBigUnsigned(text), x) << length << " digits";
    }
  }
}

// Walks the split tree of a number of `chunks` chunks: every node at depth t of c chunks above
// the basecase splits into a high part of c - m_t chunks and a low part of m_t, where the high
// part is never longer than the low one and shorter by at most t + 1 chunks.
void checkBalanced(const std::vector<std::size_t>& m, std::size_t c, std::size_t t, std::size_t chunks) {
  if (t >= m.size() || c <= m[t]) return;
  const std::size_t high = c - m[t], low = m[t];
  ASSERT_LE(high, low) << chunks << " chunks, depth " << t;
  ASSERT_LE(low - high, t + 1) << chunks << " chunks, depth " << t;
  checkBalanced(m, high, t + 1, chunks);
  checkBalanced(m, low, t + 1, chunks);
}

// The split rule is balanced for every size, at the default basecase and at low ones.
TEST(DecimalText, SplitIsBalancedForEverySize) {
  for (std::size_t threshold : {1u, 2u, 5u, 24u}) {
    ScopedSetting<std::size_t> setting(radix::basecaseLimbs, threshold);
    for (std::size_t chunks = 1; chunks <= 5000; ++chunks) {
      const std::vector<std::size_t> m = radix::splitChunks(chunks);
      for (std::size_t t = 0; t < m.size(); ++t) {
        ASSERT_EQ(m[t], ((t == 0 ? chunks : m[t - 1]) + 1) / 2);
        ASSERT_GT(t == 0 ? chunks : m[t - 1], threshold);
      }
      ASSERT_LE(m.empty() ? chunks : m.back(), threshold);
      checkBalanced(m, chunks, 0, chunks);
    }
  }
}

// Decimal text of every length from 1 to 60 blocks (across the stack-made short text, the
// one-limb basecase and the first split), of all-ones values, a lone top bit and random
// blocks, both signs, at the default basecase and a low one.
TEST(DecimalText, EveryShortLengthAgreesWithGmp) {
  OperandSource source(4242);
  for (std::size_t threshold : {radix::basecaseLimbs, std::size_t(3)}) {
    ScopedSetting<std::size_t> setting(radix::basecaseLimbs, threshold);
    for (BigUnsigned::Index n = 1; n <= 60; ++n) {
      for (int kind = 0; kind < 3; ++kind) {
        const BigUnsigned random = source.magnitude(n);
        std::vector<BigUnsigned::Blk> blocks(n, kind == 1 ? 0xFFFFFFFFu : 0u);
        if (kind == 0) blocks.assign(random.blocks, random.blocks + n);
        if (kind == 2) blocks[n - 1] = 0x80000000u;
        blocks[n - 1] |= 1u;  // normal form: a non-zero top block
        const BigUnsigned x(blocks.data(), n);
        const std::string expected = toMpz(x).get_str(10);
        ASSERT_EQ(bigUnsignedToString(x), expected) << n << " blocks, kind " << kind;
        ASSERT_EQ(bigIntegerToString(BigInteger(x, BigInteger::negative)), "-" + expected);
        ASSERT_EQ(stringToBigUnsigned(expected), x);
      }
    }
  }
}

// Conversions in a row reuse the powers of the one before (a matrix display converts many
// entries of about one length): equal lengths, lengths a few blocks apart whose splits share
// only their lower exponents, other bases in between, and a changed basecase, against GMP.
TEST(DecimalText, ConversionsInARowAgreeWithGmp) {
  OperandSource source(777);
  const BigUnsigned::Index lengths[] = {400, 400, 401, 397, 400, 800, 200, 403, 64, 400};
  for (std::size_t threshold : {radix::basecaseLimbs, std::size_t(4)}) {
    ScopedSetting<std::size_t> setting(radix::basecaseLimbs, threshold);
    for (BigUnsigned::Index n : lengths) {
      const BigUnsigned x = source.magnitude(n);
      ASSERT_EQ(bigUnsignedToString(x), toMpz(x).get_str(10)) << n << " blocks";
      // Digits in base 10 and another base, in turn, through the digit arrays.
      const unsigned other = n % 2 == 1 ? 7 : 10;
      ASSERT_EQ(std::string(BigUnsignedInABase(x, BigUnsignedInABase::Base(other))),
                toMpz(x).get_str(int(other)))
          << n << " blocks, base " << other;
    }
  }
}

// The chunk table: the largest power of the base in one limb, for every base of the table and a
// few wider ones.
TEST(DecimalText, ChunkTableHoldsTheLargestPowerInALimb) {
  for (unsigned base : {2u, 3u, 7u, 10u, 16u, 35u, 36u, 37u, 1000u, 65535u}) {
    const radix::Chunk chunk = radix::chunkFor(base);
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), base, chunk.digits);
    ASSERT_EQ(mpz_sizeinbase(power.get_mpz_t(), 2) <= 64, true) << base;
    ASSERT_EQ(power, mpz_class(std::to_string(chunk.power))) << base;
    ASSERT_GT(mpz_sizeinbase(mpz_class(power * base).get_mpz_t(), 2), 64u) << base;
  }
}

// Powers of ten and of two and their neighbours: digit runs of zeros and nines.
TEST(DecimalText, PowersAndNeighbours) {
  for (std::size_t threshold : {2u, 24u}) {
    ScopedSetting<std::size_t> setting(radix::basecaseLimbs, threshold);
    for (unsigned k : {1u, 9u, 10u, 19u, 20u, 38u, 100u, 500u, 1234u, 5000u}) {
      mpz_class ten, two;
      mpz_ui_pow_ui(ten.get_mpz_t(), 10, k);
      mpz_ui_pow_ui(two.get_mpz_t(), 2, k);
      mpz_class small;  // a value far below the split powers, but longer than the basecase
      mpz_ui_pow_ui(small.get_mpz_t(), 10, k / 4);
      for (const mpz_class& g : {mpz_class(ten - 1), ten, mpz_class(ten + 1), mpz_class(two - 1), two,
                                 mpz_class(two + 1), mpz_class(ten * ten + 7), mpz_class(ten + 7 * small)}) {
        BigUnsigned x = testing_support::magnitudeFromMpz(g);
        ASSERT_EQ(bigUnsignedToString(x), g.get_str(10)) << k;
        ASSERT_EQ(stringToBigUnsigned(g.get_str(10)), x);
      }
    }
  }
}

// The multiply-accumulate loops without mulx/adcx/adox, as on processors that lack them.
TEST(PortableLoops, ProductsAndDivisionsAgreeWithGmp) {
  OperandSource source(1618);
  ScopedSetting<bool> setting(limbs::useMulxAdx, false);
  for (BigUnsigned::Index na : {3u, 9u, 40u, 100u, 333u}) {
    for (BigUnsigned::Index nb : {3u, 8u, 41u, 160u}) {
      BigUnsigned a = source.magnitude(na + nb), b = source.magnitude(nb);
      mpz_class ga = toMpz(a), gb = toMpz(b);
      ASSERT_EQ(toMpz(a * b), ga * gb);
      BigUnsigned r = a, q;
      r.divideWithRemainder(b, q);
      ASSERT_EQ(toMpz(q), mpz_class(ga / gb));
      ASSERT_EQ(toMpz(r), mpz_class(ga % gb));
    }
  }
}

TEST(PortableLoops, RowsAgreeWithGmp) {
  OperandSource source(2718);
  ScopedSetting<bool> setting(limbs::useMulxAdx, false);
  checkWideRows(source);
  checkSubtractProducts(source);
  checkSchoolbookRows(source);
}

}  // namespace
