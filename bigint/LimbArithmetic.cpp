// 64-bit limb arithmetic: schoolbook and Karatsuba products, Knuth's Algorithm D and
// Burnikel-Ziegler recursive division.
#include "LimbArithmetic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(LIMBS_X86_64_KERNELS)
#include <cpuid.h>
#endif

namespace limbs {

#if defined(LIMBS_X86_64_KERNELS)
// Processors with mulx (BMI2) and the two independent carry flags of adcx/adox (ADX) run the
// multiply-accumulate loops with two carry chains at once. Read once at start-up; before that
// (static initialisation elsewhere) it reads false and the portable loops serve.
namespace {
bool detectMulxAdx();
}
bool useMulxAdx = detectMulxAdx();
#else
bool useMulxAdx = false;
#endif

// Measured on whole products of 64 to 2000 limbs with thresholds 16 to 80: 24 to 32 are
// fastest (3 to 6% ahead of 60, where it stood before the scratch stopped being cleared).
Size karatsubaThreshold = 32;
// Measured on balanced products against Karatsuba (minimum of many runs): Toom-3 is 5 to 12%
// faster from about 140 limbs on; at 128 and 136 Karatsuba, whose halves stay even down to its
// threshold, is as fast or faster.
Size toom3Threshold = 140;
// Measured with bench/bigint (limbsKnuth against limbsRecursiveOnce, 2n by n limbs).
Size recursiveDivisionThreshold = 64;

#if defined(LIMBS_X86_64_KERNELS)

namespace {

// CPUID leaf 7, sub-leaf 0: EBX bit 8 is BMI2, bit 19 is ADX. Read directly rather than by
// __builtin_cpu_supports, whose list of feature names differs between GCC and clang.
bool detectMulxAdx() {
  constexpr unsigned kBmi2 = 1u << 8, kAdx = 1u << 19;
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return (ebx & kBmi2) && (ebx & kAdx);
}

// One limb step of r += a m: the product's low half collects the previous high half on the
// carry chain (CF) and r on the overflow chain (OF).
#define LIMBS_ADDMUL_STEP(offset, hiIn, hiOut)        \
  "mulx " offset "(%[a]), %%r8, " hiOut "\n\t"        \
  "adcx " hiIn ", %%r8\n\t"                           \
  "adox " offset "(%[r]), %%r8\n\t"                   \
  "movq %%r8, " offset "(%[r])\n\t"

// r -= a m the same way, with r - x written as ~(~r + x) so that the borrow runs on the
// overflow chain as a carry.
#define LIMBS_SUBMUL_STEP(offset, hiIn, hiOut)        \
  "mulx " offset "(%[a]), %%r8, " hiOut "\n\t"        \
  "adcx " hiIn ", %%r8\n\t"                           \
  "movq " offset "(%[r]), %%r11\n\t"                  \
  "notq %%r11\n\t"                                    \
  "adox %%r8, %%r11\n\t"                              \
  "notq %%r11\n\t"                                    \
  "movq %%r11, " offset "(%[r])\n\t"

// r = ~r + a m: r is complemented on its way into the overflow chain, so that a caller who
// knows that a subtraction will go below zero can compute a m - r (plus one afterwards)
// without a separate pass to negate the result.
#define LIMBS_NOTADDMUL_STEP(offset, hiIn, hiOut)     \
  "mulx " offset "(%[a]), %%r8, " hiOut "\n\t"        \
  "adcx " hiIn ", %%r8\n\t"                           \
  "movq " offset "(%[r]), %%r11\n\t"                  \
  "notq %%r11\n\t"                                    \
  "adox %%r11, %%r8\n\t"                              \
  "movq %%r8, " offset "(%[r])\n\t"

// One row r += a m (or its variant STEP) over n limbs: a loop of eight steps, then four if
// n % 8 >= 4, then single steps; operands [o], [f], [s] hold n / 8, (n % 8) / 4 and n % 4.
// Eight steps a turn measured 10 to 20% faster than four (the loop's own instructions and
// its taken jump are paid half as often). lea, jrcxz, jmp and not leave both chains alone;
// jrcxz reaches only 127 bytes, hence the near jumps over the longer bodies. The two pending
// carries are left for the caller to close.
#define LIMBS_FOUR_STEPS(STEP)                                                              \
  STEP("0", "%[c]", "%%r9") STEP("8", "%%r9", "%%r10") STEP("16", "%%r10", "%%r9")          \
      STEP("24", "%%r9", "%[c]")
#define LIMBS_EIGHT_STEPS(STEP)                                                             \
  STEP("0", "%[c]", "%%r9") STEP("8", "%%r9", "%%r10") STEP("16", "%%r10", "%%r9")          \
      STEP("24", "%%r9", "%%r10") STEP("32", "%%r10", "%%r9") STEP("40", "%%r9", "%%r10")   \
          STEP("48", "%%r10", "%%r9") STEP("56", "%%r9", "%[c]")
#define LIMBS_MULX_ROW(STEP)                                                                \
  "movq %[o], %%rcx\n\t"                                                                    \
  "jrcxz 5f\n\t"                                                                            \
  "jmp 1f\n"                                                                                \
  "5:\n\t"                                                                                  \
  "jmp 2f\n"                                                                                \
  "1:\n\t" LIMBS_EIGHT_STEPS(STEP)                                                          \
  "leaq 64(%[a]), %[a]\n\t"                                                                 \
  "leaq 64(%[r]), %[r]\n\t"                                                                 \
  "leaq -1(%%rcx), %%rcx\n\t"                                                               \
  "jrcxz 2f\n\t"                                                                            \
  "jmp 1b\n"                                                                                \
  "2:\n\t"                                                                                  \
  "movq %[f], %%rcx\n\t"                                                                    \
  "jrcxz 6f\n\t"                                                                            \
  "jmp 7f\n"                                                                                \
  "6:\n\t"                                                                                  \
  "jmp 8f\n"                                                                                \
  "7:\n\t" LIMBS_FOUR_STEPS(STEP)                                                           \
  "leaq 32(%[a]), %[a]\n\t"                                                                 \
  "leaq 32(%[r]), %[r]\n"                                                                   \
  "8:\n\t"                                                                                  \
  "movq %[s], %%rcx\n\t"                                                                    \
  "jrcxz 4f\n"                                                                              \
  "3:\n\t" STEP("0", "%[c]", "%%r9")                                                        \
  "movq %%r9, %[c]\n\t"                                                                     \
  "leaq 8(%[a]), %[a]\n\t"                                                                  \
  "leaq 8(%[r]), %[r]\n\t"                                                                  \
  "leaq -1(%%rcx), %%rcx\n\t"                                                               \
  "jrcxz 4f\n\t"                                                                            \
  "jmp 3b\n"                                                                                \
  "4:\n\t"

// One row as a function: the two pending carries end in the returned high limb.
#define LIMBS_MULX_LOOP(STEP)                                                               \
  Limb carry = 0, zero = 0;                                                                 \
  const Size octs = n / 8, four = (n % 8) / 4, rest = n % 4;                                \
  __asm__ volatile(                                                                         \
      "xorl %%eax, %%eax\n\t" LIMBS_MULX_ROW(STEP)                                          \
      "adcx %[z], %[c]\n\t"                                                                 \
      "adox %[z], %[c]\n\t"                                                                 \
      : [a] "+&r"(a), [r] "+&r"(r), [c] "+&r"(carry)                                        \
      : "d"(m), [o] "r"(octs), [f] "r"(four), [s] "r"(rest), [z] "r"(zero)                  \
      : "rax", "rcx", "r8", "r9", "r10", "r11", "cc", "memory");                            \
  return carry;

// The words may be any little-endian pairs of blocks: memory is reached only by the assembly.
Limb addMul1Mulx(void* r, const void* a, Size n, Limb m) { LIMBS_MULX_LOOP(LIMBS_ADDMUL_STEP) }
Limb subMul1Mulx(void* r, const void* a, Size n, Limb m) { LIMBS_MULX_LOOP(LIMBS_SUBMUL_STEP) }
Limb notAddMul1Mulx(void* r, const void* a, Size n, Limb m) { LIMBS_MULX_LOOP(LIMBS_NOTADDMUL_STEP) }

// For j = 0 .. bn - 1: r[j, j + an) += a b[j], then r[an + j] = the carry of that row (read
// by no earlier row). The rows of a schoolbook product in one block of assembly, without a
// call and a set-up per row; the row loop is LIMBS_MULX_LOOP's with the pointers reset for
// each row. an, bn >= 1; r overlaps neither a nor b.
void addMulRowsMulx(Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
  const Limb zero = 0;
  const Size octs = an / 8, four = (an % 8) / 4, rest = an % 4;
  Size rows = bn;
  const Limb* rowA;
  Limb* rowR;
  Limb carry;
  __asm__ volatile(
      "0:\n\t"
      "movq (%[b]), %%rdx\n\t"
      "movq %[a0], %[a]\n\t"
      "movq %[r0], %[r]\n\t"
      "xorl %k[c], %k[c]\n\t"  // clears both chains
      LIMBS_MULX_ROW(LIMBS_ADDMUL_STEP)
      "adcx %[z], %[c]\n\t"
      "adox %[z], %[c]\n\t"
      "movq %[c], (%[r])\n\t"
      "leaq 8(%[r0]), %[r0]\n\t"
      "leaq 8(%[b]), %[b]\n\t"
      "decq %[rows]\n\t"
      "jnz 0b\n\t"
      : [a] "=&r"(rowA), [r] "=&r"(rowR), [c] "=&r"(carry), [r0] "+&r"(r), [b] "+&r"(b),
        [rows] "+m"(rows)
      : [a0] "r"(a), [o] "m"(octs), [f] "m"(four), [s] "m"(rest), [z] "m"(zero)
      : "rdx", "rcx", "r8", "r9", "r10", "cc", "memory");
}

#undef LIMBS_MULX_LOOP
#undef LIMBS_MULX_ROW
#undef LIMBS_EIGHT_STEPS
#undef LIMBS_FOUR_STEPS
#undef LIMBS_NOTADDMUL_STEP
#undef LIMBS_SUBMUL_STEP
#undef LIMBS_ADDMUL_STEP

}  // namespace

// Elsewhere the word product and the carry chains are written out for x86-64: one mulq and
// two add/adc pairs per limb, with the carry kept in a register.
Limb addMul1(Limb* r, const Limb* a, Size n, Limb m) {
  if (useMulxAdx) return addMul1Mulx(r, a, n, m);
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    Limb lo, hi;
    __asm__("mulq %3" : "=a"(lo), "=d"(hi) : "a"(a[i]), "rm"(m) : "cc");
    __asm__("addq %2, %0\n\tadcq $0, %1" : "+r"(lo), "+r"(hi) : "r"(carry) : "cc");
    __asm__("addq %2, %0\n\tadcq $0, %1" : "+r"(lo), "+r"(hi) : "rm"(r[i]) : "cc");
    r[i] = lo;
    carry = hi;
  }
  return carry;
}

Limb subMul1(Limb* r, const Limb* a, Size n, Limb m) {
  if (useMulxAdx) return subMul1Mulx(r, a, n, m);
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    Limb lo, hi, t = r[i];
    __asm__("mulq %3" : "=a"(lo), "=d"(hi) : "a"(a[i]), "rm"(m) : "cc");
    __asm__("addq %2, %0\n\tadcq $0, %1" : "+r"(lo), "+r"(hi) : "r"(carry) : "cc");
    __asm__("subq %2, %0\n\tadcq $0, %1" : "+r"(t), "+r"(hi) : "r"(lo) : "cc");
    r[i] = t;
    carry = hi;
  }
  return carry;
}

#else

Limb addMul1(Limb* r, const Limb* a, Size n, Limb m) {
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    // a*m + r + carry < 2^128: (2^64-1)^2 + 2(2^64-1) = 2^128 - 1.
    DLimb t = DLimb(a[i]) * m + r[i] + carry;
    r[i] = Limb(t);
    carry = Limb(t >> 64);
  }
  return carry;
}

Limb subMul1(Limb* r, const Limb* a, Size n, Limb m) {
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    DLimb p = DLimb(a[i]) * m + carry;
    Limb low = Limb(p);
    Limb t = r[i] - low;
    carry = Limb(p >> 64) + (t > r[i]);
    r[i] = t;
  }
  return carry;
}

#endif

// Word loads and stores through memcpy, so that the words may be pairs of 32-bit blocks.
namespace {
inline Limb loadWord(const void* p, Size i) {
  Limb w;
  std::memcpy(&w, static_cast<const unsigned char*>(p) + sizeof(Limb) * i, sizeof w);
  return w;
}
inline void storeWord(void* p, Size i, Limb w) {
  std::memcpy(static_cast<unsigned char*>(p) + sizeof(Limb) * i, &w, sizeof w);
}
}  // namespace

namespace {
// r = r + a m, or ~r + a m, over n words: the loop of both where mulx/adx is not used.
template <bool kComplement>
Limb addMulWordsLoop(void* r, const void* a, Size n, Limb m) {
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    const Limb old = loadWord(r, i);
    DLimb t = DLimb(loadWord(a, i)) * m + (kComplement ? ~old : old) + carry;
    storeWord(r, i, Limb(t));
    carry = Limb(t >> 64);
  }
  return carry;
}
}  // namespace

Limb addMulWords(void* r, const void* a, Size n, Limb m) {
#if defined(LIMBS_X86_64_KERNELS)
  if (useMulxAdx) return addMul1Mulx(r, a, n, m);
#endif
  return addMulWordsLoop<false>(r, a, n, m);
}

Limb subMulWords(void* r, const void* a, Size n, Limb m) {
#if defined(LIMBS_X86_64_KERNELS)
  if (useMulxAdx) return subMul1Mulx(r, a, n, m);
#endif
  Limb carry = 0;
  for (Size i = 0; i < n; ++i) {
    DLimb p = DLimb(loadWord(a, i)) * m + carry;
    Limb low = Limb(p), old = loadWord(r, i);
    Limb t = old - low;
    carry = Limb(p >> 64) + (t > old);
    storeWord(r, i, t);
  }
  return carry;
}

Limb notAddMulWords(void* r, const void* a, Size n, Limb m) {
#if defined(LIMBS_X86_64_KERNELS)
  if (useMulxAdx) return notAddMul1Mulx(r, a, n, m);
#endif
  return addMulWordsLoop<true>(r, a, n, m);
}

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

// ---- Toom-3 interpolation kernels ----

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

// ---- Products ----

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
#if defined(LIMBS_X86_64_KERNELS)
  if (useMulxAdx && bn > 1) {
    addMulRowsMulx(r + 1, a, an, b + 1, bn - 1);
    return;
  }
#endif
  for (Size j = 1; j < bn; ++j) r[an + j] = addMul1(r + j, a, an, b[j]);
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

// ---- Division ----

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
