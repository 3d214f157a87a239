// Tests of the "--Nakayama" command line: which positions must stand, which are read, and the
// refusal of numbers beyond the int range.
#include "NakayamaArguments.h"

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {

namespace pos = nakayama_position;

std::vector<const char*> commandLine(const std::vector<const char*>& rest) {
  std::vector<const char*> argv = {"prog", "--Nakayama"};
  argv.insert(argv.end(), rest.begin(), rest.end());
  argv.push_back(nullptr);
  return argv;
}

std::optional<NakayamaArguments> readLine(const std::vector<const char*>& rest, int last) {
  std::vector<const char*> argv = commandLine(rest);
  return NakayamaArguments::read(static_cast<int>(argv.size()) - 1, argv.data(), last);
}

struct CountCase {
  std::vector<const char*> args;  // after the program name and "--Nakayama"
  bool accepted;
};

TEST(NakayamaArguments, PositionsThatMustStand) {
  const CountCase cases[] = {
      {{}, false},                              // neither n nor r
      {{"5"}, false},                           // n without r
      {{"5", "2"}, true},                       // defaults for the rest
      {{"5", "2", "1"}, false},                 // k without m
      {{"5", "2", "0", "0"}, true},             // k <= 0 reads no s
      {{"5", "2", "-4", "0"}, true},
      {{"5", "2", "x", "0"}, true},             // k is 0 by the atoi rule
      {{"5", "2", "1", "0"}, false},            // k > 0 without s
      {{"5", "2", "1", "0", "10"}, true},
      {{"5", "2", "0", "0", "9", "3"}, true},
      {{"5", "2", "1", "0", "0", "3", "extra"}, true},
  };
  for (const CountCase& c : cases)
    EXPECT_EQ(readLine(c.args, pos::consoleA).has_value(), c.accepted)
        << "with " << c.args.size() << " arguments after --Nakayama";
}

TEST(NakayamaArguments, NumbersBeyondTheIntRangeAreRefusedWhereRead) {
  const CountCase cases[] = {
      {{"4294967301", "2"}, false},  // would otherwise run with n = 5
      {{"5", "99999999999"}, false},
      {{"5", "2", "2147483648", "0"}, false},
      {{"5", "2", "0", "-2147483649"}, false},
      {{"5", "2", "1", "0", "4294967296"}, false},
      {{"5", "2", "0", "0", "4294967296"}, true},           // s is not read when k <= 0
      {{"5", "2", "1", "0", "0", "99999999999"}, false},     // the console's a
      {{"5", "2", "1", "0", "0", "1", "99999999999"}, true},  // beyond the console's last
      {{"2147483647", "-2147483648"}, true},
  };
  for (const CountCase& c : cases)
    EXPECT_EQ(readLine(c.args, pos::consoleA).has_value(), c.accepted)
        << "with " << c.args.size() << " arguments, the first " << c.args[0];
  EXPECT_FALSE(readLine({"5", "2", "1", "0", "0", "1", "1", "99999999999"}, pos::windowP));
  EXPECT_TRUE(readLine({"5", "2", "1", "0", "0", "1", "1", "1", "99999999999"}, pos::windowP));
}

TEST(NakayamaArguments, ValuesByPositionWithDefaults) {
  const auto all = readLine({" 7z", "+3", "2", "-1", "40", "0", "5", "1", "extra"}, pos::windowP);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->n(), 7);
  EXPECT_EQ(all->r(), 3);
  const int expected[][2] = {{pos::k, 2}, {pos::m, -1}, {pos::s, 40}, {pos::windowW, 0},
                             {pos::windowA, 5}, {pos::windowP, 1}};
  for (const auto& [position, value] : expected)
    EXPECT_EQ(all->numberOr(position, 99), value) << "position " << position;

  const auto skippedS = readLine({"5", "2", "0", "0", "9", "3"}, pos::consoleA);
  ASSERT_TRUE(skippedS);
  EXPECT_EQ(skippedS->numberOr(pos::s, 0), 0) << "s stands but is not read when k <= 0";
  EXPECT_EQ(skippedS->numberOr(pos::consoleA, 0), 3);

  const auto bare = readLine({"5", "2"}, pos::windowP);
  ASSERT_TRUE(bare);
  for (int position = pos::k; position <= pos::last; ++position)
    EXPECT_EQ(bare->numberOr(position, -7), -7) << "position " << position;
}

}  // namespace
