// The offscreen canvas's line rasteriser: solid lines of any width with round caps, pixel
// for pixel the lines an X server draws with the same width, CapRound and JoinRound.
#pragma once

#include <functional>

#include "Window.h"

namespace platform::raster {

// Receives the covered pixels of one row: x from xFirst to xLast, both included.
using SpanSink = std::function<void(int y, int xFirst, int xLast)>;

// Reports, inside `clip` and one span per row, every pixel of the solid line from (x1, y1) to
// (x2, y2) of the given width (below 1 counts as 1): the pixels whose centres, at integer
// points, lie within width / 2 of the segment, round caps included. A centre exactly at
// width / 2 counts when the line's inside lies to its right, or directly below it where the
// border runs level, so a straight line of width w is exactly w pixels across.
void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink);

// Asked before each row: every pixel the line may cover in row y lies within xFirst..xLast
// (a cheap bound, wider than the row's span). True leaves the row out.
using RowFilter = std::function<bool(int y, long xFirst, long xLast)>;

// line() with rows left out where the filter says so; the other rows are reported as by line().
void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink,
          const RowFilter& skipRow);

// Whether the pixel (x, y) belongs to that line: the rule above, one pixel at a time.
// line() reports exactly these pixels.
bool lineCovers(int x1, int y1, int x2, int y2, int width, int x, int y);

}  // namespace platform::raster
