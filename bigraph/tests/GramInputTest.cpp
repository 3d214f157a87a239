// Reading Gram matrices: the text forms, the edge list, JSON, and each refusal with its position.
#include <gtest/gtest.h>

#include "Bigraph.h"
#include "GramInput.h"

using namespace core;
using namespace bigraph;

namespace {

GramMatrix matrix(std::initializer_list<std::initializer_list<long>> rows) { return GramMatrix(rows); }

struct GoodCase {
  const char* label;
  const char* text;
  GramMatrix expected;
};

class GoodInput : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodInput, ReadsTheUpperTriangle) {
  EXPECT_EQ(parseGram(GetParam().text, "f"), GetParam().expected) << GetParam().label;
}

const GramMatrix kPath3 = matrix({{1, -1, 0}, {0, 1, -1}, {0, 0, 1}});

INSTANTIATE_TEST_SUITE_P(
    Forms, GoodInput,
    testing::Values(
        GoodCase{"dialogue", "3\n1 -1 0\n0 1 -1\n0 0 1\n", kPath3.clone()},
        GoodCase{"dialogue on one line after n", "3\n1 -1 0 0 1 -1 0 0 1", kPath3.clone()},
        GoodCase{"rows", "1 -1 0\n0 1 -1\n0 0 1\n", kPath3.clone()},
        GoodCase{"rows, any white space", "  1\t-1 0\n\n0 1\r\n -1 0 0 +1", kPath3.clone()},
        GoodCase{"comments", "# a path\n1 -1 0 # first row\n0 1 -1\n0 0 1 # end", kPath3.clone()},
        GoodCase{"comment glued to a number", "1 -1 0#x\n0 1 -1\n0 0 1", kPath3.clone()},
        GoodCase{"lone 0 is the vertex count, as in the dialogue", "0\n", GramMatrix{}},
        GoodCase{"1 x 1 in the dialogue form", "1\n7", matrix({{7}})},
        GoodCase{"edge list, n from the vertices, diagonal 1",
                 "edges # a path\n1 2 -1\n3 2 -1\n", kPath3.clone()},
        GoodCase{"edge list with n and a diagonal entry", "edges 3\n2 2 5\n",
                 matrix({{1, 0, 0}, {0, 5, 0}, {0, 0, 1}})},
        GoodCase{"json between comments", "# from a script\n{\"gram\": [[2]]}\n# end\n",
                 matrix({{2}})},
        GoodCase{"json", "{\"gram\": [[1, -1, 0], [0, 1, -1], [0, 0, 1]], \"name\": \"x\"}",
                 kPath3.clone()},
        GoodCase{"json, other keys of any kind",
                 " {\"a\": [1.5, {\"b\": null}], \"gram\": [[2]], \"c\": \"\\u00e9\"}",
                 matrix({{2}})},
        GoodCase{"json empty", "{\"gram\": []}", GramMatrix{}}));

TEST(GramInput, EntriesOfAnyLength) {
  const std::string big = "123456789012345678901234567890123456789012345678901234567890";
  const GramMatrix text = parseGram("1 " + big + "\n0 -" + big, "f");
  EXPECT_EQ(bigIntegerToString(text[0][1]), big);
  EXPECT_EQ(bigIntegerToString(text[1][1]), "-" + big);
  const GramMatrix json = parseGram("{\"gram\": [[1, " + big + "], [0, 1]]}", "f");
  EXPECT_EQ(bigIntegerToString(json[0][1]), big);
}

struct BadCase {
  const char* label;
  const char* text;
  const char* message;  // the whole what(): file:line:column: description
};

class BadInputCase : public testing::TestWithParam<BadCase> {};

TEST_P(BadInputCase, IsRefusedWithItsPosition) {
  try {
    parseGram(GetParam().text, "in.txt");
    FAIL() << GetParam().label << ": accepted";
  } catch (const BadInput& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message) << GetParam().label;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, BadInputCase,
    testing::Values(
        BadCase{"empty", "", "in.txt:1:1: empty input, a Gram matrix was expected"},
        BadCase{"only comments", "# nothing\n  # here\n",
                "in.txt:3:1: empty input, a Gram matrix was expected"},
        BadCase{"not an integer", "1 0\n0 x1", "in.txt:2:3: expected an integer, read \"x1\""},
        BadCase{"decimal point", "1 0.5\n0 1", "in.txt:1:3: expected an integer, read \"0.5\""},
        BadCase{"rows not square", "1 -1 0\n0 1 -1\n",
                "in.txt:3:1: the matrix is not square: 6 entries, a 3 x 3 matrix needs 9 (n "
                "read from the first row)"},
        BadCase{"too many entries", "1 0\n0 1\n5",
                "in.txt:3:1: more entries than a 2 x 2 matrix holds (n read from the first row)"},
        BadCase{"dialogue short", "2\n1 0 0",
                "in.txt:2:6: the matrix is not square: 3 entries, a 2 x 2 matrix needs 4 (the "
                "vertex count first, then the entries)"},
        BadCase{"below the diagonal", "1 -1\n-1 1",
                "in.txt:2:1: entry (2, 1) below the diagonal is not zero (only the diagonal and "
                "the upper triangle are read)"},
        BadCase{"negative n", "-2\n1 0 0 1", "in.txt:1:1: the number of vertices is negative"},
        BadCase{"n too large", "99999999999\n1",
                "in.txt:1:1: the number of vertices is too large for memory"},
        BadCase{"n large but int", "2000000000\n1",
                "in.txt:1:1: the number of vertices is too large for memory"},
        BadCase{"json syntax", "{\"gram\": [[1, 0], [0 1]]}",
                "in.txt:1:22: expected ',' or ']' in the array"},
        BadCase{"json trailing comma", "{\"gram\": [[1],]}",
                "in.txt:1:15: unexpected character, a JSON value was expected"},
        BadCase{"json no gram", "{\"grams\": []}",
                "in.txt:1:1: the JSON object has no member \"gram\""},
        BadCase{"json ragged", "{\"gram\": [[1, 0], [0]]}",
                "in.txt:1:19: the matrix is not square: row 2 must be an array of 2 integers"},
        BadCase{"json float", "{\"gram\": [[1, 0], [0, 1.0]]}",
                "in.txt:1:23: expected an integer for entry (2, 2)"},
        BadCase{"json string entry", "{\"gram\": [[\"1\"]]}",
                "in.txt:1:12: expected an integer for entry (1, 1)"},
        BadCase{"json below diagonal", "{\n \"gram\": [[1, 0],\n [2, 1]]}",
                "in.txt:3:3: entry (2, 1) below the diagonal is not zero (only the diagonal and "
                "the upper triangle are read)"},
        BadCase{"json more rows than the first is long", "{\"gram\": [[1], [0]]}",
                "in.txt:1:16: the matrix is not square: more rows than a 1 x 1 matrix holds (n "
                "read from the first row)"},
        BadCase{"json first row empty", "{\"gram\": [[]]}",
                "in.txt:1:11: the matrix is not square: more rows than a 0 x 0 matrix holds (n "
                "read from the first row)"},
        BadCase{"json fewer rows", "{\"gram\": [[1, 0]]}",
                "in.txt:1:10: the matrix is not square: 1 rows, a 2 x 2 matrix needs 2 (n read "
                "from the first row)"},
        BadCase{"terminal escape quoted", "1 0\n0 \x1b]0;owned\x07\n",
                "in.txt:2:3: expected an integer, read \"\\x1B]0;owned\\x07\""},
        BadCase{"long word cut between characters", "1 \xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\n",
                "in.txt:1:3: expected an integer, read \"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9...\""},
        BadCase{"byte order mark skipped", "\xef\xbb\xbf" "1 0\n0 x",
                "in.txt:2:3: expected an integer, read \"x\""},
        BadCase{"lone number other than 0", "7",
                "in.txt:1:2: a lone number is the vertex count n, and no entries follow it (a 1 "
                "x 1 matrix is written as 1, then its entry on the next line)"},
        BadCase{"json key twice", "{\"gram\": [[1]],\n \"gram\": [[2]]}",
                "in.txt:2:2: the member name \"gram\" appears twice in the object"},
        BadCase{"json text after a comment", "{\"gram\": [[1]]} # c\nx",
                "in.txt:2:1: unexpected text after the JSON value"},
        BadCase{"edge line of two words", "edges\n1 2\n",
                "in.txt:2:1: an edge line holds three integers: vertex, vertex, entry (read 2)"},
        BadCase{"edge vertex beyond n", "edges 2\n1 3 -1\n",
                "in.txt:2:3: vertex \"3\" is not in 1..2"},
        BadCase{"edge vertex 0", "edges\n0 1 -1\n", "in.txt:2:1: vertex \"0\" is not in 1..1073741824"},
        BadCase{"edge given twice", "edges\n1 2 -1\n2 1 1\n",
                "in.txt:3:1: entry (1, 2) is given twice"},
        BadCase{"json unterminated", "{\"gram\": [[1]]", "in.txt:1:15: expected ',' or '}' in the object"}));

TEST(GramInput, MissingFileNamesIt) {
  try {
    readInputFile("/nonexistent/dir/file.txt");
    FAIL();
  } catch (const BadInput& e) {
    EXPECT_EQ(std::string(e.what()),
              "/nonexistent/dir/file.txt:1:1: cannot open: No such file or directory");
  }
}

TEST(GramInput, NakayamaItemIsTheCoreBigraph) {
  const InputItem item = nakayamaItem(4, 2);
  EXPECT_EQ(item.name, "nakayama 4 2");
  EXPECT_EQ(item.nakayamaN, 4);
  EXPECT_EQ(item.nakayamaR, 2);
  EXPECT_EQ(item.upper, nakayamaGram(4, 2));
}

}  // namespace
