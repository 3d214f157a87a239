// pngcount: counts the pixels of one colour in a PNG file, for shell tests of grabbed pictures.
//
// Usage: pngcount FILE RRGGBB [LEFT TOP RIGHT BOTTOM]
//   Prints the number of pixels of the colour (hexadecimal red, green, blue) in the whole
//   image or in the rectangle (right and bottom exclusive). Exits 0, 1 when the file cannot
//   be read, 2 on bad arguments.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Png.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 7) {
    std::fputs("Usage: pngcount FILE RRGGBB [LEFT TOP RIGHT BOTTOM]\n", stderr);
    return 2;
  }
  std::string error;
  const auto image = platform::readPng(argv[1], &error);
  if (!image) {
    std::fprintf(stderr, "pngcount: %s\n", error.c_str());
    return 1;
  }
  const unsigned long rgb = std::strtoul(argv[2], nullptr, 16);
  // The colour reference keeps red in the low byte.
  const platform::Colour wanted =
      ((rgb >> 16) & 0xFF) | (((rgb >> 8) & 0xFF) << 8) | ((rgb & 0xFF) << 16);
  int left = 0, top = 0, right = image->width, bottom = image->height;
  if (argc == 7) {
    left = std::max(0, std::atoi(argv[3]));
    top = std::max(0, std::atoi(argv[4]));
    right = std::min(image->width, std::atoi(argv[5]));
    bottom = std::min(image->height, std::atoi(argv[6]));
  }
  long count = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) count += image->at(x, y) == wanted;
  std::printf("%ld\n", count);
  return 0;
}
