// Tests of the shared input reading: the atoi rule, the "--Nakayama" argument count, the vertex
// count and matrix size checks, and the dialogue reader with its messages.
#include "DialogueInput.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

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

std::string messageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const InputError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ArgumentNumber, FollowsTheAtoiRule) {
  const char* texts[] = {"0",  "42",  "-17", "+5",  "  12", "\t\n-3", "12abc", "abc", "",
                         "-",  "+",   "0x10", "007", "3.9", "2147483647", "-2147483648",
                         "2147483648", "99999999999999999999", "-99999999999999999999", " + 4"};
  for (const char* t : texts) EXPECT_EQ(argumentNumber(t), std::atoi(t)) << "text \"" << t << "\"";
}

struct CountCase {
  std::vector<const char*> args;  // after the program name and "--Nakayama"
  bool complete;
};

std::vector<const char*> commandLine(const std::vector<const char*>& rest) {
  std::vector<const char*> argv = {"prog", "--Nakayama"};
  argv.insert(argv.end(), rest.begin(), rest.end());
  argv.push_back(nullptr);
  return argv;
}

TEST(NakayamaArguments, ConsolePositions) {
  const CountCase cases[] = {
      {{}, false},                              // neither n nor r
      {{"5"}, false},                           // n without r
      {{"5", "2"}, true},                       // defaults for k m s a
      {{"5", "2", "1"}, false},                 // k without m
      {{"5", "2", "0", "0"}, true},             // k <= 0 reads no s
      {{"5", "2", "-4", "0"}, true},
      {{"5", "2", "x", "0"}, true},             // k is 0 by the atoi rule
      {{"5", "2", "1", "0"}, false},            // k > 0 without s
      {{"5", "2", "1", "0", "10"}, true},
      {{"5", "2", "0", "0", "9", "3"}, true},
      {{"5", "2", "1", "0", "0", "3", "extra"}, true},
  };
  for (const CountCase& c : cases) {
    std::vector<const char*> argv = commandLine(c.args);
    EXPECT_EQ(nakayamaArgumentsComplete(static_cast<int>(argv.size()) - 1, argv.data()), c.complete)
        << "with " << c.args.size() << " arguments after --Nakayama";
  }
}

TEST(NakayamaArguments, OtherPositionsAreHonoured) {
  // A layout with k at 5, m at 6, s at 7 (say, one more fixed argument before them).
  NakayamaPositions shifted{5, 6, 7};
  std::vector<const char*> withKOnly = commandLine({"5", "2", "x", "1", "7"});
  EXPECT_FALSE(nakayamaArgumentsComplete(7, withKOnly.data(), shifted));  // 1 > 0 and no s
  std::vector<const char*> noRun = commandLine({"5", "2", "x"});
  EXPECT_TRUE(nakayamaArgumentsComplete(5, noRun.data(), shifted));
}

TEST(VertexCount, NegativeIsRefused) {
  EXPECT_NO_THROW(checkVertexCount(0));
  EXPECT_NO_THROW(checkVertexCount(7));
  EXPECT_EQ(messageOf([] { checkVertexCount(-3); }),
            "The number of vertices must not be negative, but it is -3.");
  EXPECT_EQ(messageOf([] { checkMatrixFits(INT_MIN); }),
            "The number of vertices must not be negative, but it is -2147483648.");
}

TEST(MatrixSize, HugeMatricesFailCleanly) {
  EXPECT_EQ(messageOf([] { checkMatrixFits(INT_MAX); }),
            "A matrix of 2147483647 x 2147483647 entries does not fit in memory.");
  EXPECT_EQ(messageOf([] { allocateInputMatrix(1000000); }),
            "A matrix of 1000000 x 1000000 entries does not fit in memory.");
  EXPECT_NO_THROW(checkMatrixFits(0));
  EXPECT_NO_THROW(checkMatrixFits(400));
}

TEST(MatrixSize, SmallMatrixIsAllZero) {
  BigInteger** m = allocateInputMatrix(3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(bigIntegerToString(m[i][j]), "0");
  deleteSqMat(3, m);
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
      {"+-3", "Expected an integer for k, but read \"+-3\"."},
      {"1.5", "Expected an integer for k, but read \"1.5\"."},
      {"", "Input ended where k was expected."},
      {"   \n ", "Input ended where k was expected."},
      {"2147483648",
       "Expected an integer from -2147483648 to 2147483647 for k, but read \"2147483648\"."},
      {"-99999999999999999999999",
       "Expected an integer from -2147483648 to 2147483647 for k, but read "
       "\"-99999999999999999999999\"."},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
       "Expected an integer for k, but read \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa...\"."},
  };
  for (const RefusalCase& c : cases) {
    TextInput in(c.text);
    DialogueReader reader(in.get());
    EXPECT_EQ(messageOf([&] { reader.readInt("k"); }), c.message) << "text \"" << c.text << "\"";
  }
}

TEST(ReadInt, NamesTheItemAndReadsInOrder) {
  TextInput in("3 0\n-2 oops");
  DialogueReader reader(in.get());
  EXPECT_EQ(reader.readInt("the number of vertices"), 3);
  EXPECT_EQ(reader.readInt("k"), 0);
  EXPECT_EQ(reader.readInt("m"), -2);
  EXPECT_EQ(messageOf([&] { reader.readInt("a"); }), "Expected an integer for a, but read \"oops\".");
  EXPECT_EQ(messageOf([&] { reader.readInt("s"); }), "Input ended where s was expected.");
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
            "Expected an integer for entry (2, 3), but read \"1-2\".");
  EXPECT_EQ(messageOf([&] { reader.readEntry(0, 0); }), "Input ended where entry (1, 1) was expected.");
}

TEST(ReadMatrix, ReadsTheWholeSquareInRowOrder) {
  TextInput in("1 -1 5\n7 1 0\n0 0 1\n");
  DialogueReader reader(in.get());
  BigInteger** m = allocateInputMatrix(3);
  reader.readMatrix(3, m);
  const char* expected[3][3] = {{"1", "-1", "5"}, {"7", "1", "0"}, {"0", "0", "1"}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(bigIntegerToString(m[i][j]), expected[i][j]);
  deleteSqMat(3, m);
}

TEST(ReadMatrix, EarlyEndNamesTheMissingEntry) {
  TextInput in("1 -1\n0");
  DialogueReader reader(in.get());
  BigInteger** m = allocateInputMatrix(2);
  EXPECT_EQ(messageOf([&] { reader.readMatrix(2, m); }), "Input ended where entry (2, 2) was expected.");
  deleteSqMat(2, m);
}

}  // namespace
