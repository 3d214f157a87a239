// The window-system interface the graphical program draws and reads keys through; one X11
// implementation and one offscreen canvas stand behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Colour reference 0x00BBGGRR: red in the low byte, then green, then blue.
using Colour = std::uint32_t;

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
};

// The drawing surface of one paint event. Coordinates are client pixels, x right, y down.
class Surface {
 public:
  virtual ~Surface() = default;
  virtual void fillWhite(const Rect& r) = 0;
  virtual void setPixel(int x, int y, Colour c) = 0;
  // A solid straight line of the given width (1 or more), round caps and joins.
  virtual void line(int x1, int y1, int x2, int y2, int width, Colour c) = 0;
  // Text with its top-left corner at (x, y), default font, black on an opaque white box.
  virtual void text(int x, int y, const std::string& s) = 0;
  // Makes everything drawn so far visible at once.
  virtual void flush() = 0;
};

enum class Key { Shift, Escape };

// What reached the window since the last look, for a paint handler that waits for a key.
struct WaitEvents {
  bool shiftPressed = false;    // a Shift key press arrived (however short it was)
  bool closeRequested = false;  // the close button was pressed
  // Part of the window was uncovered: that part is erased white and added to the area the
  // surface of the paint in progress draws on; the handler paints its picture again.
  bool exposed = false;
  bool displayLost = false;     // the connection to the display is gone (stays so)
};

// The area to repaint and the surface to paint it on. The area has already been filled
// white when the window system asked for erasing. As with a window's own paint, drawing is
// clipped to the area, and the surface is valid only during the call.
using PaintHandler = std::function<void(Surface&, const Rect&)>;

class Window {
 public:
  virtual ~Window() = default;
  // Whether the key is down now, whatever window has the focus (up once the display is lost).
  virtual bool keyDown(Key k) = 0;
  // Handles events until the window is closed or requestClose was called; calls onPaint for
  // every paint event, the first one before any other event. Returns the loop's exit code:
  // 0 on the close button, the requested status, or 0 once the display is lost.
  virtual int run(const PaintHandler& onPaint) = 0;

  // For a paint handler that waits: takes the key presses, close requests and exposures that
  // arrived so far. Other events stay for the loop.
  virtual WaitEvents takeEvents() = 0;
  // Drops the key presses and close requests that arrived so far and were not taken, so that
  // input given while a long paint held the window does not act after it.
  virtual void discardInput() = 0;
  // Ends the loop with this status once the paint handler in progress returns (at once when
  // called outside a paint).
  virtual void requestClose(int status) = 0;
  // Whether the connection to the display was lost; drawing then does nothing.
  virtual bool displayLost() const { return false; }
};

struct WindowSpec {
  std::string title;
  int x = 10, y = 10;             // top-left corner on the screen
  int width = 600, height = 465;  // client area
  // Called once, outside any window-system call, when the connection to the display is lost.
  std::function<void()> onDisplayLost = nullptr;
};

// The X11 window, already mapped; nullptr when no display can be opened. Writes nothing: the
// caller says what it does without a window (see Offscreen.h for the canvas to use then).
std::unique_ptr<Window> openX11Window(const WindowSpec& wanted);

}  // namespace platform
