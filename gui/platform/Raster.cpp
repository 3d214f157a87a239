// Lines of every width row by row, each row's span found by a search on the exact distance
// of pixel centres to the segment.
#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace platform::raster {
namespace {

// Exact products of coordinate differences: squares of cross products need more than 64 bits.
__extension__ using Wide = __int128;

// Farther than this from the origin nothing can be seen; end points are held within it so
// that the exact products below cannot overflow.
constexpr long kFar = 1L << 20;

long held(int v) { return std::clamp<long>(v, -kFar, kFar); }

// Products in doubles are within a few units of 2^-53 of the exact ones; closer calls than
// this margin are left to exact integers.
constexpr double kTieMargin = 1e-9;

// The set of pixels a line covers, asked one pixel at a time: pixel centres at integer
// points strictly within width / 2 of the segment, and those exactly at width / 2 whose
// inside lies to their right (or, where the border runs level, below them). This is the
// X protocol's rule for wide lines with round caps, computed exactly in integers.
class Capsule {
 public:
  Capsule(int x1, int y1, int x2, int y2, int width)
      : ax_(held(x1)), ay_(held(y1)), bx_(held(x2)), by_(held(y2)),
        dx_(bx_ - ax_), dy_(by_ - ay_), lengthSquared_(dx_ * dx_ + dy_ * dy_),
        widthSquared_(long(width) * width) {}

  bool covers(long x, long y) const {
    // Coordinates stay within 2^31 and differences of end points within 2^21, so the dot
    // and cross products fit in 64 bits; only their squares need more.
    const long px = x - ax_;
    const long py = y - ay_;
    const long dot = px * dx_ + py * dy_;
    if (lengthSquared_ == 0 || dot <= 0) return nearPoint(px, py);
    if (dot >= lengthSquared_) return nearPoint(x - bx_, y - by_);
    // Beside the segment: the distance is |cross| / length. Doubles decide all but the
    // pixels next to the border, whose relative difference is far below their rounding.
    const long cross = px * dy_ - py * dx_;
    const double approxLhs = 4.0 * double(cross) * double(cross);
    const double approxRhs = double(widthSquared_) * double(lengthSquared_);
    if (approxLhs < approxRhs * (1 - kTieMargin)) return true;
    if (approxLhs > approxRhs * (1 + kTieMargin)) return false;
    const Wide lhs = 4 * Wide(cross) * cross;
    const Wide rhs = Wide(widthSquared_) * lengthSquared_;
    if (lhs != rhs) return lhs < rhs;
    // On the border: the pixel minus its nearest point of the segment is
    // (cross / length^2) * (dy, -dx).
    return onBorderFacingInside(Wide(cross) * dy_, -Wide(cross) * dx_);
  }

  // Bounds on the x of every pixel within `reach` of the segment in row y: the segment's
  // points within `reach` rows, widened by `reach` and a pixel for rounding.
  std::pair<long, long> rowBound(long y, long reach) const {
    double low = double(std::min(ax_, bx_)), high = double(std::max(ax_, bx_));
    if (dy_ != 0) {
      const double t0 = std::clamp(double(y - reach - ay_) / double(dy_), 0.0, 1.0);
      const double t1 = std::clamp(double(y + reach - ay_) / double(dy_), 0.0, 1.0);
      const double x0 = double(ax_) + t0 * double(dx_), x1 = double(ax_) + t1 * double(dx_);
      low = std::min(x0, x1);
      high = std::max(x0, x1);
    }
    return {long(std::floor(low)) - reach - 1, long(std::ceil(high)) + reach + 1};
  }

  // The x of the segment's point nearest to row y: inside the row's span whenever the row
  // meets the line at all.
  double seedX(long y) const {
    if (dy_ == 0) return double(ax_);
    const double t = std::clamp(double(y - ay_) / double(dy_), 0.0, 1.0);
    return double(ax_) + t * double(dx_);
  }

 private:
  // Round caps: within width / 2 of an end point, (rx, ry) being the pixel minus that point.
  bool nearPoint(Wide rx, Wide ry) const {
    const Wide lhs = 4 * (rx * rx + ry * ry);
    if (lhs != Wide(widthSquared_)) return lhs < Wide(widthSquared_);
    return onBorderFacingInside(rx, ry);
  }

  // (ex, ey) points from the nearest point of the segment to the pixel; the inside lies to
  // the pixel's right when ex < 0, below it when ex = 0 and ey < 0.
  static bool onBorderFacingInside(Wide ex, Wide ey) { return ex < 0 || (ex == 0 && ey < 0); }

  long ax_, ay_, bx_, by_;
  long dx_, dy_;
  long lengthSquared_;
  long widthSquared_;
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

}  // namespace

void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink) {
  line(x1, y1, x2, y2, width, clip, sink, nullptr);
}

void line(int x1, int y1, int x2, int y2, int width, const Rect& clip, const SpanSink& sink,
          const RowFilter& skipRow) {
  width = std::max(width, 1);
  const Capsule capsule(x1, y1, x2, y2, width);
  // Bounds in long: coordinates and widths near the int range must not overflow.
  const long reach = width / 2 + 2;
  const long farLeft = long(std::min(x1, x2)) - reach;
  const long farRight = long(std::max(x1, x2)) + reach;
  const int top = int(std::max<long>(clip.top, long(std::min(y1, y2)) - reach));
  const int bottom = int(std::min<long>(clip.bottom, long(std::max(y1, y2)) + reach + 1));
  // The previous row's span ends, when covered in this row too, start the searches: rows of
  // a line shift little from one to the next.
  bool previousRow = false;
  long previousFirst = 0, previousLast = 0;
  for (int y = top; y < bottom; ++y) {
    if (skipRow) {
      const auto [low, high] = capsule.rowBound(y, reach);
      if (skipRow(y, low, high)) {
        previousRow = false;
        continue;
      }
    }
    long left = 0, right = 0;
    if (previousRow && capsule.covers(previousFirst, y)) {
      left = lastCovered(capsule, y, previousFirst, farLeft);
      right = capsule.covers(previousLast, y) ? lastCovered(capsule, y, previousLast, farRight)
                                              : lastCovered(capsule, y, previousFirst, farRight);
    } else {
      // A covered pixel near the seed: every centre within one pixel of it is tried.
      const long seed = long(std::floor(capsule.seedX(y)));
      long start = seed - 1;
      while (start <= seed + 2 && !capsule.covers(start, y)) ++start;
      previousRow = start <= seed + 2;
      if (!previousRow) continue;
      left = lastCovered(capsule, y, start, farLeft);
      right = lastCovered(capsule, y, start, farRight);
    }
    previousFirst = left;
    previousLast = right;
    const long first = std::max<long>(clip.left, left);
    const long last = std::min<long>(clip.right - 1L, right);
    if (first <= last) sink(y, int(first), int(last));
  }
}

bool lineCovers(int x1, int y1, int x2, int y2, int width, int x, int y) {
  return Capsule(x1, y1, x2, y2, std::max(width, 1)).covers(x, y);
}

}  // namespace platform::raster
