// Thin lines by Bresenham's stepping; wide lines row by row, each row's span found by a
// search on the distance of pixel centres to the segment.
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::raster {
namespace {

bool inside(const Rect& clip, int x, int y) {
  return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

void thinLine(int x1, int y1, int x2, int y2, const Rect& clip, const SpanSink& sink) {
  const long dx = std::labs(long(x2) - x1);
  const long dy = -std::labs(long(y2) - y1);
  const int stepX = x1 < x2 ? 1 : -1;
  const int stepY = y1 < y2 ? 1 : -1;
  long error = dx + dy;
  int x = x1;
  int y = y1;
  for (;;) {
    if (inside(clip, x, y)) sink(y, x, x);
    if (x == x2 && y == y2) return;
    const long twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

// The set of pixels a wide line covers, asked one pixel at a time.
class Capsule {
 public:
  Capsule(int x1, int y1, int x2, int y2, int width)
      : ax_(x1), ay_(y1), bx_(x2), by_(y2),
        // Even widths move the pixel centres half a pixel, onto the segment's corner grid.
        offset_(width % 2 == 0 ? 0.5 : 0.0),
        limit_((width / 2.0) * (width / 2.0) + 1e-9) {}

  double offset() const { return offset_; }

  bool covers(long x, long y) const {
    const double px = double(x) + offset_;
    const double py = double(y) + offset_;
    const double dx = bx_ - ax_;
    const double dy = by_ - ay_;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0) {
      t = std::clamp(((px - ax_) * dx + (py - ay_) * dy) / lengthSquared, 0.0, 1.0);
    }
    const double cx = ax_ + t * dx - px;
    const double cy = ay_ + t * dy - py;
    return cx * cx + cy * cy <= limit_;
  }

  // The x of the segment's point nearest to row y: inside the row's span whenever the row
  // meets the line at all.
  double seedX(int y) const {
    if (ay_ == by_) return ax_;
    const double t = std::clamp((y + offset_ - ay_) / (by_ - ay_), 0.0, 1.0);
    return ax_ + t * (bx_ - ax_);
  }

 private:
  double ax_, ay_, bx_, by_;
  double offset_;
  double limit_;
};

// The last x from `from` towards `beyond` that is still covered; `from` is covered and
// `beyond` is not. The covered pixels of a row are contiguous, since the line is convex.
// Steps that double find the end of a short span in a few tries; bisection then pins it.
long lastCovered(const Capsule& capsule, int y, long from, long beyond) {
  const long direction = beyond > from ? 1 : -1;
  long step = 1;
  for (;;) {
    const long probe = from + direction * step;
    if ((beyond - probe) * direction <= 0) break;
    if (!capsule.covers(probe, y)) {
      beyond = probe;
      break;
    }
    from = probe;
    step *= 2;
  }
  while ((beyond - from) * direction > 1) {
    const long middle = from + (beyond - from) / 2;
    if (capsule.covers(middle, y)) {
      from = middle;
    } else {
      beyond = middle;
    }
  }
  return from;
}

void wideLine(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink) {
  const Capsule capsule(x1, y1, x2, y2, width);
  // Bounds in long: coordinates and widths near the int range must not overflow.
  const long reach = width / 2 + 2;
  const long farLeft = long(std::min(x1, x2)) - reach;
  const long farRight = long(std::max(x1, x2)) + reach;
  const int top = int(std::max<long>(clip.top, long(std::min(y1, y2)) - reach));
  const int bottom = int(std::min<long>(clip.bottom, long(std::max(y1, y2)) + reach + 1));
  for (int y = top; y < bottom; ++y) {
    // A covered pixel near the seed: every centre within one pixel of it is tried.
    const long seed = long(std::floor(capsule.seedX(y) - capsule.offset()));
    long start = seed - 1;
    while (start <= seed + 2 && !capsule.covers(start, y)) ++start;
    if (start > seed + 2) continue;
    const long first = std::max<long>(clip.left, lastCovered(capsule, y, start, farLeft));
    const long last = std::min<long>(clip.right - 1L, lastCovered(capsule, y, start, farRight));
    if (first <= last) sink(y, int(first), int(last));
  }
}

}  // namespace

bool wideLineCovers(int x1, int y1, int x2, int y2, int width, int x, int y) {
  return Capsule(x1, y1, x2, y2, width).covers(x, y);
}

void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink) {
  if (width <= 1) {
    thinLine(x1, y1, x2, y2, clip, sink);
  } else {
    wideLine(x1, y1, x2, y2, width, clip, sink);
  }
}

}  // namespace platform::raster
