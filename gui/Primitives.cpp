// Drawing primitives of velorin: vertex squares, edge lines and the wait.
#include "Primitives.h"

#include <chrono>
#include <thread>

namespace velorin {

const BigInteger& maxLineWidth() {
  static const BigInteger width(10000);
  return width;
}

void BigPixel(Surface& surface, int x, int y, int size, Colour colour) {
  const int h = size / 2;
  for (int i = -h; i < h; ++i)
    for (int j = -h; j < h; ++j) surface.setPixel(x + i, y + j, colour);
}

Pen penForLine(const BigInteger& width, Colour colour) {
  // The remainder guard throws "BigInteger::operator %: division by zero" should the bound
  // ever be zero; with 10000 the remainder lies in 0..9999 for the widths the picture passes.
  const int r = (width % maxLineWidth()).toInt();
  if (r <= 2) return colour == contin ? olowekcontin : olowekdotted;
  return Pen{r, colour};
}

void myLine(Surface& surface, int x1, int y1, int x2, int y2, BigInteger width, Colour colour) {
  const Pen pen = penForLine(width, colour);
  surface.line(x1, y1, x2, y2, pen.width, pen.colour);
}

void mySleep(int milliseconds) {
  if (milliseconds <= 0) return;
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
  // sleep_until may wake early on some systems; loop until the deadline has passed.
  while (Clock::now() < until) std::this_thread::sleep_until(until);
}

}  // namespace velorin
