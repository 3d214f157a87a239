// Tests of the run texts both programs print: the refusal in its two wordings and the pairs
// of the list, seven to a line, with positions past 32 bits.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "OutputCheck.h"
#include "RunTexts.h"

using namespace core;

namespace {

struct RefusalCase {
  InflationRefused::Kind kind;
  int lo, hi;
  RefusalWording wording;
  const char* text;
};

const RefusalCase kRefusals[] = {
    {InflationRefused::Kind::ContinuousEdge, 2, 5, RefusalWording::Console,
     "Error: attept to inflate on an continuous edge 2 5!\n"},
    {InflationRefused::Kind::NonConnectedPair, 1, 3, RefusalWording::Console,
     "Error: attept to inflate on a non-connected pair of vertices 1 3!\n"},
    {InflationRefused::Kind::ContinuousEdge, 2, 5, RefusalWording::Window,
     "Error: attempt to inflate on an continuous edge 2 5!\n"},
    {InflationRefused::Kind::NonConnectedPair, 1, 3, RefusalWording::Window,
     "Error: attempt to inflate on a non-connected pair of vertices 1 3!\n"},
    {InflationRefused::Kind::NonConnectedPair, 2147483647, 2147483647, RefusalWording::Window,
     "Error: attempt to inflate on a non-connected pair of vertices 2147483647 2147483647!\n"},
};

TEST(RunTexts, RefusalInBothWordings) {
  for (const RefusalCase& c : kRefusals)
    EXPECT_EQ(refusalMessage(InflationRefused(c.kind, c.lo, c.hi), c.wording), c.text);
}

struct PairCase {
  std::uint64_t position;
  Coeffs pair;
  const char* text;
};

const PairCase kPairs[] = {
    {1, {0, 2}, "[1, 3]"},
    {2, {0, 2}, ", [1, 3]"},
    {7, {0, 2}, ", [1, 3]"},
    {8, {0, 2}, ",\n[1, 3]"},
    {15, {9, 99}, ",\n[10, 100]"},
    {16, {65535, 65536}, ", [65536, 65537]"},
    {22, {2147483646, 2147483646}, ",\n[2147483647, 2147483647]"},
    // 2^32 leaves 4 when divided by 7: 2^32 + 4 starts a line, 2^32 + 1 does not (a 32-bit
    // count would have wrapped to 1 and printed no comma at all).
    {4294967296u + 1u, {0, 1}, ", [1, 2]"},
    {4294967296u + 4u, {0, 1}, ",\n[1, 2]"},
    {UINT64_MAX, {0, 1}, ",\n[1, 2]"},  // leaves 1 as well
};

TEST(RunTexts, ListedPairsSevenToALine) {
  for (const PairCase& c : kPairs)
    EXPECT_EQ(listedPair(c.position, c.pair).view(), c.text) << "position " << c.position;
}

TEST(RunTexts, CannotWriteNamesTheSystemError) {
  EXPECT_EQ(cannotWriteMessage(ENOSPC), "Error: cannot write the output: No space left on device");
  EXPECT_EQ(cannotWriteMessage(EPIPE), "Error: cannot write the output: Broken pipe");
}

}  // namespace
