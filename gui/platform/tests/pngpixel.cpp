// pngpixel: prints colours of points of a PNG file, for shell tests of grabbed pictures.
//
// Usage: pngpixel FILE X Y [X Y ...]
//   Prints one line "RRGGBB" (hexadecimal red, green, blue) per point. Exits 0, or 1 when the
//   file cannot be read or a point lies outside the image, 2 on bad arguments.
#include <cstdio>
#include <cstdlib>

#include "Png.h"

int main(int argc, char** argv) {
  if (argc < 4 || (argc - 2) % 2 != 0) {
    std::fputs("Usage: pngpixel FILE X Y [X Y ...]\n", stderr);
    return 2;
  }
  std::string error;
  const auto image = platform::readPng(argv[1], &error);
  if (!image) {
    std::fprintf(stderr, "pngpixel: %s\n", error.c_str());
    return 1;
  }
  for (int i = 2; i + 1 < argc; i += 2) {
    const int x = std::atoi(argv[i]);
    const int y = std::atoi(argv[i + 1]);
    if (!image->contains(x, y)) {
      std::fprintf(stderr, "pngpixel: (%d, %d) lies outside the %d x %d image\n", x, y,
                   image->width, image->height);
      return 1;
    }
    const platform::Colour c = image->at(x, y);
    std::printf("%02X%02X%02X\n", platform::redOf(c), platform::greenOf(c), platform::blueOf(c));
  }
  return 0;
}
