// Invariants of large symmetric matrices by modular rank, exact solving and a proved
// floating-point signature, each step checked, so nothing rests on chance or on rounding.
//
// - Nonsingular and well conditioned S (the common case): VerifiedInertia proves the inertia
//   (p, 0, m), hence det S != 0; det S comes from FLINT's fmpz_mat_det (multi-modular, with a
//   divisor found by p-adic solving; Abbott, Bronstein and Mulders, Fast deterministic
//   computation of determinants of dense matrices, ISSAC 1999), and d = |det S|.
// - Otherwise the rank: modulo a 62-bit prime, the pivot columns J of the reduced row echelon
//   form of S are independent, so rank S >= |J| =: rho, and S[J, J] is nonsingular (for a
//   symmetric S, S = S[:, J] C for some C, so S[J, :] = S[J, J] C has rank rho). With T the
//   other indices, S[J, J] Y = den S[J, T] is solved exactly (FLINT's fmpz_mat_solve, Dixon's
//   p-adic lifting for large systems: Dixon, Exact solution of linear equations using p-adic
//   expansions, Numer. Math. 40 (1982)); the vectors x_T = den e_t, x_J = -Y e_t are checked
//   to satisfy S x = 0 exactly, which proves rank S <= rho. A failed check means an unlucky
//   prime: another is tried.
// - Those vectors span a sublattice of the kernel lattice L whose index divides den^corank
//   (L contains den Z^T on the T coordinates), so saturating at the primes of den gives a
//   Z-basis K of L.
// - d: Z^J + L has index m = |det K[:, T]| in Z^n, and S restricted to Z^J has determinant
//   d m^2 (its image in Z^n / L has index m, and S is d on a complement of L). So
//   d = |det S[J, J]| / m^2, checked to divide.
// - The signature of S is that of the nonsingular S[J, J] (a complement of the radical) plus
//   corank zeros; VerifiedInertia proves it, and its witness, zero on T, is one for S.
#include "ModularInvariants.h"

#include <flint/fmpz_vec.h>
#include <flint/nmod_mat.h>
#include <flint/ulong_extras.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "VerifiedInertia.h"

namespace core {

namespace modular_invariants {

namespace {

constexpr int kPrimeAttempts = 3;
// Up to this many primes, a determinant is found modulo primes within its proved interval;
// wider intervals go to fmpz_mat_det, whose divisor trick suits large determinants.
constexpr int kWindowPrimes = 3;

// Stage `from`..`to` of the whole computation, for the checkpoint.
symmetric_elimination::Checkpoint stage(const symmetric_elimination::Checkpoint& checkpoint,
                                        double from, double to) {
  if (!checkpoint) return {};
  return [&checkpoint, from, to](double f) { checkpoint(from + (to - from) * f); };
}

FlintMatrix submatrix(const FlintMatrix& S, const std::vector<long>& rows,
                      const std::vector<long>& cols) {
  FlintMatrix out(static_cast<long>(rows.size()), static_cast<long>(cols.size()));
  for (std::size_t a = 0; a < rows.size(); ++a)
    for (std::size_t b = 0; b < cols.size(); ++b)
      fmpz_set(out.at(static_cast<long>(a), static_cast<long>(b)), S.at(rows[a], cols[b]));
  return out;
}

// The pivot columns of S modulo p, in increasing order.
std::vector<long> pivotColumnsModulo(const FlintMatrix& S, ulong p) {
  const long n = S.rows();
  nmod_mat_t reduced;
  nmod_mat_init(reduced, n, n, p);
  fmpz_mat_get_nmod_mat(reduced, S.get());
  std::vector<slong> pivotsThenOthers(static_cast<std::size_t>(n));
  std::vector<slong> permutation(static_cast<std::size_t>(n));
  const slong rank = _nmod_mat_rref(reduced, pivotsThenOthers.data(), permutation.data());
  nmod_mat_clear(reduced);
  std::vector<long> pivots(pivotsThenOthers.begin(), pivotsThenOthers.begin() + rank);
  std::sort(pivots.begin(), pivots.end());
  return pivots;
}

// The rows x (corank x n) with x_T = den e_t, x_J = -Y e_t; none unless S x = 0 for each.
std::optional<FlintMatrix> kernelCandidates(const FlintMatrix& S, const std::vector<long>& J,
                                            const std::vector<long>& T, FlintInteger& den) {
  const long n = S.rows();
  const long r = static_cast<long>(T.size());
  const FlintMatrix A = submatrix(S, J, J);
  const FlintMatrix B = submatrix(S, J, T);
  FlintMatrix Y(static_cast<long>(J.size()), r);
  if (!fmpz_mat_solve(Y.get(), den.get(), A.get(), B.get())) return std::nullopt;
  FlintMatrix K(r, n);
  for (long t = 0; t < r; ++t) {
    fmpz_set(K.at(t, T[t]), den.get());
    for (std::size_t a = 0; a < J.size(); ++a)
      fmpz_neg(K.at(t, J[a]), Y.at(static_cast<long>(a), t));
  }
  FlintMatrix KS(r, n);
  fmpz_mat_mul(KS.get(), K.get(), S.get());
  if (!fmpz_mat_is_zero(KS.get())) return std::nullopt;
  return K;
}

// Rows divided by their content, then saturated at the primes of den (which must fit a word
// when there are several rows).
bool saturate(FlintMatrix& K, const FlintInteger& den) {
  FlintInteger content;
  for (long t = 0; t < K.rows(); ++t) {
    _fmpz_vec_content(content.get(), K.get()->rows[t], K.cols());
    _fmpz_vec_scalar_divexact_fmpz(K.get()->rows[t], K.get()->rows[t], K.cols(), content.get());
  }
  if (K.rows() == 1) return true;  // a primitive vector spans a saturated lattice
  FlintInteger magnitude;
  fmpz_abs(magnitude.get(), den.get());
  if (!fmpz_abs_fits_ui(magnitude.get())) return false;
  n_factor_t primes;
  n_factor_init(&primes);
  n_factor(&primes, fmpz_get_ui(magnitude.get()), 1);
  for (int k = 0; k < primes.num; ++k) saturateAt(K, primes.p[k]);
  return true;
}

// det A, given low <= det A <= high: modulo enough 62-bit primes to tell the integers of the
// interval apart, or by FLINT when that would take more than kWindowPrimes.
void determinantWithin(fmpz_t det, const FlintMatrix& A, const FlintInteger& low,
                       const FlintInteger& high) {
  FlintInteger width;
  fmpz_sub(width.get(), high.get(), low.get());
  if (fmpz_sgn(width.get()) < 0)
    throw std::logic_error("computeInvariants: an empty interval for a determinant");
  if (fmpz_bits(width.get()) >= 62 * kWindowPrimes) {
    fmpz_mat_det(det, A.get());
    return;
  }
  const long n = A.rows();
  FlintInteger residue(0);
  FlintInteger modulus(1);
  ulong prime = UWORD(1) << 62;
  while (fmpz_cmp(modulus.get(), width.get()) <= 0) {
    prime = n_nextprime(prime, 1);
    nmod_mat_t reduced;
    nmod_mat_init(reduced, n, n, prime);
    fmpz_mat_get_nmod_mat(reduced, A.get());
    const ulong r = nmod_mat_det(reduced);
    nmod_mat_clear(reduced);
    fmpz_CRT_ui(residue.get(), residue.get(), modulus.get(), r, prime, 0);
    fmpz_mul_ui(modulus.get(), modulus.get(), prime);
  }
  // The one integer of [low, high] congruent to the residue.
  fmpz_sub(det, residue.get(), low.get());
  fmpz_mod(det, det, modulus.get());
  fmpz_add(det, det, low.get());
  if (fmpz_cmp(det, high.get()) > 0)
    throw std::logic_error("computeInvariants: a determinant outside its proved interval");
}

std::optional<Facts> nonsingular(const FlintMatrix& S, verified_inertia::Proof&& proof,
                                 const symmetric_elimination::Checkpoint& checkpoint) {
  Facts f;
  f.signature = proof.signature;
  f.witness = std::move(proof.witness);
  if (checkpoint) checkpoint(0.6);
  determinantWithin(f.det.get(), S, proof.detLow, proof.detHigh);
  if (fmpz_is_zero(f.det.get()))
    throw std::logic_error("computeInvariants: a proved nonsingular matrix has determinant 0");
  fmpz_abs(f.smithProduct.get(), f.det.get());
  return f;
}

std::vector<long> allRows(long count) {
  std::vector<long> all(static_cast<std::size_t>(count));
  for (long t = 0; t < count; ++t) all[t] = t;
  return all;
}

std::vector<long> complementOf(const std::vector<long>& J, long n) {
  std::vector<long> T;
  for (long v = 0, a = 0; v < n; ++v) {
    if (a < static_cast<long>(J.size()) && J[a] == v)
      ++a;
    else
      T.push_back(v);
  }
  return T;
}

// Kernel candidates from the floating-point solutions y_t of S[J, J] y = S[J, T] e_t: with
// q = |det S[J, J]|, x_T = q e_t and x_J = -q y_t rounded. None unless S x = 0 exactly for
// each (they are exact whenever the rounding errors stay below 1/2).
std::optional<FlintMatrix> roundedKernel(const FlintMatrix& S, const std::vector<long>& J,
                                         const std::vector<long>& T, const fmpz_t q,
                                         const std::vector<std::vector<double>>& solutions) {
  if (fmpz_bits(q) > 40 || solutions.size() != T.size()) return std::nullopt;
  const double scale = fmpz_get_d(q);
  FlintMatrix K(static_cast<long>(T.size()), S.rows());
  for (std::size_t t = 0; t < T.size(); ++t) {
    fmpz_set(K.at(static_cast<long>(t), T[t]), q);
    for (std::size_t a = 0; a < J.size(); ++a) {
      const double v = -std::nearbyint(scale * solutions[t][a]);
      if (!(std::fabs(v) < 0x1p52)) return std::nullopt;
      fmpz_set_d(K.at(static_cast<long>(t), J[a]), v);
    }
  }
  FlintMatrix KS(K.rows(), S.cols());
  fmpz_mat_mul(KS.get(), K.get(), S.get());
  if (!fmpz_mat_is_zero(KS.get())) return std::nullopt;
  return K;
}

// The facts of a singular S whose kernel has the basis K (rows, x_T = den e_t), given the
// proof for the nonsingular S[J, J] and its determinant.
std::optional<Facts> singularFacts(const FlintMatrix& S, const std::vector<long>& J,
                                   const std::vector<long>& T, verified_inertia::Proof& proofA,
                                   const fmpz_t detA, FlintMatrix&& K, const fmpz_t den) {
  const long n = S.rows();
  FlintInteger denominator;
  fmpz_set(denominator.get(), den);
  if (!saturate(K, denominator)) return std::nullopt;
  Facts f;
  f.signature = proofA.signature;
  f.signature.zero = static_cast<int>(T.size());
  if (proofA.witness) {
    f.witness.emplace(1, n);
    for (std::size_t a = 0; a < J.size(); ++a)
      fmpz_set(f.witness->at(0, J[a]), proofA.witness->at(0, static_cast<long>(a)));
  }
  const FlintMatrix onT = submatrix(K, allRows(K.rows()), T);
  FlintInteger m;
  fmpz_mat_det(m.get(), onT.get());
  fmpz_mul(m.get(), m.get(), m.get());
  FlintInteger magnitude;
  fmpz_abs(magnitude.get(), detA);
  if (fmpz_is_zero(m.get()) || !fmpz_divisible(magnitude.get(), m.get())) return std::nullopt;
  fmpz_divexact(f.smithProduct.get(), magnitude.get(), m.get());
  f.kernel.emplace(std::move(K));
  return f;
}

// The facts of S when S[J, J] is nonsingular and rank S = |J| (checked here). `unluckyPrime`
// is set when the kernel check shows rank S > |J|.
std::optional<Facts> singular(const FlintMatrix& S, const std::vector<long>& J,
                              const symmetric_elimination::Checkpoint& checkpoint,
                              bool& unluckyPrime) {
  unluckyPrime = false;
  if (J.empty()) return std::nullopt;
  const std::vector<long> T = complementOf(J, S.rows());
  const FlintMatrix A = submatrix(S, J, J);
  const FlintMatrix B = submatrix(S, J, T);
  std::optional<verified_inertia::Proof> proofA =
      verified_inertia::prove(A, stage(checkpoint, 0.3, 0.8), nullptr, &B);
  if (!proofA) return std::nullopt;
  if (checkpoint) checkpoint(0.8);
  FlintInteger detA;
  determinantWithin(detA.get(), A, proofA->detLow, proofA->detHigh);
  FlintInteger q;
  fmpz_abs(q.get(), detA.get());
  if (std::optional<FlintMatrix> K = roundedKernel(S, J, T, q.get(), proofA->solutions))
    return singularFacts(S, J, T, *proofA, detA.get(), std::move(*K), q.get());
  FlintInteger den;
  std::optional<FlintMatrix> K = kernelCandidates(S, J, T, den);
  unluckyPrime = !K;
  if (!K) return std::nullopt;
  return singularFacts(S, J, T, *proofA, detA.get(), std::move(*K), den.get());
}

}  // namespace

void saturateAt(FlintMatrix& K, ulong p) {
  const long z = K.rows();
  const long n = K.cols();
  for (;;) {
    nmod_mat_t rowsModP, nullspace;
    nmod_mat_init(rowsModP, n, z, p);
    nmod_mat_init(nullspace, z, z, p);
    for (long t = 0; t < z; ++t)
      for (long k = 0; k < n; ++k) nmod_mat_entry(rowsModP, k, t) = fmpz_fdiv_ui(K.at(t, k), p);
    const slong nullity = nmod_mat_nullspace(nullspace, rowsModP);
    std::vector<ulong> c(static_cast<std::size_t>(z));
    for (long t = 0; t < z; ++t) c[t] = nmod_mat_entry(nullspace, t, 0);
    nmod_mat_clear(rowsModP);
    nmod_mat_clear(nullspace);
    if (nullity == 0) return;
    long target = 0;
    while (c[target] == 0) ++target;
    const ulong scale = n_invmod(c[target], p);
    FlintMatrix combination(1, n);
    for (long t = 0; t < z; ++t) {
      const ulong coefficient = n_mulmod2_preinv(c[t], scale, p, n_preinvert_limb(p));
      _fmpz_vec_scalar_addmul_ui(combination.get()->rows[0], K.get()->rows[t], n, coefficient);
    }
    FlintInteger prime;
    fmpz_set_ui(prime.get(), p);
    _fmpz_vec_scalar_divexact_fmpz(K.get()->rows[target], combination.get()->rows[0], n,
                                   prime.get());
  }
}

namespace {

// A unit vector e_i with S_ii < 0 is the simplest witness there is (and the one elimination
// finds first): preferred to the floating-point one when there is such a vertex.
std::optional<Facts> preferUnitWitness(std::optional<Facts> f, const FlintMatrix& S) {
  if (!f || !f->witness) return f;
  for (long i = 0; i < S.rows(); ++i)
    if (fmpz_sgn(S.at(i, i)) < 0) {
      f->witness.emplace(1, S.rows());
      fmpz_one(f->witness->at(0, i));
      break;
    }
  return f;
}

std::optional<Facts> facts(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint) {
  const long n = S.rows();
  verified_inertia::Attempt attempt;
  if (std::optional<verified_inertia::Proof> proof =
          verified_inertia::prove(S, stage(checkpoint, 0.0, 0.6), &attempt))
    return nonsingular(S, std::move(*proof), checkpoint);
  bool unluckyPrime = false;
  // Numerically singular: the pivots before the tiny one are the likely rank profile.
  if (attempt.tinyPivot) {
    std::vector<long> J = attempt.pivots;
    std::sort(J.begin(), J.end());
    if (std::optional<Facts> f = singular(S, J, checkpoint, unluckyPrime)) return f;
  }
  ulong prime = UWORD(1) << 62;
  for (int attempts = 0; attempts < kPrimeAttempts; ++attempts) {
    prime = n_nextprime(prime, 1);
    if (checkpoint) checkpoint(0.1);
    const std::vector<long> J = pivotColumnsModulo(S, prime);
    // Nonsingular, yet too badly conditioned for the floating-point proof.
    if (static_cast<long>(J.size()) == n) return std::nullopt;
    std::optional<Facts> f = singular(S, J, checkpoint, unluckyPrime);
    if (!unluckyPrime) return f;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Facts> compute(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint) {
  return preferUnitWitness(facts(S, checkpoint), S);
}

}  // namespace modular_invariants

}  // namespace core
