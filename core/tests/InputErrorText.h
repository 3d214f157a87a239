// The message of the InputError an action throws, for the tests of the input reading.
#pragma once

#include <functional>
#include <string>

#include "InputError.h"

// "(no error)" when the action throws nothing.
inline std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::InputError& e) {
    return e.what();
  }
  return "(no error)";
}
