// Test helpers: conversion between the integer layer and GMP, and random operands.
#pragma once

#include <gmpxx.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"

namespace testing_support {

inline mpz_class toMpz(const BigUnsigned& x) {
  mpz_class r;
  if (x.length > 0) mpz_import(r.get_mpz_t(), x.length, -1, sizeof(BigUnsigned::Blk), 0, 0, x.blocks);
  return r;
}

inline mpz_class toMpz(const BigInteger& x) {
  mpz_class r = toMpz(x.magnitude);
  return x.sign == BigInteger::negative ? mpz_class(-r) : r;
}

inline BigUnsigned magnitudeFromMpz(const mpz_class& v) {
  size_t count = (mpz_sizeinbase(v.get_mpz_t(), 2) + 31) / 32;
  std::vector<BigUnsigned::Blk> blocks(count + 1, 0);
  size_t written = 0;
  mpz_export(blocks.data(), &written, -1, sizeof(BigUnsigned::Blk), 0, 0, v.get_mpz_t());
  return BigUnsigned(blocks.data(), BigUnsigned::Index(written));
}

inline BigInteger fromMpz(const mpz_class& v) {
  int s = sgn(v);
  if (s == 0) return BigInteger();
  return BigInteger(magnitudeFromMpz(abs(v)), s < 0 ? BigInteger::negative : BigInteger::positive);
}

// Sets a tuning variable for the scope of a test and restores it afterwards, also when an
// assertion ends the test early.
template <class T>
class ScopedSetting {
 public:
  ScopedSetting(T& variable, T value) : variable(variable), saved(variable) { variable = value; }
  ~ScopedSetting() { variable = saved; }
  ScopedSetting(const ScopedSetting&) = delete;
  ScopedSetting& operator=(const ScopedSetting&) = delete;

 private:
  T& variable;
  T saved;
};

// True when x is in normal form and its sign agrees with its magnitude.
inline bool wellFormed(const BigUnsigned& x) {
  return x.length <= x.capacity && (x.length == 0 || x.blocks[x.length - 1] != 0);
}
inline bool wellFormed(const BigInteger& x) {
  bool signOk = x.sign == BigInteger::zero ? x.magnitude.length == 0
                                           : (x.sign == BigInteger::positive || x.sign == BigInteger::negative) &&
                                                 x.magnitude.length > 0;
  return signOk && wellFormed(x.magnitude);
}

// Random operands with a fixed seed: plain random blocks, long runs of 0 and 1 bits (to reach
// carries, borrows and rare division corrections), and single blocks of extreme values.
class OperandSource {
 public:
  explicit OperandSource(std::uint64_t seed) : rng(seed) {}

  std::uint64_t next() { return rng(); }
  std::uint32_t below(std::uint32_t n) { return std::uint32_t(rng() % n); }

  BigUnsigned magnitude(BigUnsigned::Index n) {
    std::vector<BigUnsigned::Blk> b(n);
    switch (below(4)) {
      case 0:
        for (auto& x : b) x = BigUnsigned::Blk(rng());
        break;
      case 1:
        fillRuns(b);
        break;
      case 2:
        // Mostly all-ones or all-zero blocks with a few random ones.
        for (auto& x : b) x = below(8) == 0 ? BigUnsigned::Blk(rng()) : (below(2) ? 0xFFFFFFFFu : 0u);
        break;
      default:
        for (auto& x : b) x = edgeBlock();
        break;
    }
    if (n > 0 && b[n - 1] == 0) b[n - 1] = below(2) ? 1u : 0xFFFFFFFFu;
    return BigUnsigned(b.data(), n);
  }

  BigInteger integer(BigUnsigned::Index n) {
    BigUnsigned m = magnitude(n);
    if (m.isZero()) return BigInteger();
    return BigInteger(m, below(2) ? BigInteger::negative : BigInteger::positive);
  }

 private:
  std::mt19937_64 rng;

  BigUnsigned::Blk edgeBlock() {
    static const BigUnsigned::Blk edges[] = {0u, 1u, 2u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    return edges[below(7)];
  }

  void fillRuns(std::vector<BigUnsigned::Blk>& b) {
    std::size_t bits = b.size() * 32, pos = 0;
    bool one = below(2);
    while (pos < bits) {
      std::size_t run = 1 + below(below(4) == 0 ? 200 : 40);
      for (std::size_t i = pos; i < bits && i < pos + run; ++i) {
        if (one) b[i / 32] |= BigUnsigned::Blk(1) << (i % 32);
      }
      pos += run;
      one = !one;
    }
  }
};

}  // namespace testing_support
