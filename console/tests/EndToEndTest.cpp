// End-to-end tests of `inflations` from the command line, output redirected to a file and
// compared whole: help, bad arguments, the Nakayama form with its parameters, the run's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "ReferenceRun.h"

namespace {

const char kBadArguments[] = "Bad arguments, run \"inflations --help\" to see documentation.\n";

const char kHelp[] =
    "Possible arguments of \"inflations\" program:\n"
    "1) without arguments - introducing a bigraph by hand:\n"
    "   Program asks for the number of vertices and next,\n"
    "   for a non-symmetric upper triangular Gram matrix\n"
    "   (coeffs separated by space, rows separated by newline).\n"
    "   After this, program asks also for parameters k, m, s, a\n"
    "   (cf. below).\n"
    "2) --Nakayama n r:\n"
    "   Program computes the bigraph associated with Nakayama algebra A_n(r).\n"
    "Optional parameters to 2): k m s a\n"
    "   k: display bigraph every k inflations\n"
    "      (k <= 0 means: display the final effect only);\n"
    "   m: execute max. m inflations\n"
    "      (m <= 0 means: execute until no dotted edges);\n"
    "   s: wait s miliseconds after each display\n"
    "      (if k <= 0, s is ignored).\n"
    "   a: variant of the algorithm: way of choosing edges for the inflation:\n"
    "      0 = choose first dotted edge,\n"
    "      1 = choose first dotted edge with the highest mutliplicity\n"
    "          (potentially slightly slower, but in most cases the same\n"
    "          fast as above; different behaviour in \"wild cases\")\n"
    "      2 = choose last dotted edge (seems to be faster on Nakayamas),\n"
    "      3 = choose last dotted edge with the highest mutliplicity,\n"
    "      (if a omitted, its default value is 0).\n"
    "                                                    Enjoy!";

// The Overview's walk-through of "--Nakayama 4 2", written out by hand.
const char kNakayama42[] =
    "\n"
    " 1 -1  1 -1 \n"
    "    1 -1  1 \n"
    "       1 -1 \n"
    "          1 \n"
    "\n\nPress any key to start automatic inflations..."
    "\n"
    " 1 -1 -1 -1 \n"
    "    1     1 \n"
    "       1    \n"
    "          1 \n"
    "\nInflation no.: 1"
    "\n"
    " 1 -1 -1    \n"
    "    1    -1 \n"
    "       1    \n"
    "          1 \n"
    "\nInflation no.: 2"
    "\nRuntime: X sec.\n"
    "\nPress any key to display the list of performed inflations...\n"
    "[1, 3], [2, 4]";

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = line.find(' ', start);
    if (end == std::string::npos) end = line.size();
    if (end > start) result.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

TEST(CommandLine, HelpTextEndsWithEnjoy) {
  ProgramResult r = runInflations({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kHelp);
}

TEST(CommandLine, BadArgumentFormsPrintOnlyTheLine) {
  const std::vector<std::vector<std::string>> forms = {
      {"foo"}, {"--help", "x"}, {"--HELP"}, {"--nakayama", "4", "2"}, {"-h"},
      {"--Nakayama"}, {"--Nakayama", "4"},               // fewer than two numbers
      {"--Nakayama", "4", "2", "1"},                      // k without m
      {"--Nakayama", "4", "2", "3", "0"},                 // k > 0 without s
      {"--help", "--Nakayama", "4", "2"}, {""},
      {"--Nakayama", "4294967301", "2"},                  // not n = 5
      {"--Nakayama", "99999999999", "2"},                 // not 1215752191 vertices
      {"--Nakayama", "4", "2", "0", "0", "0", "-99999999999"}};
  for (const auto& form : forms) {
    ProgramResult r = runInflations(form);
    std::string shown;
    for (const auto& w : form) shown += "[" + w + "]";
    EXPECT_EQ(r.status, 1) << shown;
    EXPECT_EQ(r.output, kBadArguments) << shown;
  }
}

TEST(CommandLine, NakayamaFourTwoIsTheWalkThrough) {
  ProgramResult r = runInflations({"--Nakayama", "4", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(withoutRuntime(r.output), kNakayama42);
}

struct RunCase {
  const char* name;
  const char* arguments;  // after the program name
  int n, r, k, m, a;      // what the program must have made of them
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class NakayamaRuns : public testing::TestWithParam<RunCase> {};

TEST_P(NakayamaRuns, WholeOutputMatchesTheModel) {
  const RunCase& c = GetParam();
  ProgramResult r = runInflations(words(c.arguments));
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(withoutRuntime(r.output),
            referenceRunOutput(referenceNakayama(c.n, c.r), c.k, c.m, c.a));
}

// A_9(8) needs 7 inflations with the first-dotted rule, A_7(2) needs 9, A_8(4) with the
// last-dotted rule needs 15 (checked in BoundsOfTheChosenBigraphs).
INSTANTIATE_TEST_SUITE_P(
    Parameters, NakayamaRuns,
    testing::Values(
        RunCase{"Defaults", "--Nakayama 5 2", 5, 2, 1, 0, 0},
        RunCase{"KThreeSevenToGo", "--Nakayama 9 8 3 0 0", 9, 8, 3, 0, 0},
        RunCase{"KThreeBoundSix", "--Nakayama 7 2 3 6 0", 7, 2, 3, 6, 0},
        RunCase{"KOneBoundFive", "--Nakayama 7 2 1 5 0", 7, 2, 1, 5, 0},
        RunCase{"KZeroSkipsS", "--Nakayama 5 2 0 0 1000", 5, 2, 0, 0, 0},
        RunCase{"KZeroSkipsSThenA", "--Nakayama 5 2 0 0 9 3", 5, 2, 0, 0, 3},
        RunCase{"KTwoBoundTenWait", "--Nakayama 5 2 2 10 1", 5, 2, 2, 10, 0},
        RunCase{"ASevenIsFirstDotted", "--Nakayama 6 3 1 0 0 7", 6, 3, 1, 0, 0},
        RunCase{"ANegativeIsFirstDotted", "--Nakayama 6 3 1 0 0 -1", 6, 3, 1, 0, 0},
        RunCase{"AOneHighest", "--Nakayama 6 3 2 0 0 1", 6, 3, 2, 0, 1},
        RunCase{"ATwoLast", "--Nakayama 6 3 0 0 0 2", 6, 3, 0, 0, 2},
        RunCase{"AThreeLastHighest", "--Nakayama 6 3 4 0 0 3", 6, 3, 4, 0, 3},
        RunCase{"MOneStopsAfterOne", "--Nakayama 6 2 1 1 0", 6, 2, 1, 1, 0},
        RunCase{"FifteenListed", "--Nakayama 8 4 0 0 0 2", 8, 4, 0, 0, 2},
        RunCase{"NegativeKAndM", "--Nakayama 5 2 -2 -3 0 0", 5, 2, -2, -3, 0},
        RunCase{"ExtraArgumentsIgnored", "--Nakayama 5 2 0 0 0 2 extra words", 5, 2, 0, 0, 2},
        RunCase{"AtoiRule", "--Nakayama 5x 2.5 +0 0abc 7 2z", 5, 2, 0, 0, 2},
        RunCase{"NoEdgesROne", "--Nakayama 4 1 0 0 0 0", 4, 1, 0, 0, 0},
        RunCase{"NoVertices", "--Nakayama 0 2 0 0 0 0", 0, 2, 0, 0, 0},
        RunCase{"OneVertexKOne", "--Nakayama 1 2", 1, 2, 1, 0, 0}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(NakayamaRuns, BoundsOfTheChosenBigraphs) {
  EXPECT_EQ(referenceInflationCount(referenceNakayama(9, 8), 0), 7);
  EXPECT_GT(referenceInflationCount(referenceNakayama(7, 2), 0), 6);
  EXPECT_EQ(referenceInflationCount(referenceNakayama(8, 4), 2), 15);
}

TEST(NakayamaRuns, KThreeDisplaysAfterThreeSixAndFinal) {
  ProgramResult r = runInflations(words("--Nakayama 9 8 3 0 0"));
  const std::string& out = r.output;
  std::vector<std::string> counters;
  for (std::size_t at = out.find("Inflation no.: "); at != std::string::npos;
       at = out.find("Inflation no.: ", at + 1))
    counters.push_back(out.substr(at + 15, 1));
  EXPECT_EQ(counters, (std::vector<std::string>{"3", "6", "7"}));
}

TEST(NakayamaRuns, FifteenInflationsListAsSevenSevenOne) {
  ProgramResult r = runInflations(words("--Nakayama 8 4 0 0 0 2"));
  const std::string prompt = "performed inflations...\n";
  const std::string list = r.output.substr(r.output.rfind(prompt) + prompt.size());
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = list.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(list.substr(start, end - start));
  lines.push_back(list.substr(start));
  ASSERT_EQ(lines.size(), 3u);
  auto pairsIn = [](const std::string& line) {
    return static_cast<int>(std::count(line.begin(), line.end(), '['));
  };
  EXPECT_EQ(pairsIn(lines[0]), 7);
  EXPECT_EQ(pairsIn(lines[1]), 7);
  EXPECT_EQ(pairsIn(lines[2]), 1);
  EXPECT_EQ(lines[0].back(), ',');
  EXPECT_EQ(lines[1].back(), ',');
  EXPECT_EQ(lines[2].back(), ']');
}

TEST(NakayamaRuns, KZeroNeverWaitsWhateverS) {
  // A wait of s ms would outlast the test's limit; with k = 0 there is none.
  ProgramResult r = runInflations(words("--Nakayama 6 2 0 0 2000000000 0"), "", 30);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.status, 0);
}

TEST(NakayamaRuns, RedirectedOutputHoldsNoEscapeCodes) {
  ProgramResult r = runInflations(words("--Nakayama 6 2"));
  EXPECT_EQ(r.output.find('\033'), std::string::npos);
}

struct RefusalCase {
  const char* arguments;
  const char* output;
};

TEST(NakayamaRuns, BadVertexCountsAreRefused) {
  const RefusalCase cases[] = {
      {"--Nakayama -3 2", "Error: The number of vertices must not be negative, but it is -3.\n"},
      {"--Nakayama -1 2 0 0 0 0",
       "Error: The number of vertices must not be negative, but it is -1.\n"},
      {"--Nakayama 2000000000 2",
       "Error: A matrix of 2000000000 x 2000000000 entries does not fit in memory.\n"},
      {"--Nakayama 300000 2 0 0 0 0",
       "Error: A matrix of 300000 x 300000 entries does not fit in memory.\n"},
  };
  for (const RefusalCase& c : cases) {
    ProgramResult r = runInflations(words(c.arguments));
    EXPECT_EQ(r.status, 1) << c.arguments;
    EXPECT_EQ(r.output, c.output) << c.arguments;
  }
}

}  // namespace
