// Window search by title, image grabbing with XGetImage and the WM_DELETE_WINDOW request.
#include "XTools.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace xtools {
namespace {

constexpr std::uint32_t kOne = 1;

// Ignores the errors of windows that vanish while they are looked at.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

std::optional<::Window> search(Display* display, ::Window window, const std::string& title) {
  if (wmName(display, window) == title || netWmName(display, window) == title) return window;
  ::Window root = 0;
  ::Window parent = 0;
  ::Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return std::nullopt;
  std::vector<::Window> list(children, children + count);
  if (children != nullptr) XFree(children);
  for (::Window child : list) {
    if (auto found = search(display, child, title)) return found;
  }
  return std::nullopt;
}

// One colour channel of a pixel value: where its bits are and how many there are.
struct Channel {
  int shift = 0;
  unsigned long maxValue = 0;

  explicit Channel(unsigned long mask) {
    if (mask == 0) return;
    while (((mask >> shift) & 1u) == 0) ++shift;
    maxValue = mask >> shift;
  }

  std::uint8_t byteOf(unsigned long pixel) const {
    if (maxValue == 0) return 0;
    return std::uint8_t((((pixel >> shift) & maxValue) * 255 + maxValue / 2) / maxValue);
  }
};

}  // namespace

std::string wmName(Display* display, ::Window window) {
  char* name = nullptr;
  std::string result;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    result = name;
    XFree(name);
  }
  return result;
}

std::string netWmName(Display* display, ::Window window) {
  const Atom property = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, utf8, &type, &format, &items,
                         &after, &data) == Success &&
      data != nullptr) {
    if (type == utf8 && format == 8) result.assign(reinterpret_cast<char*>(data), items);
    XFree(data);
  }
  return result;
}

std::optional<::Window> findWindow(Display* display, const std::string& title) {
  XErrorHandler previous = XSetErrorHandler(ignoreErrors);
  auto found = search(display, DefaultRootWindow(display), title);
  XSync(display, False);
  XSetErrorHandler(previous);
  return found;
}

std::optional<::Window> waitForWindow(Display* display, const std::string& title, int timeoutMs) {
  const long deadline = nowMs() + timeoutMs;
  for (;;) {
    if (auto found = findWindow(display, title)) return found;
    if (nowMs() >= deadline) return std::nullopt;
    sleepMs(50);
  }
}

std::optional<platform::RgbImage> grab(Display* display, ::Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return std::nullopt;
  // A window that is not mapped yet (or no longer) has no contents to read: XGetImage would
  // fail with BadMatch, so callers get nothing and may try again.
  if (attributes.map_state != IsViewable) return std::nullopt;
  XErrorHandler previous = XSetErrorHandler(ignoreErrors);
  XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                            unsigned(attributes.height), AllPlanes, ZPixmap);
  XSync(display, False);
  XSetErrorHandler(previous);
  if (image == nullptr) return std::nullopt;
  platform::RgbImage result(attributes.width, attributes.height, platform::kWhite);
  const Channel red(attributes.visual->red_mask);
  const Channel green(attributes.visual->green_mask);
  const Channel blue(attributes.visual->blue_mask);
  // 32-bit pixels in the machine's own byte order are read directly; others through XGetPixel.
  const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                      std::uint32_t(1) == *reinterpret_cast<const std::uint8_t*>(&kOne);
  std::uint8_t* out = result.rgb.data();
  for (int y = 0; y < attributes.height; ++y) {
    const char* row = image->data + std::ptrdiff_t(y) * image->bytes_per_line;
    for (int x = 0; x < attributes.width; ++x) {
      unsigned long pixel = 0;
      if (direct) {
        std::uint32_t value;
        std::memcpy(&value, row + std::ptrdiff_t(x) * 4, sizeof value);
        pixel = value;
      } else {
        pixel = XGetPixel(image, x, y);
      }
      *out++ = red.byteOf(pixel);
      *out++ = green.byteOf(pixel);
      *out++ = blue.byteOf(pixel);
    }
  }
  XDestroyImage(image);
  return result;
}

void sendClose(Display* display, ::Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

long nowMs() {
  using namespace std::chrono;
  return long(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace xtools
