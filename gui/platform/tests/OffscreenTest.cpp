// Tests of the offscreen window: drawing into its image, text boxes, paints, clipping and keys.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "BitmapFont.h"
#include "Offscreen.h"
#include "Raster.h"

namespace platform {
namespace {

constexpr Colour kBlue = 0xFF0000;    // colour references are 0x00BBGGRR
constexpr Colour kOrange = 0x0053FE;
constexpr Colour kGrey = 0x323232;

int countColour(const OffscreenWindow& w, const Rect& r, Colour c) {
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) count += w.pixel(x, y) == c ? 1 : 0;
  }
  return count;
}

int area(const Rect& r) { return (r.right - r.left) * (r.bottom - r.top); }

TEST(Offscreen, StartsWhiteAtTheWindowSize) {
  OffscreenWindow w;
  EXPECT_EQ(w.width(), 600);
  EXPECT_EQ(w.height(), 465);
  EXPECT_EQ(countColour(w, {0, 0, 600, 465}, kWhite), 600 * 465);
}

TEST(Offscreen, SetPixelSetsOnePixelAndIgnoresPointsOutside) {
  OffscreenWindow w;
  w.setPixel(300, 27, kGrey);
  w.setPixel(0, 0, kBlue);
  w.setPixel(599, 464, kOrange);
  w.setPixel(-1, 5, kGrey);
  w.setPixel(600, 5, kGrey);
  w.setPixel(5, 465, kGrey);
  EXPECT_EQ(w.pixel(300, 27), kGrey);
  EXPECT_EQ(w.pixel(0, 0), kBlue);
  EXPECT_EQ(w.pixel(599, 464), kOrange);
  EXPECT_EQ(countColour(w, {0, 0, 600, 465}, kWhite), 600 * 465 - 3);
}

TEST(Offscreen, SetPixelDropsTheTopByte) {
  OffscreenWindow w;
  w.setPixel(10, 10, 0xAB0053FE);
  EXPECT_EQ(w.pixel(10, 10), kOrange);
}

TEST(Offscreen, PixelOutsideTheImageThrows) {
  OffscreenWindow w;
  EXPECT_THROW(w.pixel(600, 0), std::out_of_range);
  EXPECT_THROW(w.pixel(0, -1), std::out_of_range);
}

TEST(Offscreen, FillWhiteCoversItsRectangleWithoutRightAndBottomEdges) {
  OffscreenWindow w;
  w.line(0, 200, 599, 200, 100, kGrey);  // rows 150..249 dark
  const Rect r{100, 160, 250, 190};
  w.fillWhite(r);
  EXPECT_EQ(countColour(w, r, kWhite), area(r));
  EXPECT_EQ(w.pixel(99, 170), kGrey);
  EXPECT_EQ(w.pixel(250, 170), kGrey);
  EXPECT_EQ(w.pixel(120, 159), kGrey);
  EXPECT_EQ(w.pixel(120, 190), kGrey);
}

TEST(Offscreen, FillWhiteClipsToTheImage) {
  OffscreenWindow w;
  w.line(0, 10, 599, 10, 3, kGrey);
  w.fillWhite({-50, -50, 10000, 10000});
  EXPECT_EQ(countColour(w, {0, 0, 600, 465}, kWhite), 600 * 465);
  w.fillWhite({300, 300, 200, 200});  // empty: nothing happens
}

// The line widths the picture uses, at the ends and the middle of a horizontal edge.
struct WidthCase {
  int width;
  int rowsAcross;
};

void PrintTo(const WidthCase& c, std::ostream* os) { *os << "width " << c.width; }

class OffscreenLine : public ::testing::TestWithParam<WidthCase> {};

TEST_P(OffscreenLine, EndsAndMiddleCarryTheColour) {
  OffscreenWindow w;
  const int width = GetParam().width;
  w.line(144, 297, 456, 297, width, kBlue);
  for (int x : {144, 300, 456}) {
    EXPECT_EQ(countColour(w, {x, 280, x + 1, 315}, kBlue), GetParam().rowsAcross) << x;
    EXPECT_EQ(w.pixel(x, 297), kBlue) << x;
  }
  // Round caps: the end reaches beyond the end point on the axis only.
  const int reach = (width - 1) / 2;
  EXPECT_EQ(w.pixel(456 + reach, 297), kBlue);
  EXPECT_EQ(w.pixel(456 + reach + 1, 297), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Widths, OffscreenLine,
                         ::testing::Values(WidthCase{1, 1}, WidthCase{2, 2}, WidthCase{3, 3},
                                           WidthCase{9, 9}),
                         [](const auto& info) { return "Width" + std::to_string(info.param.width); });

TEST(Offscreen, ManyCrossingLinesComeOutAsDrawnOneByOne) {
  // Hundreds of lines in three colours across each other, the later over the earlier,
  // within a partial paint's clip: the same image as each line drawn at once in its turn.
  std::mt19937 random(2015);
  std::uniform_int_distribution<int> x(-30, 630), y(-30, 495), width(1, 12), colour(0, 2);
  const Colour colours[] = {0xFF0000, 0x0053FE, 0x323232};
  const Rect area{40, 30, 560, 440};
  OffscreenWindow canvas;
  RgbImage expected(600, 465, kWhite);
  canvas.paintAgain(
      [&](Surface& s, const Rect&) {
        for (int i = 0; i < 600; ++i) {
          const int x1 = x(random), y1 = y(random), x2 = x(random), y2 = y(random);
          const int w = width(random);
          const Colour c = colours[colour(random)];
          s.line(x1, y1, x2, y2, w, c);
          raster::line(x1, y1, x2, y2, w, area, [&](int row, int first, int last) {
            expected.fillRow(row, first, last, c);
          });
        }
      },
      area);
  EXPECT_EQ(canvas.image().rgb, expected.rgb);
}

TEST(Offscreen, TextIsBlackOnAnOpaqueWhiteBox) {
  OffscreenWindow w;
  w.line(0, 20, 599, 20, 40, kGrey);  // rows 0..39 dark
  const std::string s = "Your bigraph:";
  w.text(10, 10, s);
  const Rect box{10, 10, 10 + int(s.size()) * font::kGlyphWidth, 10 + font::kGlyphHeight};
  const int white = countColour(w, box, kWhite);
  const int black = countColour(w, box, kBlack);
  EXPECT_EQ(white + black, area(box));
  EXPECT_GT(black, 50);
  EXPECT_EQ(w.pixel(9, 15), kGrey);
  EXPECT_EQ(w.pixel(box.right, 15), kGrey);
  EXPECT_EQ(w.pixel(20, 9), kGrey);
  EXPECT_EQ(w.pixel(20, box.bottom), kGrey);
}

TEST(Offscreen, TextDrawsTheGlyphsOfTheFont) {
  OffscreenWindow w;
  w.text(100, 200, "-3");
  for (int row = 0; row < font::kGlyphHeight; ++row) {
    for (int column = 0; column < font::kGlyphWidth; ++column) {
      EXPECT_EQ(w.pixel(100 + column, 200 + row),
                font::glyphPixel('-', column, row) ? kBlack : kWhite);
      EXPECT_EQ(w.pixel(106 + column, 200 + row),
                font::glyphPixel('3', column, row) ? kBlack : kWhite);
    }
  }
}

TEST(Offscreen, TextIsClippedAtTheImageEdges) {
  OffscreenWindow w;
  w.text(590, 460, "clipped at both edges");
  w.text(-20, -5, "and here");
  EXPECT_GT(countColour(w, {590, 460, 600, 465}, kBlack) +
                countColour(w, {0, 0, 40, 8}, kBlack),
            0);
}

TEST(Offscreen, RunPaintsTheWholeAreaOnceErasedWhiteAndReturnsZero) {
  OffscreenWindow w;
  w.setPixel(5, 5, kGrey);
  int calls = 0;
  Rect painted{};
  const int code = w.run([&](Surface& s, const Rect& r) {
    ++calls;
    painted = r;
    EXPECT_EQ(w.pixel(5, 5), kWhite);  // erased before the handler runs
    s.setPixel(300, 27, kOrange);
    s.flush();
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(w.paintCount(), 1);
  EXPECT_EQ(w.flushCount(), 1);
  EXPECT_EQ(painted.left, 0);
  EXPECT_EQ(painted.top, 0);
  EXPECT_EQ(painted.right, 600);
  EXPECT_EQ(painted.bottom, 465);
  EXPECT_EQ(w.pixel(300, 27), kOrange);
}

TEST(Offscreen, PaintAgainRepaintsWithTheSameHandler) {
  OffscreenWindow w;
  int calls = 0;
  w.run([&](Surface& s, const Rect&) { s.text(10, 10, "Inflation no.: " + std::to_string(calls++)); });
  w.paintAgain();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(w.paintCount(), 2);
}

TEST(Offscreen, PartialPaintErasesAndClipsToItsArea) {
  OffscreenWindow w;
  w.run([](Surface& s, const Rect&) { s.line(0, 100, 599, 100, 9, kGrey); });
  const Rect part{200, 50, 300, 150};
  Rect painted{};
  w.paintAgain(
      [&](Surface& s, const Rect& r) {
        painted = r;
        s.line(0, 100, 599, 100, 3, kBlue);
        s.fillWhite({0, 0, 600, 60});
      },
      part);
  EXPECT_EQ(painted.left, 200);
  EXPECT_EQ(painted.right, 300);
  EXPECT_EQ(w.pixel(250, 100), kBlue);
  EXPECT_EQ(w.pixel(250, 104), kWhite);  // erased inside the area
  EXPECT_EQ(w.pixel(100, 100), kGrey);   // outside the area the old picture stays
  EXPECT_EQ(w.pixel(100, 104), kGrey);
  // After the paint, drawing reaches the whole image again.
  w.line(0, 400, 599, 400, 1, kBlue);
  EXPECT_EQ(w.pixel(10, 400), kBlue);
}

TEST(OffscreenKeys, UpUntilSetByTheCaller) {
  OffscreenWindow w;
  EXPECT_FALSE(w.keyDown(Key::Shift));
  EXPECT_FALSE(w.keyDown(Key::Escape));
  w.setKey(Key::Shift, true);
  EXPECT_TRUE(w.keyDown(Key::Shift));
  EXPECT_FALSE(w.keyDown(Key::Escape));
  w.setKey(Key::Shift, false);
  w.setKey(Key::Escape, true);
  EXPECT_FALSE(w.keyDown(Key::Shift));
  EXPECT_TRUE(w.keyDown(Key::Escape));
  EXPECT_EQ(w.keyReads(Key::Shift), 3u);
  EXPECT_EQ(w.keyReads(Key::Escape), 3u);
}

TEST(OffscreenKeys, PressAfterReadsGoesDownAtTheGivenRead) {
  OffscreenWindow w;
  w.pressAfterReads(Key::Escape, 3);
  EXPECT_FALSE(w.keyDown(Key::Escape));
  EXPECT_FALSE(w.keyDown(Key::Shift));  // reads of another key do not count
  EXPECT_FALSE(w.keyDown(Key::Escape));
  EXPECT_FALSE(w.keyDown(Key::Escape));
  EXPECT_TRUE(w.keyDown(Key::Escape));
  EXPECT_TRUE(w.keyDown(Key::Escape));
}

TEST(OffscreenKeys, ScriptAnswersEveryRead) {
  OffscreenWindow w;
  w.setKey(Key::Shift, true);
  w.setKeyScript([](Key k, std::uint64_t read) { return k == Key::Shift && read % 2 == 1; });
  EXPECT_FALSE(w.keyDown(Key::Shift));
  EXPECT_TRUE(w.keyDown(Key::Shift));
  EXPECT_FALSE(w.keyDown(Key::Shift));
  EXPECT_FALSE(w.keyDown(Key::Escape));
  w.setKeyScript({});
  EXPECT_TRUE(w.keyDown(Key::Shift));  // the set state answers again
}

TEST(OffscreenKeys, KeysCanBeReadDuringAPaint) {
  OffscreenWindow w;
  w.setKey(Key::Shift, true);
  w.pressAfterReads(Key::Escape, 2);
  int iterations = 0;
  w.run([&](Surface&, const Rect&) {
    while (!w.keyDown(Key::Shift)) {
    }
    while (!w.keyDown(Key::Escape)) ++iterations;
  });
  EXPECT_EQ(iterations, 2);
}

}  // namespace
}  // namespace platform
