// The offscreen canvas's built-in font: fixed-size 6 x 13 glyphs for ASCII 32..126.
#pragma once

#include <cstdint>

namespace platform::font {

constexpr int kGlyphWidth = 6;
constexpr int kGlyphHeight = 13;
constexpr int kAscent = 11;  // rows above the baseline (as in the X "fixed" font), then 2 below

// Whether the glyph of byte `ch` has its pixel (column, row) set, counted from the top-left
// corner of the glyph's cell. Bytes outside 32..126 show as a hollow box.
bool glyphPixel(unsigned char ch, int column, int row);

}  // namespace platform::font
