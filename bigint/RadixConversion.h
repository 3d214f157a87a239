// Conversion between blocks and digits in a base: chunked schoolbook for short numbers,
// divide and conquer with a table of squared powers of the base for long ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace radix {

typedef std::uint32_t Blk;
typedef std::uint16_t Digit;

// Below this many limbs a number is converted by repeated division by one limb.
extern std::size_t basecaseLimbs;

// The digits of x (n blocks, top block non-zero) in the base (2 to 65535), most significant
// first and without leading zeros.
std::vector<Digit> digitsOf(const Blk* x, std::size_t n, unsigned base);

// The value of count digits (each below the base, most significant first) as blocks, normal
// form (no leading zero blocks; empty for zero).
std::vector<Blk> valueOf(const Digit* digits, std::size_t count, unsigned base);

}  // namespace radix
