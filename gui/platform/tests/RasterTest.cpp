// Tests of the line rasteriser and the built-in font: widths, ends, round caps, clipping, glyphs.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "BitmapFont.h"
#include "Raster.h"

namespace platform {
namespace {

using Pixels = std::set<std::pair<int, int>>;

const Rect kCanvas{0, 0, 600, 465};

Pixels rasterise(int x1, int y1, int x2, int y2, int width, const Rect& clip = kCanvas) {
  Pixels pixels;
  raster::line(x1, y1, x2, y2, width, clip, [&](int y, int xFirst, int xLast) {
    EXPECT_LE(xFirst, xLast);
    for (int x = xFirst; x <= xLast; ++x) {
      EXPECT_TRUE(pixels.insert({x, y}).second) << "pixel reported twice: " << x << ", " << y;
    }
  });
  return pixels;
}

std::vector<int> rowsInColumn(const Pixels& pixels, int x) {
  std::vector<int> rows;
  for (const auto& [px, py] : pixels) {
    if (px == x) rows.push_back(py);
  }
  return rows;
}

std::pair<int, int> columnSpanInRow(const Pixels& pixels, int y) {
  int low = 1 << 30;
  int high = -(1 << 30);
  for (const auto& [px, py] : pixels) {
    if (py == y) {
      low = std::min(low, px);
      high = std::max(high, px);
    }
  }
  return {low, high};
}

// A horizontal line from (100, 50) to (200, 50): the rows it covers in its middle, and how
// far it reaches left and right on its own row and on its outermost rows.
struct HorizontalCase {
  int width;
  std::vector<int> middleRows;
  std::pair<int, int> centreSpan;
  std::pair<int, int> outerSpan;  // on the first row of middleRows
};

void PrintTo(const HorizontalCase& c, std::ostream* os) { *os << "width " << c.width; }

class HorizontalLine : public ::testing::TestWithParam<HorizontalCase> {};

TEST_P(HorizontalLine, CoversItsWidthAndRoundEnds) {
  const HorizontalCase& c = GetParam();
  const Pixels pixels = rasterise(100, 50, 200, 50, c.width);
  EXPECT_EQ(rowsInColumn(pixels, 150), c.middleRows);
  EXPECT_EQ(columnSpanInRow(pixels, 50), c.centreSpan);
  EXPECT_EQ(columnSpanInRow(pixels, c.middleRows.front()), c.outerSpan);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, HorizontalLine,
    ::testing::Values(HorizontalCase{1, {50}, {100, 200}, {100, 200}},
                      HorizontalCase{2, {49, 50}, {99, 200}, {100, 200}},
                      HorizontalCase{3, {49, 50, 51}, {99, 201}, {99, 201}},
                      HorizontalCase{9, {46, 47, 48, 49, 50, 51, 52, 53, 54}, {96, 204}, {98, 202}}),
    [](const auto& info) { return "Width" + std::to_string(info.param.width); });

TEST(VerticalLine, MirrorsTheHorizontalOne) {
  for (int width : {1, 2, 3, 9}) {
    const Pixels horizontal = rasterise(100, 50, 200, 50, width);
    const Pixels vertical = rasterise(50, 100, 50, 200, width);
    Pixels mirrored;
    for (const auto& [x, y] : horizontal) mirrored.insert({y, x});
    EXPECT_EQ(vertical, mirrored) << "width " << width;
  }
}

TEST(WideLine, DirectionDoesNotMatter) {
  for (int width : {2, 3, 9}) {
    EXPECT_EQ(rasterise(300, 27, 456, 297, width), rasterise(456, 297, 300, 27, width)) << width;
  }
}

TEST(WideLine, RoundCapLeavesTheCornersOut) {
  const Pixels pixels = rasterise(100, 50, 200, 50, 9);
  EXPECT_TRUE(pixels.count({96, 50}));   // 4 left of the end, on the axis
  EXPECT_FALSE(pixels.count({96, 46}));  // the square cap's corner
  EXPECT_FALSE(pixels.count({95, 50}));  // beyond the radius
  EXPECT_TRUE(pixels.count({204, 50}));
  EXPECT_FALSE(pixels.count({204, 54}));
}

TEST(WideLine, ZeroLengthIsADisc) {
  const Pixels pixels = rasterise(300, 200, 300, 200, 9);
  EXPECT_TRUE(pixels.count({300, 200}));
  EXPECT_TRUE(pixels.count({304, 200}));
  EXPECT_TRUE(pixels.count({300, 196}));
  EXPECT_FALSE(pixels.count({304, 204}));
  EXPECT_FALSE(pixels.count({305, 200}));
}

TEST(ThinLine, DiagonalHasOnePixelPerColumnAndBothEnds) {
  const Pixels pixels = rasterise(10, 10, 40, 40, 1);
  EXPECT_EQ(pixels.size(), 31u);
  for (int x = 10; x <= 40; ++x) EXPECT_EQ(rowsInColumn(pixels, x), std::vector<int>{x}) << x;
}

TEST(ThinLine, SlantedLineStaysThin) {
  // Where the line passes halfway between two pixel centres, both lie within half a pixel.
  const Pixels pixels = rasterise(10, 10, 40, 25, 1);
  EXPECT_TRUE(pixels.count({10, 10}));
  EXPECT_TRUE(pixels.count({40, 25}));
  for (int x = 10; x <= 40; ++x) {
    const auto rows = rowsInColumn(pixels, x);
    ASSERT_FALSE(rows.empty()) << x;
    EXPECT_LE(rows.size(), 2u) << x;
    EXPECT_LE(std::abs(2 * rows.front() - (x + 10)), 2) << x;
  }
}

TEST(ThinLine, WidthBelowOneCountsAsOne) {
  EXPECT_EQ(rasterise(10, 10, 40, 25, 0), rasterise(10, 10, 40, 25, 1));
  EXPECT_EQ(rasterise(10, 10, 40, 25, -4), rasterise(10, 10, 40, 25, 1));
}

TEST(ThinLine, ZeroLengthIsOnePixel) {
  EXPECT_EQ(rasterise(300, 200, 300, 200, 1), (Pixels{{300, 200}}));
}

TEST(WideLine, EvenWidthTiesGoUpAndLeft) {
  // Width 2 centred on row 50: row 49 is on the border with the inside below it, row 51
  // on the border with the inside above it; likewise the caps take column 99, not 201.
  const Pixels pixels = rasterise(100, 50, 200, 50, 2);
  EXPECT_TRUE(pixels.count({150, 49}));
  EXPECT_FALSE(pixels.count({150, 51}));
  EXPECT_TRUE(pixels.count({99, 50}));
  EXPECT_FALSE(pixels.count({201, 50}));
  // A 3-4-5 slope puts centres exactly on the border of a width 10 line.
  EXPECT_TRUE(raster::lineCovers(0, 0, 40, 30, 10, 17, 19));   // 5 away, inside to the right
  EXPECT_FALSE(raster::lineCovers(0, 0, 40, 30, 10, 23, 11));  // 5 away, inside to the left
  EXPECT_TRUE(raster::lineCovers(0, 0, 40, 30, 10, 18, 18));   // 3.6 away
  EXPECT_FALSE(raster::lineCovers(0, 0, 40, 30, 10, 24, 10));  // 6.4 away
}

TEST(WideLine, FarEndPointsDoNotOverflow) {
  const Pixels pixels = rasterise(-2000000000, 100, 2000000000, 100, 3);
  EXPECT_EQ(pixels.size(), 600u * 3u);
  EXPECT_FALSE(rasterise(300, 200, 300, 200, 2147483647).empty());
}

TEST(WideLine, SlantedLineKeepsItsWidthAcross) {
  // Across a 45 degree line, the pixels of one column span about width * sqrt(2).
  const Pixels pixels = rasterise(100, 100, 300, 300, 9);
  const auto rows = rowsInColumn(pixels, 200);
  EXPECT_GE(rows.size(), 12u);
  EXPECT_LE(rows.size(), 13u);
  EXPECT_EQ(rows.front() + rows.back(), 400);  // centred on the line
}

// The span search must find exactly the pixels that the coverage rule gives one by one.
Pixels everyCoveredPixel(int x1, int y1, int x2, int y2, int width, const Rect& clip) {
  Pixels pixels;
  for (int y = clip.top; y < clip.bottom; ++y) {
    for (int x = clip.left; x < clip.right; ++x) {
      if (raster::lineCovers(x1, y1, x2, y2, width, x, y)) pixels.insert({x, y});
    }
  }
  return pixels;
}

TEST(WideLine, SpansMatchThePixelByPixelRuleOnRandomLines) {
  std::mt19937 random(20151216);
  std::uniform_int_distribution<int> coordinate(-40, 240);
  std::uniform_int_distribution<int> widths(2, 40);
  const Rect clip{0, 0, 200, 160};
  for (int i = 0; i < 300; ++i) {
    const int x1 = coordinate(random), y1 = coordinate(random);
    const int x2 = coordinate(random), y2 = coordinate(random);
    const int width = i % 10 == 0 ? 2 + i % 4 : widths(random);
    ASSERT_EQ(rasterise(x1, y1, x2, y2, width, clip), everyCoveredPixel(x1, y1, x2, y2, width, clip))
        << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << "), width " << width;
  }
}

TEST(WideLine, SpansMatchThePixelByPixelRuleOnThePictureEdges) {
  // Edges between the vertex positions of a picture of 8 vertices, at the widths it uses.
  const int xs[] = {300, 427, 480, 427, 300, 173, 120, 173};
  const int ys[] = {27, 80, 207, 334, 387, 334, 207, 80};
  for (int width : {2, 3, 4, 9}) {
    for (int i = 0; i < 8; ++i) {
      for (int j = i + 1; j < 8; ++j) {
        ASSERT_EQ(rasterise(xs[i], ys[i], xs[j], ys[j], width),
                  everyCoveredPixel(xs[i], ys[i], xs[j], ys[j], width, kCanvas))
            << i << "-" << j << " width " << width;
      }
    }
  }
}

// The coverage rule in plain exact integers, independent of the rasteriser's shortcuts.
bool coveredExactly(long ax, long ay, long bx, long by, long width, long x, long y) {
  __extension__ using Wide = __int128;
  const Wide dx = bx - ax, dy = by - ay, px = x - ax, py = y - ay;
  const Wide lengthSquared = dx * dx + dy * dy;
  const Wide dot = px * dx + py * dy;
  auto facingInside = [](Wide ex, Wide ey) { return ex < 0 || (ex == 0 && ey < 0); };
  auto nearPoint = [&](Wide rx, Wide ry) {
    const Wide lhs = 4 * (rx * rx + ry * ry);
    return lhs != Wide(width) * width ? lhs < Wide(width) * width : facingInside(rx, ry);
  };
  if (lengthSquared == 0 || dot <= 0) return nearPoint(px, py);
  if (dot >= lengthSquared) return nearPoint(x - bx, y - by);
  const Wide cross = px * dy - py * dx;
  const Wide lhs = 4 * cross * cross;
  const Wide rhs = Wide(width) * width * lengthSquared;
  return lhs != rhs ? lhs < rhs : facingInside(cross * dy, -cross * dx);
}

TEST(WideLine, PixelsOnTheBorderFollowTheExactRule) {
  // Directions of Pythagorean triples put many pixel centres exactly at width / 2 from the
  // line, where rounding in a faster test would decide the wrong way.
  const int directions[][2] = {{3, 4}, {4, -3}, {5, 12}, {-12, 5}, {8, 15}, {20, 21}, {7, 24}};
  std::mt19937 random(465);
  std::uniform_int_distribution<int> start(20, 120), length(1, 9), widths(1, 30);
  for (int i = 0; i < 400; ++i) {
    const auto& d = directions[i % 7];
    const int x1 = start(random), y1 = start(random), k = length(random);
    const int x2 = x1 + d[0] * k, y2 = y1 + d[1] * k;
    const int width = widths(random);
    Pixels expected;
    const int reach = width / 2 + 2;
    for (int y = std::max(0, std::min(y1, y2) - reach); y <= std::max(y1, y2) + reach; ++y)
      for (int x = std::max(0, std::min(x1, x2) - reach); x <= std::max(x1, x2) + reach; ++x)
        if (coveredExactly(x1, y1, x2, y2, width, x, y)) expected.insert({x, y});
    ASSERT_EQ(rasterise(x1, y1, x2, y2, width), expected)
        << "(" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << "), width " << width;
  }
}

TEST(Clip, NothingOutsideTheClipRectangle) {
  const Rect clip{120, 40, 180, 60};
  const Pixels pixels = rasterise(100, 50, 200, 50, 9, clip);
  EXPECT_FALSE(pixels.empty());
  for (const auto& [x, y] : pixels) {
    EXPECT_TRUE(x >= 120 && x < 180 && y >= 40 && y < 60) << x << ", " << y;
  }
  EXPECT_EQ(pixels.size(), 60u * 9u);
}

TEST(Clip, HugeWidthFillsOnlyTheCanvas) {
  const Pixels pixels = rasterise(300, 27, 456, 297, 9999);
  EXPECT_EQ(pixels.size(), 600u * 465u);
}

TEST(Clip, LineEntirelyOutsideDrawsNothing) {
  EXPECT_TRUE(rasterise(-500, -500, -400, -450, 9).empty());
  EXPECT_TRUE(rasterise(700, 10, 900, 10, 1).empty());
}

// The font.
std::vector<bool> glyphOf(unsigned char ch) {
  std::vector<bool> bits;
  for (int row = 0; row < font::kGlyphHeight; ++row) {
    for (int column = 0; column < font::kGlyphWidth; ++column) {
      bits.push_back(font::glyphPixel(ch, column, row));
    }
  }
  return bits;
}

TEST(Font, EveryPrintableGlyphIsDistinctAndVisible) {
  std::set<std::vector<bool>> seen;
  for (int ch = 33; ch <= 126; ++ch) {
    const auto bits = glyphOf(static_cast<unsigned char>(ch));
    EXPECT_NE(std::count(bits.begin(), bits.end(), true), 0) << char(ch);
    EXPECT_TRUE(seen.insert(bits).second) << "glyph repeats: " << char(ch);
  }
  const auto space = glyphOf(' ');
  EXPECT_EQ(std::count(space.begin(), space.end(), true), 0);
}

TEST(Font, GlyphsKeepASpacingColumnAndStayInsideTheCell) {
  for (int ch = 32; ch <= 126; ++ch) {
    for (int row = 0; row < font::kGlyphHeight; ++row) {
      EXPECT_FALSE(font::glyphPixel(static_cast<unsigned char>(ch), font::kGlyphWidth - 1, row))
          << char(ch);
    }
    EXPECT_FALSE(font::glyphPixel(static_cast<unsigned char>(ch), -1, 5));
    EXPECT_FALSE(font::glyphPixel(static_cast<unsigned char>(ch), 0, font::kGlyphHeight));
  }
}

TEST(Font, LettersStandOnTheBaselineAndDescendersHangBelow) {
  auto lowestRow = [](unsigned char ch) {
    int lowest = -1;
    for (int row = 0; row < font::kGlyphHeight; ++row) {
      for (int column = 0; column < font::kGlyphWidth; ++column) {
        if (font::glyphPixel(ch, column, row)) lowest = row;
      }
    }
    return lowest;
  };
  for (unsigned char ch : {'A', 'x', '1', 'Z'}) EXPECT_EQ(lowestRow(ch), font::kAscent - 1) << ch;
  for (unsigned char ch : {'g', 'p', 'y'}) EXPECT_EQ(lowestRow(ch), font::kAscent + 1) << ch;
}

TEST(Font, BytesOutsideAsciiShowAsAHollowBox) {
  for (unsigned char ch : {0, 31, 127, 200, 255}) {
    EXPECT_TRUE(font::glyphPixel(ch, 0, font::kAscent - 1)) << int(ch);
    EXPECT_FALSE(font::glyphPixel(ch, 2, font::kAscent - 3)) << int(ch);
  }
}

}  // namespace
}  // namespace platform
