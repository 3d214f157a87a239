// The texts of a run shared by both programs.
#include "RunTexts.h"

#include <charconv>
#include <cstdio>

namespace core {

namespace {

constexpr std::uint64_t kPairsPerLine = 7;

// Appends the decimal digits of v at `at`, which has room for the 20 characters of any long
// long; returns the position after them.
char* appendNumber(char* at, long long v) { return std::to_chars(at, at + 20, v).ptr; }

char* appendText(char* at, std::string_view s) {
  for (char c : s) *at++ = c;
  return at;
}

}  // namespace

std::string refusalMessage(const InflationRefused& refused, RefusalWording wording) {
  const char* attempt = wording == RefusalWording::Console ? "attept" : "attempt";
  const char* format = refused.kind == InflationRefused::Kind::ContinuousEdge
                           ? "Error: %s to inflate on an continuous edge %d %d!\n"
                           : "Error: %s to inflate on a non-connected pair of vertices %d %d!\n";
  char text[128];
  const int length = std::snprintf(text, sizeof text, format, attempt, refused.lo, refused.hi);
  return std::string(text, static_cast<std::size_t>(length));
}

ListedPair listedPair(std::uint64_t position, const Coeffs& pair) {
  ListedPair result;
  char* at = result.text;
  if (position != 1) at = appendText(at, position % kPairsPerLine == 1 ? ",\n[" : ", [");
  else *at++ = '[';
  at = appendNumber(at, pair.i + 1LL);
  at = appendText(at, ", ");
  at = appendNumber(at, pair.j + 1LL);
  *at++ = ']';
  result.length = static_cast<std::size_t>(at - result.text);
  return result;
}

}  // namespace core
