// The atoi rule with a refusal of numbers outside the int range.
#include "AtoiRule.h"

#include <climits>

namespace core {

namespace {

// The white space that atoi skips in the C locale.
bool isAtoiBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<int> atoiNumber(const char* text) {
  const char* p = text;
  while (isAtoiBlank(*p)) ++p;
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  // The magnitude grows digit by digit and stops being tracked once it is beyond any int.
  constexpr long long kBeyondInt = static_cast<long long>(INT_MAX) + 2;
  long long magnitude = 0;
  for (; isDigit(*p); ++p)
    if (magnitude < kBeyondInt) magnitude = magnitude * 10 + (*p - '0');
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace core
