// The offscreen canvas's line rasteriser: thin lines and wide lines with round caps.
#pragma once

#include <functional>

#include "Window.h"

namespace platform::raster {

// Receives the covered pixels of one row: x from xFirst to xLast, both included.
using SpanSink = std::function<void(int y, int xFirst, int xLast)>;

// Reports, inside `clip`, every pixel of a solid line from (x1, y1) to (x2, y2) of the given
// width. Width 1 (or less) is the thin line through both end points, one pixel per step.
// Wider lines cover the pixels whose centres lie within width / 2 of the segment, round caps
// included; the segment runs through pixel centres for odd widths and along pixel corners
// for even ones, so a straight line of width w is exactly w pixels across. Each row of a
// wide line comes as one span; a thin line comes pixel by pixel.
void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink);

// Whether the pixel (x, y) belongs to the wide line (width 2 or more): the rule above, one
// pixel at a time. line() reports exactly these pixels.
bool wideLineCovers(int x1, int y1, int x2, int y2, int width, int x, int y);

}  // namespace platform::raster
