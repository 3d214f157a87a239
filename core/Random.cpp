// The 15-bit random generator behind the random edge choices, one per thread.
#include <cstdint>

#include "Bigraph.h"

namespace core {

namespace {

// A linear congruential generator whose output is bits 16..30 of the state, so every value lies
// in 0..32767 whatever the C library's rand() range is. The state starts as after a seed of 1.
// One state per thread, so that the items of a multi-threaded sweep are seeded and drawn
// independently; a single-threaded program sees one generator as before.
thread_local std::uint32_t randomState = 1;

}  // namespace

void seedRandom15(std::uint32_t seed) { randomState = seed; }

int random15() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int>((randomState >> 16) & 0x7fffu);
}

}  // namespace core
