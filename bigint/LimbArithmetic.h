// 64-bit limb arithmetic under the block kernels: carry chains, one-limb multiply and divide,
// long products and long division. The kernels and their processor dispatch are in
// LimbKernels.cpp, the products (schoolbook, Karatsuba, Toom-3) in LimbMultiplication.cpp, the
// divisions (one limb, Knuth's Algorithm D, Burnikel-Ziegler) in LimbDivision.cpp.
//
// Blocks are stored as 32-bit words; long products and divisions run on pairs of blocks as
// 64-bit limbs with 128-bit intermediates, which halves the number of passes and quarters
// the number of word products.
#pragma once

#include <cstddef>
#include <cstdint>

// The x86-64 kernels (carry-flag intrinsics, inline assembly) serve on x86-64 unless the build
// asks for the portable kernels, which then get tested on this machine too.
#if defined(__x86_64__) && !defined(INFL_PORTABLE_KERNELS)
#define LIMBS_X86_64_KERNELS 1
#include <x86intrin.h>
#endif

namespace limbs {

typedef std::uint64_t Limb;
typedef unsigned __int128 DLimb;
typedef std::size_t Size;

// Below this many limbs in the shorter operand, products are schoolbook.
extern Size karatsubaThreshold;
// From this many limbs on, balanced products (and the balanced pieces of unbalanced ones) are
// Toom-3; between the two thresholds they are Karatsuba.
extern Size toom3Threshold;
// Below this many limbs in the divisor, division is Knuth's Algorithm D alone.
extern Size recursiveDivisionThreshold;
// Whether the multiply-accumulate loops use mulx/adcx/adox (set at start-up from the
// processor; tests switch it off to run the other loops).
extern bool useMulxAdx;

inline unsigned char addWithCarry(unsigned char c, Limb x, Limb y, Limb* s) {
#if defined(LIMBS_X86_64_KERNELS)
  unsigned long long out;
  c = _addcarry_u64(c, x, y, &out);
  *s = out;
  return c;
#else
  Limb t = x + y;
  unsigned char c1 = t < x;
  Limb u = t + c;
  *s = u;
  return c1 | (u < t);
#endif
}

inline unsigned char subWithBorrow(unsigned char c, Limb x, Limb y, Limb* d) {
#if defined(LIMBS_X86_64_KERNELS)
  unsigned long long out;
  c = _subborrow_u64(c, x, y, &out);
  *d = out;
  return c;
#else
  Limb t = x - y;
  unsigned char c1 = t > x;
  Limb u = t - c;
  *d = u;
  return c1 | (u > t);
#endif
}

#if defined(LIMBS_X86_64_KERNELS)

// The add-with-carry and subtract-with-borrow chains over n 64-bit words in memory, as one
// loop whose carry stays in the flags (inc/dec, lea and mov leave the carry flag alone).
// The words may be any little-endian pairs of blocks; r may be a or b.
#define LIMBS_CARRY_CHAIN(op)                                                                 \
  unsigned char carry;                                                                        \
  std::size_t quads = n / 4, rest = n % 4;                                                    \
  __asm__ volatile(                                                                           \
      "clc\n\t"                                                                               \
      "jrcxz 2f\n"                                                                            \
      "1:\n\t"                                                                               \
      "movq (%[a]), %%r8\n\t" op " (%[b]), %%r8\n\t movq %%r8, (%[r])\n\t"                   \
      "movq 8(%[a]), %%r9\n\t" op " 8(%[b]), %%r9\n\t movq %%r9, 8(%[r])\n\t"                \
      "movq 16(%[a]), %%r8\n\t" op " 16(%[b]), %%r8\n\t movq %%r8, 16(%[r])\n\t"             \
      "movq 24(%[a]), %%r9\n\t" op " 24(%[b]), %%r9\n\t movq %%r9, 24(%[r])\n\t"             \
      "leaq 32(%[a]), %[a]\n\t leaq 32(%[b]), %[b]\n\t leaq 32(%[r]), %[r]\n\t"              \
      "decq %%rcx\n\t"                                                                        \
      "jnz 1b\n"                                                                              \
      "2:\n\t"                                                                               \
      "movq %[rest], %%rcx\n\t"                                                               \
      "jrcxz 4f\n"                                                                            \
      "3:\n\t"                                                                               \
      "movq (%[a]), %%r8\n\t" op " (%[b]), %%r8\n\t movq %%r8, (%[r])\n\t"                   \
      "leaq 8(%[a]), %[a]\n\t leaq 8(%[b]), %[b]\n\t leaq 8(%[r]), %[r]\n\t"                 \
      "decq %%rcx\n\t"                                                                        \
      "jnz 3b\n"                                                                              \
      "4:\n\t"                                                                               \
      "setc %[c]\n\t"                                                                         \
      : [a] "+&r"(a), [b] "+&r"(b), [r] "+&r"(r), "+&c"(quads), [c] "=&q"(carry)                   \
      : [rest] "r"(rest)                                                                      \
      : "r8", "r9", "cc", "memory");                                                          \
  return carry;

inline unsigned char addWords(void* r, const void* a, const void* b, std::size_t n) {
  LIMBS_CARRY_CHAIN("adcq")
}
inline unsigned char subWords(void* r, const void* a, const void* b, std::size_t n) {
  LIMBS_CARRY_CHAIN("sbbq")
}
#undef LIMBS_CARRY_CHAIN

// r = a + b over n limbs; returns the carry. r may be a or b.
inline Limb addN(Limb* r, const Limb* a, const Limb* b, Size n) { return addWords(r, a, b, n); }
// r = a - b over n limbs; returns the borrow. r may be a or b.
inline Limb subN(Limb* r, const Limb* a, const Limb* b, Size n) { return subWords(r, a, b, n); }

#else

// r = a + b over n limbs; returns the carry. r may be a or b.
inline Limb addN(Limb* r, const Limb* a, const Limb* b, Size n) {
  unsigned char c = 0;
  Size i = 0;
  for (; i + 4 <= n; i += 4) {
    c = addWithCarry(c, a[i], b[i], &r[i]);
    c = addWithCarry(c, a[i + 1], b[i + 1], &r[i + 1]);
    c = addWithCarry(c, a[i + 2], b[i + 2], &r[i + 2]);
    c = addWithCarry(c, a[i + 3], b[i + 3], &r[i + 3]);
  }
  for (; i < n; ++i) c = addWithCarry(c, a[i], b[i], &r[i]);
  return c;
}

// r = a - b over n limbs; returns the borrow. r may be a or b.
inline Limb subN(Limb* r, const Limb* a, const Limb* b, Size n) {
  unsigned char c = 0;
  Size i = 0;
  for (; i + 4 <= n; i += 4) {
    c = subWithBorrow(c, a[i], b[i], &r[i]);
    c = subWithBorrow(c, a[i + 1], b[i + 1], &r[i + 1]);
    c = subWithBorrow(c, a[i + 2], b[i + 2], &r[i + 2]);
    c = subWithBorrow(c, a[i + 3], b[i + 3], &r[i + 3]);
  }
  for (; i < n; ++i) c = subWithBorrow(c, a[i], b[i], &r[i]);
  return c;
}

#endif

// r = a + c over n limbs; returns the carry. r may be a.
inline Limb add1(Limb* r, const Limb* a, Size n, Limb c) {
  Size i = 0;
  for (; i < n && c != 0; ++i) {
    Limb t = a[i] + c;
    c = t < c;
    r[i] = t;
  }
  if (r != a)
    for (; i < n; ++i) r[i] = a[i];
  return c;
}

// r = a - c over n limbs; returns the borrow. r may be a.
inline Limb sub1(Limb* r, const Limb* a, Size n, Limb c) {
  Size i = 0;
  for (; i < n && c != 0; ++i) {
    Limb t = a[i] - c;
    c = t > a[i];
    r[i] = t;
  }
  if (r != a)
    for (; i < n; ++i) r[i] = a[i];
  return c;
}

// The kernels of Toom-3's interpolation, on n-limb two's complement values (n >= 1): results
// are exact when the true value fits in n limbs as a signed number. r may be a or b.

// r = -(a + b) over an limbs, b having bn <= an limbs; returns the borrow (0, 1 or 2) out of
// the top limb, so that r - borrow B^an = -(a + b).
Limb negatedSum(Limb* r, const Limb* a, Size an, const Limb* b, Size bn);
// r = (a + b) / 2 and r = (a - b) / 2, rounded towards minus infinity (an arithmetic shift);
// the carry or borrow out of the top limb is dropped, so the sum or difference must fit too.
void halvedSum(Limb* r, const Limb* a, const Limb* b, Size n);
void halvedDifference(Limb* r, const Limb* a, const Limb* b, Size n);
// r = (a - b) / 3 and r = -(a + b) / 3 for a sum or difference that is a multiple of 3: its
// product with the inverse of 3 modulo B^n, which is the quotient for negative values too.
void differenceDividedBy3(Limb* r, const Limb* a, const Limb* b, Size n);
void negatedSumDividedBy3(Limb* r, const Limb* a, const Limb* b, Size n);

inline int compareN(const Limb* a, const Limb* b, Size n) {
  for (Size i = n; i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

// r = a * m over n limbs; returns the high limb. r may be a.
inline Limb mul1(Limb* r, const Limb* a, Size n, Limb m) {
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    DLimb t = DLimb(a[i]) * m + carry;
    r[i] = Limb(t);
    carry = Limb(t >> 64);
  }
  return carry;
}

// r += a * m over n limbs; returns the carry limb.
Limb addMul1(Limb* r, const Limb* a, Size n, Limb m);
// r -= a * m over n limbs; returns the borrow limb.
Limb subMul1(Limb* r, const Limb* a, Size n, Limb m);

// For j = 0 .. bn - 1 (bn >= 1): r[j, j + an) += a * b[j], then r[an + j] = that row's carry
// (r[an + j] is read by no earlier row): the rows of a schoolbook product. r overlaps neither
// a nor b.
void addMulRows(Limb* r, const Limb* a, Size an, const Limb* b, Size bn);

// r += a * m and r -= a * m over n 64-bit words in memory, which may be any little-endian
// pairs of 32-bit blocks (on big-endian machines only true limbs); return the carry or borrow
// limb. r and a do not overlap.
Limb addMulWords(void* r, const void* a, Size n, Limb m);
Limb subMulWords(void* r, const void* a, Size n, Limb m);
// r = ~r + a * m likewise (the complement of r plus the product); returns the carry limb.
Limb notAddMulWords(void* r, const void* a, Size n, Limb m);

// (u1 u0) / d by the processor's division, for u1 < d (so the quotient fits one limb).
inline Limb divide2by1Hardware(Limb u1, Limb u0, Limb d, Limb* r) {
#if defined(LIMBS_X86_64_KERNELS)
  Limb q, rem;
  __asm__("divq %4" : "=a"(q), "=d"(rem) : "a"(u0), "d"(u1), "rm"(d) : "cc");
  *r = rem;
  return q;
#else
  DLimb n = (DLimb(u1) << 64) | u0;
  *r = Limb(n % d);
  return Limb(n / d);
#endif
}

// The reciprocal floor((2^128 - 1) / d) - 2^64 of a normalised d (top bit set), which is
// ((2^64 - 1 - d) 2^64 + 2^64 - 1) / d: one hardware division.
inline Limb reciprocal(Limb d) {
  Limb r;
  return divide2by1Hardware(~d, ~Limb(0), d, &r);
}

// (u1 u0) / d for normalised d with u1 < d, by multiplication with the reciprocal v
// (Moller and Granlund, "Improved division by invariant integers").
inline Limb divide2by1(Limb u1, Limb u0, Limb d, Limb v, Limb* r) {
  DLimb q = DLimb(v) * u1 + ((DLimb(u1) << 64) | u0);
  Limb q1 = Limb(q >> 64) + 1;
  Limb q0 = Limb(q);
  Limb rem = u0 - q1 * d;
  if (rem > q0) {
    --q1;
    rem += d;
  }
  if (rem >= d) {
    ++q1;
    rem -= d;
  }
  *r = rem;
  return q1;
}

// q = a / d over n limbs for any d != 0; returns the remainder. q may be a.
Limb divRem1(Limb* q, const Limb* a, Size n, Limb d);

// Scratch limbs: on the stack for short runs, so that short operations need no allocation.
class ScratchLimbs {
 public:
  explicit ScratchLimbs(Size n) : data_(n <= kStack ? stack_ : (heap_ = new Limb[n])) {}
  ~ScratchLimbs() { delete[] heap_; }
  ScratchLimbs(const ScratchLimbs&) = delete;
  ScratchLimbs& operator=(const ScratchLimbs&) = delete;
  Limb* get() { return data_; }

 private:
  static constexpr Size kStack = 160;
  Limb stack_[kStack];
  Limb* heap_ = nullptr;
  Limb* data_;
};

// r = a * b; r has an + bn limbs and overlaps neither operand; an, bn >= 1.
void multiply(Limb* r, const Limb* a, Size an, const Limb* b, Size bn);

// a = q b + r with 0 <= r < b, for bn >= 1 limbs with a non-zero top limb and an >= bn.
// q gets an - bn + 1 limbs, r gets bn limbs; neither overlaps a, b or the other.
void divide(Limb* q, Limb* r, const Limb* a, Size an, const Limb* b, Size bn);

}  // namespace limbs
