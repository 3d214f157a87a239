// Tests of the dialogue reader: integers as "%d" reads them, entries of any length, the matrix
// read row by row, and the messages of its refusals.
#include "DialogueReader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "InputErrorText.h"

using namespace core;

namespace {

// A stream over a fixed text, closed when the holder goes away.
class TextInput {
 public:
  explicit TextInput(const std::string& text) : text_(text) {
    file_ = fmemopen(text_.data(), text_.size(), "r");
    if (text_.empty()) file_ = std::fopen("/dev/null", "r");  // fmemopen refuses size 0
  }
  ~TextInput() { std::fclose(file_); }
  std::FILE* get() const { return file_; }

 private:
  std::string text_;
  std::FILE* file_;
};

// The matrix of n x n as text, row by row.
std::vector<std::vector<std::string>> entriesOf(int n, BigInteger** m) {
  std::vector<std::vector<std::string>> rows(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) rows[i].push_back(bigIntegerToString(m[i][j]));
  return rows;
}

struct IntCase {
  const char* text;
  int value;
};

TEST(ReadInt, AcceptsWhatPercentDReads) {
  const IntCase cases[] = {{"42", 42},     {"  \n\t7 ", 7},         {"+5", 5},
                           {"-0012", -12}, {"-0", 0},               {"2147483647", 2147483647},
                           {"-2147483648", INT_MIN}, {"0000000000000000000000001", 1}};
  for (const IntCase& c : cases) {
    TextInput in(c.text);
    DialogueReader reader(in.get());
    EXPECT_EQ(reader.readInt("k"), c.value) << "text \"" << c.text << "\"";
  }
}

struct RefusalCase {
  const char* text;
  const char* message;
};

TEST(ReadInt, RefusesWhatIsNotAnInteger) {
  const RefusalCase cases[] = {
      {"x", "Expected an integer for k, but read \"x\"."},
      {"4x", "Expected an integer for k, but read \"4x\"."},
      {"-", "Expected an integer for k, but read \"-\"."},
      {"- 3", "Expected an integer for k, but read \"-\"."},
      {"+-3", "Expected an integer for k, but read \"+-\"."},
      {"1.5", "Expected an integer for k, but read \"1.\"."},
      {"12abc", "Expected an integer for k, but read \"12a\"."},
      {"4\xc3\xa9t\xc3\xa9", "Expected an integer for k, but read \"4\xc3\xa9\"."},
      {"", "Input ended where k was expected."},
      {"   \n ", "Input ended where k was expected."},
      {"2147483648",
       "Expected an integer from -2147483648 to 2147483647 for k, but read \"2147483648\"."},
      {"-99999999999999999999999",
       "Expected an integer from -2147483648 to 2147483647 for k, but read "
       "\"-99999999999999999999999\"."},
      {"123456789012345678901234567890123456789012345678x",
       "Expected an integer for k, but read \"1234567890123456789012345678901234567890...\"."},
      {"\x1b[2J", "Expected an integer for k, but read \"\\x1B\"."},
  };
  for (const RefusalCase& c : cases) {
    TextInput in(c.text);
    DialogueReader reader(in.get());
    EXPECT_EQ(messageOf([&] { reader.readInt("k"); }), c.message) << "text \"" << c.text << "\"";
  }
}

TEST(ReadInt, NamesTheItemAndReadsInOrder) {
  TextInput in("3 0\n-2\toops");
  DialogueReader reader(in.get());
  EXPECT_EQ(reader.readInt("the number of vertices"), 3);
  EXPECT_EQ(reader.readInt("k"), 0);
  EXPECT_EQ(reader.readInt("m"), -2);
  EXPECT_EQ(messageOf([&] { reader.readInt("a"); }), "Expected an integer for a, but read \"o\".");
}

TEST(ReadEntry, ReadsEntriesOfAnyLength) {
  const char* texts[] = {"0", "1", "-1", "123456789", "-123456789", "2147483648", "-2147483649",
                         "123456789012345678901234567890123456789012345678901234567890"};
  for (const char* t : texts) {
    TextInput in(t);
    DialogueReader reader(in.get());
    EXPECT_EQ(bigIntegerToString(reader.readEntry(0, 0)), t);
  }
  TextInput in("+0007 -000 +12345678901234567890");
  DialogueReader reader(in.get());
  EXPECT_EQ(bigIntegerToString(reader.readEntry(0, 0)), "7");
  EXPECT_EQ(bigIntegerToString(reader.readEntry(0, 1)), "0");
  EXPECT_EQ(bigIntegerToString(reader.readEntry(0, 2)), "12345678901234567890");
}

TEST(ReadEntry, MessagesCountFromOne) {
  TextInput bad("1-2");
  DialogueReader reader(bad.get());
  EXPECT_EQ(messageOf([&] { reader.readEntry(1, 2); }),
            "Expected an integer for entry (2, 3), but read \"1-\".");
  TextInput none(" \n");
  DialogueReader ended(none.get());
  EXPECT_EQ(messageOf([&] { ended.readEntry(0, 0); }), "Input ended where entry (1, 1) was expected.");
}

TEST(ReadMatrix, ReadsTheWholeSquareInRowOrder) {
  TextInput in("1 -1 5\n7 1 0\n0 0 1\n");
  DialogueReader reader(in.get());
  const GramMatrix m = reader.readMatrix(3);
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(entriesOf(3, m.rows()), (Rows{{"1", "-1", "5"}, {"7", "1", "0"}, {"0", "0", "1"}}));
  TextInput none("");
  DialogueReader empty(none.get());
  EXPECT_TRUE(empty.readMatrix(0).empty());
}

TEST(ReadMatrix, EarlyEndNamesTheMissingEntry) {
  TextInput in("1 -1\n0");
  DialogueReader reader(in.get());
  EXPECT_EQ(messageOf([&] { reader.readMatrix(2); }), "Input ended where entry (2, 2) was expected.");
}

// The peak resident size of this process so far, in KiB.
long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(ReadMatrix, InputEndingEarlyCostsOnlyTheRowsBegun) {
  // The whole 4000 x 4000 matrix would take some 400 MB; its first row takes 100 KB.
  const long before = peakResidentKiB();
  TextInput in("1 2 3");
  DialogueReader reader(in.get());
  EXPECT_EQ(messageOf([&] { reader.readMatrix(4000); }),
            "Input ended where entry (1, 4) was expected.");
  EXPECT_LT(peakResidentKiB() - before, 64 * 1024);
}

TEST(ReadMatrix, StraySymbolIsQuotedSafely) {
  TextInput in(std::string("1 0\n0 7\0\x1b[2J", 11));
  DialogueReader reader(in.get());
  EXPECT_EQ(messageOf([&] { reader.readMatrix(2); }),
            "Expected an integer for entry (2, 2), but read \"7\\x00\".");
}

TEST(ReadItem, AStrayItemIsNotBufferedWhole) {
  // Eight megabytes of letters: the reader stops at the first and leaves the rest unread.
  const std::string stray = "12" + std::string(8 << 20, 'q') + " 5";
  TextInput in(stray);
  DialogueReader reader(in.get());
  EXPECT_EQ(messageOf([&] { reader.readInt("k"); }), "Expected an integer for k, but read \"12q\".");
  EXPECT_EQ(std::ftell(in.get()), 3) << "read past the first character that cannot continue";
}

}  // namespace
