// The offscreen canvas's line rasteriser: thin lines and wide lines with round caps.
#pragma once

#include <functional>

#include "Window.h"

namespace platform::raster {

using Plot = std::function<void(int x, int y)>;

// Calls plot for every pixel of a solid line from (x1, y1) to (x2, y2) of the given width
// that lies inside `clip`. Width 1 (or less) is the thin line through both end points, one
// pixel per step. Wider lines cover the pixels whose centres lie within width / 2 of the
// segment, round caps included; the segment runs through pixel centres for odd widths and
// along pixel corners for even ones, so a straight line of width w is exactly w pixels across.
void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const Plot& plot);

}  // namespace platform::raster
