// Division of limbs: by one limb (with a precomputed reciprocal), by Knuth's Algorithm D, and
// by recursive division (Burnikel and Ziegler) for long divisors and quotients.
//
// What they compute. divide(q, r, a, an, b, bn) finds q and r with a = q b + r, 0 <= r < b,
// for b with a non-zero top limb and an >= bn: q has an - bn + 1 limbs, r has bn limbs.
//
// One limb. Each quotient limb is (r u) / d for the running remainder r < d and the next limb
// u, a two-by-one division; after each step r < d again, so the next one is defined. For a
// normalised d (top bit set) the step is a multiplication by the reciprocal floor((B^2 - 1) /
// d) - B and at most two corrections (Moller and Granlund, "Improved division by invariant
// integers", IEEE Trans. Computers 2011); d is normalised by shifting the dividend on the fly.
//
// Algorithm D (Knuth, TAOCP vol. 2, 4.3.1; its step labels D1 to D8 mark the code). The
// divisor v is shifted so that its top bit is set (D1), which makes the estimate of each
// quotient limb from the top two limbs of the remainder over v's top limb at most two too
// large, and one test with v's second limb (D3) leaves it at most one too large, rarely
// (about 2 / B). The invariant of the loop on j (D2 to D7): before step j the window
// u[j .. j + vn] is below v B, so the quotient limb fits one limb; D4 subtracts q-hat v from
// it, and if that goes negative (D5) q-hat was one too large and v is added back once (D6),
// after which the window is below v again, which is the invariant for step j - 1 when the
// next limb is brought in. At the end u[0 .. vn) is the remainder, shifted back by D8.
//
// Recursive division (Burnikel and Ziegler, "Fast recursive division", MPI-I-98-1-022, 1998).
// A 2n-by-n division whose dividend is below b B^n is done as two 3-by-2 divisions of n / 2
// limb digits, each of which estimates its quotient digit from a (n / 2)-limb 2-by-1
// division of the top parts (the recursion) and corrects it by at most two, with the same
// argument as D3 (the divisor is normalised). The invariant is the same as Algorithm D's at
// digit size n / 2: every partial remainder is below the divisor. Below
// recursiveDivisionThreshold limbs, or at odd lengths, Algorithm D does the 2-by-1 step. A
// long division is done digit by digit with n-limb digits, each window of remainder and next
// digit by the 2-by-1 step; the divisor is padded at the bottom to n = j 2^k limbs so that the
// halves stay even down to the threshold, and the padding's zeros drop out of the remainder.
// Its products (q-hat times the low half of the divisor) are the long products of
// LimbMultiplication.cpp, which is where the speed comes from.
//
// Aliasing. divide's q and r overlap neither the operands nor each other; divRem1's q may be
// its dividend. Scratch is on the stack for short operands (ScratchLimbs), on the heap beyond.
#include "LimbArithmetic.h"

#include <cstring>
#include <vector>

namespace limbs {

// Measured with bench/bigint (limbsKnuth against limbsRecursiveOnce, 2n by n limbs).
Size recursiveDivisionThreshold = 64;

Limb divRem1(Limb* q, const Limb* a, Size n, Limb d) {
  if (n == 0) return 0;
  if (n <= 2) {
    // Too short to repay the reciprocal: the processor divides directly.
    Limb r = 0;
    for (Size i = n; i-- > 0;) {
      Limb x = a[i];  // q may be a
      if (r == 0 && x < d) {
        q[i] = 0;
        r = x;
      } else {
        q[i] = divide2by1Hardware(r, x, d, &r);
      }
    }
    return r;
  }
  int s = __builtin_clzll(d);
  Limb dn = d << s;
  Limb v = reciprocal(dn);
  Limb r = 0;
  if (s == 0) {
    for (Size i = n; i-- > 0;) q[i] = divide2by1(r, a[i], dn, v, &r);
    return r;
  }
  // The dividend shifted by s bits on the fly; the top s bits start the remainder.
  r = a[n - 1] >> (64 - s);
  for (Size i = n; i-- > 0;) {
    Limb low = (a[i] << s) | (i > 0 ? a[i - 1] >> (64 - s) : 0);
    q[i] = divide2by1(r, low, dn, v, &r);
  }
  return r >> s;
}

namespace {

// Knuth's Algorithm D on a normalised divisor v (vn >= 2 limbs, top bit set). u holds un + 1
// limbs, u[0 .. un], with u[un - vn + 1 .. un] < v. The quotient's un - vn + 1 limbs go to q;
// the remainder is left in u[0 .. vn).
void knuthDivide(Limb* q, Limb* u, Size un, const Limb* v, Size vn) {
  const Limb vTop = v[vn - 1], vNext = v[vn - 2];
  const Limb inverse = reciprocal(vTop);
  // D2 [Initialize j]: quotient limbs from the top down.
  for (Size j = un - vn + 1; j-- > 0;) {
    // D3 [Calculate q-hat]: from the top two limbs of the current remainder, then corrected
    // with the divisor's second limb; afterwards q-hat is at most one too large.
    Limb top = u[j + vn], qhat, rhat;
    bool rhatOverflow = false;
    if (top < vTop) {
      qhat = divide2by1(top, u[j + vn - 1], vTop, inverse, &rhat);
    } else {
      // top == vTop: the estimate B - 1, with rhat = (top, u) - (B - 1) vTop.
      qhat = ~Limb(0);
      rhat = u[j + vn - 1] + vTop;
      rhatOverflow = rhat < vTop;
    }
    while (!rhatOverflow && DLimb(qhat) * vNext > ((DLimb(rhat) << 64) | u[j + vn - 2])) {
      --qhat;
      rhat += vTop;
      rhatOverflow = rhat < vTop;
    }
    // D4 [Multiply and subtract]: u[j .. j+vn] -= q-hat v.
    Limb borrow = subMul1(u + j, v, vn, qhat);
    Limb t = u[j + vn] - borrow;
    bool negative = borrow > u[j + vn];
    u[j + vn] = t;
    // D5 [Test remainder]: a borrow out of the top limb means q-hat was one too large.
    if (negative) {
      // D6 [Add back]: rare (probability about 2/B); restore the remainder.
      --qhat;
      u[j + vn] += addN(u + j, u + j, v, vn);
    }
    q[j] = qhat;
    // D7 [Loop on j].
  }
}

void divide2n1n(Limb* q, Limb* r, const Limb* a, const Limb* b, Size n);

// Burnikel-Ziegler, three halves by two: a has 3m limbs (a1 a2 a3 from the top), b has 2m
// limbs (b1 b2), normalised, and a < b B^m. q gets m limbs, r gets 2m limbs.
void divide3n2n(Limb* q, Limb* r, const Limb* a, const Limb* b, Size m) {
  const Limb *a1 = a + 2 * m, *a3 = a, *b1 = b + m, *b2 = b;
  // rem = R1 B^m + a3 in 2m + 1 limbs, the top limb read as signed below.
  ScratchLimbs remainder(2 * m + 1);
  Limb* rem = remainder.get();
  std::memcpy(rem, a3, sizeof(Limb) * m);
  if (compareN(a1, b1, m) < 0) {
    // q-hat = (a1 a2) / b1 with remainder R1.
    divide2n1n(q, rem + m, a + m, b1, m);
    rem[2 * m] = 0;
  } else {
    // a1 = b1: q-hat = B^m - 1 and R1 = (a1 a2) - q-hat b1 = a2 + b1.
    std::memset(q, 0xFF, sizeof(Limb) * m);
    rem[2 * m] = addN(rem + m, a + m, b1, m);
  }
  // rem -= q-hat b2, then add b back while negative (at most twice).
  ScratchLimbs product(2 * m);
  multiply(product.get(), q, m, b2, m);
  Limb borrow = subN(rem, rem, product.get(), 2 * m);
  rem[2 * m] -= borrow;
  while (static_cast<std::int64_t>(rem[2 * m]) < 0) {
    sub1(q, q, m, 1);
    rem[2 * m] += addN(rem, rem, b, 2 * m);
  }
  std::memcpy(r, rem, sizeof(Limb) * 2 * m);
}

// Burnikel-Ziegler, two by one: a has 2n limbs, b has n limbs, normalised, and a < b B^n.
// q gets n limbs, r gets n limbs.
void divide2n1n(Limb* q, Limb* r, const Limb* a, const Limb* b, Size n) {
  if (n % 2 != 0 || n < recursiveDivisionThreshold) {
    ScratchLimbs u(2 * n);
    std::memcpy(u.get(), a, sizeof(Limb) * 2 * n);
    knuthDivide(q, u.get(), 2 * n - 1, b, n);
    std::memcpy(r, u.get(), sizeof(Limb) * n);
    return;
  }
  Size m = n / 2;
  // High half of the quotient from the top three quarters of a, then the low half from the
  // remainder and the last quarter.
  ScratchLimbs t(3 * m);
  divide3n2n(q + m, t.get() + m, a + m, b, m);
  std::memcpy(t.get(), a, sizeof(Limb) * m);
  divide3n2n(q, r, t.get(), b, m);
}

// a << s over n limbs into r (n + 1 limbs, the top one the bits shifted out); s < 64.
void shiftLeft(Limb* r, const Limb* a, Size n, int s) {
  if (s == 0) {
    std::memcpy(r, a, sizeof(Limb) * n);
    r[n] = 0;
    return;
  }
  r[n] = a[n - 1] >> (64 - s);
  for (Size i = n - 1; i > 0; --i) r[i] = (a[i] << s) | (a[i - 1] >> (64 - s));
  r[0] = a[0] << s;
}

// Recursive division of u (un limbs) by the normalised v (n limbs, n = j 2^k): u is cut into
// n-limb pieces from the bottom, and each window of the running remainder and the next
// piece is divided by divide2n1n, like schoolbook division with n-limb digits. The top
// partial piece, when short, is divided with the top full piece by Algorithm D (cheap: its
// quotient is as short as the partial piece). q gets un + 1 limbs of room (un - n + 1 hold
// the quotient); the remainder goes to u[0 .. n).
void divideByPieces(Limb* q, Limb* u, Size un, const Limb* v, Size n) {
  Size full = un / n, rest = un % n;
  std::vector<Limb> window(2 * n + 1), rem(n);
  Size top = (full - 1) * n;  // offset of the top full piece
  if (rest == 0) {
    // The top piece is below 2v: its quotient digit is 0 or 1.
    std::memcpy(rem.data(), u + top, sizeof(Limb) * n);
    bool atLeast = compareN(rem.data(), v, n) >= 0;
    if (atLeast) subN(rem.data(), rem.data(), v, n);
    q[top] = atLeast ? 1 : 0;
  } else if (rest < recursiveDivisionThreshold) {
    // (rest + n limbs) / n limbs, with an extra zero limb on top for Algorithm D.
    std::memcpy(window.data(), u + top, sizeof(Limb) * (n + rest));
    window[n + rest] = 0;
    knuthDivide(q + top, window.data(), n + rest, v, n);
    std::memcpy(rem.data(), window.data(), sizeof(Limb) * n);
  } else {
    // A long partial piece is below v: it starts the remainder, and the top full piece
    // goes through divide2n1n like the others.
    std::memset(rem.data(), 0, sizeof(Limb) * n);
    std::memcpy(rem.data(), u + top + n, sizeof(Limb) * rest);
    top += n;
  }
  for (Size p = top / n; p-- > 0;) {
    std::memcpy(window.data(), u + p * n, sizeof(Limb) * n);
    std::memcpy(window.data() + n, rem.data(), sizeof(Limb) * n);
    divide2n1n(q + p * n, rem.data(), window.data(), v, n);
  }
  std::memcpy(u, rem.data(), sizeof(Limb) * n);
}

}  // namespace

void divide(Limb* q, Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
  if (bn == 1) {
    r[0] = divRem1(q, a, an, b[0]);
    return;
  }
  // D1 [Normalize]: shift so that the divisor's top bit is set; the dividend gets an extra
  // limb. For the recursive division the divisor is also padded with zero limbs at the
  // bottom to an even length with a power-of-two factor, so that the halves stay even.
  int s = __builtin_clzll(b[bn - 1]);
  Size qn = an - bn + 1;
  if (bn < recursiveDivisionThreshold || qn < recursiveDivisionThreshold) {
    ScratchLimbs scratch(an + bn + 2);
    Limb *u = scratch.get(), *v = u + an + 1;
    shiftLeft(u, a, an, s);
    shiftLeft(v, b, bn, s);
    knuthDivide(q, u, an, v, bn);
    // D8 [Unnormalize].
    if (s == 0) {
      std::memcpy(r, u, sizeof(Limb) * bn);
    } else {
      for (Size i = 0; i + 1 < bn; ++i) r[i] = (u[i] >> s) | (u[i + 1] << (64 - s));
      r[bn - 1] = u[bn - 1] >> s;
    }
    return;
  }
  // Padded divisor length n = j 2^k >= bn with j below the threshold.
  Size j = bn, k = 0;
  while (j >= recursiveDivisionThreshold) {
    j = (j + 1) / 2;
    ++k;
  }
  Size n = j << k, pad = n - bn;
  std::vector<Limb> v(n + 1, 0), u(an + pad + 1, 0);
  shiftLeft(v.data() + pad, b, bn, s);
  shiftLeft(u.data() + pad, a, an, s);
  Size un = an + pad + (u[an + pad] != 0 ? 1 : 0);
  std::vector<Limb> qq(un + 1, 0);
  divideByPieces(qq.data(), u.data(), un, v.data(), n);
  std::memcpy(q, qq.data(), sizeof(Limb) * qn);
  // The remainder is u[pad .. pad + bn] shifted back by s bits; its low pad limbs are zero.
  const Limb* rs = u.data() + pad;
  if (s == 0) {
    std::memcpy(r, rs, sizeof(Limb) * bn);
  } else {
    for (Size i = 0; i + 1 < bn; ++i) r[i] = (rs[i] >> s) | (rs[i + 1] << (64 - s));
    r[bn - 1] = rs[bn - 1] >> s;
  }
}

}  // namespace limbs
