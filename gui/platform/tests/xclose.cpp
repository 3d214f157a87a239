// xclose: presses the close button of the window with a given title, the way a window manager
// does, by sending it WM_DELETE_WINDOW.
//
// Usage: xclose [--timeout SECONDS] TITLE
//   Waits up to SECONDS (default 10) for a window titled TITLE on $DISPLAY, sends it the
//   WM_DELETE_WINDOW client message and exits 0. Exits 1 when no such window appears in
//   time, 2 on bad arguments or when the display cannot be opened.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "XTools.h"

namespace {

int usage() {
  std::fputs("Usage: xclose [--timeout SECONDS] TITLE\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int timeoutSeconds = 10;
  int first = 1;
  if (argc > 2 && std::string(argv[1]) == "--timeout") {
    timeoutSeconds = std::atoi(argv[2]);
    first = 3;
  }
  if (argc != first + 1 || timeoutSeconds < 0) return usage();
  const std::string title = argv[first];

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("xclose: cannot open the display\n", stderr);
    return 2;
  }
  const auto window = xtools::waitForWindow(display, title, timeoutSeconds * 1000);
  if (!window) {
    std::fprintf(stderr, "xclose: no window titled \"%s\"\n", title.c_str());
    XCloseDisplay(display);
    return 1;
  }
  xtools::sendClose(display, *window);
  XCloseDisplay(display);
  return 0;
}
