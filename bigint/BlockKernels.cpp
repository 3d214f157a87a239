// Word-level kernels: one-block multiply and divide, schoolbook and Karatsuba products, and
// Knuth's Algorithm D for long division.
#include "BlockKernels.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace blockkernels {

// Measured with the bench program (bench/bigint): below this the schoolbook loop wins.
Index karatsubaThreshold = 40;

Blk mulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    Wide t = Wide(a[i]) * m + carry;
    r[i] = Blk(t);
    carry = t >> 32;
  }
  return Blk(carry);
}

Blk addMulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    // a*m + r + carry < 2^64: (2^32-1)^2 + 2(2^32-1) = 2^64 - 1.
    Wide t = Wide(a[i]) * m + r[i] + carry;
    r[i] = Blk(t);
    carry = t >> 32;
  }
  return Blk(carry);
}

Blk subMulBlock(Blk* r, const Blk* a, Index n, Blk m) {
  Wide carry = 0;
  for (Index i = 0; i < n; ++i) {
    Wide p = Wide(a[i]) * m + carry;
    Blk low = Blk(p);
    carry = (p >> 32) + (r[i] < low);
    r[i] -= low;
  }
  return Blk(carry);
}

Blk divBlock(Blk* q, const Blk* a, Index n, Blk d) {
  Wide rem = 0;
  for (Index i = n; i-- > 0;) {
    Wide cur = (rem << 32) | a[i];
    q[i] = Blk(cur / d);
    rem = cur % d;
  }
  return Blk(rem);
}

void multiplySchoolbook(Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  if (an < bn) {
    std::swap(a, b);
    std::swap(an, bn);
  }
  // The longer operand runs in the inner loop.
  r[an] = mulBlock(r, a, an, b[0]);
  for (Index j = 1; j < bn; ++j) r[an + j] = addMulBlock(r + j, a, an, b[j]);
}

namespace {

// Scratch blocks that Karatsuba needs for operands of n blocks, recursion included.
Index karatsubaScratch(Index n) { return 8 * n + 64 * 2; }

void multiplyBalanced(Blk* r, const Blk* a, const Blk* b, Index n, Blk* scratch);

// Compares x (xn blocks) with y (yn blocks); either may carry leading zero blocks.
int compareUnequal(const Blk* x, Index xn, const Blk* y, Index yn) {
  for (; xn > yn; --xn)
    if (x[xn - 1] != 0) return 1;
  for (; yn > xn; --yn)
    if (y[yn - 1] != 0) return -1;
  return compareRuns(x, y, xn);
}

// r = x - y for x >= y; r gets max(xn, yn) blocks.
void subtractPadded(Blk* r, const Blk* x, Index xn, const Blk* y, Index yn) {
  if (xn >= yn) {
    subUnequal(r, x, xn, y, yn);
  } else {
    subRuns(r, x, y, xn);  // y's blocks above xn are zero
    std::memset(r + xn, 0, sizeof(Blk) * (yn - xn));
  }
}

// r = |x - y| in max(xn, yn) blocks; returns true when x < y.
bool absDifference(Blk* r, const Blk* x, Index xn, const Blk* y, Index yn) {
  if (compareUnequal(x, xn, y, yn) >= 0) {
    subtractPadded(r, x, xn, y, yn);
    return false;
  }
  subtractPadded(r, y, yn, x, xn);
  return true;
}

// Karatsuba on two operands of n blocks each. a = a1 B^h + a0, b = b1 B^h + b0 with h the
// lower half; a0 b1 + a1 b0 = a0 b0 + a1 b1 + (a0 - a1)(b1 - b0), so three half-size products
// suffice, and the differences need no carry block.
void karatsuba(Blk* r, const Blk* a, const Blk* b, Index n, Blk* scratch) {
  Index h = n / 2;
  Index k = n - h;  // high half size, k >= h
  const Blk *a0 = a, *a1 = a + h, *b0 = b, *b1 = b + h;
  Blk* da = scratch;        // k blocks
  Blk* db = da + k;         // k blocks
  Blk* mid = db + k;        // 2k blocks
  Blk* rest = mid + 2 * k;  // for the recursion and the middle sum

  bool aNeg = absDifference(da, a0, h, a1, k);  // a0 < a1
  bool bNeg = absDifference(db, b1, k, b0, h);  // b1 < b0

  // z0 = a0 b0 into r[0, 2h), z2 = a1 b1 into r[2h, 2n).
  multiplyBalanced(r, a0, b0, h, rest);
  multiplyBalanced(r + 2 * h, a1, b1, k, rest);
  // mid = da * db.
  multiplyBalanced(mid, da, db, k, rest);

  // t = z0 + z2 (2k + 1 blocks) in rest, then t +- mid, then r[h..] += t.
  Blk* t = rest;
  std::memcpy(t, r + 2 * h, sizeof(Blk) * 2 * k);
  t[2 * k] = addUnequal(t, t, 2 * k, r, 2 * h);
  if (aNeg == bNeg) {
    // (a0 - a1)(b1 - b0) >= 0
    t[2 * k] += addRuns(t, t, mid, 2 * k);
  } else {
    t[2 * k] -= subRuns(t, t, mid, 2 * k);
  }
  // The middle term is below B^(2k+1); it fits in the 2n - h blocks above h.
  Index span = 2 * n - h;
  Index tn = std::min<Index>(2 * k + 1, span);
  addUnequal(r + h, r + h, span, t, tn);
}

void multiplyBalanced(Blk* r, const Blk* a, const Blk* b, Index n, Blk* scratch) {
  if (n < karatsubaThreshold) {
    multiplySchoolbook(r, a, n, b, n);
  } else {
    karatsuba(r, a, b, n, scratch);
  }
}

}  // namespace

void multiplyRuns(Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  if (an < bn) {
    std::swap(a, b);
    std::swap(an, bn);
  }
  if (bn < karatsubaThreshold) {
    multiplySchoolbook(r, a, an, b, bn);
    return;
  }
  std::unique_ptr<Blk[]> scratch(new Blk[karatsubaScratch(bn) + 2 * bn]);
  if (an == bn) {
    multiplyBalanced(r, a, b, bn, scratch.get());
    return;
  }
  // Unbalanced: a in pieces of bn blocks, each piece times b added in at its offset.
  Blk* piece = scratch.get() + karatsubaScratch(bn);
  std::memset(r, 0, sizeof(Blk) * (an + bn));
  for (Index off = 0; off < an; off += bn) {
    Index pn = std::min(bn, an - off);
    if (pn == bn) {
      multiplyBalanced(piece, a + off, b, bn, scratch.get());
    } else {
      multiplyRuns(piece, b, bn, a + off, pn);
    }
    addUnequal(r + off, r + off, an + bn - off, piece, pn + bn);
  }
}

void divideRuns(Blk* q, Blk* r, const Blk* a, Index an, const Blk* b, Index bn) {
  // D1 [Normalize]: shift so that the divisor's top bit is set; u gets one extra block.
  int s = __builtin_clz(b[bn - 1]);
  std::unique_ptr<Blk[]> scratch(new Blk[an + 1 + bn]);
  Blk* u = scratch.get();
  Blk* v = u + an + 1;
  if (s == 0) {
    std::memcpy(v, b, sizeof(Blk) * bn);
    std::memcpy(u, a, sizeof(Blk) * an);
    u[an] = 0;
  } else {
    for (Index i = bn - 1; i > 0; --i) v[i] = (b[i] << s) | (b[i - 1] >> (32 - s));
    v[0] = b[0] << s;
    u[an] = a[an - 1] >> (32 - s);
    for (Index i = an - 1; i > 0; --i) u[i] = (a[i] << s) | (a[i - 1] >> (32 - s));
    u[0] = a[0] << s;
  }
  const Wide vTop = v[bn - 1], vNext = v[bn - 2];
  // D2 [Initialize j]: quotient blocks from the top down.
  for (Index j = an - bn + 1; j-- > 0;) {
    // D3 [Calculate q-hat]: from the top two blocks of the current remainder, corrected with
    // the divisor's second block; q-hat is then at most one too large.
    Wide num = (Wide(u[j + bn]) << 32) | u[j + bn - 1];
    Wide qhat = num / vTop;
    Wide rhat = num % vTop;
    while ((qhat >> 32) != 0 || qhat * vNext > ((rhat << 32) | u[j + bn - 2])) {
      --qhat;
      rhat += vTop;
      if ((rhat >> 32) != 0) break;
    }
    // D4 [Multiply and subtract]: u[j .. j+bn] -= q-hat * v.
    Blk borrow = subMulBlock(u + j, v, bn, Blk(qhat));
    Blk top = u[j + bn];
    u[j + bn] = top - borrow;
    // D5 [Test remainder]: a borrow out of the top block means q-hat was one too large.
    if (borrow > top) {
      // D6 [Add back]: rare (probability about 2/B); restore the remainder.
      --qhat;
      u[j + bn] += addRuns(u + j, u + j, v, bn);
    }
    q[j] = Blk(qhat);
    // D7 [Loop on j].
  }
  // D8 [Unnormalize]: the remainder is u[0 .. bn) shifted back.
  if (s == 0) {
    std::memcpy(r, u, sizeof(Blk) * bn);
  } else {
    for (Index i = 0; i + 1 < bn; ++i) r[i] = (u[i] >> s) | (u[i + 1] << (32 - s));
    r[bn - 1] = u[bn - 1] >> s;
  }
}

}  // namespace blockkernels
