// Exact invariants of a bigraph's symmetric Gram matrix S = G + G^T: signature, definiteness,
// determinant, Smith form, kernel basis, a negative witness, the Dynkin type, and the check of
// an inflation certificate. Every result exact; floating point only where its rounding is proved.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"

class Bigraph;

// A dense integer matrix, row-major: rows[i][j]. Square wherever a Gram matrix is meant.
using IntMatrix = std::vector<std::vector<BigInteger>>;
using IntVector = std::vector<BigInteger>;

// The upper-triangular Gram matrix G of `g`: its diagonal and the entries above it, zeros below
// (whatever the record holds there).
IntMatrix upperGramOf(const Bigraph& g);
// S = G + G^T for an upper-triangular G (entries below G's diagonal are ignored).
IntMatrix symmetricGram(const IntMatrix& upper);

// Numbers of positive, zero and negative eigenvalues of S.
struct Signature {
  int positive = 0;
  int zero = 0;
  int negative = 0;
};

enum class Definiteness { Positive, NonNegative, Indefinite, NonPositive, Negative };
// "positive", "non-negative", "indefinite", "non-positive", "negative".
const char* definitenessName(Definiteness d);
// From the signature: positive (z = m = 0, the empty form included), non-negative (m = 0 < z),
// indefinite (p > 0 and m > 0), non-positive (p = 0 < z), negative (p = z = 0, n > 0).
Definiteness definitenessOf(const Signature& s);

struct Invariants {
  int vertices = 0;
  int components = 0;         // connected components of the bigraph (edges: nonzero G(i,j))
  bool loopFree = false;      // every diagonal entry is 1
  Signature signature;
  Definiteness definiteness = Definiteness::Positive;
  int corank = 0;             // signature.zero
  BigInteger det;             // det S (1 for n = 0)
  BigInteger smithProduct;    // d: product of the nonzero invariant factors of S
  // "E8", "A1+A1+D4" (components in ascending order), or none: loops, or a component that is
  // not non-negative.
  std::optional<std::string> dynkinType;
  std::vector<IntVector> kernel;    // primitive integer basis of {x : S x = 0}, corank vectors
  std::optional<IntVector> witness; // x with x^T S x < 0, whenever signature.negative > 0
};

// Progress and cancellation of a long computation of invariants, supplied by the program (the
// core never prints).
struct InvariantsControl {
  // Called now and then with the fraction of the work done, 0..1; may be empty.
  std::function<void(double fraction)> progress;
  // When it reads true, the computation ends soon by throwing InvariantsStopped.
  const std::atomic<bool>* stop = nullptr;
};
struct InvariantsStopped : std::runtime_error {
  InvariantsStopped() : std::runtime_error("the computation of the invariants was stopped") {}
};

// Every invariant above for the upper-triangular Gram matrix `upper` (n x n, n >= 0). Throws
// std::invalid_argument when `upper` is not square. Each connected component is done on its
// own. Small ones by one fraction-free elimination (about n^3 / 3 steps on machine words while
// its entries stay below 2^31, on unbounded integers otherwise); from 48 vertices on, by a
// proved floating-point signature, a modular rank and kernel and FLINT's multi-modular
// determinant (ModularInvariants.h), with the elimination as the fallback when a check fails.
// About 2 ms for n = 100, 1 s for a dense n = 1000, 3 n^2 to 6 n^2 words of memory.
Invariants computeInvariants(const IntMatrix& upper);
// The same, reporting progress and stopping when `control` asks to.
Invariants computeInvariants(const IntMatrix& upper, const InvariantsControl& control);
// The same for a bigraph's record.
Invariants invariantsOf(const Bigraph& g);

// The Dynkin type X_k read off rank k and d (A_k: d = k + 1; D_k, k >= 4: d = 4; E_6, E_7, E_8:
// d = 3, 2, 1), as "A5", "D4", "E8"; none when no connected Dynkin diagram has them.
std::optional<std::string> dynkinTypeFor(int rank, const BigInteger& d);

// How a certificate was checked: every entry of B^T S B against S', or S' v against
// B^T (S (B v)) for random integer vectors v (large n).
enum class VerificationMode { Exact, RandomVectors };
struct Verification {
  bool holds = false;
  VerificationMode mode = VerificationMode::Exact;
  int vectors = 0;  // random vectors used (0 when exact)
};
// "exact" or "random vectors (N)".
std::string verificationName(const Verification& v);

// Checks B^T S B = S' independently of the run that produced B: in full for n <= 300, above
// that with at least 20 random integer vectors drawn from `seed`. Matrices that are not all
// square of one size do not verify.
Verification verifyCertificate(const IntMatrix& S, const IntMatrix& B, const IntMatrix& Sprime,
                               std::uint64_t seed = 1);
// The same check in the mode given, whatever n is.
Verification verifyCertificateIn(VerificationMode mode, const IntMatrix& S, const IntMatrix& B,
                                 const IntMatrix& Sprime, std::uint64_t seed = 1);

// Whether the shape recognised on `recognised` (after recognizeBigraphProperties) agrees with
// its exact invariants `exact`: a Dynkin graph X_n must have type "Xn" (corank 0), a Euclidean
// graph X~_k (k = n - 1) type "Xk" with corank 1. None when they agree or no such shape was
// recognised; otherwise a sentence saying what disagrees.
std::optional<std::string> typeAgreementError(const Bigraph& recognised,
                                              const Invariants& exact);

// Releases the integer caches the exact linear algebra keeps for the calling thread. A thread
// that computed invariants calls it before it ends; the main thread need not.
void releaseThreadCaches();
