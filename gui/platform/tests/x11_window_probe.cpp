// x11_window_probe: opens a real window through openX11Window and checks it from a second
// display connection: size, position, title, drawn pixels, keys, exposures and closing.
//
// Usage: x11_window_probe --self-check | --close-first | --compare-lines | --serve TITLE
//   --self-check   paints a test picture, checks it (and the keys, with xdotool), exposes two
//                  areas, checks the coalesced second paint, then closes itself; exit 0 = pass
//   --close-first  sends the close request before the loop starts; the first paint must still
//                  come first, then the loop must end with code 0 after exactly one paint
//   --compare-lines draws lines of many widths and directions on the window and on the
//                  offscreen canvas and requires the same pixels on both
//   --serve TITLE  paints the test picture and runs until closed, for outside tools; exits
//                  with the loop's code
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Offscreen.h"
#include "Window.h"
#include "XTools.h"

namespace {

using platform::Colour;
using platform::Key;
using platform::Rect;
using platform::Surface;

constexpr Colour kBlue = 0xFF0000;
constexpr Colour kOrange = 0x0053FE;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kGrey = 0x323232;
constexpr Colour kRed = 0x0000FF;
constexpr const char* kSelfTitle = "Zaruzivedo 0.9   KQ 2015-2016";

int failures = 0;

void check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  }
}

// The picture every mode paints first.
void drawTestPicture(Surface& s) {
  s.line(0, 70, 599, 70, 30, kGrey);  // a dark band under the text: rows 55..84
  s.text(20, 60, "Probe Wy");
  s.line(100, 200, 300, 200, 3, kBlue);
  s.line(100, 250, 300, 250, 2, kOrange);
  s.line(100, 300, 300, 300, 1, kGreen);
  s.line(400, 120, 400, 300, 9, kGrey);
  for (int i = -3; i < 3; ++i) {
    for (int j = -3; j < 3; ++j) s.setPixel(500 + i, 50 + j, kGrey);
  }
  s.setPixel(550, 400, kRed);
  s.flush();
}

int countInColumn(const platform::RgbImage& image, int x, int fromY, int toY, Colour c) {
  int count = 0;
  for (int y = fromY; y <= toY; ++y) count += image.at(x, y) == c ? 1 : 0;
  return count;
}

// Grabs until the probe point shows the expected colour, at most two seconds: the drawing
// requests of the window's own connection may still be on their way to the server.
platform::RgbImage grabWhen(Display* d, ::Window w, int x, int y, Colour expected) {
  const long deadline = xtools::nowMs() + 2000;
  for (;;) {
    auto image = xtools::grab(d, w);
    if (image && image->contains(x, y) && image->at(x, y) == expected) return *image;
    if (xtools::nowMs() >= deadline) return image ? *image : platform::RgbImage(1, 1, 0);
    xtools::sleepMs(20);
  }
}

void checkGeometryAndTitle(Display* d, ::Window w, const std::string& title) {
  XWindowAttributes a;
  check(XGetWindowAttributes(d, w, &a) != 0, "window attributes");
  check(a.width == 600 && a.height == 465,
        "client size 600 x 465, got " + std::to_string(a.width) + " x " + std::to_string(a.height));
  int rootX = -1;
  int rootY = -1;
  ::Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &rootX, &rootY, &child);
  check(rootX == 10 && rootY == 10,
        "position (10, 10), got (" + std::to_string(rootX) + ", " + std::to_string(rootY) + ")");
  check(xtools::wmName(d, w) == title, "WM_NAME is the title");
  check(xtools::netWmName(d, w) == title, "_NET_WM_NAME is the title");
}

void checkTestPicture(const platform::RgbImage& image, Display* d) {
  check(image.width == 600 && image.height == 465, "grabbed image size");
  if (image.width != 600 || image.height != 465) return;
  check(image.at(550, 400) == kRed, "single pixel");
  check(image.at(497, 47) == kGrey && image.at(502, 52) == kGrey, "pixel square corners");
  check(image.at(496, 47) == platform::kWhite && image.at(503, 52) == platform::kWhite,
        "nothing beside the pixel square");
  check(countInColumn(image, 200, 190, 210, kBlue) == 3, "width 3 line is 3 pixels across");
  check(countInColumn(image, 200, 240, 260, kOrange) == 2, "width 2 line is 2 pixels across");
  check(countInColumn(image, 200, 290, 310, kGreen) == 1, "width 1 line is 1 pixel across");
  check(image.at(400, 210) == kGrey && image.at(396, 210) == kGrey && image.at(404, 210) == kGrey,
        "width 9 line is 9 pixels across");
  check(image.at(395, 210) == platform::kWhite && image.at(405, 210) == platform::kWhite,
        "width 9 line is no wider");
  check(image.at(400, 117) == kGrey, "round cap reaches beyond the end point");
  check(image.at(404, 117) == platform::kWhite, "cap is round, not square");

  // The text box: opaque white from row 60 down, over the dark band, with black glyphs.
  XFontStruct* font = XLoadQueryFont(d, "fixed");
  const int boxHeight = font != nullptr ? font->ascent + font->descent : 13;
  if (font != nullptr) XFreeFont(d, font);
  check(image.at(20, 59) == kGrey, "band just above the text box");
  check(image.at(20, 60) == platform::kWhite, "text box starts at the given top");
  check(image.at(20, 60 + boxHeight - 1) == platform::kWhite, "text box is opaque to its bottom");
  check(image.at(20, 60 + boxHeight) == kGrey, "text box ends after the font's height");
  int black = 0;
  for (int y = 60; y < 60 + boxHeight; ++y) {
    for (int x = 20; x < 70; ++x) black += image.at(x, y) == platform::kBlack ? 1 : 0;
  }
  check(black > 20, "glyphs are black");
}

void checkKeys(platform::Window& window) {
  auto xdotool = [](const char* args) {
    const std::string command = std::string("timeout 10 xdotool ") + args;
    check(std::system(command.c_str()) == 0, command);
  };
  check(!window.keyDown(Key::Shift) && !window.keyDown(Key::Escape), "keys start up");
  xdotool("keydown Shift_L");
  check(window.keyDown(Key::Shift), "left Shift down");
  check(!window.keyDown(Key::Escape), "Escape up while Shift is down");
  xdotool("keyup Shift_L");
  check(!window.keyDown(Key::Shift), "left Shift up again");
  xdotool("keydown Shift_R");
  check(window.keyDown(Key::Shift), "right Shift down");
  xdotool("keyup Shift_R");
  xdotool("keydown Escape");
  check(window.keyDown(Key::Escape), "Escape down");
  check(!window.keyDown(Key::Shift), "Shift up while Escape is down");
  xdotool("keyup Escape");
  check(!window.keyDown(Key::Escape), "Escape up again");
}

bool sameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string describe(const Rect& r) {
  char text[80];
  std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", r.left, r.top, r.right, r.bottom);
  return text;
}

int selfCheck() {
  auto window = platform::openX11Window({kSelfTitle});
  if (!window) {
    std::fputs("FAIL: no display\n", stderr);
    return 1;
  }
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return 1;
  int paints = 0;
  ::Window target = 0;
  const int code = window->run([&](Surface& s, const Rect& area) {
    ++paints;
    if (paints == 1) {
      check(sameRect(area, {0, 0, 600, 465}), "first paint covers the client area, got " +
                                                    describe(area));
      drawTestPicture(s);
      const auto found = xtools::waitForWindow(d, kSelfTitle, 2000);
      check(found.has_value(), "window found by its title");
      if (!found) return;
      target = *found;
      checkGeometryAndTitle(d, target, kSelfTitle);
      checkTestPicture(grabWhen(d, target, 550, 400, kRed), d);
      checkKeys(*window);
      // Two exposures in one burst: they must come as one paint of their union.
      XClearArea(d, target, 50, 60, 20, 20, True);
      XClearArea(d, target, 120, 140, 10, 10, True);
      XSync(d, False);
      xtools::sleepMs(200);
    } else if (paints == 2) {
      check(sameRect(area, {50, 60, 130, 150}), "second paint is the union of both exposures, got " +
                                                     describe(area));
      s.line(0, 100, 599, 100, 5, kGreen);
      s.flush();
      const auto image = grabWhen(d, target, 90, 100, kGreen);
      check(image.contains(300, 100) && image.at(90, 100) == kGreen, "drawn inside the area");
      check(image.contains(300, 100) && image.at(300, 100) == platform::kWhite,
            "drawing clipped to the painted area");
      xtools::sendClose(d, target);
    }
  });
  check(code == 0, "close ends the loop with code 0");
  check(paints == 2, "two paints, got " + std::to_string(paints));
  XCloseDisplay(d);
  return failures == 0 ? 0 : 1;
}

int closeFirst() {
  const std::string title = "Probe close first";
  auto window = platform::openX11Window({title});
  Display* d = XOpenDisplay(nullptr);
  if (!window || d == nullptr) return 1;
  const auto found = xtools::waitForWindow(d, title, 2000);
  check(found.has_value(), "window found by its title");
  if (found) xtools::sendClose(d, *found);
  int paints = 0;
  const int code = window->run([&](Surface& s, const Rect&) {
    ++paints;
    drawTestPicture(s);
  });
  check(code == 0, "close ends the loop with code 0");
  check(paints == 1, "the first paint comes before the close request");
  XCloseDisplay(d);
  return failures == 0 ? 0 : 1;
}

struct LineCase {
  int x1, y1, x2, y2, width;
};

std::vector<LineCase> comparedLines() {
  std::vector<LineCase> lines;
  // Edges between the vertex points of an 8-vertex picture, at the widths edges get.
  const int xs[] = {300, 427, 480, 427, 300, 173, 120, 173};
  const int ys[] = {27, 80, 207, 334, 387, 334, 207, 80};
  for (int width : {1, 2, 3, 4, 9}) {
    for (int i = 0; i < 8; ++i) {
      for (int j = i + 1; j < 8; ++j) lines.push_back({xs[i], ys[i], xs[j], ys[j], width});
    }
  }
  // Lines of random ends and widths, some reaching out of the window, and single points.
  std::mt19937 random(465600);
  std::uniform_int_distribution<int> x(-50, 650), y(-50, 515), width(1, 40);
  for (int i = 0; i < 80; ++i) lines.push_back({x(random), y(random), x(random), y(random), width(random)});
  for (int w : {1, 2, 3, 4, 5, 10, 11}) lines.push_back({300, 200, 300, 200, w});
  return lines;
}

int compareLines() {
  const std::string title = "Probe line comparison";
  auto window = platform::openX11Window({title});
  Display* d = XOpenDisplay(nullptr);
  if (!window || d == nullptr) return 1;
  const int code = window->run([&](Surface& s, const Rect&) {
    const auto found = xtools::waitForWindow(d, title, 2000);
    check(found.has_value(), "window found by its title");
    if (!found) return;
    int compared = 0;
    for (const LineCase& c : comparedLines()) {
      platform::OffscreenWindow canvas;
      canvas.line(c.x1, c.y1, c.x2, c.y2, c.width, kBlue);
      s.fillWhite({0, 0, 600, 465});
      s.line(c.x1, c.y1, c.x2, c.y2, c.width, kBlue);
      s.flush();
      window->keyDown(Key::Escape);  // a round trip: the server has drawn everything before it
      const auto image = xtools::grab(d, *found);
      if (!image) {
        check(false, "grab");
        break;
      }
      int differing = 0;
      for (std::size_t i = 0; i < image->rgb.size(); ++i) {
        differing += image->rgb[i] != canvas.image().rgb[i] ? 1 : 0;
      }
      char what[160];
      std::snprintf(what, sizeof what, "same pixels for (%d, %d)-(%d, %d) width %d: %d bytes differ", c.x1,
                    c.y1, c.x2, c.y2, c.width, differing);
      check(differing == 0, what);
      ++compared;
    }
    std::printf("compared %d lines\n", compared);
    xtools::sendClose(d, *found);
  });
  check(code == 0, "close ends the loop with code 0");
  XCloseDisplay(d);
  return failures == 0 ? 0 : 1;
}

int serve(const std::string& title) {
  auto window = platform::openX11Window({title});
  if (!window) return 3;
  return window->run([](Surface& s, const Rect&) { drawTestPicture(s); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--self-check" && argc == 2) return selfCheck();
  if (mode == "--close-first" && argc == 2) return closeFirst();
  if (mode == "--compare-lines" && argc == 2) return compareLines();
  if (mode == "--serve" && argc == 3) return serve(argv[2]);
  std::fputs("Usage: x11_window_probe --self-check | --close-first | --compare-lines | --serve TITLE\n",
             stderr);
  return 2;
}
