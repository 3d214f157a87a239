// Helpers of the drawing tests: Gram matrices of known bigraphs, the last-dotted inflation run,
// scratch folders, and reading pictures back as pixels.
#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "Bigraph.h"
#include "Draw.h"
#include "Scene.h"
#include "ShapeBuilders.h"

namespace drawtest {

inline core::GramMatrix nakayama(int n, int r) { return core::nakayamaGram(n, r); }

inline core::GramMatrix matrixOf(int n, const shapes::Edges& edges) {
  return core::upperGramOf(*shapes::bigraphWith(n, edges));
}

// Inflations on the last dotted edge until none is left.
inline core::GramMatrix lastDottedResult(const core::GramMatrix& input) {
  core::Bigraph g(input.upperTriangle());
  for (core::Coeffs c = g.chooseDottedEdge(core::EdgeRule(2)); c.i != core::kNoEdge; c = g.chooseDottedEdge(core::EdgeRule(2))) g.inflation(c);
  return core::upperGramOf(g);
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / (name + ".XXXXXX")).string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }
  int entries() const {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
    return count;
  }

 private:
  std::filesystem::path path_;
};

struct Rgb {
  int r, g, b;
};

// A PNG read back through cairo.
class Pixels {
 public:
  explicit Pixels(const std::string& png)
      : surface_(cairo_image_surface_create_from_png(png.c_str()), cairo_surface_destroy) {}
  bool ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_.get()); }
  int height() const { return cairo_image_surface_get_height(surface_.get()); }
  Rgb at(double x, double y) const {
    const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    if (px < 0 || py < 0 || px >= width() || py >= height()) return {255, 255, 255};
    cairo_surface_flush(surface_.get());
    const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                               py * cairo_image_surface_get_stride(surface_.get());
    const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(row)[px];
    return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>(v & 0xFF)};
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
};

inline bool isDark(Rgb c) { return c.r < 90 && c.g < 90 && c.b < 90; }
inline bool isSolidBlue(Rgb c) { return c.b > c.r + 40 && c.b > 80; }
inline bool isDottedOrange(Rgb c) { return c.r > 180 && c.r > c.b + 80; }

// The darkness of a pixel, 0 for white to 1 for black; summed over a region it measures ink
// independently of anti-aliasing.
inline double inkAt(Rgb c) { return (765.0 - c.r - c.g - c.b) / 765.0; }

inline int runCommand(const std::string& command) { return std::system(command.c_str()); }

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace drawtest
