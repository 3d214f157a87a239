// The roots of a positive bigraph: R = {v in Z^n : v^T G v = 1}, a finite simply-laced root
// system, enumerated exactly, with their number for each Dynkin type.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "DiagramType.h"
#include "GramMatrix.h"

namespace core {

using Root = std::vector<std::int64_t>;

// The enumeration met more roots than it was allowed to collect (or a coordinate beyond 64
// bits): only possible for an input that is not positive, or a bound below |R|.
struct RootBoundExceeded : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// |R| for a positive bigraph whose components have the Dynkin types of `type` (corank 0):
// the sum of n h over the components (A_m: m(m+1), D_m: 2m(m-1), E_6: 72, E_7: 126, E_8: 240).
std::uint64_t rootCountOfType(const DiagramSum& type);

// Every root of the positive unit-diagonal `upper`, ordered by the sum of their coordinates,
// largest first, ties in lexicographic order, largest first (so a bigraph with only solid
// edges lists its positive roots first, its highest root at the top). Throws
// RootBoundExceeded when there are more than maxRoots, std::invalid_argument for a diagonal
// entry other than 1 or an off-diagonal entry of G + G^T outside -1..1 (never positive),
// CoxeterWorkStopped when `stop` reads true.
std::vector<Root> rootsOf(const GramMatrix& upper, std::size_t maxRoots,
                          const std::atomic<bool>* stop = nullptr);

// Whether every coordinate of `root` is at least 0.
bool isPositiveRoot(const Root& root);

}  // namespace core
