// Tests of the drawing primitives: vertex squares, line pens and widths, and the wait.
#include <gtest/gtest.h>

#include <chrono>

#include "Offscreen.h"
#include "Primitives.h"

namespace velorin {
namespace {

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  int count = 0;
};

// The pixels of the canvas that are not white, with their bounding box.
Box colouredPixels(const platform::OffscreenWindow& canvas, Colour* seen = nullptr) {
  Box box;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      const Colour c = canvas.pixel(x, y);
      if (c == platform::kWhite) continue;
      if (seen) *seen = c;
      ++box.count;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  return box;
}

TEST(BigPixel, SizeSixIsTheSquareUpAndLeftOfTheCentre) {
  platform::OffscreenWindow canvas;
  BigPixel(canvas, 300, 27, 6, colorVertex);
  Colour seen = 0;
  const Box box = colouredPixels(canvas, &seen);
  EXPECT_EQ(box.count, 36);
  EXPECT_EQ(box.left, 297);
  EXPECT_EQ(box.right, 302);
  EXPECT_EQ(box.top, 24);
  EXPECT_EQ(box.bottom, 29);
  EXPECT_EQ(seen, colorVertex);
}

TEST(BigPixel, OddSizesLoseARowAndAColumn) {
  platform::OffscreenWindow canvas;
  BigPixel(canvas, 100, 100, 5, contin);
  const Box box = colouredPixels(canvas);
  EXPECT_EQ(box.count, 16);
  EXPECT_EQ(box.left, 98);
  EXPECT_EQ(box.right, 101);
  EXPECT_EQ(box.top, 98);
  EXPECT_EQ(box.bottom, 101);
}

TEST(BigPixel, SizeOneSetsNothing) {
  platform::OffscreenWindow canvas;
  BigPixel(canvas, 100, 100, 1, contin);
  EXPECT_EQ(colouredPixels(canvas).count, 0);
}

struct PaletteCase {
  Colour colour;
  std::uint8_t red, green, blue;  // as the pixel comes out on the screen
};

class Palette : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(Palette, ColourReferencesComeOutAsTheirScreenColours) {
  const PaletteCase& c = GetParam();
  platform::OffscreenWindow canvas;
  BigPixel(canvas, 100, 100, 2, c.colour);
  const platform::RgbImage& image = canvas.image();
  const std::size_t at = (std::size_t(99) * std::size_t(image.width) + 99) * 3;
  EXPECT_EQ(image.rgb[at], c.red);
  EXPECT_EQ(image.rgb[at + 1], c.green);
  EXPECT_EQ(image.rgb[at + 2], c.blue);
}

// Vertices dark grey, text pen grey, dotted edges orange red, solid edges blue.
INSTANTIATE_TEST_SUITE_P(Colours, Palette,
                         ::testing::Values(PaletteCase{colorVertex, 50, 50, 50},
                                           PaletteCase{textcolor, 100, 100, 100},
                                           PaletteCase{dotted, 254, 83, 0},
                                           PaletteCase{contin, 0, 0, 255}));

struct PenCase {
  int width;
  Colour colour;
  Pen expected;
};

class LinePen : public ::testing::TestWithParam<PenCase> {};

TEST_P(LinePen, WidthWrapsAtTenThousandAndThinLinesUseTheFixedPens) {
  const PenCase& c = GetParam();
  EXPECT_EQ(penForLine(BigInteger(c.width), c.colour), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LinePen,
    ::testing::Values(PenCase{2, contin, olowekcontin}, PenCase{2, dotted, olowekdotted},
                      PenCase{2, colorVertex, olowekdotted}, PenCase{1, contin, olowekcontin},
                      PenCase{3, contin, Pen{3, contin}}, PenCase{3, dotted, Pen{3, dotted}},
                      PenCase{9999, dotted, Pen{9999, dotted}},
                      PenCase{10000, contin, olowekcontin}, PenCase{10000, dotted, olowekdotted},
                      PenCase{10001, contin, olowekcontin}, PenCase{10001, textcolor, olowekdotted},
                      PenCase{10003, contin, Pen{3, contin}},
                      PenCase{10003, dotted, Pen{3, dotted}}));

TEST(LinePen, WidthsBeyondAnyMachineWordStillWrap) {
  // 10^30 + 7 leaves the remainder 7.
  BigInteger width(1);
  for (int i = 0; i < 30; ++i) width = width * BigInteger(10);
  width = width + BigInteger(7);
  EXPECT_EQ(penForLine(width, contin), (Pen{7, contin}));
}

// How many pixels of the given colour the column x holds.
int pixelsInColumn(const platform::OffscreenWindow& canvas, int x, Colour c) {
  int count = 0;
  for (int y = 0; y < canvas.height(); ++y) count += canvas.pixel(x, y) == c;
  return count;
}

struct DrawnCase {
  int width;
  Colour colour;
  Colour drawnColour;
  int across;  // pixels across the horizontal line
};

class DrawnLine : public ::testing::TestWithParam<DrawnCase> {};

TEST_P(DrawnLine, HorizontalLineHasItsWidthAndColour) {
  const DrawnCase& c = GetParam();
  platform::OffscreenWindow canvas;
  myLine(canvas, 100, 200, 500, 200, BigInteger(c.width), c.colour);
  EXPECT_EQ(pixelsInColumn(canvas, 300, c.drawnColour), c.across);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, DrawnLine,
    ::testing::Values(DrawnCase{2, contin, contin, 2}, DrawnCase{2, dotted, dotted, 2},
                      DrawnCase{2, colorVertex, dotted, 2}, DrawnCase{3, contin, contin, 3},
                      DrawnCase{3, dotted, dotted, 3}, DrawnCase{10000, contin, contin, 2},
                      DrawnCase{10001, dotted, dotted, 2}, DrawnCase{10003, contin, contin, 3},
                      DrawnCase{9999, dotted, dotted, 465}));

TEST(MySleep, NonPositiveWaitsReturnAndPositiveWaitsLastAtLeastTheirTime) {
  mySleep(0);
  mySleep(-5);
  // A lower bound on the wait, which holds however loaded the machine is.
  const auto start = std::chrono::steady_clock::now();
  mySleep(15);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
}

}  // namespace
}  // namespace velorin
