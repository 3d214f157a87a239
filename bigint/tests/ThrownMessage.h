// Test helper: the message string an integer-layer operation throws.
#pragma once

#include <string>

// Runs f and returns the message it throws, or "" when it throws nothing.
template <class F>
std::string thrownBy(F f) {
  try {
    f();
  } catch (const char* message) {
    return message;
  }
  return "";
}
