// An RGB image in memory and its PNG form: writing and reading through libpng.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Window.h"

namespace platform {

// Rows of width * 3 bytes (red, green, blue), top row first.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  RgbImage() = default;
  // An image of the given size filled with one colour.
  RgbImage(int w, int h, Colour fill);

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // The colour at (x, y), which must lie inside the image.
  Colour at(int x, int y) const;
  // Sets (x, y) when it lies inside the image; points outside are ignored.
  void set(int x, int y, Colour c);
  // Sets the pixels xFirst..xLast (both included) of row y, clipped to the image.
  void fillRow(int y, int xFirst, int xLast, Colour c);
};

// Writes the image as an 8-bit RGB PNG file. On failure returns false and, when `error` is
// given, says why there.
bool writePng(const std::string& path, const RgbImage& image, std::string* error = nullptr);

// Reads a PNG file of any colour type into RGB (alpha is dropped, grey is widened);
// std::nullopt when the file cannot be read or is not a PNG image.
std::optional<RgbImage> readPng(const std::string& path, std::string* error = nullptr);

// The colour reference of a red, green and blue triple.
constexpr Colour colourOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16);
}
constexpr std::uint8_t redOf(Colour c) { return c & 0xFF; }
constexpr std::uint8_t greenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t blueOf(Colour c) { return (c >> 16) & 0xFF; }

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;

}  // namespace platform
