// Tests of the matrix prints and of the buffered output they write to.
#include "MatrixPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "GramTestHelpers.h"
#include "OutputCapture.h"

using namespace console;

namespace {

std::string cellOf(const std::string& text) {
  CapturedOut captured;
  writeEntryCell(stringToBigInteger(text), captured.out());
  return captured.text();
}

TEST(EntryCell, SameTextAsTheDecimalConversion) {
  const char* texts[] = {"0",          "1",           "-1",          "9",
                         "12",         "-12",         "2147483647",  "-2147483648",
                         "4294967295", "4294967296",  "-4294967296", "18446744073709551615",
                         "-18446744073709551615",     "18446744073709551616",
                         "-123456789012345678901234567890"};
  for (const char* t : texts) {
    const std::string text = bigIntegerToString(stringToBigInteger(t));
    const std::string expected = text[0] == '-' ? text + " " : " " + text + " ";
    EXPECT_EQ(cellOf(t), expected) << t;
  }
}

TEST(EntryCell, RandomValuesOfOneToThreeBlocks) {
  std::mt19937_64 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    BigInteger x(static_cast<long long>(random() >> (round % 64)));
    if (round % 3 == 0) x = x * BigInteger(static_cast<long long>(random() >> 40));
    if (round % 2 == 0) x = -x;
    CapturedOut captured;
    writeEntryCell(x, captured.out());
    const std::string text = bigIntegerToString(x);
    EXPECT_EQ(captured.text(), text[0] == '-' ? text + " " : " " + text + " ");
  }
}

struct PrintCase {
  const char* name;
  std::vector<std::vector<std::string>> rows;
  std::string nonzero, upperLiteral, complete;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.name; }

class MatrixPrints : public testing::TestWithParam<PrintCase> {};

TEST_P(MatrixPrints, EachBlankRule) {
  const PrintCase& c = GetParam();
  auto bigraph = gramtest::makeBigraph(c.rows);
  CapturedOut nonzero, upper, complete;
  printUpperTriangNonzero(*bigraph, nonzero.out());
  printUpperTriangLiteral(*bigraph, upper.out());
  printCompleteLiteral(*bigraph, complete.out());
  EXPECT_EQ(nonzero.text(), c.nonzero);
  EXPECT_EQ(upper.text(), c.upperLiteral);
  EXPECT_EQ(complete.text(), c.complete);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatrixPrints,
    testing::Values(
        PrintCase{"Empty", {}, "", "", ""},
        PrintCase{"TwoVertices", {{"1", "-1"}, {"0", "1"}},
                  " 1 -1 \n    1 \n", " 1 -1 \n    1 \n", " 1 -1 \n 0  1 \n"},
        PrintCase{"BelowDiagonal", {{"1", "0"}, {"5", "1"}},
                  " 1    \n 5  1 \n", " 1  0 \n    1 \n", " 1  0 \n 5  1 \n"},
        PrintCase{"WideEntriesShiftTheRow", {{"1", "-12", "12"}, {"0", "1", "0"}, {"0", "0", "1"}},
                  " 1 -12  12 \n    1    \n       1 \n", " 1 -12  12 \n    1  0 \n       1 \n",
                  " 1 -12  12 \n 0  1  0 \n 0  0  1 \n"},
        // A long entry between short ones: the row made so far goes out before it.
        PrintCase{"LongEntryInsideARow",
                  {{"1", "-123456789012345678901234567890", "5"}, {"0", "1", "0"}, {"0", "0", "1"}},
                  " 1 -123456789012345678901234567890  5 \n    1    \n       1 \n",
                  " 1 -123456789012345678901234567890  5 \n    1  0 \n       1 \n",
                  " 1 -123456789012345678901234567890  5 \n 0  1  0 \n 0  0  1 \n"},
        PrintCase{"HugeEntry", {{"-100000000000000000000000"}},
                  "-100000000000000000000000 \n", "-100000000000000000000000 \n",
                  "-100000000000000000000000 \n"}),
    [](const testing::TestParamInfo<PrintCase>& info) { return std::string(info.param.name); });

TEST(Out, TextLargerThanTheBufferArrivesWhole) {
  CapturedOut captured(4);
  std::string expected;
  for (int p = 0; p < 50; ++p) {
    const std::string piece = std::string(static_cast<std::size_t>(p % 9), 'a' + p % 26) + "|";
    captured.out().write(piece);
    captured.out().put('.');
    captured.out().writeNumber(-p);
    expected += piece + "." + std::to_string(-p);
  }
  EXPECT_EQ(captured.text(), expected);
}

TEST(Out, NumbersAsPercentLldWritesThem) {
  const long long values[] = {0, 7, -7, 10, -10, 1234567890123LL, LLONG_MAX, LLONG_MIN};
  for (long long v : values) {
    CapturedOut captured;
    captured.out().writeNumber(v);
    EXPECT_EQ(captured.text(), std::to_string(v));
  }
}

TEST(Out, EndLineOnlyWhenNotAtTheStartOfALine) {
  CapturedOut captured;
  captured.out().endLine();  // nothing written yet: nothing to end
  captured.out().write("prompt: ");
  captured.out().endLine();
  captured.out().endLine();
  captured.out().write("done\n");
  captured.out().endLine();
  EXPECT_EQ(captured.text(), "prompt: \ndone\n");
}

}  // namespace
