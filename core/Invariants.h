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

#include "DiagramType.h"
#include "GramMatrix.h"
#include "Signature.h"

namespace core {

class Bigraph;


// The upper-triangular Gram matrix G of `g`: its diagonal and the entries above it, zeros below
// (whatever the record holds there).
GramMatrix upperGramOf(const Bigraph& g);
// S = G + G^T for an upper-triangular G (entries below G's diagonal are ignored).
GramMatrix symmetricGram(const GramMatrix& upper);


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
  // Of each component, in the standard order ("E8", "2A1+D4"), or none: loops, or a component
  // that is not non-negative.
  std::optional<DiagramSum> dynkinType;
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

// Every invariant above for the upper-triangular Gram matrix `upper` (n x n, n >= 0). Each
// connected component is done on its own. Small ones by one fraction-free elimination (about
// n^3 / 3 steps on machine words while its entries stay below 2^31, on unbounded integers
// otherwise); from 48 vertices on, by a proved floating-point signature, a modular rank and
// kernel and a multi-modular determinant (ModularInvariants.h), with the elimination as the
// fallback when a check fails. About 2 ms for n = 100, 1 s for a dense n = 1000, 3 n^2 to
// 6 n^2 words of memory.
Invariants computeInvariants(const GramMatrix& upper);
// The same, reporting progress and stopping when `control` asks to.
Invariants computeInvariants(const GramMatrix& upper, const InvariantsControl& control);
// The same for a bigraph's record.
Invariants invariantsOf(const Bigraph& g);

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
Verification verifyCertificate(const GramMatrix& S, const GramMatrix& B, const GramMatrix& Sprime,
                               std::uint64_t seed = 1);
// The same check in the mode given, whatever n is.
Verification verifyCertificateIn(VerificationMode mode, const GramMatrix& S, const GramMatrix& B,
                                 const GramMatrix& Sprime, std::uint64_t seed = 1);

// Whether the shape recognised on `recognised` (after recognizeBigraphProperties) agrees with
// its exact invariants `exact`: the recognised diagram must be the exact type. None when they
// agree or no diagram was recognised; otherwise a sentence saying what disagrees.
std::optional<std::string> typeAgreementError(const Bigraph& recognised,
                                              const Invariants& exact);

// Releases the integer caches the exact linear algebra keeps for the calling thread. A thread
// that computed invariants calls it before it ends; the main thread need not.
void releaseThreadCaches();

}  // namespace core
