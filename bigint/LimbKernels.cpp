// The limb kernels and their dispatch: carry chains written for the processor, the
// multiply-accumulate rows (r += a m, r -= a m, ~r + a m, and a schoolbook product's rows), and
// the start-up check that picks the mulx/adcx/adox loops.
//
// What they compute. Every kernel here is one pass over n limbs, least significant first,
// carrying one limb from each step to the next: addMul1 computes r + a m as an (n + 1)-limb
// number and stores its low n limbs in r, returning the top limb; subMul1 computes r - a m and
// returns the limb to borrow from above, so that (borrow, r) is r - a m + borrow B^n.
//
// The invariant. After step i the limbs r[0 .. i] hold the low i + 1 limbs of the result and
// the carry c satisfies 0 <= c < B (B = 2^64): a[i] m + r[i] + c <= (B - 1)^2 + 2 (B - 1)
// = B^2 - 1, so one limb of carry is always enough, for the sum and (as a borrow) for the
// difference. The mulx loops keep two carries in flight, the high half of the last product on
// the carry flag's chain (adcx) and r's limbs on the overflow flag's chain (adox); each chain
// holds at most one bit, and the two are closed into the returned limb at the end, which the
// bound above keeps below B.
//
// Dispatch. The x86-64 kernels (inline assembly, carry intrinsics) serve unless the build asks
// for the portable ones; among them, the loops with mulx (BMI2) and adcx/adox (ADX) serve when
// the processor has both, read once at start-up (before that, during static initialisation
// elsewhere, useMulxAdx reads false and the plain loops serve). Results are the same limbs
// whichever loop runs; the tests switch useMulxAdx off to run the other loops.
//
// Aliasing. r and a either are the same limbs or do not overlap at all for the Limb* kernels;
// the *Words kernels take r and a that do not overlap. Their words may be any little-endian
// pairs of 32-bit blocks: memory is reached only through the assembly or through memcpy.
#include "LimbArithmetic.h"

#include <cstring>

#if defined(LIMBS_X86_64_KERNELS)
#include <cpuid.h>
#endif

namespace limbs {

#if defined(LIMBS_X86_64_KERNELS)
// Processors with mulx (BMI2) and the two independent carry flags of adcx/adox (ADX) run the
// multiply-accumulate loops with two carry chains at once.
namespace {
bool detectMulxAdx();
}
bool useMulxAdx = detectMulxAdx();
#else
bool useMulxAdx = false;
#endif

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

void addMulRows(Limb* r, const Limb* a, Size an, const Limb* b, Size bn) {
#if defined(LIMBS_X86_64_KERNELS)
  if (useMulxAdx) {
    addMulRowsMulx(r, a, an, b, bn);
    return;
  }
#endif
  for (Size j = 0; j < bn; ++j) r[an + j] = addMul1(r + j, a, an, b[j]);
}

}  // namespace limbs
