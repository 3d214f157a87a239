// The run engine counting on from a given number of steps: the way in for tests of counts
// beyond 32 bits, which cannot make that many inflations. Programs call runInflations.
#pragma once

#include <cstdint>

#include "RunEngine.h"

namespace core {

namespace run_engine {

// runInflations with the step counter starting at stepsBefore instead of 0.
RunOutcome runInflationsCountingFrom(std::uint64_t stepsBefore, Bigraph& g, const RunOptions& options,
                                     RunObserver& observer);

}  // namespace run_engine

}  // namespace core
