// Tests of the reading of the command line: forms, fixed positions, the atoi rule, defaults.
#include "FrontEnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace console;

namespace {

Command parsed(std::vector<const char*> args) {
  args.insert(args.begin(), "inflations");
  args.push_back(nullptr);
  return parseCommandLine(static_cast<int>(args.size()) - 1, args.data());
}

using Kind = Command::Kind;

struct FormCase {
  std::vector<const char*> args;
  Kind kind;
};

TEST(ParseCommandLine, Forms) {
  const FormCase cases[] = {
      {{}, Kind::Dialogue},
      {{"--help"}, Kind::Help},
      {{"--help", "x"}, Kind::BadArguments},
      {{"foo"}, Kind::BadArguments},
      {{"--Help"}, Kind::BadArguments},
      {{"--Nakayama"}, Kind::BadArguments},
      {{"--Nakayama", "4"}, Kind::BadArguments},
      {{"--Nakayama", "4", "2"}, Kind::Nakayama},
      {{"--Nakayama", "4", "2", "1"}, Kind::BadArguments},
      {{"--Nakayama", "4", "2", "1", "0"}, Kind::BadArguments},
      {{"--Nakayama", "4", "2", "0", "0"}, Kind::Nakayama},
      {{"--Nakayama", "4", "2", "1", "0", "5"}, Kind::Nakayama},
      {{"x", "4", "2"}, Kind::BadArguments},
      // numbers read whose digits do not fit in 32 bits
      {{"--Nakayama", "4294967301", "2"}, Kind::BadArguments},
      {{"--Nakayama", "99999999999", "2"}, Kind::BadArguments},
      {{"--Nakayama", "4", "2", "1", "0", "0", "2147483648"}, Kind::BadArguments},
      {{"--Nakayama", "4", "2", "0", "0", "2147483648", "1"}, Kind::Nakayama},  // s not read
  };
  for (const FormCase& c : cases) EXPECT_EQ(parsed(c.args).kind, c.kind) << c.args.size() << " args";
}

struct ParameterCase {
  std::vector<const char*> args;
  int n, r, k, m;
  long s;
  int a;
};

TEST(ParseCommandLine, FixedPositionsAndDefaults) {
  const ParameterCase cases[] = {
      {{"--Nakayama", "5", "2"}, 5, 2, 1, 0, 0, 0},
      {{"--Nakayama", "5", "2", "0", "0", "9", "3"}, 5, 2, 0, 0, 0, 3},     // s skipped, k <= 0
      {{"--Nakayama", "5", "2", "2", "10", "100"}, 5, 2, 2, 10, 100, 0},
      {{"--Nakayama", "5", "2", "2", "10", "100", "1", "x"}, 5, 2, 2, 10, 100, 1},
      {{"--Nakayama", "-5", "x", "0", "0"}, -5, 0, 0, 0, 0, 0},              // refused later
      {{"--Nakayama", " 7z", "+3", "-1", "4abc", "8", "2.9"}, 7, 3, -1, 4, 0, 2},
  };
  for (const ParameterCase& c : cases) {
    Command command = parsed(c.args);
    ASSERT_EQ(command.kind, Kind::Nakayama);
    EXPECT_EQ(command.n, c.n);
    EXPECT_EQ(command.r, c.r);
    EXPECT_EQ(command.parameters.k, c.k);
    EXPECT_EQ(command.parameters.m, c.m);
    EXPECT_EQ(command.parameters.s, c.s);
    EXPECT_EQ(command.parameters.a, c.a);
  }
}

}  // namespace
