// Helpers of the invariants tests: small matrices as ints, products in the integer layer's own
// arithmetic (independent of FLINT), and the equations a witness and a kernel must satisfy.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "Invariants.h"

namespace invtest {

using IntRows = std::vector<std::vector<long long>>;

// The Dynkin type as the programs write it ("2A1+D4"), or none.
inline std::optional<std::string> typeName(const core::Invariants& inv) {
  if (!inv.dynkinType) return std::nullopt;
  return inv.dynkinType->dynkinName();
}

inline core::GramMatrix toGram(const IntRows& rows) {
  core::GramMatrix m(static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows.size(); ++j) m[i][j] = BigInteger(rows[i].at(j));
  return m;
}

// The upper-triangular Gram matrix with unit diagonal whose symmetric matrix is S.
inline core::GramMatrix upperOfSymmetric(const IntRows& S) {
  const std::size_t n = S.size();
  core::GramMatrix upper(static_cast<int>(n));
  for (std::size_t i = 0; i < n; ++i) {
    upper[i][i] = BigInteger(S[i][i] / 2);
    for (std::size_t j = i + 1; j < n; ++j) upper[i][j] = BigInteger(S[i][j]);
  }
  return upper;
}

inline core::IntVector times(const core::GramMatrix& S, const core::IntVector& x) {
  core::IntVector out(S.size());
  for (std::size_t i = 0; i < S.size(); ++i)
    for (std::size_t j = 0; j < x.size(); ++j) out[i] += S[i][j] * x[j];
  return out;
}

inline BigInteger dot(const core::IntVector& a, const core::IntVector& b) {
  BigInteger s;
  for (std::size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
  return s;
}

inline bool isZeroVector(const core::IntVector& x) {
  for (const BigInteger& v : x)
    if (!v.isZero()) return false;
  return true;
}

inline BigInteger gcdOf(BigInteger a, BigInteger b) {
  if (a.sign < 0) a.negateInPlace();
  if (b.sign < 0) b.negateInPlace();
  while (!b.isZero()) {
    BigInteger r = a;
    BigInteger q;
    r.divideWithRemainder(b, q);
    a = b;
    b = r;
  }
  return a;
}

inline bool isPrimitive(const core::IntVector& x) {
  BigInteger g;
  for (const BigInteger& v : x) g = gcdOf(g, v);
  return g == BigInteger(1);
}

// The witness has x^T S x < 0 exactly when there are negative eigenvalues, and the kernel
// vectors are primitive, independent of the corank's count and killed by S.
inline void expectWitnessAndKernel(const core::GramMatrix& upper, const core::Invariants& inv) {
  const core::GramMatrix S = core::symmetricGram(upper);
  ASSERT_EQ(inv.witness.has_value(), inv.signature.negative > 0);
  if (inv.witness) {
    EXPECT_EQ(inv.witness->size(), S.size());
    EXPECT_LT(dot(*inv.witness, times(S, *inv.witness)).sign, 0);
  }
  ASSERT_EQ(static_cast<int>(inv.kernel.size()), inv.corank);
  for (const core::IntVector& k : inv.kernel) {
    EXPECT_TRUE(isZeroVector(times(S, k)));
    EXPECT_TRUE(isPrimitive(k));
  }
}

}  // namespace invtest
