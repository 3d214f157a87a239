// Thin lines by Bresenham's stepping, wide lines by the distance of each pixel to the segment.
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::raster {
namespace {

bool inside(const Rect& clip, int x, int y) {
  return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

void thinLine(int x1, int y1, int x2, int y2, const Rect& clip, const Plot& plot) {
  const long dx = std::labs(long(x2) - x1);
  const long dy = -std::labs(long(y2) - y1);
  const int stepX = x1 < x2 ? 1 : -1;
  const int stepY = y1 < y2 ? 1 : -1;
  long error = dx + dy;
  int x = x1;
  int y = y1;
  for (;;) {
    if (inside(clip, x, y)) plot(x, y);
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

// Squared distance from (px, py) to the segment from (ax, ay) to (bx, by).
double squaredDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax;
  const double dy = by - ay;
  const double lengthSquared = dx * dx + dy * dy;
  double t = 0.0;
  if (lengthSquared > 0.0) t = std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0);
  const double cx = ax + t * dx - px;
  const double cy = ay + t * dy - py;
  return cx * cx + cy * cy;
}

void wideLine(int x1, int y1, int x2, int y2, int width, const Rect& clip, const Plot& plot) {
  // Pixel (x, y) is tested at its centre; for even widths the segment is moved half a pixel
  // up and left, onto pixel corners, which is the same as testing at (x + 0.5, y + 0.5).
  const double offset = width % 2 == 0 ? 0.5 : 0.0;
  const double radius = width / 2.0;
  const double limit = radius * radius + 1e-9;
  // Bounds in long: coordinates and widths near the int range must not overflow.
  const long reach = width / 2 + 1;
  const int left = int(std::max<long>(clip.left, std::min(x1, x2) - reach));
  const int right = int(std::min<long>(clip.right, std::max(x1, x2) + reach + 1));
  const int top = int(std::max<long>(clip.top, std::min(y1, y2) - reach));
  const int bottom = int(std::min<long>(clip.bottom, std::max(y1, y2) + reach + 1));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (squaredDistance(x + offset, y + offset, x1, y1, x2, y2) <= limit) plot(x, y);
    }
  }
}

}  // namespace

void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const Plot& plot) {
  if (width <= 1) {
    thinLine(x1, y1, x2, y2, clip, plot);
  } else {
    wideLine(x1, y1, x2, y2, width, clip, plot);
  }
}

}  // namespace platform::raster
