// The reading of the "--Nakayama" command line by its fixed positions.
#include "NakayamaArguments.h"

#include <algorithm>

#include "AtoiRule.h"

namespace core {

std::optional<NakayamaArguments> NakayamaArguments::read(int argc, const char* const argv[],
                                                         int lastPosition) {
  namespace pos = nakayama_position;
  NakayamaArguments result;
  // Reads one position; false when its number does not fit.
  auto take = [&](int position) {
    result.numbers_[position] = atoiNumber(argv[position]);
    return result.numbers_[position].has_value();
  };
  if (argc <= pos::r || !take(pos::n) || !take(pos::r)) return std::nullopt;
  if (argc <= pos::k) return result;         // no run parameters given
  if (argc <= pos::m) return std::nullopt;   // k without m
  if (!take(pos::k) || !take(pos::m)) return std::nullopt;
  // s is read only when k is above 0; otherwise its place is skipped, whatever stands there.
  const bool readsS = *result.numbers_[pos::k] > 0;
  if (readsS && (argc <= pos::s || !take(pos::s))) return std::nullopt;
  const int last = std::min(lastPosition, pos::last);
  for (int position = pos::s + 1; position <= last && position < argc; ++position)
    if (!take(position)) return std::nullopt;
  return result;
}

int NakayamaArguments::numberOr(int position, int fallback) const {
  const bool inRange = position >= 0 && position < static_cast<int>(numbers_.size());
  return inRange && numbers_[position] ? *numbers_[position] : fallback;
}

}  // namespace core
