// Whether the n x n input matrix of a vertex count fits in the memory the process can still
// take, and the refusals of a negative or too large vertex count.
#pragma once

#include <cstdint>
#include <string_view>

#include "InputError.h"

namespace core {

// Stands for "no known bound" wherever a number of bytes is returned.
inline constexpr std::uint64_t kUnboundedBytes = UINT64_MAX;

// Bytes that an n x n matrix of small BigInteger entries takes, with its row table; n >= 0.
std::uint64_t matrixBytes(int n);

// The MemAvailable line of a /proc/meminfo text, in bytes; kUnboundedBytes when it is missing.
std::uint64_t availableFromMeminfo(std::string_view meminfo);

// The room left under a resource limit (kUnboundedBytes for none) when `used` bytes are taken.
std::uint64_t roomUnderLimit(std::uint64_t limit, std::uint64_t used);

// Bytes the process can take now: the least of the system's available memory (MemAvailable)
// and the room left under the address-space and data limits (RLIMIT_AS, RLIMIT_DATA).
// kUnboundedBytes when none of them is known.
std::uint64_t memoryRoomNow();

// Refuses a negative number of vertices with an InputError; 0 and above pass.
void checkVertexCount(int n);

// Refuses, with an InputError, a vertex count whose matrix (counted once: the bigraph takes
// over the input matrix) needs more than roomBytes. The size is computed in 64 bits, so a huge
// n fails here cleanly instead of overflowing. Includes checkVertexCount.
void checkMatrixFits(int n, std::uint64_t roomBytes);
// The same against memoryRoomNow().
void checkMatrixFits(int n);

// The refusal of a matrix too large for memory, also for callers that allocate one and catch
// std::bad_alloc.
InputError matrixTooLarge(int n);

}  // namespace core
