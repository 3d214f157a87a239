// The list of performed inflations: a growable array of vertex pairs, packed into one 32-bit
// word per pair while vertex numbers fit in 16 bits, and its printing seven pairs to a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Bigraph.h"
#include "Output.h"

namespace console {

class InflationList {
 public:
  // For a bigraph on n vertices. Up to 65536 vertices a pair takes 4 bytes, so even with the
  // array's doubling growth a performed inflation costs at most 8 bytes. Beyond that (a matrix
  // of more than 2^32 entries, which no memory holds) a pair takes two words.
  explicit InflationList(int n) : wide_(n > kNarrowLimit) {}

  // Makes sure the next push needs no memory: the array grows here, ahead of the inflation it
  // records, so that running out of memory ends a run before a step rather than after it.
  void makeRoomForOne() {
    const std::size_t wordsPerPair = wide_ ? 2 : 1;
    if (words_.capacity() - words_.size() >= wordsPerPair) return;
    words_.reserve(words_.capacity() < 512 ? 1024 : 2 * words_.capacity());
  }
  void push(core::Coeffs pair) {
    if (wide_) {
      words_.push_back(static_cast<std::uint32_t>(pair.i));
      words_.push_back(static_cast<std::uint32_t>(pair.j));
    } else {
      words_.push_back((static_cast<std::uint32_t>(pair.i) << 16) |
                       static_cast<std::uint32_t>(pair.j));
    }
  }
  std::size_t size() const { return wide_ ? words_.size() / 2 : words_.size(); }
  core::Coeffs at(std::size_t p) const {
    if (wide_) return {static_cast<int>(words_[2 * p]), static_cast<int>(words_[2 * p + 1])};
    return {static_cast<int>(words_[p] >> 16), static_cast<int>(words_[p] & 0xFFFFu)};
  }

 private:
  static constexpr int kNarrowLimit = 65536;
  bool wide_;
  std::vector<std::uint32_t> words_;
};

// "[i, j]" for the first pair, ",\n[i, j]" starting every eighth, ", [i, j]" otherwise, with
// vertices counted from 1; nothing after the last pair, nothing at all for an empty list.
// Allocates nothing, so it also works after the run ran out of memory.
void printInflationList(const InflationList& list, Out& out);

}  // namespace console
