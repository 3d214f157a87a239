// The offscreen window: drawing into an RGB image, scripted key states and one paint per run.
#include "Offscreen.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <stdexcept>

#include "BitmapFont.h"
#include "Raster.h"

namespace platform {
namespace {

constexpr std::size_t kFewLines = 64;

Rect intersection(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

}  // namespace

OffscreenWindow::OffscreenWindow(int width, int height)
    : image_(width, height, kWhite), clip_{0, 0, width, height} {}

bool OffscreenWindow::visible(int x, int y) const {
  return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
}

void OffscreenWindow::plot(int x, int y, Colour c) {
  if (visible(x, y)) image_.set(x, y, c);
}

void OffscreenWindow::drawPendingLines() const {
  if (pendingLines_.empty()) return;
  const Rect clip = pendingClip_;
  const int width = clip.right - clip.left;
  const int height = clip.bottom - clip.top;
  if (width <= 0 || height <= 0) {
    pendingLines_.clear();
    return;
  }
  if (pendingLines_.size() < kFewLines) {
    // Too few to gain from the mask, which would cost more than the lines.
    for (const PendingLine& line : pendingLines_) {
      raster::line(line.x1, line.y1, line.x2, line.y2, line.width, clip,
                   [&](int y, int xFirst, int xLast) { image_.fillRow(y, xFirst, xLast, line.colour); });
    }
    pendingLines_.clear();
    return;
  }
  // Pixels already drawn by a later line, and per row one run of them without gaps, which
  // lets whole rows of earlier lines be passed over.
  const std::size_t words = (std::size_t(width) + 63) / 64;
  std::vector<std::uint64_t> drawn(words * std::size_t(height), 0);
  std::vector<long> runFirst(std::size_t(height), LONG_MAX), runLast(std::size_t(height), LONG_MIN);
  for (auto line = pendingLines_.rbegin(); line != pendingLines_.rend(); ++line) {
    const Colour colour = line->colour;
    const auto hidden = [&](int y, long xFirst, long xLast) {
      const std::size_t row = std::size_t(y - clip.top);
      return xFirst >= runFirst[row] && xLast <= runLast[row];
    };
    const auto draw = [&](int y, int xFirst, int xLast) {
      const std::size_t row = std::size_t(y - clip.top);
      std::uint64_t* bits = drawn.data() + row * words;
      for (int x = xFirst; x <= xLast; ++x) {
        const std::size_t column = std::size_t(x - clip.left);
        std::uint64_t& word = bits[column / 64];
        const std::uint64_t bit = std::uint64_t(1) << (column % 64);
        if ((word & bit) != 0) continue;
        word |= bit;
        image_.set(x, y, colour);
      }
      // The span and a run it meets or touches are now drawn without a gap.
      if (xFirst <= runLast[row] + 1 && xLast + 1 >= runFirst[row]) {
        runFirst[row] = std::min<long>(runFirst[row], xFirst);
        runLast[row] = std::max<long>(runLast[row], xLast);
      } else if (runFirst[row] > runLast[row] || xLast - xFirst > runLast[row] - runFirst[row]) {
        runFirst[row] = xFirst;
        runLast[row] = xLast;
      }
    };
    raster::line(line->x1, line->y1, line->x2, line->y2, line->width, clip, draw, hidden);
  }
  pendingLines_.clear();
}

void OffscreenWindow::fillWhite(const Rect& r) {
  drawPendingLines();
  const Rect area = intersection(r, clip_);
  for (int y = area.top; y < area.bottom; ++y) image_.fillRow(y, area.left, area.right - 1, kWhite);
}

void OffscreenWindow::setPixel(int x, int y, Colour c) {
  drawPendingLines();
  plot(x, y, c & 0xFFFFFF);
}

void OffscreenWindow::line(int x1, int y1, int x2, int y2, int width, Colour c) {
  const bool sameClip = clip_.left == pendingClip_.left && clip_.top == pendingClip_.top &&
                        clip_.right == pendingClip_.right && clip_.bottom == pendingClip_.bottom;
  if (!sameClip) drawPendingLines();
  pendingClip_ = clip_;
  pendingLines_.push_back({x1, y1, x2, y2, width, c & 0xFFFFFF});
}

void OffscreenWindow::text(int x, int y, const std::string& s) {
  drawPendingLines();
  // Every byte is one cell: the whole cell is painted, white box and black glyph alike.
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int cellLeft = x + int(i) * font::kGlyphWidth;
    if (cellLeft >= clip_.right) break;
    const auto ch = static_cast<unsigned char>(s[i]);
    for (int row = 0; row < font::kGlyphHeight; ++row) {
      for (int column = 0; column < font::kGlyphWidth; ++column) {
        plot(cellLeft + column, y + row, font::glyphPixel(ch, column, row) ? kBlack : kWhite);
      }
    }
  }
}

bool OffscreenWindow::keyDown(Key k) {
  const std::size_t i = index(k);
  const std::uint64_t readIndex = reads_[i]++;
  if (lost_) return false;
  if (script_) return script_(k, readIndex);
  if (hasDownAfter_[i] && readIndex >= downAfter_[i]) return true;
  return down_[i];
}

void OffscreenWindow::paint(const PaintHandler& onPaint, const Rect& area) {
  drawPendingLines();
  clip_ = wholeArea();
  const Rect painted = intersection(area, clip_);
  fillWhite(painted);
  clip_ = painted;
  ++paints_;
  painting_ = true;
  // The clip goes back to the whole image even when the handler throws.
  struct RestoreClip {
    OffscreenWindow& window;
    ~RestoreClip() {
      window.clip_ = window.wholeArea();
      window.painting_ = false;
    }
  } restore{*this};
  if (onPaint) onPaint(*this, painted);
}

int OffscreenWindow::run(const PaintHandler& onPaint) {
  handler_ = onPaint;
  paint(handler_, wholeArea());
  return closeStatus_;
}

WaitEvents OffscreenWindow::takeEvents() {
  WaitEvents events = queued_;
  queued_ = WaitEvents{};
  events.displayLost = lost_;
  if (events.exposed && painting_) {
    const Rect exposed = intersection(queuedExposure_, wholeArea());
    clip_ = {std::min(clip_.left, exposed.left), std::min(clip_.top, exposed.top),
             std::max(clip_.right, exposed.right), std::max(clip_.bottom, exposed.bottom)};
    fillWhite(exposed);
  }
  return events;
}

void OffscreenWindow::discardInput() {
  queued_.shiftPressed = false;
  queued_.closeRequested = false;
}

void OffscreenWindow::queueExposure(const Rect& area) {
  queuedExposure_ = queued_.exposed
                        ? Rect{std::min(queuedExposure_.left, area.left),
                               std::min(queuedExposure_.top, area.top),
                               std::max(queuedExposure_.right, area.right),
                               std::max(queuedExposure_.bottom, area.bottom)}
                        : area;
  queued_.exposed = true;
}

void OffscreenWindow::paintAgain() { paint(handler_, wholeArea()); }

void OffscreenWindow::paintAgain(const Rect& area) { paint(handler_, area); }

void OffscreenWindow::paintAgain(const PaintHandler& onPaint, const Rect& area) {
  handler_ = onPaint;
  paint(handler_, area);
}

void OffscreenWindow::setKey(Key k, bool down) { down_[index(k)] = down; }

void OffscreenWindow::setKeyScript(KeyScript script) { script_ = std::move(script); }

void OffscreenWindow::pressAfterReads(Key k, std::uint64_t reads) {
  hasDownAfter_[index(k)] = true;
  downAfter_[index(k)] = reads;
}

Colour OffscreenWindow::pixel(int x, int y) const {
  drawPendingLines();
  return image_.at(x, y);
}

bool OffscreenWindow::savePng(const std::string& path, std::string* error) const {
  return writePng(path, image(), error);
}

}  // namespace platform
