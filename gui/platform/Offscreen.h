// The offscreen window: a Window and Surface that draw into an RGB image in memory, with key
// states set by the caller; used when no display is available and by tests.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Png.h"
#include "Window.h"

namespace platform {

class OffscreenWindow : public Window, public Surface {
 public:
  // Answers a read of a key: the key and how many times it has been read before (0 for the
  // first read). Returns whether the key is down for this read.
  using KeyScript = std::function<bool(Key key, std::uint64_t readIndex)>;

  // A white image of the given client size.
  explicit OffscreenWindow(int width = 600, int height = 465);

  // Surface. Drawing outside the image, or outside the area of the paint in progress, is
  // clipped away, as on a window.
  void fillWhite(const Rect& r) override;
  void setPixel(int x, int y, Colour c) override;
  void line(int x1, int y1, int x2, int y2, int width, Colour c) override;
  void text(int x, int y, const std::string& s) override;
  void flush() override { ++flushes_; }

  // Window.
  bool keyDown(Key k) override;
  // Paints once (the whole area, erased white first) and returns the status asked for with
  // requestClose, else 0: there is no window that could be closed later.
  int run(const PaintHandler& onPaint) override;
  // The events queued with the functions below; an exposure is erased at once and widens
  // the area of the paint in progress.
  WaitEvents takeEvents() override;
  void discardInput() override;
  void requestClose(int status) override { closeStatus_ = status; }
  int requestedStatus() const { return closeStatus_; }

  // Events as a window system would deliver them, for the next takeEvents.
  void queueShiftPress() { queued_.shiftPressed = true; }
  void queueCloseRequest() { queued_.closeRequested = true; }
  void queueExposure(const Rect& area);
  // The display goes away: keys read as up and takeEvents reports the loss from now on.
  void loseDisplay() { lost_ = true; }
  bool displayLost() const override { return lost_; }

  // Another paint event for the given area (the whole image by default), erased white
  // first, with the handler given to run() or the one given here.
  void paintAgain();
  void paintAgain(const Rect& area);
  void paintAgain(const PaintHandler& onPaint, const Rect& area);

  // Key state for reads that no script answers.
  void setKey(Key k, bool down);
  // Answers every key read from now on (an empty function removes the script).
  void setKeyScript(KeyScript script);
  // Convenience script: the key reads as up for its first `reads` reads and as down after.
  void pressAfterReads(Key k, std::uint64_t reads);
  // How many times keyDown(k) has been called.
  std::uint64_t keyReads(Key k) const { return reads_[index(k)]; }

  // The colour at (x, y); the point must lie inside the image (std::out_of_range otherwise).
  Colour pixel(int x, int y) const;
  const RgbImage& image() const {
    drawPendingLines();
    return image_;
  }
  int width() const { return image_.width; }
  int height() const { return image_.height; }
  int paintCount() const { return paints_; }
  int flushCount() const { return flushes_; }

  bool savePng(const std::string& path, std::string* error = nullptr) const;

 private:
  static std::size_t index(Key k) { return k == Key::Shift ? 0 : 1; }
  Rect wholeArea() const { return {0, 0, image_.width, image_.height}; }
  bool visible(int x, int y) const;
  void plot(int x, int y, Colour c);
  void paint(const PaintHandler& onPaint, const Rect& area);
  // Lines are gathered and drawn together, last first, each onto the pixels that no later
  // one covers: in a picture of many crossing edges most of each line is hidden, and its
  // rows are passed over without being rasterised. The image is the same as line by line.
  struct PendingLine {
    int x1, y1, x2, y2, width;
    Colour colour;
  };
  void drawPendingLines() const;

  mutable RgbImage image_;
  mutable std::vector<PendingLine> pendingLines_;
  Rect pendingClip_{};
  Rect clip_;
  PaintHandler handler_;
  std::array<bool, 2> down_{};
  std::array<std::uint64_t, 2> reads_{};
  std::array<std::uint64_t, 2> downAfter_{};
  std::array<bool, 2> hasDownAfter_{};
  KeyScript script_;
  WaitEvents queued_;
  Rect queuedExposure_{};
  int closeStatus_ = 0;
  bool lost_ = false;
  bool painting_ = false;
  int paints_ = 0;
  int flushes_ = 0;
};

}  // namespace platform
