// The refusal of bad input from the user, shared by the input reading of both programs.
#pragma once

#include <stdexcept>

namespace core {

// Bad input from the user: not an integer, input ended early, a negative vertex count, a
// matrix too large for memory. what() is a full sentence ending in a full stop, e.g.
// "Expected an integer for k, but read \"x\"." or "Input ended where entry (2, 3) was expected."
// A program prints "Error: " + what() on its own line and exits with status 1.
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace core
