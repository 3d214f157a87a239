// Conversion between blocks and digits in a base, the one home of both directions: the chunk
// table, the one-limb basecase for short numbers, and divide and conquer for long ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace radix {

typedef std::uint32_t Blk;
typedef std::uint16_t Digit;

// Up to this many limbs a number is converted by the one-limb basecase (repeated division by
// the chunk, or Horner's scheme one chunk at a time), in both directions; above it by divide
// and conquer. Tests lower it to reach the recursion with short numbers.
extern std::size_t basecaseLimbs;

// The largest power of the base that fits in one 64-bit limb, and its number of digits.
struct Chunk {
  std::uint64_t power;
  unsigned digits;
};
// From the table for bases 2 to 36, computed for wider bases (up to 65535).
Chunk chunkFor(unsigned base);

// The split rule of divide and conquer for a number of `chunks` chunks of digits: level t
// splits off the low m_t chunks, with m_0 = ceil(chunks / 2) and m_(t+1) = ceil(m_t / 2),
// while m_t is above basecaseLimbs. Every split is balanced: the high part is never longer
// than the low one, and shorter by at most t + 1 chunks.
std::vector<std::size_t> splitChunks(std::size_t chunks);

// The digits of x (n blocks, top block non-zero) in the base (2 to 65535), most significant
// first and without leading zeros.
std::vector<Digit> digitsOf(const Blk* x, std::size_t n, unsigned base);

// The decimal text of x (n blocks, normal form; "0" for n = 0), after a "-" when minus is set.
std::string decimalText(const Blk* x, std::size_t n, bool minus);

// The value of count digits (each below the base, most significant first) as blocks, normal
// form (no leading zero blocks; empty for zero).
std::vector<Blk> valueOf(const Digit* digits, std::size_t count, unsigned base);

}  // namespace radix
