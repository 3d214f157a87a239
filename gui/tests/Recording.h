// Test helpers: a surface that records every call before drawing it on an offscreen canvas,
// and small builders of bigraphs and run states.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Bigraph.h"
#include "Offscreen.h"

namespace velorin::testing {

struct TextCall {
  int x, y;
  std::string text;
  bool operator==(const TextCall&) const = default;
};

struct LineCall {
  int x1, y1, x2, y2, width;
  platform::Colour colour;
  bool operator==(const LineCall&) const = default;
};

// What a Surface was asked to do, in order: 'T' text, 'L' line, 'P' pixel, 'F' fill.
class RecordingSurface : public platform::Surface {
 public:
  explicit RecordingSurface(platform::OffscreenWindow& canvas) : canvas_(canvas) {}

  void fillWhite(const platform::Rect& r) override {
    order.push_back('F');
    ++fills;
    canvas_.fillWhite(r);
  }
  void setPixel(int x, int y, platform::Colour c) override {
    order.push_back('P');
    ++pixels;
    canvas_.setPixel(x, y, c);
  }
  void line(int x1, int y1, int x2, int y2, int width, platform::Colour c) override {
    order.push_back('L');
    lines.push_back({x1, y1, x2, y2, width, c});
    canvas_.line(x1, y1, x2, y2, width, c);
  }
  void text(int x, int y, const std::string& s) override {
    order.push_back('T');
    texts.push_back({x, y, s});
    canvas_.text(x, y, s);
  }
  void flush() override { ++flushes; }

  // How many texts equal `s`.
  int countText(const std::string& s) const {
    int count = 0;
    for (const auto& t : texts) count += t.text == s;
    return count;
  }

  std::vector<TextCall> texts;
  std::vector<LineCall> lines;
  std::string order;
  int fills = 0;
  int pixels = 0;
  int flushes = 0;

 private:
  platform::OffscreenWindow& canvas_;
};

// A bigraph on n vertices from its n x n entries, row by row.
inline std::unique_ptr<core::Bigraph> makeBigraph(int n, const std::vector<int>& entries) {
  BigInteger** m = core::allocateSqZeroMat(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m[i][j] = BigInteger(entries[i * n + j]);
  auto bigraph = std::make_unique<core::Bigraph>(n, m);
  core::deleteSqMat(n, m);
  return bigraph;
}

}  // namespace velorin::testing
