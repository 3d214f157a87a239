// Toom-3 products and the kernels of its interpolation, against GMP's mpn and mpz functions.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "GmpReference.h"
#include "LimbArithmetic.h"

using limbs::Limb;
using limbs::Size;
using testing_support::ScopedSetting;

namespace {

typedef std::vector<Limb> Limbs;

const Limb kOnes = ~Limb(0);

mpz_class unsignedValue(const Limb* x, Size n) {
  mpz_class z;
  mpz_import(z.get_mpz_t(), n, -1, sizeof(Limb), 0, 0, x);
  return z;
}

mpz_class power(Size limbCount) {
  mpz_class z;
  mpz_ui_pow_ui(z.get_mpz_t(), 2, 64 * limbCount);
  return z;
}

// The n limbs as a two's complement number.
mpz_class signedValue(const Limbs& x) {
  mpz_class z = unsignedValue(x.data(), x.size());
  if (x.back() >> 63) z -= power(x.size());
  return z;
}

// v modulo B^n in n limbs (two's complement for negative v).
Limbs toLimbs(mpz_class v, Size n) {
  mpz_class m = power(n);
  v %= m;
  if (v < 0) v += m;
  Limbs x(n, 0);
  size_t count = 0;
  mpz_export(x.data(), &count, -1, sizeof(Limb), 0, 0, v.get_mpz_t());
  return x;
}

// ---- Operands by their Toom-3 parts ----

// How the three parts a0, a1, a2 of an operand (a = a0 + a1 X + a2 X^2, X = B^k) are chosen,
// so that a(-1) = a0 - a1 + a2 and a(-2) = a0 - 2 a1 + 4 a2 take both signs and zero.
enum class Parts {
  allOnes,        // every limb all ones: the longest carries
  random,         // random limbs
  middleHeavy,    // a1 all ones, a0 and a2 one small limb: both evaluations negative
  outerHeavy,     // a0 and a2 all ones, a1 zero: both positive
  minusOneZero,   // a1 = a0 + a2: a(-1) = 0, a(-2) = -a0 + 2 a2
  minusTwoZero,   // a0 = 2 a1 - 4 a2: a(-2) = 0, a(-1) = a1 - 3 a2
  mixedSigns,     // a1 = a0 + a2 + 1 with a2 larger than a0: a(-1) = -1, a(-2) > 0
};
const Parts kAllParts[] = {Parts::allOnes,      Parts::random,       Parts::middleHeavy, Parts::outerHeavy,
                           Parts::minusOneZero, Parts::minusTwoZero, Parts::mixedSigns};

class ToomOperands {
 public:
  explicit ToomOperands(std::uint64_t seed) : rng(seed) {}

  // An n-limb operand (n >= 5) whose parts at Toom-3's split k = ceil(n / 3) follow the kind.
  Limbs make(Parts kind, Size n) {
    const Size k = (n + 2) / 3, s = n - 2 * k;
    mpz_class a0, a1, a2;
    switch (kind) {
      case Parts::allOnes:
        return Limbs(n, kOnes);
      case Parts::random: {
        Limbs x(n);
        for (auto& limb : x) limb = rng();
        return x;
      }
      case Parts::middleHeavy:
        a0 = 1;
        a1 = power(k) - 1;
        a2 = 2;
        break;
      case Parts::outerHeavy:
        a0 = power(k) - 1;
        a1 = 0;
        a2 = power(s) - 1;
        break;
      case Parts::minusOneZero:
        // a0 and a2 below B^k / 2, so their sum fits in k limbs.
        a0 = random(k) / 2;
        a2 = random(s) / 2;
        a1 = a0 + a2;
        break;
      case Parts::minusTwoZero:
        // a1 in [B^k / 4, B^k / 2) and 4 a2 <= a1, so that 0 <= 2 a1 - 4 a2 < B^k.
        a1 = power(k) / 4 + random(k) / 4;
        a2 = (s < k ? random(s) : mpz_class(random(k) / 16)) / 4;
        a0 = 2 * a1 - 4 * a2;
        break;
      case Parts::mixedSigns:
        // a2 in [B^s / 8, 3 B^s / 8), so that a1 < 9 B^s / 16 + 1 fits.
        a2 = random(s) / 4 + power(s) / 8;
        a0 = a2 / 2;
        a1 = a0 + a2 + 1;
        break;
    }
    Limbs x(n, 0);
    place(x, a0, 0, k);
    place(x, a1, k, k);
    place(x, a2, 2 * k, s);
    return x;
  }

 private:
  std::mt19937_64 rng;

  mpz_class random(Size limbCount) {
    Limbs x(limbCount);
    for (auto& limb : x) limb = rng();
    return unsignedValue(x.data(), limbCount);
  }

  static void place(Limbs& x, const mpz_class& part, Size offset, Size count) {
    ASSERT_GE(part, 0);
    ASSERT_LT(part, power(count));
    Limbs limbs = toLimbs(part, count);
    std::copy(limbs.begin(), limbs.end(), x.begin() + offset);
  }
};

void expectProductAgrees(const Limbs& a, const Limbs& b, const std::string& what) {
  const Size an = a.size(), bn = b.size();
  Limbs ours(an + bn), theirs(an + bn);
  limbs::multiply(ours.data(), a.data(), an, b.data(), bn);
  if (an >= bn) {
    mpn_mul(theirs.data(), a.data(), an, b.data(), bn);
  } else {
    mpn_mul(theirs.data(), b.data(), bn, a.data(), an);
  }
  ASSERT_EQ(ours, theirs) << what;
}

// Thresholds low enough that the operands below recurse through several levels of Toom-3
// (n, then about n / 3, n / 9) and then Karatsuba and schoolbook.
struct Thresholds {
  Size karatsuba, toom3;
};
const Thresholds kLowThresholds[] = {{2, 5}, {4, 9}, {8, 12}, {8, 30}};

// Products of n = 3k, 3k - 1 and 3k - 2 limbs for several k, where the top part has k, k - 1
// and k - 2 limbs, on every pair of operand kinds.
void checkSplits(std::uint64_t seed) {
  ToomOperands operands(seed);
  for (const Thresholds& t : kLowThresholds) {
    ScopedSetting<Size> karatsuba(limbs::karatsubaThreshold, t.karatsuba);
    ScopedSetting<Size> toom3(limbs::toom3Threshold, t.toom3);
    for (Size k : {3u, 4u, 5u, 8u, 13u, 22u, 41u, 67u}) {
      for (Size n : {3 * k, 3 * k - 1, 3 * k - 2}) {
        for (Parts pa : kAllParts) {
          for (Parts pb : kAllParts) {
            Limbs a = operands.make(pa, n), b = operands.make(pb, n);
            expectProductAgrees(a, b,
                                "n " + std::to_string(n) + " kinds " + std::to_string(int(pa)) + " x " +
                                    std::to_string(int(pb)) + " thresholds " + std::to_string(t.karatsuba) +
                                    "/" + std::to_string(t.toom3));
          }
        }
      }
    }
  }
}

TEST(LimbToom3, ProductsAroundEverySplitAgreeWithGmp) { checkSplits(31337); }

// The squares and products at the default thresholds, above and below Toom-3's.
TEST(LimbToom3, DefaultThresholdProductsAgreeWithGmp) {
  ToomOperands operands(2024);
  const Size t = limbs::toom3Threshold;
  for (Size n : {t - 1, t, t + 1, 3 * t - 2, 3 * t, 9 * t + 1}) {
    for (Parts kind : kAllParts) {
      Limbs a = operands.make(kind, n), b = operands.make(Parts::random, n);
      expectProductAgrees(a, b, "n " + std::to_string(n) + " kind " + std::to_string(int(kind)));
      expectProductAgrees(a, a, "square, n " + std::to_string(n));
    }
  }
}

// Unbalanced products run on balanced pieces of the shorter operand's length, which go
// through Toom-3 too; the last piece is shorter.
TEST(LimbToom3, UnbalancedProductsAgreeWithGmp) {
  ToomOperands operands(99);
  ScopedSetting<Size> karatsuba(limbs::karatsubaThreshold, 4);
  ScopedSetting<Size> toom3(limbs::toom3Threshold, 9);
  for (Size bn : {9u, 10u, 26u, 40u}) {
    for (Size an : {bn + 1, 2 * bn, 3 * bn + 5, 7 * bn - 3}) {
      for (Parts kind : kAllParts) {
        Limbs a = operands.make(Parts::random, an), b = operands.make(kind, bn);
        expectProductAgrees(a, b, std::to_string(an) + " x " + std::to_string(bn));
      }
    }
  }
}

// The same products on the loops without mulx/adcx/adox.
TEST(PortableLoops, Toom3ProductsAgreeWithGmp) {
  ScopedSetting<bool> setting(limbs::useMulxAdx, false);
  checkSplits(4711);
}

// ---- The interpolation kernels ----

// Two's complement values of n limbs at the edges: zero, one, minus one, the extremes, the
// values next to them, alternating bit patterns, and one random value.
std::vector<Limbs> edgeValues(Size n, std::mt19937_64& rng) {
  std::vector<Limbs> values;
  auto withTop = [&](Limb low, Limb middle, Limb top) {
    Limbs x(n, middle);
    x[0] = low;
    if (n == 1) {
      x[0] = top | (low & 1);
    } else {
      x[n - 1] = top;
    }
    values.push_back(x);
  };
  const Limb signBit = Limb(1) << 63;
  withTop(0, 0, 0);
  withTop(1, 0, 0);
  withTop(kOnes, kOnes, kOnes);                    // -1
  withTop(kOnes, kOnes, signBit - 1);              // the largest value
  withTop(0, 0, signBit);                          // the smallest
  withTop(1, 0, signBit);                          // one above it
  withTop(kOnes - 1, kOnes, signBit - 1);          // one below the largest
  withTop(0x5555555555555555, 0x5555555555555555, 0x1555555555555555);
  withTop(0xAAAAAAAAAAAAAAAB, 0xAAAAAAAAAAAAAAAA, 0xEAAAAAAAAAAAAAAA);
  Limbs x(n);
  for (auto& limb : x) limb = rng();
  values.push_back(x);
  return values;
}

// -(a + b) for unsigned operands, b possibly shorter, with the borrow out of the top limb.
TEST(LimbToom3Kernels, NegatedSumAgreesWithGmp) {
  std::mt19937_64 rng(7);
  for (Size an : {1u, 2u, 3u, 5u, 8u}) {
    for (Size bn = 0; bn <= an; ++bn) {
      for (const Limbs& a : edgeValues(an, rng)) {
        for (const Limbs& bFull : edgeValues(an, rng)) {
          Limbs b(bFull.begin(), bFull.begin() + bn), r(an);
          Limb borrow = limbs::negatedSum(r.data(), a.data(), an, b.data(), bn);
          mpz_class expected = -(unsignedValue(a.data(), an) + unsignedValue(b.data(), bn));
          ASSERT_EQ(unsignedValue(r.data(), an) - mpz_class(static_cast<unsigned long>(borrow)) * power(an),
                    expected)
              << an << " " << bn;
          ASSERT_LE(borrow, 2u);
        }
      }
    }
  }
}

// (a + b) / 2 and (a - b) / 2 rounded down, on signed values whose sum and difference fit,
// also in place.
TEST(LimbToom3Kernels, HalvingAgreesWithGmp) {
  std::mt19937_64 rng(8);
  for (Size n : {1u, 2u, 3u, 6u}) {
    for (Limbs a : edgeValues(n, rng)) {
      for (Limbs b : edgeValues(n, rng)) {
        // Halve both (an arithmetic shift of the edge values) so that a + b and a - b fit.
        mpz_class x = signedValue(a), y = signedValue(b);
        mpz_fdiv_q_2exp(x.get_mpz_t(), x.get_mpz_t(), 1);
        mpz_fdiv_q_2exp(y.get_mpz_t(), y.get_mpz_t(), 1);
        a = toLimbs(x, n);
        b = toLimbs(y, n);
        mpz_class sum = x + y, difference = x - y;
        mpz_fdiv_q_2exp(sum.get_mpz_t(), sum.get_mpz_t(), 1);
        mpz_fdiv_q_2exp(difference.get_mpz_t(), difference.get_mpz_t(), 1);
        Limbs r(n);
        limbs::halvedSum(r.data(), a.data(), b.data(), n);
        ASSERT_EQ(signedValue(r), sum) << "n " << n;
        limbs::halvedDifference(r.data(), a.data(), b.data(), n);
        ASSERT_EQ(signedValue(r), difference) << "n " << n;
        Limbs inPlace = a;
        limbs::halvedDifference(inPlace.data(), inPlace.data(), b.data(), n);
        ASSERT_EQ(signedValue(inPlace), difference) << "n " << n;
      }
    }
  }
}

// (a - b) / 3 and -(a + b) / 3 for exact quotients of every sign: a is made from the quotient
// q and b, and GMP's exact division checks the result.
TEST(LimbToom3Kernels, ExactDivisionBy3AgreesWithGmp) {
  std::mt19937_64 rng(9);
  for (Size n : {1u, 2u, 3u, 5u, 9u}) {
    for (const Limbs& qLimbs : edgeValues(n, rng)) {
      for (const Limbs& b : edgeValues(n, rng)) {
        // q within a third of the range, so that 3q fits as a signed n-limb value.
        mpz_class q = signedValue(qLimbs) / 3, y = signedValue(b);
        for (bool negated : {false, true}) {
          // The combination x = a - b (or -(a + b)) equals 3q, so a = b + 3q (or -3q - b).
          mpz_class a = negated ? mpz_class(-3 * q - y) : mpz_class(y + 3 * q);
          Limbs aLimbs = toLimbs(a, n), r(n);
          // The combination modulo B^n, as the kernels see it: 3q.
          mpz_class combination = negated ? mpz_class(-(signedValue(aLimbs) + y)) : mpz_class(signedValue(aLimbs) - y);
          combination = signedValue(toLimbs(combination, n));
          mpz_class expected;
          mpz_divexact_ui(expected.get_mpz_t(), combination.get_mpz_t(), 3);
          if (negated) {
            limbs::negatedSumDividedBy3(r.data(), aLimbs.data(), b.data(), n);
          } else {
            limbs::differenceDividedBy3(r.data(), aLimbs.data(), b.data(), n);
          }
          ASSERT_EQ(signedValue(r), expected) << "n " << n << (negated ? " negated" : "");
          ASSERT_EQ(expected, q) << "n " << n;
          // In place, as Toom-3 calls it.
          if (negated) {
            limbs::negatedSumDividedBy3(aLimbs.data(), aLimbs.data(), b.data(), n);
          } else {
            limbs::differenceDividedBy3(aLimbs.data(), aLimbs.data(), b.data(), n);
          }
          ASSERT_EQ(signedValue(aLimbs), q) << "n " << n;
        }
      }
    }
  }
}

}  // namespace
