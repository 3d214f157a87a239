// End-to-end tests of the dialogue of `inflations`, fed from a pipe-like file, output compared
// whole: prompts, skipped s, n = 0, entries below the diagonal and of any length, bad input with
// its exit status, and the integer layer's division by zero during a run.
#include <gtest/gtest.h>

#include <string>

#include "ProgramRun.h"
#include "ReferenceRun.h"

namespace {

const std::string kNumberPrompt =
    "(Hint: run \"inflations --help\" to see documentation)\nNumber of vertices: ";
const std::string kMatrixPrompt = "Upper triangular Gram matrix:\n";
const std::string kKPrompt =
    "Display bigraph every k inflations (k <= 0 means: display only final effect):\nk = ";
const std::string kMPrompt =
    "Execute max. m inflations (m <= 0 means: execute until no dotted edges):\nm = ";
const std::string kSPrompt = "Wait s miliseconds after each display:\ns = ";
const std::string kAPrompt =
    "Variant of the algorithm:\n 0 = first dotted,\n 1 = first highest dotted,\n"
    " 2 = last dotted,\n 3 = last highest dotted (see \"--help\" for details).\n";

const std::string kAllPromptsButS = kNumberPrompt + kMatrixPrompt + kKPrompt + kMPrompt + kAPrompt;
const std::string kAllPrompts =
    kNumberPrompt + kMatrixPrompt + kKPrompt + kMPrompt + kSPrompt + kAPrompt;

const std::string kRunEnd =
    "\nRuntime: X sec.\n\nPress any key to display the list of performed inflations...\n";

TEST(Dialogue, KZeroSkipsTheQuestionForS) {
  // With s asked, the 2 would be s and the input would end before a.
  ProgramResult r = runInflations({}, "4\n1 -1 1 -1\n0 1 -1 1\n0 0 1 -1\n0 0 0 1\n0\n0\n2\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS + referenceRunOutput(referenceNakayama(4, 2), 0, 0, 2));
}

TEST(Dialogue, KPositiveAsksForS) {
  ProgramResult r = runInflations({}, "4\n1 -1 1 -1\n0 1 -1 1\n0 0 1 -1\n0 0 0 1\n2\n1\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPrompts + referenceRunOutput(referenceNakayama(4, 2), 2, 1, 0));
}

TEST(Dialogue, NoVerticesReadsNoEntriesAndRunsNoInflation) {
  ProgramResult r = runInflations({}, "0\n1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPrompts + "\n\n\nPress any key to start automatic inflations..." + kRunEnd);
}

TEST(Dialogue, EntryBelowTheDiagonalIsShownThenIgnored) {
  ProgramResult r = runInflations({}, "2\n1 1\n5 1\n1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output), kAllPrompts +
                                          "\n 1  1 \n 5  1 \n"
                                          "\n\nPress any key to start automatic inflations..."
                                          "\n 1 -1 \n    1 \n\nInflation no.: 1" +
                                          kRunEnd + "[1, 2]");
}

TEST(Dialogue, EntriesOfAnyLength) {
  ProgramResult r = runInflations({}, "2\n1 123456789012345678901234567890\n0 1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS +
                "\n 1  123456789012345678901234567890 \n    1 \n"
                "\n\nPress any key to start automatic inflations..."
                "\n 1 -123456789012345678901234567890 \n    1 \n\nInflation no.: 1" +
                kRunEnd + "[1, 2]");
}

TEST(Dialogue, DiagonalOtherThanOneDividesWithFloor) {
  // G(0, 0) = -2 and G(0, 1) = 3: the quotient is -2, not -1.
  ProgramResult r = runInflations({}, "3\n-2 3 1\n0 1 0\n0 0 1\n0\n1\n0\n");
  EXPECT_EQ(r.status, 0);
  SmallMatrix g = {{-2, 3, 1}, {0, 1, 0}, {0, 0, 1}};
  EXPECT_EQ(withoutRuntime(r.output), kAllPromptsButS + referenceRunOutput(g, 0, 1, 0));
  EXPECT_NE(r.output.find("-2 -3  1 \n    1  2 \n"), std::string::npos);
}

TEST(Dialogue, FreeWhiteSpaceBetweenNumbers) {
  ProgramResult r = runInflations({}, "  2 1\t1 0\n\n 1 0 0 1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output), kAllPromptsButS +
                                          "\n 1  1 \n    1 \n"
                                          "\n\nPress any key to start automatic inflations..."
                                          "\n 1 -1 \n    1 \n\nInflation no.: 1" +
                                          kRunEnd + "[1, 2]");
}

struct BadInput {
  const char* name;
  const char* input;
  std::string output;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class DialogueRefusals : public testing::TestWithParam<BadInput> {};

TEST_P(DialogueRefusals, ClearMessageAndStatusOne) {
  ProgramResult r = runInflations({}, GetParam().input);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, GetParam().output);
}

const std::string kTwoByTwo = kNumberPrompt + kMatrixPrompt;

INSTANTIATE_TEST_SUITE_P(
    BadInputs, DialogueRefusals,
    testing::Values(
        BadInput{"VerticesNotANumber", "abc\n",
                 kNumberPrompt +
                     "\nError: Expected an integer for the number of vertices, but read \"abc\".\n"},
        BadInput{"VerticesMissing", "",
                 kNumberPrompt + "\nError: Input ended where the number of vertices was expected.\n"},
        BadInput{"VerticesNegative", "-2\n",
                 kNumberPrompt + "\nError: The number of vertices must not be negative, but it is -2.\n"},
        BadInput{"VerticesOutOfRange", "99999999999\n",
                 kNumberPrompt + "\nError: Expected an integer from -2147483648 to 2147483647 for the "
                                 "number of vertices, but read \"99999999999\".\n"},
        BadInput{"MatrixTooLarge", "1000000\n",
                 kNumberPrompt + "\nError: A matrix of 1000000 x 1000000 entries does not fit in memory.\n"},
        BadInput{"EntryNotANumber", "2\n1 x\n",
                 kTwoByTwo + "Error: Expected an integer for entry (1, 2), but read \"x\".\n"},
        BadInput{"EntryWithTrailingText", "2\n1 0\n0 1z\n",
                 kTwoByTwo + "Error: Expected an integer for entry (2, 2), but read \"1z\".\n"},
        BadInput{"MatrixEndsEarly", "2\n1 0\n0\n",
                 kTwoByTwo + "Error: Input ended where entry (2, 2) was expected.\n"},
        BadInput{"KNotANumber", "2\n1 0\n0 1\nk\n",
                 kTwoByTwo + kKPrompt + "\nError: Expected an integer for k, but read \"k\".\n"},
        BadInput{"MMissing", "2\n1 0\n0 1\n1\n",
                 kTwoByTwo + kKPrompt + kMPrompt + "\nError: Input ended where m was expected.\n"},
        BadInput{"SNotANumber", "2\n1 0\n0 1\n1\n0\n1.5\n",
                 kTwoByTwo + kKPrompt + kMPrompt + kSPrompt +
                     "\nError: Expected an integer for s, but read \"1.5\".\n"},
        BadInput{"AMissing", "2\n1 0\n0 1\n1\n0\n0\n",
                 kTwoByTwo + kKPrompt + kMPrompt + kSPrompt + kAPrompt +
                     "Error: Input ended where a was expected.\n"},
        BadInput{"AMissingAfterSkippedS", "2\n1 0\n0 1\n0\n0\n",
                 kTwoByTwo + kKPrompt + kMPrompt + kAPrompt +
                     "Error: Input ended where a was expected.\n"}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

const char kDivisionByZero[] = "Error: BigInteger::operator /: division by zero\n";

TEST(DivisionByZero, EndsTheRunKeepingTheInflationsDone) {
  // Vertex 2 has the diagonal entry 0: the first inflation (on 1-2) works, the second one (on
  // 2-3, dividing by G(2, 2)) fails, and the line before the integer layer's says why.
  ProgramResult r = runInflations({}, "4\n1 1 0 0\n0 0 1 0\n0 0 1 0\n0 0 0 1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(withoutRuntime(r.output), kAllPromptsButS +
                                          "\n 1  1       \n       1    \n       1    \n          1 \n"
                                          "\n\nPress any key to start automatic inflations..."
                                          "\n 1 -1       \n       1    \n       1    \n          1 \n"
                                          "\nInflation no.: 1\n"
                                          "Error: vertex 2 has diagonal entry 0, so the inflation "
                                          "on [2, 3] divides by zero.\n" +
                                          kDivisionByZero + kRunEnd + "[1, 2]");
}

TEST(DivisionByZero, WithKOneTheErrorFollowsTheLastDisplay) {
  ProgramResult r = runInflations({}, "3\n0 1 0\n0 1 0\n0 0 1\n1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(withoutRuntime(r.output), kAllPrompts +
                                          "\n    1    \n    1    \n       1 \n"
                                          "\n\nPress any key to start automatic inflations...\n"
                                          "Error: vertex 1 has diagonal entry 0, so the inflation "
                                          "on [1, 2] divides by zero.\n" +
                                          kDivisionByZero + kRunEnd);
}

TEST(DivisionByZero, TwoVerticesNeedNoDivision) {
  ProgramResult r = runInflations({}, "2\n0 3\n0 0\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output), kAllPromptsButS +
                                          "\n    3 \n      \n"
                                          "\n\nPress any key to start automatic inflations..."
                                          "\n   -3 \n      \n\nInflation no.: 1" +
                                          kRunEnd + "[1, 2]");
}

}  // namespace
