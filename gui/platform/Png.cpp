// PNG files through libpng's simplified interface, and the RGB image they hold.
#include "Png.h"

#include <png.h>

#include <algorithm>
#include <stdexcept>

namespace platform {

RgbImage::RgbImage(int w, int h, Colour fill) : width(w), height(h) {
  if (w < 0 || h < 0) throw std::invalid_argument("RgbImage: negative size");
  rgb.resize(std::size_t(w) * std::size_t(h) * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = redOf(fill);
    rgb[i + 1] = greenOf(fill);
    rgb[i + 2] = blueOf(fill);
  }
}

Colour RgbImage::at(int x, int y) const {
  if (!contains(x, y)) throw std::out_of_range("RgbImage::at: point outside the image");
  const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
  return colourOf(rgb[i], rgb[i + 1], rgb[i + 2]);
}

void RgbImage::set(int x, int y, Colour c) {
  if (!contains(x, y)) return;
  const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
  rgb[i] = redOf(c);
  rgb[i + 1] = greenOf(c);
  rgb[i + 2] = blueOf(c);
}

void RgbImage::fillRow(int y, int xFirst, int xLast, Colour c) {
  if (y < 0 || y >= height) return;
  xFirst = std::max(xFirst, 0);
  xLast = std::min(xLast, width - 1);
  if (xFirst > xLast) return;
  std::uint8_t* p = rgb.data() + (std::size_t(y) * std::size_t(width) + std::size_t(xFirst)) * 3;
  std::uint8_t* const end = p + std::size_t(xLast - xFirst + 1) * 3;
  const std::uint8_t r = redOf(c), g = greenOf(c), b = blueOf(c);
  if (r == g && g == b) {
    std::fill(p, end, r);  // grey, white and black fill every byte alike
    return;
  }
  for (; p != end; p += 3) {
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
}

namespace {

void say(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

}  // namespace

bool writePng(const std::string& path, const RgbImage& image, std::string* error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != std::size_t(image.width) * std::size_t(image.height) * 3) {
    say(error, "cannot write an empty or inconsistent image");
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(),
                                          png_int_32(image.width) * 3, nullptr) != 0;
  if (!ok) say(error, path + ": " + png.message);
  png_image_free(&png);
  return ok;
}

std::optional<RgbImage> readPng(const std::string& path, std::string* error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    say(error, path + ": " + png.message);
    png_image_free(&png);
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGB;
  RgbImage image;
  image.width = int(png.width);
  image.height = int(png.height);
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  // Transparent pixels are composed onto white, the canvas's background.
  png_color white{0xFF, 0xFF, 0xFF};
  if (png_image_finish_read(&png, &white, image.rgb.data(), png_int_32(png.width) * 3, nullptr) ==
      0) {
    say(error, path + ": " + png.message);
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

}  // namespace platform
