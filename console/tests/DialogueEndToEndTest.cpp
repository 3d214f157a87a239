// End-to-end tests of the dialogue of `inflations`, fed from a pipe-like file, output compared
// whole: prompts, skipped s, n = 0, entries below the diagonal and of any length, bad input with
// its exit status and safe messages, the memory that bad input may cost, and the integer
// layer's division by zero during a run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ProgramRun.h"
#include "ReferenceRun.h"
#include "SanitizerBuild.h"

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

// What a run prints after the dialogue: the first display and its wait, then `afterStart` (the
// later displays, an error), the runtime with its wait, and the list of inflations.
std::string runOutput(const std::string& firstMatrix, const std::string& afterStart,
                      const std::string& list) {
  return "\n" + firstMatrix + "\n\nPress any key to start automatic inflations..." + afterStart +
         kRunEnd + list;
}

// A display during the run: the matrix and the count of inflations so far.
std::string display(const std::string& matrix, int count) {
  return "\n" + matrix + "\nInflation no.: " + std::to_string(count);
}

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
  EXPECT_EQ(withoutRuntime(r.output), kAllPrompts + runOutput("", "", ""));
}

TEST(Dialogue, EntryBelowTheDiagonalIsShownThenIgnored) {
  ProgramResult r = runInflations({}, "2\n1 1\n5 1\n1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPrompts + runOutput(" 1  1 \n 5  1 \n", display(" 1 -1 \n    1 \n", 1), "[1, 2]"));
}

TEST(Dialogue, EntriesOfAnyLength) {
  ProgramResult r = runInflations({}, "2\n1 123456789012345678901234567890\n0 1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS + runOutput(" 1  123456789012345678901234567890 \n    1 \n",
                                        display(" 1 -123456789012345678901234567890 \n    1 \n", 1),
                                        "[1, 2]"));
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
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS + runOutput(" 1  1 \n    1 \n", display(" 1 -1 \n    1 \n", 1), "[1, 2]"));
}

struct BadInput {
  const char* name;
  std::string input;
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
                     "\nError: Expected an integer for the number of vertices, but read \"a\".\n"},
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
                     "\nError: Expected an integer for s, but read \"1.\".\n"},
        BadInput{"AMissing", "2\n1 0\n0 1\n1\n0\n0\n",
                 kTwoByTwo + kKPrompt + kMPrompt + kSPrompt + kAPrompt +
                     "Error: Input ended where a was expected.\n"},
        BadInput{"AMissingAfterSkippedS", "2\n1 0\n0 1\n0\n0\n",
                 kTwoByTwo + kKPrompt + kMPrompt + kAPrompt +
                     "Error: Input ended where a was expected.\n"},
        // Raw input in a message: nothing a terminal acts on, no NUL, no broken character.
        BadInput{"EscapeSequenceInEntry", "2\n1 \x1b[2J\n",
                 kTwoByTwo + "Error: Expected an integer for entry (1, 2), but read \"\\x1B\".\n"},
        BadInput{"NulInK", std::string("1\n1\n7\0\n", 7),
                 kTwoByTwo + kKPrompt + "\nError: Expected an integer for k, but read \"7\\x00\".\n"},
        BadInput{"InvalidUtf8InEntry", "1\n1\xff\xfe\n",
                 kTwoByTwo + "Error: Expected an integer for entry (1, 1), but read \"1\\xFF\".\n"},
        BadInput{"Utf8CharacterKeptWhole", "1\n-\xe2\x82\xac" "5\n",
                 kTwoByTwo + "Error: Expected an integer for entry (1, 1), but read \"-\xe2\x82\xac\".\n"},
        BadInput{"LongDigitsCutAtForty", "1\n1\n12345678901234567890123456789012345678901234567890x\n",
                 kTwoByTwo + kKPrompt +
                     "\nError: Expected an integer for k, but read "
                     "\"1234567890123456789012345678901234567890...\".\n"}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

const long kSmallKiB = (kSanitized ? 160 : 40) * 1024;

TEST(Memory, InputEndingEarlyCostsNoLargeMatrix) {
  // The whole 6000 x 6000 matrix would take some 860 MB; the input ends after the count.
  ProgramResult r = runInflations({}, "6000\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kNumberPrompt + kMatrixPrompt +
                          "Error: Input ended where entry (1, 1) was expected.\n");
  EXPECT_LT(r.peakResidentKiB, kSmallKiB);
}

TEST(Memory, AStrayItemIsRefusedWithoutBeingHeldWhole) {
  // 64 MB of letters, written in pieces so that this process does not hold them either.
  const std::string path = testing::TempDir() + "stray-item-" + std::to_string(getpid());
  {
    std::ofstream file(path, std::ios::binary);
    file << "1\n1\n";
    const std::string piece(1 << 20, 'z');
    for (int i = 0; i < 64; ++i) file << piece;
    file << "\n";
  }
  ProgramResult r = runInflationsOnFile({}, path);
  std::remove(path.c_str());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            kTwoByTwo + kKPrompt + "\nError: Expected an integer for k, but read \"z\".\n");
  EXPECT_LT(r.peakResidentKiB, kSmallKiB);
}

TEST(Memory, TheSizeCheckHonoursTheDataLimit) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer's shadow memory does not fit a data limit";
  // 3000 x 3000 entries need some 500 MB: under a limit of 256 MB the matrix is refused before
  // any of it is made, rather than once the limit is full.
  constexpr unsigned long kLimit = 256ul << 20;
  ProgramResult dialogue = runInflations({}, "3000\n", 60, kLimit);
  EXPECT_EQ(dialogue.status, 1);
  EXPECT_EQ(dialogue.output,
            kNumberPrompt + "\nError: A matrix of 3000 x 3000 entries does not fit in memory.\n");
  EXPECT_LT(dialogue.peakResidentKiB, kSmallKiB);
  ProgramResult nakayama = runInflations({"--Nakayama", "3000", "2"}, "", 60, kLimit);
  EXPECT_EQ(nakayama.status, 1);
  EXPECT_EQ(nakayama.output, "Error: A matrix of 3000 x 3000 entries does not fit in memory.\n");
  EXPECT_LT(nakayama.peakResidentKiB, kSmallKiB);
}

const std::string kDivisionByZero = "Error: BigInteger::operator /: division by zero\n";

TEST(DivisionByZero, EndsTheRunKeepingTheInflationsDone) {
  // Vertex 2 has the diagonal entry 0: the first inflation (on 1-2) works, the second one (on
  // 2-3, dividing by G(2, 2)) fails, and the line before the integer layer's says why.
  ProgramResult r = runInflations({}, "4\n1 1 0 0\n0 0 1 0\n0 0 1 0\n0 0 0 1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS +
                runOutput(" 1  1       \n       1    \n       1    \n          1 \n",
                          display(" 1 -1       \n       1    \n       1    \n          1 \n", 1) +
                              "\nError: vertex 2 has diagonal entry 0, so the inflation on [2, 3] "
                              "divides by zero.\n" +
                              kDivisionByZero,
                          "[1, 2]"));
}

TEST(DivisionByZero, WithKOneTheErrorFollowsTheLastDisplay) {
  ProgramResult r = runInflations({}, "3\n0 1 0\n0 1 0\n0 0 1\n1\n0\n0\n0\n");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPrompts + runOutput("    1    \n    1    \n       1 \n",
                                    "\nError: vertex 1 has diagonal entry 0, so the inflation on "
                                    "[1, 2] divides by zero.\n" +
                                        kDivisionByZero,
                                    ""));
}

TEST(DivisionByZero, TwoVerticesNeedNoDivision) {
  ProgramResult r = runInflations({}, "2\n0 3\n0 0\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output),
            kAllPromptsButS + runOutput("    3 \n      \n", display("   -3 \n      \n", 1), "[1, 2]"));
}

}  // namespace
