// Long products of limbs: fixed small products, schoolbook, Karatsuba and Toom-3, and the
// choice between them by the shorter operand's length.
//
// What they compute. multiply(r, a, an, b, bn) stores the an + bn limbs of a b in r. Each
// method is exact: it writes the same limbs as schoolbook, only with fewer limb products.
//
// Schoolbook: one row r += a b[j] per limb of the shorter operand, an bn limb products. The
// invariant after row j is r[0 .. an + j] = a (b[0] + ... + b[j] B^j); each row's carry is a
// single limb (see LimbKernels.cpp), stored straight above the row, where no earlier row wrote.
//
// Karatsuba (Karatsuba and Ofman, 1962): with a = a1 B^h + a0, b = b1 B^h + b0,
//   a b = a0 b0 + (a0 b0 + a1 b1 + (a0 - a1)(b1 - b0)) B^h + a1 b1 B^2h,
// three half-size products instead of four. The differences are taken as absolute values with
// their signs kept apart, so they need no carry limb; the middle term is non-negative, and
// all sums are done modulo B^2n, which is exact because the true product fits in 2n limbs.
//
// Toom-3 (Toom 1963, Cook 1966; points and interpolation sequence after Bodrato and Zanoni,
// "Integer and polynomial multiplication: towards optimal Toom-Cook matrices", ISSAC 2007):
// a and b are cut into three parts, read
// as polynomials of degree 2 in X = B^k, evaluated at 0, 1, -1, -2 and infinity; five products
// of about n / 3 limbs give the product polynomial's five values, from which its coefficients
// follow by exact divisions by 2 and 3. Intermediate values go negative, so the middle
// coefficients are computed as two's complement numbers of 2k + 2 limbs, wide enough for
// every intermediate: the invariant of the interpolation is that each step's true value fits
// that width as a signed number, so the arithmetic modulo B^(2k+2) is exact.
//
// The choice. Below karatsubaThreshold limbs in the shorter operand, schoolbook; from
// toom3Threshold on, Toom-3; between, Karatsuba. The recursion calls back into the same choice
// on its pieces. An unbalanced product is cut into pieces of the shorter operand's length.
// All scratch comes from one block sized by multiplyScratch before the recursion starts, not
// cleared, since every limb is written before it is read.
//
// Aliasing. r overlaps neither operand; the operands may be the same limbs (a square). The
// interpolation kernels allow r to be a or b.
#include "LimbArithmetic.h"

#include <algorithm>
#include <cstring>

namespace limbs {

// Measured on whole products of 64 to 2000 limbs with thresholds 16 to 80: 24 to 32 are
// fastest (3 to 6% ahead of 60, where it stood before the scratch stopped being cleared).
Size karatsubaThreshold = 32;
// Measured on balanced products against Karatsuba (minimum of many runs): Toom-3 is 5 to 12%
// faster from about 140 limbs on; at 128 and 136 Karatsuba, whose halves stay even down to its
// threshold, is as fast or faster.
Size toom3Threshold = 140;

// The kernels of Toom-3's interpolation.

Limb negatedSum(Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
  // -(a + b) = ~(a + b) + 1: the sum on the carry-chain kernel, then a complement (no carried
  // chain, so it vectorises) and an increment that mostly stops at the first limb.
  Limb carry = addN(r, a, b, bn);
  carry = add1(r + bn, a + bn, an - bn, carry);
  for (Size i = 0; i < an; ++i) r[i] = ~r[i];
  Limb wrapped = add1(r, r, an, 1);  // set only when the low an limbs of the sum were 0
  return carry + 1 - wrapped;
}

namespace {

// x >> 1 as an arithmetic shift, in place; the loop has no carried chain, so it vectorises.
void halveInPlace(Limb* x, Size n) {
  for (Size i = 0; i + 1 < n; ++i) x[i] = (x[i] >> 1) | (x[i + 1] << 63);
  x[n - 1] = Limb(static_cast<std::int64_t>(x[n - 1]) >> 1);
}

}  // namespace

// The sum or difference on the carry-chain kernel, then the shift: two passes, but faster
// than one whose shift waits for each limb of the chain.
void halvedSum(Limb* r, const Limb* a, const Limb* b, Size n) {
  addN(r, a, b, n);
  halveInPlace(r, n);
}
void halvedDifference(Limb* r, const Limb* a, const Limb* b, Size n) {
  subN(r, a, b, n);
  halveInPlace(r, n);
}

namespace {

// (a - b) / 3, or -(a + b) / 3 when Negated: the difference or sum on the carry-chain kernel,
// then the division. The inverse of 3 modulo B^n is -(B^n - 1) / 3 = -t (1 + B + ... +
// B^(n-1)) with t = (B - 1) / 3, so x / 3 = -(x t)(1 + B + ...): a running difference h of the
// limbs of x t (a running sum for -x / 3). The products are independent of each other, so the
// loop-carried chain is two subtractions per limb, where multiplying each limb by the inverse
// in turn would wait for every product. For exact quotients the second subtraction never
// borrows (nor the second addition carries).
template <bool Negated>
void combinationDividedBy3(Limb* r, const Limb* a, const Limb* b, Size n) {
  const Limb third = ~Limb(0) / 3;
  if (Negated) {
    addN(r, a, b, n);
  } else {
    subN(r, a, b, n);
  }
  Limb h = 0;
  for (Size i = 0; i < n; ++i) {
    DLimb p = DLimb(r[i]) * third;
    Limb low = Limb(p), high = Limb(p >> 64);
    if (Negated) {
      h += low;
      r[i] = h;
      h += high + (h < low);
    } else {
      Limb borrow = h < low;
      h -= low;
      r[i] = h;
      h = h - high - borrow;
    }
  }
}

}  // namespace

void differenceDividedBy3(Limb* r, const Limb* a, const Limb* b, Size n) {
  combinationDividedBy3<false>(r, a, b, n);
}
void negatedSumDividedBy3(Limb* r, const Limb* a, const Limb* b, Size n) {
  combinationDividedBy3<true>(r, a, b, n);
}

namespace {

// Products of at most four by four limbs, column by column into a three-limb accumulator,
// with the loops unrolled for each pair of sizes.
template <Size AN, Size BN>
void multiplyFixed(Limb* r, const Limb* a, const Limb* b) {
  Limb c0 = 0, c1 = 0, c2 = 0;
#pragma GCC unroll 8
  for (Size k = 0; k + 1 < AN + BN; ++k) {
#pragma GCC unroll 4
    for (Size i = 0; i < AN; ++i) {
      if (k < i || k - i >= BN) continue;
      DLimb p = DLimb(a[i]) * b[k - i];
      Limb s0, s1;
      unsigned char c = addWithCarry(0, c0, Limb(p), &s0);
      c = addWithCarry(c, c1, Limb(p >> 64), &s1);
      c0 = s0;
      c1 = s1;
      c2 += c;
    }
    r[k] = c0;
    c0 = c1;
    c1 = c2;
    c2 = 0;
  }
  r[AN + BN - 1] = c0;
}

typedef void (*FixedProduct)(Limb*, const Limb*, const Limb*);

#define LIMBS_FIXED_ROW(A) \
  { multiplyFixed<A, 1>, multiplyFixed<A, 2>, multiplyFixed<A, 3>, multiplyFixed<A, 4> }
const FixedProduct kFixedProducts[4][4] = {LIMBS_FIXED_ROW(1), LIMBS_FIXED_ROW(2), LIMBS_FIXED_ROW(3),
                                           LIMBS_FIXED_ROW(4)};
#undef LIMBS_FIXED_ROW

// an >= bn: the longer operand runs in the inner loop.
void schoolbook(Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
  r[an] = mul1(r, a, an, b[0]);
  if (bn > 1) addMulRows(r + 1, a, an, b + 1, bn - 1);
}

// Compares x (xn limbs) with y (yn limbs); either may carry leading zero limbs.
int compareUnequal(const Limb* x, Size xn, const Limb* y, Size yn) {
  for (; xn > yn; --xn)
    if (x[xn - 1] != 0) return 1;
  for (; yn > xn; --yn)
    if (y[yn - 1] != 0) return -1;
  return compareN(x, y, xn);
}

// r = x - y for x >= y; r gets max(xn, yn) limbs.
void subtractPadded(Limb* r, const Limb* x, Size xn, const Limb* y, Size yn) {
  if (xn >= yn) {
    Limb borrow = subN(r, x, y, yn);
    sub1(r + yn, x + yn, xn - yn, borrow);
  } else {
    subN(r, x, y, xn);  // y's limbs above xn are zero
    std::memset(r + xn, 0, sizeof(Limb) * (yn - xn));
  }
}

// r = |x - y| in max(xn, yn) limbs; returns true when x < y.
bool absDifference(Limb* r, const Limb* x, Size xn, const Limb* y, Size yn) {
  if (compareUnequal(x, xn, y, yn) >= 0) {
    subtractPadded(r, x, xn, y, yn);
    return false;
  }
  subtractPadded(r, y, yn, x, xn);
  return true;
}

// Toom-3 needs operands of at least 5 limbs, so that the top part has a limb.
constexpr Size kToom3MinimumLimbs = 5;

bool useToom3(Size n) { return n >= toom3Threshold && n >= kToom3MinimumLimbs; }

// Limbs of scratch that a balanced product of n limbs needs, recursion included. A bound that
// grows with n: each level takes what Karatsuba or Toom-3 would take at most, and every
// operand of the recursion has at most ceil(n / 2) limbs.
Size multiplyScratch(Size n) {
  if (n < karatsubaThreshold) return 0;
  Size half = n - n / 2;
  Size third = (n + 2) / 3;
  Size karatsubaLevel = 4 * half;      // two differences and their product
  Size toomLevel = 12 * third + 12;    // six evaluations of k + 1 limbs, three products of 2k + 2
  return std::max(karatsubaLevel, toomLevel) + multiplyScratch(half);
}

void multiplyBalanced(Limb* r, const Limb* a, const Limb* b, Size n, Limb* scratch);

// Karatsuba on two n-limb operands (n >= 2): a = a1 B^h + a0, b = b1 B^h + b0 with h the
// lower half, the longer one (k = n - h is h or h - 1). a0 b1 + a1 b0 = a0 b0 + a1 b1 +
// (a0 - a1)(b1 - b0), so three half-size products suffice, and the differences need no carry
// limb. With z0 = L0 + H0 B^h and z2 = L2 + H2 B^h (L0, H0, L2 of h limbs),
//   r = z0 + (z0 + z2) B^h + z2 B^2h +- mid B^h
//     = L0 + (S + L0) B^h + (S + H2) B^2h + H2 B^3h +- mid B^h,  S = H0 + L2,
// so the middle sum is three passes of h limbs over r itself, then one for mid. Carries out
// of the top are dropped: the sum is exact modulo B^2n, and the product fits.
void karatsuba(Limb* r, const Limb* a, const Limb* b, Size n, Limb* scratch) {
  const Size k = n / 2, h = n - k;
  const Limb *a0 = a, *a1 = a + h, *b0 = b, *b1 = b + h;
  Limb* da = scratch;        // h limbs
  Limb* db = da + h;         // h limbs
  Limb* mid = db + h;        // 2h limbs
  Limb* rest = mid + 2 * h;  // the recursion

  const bool aNeg = absDifference(da, a0, h, a1, k);  // a0 < a1
  const bool bNeg = absDifference(db, b1, k, b0, h);  // b1 < b0
  multiplyBalanced(mid, da, db, h, rest);        // |a0 - a1| |b1 - b0|
  multiplyBalanced(r, a0, b0, h, rest);          // z0 in r[0, 2h)
  multiplyBalanced(r + 2 * h, a1, b1, k, rest);  // z2 in r[2h, 2n)

  Limb* const q1 = r + h;       // H0, then S + L0
  Limb* const q2 = r + 2 * h;   // L2, then S, then S + H2
  Limb* const h2 = r + 3 * h;   // H2, 2k - h limbs
  const Size h2n = 2 * k - h;
  const Limb cS = addN(q2, q1, q2, h);
  const Limb c1 = addN(q1, r, q2, h);
  Limb c2 = addN(q2, q2, h2, h2n);  // writes below what it reads: h2n <= h
  c2 = add1(q2 + h2n, q2 + h2n, h - h2n, c2);
  add1(q2, q2, 2 * n - 2 * h, cS + c1);
  add1(h2, h2, h2n, cS + c2);
  const Size above = 2 * n - 3 * h;  // limbs of r above mid's reach
  if (aNeg == bNeg) {
    add1(h2, h2, above, addN(q1, q1, mid, 2 * h));
  } else {
    sub1(h2, h2, above, subN(q1, q1, mid, 2 * h));
  }
}

// r = x << bits for 0 < bits < 64 over n >= 1 limbs; returns the bits shifted out. No
// carried chain, so the loop vectorises.
Limb shiftLeftInto(Limb* r, const Limb* x, Size n, unsigned bits) {
  Limb out = x[n - 1] >> (64 - bits);
  for (Size i = n - 1; i > 0; --i) r[i] = (x[i] << bits) | (x[i - 1] >> (64 - bits));
  r[0] = x[0] << bits;
  return out;
}

// a0 + a1 X + a2 X^2 (parts of k, k and s limbs) at 1, -1 and -2: a(1) in p1, |a(-1)| in m1,
// |a(-2)| in m2, k + 1 limbs each; returns the signs of a(-1) and a(-2) as bits 0 and 1 (set
// when negative). The comparisons that give the signs mostly end at the top limb.
unsigned evaluateToom3(Limb* p1, Limb* m1, Limb* m2, const Limb* a, Size k, Size s) {
  const Limb *a0 = a, *a1 = a + k, *a2 = a + 2 * k;
  unsigned signs = 0;
  // a(-2) = (a0 + 4 a2) - 2 a1, with 2 a1 in p1 for the while.
  Limb high = shiftLeftInto(m2, a2, s, 2);
  high += addN(m2, m2, a0, s);
  m2[k] = add1(m2 + s, a0 + s, k - s, high);
  p1[k] = shiftLeftInto(p1, a1, k, 1);
  if (compareN(m2, p1, k + 1) < 0) {
    subN(m2, p1, m2, k + 1);
    signs |= 2;
  } else {
    subN(m2, m2, p1, k + 1);
  }
  // a0 + a2 in m1, then a(1) = a0 + a2 + a1 and a(-1) = a0 + a2 - a1.
  Limb carry = addN(m1, a0, a2, s);
  m1[k] = add1(m1 + s, a0 + s, k - s, carry);
  p1[k] = m1[k] + addN(p1, m1, a1, k);
  if (m1[k] == 0 && compareN(m1, a1, k) < 0) {
    subN(m1, a1, m1, k);
    signs |= 1;
  } else {
    m1[k] -= subN(m1, m1, a1, k);
  }
  return signs;
}

// r (2k + 2 limbs) = x y for k + 1 limb operands whose top limbs are small (at most 4): a
// k-limb product, then the top limbs' rows added in, which is cheaper than a product of
// k + 1 limbs (and keeps the recursion on the sizes that Toom-3 split).
void multiplyEvaluations(Limb* r, const Limb* x, const Limb* y, Size k, Limb* scratch) {
  multiplyBalanced(r, x, y, k, scratch);
  Limb top = x[k] * y[k];
  if (x[k] != 0) top += addMul1(r + k, y, k, x[k]);
  if (y[k] != 0) top += addMul1(r + k, x, k, y[k]);
  r[2 * k] = top;
  r[2 * k + 1] = 0;
}

// Adds the n-limb x into r[0, rn) (rn >= n), carrying upwards; the sum fits.
void addInto(Limb* r, Size rn, const Limb* x, Size n) {
  Limb carry = addN(r, r, x, n);
  add1(r + n, r + n, rn - n, carry);
}

// Toom-3 on two n-limb operands (n >= 5): a = a0 + a1 X + a2 X^2 with X = B^k, k = ceil(n / 3),
// the top part of s = n - 2k limbs, and b likewise. The product c = c0 + c1 X + ... + c4 X^4
// is interpolated from its values at 0, 1, -1, -2 and infinity (five products of about n / 3
// limbs instead of Karatsuba's three of n / 2). The middle coefficients are computed as
// two's complement numbers of w = 2k + 2 limbs, because intermediate values go negative.
void toom3(Limb* r, const Limb* a, const Limb* b, Size n, Limb* scratch) {
  const Size k = (n + 2) / 3, s = n - 2 * k, w = 2 * k + 2;
  Limb* ap1 = scratch;      // a(1), |a(-1)|, |a(-2)|, b(1), |b(-1)|, |b(-2)|: k + 1 limbs each
  Limb* am1 = ap1 + (k + 1);
  Limb* am2 = am1 + (k + 1);
  Limb* bp1 = am2 + (k + 1);
  Limb* bm1 = bp1 + (k + 1);
  Limb* bm2 = bm1 + (k + 1);
  Limb* v1 = bm2 + (k + 1);  // the products at 1, -1 and -2: w limbs each
  Limb* vm1 = v1 + w;
  Limb* vm2 = vm1 + w;
  Limb* rest = vm2 + w;  // the recursion

  unsigned aSigns = evaluateToom3(ap1, am1, am2, a, k, s);
  unsigned bSigns = evaluateToom3(bp1, bm1, bm2, b, k, s);
  const bool vm1Negative = ((aSigns ^ bSigns) & 1) != 0;
  const bool vm2Negative = ((aSigns ^ bSigns) & 2) != 0;

  Limb* v0 = r;             // 2k limbs
  Limb* vinf = r + 4 * k;   // 2s limbs
  multiplyBalanced(v0, a, b, k, rest);
  multiplyBalanced(vinf, a + 2 * k, b + 2 * k, s, rest);
  multiplyEvaluations(v1, ap1, bp1, k, rest);
  multiplyEvaluations(vm1, am1, bm1, k, rest);
  multiplyEvaluations(vm2, am2, bm2, k, rest);

  // The interpolation: with r1, r2, r3 in v1, vm1, vm2 it ends with c1, c2, c3 there.
  // r3 = (v(-2) - v(1)) / 3
  if (vm2Negative) {
    negatedSumDividedBy3(vm2, vm2, v1, w);
  } else {
    differenceDividedBy3(vm2, vm2, v1, w);
  }
  // r1 = (v(1) - v(-1)) / 2
  if (vm1Negative) {
    halvedSum(v1, v1, vm1, w);
  } else {
    halvedDifference(v1, v1, vm1, w);
  }
  // r2 = v(-1) - v(0)
  if (vm1Negative) {
    negatedSum(vm1, vm1, w, v0, 2 * k);
  } else {
    Limb borrow = subN(vm1, vm1, v0, 2 * k);
    sub1(vm1 + 2 * k, vm1 + 2 * k, 2, borrow);
  }
  // r3 = (r2 - r3) / 2 + 2 v(inf)
  halvedDifference(vm2, vm1, vm2, w);
  Limb high = addMul1(vm2, vinf, 2 * s, 2);
  add1(vm2 + 2 * s, vm2 + 2 * s, w - 2 * s, high);
  // r2 = r2 + r1 - v(inf), written straight to r[2k, 4k) (where nothing is yet) with its top
  // two limbs added to v(inf) above.
  addN(vm1, vm1, v1, w);
  Limb borrow = subN(r + 2 * k, vm1, vinf, 2 * s);
  borrow = sub1(r + 2 * k + 2 * s, vm1 + 2 * s, 2 * k - 2 * s, borrow);
  sub1(vm1 + 2 * k, vm1 + 2 * k, 2, borrow);
  // r1 = r1 - r3
  subN(v1, v1, vm2, w);

  // r = c0 + c1 X + c2 X^2 + c3 X^3 + c4 X^4, with c0, c4 and the low 2k limbs of c2 in
  // place; c1 and c2 have at most 2k + 1 limbs, c3 at most k + s + 1 <= 2n - 3k.
  addInto(r + 4 * k, 2 * s, vm1 + 2 * k, 2);
  addInto(r + k, 2 * n - k, v1, w);
  addInto(r + 3 * k, 2 * n - 3 * k, vm2, std::min(w, 2 * n - 3 * k));
}

void multiplyBalanced(Limb* r, const Limb* a, const Limb* b, Size n, Limb* scratch) {
  if (n < karatsubaThreshold) {
    schoolbook(r, a, n, b, n);
  } else if (useToom3(n)) {
    toom3(r, a, b, n, scratch);
  } else {
    karatsuba(r, a, b, n, scratch);
  }
}

}  // namespace

void multiply(Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
  if (an < bn) {
    std::swap(a, b);
    std::swap(an, bn);
  }
  if (an <= 4) {
    kFixedProducts[an - 1][bn - 1](r, a, b);
    return;
  }
  if (bn < karatsubaThreshold) {
    schoolbook(r, a, an, b, bn);
    return;
  }
  ScratchLimbs scratch(multiplyScratch(bn) + 2 * bn);  // not cleared: every limb is written first
  if (an == bn) {
    multiplyBalanced(r, a, b, bn, scratch.get());
    return;
  }
  // Unbalanced: a in pieces of bn limbs, each piece times b added in at its offset.
  Limb* piece = scratch.get() + multiplyScratch(bn);
  std::memset(r, 0, sizeof(Limb) * (an + bn));
  for (Size off = 0; off < an; off += bn) {
    Size pn = std::min(bn, an - off);
    if (pn == bn) {
      multiplyBalanced(piece, a + off, b, bn, scratch.get());
    } else {
      multiply(piece, b, bn, a + off, pn);
    }
    Limb carry = addN(r + off, r + off, piece, pn + bn);
    add1(r + off + pn + bn, r + off + pn + bn, an - off - pn, carry);
  }
}

}  // namespace limbs
