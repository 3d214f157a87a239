// The X11 window: one top-level Xlib window whose Expose events are the paint events.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "Window.h"

namespace platform {
namespace {

constexpr unsigned long kMaxLineWidth = 65535;  // the protocol's line width is 16 bits
constexpr std::size_t kTextChunk = 255;         // the longest string of one image-text request

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
// into one request per colour.
class X11Surface final : public Surface {
 public:
  X11Surface(Display* display, ::Window window, GC gc, XFontStruct* font, PixelMapper& pixels)
      : display_(display), window_(window), gc_(gc), font_(font), pixels_(pixels) {}

  void fillWhite(const Rect& r) override {
    flushPoints();
    if (r.right <= r.left || r.bottom <= r.top) return;
    useForeground(kWhiteColour);
    XFillRectangle(display_, window_, gc_, r.left, r.top, unsigned(r.right - r.left),
                   unsigned(r.bottom - r.top));
  }

  void setPixel(int x, int y, Colour c) override {
    if (x < SHRT_MIN || x > SHRT_MAX || y < SHRT_MIN || y > SHRT_MAX) return;
    c &= 0xFFFFFF;
    if (!points_.empty() && c != pointsColour_) flushPoints();
    pointsColour_ = c;
    points_.push_back(XPoint{short(x), short(y)});
  }

  void line(int x1, int y1, int x2, int y2, int width, Colour c) override {
    flushPoints();
    const unsigned long w =
        std::clamp<unsigned long>(width < 1 ? 1ul : static_cast<unsigned long>(width), 1ul,
                                  kMaxLineWidth);
    XSetLineAttributes(display_, gc_, unsigned(w), LineSolid, CapRound, JoinRound);
    useForeground(c & 0xFFFFFF);
    XDrawLine(display_, window_, gc_, x1, y1, x2, y2);
  }

  void text(int x, int y, const std::string& s) override {
    flushPoints();
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
  }

  void flush() override {
    flushPoints();
    XFlush(display_);
  }

  void flushPoints() {
    if (points_.empty()) return;
    useForeground(pointsColour_);
    XDrawPoints(display_, window_, gc_, points_.data(), int(points_.size()), CoordModeOrigin);
    points_.clear();
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

  Display* display_;
  ::Window window_;
  GC gc_;
  XFontStruct* font_;
  PixelMapper& pixels_;
  std::vector<XPoint> points_;
  Colour pointsColour_ = 0;
  Colour foreground_ = 0;
  bool hasForeground_ = false;
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
      : display_(display), screen_(DefaultScreen(display)), pixels_(display, screen_) {
    createWindow(wanted);
    createGraphics();
    findKeys();
    XMapWindow(display_, window_);
    XFlush(display_);
  }

  ~X11Window() override {
    if (font_ != nullptr && fontLoaded_) XFreeFont(display_, font_);
    if (font_ != nullptr && !fontLoaded_) XFreeFontInfo(nullptr, font_, 1);
    XFreeGC(display_, gc_);
    if (window_ != 0) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }

  bool keyDown(Key k) override {
    char keys[32];
    XQueryKeymap(display_, keys);
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
    XIfEvent(display_, &event, isExposeOf, reinterpret_cast<XPointer>(&window_));
    paint(event, onPaint);
    for (;;) {
      XNextEvent(display_, &event);
      if (event.type == Expose && event.xexpose.window == window_) {
        paint(event, onPaint);
      } else if (event.type == ClientMessage && isCloseRequest(event.xclient)) {
        XDestroyWindow(display_, window_);
        window_ = 0;
        XFlush(display_);
        return 0;
      } else if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
        window_ = 0;
        return 0;
      }
    }
  }

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
    XSelectInput(display_, window_, ExposureMask | StructureNotifyMask);
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

  bool isCloseRequest(const XClientMessageEvent& message) const {
    return message.window == window_ && message.message_type == wmProtocols_ &&
           message.format == 32 && Atom(message.data.l[0]) == wmDeleteWindow_;
  }

  // One paint for a burst of exposures: their union is erased white, drawing is clipped to
  // it, and the handler paints it.
  void paint(const XEvent& first, const PaintHandler& onPaint) {
    Rect area = exposedArea(first.xexpose);
    XEvent event = first;
    while (event.xexpose.count > 0) {
      XWindowEvent(display_, window_, ExposureMask, &event);
      if (event.type == Expose) area = unite(area, exposedArea(event.xexpose));
    }
    while (XCheckTypedWindowEvent(display_, window_, Expose, &event)) {
      area = unite(area, exposedArea(event.xexpose));
    }
    XRectangle clip{short(area.left), short(area.top),
                    static_cast<unsigned short>(area.right - area.left),
                    static_cast<unsigned short>(area.bottom - area.top)};
    XSetClipRectangles(display_, gc_, 0, 0, &clip, 1, Unsorted);
    X11Surface surface(display_, window_, gc_, font_, pixels_);
    surface.fillWhite(area);
    if (onPaint) onPaint(surface, area);
    surface.flush();
    XSetClipMask(display_, gc_, None);
  }

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
};

}  // namespace

std::unique_ptr<Window> openX11Window(const WindowSpec& wanted) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  return std::make_unique<X11Window>(display, wanted);
}

}  // namespace platform
