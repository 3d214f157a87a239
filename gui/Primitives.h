// Drawing primitives of velorin: the palette, the three pens, vertex squares, edge lines whose
// width follows a big integer, and the wait in milliseconds.
#pragma once

#include "BigIntegerUtils.h"
#include "Window.h"

namespace velorin {

using platform::Colour;
using platform::Surface;

// Colour references 0x00BBGGRR.
inline constexpr Colour colorVertex = 0x323232;  // dark grey vertex squares
inline constexpr Colour textcolor = 0x646464;    // grey, the colour of olowektextcolor
inline constexpr Colour dotted = 0x0053FE;       // orange red dotted edges
inline constexpr Colour contin = 0xFF0000;       // blue solid edges

// A pen: the width and colour a line is drawn with.
struct Pen {
  int width;
  Colour colour;
  bool operator==(const Pen&) const = default;
};

inline constexpr Pen olowekcontin{2, contin};
inline constexpr Pen olowekdotted{2, dotted};
inline constexpr Pen olowektextcolor{1, textcolor};

// Line widths wrap at this value.
const BigInteger& maxLineWidth();

// A square of 2h x 2h pixels, h = size / 2, spanning x-h .. x+h-1 and y-h .. y+h-1.
void BigPixel(Surface& surface, int x, int y, int size, Colour colour);

// The pen myLine draws with: widths (modulo maxLineWidth) up to 2 take the 2-pixel pen of
// the solid colour when the colour is contin and the dotted pen for any other colour; wider
// lines get a pen of that width in the given colour.
Pen penForLine(const BigInteger& width, Colour colour);

// A straight solid line from (x1, y1) to (x2, y2) in the pen of penForLine.
void myLine(Surface& surface, int x1, int y1, int x2, int y2, BigInteger width, Colour colour);

// Returns after at least the given number of milliseconds, at once for 0 or less. It sleeps
// rather than spinning, so a waiting run leaves the processor to others.
void mySleep(int milliseconds);

}  // namespace velorin
