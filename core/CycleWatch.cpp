// Brent's cycle finding on inflation runs, with an entry-wise additive hash of the matrix.
#include "CycleWatch.h"

namespace core {

namespace {

std::uint64_t mixed(std::uint64_t x) {  // splitmix64's finaliser
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

const BigInteger& upperEntry(const Bigraph& g, int x, int y) {
  return x < y ? g.gram[x][y] : g.gram[y][x];
}

}  // namespace

// The hash is the sum over the entries of a mix of position and value, so one entry's change
// moves it by the difference of two terms. Values of more than two blocks hash by their two low
// blocks, length and sign: equal hashes are always confirmed on the matrix itself.
std::uint64_t CycleWatch::entryHash(const Bigraph& g, int x, int y) const {
  const BigInteger& v = upperEntry(g, x, y);
  if (v.isZero()) return 0;
  const std::uint64_t low = v.getBlock(0) | (std::uint64_t(v.getBlock(1)) << 32);
  const std::uint64_t value = mixed(low ^ (v.sign == BigInteger::negative ? 0x5bd1e995ULL : 0) ^
                                    (v.fitsInBlocks(2) ? 0 : 0xc2b2ae3dULL));
  const int lo = x < y ? x : y, hi = x < y ? y : x;
  return mixed(value + (std::uint64_t(lo) << 32 | std::uint64_t(hi)));
}

std::uint64_t CycleWatch::vertexHash(const Bigraph& g, int j) const {
  std::uint64_t sum = 0;
  for (int x = 0; x < g.n; ++x)
    if (x != j) sum += entryHash(g, x, j);
  return sum;
}

CycleWatch::CycleWatch(const Bigraph& g) {
  for (int x = 0; x < g.n; ++x)
    for (int y = x + 1; y < g.n; ++y) hash_ += entryHash(g, x, y);
  takeSnapshot(g);
}

void CycleWatch::beforeStep(const Bigraph& g, int j) { hash_ -= vertexHash(g, j); }

bool CycleWatch::afterStep(const Bigraph& g, int j) {
  hash_ += vertexHash(g, j);
  ++sinceSnapshot_;
  if (hash_ == snapshotHash_ && equalsSnapshot(g)) return true;
  if (sinceSnapshot_ == power_) {
    takeSnapshot(g);
    power_ *= 2;
  }
  return false;
}

bool CycleWatch::equalsSnapshot(const Bigraph& g) const {
  std::size_t k = 0;
  for (int x = 0; x < g.n; ++x)
    for (int y = x + 1; y < g.n; ++y)
      if (g.gram[x][y] != snapshot_[k++]) return false;
  return true;
}

void CycleWatch::takeSnapshot(const Bigraph& g) {
  snapshot_.clear();
  for (int x = 0; x < g.n; ++x)
    for (int y = x + 1; y < g.n; ++y) snapshot_.push_back(g.gram[x][y]);
  snapshotHash_ = hash_;
  sinceSnapshot_ = 0;
}

}  // namespace core
