// Tests of the bigraph picture: edge colours, widths and labels, vertex marks and labels.
#include <gtest/gtest.h>

#include "Picture.h"
#include "Primitives.h"
#include "Recording.h"

using namespace core;

namespace velorin {
namespace {

using testing::LineCall;
using testing::makeBigraph;
using testing::RecordingSurface;
using testing::TextCall;

struct EdgeCase {
  int entry;
  int thickLines;
  int width;
  Colour colour;
  const char* label;  // nullptr: no label
};

class EdgePicture : public ::testing::TestWithParam<EdgeCase> {};

// Two vertices at (300, 27) and (300, 387) joined by the entry under test.
TEST_P(EdgePicture, ColourWidthAndLabel) {
  const EdgeCase& c = GetParam();
  auto bigraph = makeBigraph(2, {1, c.entry, 0, 1});
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, *bigraph, computeLayout(2), c.thickLines);
  ASSERT_EQ(surface.lines.size(), 1u);
  EXPECT_EQ(surface.lines[0], (LineCall{300, 27, 300, 387, c.width, c.colour}));
  if (c.label) {
    EXPECT_EQ(surface.texts, (std::vector<TextCall>{{300, 207, c.label}}));
  } else {
    EXPECT_TRUE(surface.texts.empty());
  }
  // The line is on the canvas in its colour, between the two vertex squares.
  EXPECT_EQ(canvas.pixel(300, 150), c.colour);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EdgePicture,
    ::testing::Values(EdgeCase{-1, 1, 2, contin, nullptr}, EdgeCase{-1, 0, 2, contin, nullptr},
                      EdgeCase{1, 1, 2, dotted, nullptr}, EdgeCase{-3, 1, 4, contin, "-3"},
                      EdgeCase{-3, 0, 2, contin, "-3"}, EdgeCase{2, 1, 3, dotted, "2"},
                      EdgeCase{2, 0, 2, dotted, "2"}));

TEST(EdgePicture, HugeEntriesGetTheirWholeDecimalLabel) {
  BigInteger** m = allocateSqZeroMat(2);
  m[0][0] = m[1][1] = BigInteger(1);
  m[0][1] = stringToBigInteger("-123456789012345678901234567890");
  Bigraph bigraph(2, m);
  deleteSqMat(2, m);
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, bigraph, computeLayout(2), 1);
  ASSERT_EQ(surface.texts.size(), 1u);
  EXPECT_EQ(surface.texts[0].text, "-123456789012345678901234567890");
  // |e| + 1 modulo 10000: ...7890 + 1.
  EXPECT_EQ(surface.lines[0].width, 7891);
}

TEST(VertexPicture, DiagonalEntriesOtherThanOneAreLabelledMinusOne) {
  // Diagonal 2, 0 and 1 on three vertices without edges.
  auto bigraph = makeBigraph(3, {2, 0, 0, 0, 0, 0, 0, 0, 1});
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, *bigraph, computeLayout(3), 1);
  EXPECT_TRUE(surface.lines.empty());
  EXPECT_EQ(surface.texts, (std::vector<TextCall>{{300, 7, "1"}, {473, 307, "-1"}}));
  EXPECT_EQ(surface.pixels, 3 * 36);
  for (auto [x, y] : {std::pair{300, 27}, {456, 297}, {144, 297}}) {
    EXPECT_EQ(canvas.pixel(x, y), colorVertex);
    EXPECT_EQ(canvas.pixel(x - 3, y - 3), colorVertex);
    EXPECT_EQ(canvas.pixel(x + 3, y + 3), platform::kWhite);
  }
}

TEST(BigraphPicture, EdgesComeBeforeVerticesAndLabelsRightAfterTheirLine) {
  // A path 1-2-3 with a double dotted edge 1-3.
  auto bigraph = makeBigraph(3, {1, -1, 2, 0, 1, -1, 0, 0, 1});
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, *bigraph, computeLayout(3), 1);
  const std::string edges = "LLTL";
  ASSERT_GE(surface.order.size(), edges.size());
  EXPECT_EQ(surface.order.substr(0, edges.size()), edges);
  EXPECT_EQ(surface.order.substr(edges.size()), std::string(3 * 36, 'P'));
  EXPECT_EQ(surface.texts, (std::vector<TextCall>{{222, 162, "2"}}));
  // The vertex square lies on top of the lines.
  EXPECT_EQ(canvas.pixel(300, 27), colorVertex);
}

TEST(BigraphPicture, EntriesBelowTheDiagonalAreNotDrawn) {
  auto bigraph = makeBigraph(2, {1, 0, -5, 1});
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, *bigraph, computeLayout(2), 1);
  EXPECT_TRUE(surface.lines.empty());
  EXPECT_TRUE(surface.texts.empty());
}

TEST(BigraphPicture, NoVerticesDrawNothing) {
  auto bigraph = makeBigraph(0, {});
  platform::OffscreenWindow canvas;
  RecordingSurface surface(canvas);
  drawBigraph(surface, *bigraph, computeLayout(0), 1);
  EXPECT_TRUE(surface.order.empty());
}

}  // namespace
}  // namespace velorin
