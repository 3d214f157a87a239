// The X11 window: one top-level Xlib window whose Expose events are the paint events, and
// which outlives the loss of its display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "Window.h"

namespace platform {
namespace {

constexpr unsigned long kMaxLineWidth = 65535;  // the protocol's line width is 16 bits
constexpr std::size_t kTextChunk = 255;         // the longest string of one image-text request

// Xlib's I/O error handler must not return: Xlib ends the process when it does. While a
// guarded call runs, the handler jumps back to it instead.
sigjmp_buf* armedJump = nullptr;

int jumpOutOfXlib(Display*) {
  if (armedJump != nullptr) siglongjmp(*armedJump, 1);
  return 0;  // outside a guarded call Xlib ends the process, as by default
}

// The display connection, which every Xlib call goes through. A call runs Xlib functions
// only, so that the jump out of a broken connection skips no destructor; after the break the
// connection is never used again (not even to close it) and every call does nothing.
class Connection {
 public:
  Connection(Display* display, std::function<void()> onLost)
      : display_(display), onLost_(std::move(onLost)) {
    XSetIOErrorHandler(jumpOutOfXlib);
  }

  Display* display() const { return display_; }
  bool lost() const { return lost_; }

  // Runs xlibCalls; false when the connection is (or just became) lost.
  template <class XlibCalls>
  bool call(XlibCalls&& xlibCalls) {
    if (lost_) return false;
    if (armedJump != nullptr) {  // inside another guarded call, which catches the break
      xlibCalls();
      return true;
    }
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0) {
      armedJump = nullptr;
      markLost();
      return false;
    }
    armedJump = &jump;
    xlibCalls();
    armedJump = nullptr;
    return true;
  }

 private:
  void markLost() {
    lost_ = true;
    if (onLost_) onLost_();
  }

  Display* display_;
  std::function<void()> onLost_;
  bool lost_ = false;
};

// Turns colour references 0x00BBGGRR into pixel values of the screen's visual.
class PixelMapper {
 public:
  PixelMapper(Display* display, int screen) : display_(display), screen_(screen) {
    Visual* visual = DefaultVisual(display, screen);
    trueColour_ = visual->c_class == TrueColor || visual->c_class == DirectColor;
    masks_[0] = visual->red_mask;
    masks_[1] = visual->green_mask;
    masks_[2] = visual->blue_mask;
  }

  unsigned long pixel(Colour c) {
    if (trueColour_) {
      return scaled(c & 0xFF, masks_[0]) | scaled((c >> 8) & 0xFF, masks_[1]) |
             scaled((c >> 16) & 0xFF, masks_[2]);
    }
    return allocated(c);
  }

 private:
  // An 8-bit channel value placed into the bits of its mask, scaled to the mask's depth.
  static unsigned long scaled(unsigned long value, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    int bits = 0;
    while (((mask >> (shift + bits)) & 1u) != 0) ++bits;
    const unsigned long maxValue = (1ul << bits) - 1;
    return ((value * maxValue + 127) / 255) << shift;
  }

  // Colour maps of other visuals: one colour cell per distinct colour, asked for once.
  unsigned long allocated(Colour c) {
    const auto found = cells_.find(c);
    if (found != cells_.end()) return found->second;
    XColor colour{};
    colour.red = static_cast<unsigned short>((c & 0xFF) * 257);
    colour.green = static_cast<unsigned short>(((c >> 8) & 0xFF) * 257);
    colour.blue = static_cast<unsigned short>(((c >> 16) & 0xFF) * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    unsigned long result = ((c & 0xFFFFFF) == 0xFFFFFF) ? WhitePixel(display_, screen_)
                                                        : BlackPixel(display_, screen_);
    if (XAllocColor(display_, DefaultColormap(display_, screen_), &colour) != 0) {
      result = colour.pixel;
    }
    cells_.emplace(c, result);
    return result;
  }

  Display* display_;
  int screen_;
  bool trueColour_ = false;
  unsigned long masks_[3] = {0, 0, 0};
  std::unordered_map<Colour, unsigned long> cells_;
};

// The drawing surface of the window: a graphics context on it, with single pixels gathered
// into one request per colour and lines of one width and colour into one request.
class X11Surface final : public Surface {
 public:
  X11Surface(Connection& connection, ::Window window, GC gc, XFontStruct* font,
             PixelMapper& pixels)
      : connection_(connection), display_(connection.display()), window_(window), gc_(gc),
        font_(font), pixels_(pixels) {}

  void fillWhite(const Rect& r) override {
    flushPending();
    if (r.right <= r.left || r.bottom <= r.top) return;
    connection_.call([&] {
      useForeground(kWhiteColour);
      XFillRectangle(display_, window_, gc_, r.left, r.top, unsigned(r.right - r.left),
                     unsigned(r.bottom - r.top));
    });
  }

  void setPixel(int x, int y, Colour c) override {
    if (x < SHRT_MIN || x > SHRT_MAX || y < SHRT_MIN || y > SHRT_MAX) return;
    c &= 0xFFFFFF;
    if (!segments_.empty() || (!points_.empty() && c != pointsColour_)) flushPending();
    pointsColour_ = c;
    points_.push_back(XPoint{short(x), short(y)});
  }

  void line(int x1, int y1, int x2, int y2, int width, Colour c) override {
    const unsigned w = unsigned(std::clamp<unsigned long>(
        width < 1 ? 1ul : static_cast<unsigned long>(width), 1ul, kMaxLineWidth));
    c &= 0xFFFFFF;
    if (!points_.empty() || (!segments_.empty() && (c != segmentsColour_ || w != segmentsWidth_)))
      flushPending();
    // Coordinates are 16 bits in the protocol, for one line as for a segment of many.
    segmentsColour_ = c;
    segmentsWidth_ = w;
    segments_.push_back(XSegment{short(x1), short(y1), short(x2), short(y2)});
  }

  void text(int x, int y, const std::string& s) override {
    flushPending();
    connection_.call([&] {
      useForeground(kBlackColour);
      XSetBackground(display_, gc_, pixels_.pixel(kWhiteColour));
      // X places text by its baseline; the ascent moves the box's top-left corner to (x, y).
      const int baseline = y + (font_ != nullptr ? font_->ascent : 0);
      int left = x;
      for (std::size_t start = 0; start < s.size(); start += kTextChunk) {
        const int length = int(std::min(kTextChunk, s.size() - start));
        XDrawImageString(display_, window_, gc_, left, baseline, s.data() + start, length);
        if (font_ != nullptr) left += XTextWidth(font_, s.data() + start, length);
      }
    });
  }

  void flush() override {
    flushPending();
    connection_.call([&] { XFlush(display_); });
  }

  // Sends the gathered points or segments. Overlapping segments of one request are drawn as
  // if each were drawn by a request of its own, since they share width and colour.
  void flushPending() {
    if (!points_.empty()) {
      connection_.call([&] {
        useForeground(pointsColour_);
        XDrawPoints(display_, window_, gc_, points_.data(), int(points_.size()),
                    CoordModeOrigin);
      });
      points_.clear();
    }
    if (!segments_.empty()) {
      connection_.call([&] {
        useLineStyle(segmentsWidth_, segmentsColour_);
        XDrawSegments(display_, window_, gc_, segments_.data(), int(segments_.size()));
      });
      segments_.clear();
    }
  }

 private:
  static constexpr Colour kWhiteColour = 0xFFFFFF;
  static constexpr Colour kBlackColour = 0x000000;

  void useForeground(Colour c) {
    if (hasForeground_ && c == foreground_) return;
    XSetForeground(display_, gc_, pixels_.pixel(c));
    foreground_ = c;
    hasForeground_ = true;
  }

  void useLineStyle(unsigned width, Colour c) {
    if (width != lineWidth_) {
      XSetLineAttributes(display_, gc_, width, LineSolid, CapRound, JoinRound);
      lineWidth_ = width;
    }
    useForeground(c);
  }

  Connection& connection_;
  Display* display_;
  ::Window window_;
  GC gc_;
  XFontStruct* font_;
  PixelMapper& pixels_;
  std::vector<XPoint> points_;
  Colour pointsColour_ = 0;
  std::vector<XSegment> segments_;
  Colour segmentsColour_ = 0;
  unsigned segmentsWidth_ = 0;
  Colour foreground_ = 0;
  bool hasForeground_ = false;
  unsigned lineWidth_ = 0;  // 0: not set yet by this surface
};

Rect unite(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

Rect exposedArea(const XExposeEvent& e) { return {e.x, e.y, e.x + e.width, e.y + e.height}; }

Bool isExposeOf(Display*, XEvent* event, XPointer window) {
  return event->type == Expose &&
         event->xexpose.window == *reinterpret_cast<::Window*>(window);
}

class X11Window final : public Window {
 public:
  X11Window(Display* display, const WindowSpec& wanted)
      : connection_(display, wanted.onDisplayLost), display_(display),
        screen_(DefaultScreen(display)), pixels_(display, screen_) {
    createWindow(wanted);
    createGraphics();
    findKeys();
    XMapWindow(display_, window_);
    XFlush(display_);
  }

  ~X11Window() override {
    // A lost connection is left alone: Xlib cannot use it any more, not even to close it.
    connection_.call([&] {
      if (font_ != nullptr && fontLoaded_) XFreeFont(display_, font_);
      if (font_ != nullptr && !fontLoaded_) XFreeFontInfo(nullptr, font_, 1);
      XFreeGC(display_, gc_);
      if (window_ != 0) XDestroyWindow(display_, window_);
      XCloseDisplay(display_);
    });
  }

  bool keyDown(Key k) override {
    char keys[32] = {};
    if (!connection_.call([&] { XQueryKeymap(display_, keys); })) return false;
    const std::vector<KeyCode>& codes = k == Key::Shift ? shiftCodes_ : escapeCodes_;
    return std::any_of(codes.begin(), codes.end(), [&](KeyCode code) {
      return (keys[code / 8] >> (code % 8)) & 1;
    });
  }

  int run(const PaintHandler& onPaint) override {
    if (window_ == 0) return 0;
    // The first paint comes before any other event: wait for the first exposure, leaving
    // whatever else arrives meanwhile in the queue.
    XEvent event;
    if (!connection_.call([&] {
          XIfEvent(display_, &event, isExposeOf, reinterpret_cast<XPointer>(&window_));
        }))
      return 0;
    paint(event, onPaint);
    while (!closeStatus_ && !connection_.lost()) {
      if (!connection_.call([&] { XNextEvent(display_, &event); })) break;
      if (event.type == Expose && event.xexpose.window == window_) {
        paint(event, onPaint);
      } else if (event.type == ClientMessage && isCloseRequest(event.xclient)) {
        closeStatus_ = 0;
      } else if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
        window_ = 0;
        return 0;
      }
    }
    if (connection_.lost()) return 0;
    connection_.call([&] {
      XDestroyWindow(display_, window_);
      XFlush(display_);
    });
    window_ = 0;
    return *closeStatus_;
  }

  WaitEvents takeEvents() override {
    WaitEvents events;
    bool exposed = false;
    Rect area{};
    connection_.call([&] {
      XEvent event;
      while (XCheckIfEvent(display_, &event, isWaitEvent, reinterpret_cast<XPointer>(this))) {
        if (event.type == KeyPress) {
          events.shiftPressed = events.shiftPressed || isShiftCode(KeyCode(event.xkey.keycode));
        } else if (event.type == Expose) {
          area = exposed ? unite(area, exposedArea(event.xexpose)) : exposedArea(event.xexpose);
          exposed = true;
        } else {
          events.closeRequested = true;
        }
      }
    });
    if (exposed && painting_) {
      // The exposed part is erased and joins the area the paint in progress draws on.
      paintArea_ = unite(paintArea_, area);
      connection_.call([&] {
        XClearArea(display_, window_, area.left, area.top, unsigned(area.right - area.left),
                   unsigned(area.bottom - area.top), False);
        clipTo(paintArea_);
      });
      events.exposed = true;
    }
    events.displayLost = connection_.lost();
    return events;
  }

  void discardInput() override {
    connection_.call([&] {
      XSync(display_, False);
      XEvent event;
      while (XCheckIfEvent(display_, &event, isInputEvent, reinterpret_cast<XPointer>(this))) {
      }
    });
  }

  void requestClose(int status) override { closeStatus_ = status; }

  bool displayLost() const override { return connection_.lost(); }

 private:
  void createWindow(const WindowSpec& wanted) {
    const unsigned width = unsigned(std::max(1, wanted.width));
    const unsigned height = unsigned(std::max(1, wanted.height));
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen_), wanted.x, wanted.y, width,
                                  height, 0, BlackPixel(display_, screen_),
                                  pixels_.pixel(0xFFFFFF));
    // The position and size are the program's own, which window managers are to respect.
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
      hints->flags = USPosition | USSize | PPosition | PSize;
      hints->x = wanted.x;
      hints->y = wanted.y;
      hints->width = int(width);
      hints->height = int(height);
      XSetWMNormalHints(display_, window_, hints);
      XFree(hints);
    }
    setTitle(wanted.title);
    wmDeleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    XSetWMProtocols(display_, window_, &wmDeleteWindow_, 1);
    XSelectInput(display_, window_, ExposureMask | StructureNotifyMask | KeyPressMask);
  }

  void setTitle(const std::string& title) {
    XStoreName(display_, window_, title.c_str());
    const Atom netWmName = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8String = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, netWmName, utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
  }

  void createGraphics() {
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    XSetGraphicsExposures(display_, gc_, False);
    font_ = XLoadQueryFont(display_, "fixed");
    fontLoaded_ = font_ != nullptr;
    if (fontLoaded_) {
      XSetFont(display_, gc_, font_->fid);
    } else {
      // Without "fixed" the server's default font stays in the context; its metrics still
      // place the text by its top-left corner.
      font_ = XQueryFont(display_, XGContextFromGC(gc_));
    }
  }

  void findKeys() {
    for (KeySym shift : {KeySym(XK_Shift_L), KeySym(XK_Shift_R)}) {
      const KeyCode code = XKeysymToKeycode(display_, shift);
      if (code != 0) shiftCodes_.push_back(code);
    }
    const KeyCode escape = XKeysymToKeycode(display_, XK_Escape);
    if (escape != 0) escapeCodes_.push_back(escape);
  }

  bool isShiftCode(KeyCode code) const {
    return std::find(shiftCodes_.begin(), shiftCodes_.end(), code) != shiftCodes_.end();
  }

  bool isCloseRequest(const XClientMessageEvent& message) const {
    return message.window == window_ && message.message_type == wmProtocols_ &&
           message.format == 32 && Atom(message.data.l[0]) == wmDeleteWindow_;
  }

  // Key presses and close requests of this window.
  static Bool isInputEvent(Display*, XEvent* event, XPointer self) {
    const auto& window = *reinterpret_cast<const X11Window*>(self);
    return (event->type == KeyPress && event->xkey.window == window.window_) ||
           (event->type == ClientMessage && window.isCloseRequest(event->xclient));
  }

  // What a waiting paint handler takes: input and exposures of this window.
  static Bool isWaitEvent(Display* display, XEvent* event, XPointer self) {
    const auto& window = *reinterpret_cast<const X11Window*>(self);
    return isInputEvent(display, event, self) ||
           (event->type == Expose && event->xexpose.window == window.window_);
  }

  void clipTo(const Rect& area) {
    XRectangle clip{short(area.left), short(area.top),
                    static_cast<unsigned short>(area.right - area.left),
                    static_cast<unsigned short>(area.bottom - area.top)};
    XSetClipRectangles(display_, gc_, 0, 0, &clip, 1, Unsorted);
  }

  // One paint for a burst of exposures: their union is erased white, drawing is clipped to
  // it, and the handler paints it.
  void paint(const XEvent& first, const PaintHandler& onPaint) {
    Rect area = exposedArea(first.xexpose);
    XEvent event = first;
    const bool gathered = connection_.call([&] {
      while (event.xexpose.count > 0) {
        XWindowEvent(display_, window_, ExposureMask, &event);
        if (event.type == Expose) area = unite(area, exposedArea(event.xexpose));
      }
      while (XCheckTypedWindowEvent(display_, window_, Expose, &event)) {
        area = unite(area, exposedArea(event.xexpose));
      }
      clipTo(area);
    });
    if (!gathered) return;
    paintArea_ = area;
    X11Surface surface(connection_, window_, gc_, font_, pixels_);
    surface.fillWhite(area);
    painting_ = true;
    struct EndPainting {
      bool& painting;
      ~EndPainting() { painting = false; }
    } endPainting{painting_};
    if (onPaint) onPaint(surface, area);
    surface.flush();
    connection_.call([&] { XSetClipMask(display_, gc_, None); });
  }

  Connection connection_;
  Display* display_;
  int screen_;
  PixelMapper pixels_;
  ::Window window_ = 0;
  GC gc_ = nullptr;
  XFontStruct* font_ = nullptr;
  bool fontLoaded_ = false;
  Atom wmDeleteWindow_ = 0;
  Atom wmProtocols_ = 0;
  std::vector<KeyCode> shiftCodes_;
  std::vector<KeyCode> escapeCodes_;
  std::optional<int> closeStatus_;
  bool painting_ = false;
  Rect paintArea_{};
};

}  // namespace

std::unique_ptr<Window> openX11Window(const WindowSpec& wanted) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  return std::make_unique<X11Window>(display, wanted);
}

}  // namespace platform
