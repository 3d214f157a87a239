// Tests of velorin's front end: help, bad arguments, the "--Nakayama" positions, the dialogue,
// normalisation, the echo line, the bound, and the refusal of bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "FrontEnd.h"

namespace velorin {
namespace {

// A readable stream holding `text`.
std::FILE* inputOf(const std::string& text) {
  std::FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

struct Outcome {
  FrontEndResult result;
  std::string out;
};

Outcome frontEnd(const std::vector<std::string>& args, RunState& state,
                 const std::string& input = "") {
  std::vector<const char*> argv = {"velorin"};
  for (const auto& a : args) argv.push_back(a.c_str());
  std::FILE* in = inputOf(input);
  std::ostringstream out;
  const FrontEndResult result =
      readFrontEnd(static_cast<int>(argv.size()), argv.data(), in, out, state);
  std::fclose(in);
  return {result, out.str()};
}

Outcome frontEnd(const std::vector<std::string>& args, const std::string& input = "") {
  RunState state;
  return frontEnd(args, state, input);
}

const std::string kEscLine = "(<Esc> terminates computation.)\n";

TEST(Help, WholeTextWithoutFinalLineBreakAndStatusZero) {
  const Outcome o = frontEnd({"--help"});
  EXPECT_FALSE(o.result.proceed);
  EXPECT_EQ(o.result.exitStatus, 0);
  const std::string expected =
      "Possible arguments for \"velorin\" program:\n"
      "1) without arguments - introducing a bigraph by hand:\n"
      "   Program asks for the number of vertices and next,\n"
      "   for a non-symmetric upper triangular Gram matrix\n"
      "   (coeffs separated by space, rows separated by newline).\n"
      "   After this, program asks also for parameters k, m, s, w, a, p\n"
      "   (cf. below).\n"
      "2) --Nakayama n r:\n"
      "   Program computes the bigraph associated with Nakayama algebra A_n(r).\n"
      "Optional parameters to 2): k m s w a p\n"
      "   k: display bigraph every k inflations\n"
      "      (k <= 0 means: display only final effect);\n"
      "   m: execute max. m inflations\n"
      "      (m =  0 means: execute until no dotted edges;\n"
      "       m = -1 means: execute at most UIDFpos(n)=O(n^2) inflations;\n"
      "       m = -2 means: as -1 & display the value UIDFpos(n));\n"
      "   s: wait s miliseconds after each display\n"
      "      (if k <= 0, s is ignored);\n"
      "   w: 1 = display multiple edges thick, 0 = normal edges\n"
      "      (if k <= 0, w is ignored; if w omitted, its default value is 1);\n"
      "   a: variant of the algorithm: way of choosing edges for the inflation:\n"
      "      0 = choose first dotted edge,\n"
      "      1 = choose first dotted edge with the highest multiplicity\n"
      "          (potentially slightly slower, but in most cases the same\n"
      "          fast as above; different behavior in \"wild cases\")\n"
      "      2 = choose last dotted edge (seems to be faster on Nakayamas),\n"
      "      3 = choose last dotted edge with the highest multiplicity,\n"
      "      4 = choose first or last dotted edge, randomly (nondeterministic!),\n"
      "      5 = choose random dotted edge (nondeterministic!)\n"
      "      (if a omitted, its default value is 2);\n"
      "   p: 1 = print inflations also on std output, 0 = don't print\n"
      "      (if p omitted, its default value is 1).\n"
      "Hint: press <Esc> during computation to terminate.\n"
      "                                                    Enjoy!";
  EXPECT_EQ(o.out, expected);
}

class BadArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadArguments, OnlyTheBadArgumentsLineAndStatusOne) {
  const Outcome o = frontEnd(GetParam());
  EXPECT_FALSE(o.result.proceed);
  EXPECT_EQ(o.result.exitStatus, 1);
  EXPECT_EQ(o.out, "Bad arguments, run \"inflations --help\" to see documentation.\n");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, BadArguments,
    ::testing::Values(std::vector<std::string>{"--help", "x"},
                      std::vector<std::string>{"--Naka", "5", "2"},
                      std::vector<std::string>{"foo"}, std::vector<std::string>{"--HELP"},
                      std::vector<std::string>{"--nakayama", "5", "2"},
                      // "--Nakayama" without the positions that are read
                      std::vector<std::string>{"--Nakayama"},
                      std::vector<std::string>{"--Nakayama", "5"},
                      std::vector<std::string>{"--Nakayama", "5", "2", "1"},
                      std::vector<std::string>{"--Nakayama", "5", "2", "0"},
                      std::vector<std::string>{"--Nakayama", "5", "2", "1", "0"},
                      // a number read whose digits do not fit in 32 bits
                      std::vector<std::string>{"--Nakayama", "4294967301", "2"},
                      std::vector<std::string>{"--Nakayama", "99999999999", "2"},
                      std::vector<std::string>{"--Nakayama", "5", "2", "1", "0", "0", "1", "1",
                                               "-2147483649"}));

struct EchoCase {
  std::vector<std::string> args;
  std::string echo;  // the values of the "Your data:" line, k m s w a p
  int maxsteps;      // after the bound replaced -1 and -2
  bool displayBeta;
  int bound;
};

class Echo : public ::testing::TestWithParam<EchoCase> {};

std::string dataLine(int k, int m, int s, int w, int a, int p) {
  return "Your data: display every " + std::to_string(k) + " infls; max " + std::to_string(m) +
         " infls; wait " + std::to_string(s) + " milis.; thick lines: " + std::to_string(w) +
         "; algorithm: " + std::to_string(a) + "; print: " + std::to_string(p) + ".\n";
}

TEST_P(Echo, LineShowsNormalisedValuesBeforeTheBoundReplacesTheMaximum) {
  const EchoCase& c = GetParam();
  RunState state;
  const Outcome o = frontEnd(c.args, state);
  ASSERT_TRUE(o.result.proceed) << o.out;
  EXPECT_EQ(o.out, c.echo + kEscLine);
  EXPECT_EQ(state.params.maxsteps, c.maxsteps);
  EXPECT_EQ(state.params.displayBeta, c.displayBeta);
  EXPECT_EQ(state.params.UIDFpos, c.bound);
  ASSERT_NE(state.bigraph, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Echo,
    ::testing::Values(
        EchoCase{{"--Nakayama", "5", "2"}, dataLine(1, 0, 0, 1, 2, 1), 0, false, 15},
        EchoCase{{"--Nakayama", "6", "2", "0", "-1", "500", "0", "7", "-3"},
                 dataLine(0, -1, 0, 0, 2, 1), 30, false, 30},
        EchoCase{{"--Nakayama", "8", "2", "3", "-2", "40"}, dataLine(3, -2, 40, 1, 2, 1), 112,
                 true, 112},
        EchoCase{{"--Nakayama", "9", "2", "3", "-2", "40"}, dataLine(3, -2, 40, 1, 2, 1), 63,
                 true, 63},
        // k <= 0: position 6 is skipped but the later positions stay where they are.
        EchoCase{{"--Nakayama", "5", "2", "0", "0"}, dataLine(0, 0, 0, 1, 2, 1), 0, false, 15},
        EchoCase{{"--Nakayama", "5", "2", "-4", "7", "99", "5", "4", "0"},
                 dataLine(-4, 7, 0, 1, 4, 0), 7, false, 15},
        EchoCase{{"--Nakayama", "5", "2", "2", "10", "100", "0", "-1", "1", "extra"},
                 dataLine(2, 10, 100, 0, 2, 1), 10, false, 15},
        // The atoi rule: numeric prefixes, and 0 without digits.
        EchoCase{{"--Nakayama", "4x", "2", "3abc", "1", "q", "2", "3", "1"},
                 dataLine(3, 1, 0, 1, 3, 1), 1, false, 8},
        // a = 5 needs no scratch list; one vertex has the bound 0, so m = -1 sets no limit.
        EchoCase{{"--Nakayama", "1", "2", "1", "-1", "0", "1", "5"}, dataLine(1, -1, 0, 1, 5, 1),
                 0, false, 0}));

TEST(Nakayama, BigraphIsTheNakayamaMatrix) {
  RunState state;
  const Outcome o = frontEnd({"--Nakayama", "4", "2"}, state);
  ASSERT_TRUE(o.result.proceed);
  ASSERT_EQ(state.bigraph->n, 4);
  const int expected[4][4] = {{1, -1, 1, -1}, {0, 1, -1, 1}, {0, 0, 1, -1}, {0, 0, 0, 1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(state.bigraph->gram[i][j], BigInteger(expected[i][j]));
}

const std::string kHint = "(Hint:  run \"velorin --help\" to see documentation)\n";
const std::string kVertices = "Number of vertices: ";
const std::string kMatrix = "Upper triangular Gram matrix:\n";
const std::string kAskK =
    "Display bigraph every k inflations (k <= 0 means: display only final effect):\nk = ";
const std::string kAskM =
    "Execute max. m inflations\n (m = 0: execute until no dotted edges; -1: execute max. "
    "UIDFpos(n)=O(n^2) inflations; -2: as -1 & display UIDFpos(n)):\nm = ";
const std::string kAskS = "Wait s miliseconds after each display:\ns = ";
const std::string kAskW = "Display multiple edges thick (1 = yes, 0 = no): ";
const std::string kAskA =
    "Variant of the algorithm:\n 0 = first dotted,\n 1 = first highest dotted,\n 2 = last "
    "dotted,\n 3 = last highest dotted,\n 4 = first or last, randomly,\n 5 = random dotted (see "
    "\"--help\" for details).\n";
const std::string kAskP = "Print inflations on std output (1 = yes, 0 = no): ";

TEST(Dialogue, AllPromptsInOrderAndTheWholeSquareRead) {
  RunState state;
  const Outcome o = frontEnd({}, state, "3\n1 -1 2\n7 1 0\n0 0 1\n2\n-2\n50\n0\n3\n0 trailing\n");
  ASSERT_TRUE(o.result.proceed) << o.out;
  EXPECT_EQ(o.out, kHint + kVertices + kMatrix + kAskK + kAskM + kAskS + kAskW + kAskA + kAskP +
                       dataLine(2, -2, 50, 0, 3, 0) + kEscLine);
  EXPECT_EQ(state.params.maxsteps, 3);
  EXPECT_TRUE(state.params.displayBeta);
  ASSERT_EQ(state.bigraph->n, 3);
  EXPECT_EQ(state.bigraph->gram[0][2], BigInteger(2));
  EXPECT_EQ(state.bigraph->gram[1][0], BigInteger(7));  // below the diagonal, kept as typed
}

TEST(Dialogue, NonPositiveKAsksNeitherWaitNorThickness) {
  RunState state;
  const Outcome o = frontEnd({}, state, "1\n1\n0\n0\n9\n1\n");
  ASSERT_TRUE(o.result.proceed) << o.out;
  EXPECT_EQ(o.out, kHint + kVertices + kMatrix + kAskK + kAskM + kAskA + kAskP +
                       dataLine(0, 0, 0, 1, 2, 1) + kEscLine);
  EXPECT_EQ(state.params.thickLines, 1);
}

TEST(Dialogue, EntriesOfAnyLength) {
  RunState state;
  const Outcome o =
      frontEnd({}, state, "2\n1 -987654321098765432109876543210\n0 1\n0\n0\n2\n1\n");
  ASSERT_TRUE(o.result.proceed) << o.out;
  EXPECT_EQ(bigIntegerToString(state.bigraph->gram[0][1]), "-987654321098765432109876543210");
}

TEST(Dialogue, NoVerticesReadNoEntries) {
  RunState state;
  const Outcome o = frontEnd({}, state, "0\n0\n0\n2\n1\n");
  ASSERT_TRUE(o.result.proceed) << o.out;
  EXPECT_EQ(state.bigraph->n, 0);
}

struct BadInputCase {
  std::vector<std::string> args;
  std::string input;
  std::string error;  // the line after "Error: "
};

class BadInput : public ::testing::TestWithParam<BadInputCase> {};

TEST_P(BadInput, ErrorLineAndStatusOne) {
  const BadInputCase& c = GetParam();
  RunState state;
  const Outcome o = frontEnd(c.args, state, c.input);
  EXPECT_FALSE(o.result.proceed);
  EXPECT_EQ(o.result.exitStatus, 1);
  const std::string line = "Error: " + c.error + "\n";
  ASSERT_GE(o.out.size(), line.size()) << o.out;
  EXPECT_EQ(o.out.substr(o.out.size() - line.size()), line) << o.out;
  // On a line of its own, also after a prompt that left its line open.
  const std::size_t start = o.out.size() - line.size();
  EXPECT_TRUE(start == 0 || o.out[start - 1] == '\n') << o.out;
  EXPECT_EQ(o.out.find("Your data:"), std::string::npos);
  EXPECT_EQ(state.bigraph, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInput,
    ::testing::Values(
        BadInputCase{{}, "x\n", "Expected an integer for the number of vertices, but read \"x\"."},
        BadInputCase{{}, "", "Input ended where the number of vertices was expected."},
        BadInputCase{{},
                     "-2\n",
                     "The number of vertices must not be negative, but it is -2."},
        BadInputCase{{}, "2\n1 0\n0", "Input ended where entry (2, 2) was expected."},
        BadInputCase{{},
                     "2\n1 0\n0 1.5\n",
                     "Expected an integer for entry (2, 2), but read \"1.\"."},
        BadInputCase{{}, "1\n1\nk\n", "Expected an integer for k, but read \"k\"."},
        BadInputCase{{}, "1\n1\n1\n0\n", "Input ended where s was expected."},
        BadInputCase{{}, "1\n1\n1\n0\n0\n1\n2\n", "Input ended where p was expected."},
        BadInputCase{{}, "1\n1\n1\n99999999999\n",
                     "Expected an integer from -2147483648 to 2147483647 for m, but read "
                     "\"99999999999\"."},
        BadInputCase{{"--Nakayama", "-3", "2"},
                     "",
                     "The number of vertices must not be negative, but it is -3."},
        BadInputCase{{"--Nakayama", "2000000", "2"},
                     "",
                     "A matrix of 2000000 x 2000000 entries does not fit in memory."},
        BadInputCase{{},
                     "2000000\n",
                     "A matrix of 2000000 x 2000000 entries does not fit in memory."}));

TEST(Normalisation, ThicknessAndPrintBecomeZeroOrOneAndUnknownVariantsTwo) {
  struct Case {
    int w, a, p, wantW, wantA, wantP;
  };
  for (const Case c : {Case{0, 0, 0, 0, 0, 0}, Case{5, 5, -1, 1, 5, 1}, Case{-7, 6, 2, 1, 2, 1},
                       Case{1, -1, 1, 1, 2, 1}, Case{1, -2147483647 - 1, 0, 1, 2, 0}}) {
    RunParameters params;
    params.thickLines = c.w;
    params.findDottedEdgeAlgorithm = c.a;
    params.printInfls = c.p;
    normaliseParameters(params);
    EXPECT_EQ(params.thickLines, c.wantW);
    EXPECT_EQ(params.findDottedEdgeAlgorithm, c.wantA);
    EXPECT_EQ(params.printInfls, c.wantP);
  }
}

TEST(Bound, MinusOneAndMinusTwoBecomeTheBoundOthersStay) {
  struct Case {
    int n, m, wantM;
    bool beta;
  };
  for (const Case c : {Case{6, -1, 30, false}, Case{6, -2, 30, true}, Case{8, -2, 112, true},
                       Case{9, -2, 63, true}, Case{1, -1, 0, false}, Case{6, -3, -3, false},
                       Case{6, 5, 5, false}}) {
    RunParameters params;
    params.maxsteps = c.m;
    applyBound(params, c.n);
    EXPECT_EQ(params.maxsteps, c.wantM) << c.n << " " << c.m;
    EXPECT_EQ(params.displayBeta, c.beta);
  }
}

}  // namespace
}  // namespace velorin
