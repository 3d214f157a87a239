// Finding a run that comes back to a matrix it has had before (Brent's cycle finding on a hash
// of the matrix kept up to date in O(n) per inflation).
#pragma once

#include <cstdint>
#include <vector>

#include "Bigraph.h"

namespace core {

// Watches the upper triangle (diagonal excluded) of a bigraph's matrix through a run. Brent's
// algorithm (R. P. Brent, "An improved Monte Carlo factorization algorithm", BIT 20, 1980)
// keeps one snapshot, taken at steps 0, 1, 2, 4, 8, ...; a matrix equal to the snapshot taken
// `period` steps earlier is found within about 2 (start + period) steps of the cycle's start.
// The hash only proposes a repetition; the snapshot comparison confirms it.
class CycleWatch {
 public:
  explicit CycleWatch(const Bigraph& g);
  // Before an inflation that changes the entries of vertex j.
  void beforeStep(const Bigraph& g, int j);
  // After it: true when the matrix now equals the one `period()` inflations earlier.
  bool afterStep(const Bigraph& g, int j);
  std::uint64_t period() const { return sinceSnapshot_; }

 private:
  std::uint64_t entryHash(const Bigraph& g, int x, int y) const;
  std::uint64_t vertexHash(const Bigraph& g, int j) const;
  bool equalsSnapshot(const Bigraph& g) const;
  void takeSnapshot(const Bigraph& g);

  std::uint64_t hash_ = 0;
  std::uint64_t snapshotHash_ = 0;
  std::vector<BigInteger> snapshot_;  // the upper triangle, row by row
  std::uint64_t power_ = 1;
  std::uint64_t sinceSnapshot_ = 0;
};

}  // namespace core
