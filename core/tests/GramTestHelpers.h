// Helpers shared by the core and console tests: building matrices and bigraphs from rows of
// integers or decimal texts, reading them back, and snapshots for "left as it was" checks.
#pragma once

#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "Bigraph.h"

namespace gramtest {

using IntRows = std::vector<std::vector<int>>;

// The pair the dotted-edge rules return when no dotted edge is left.
inline constexpr core::Coeffs kNone{core::kNoEdge, core::kNoEdge};

// One matrix entry from an integer, a BigInteger or a decimal text.
inline BigInteger entryOf(const BigInteger& v) { return v; }
inline BigInteger entryOf(long long v) { return BigInteger(v); }
inline BigInteger entryOf(const std::string& text) { return stringToBigInteger(text); }

// A matrix holding the given rows (all of the same length n).
template <class Rows> core::GramMatrix makeGram(const Rows& rows) {
  const int n = static_cast<int>(rows.size());
  core::GramMatrix m(n);
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) m[x][y] = entryOf(rows[x][y]);
  return m;
}
// The same handed over as the classic rows of allocateSqZeroMat.
template <class Rows> BigInteger** makeMatrix(const Rows& rows) { return makeGram(rows).release(); }

// A bigraph built the way the front ends do it: the record takes the input matrix over.
template <class Rows> std::unique_ptr<core::Bigraph> makeBigraph(const Rows& rows) {
  return std::make_unique<core::Bigraph>(makeGram(rows));
}
// The same for rows written in place as braced lists of ints.
inline core::GramMatrix makeGram(const IntRows& rows) { return makeGram<IntRows>(rows); }
inline BigInteger** makeMatrix(const IntRows& rows) { return makeMatrix<IntRows>(rows); }
inline std::unique_ptr<core::Bigraph> makeBigraph(const IntRows& rows) {
  return makeBigraph<IntRows>(rows);
}

// The whole matrix as ints; the entries must fit.
inline IntRows asInts(int n, BigInteger** m) {
  IntRows rows(n, std::vector<int>(n));
  for (int x = 0; x < n; ++x)
    for (int y = 0; y < n; ++y) rows[x][y] = m[x][y].toInt();
  return rows;
}

inline IntRows asInts(const core::Bigraph& b) { return asInts(b.n, b.gram); }

// A deep copy of all n x n entries, row after row.
inline std::vector<BigInteger> snapshot(const core::Bigraph& b) {
  std::vector<BigInteger> all;
  for (int x = 0; x < b.n; ++x)
    for (int y = 0; y < b.n; ++y) all.push_back(b.gram[x][y]);
  return all;
}

inline bool sameEntries(const core::Bigraph& b, const std::vector<BigInteger>& before) {
  if (before.size() != static_cast<std::size_t>(b.n) * b.n) return false;
  for (int x = 0; x < b.n; ++x)
    for (int y = 0; y < b.n; ++y)
      if (!(b.gram[x][y] == before[static_cast<std::size_t>(x) * b.n + y])) return false;
  return true;
}

// 2^bits + add, for entries wider than one block.
inline BigInteger powerOfTwoPlus(int bits, int add) {
  BigInteger v(1);
  const BigInteger two(2);
  for (int k = 0; k < bits; ++k) v = v * two;
  return v + BigInteger(add);
}

inline std::string toString(core::Coeffs c) {
  std::ostringstream text;
  text << '(' << c.i << ", " << c.j << ')';
  return text.str();
}

}  // namespace gramtest

// Lets GoogleTest compare and print pairs (beside Coeffs, where argument lookup finds them).
namespace core {
inline bool operator==(Coeffs a, Coeffs b) { return a.i == b.i && a.j == b.j; }
inline void PrintTo(Coeffs c, std::ostream* os) { *os << gramtest::toString(c); }
}  // namespace core
