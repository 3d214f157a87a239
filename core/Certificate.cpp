// Checking an inflation certificate B: B^T S B = S', exactly or on random integer vectors.
#include <random>

#include "FlintBridge.h"
#include "Invariants.h"

namespace core {

using flint_bridge::FlintMatrix;

namespace {

constexpr std::size_t kExactLimit = 300;  // largest n checked entry by entry
constexpr int kRandomVectors = 20;

FlintMatrix flintOf(const GramMatrix& m) {
  FlintMatrix out(static_cast<long>(m.size()), static_cast<long>(m.size()));
  flint_bridge::toFlint(out, m);
  return out;
}

FlintMatrix product(const FlintMatrix& a, const FlintMatrix& b) {
  FlintMatrix out(a.rows(), b.cols());
  fmpz_mat_mul(out.get(), a.get(), b.get());
  return out;
}

bool holdsExactly(const FlintMatrix& S, const FlintMatrix& B, const FlintMatrix& Sprime) {
  FlintMatrix Bt(B.cols(), B.rows());
  fmpz_mat_transpose(Bt.get(), B.get());
  return fmpz_mat_equal(product(Bt, product(S, B)).get(), Sprime.get());
}

// Columns of X are random vectors with entries of up to 32 bits and either sign, so a wrong
// entry of S' goes unnoticed by one vector only if that vector's matching entry is zero.
bool holdsOnRandomVectors(const FlintMatrix& S, const FlintMatrix& B, const FlintMatrix& Sprime,
                          std::uint64_t seed) {
  const long n = S.rows();
  std::mt19937_64 generator(seed);
  std::uniform_int_distribution<slong> entry(-(slong(1) << 32), slong(1) << 32);
  FlintMatrix X(n, kRandomVectors);
  for (long i = 0; i < n; ++i)
    for (long k = 0; k < kRandomVectors; ++k) fmpz_set_si(X.at(i, k), entry(generator));
  FlintMatrix Bt(n, n);
  fmpz_mat_transpose(Bt.get(), B.get());
  const FlintMatrix left = product(Bt, product(S, product(B, X)));
  return fmpz_mat_equal(left.get(), product(Sprime, X).get());
}

}  // namespace

std::string verificationName(const Verification& v) {
  if (v.mode == VerificationMode::Exact) return "exact";
  return "random vectors (" + std::to_string(v.vectors) + ")";
}

Verification verifyCertificateIn(VerificationMode mode, const GramMatrix& S, const GramMatrix& B,
                                 const GramMatrix& Sprime, std::uint64_t seed) {
  Verification v;
  v.mode = mode;
  v.vectors = mode == VerificationMode::RandomVectors ? kRandomVectors : 0;
  const std::size_t n = S.size();
  if (B.size() != n || Sprime.size() != n) return v;
  const FlintMatrix s = flintOf(S);
  const FlintMatrix b = flintOf(B);
  const FlintMatrix sp = flintOf(Sprime);
  v.holds = mode == VerificationMode::Exact ? holdsExactly(s, b, sp)
                                            : holdsOnRandomVectors(s, b, sp, seed);
  return v;
}

Verification verifyCertificate(const GramMatrix& S, const GramMatrix& B, const GramMatrix& Sprime,
                               std::uint64_t seed) {
  const VerificationMode mode =
      S.size() <= kExactLimit ? VerificationMode::Exact : VerificationMode::RandomVectors;
  return verifyCertificateIn(mode, S, B, Sprime, seed);
}

}  // namespace core
