// xgrab: saves the client area of the window with a given title as a PNG file (XGetImage).
//
// Usage: xgrab [--timeout SECONDS] [--now] TITLE OUT.png
//   Waits up to SECONDS (default 10) for a window titled TITLE on $DISPLAY. Without --now it
//   then grabs every 100 ms until two grabs in a row are equal and not all white, so the
//   picture is complete; with --now it takes the first grab. Exits 0 when the file is
//   written, 1 when no window appears or no settled picture comes in time, 2 on bad
//   arguments, a display that cannot be opened or a file that cannot be written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "XTools.h"

namespace {

int usage() {
  std::fputs("Usage: xgrab [--timeout SECONDS] [--now] TITLE OUT.png\n", stderr);
  return 2;
}

bool allWhite(const platform::RgbImage& image) {
  for (std::uint8_t byte : image.rgb) {
    if (byte != 0xFF) return false;
  }
  return true;
}

bool sameImage(const platform::RgbImage& a, const platform::RgbImage& b) {
  return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

// Grabs until the picture stops changing and shows something, or the deadline passes.
std::optional<platform::RgbImage> settledGrab(Display* display, ::Window window, long deadline) {
  std::optional<platform::RgbImage> previous;
  for (;;) {
    auto current = xtools::grab(display, window);
    if (current && previous && sameImage(*current, *previous) && !allWhite(*current)) {
      return current;
    }
    if (xtools::nowMs() >= deadline) return std::nullopt;
    previous = std::move(current);
    xtools::sleepMs(100);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int timeoutSeconds = 10;
  bool now = false;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--timeout" && i + 1 < argc) {
      timeoutSeconds = std::atoi(argv[++i]);
    } else if (option == "--now") {
      now = true;
    } else {
      break;
    }
  }
  if (argc - i != 2 || timeoutSeconds < 0) return usage();
  const std::string title = argv[i];
  const std::string path = argv[i + 1];

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("xgrab: cannot open the display\n", stderr);
    return 2;
  }
  const long deadline = xtools::nowMs() + timeoutSeconds * 1000L;
  const auto window = xtools::waitForWindow(display, title, timeoutSeconds * 1000);
  std::optional<platform::RgbImage> image;
  if (window) image = now ? xtools::grab(display, *window) : settledGrab(display, *window, deadline);
  XCloseDisplay(display);
  if (!window) {
    std::fprintf(stderr, "xgrab: no window titled \"%s\"\n", title.c_str());
    return 1;
  }
  if (!image) {
    std::fprintf(stderr, "xgrab: no settled picture of \"%s\" in time\n", title.c_str());
    return 1;
  }
  std::string error;
  if (!platform::writePng(path, *image, &error)) {
    std::fprintf(stderr, "xgrab: %s\n", error.c_str());
    return 2;
  }
  return 0;
}
