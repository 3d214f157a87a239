// Tests of the atoi rule for command-line numbers and its refusal of numbers beyond 32 bits.
#include "AtoiRule.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace core;

namespace {

TEST(AtoiNumber, AgreesWithAtoiWithinTheIntRange) {
  const char* texts[] = {"0",    "42",   "-17", "+5",  "  12", "\t\n-3",     "12abc",
                         "abc",  "",     "-",   "+",   "0x10", "007",        "3.9",
                         " + 4", "2147483647", "-2147483648", "000000000000000000000042",
                         "-0000000000000000000000002147483648"};
  for (const char* t : texts) EXPECT_EQ(atoiNumber(t), std::atoi(t)) << "text \"" << t << "\"";
}

TEST(AtoiNumber, RefusesDigitsBeyondTheIntRange) {
  // atoi itself would give 5, 1215752191, ... for these: numbers the digits do not say.
  const char* texts[] = {"4294967301", "99999999999", "2147483648", "-2147483649",
                         "99999999999999999999999999", "-99999999999999999999", "  4294967296x"};
  for (const char* t : texts) EXPECT_EQ(atoiNumber(t), std::nullopt) << "text \"" << t << "\"";
}

}  // namespace
