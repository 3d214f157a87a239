// The atoi rule by which both programs read the numbers of their command lines.
#pragma once

#include <optional>

namespace core {

// Leading white space, an optional sign, decimal digits; anything else ends the number and no
// digits give 0, so "5x" is 5 and "abc" is 0. A number whose digits lie outside the int range
// (such as "4294967301" or "-2147483649") gives nothing: the caller refuses the command line
// instead of running with a value that the digits do not say.
std::optional<int> atoiNumber(const char* text);

}  // namespace core
