// The texts of a run that both programs print: the refusal of an inflation and the list of
// performed inflations, seven pairs to a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Bigraph.h"

namespace core {

// The two programs word the refusal alike but for one word: the console program writes
// "attept", the window program "attempt".
enum class RefusalWording { Console, Window };

// "Error: attept to inflate on an continuous edge 2 5!\n" or "... on a non-connected pair of
// vertices 1 3!\n" (with "attempt" for RefusalWording::Window).
std::string refusalMessage(const InflationRefused& refused, RefusalWording wording);

// One pair of the list as text held in place, so that printing a list of millions of pairs (or
// one printed after memory ran out) allocates nothing.
struct ListedPair {
  char text[40];
  std::size_t length;
  std::string_view view() const { return {text, length}; }
};

// The pair performed as inflation number `position` (1-based), vertices shown 1-based:
// "[i, j]" for the first, ",\n[i, j]" for numbers 8, 15, 22, ... (the comma ends the line
// before), ", [i, j]" otherwise.
ListedPair listedPair(std::uint64_t position, const Coeffs& pair);

}  // namespace core
