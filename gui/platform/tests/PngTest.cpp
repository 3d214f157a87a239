// Tests of PNG writing and reading: round trips of the canvas and of odd images, and bad files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "Offscreen.h"
#include "Png.h"

namespace platform {
namespace {

class PngFiles : public ::testing::Test {
 protected:
  std::string path(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("platform_png_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                      "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    dirs_.push_back(dir);
    return (dir / name).string();
  }
  void TearDown() override {
    for (const auto& d : dirs_) std::filesystem::remove_all(d);
  }

 private:
  std::vector<std::filesystem::path> dirs_;
};

TEST_F(PngFiles, CanvasRoundTrip) {
  OffscreenWindow w;
  w.line(300, 27, 456, 297, 4, 0xFF0000);
  w.line(300, 27, 144, 297, 3, 0x0053FE);
  w.text(10, 10, "Your bigraph:");
  w.setPixel(599, 464, 0x123456);
  const std::string file = path("canvas.png");
  std::string error;
  ASSERT_TRUE(w.savePng(file, &error)) << error;
  const auto read = readPng(file, &error);
  ASSERT_TRUE(read.has_value()) << error;
  EXPECT_EQ(read->width, 600);
  EXPECT_EQ(read->height, 465);
  EXPECT_EQ(read->rgb, w.image().rgb);
  EXPECT_EQ(read->at(599, 464), 0x123456u);
}

TEST_F(PngFiles, EveryChannelValueSurvives) {
  RgbImage image(256, 3, kWhite);
  for (int x = 0; x < 256; ++x) {
    image.set(x, 0, colourOf(std::uint8_t(x), 0, 0));
    image.set(x, 1, colourOf(0, std::uint8_t(x), 0));
    image.set(x, 2, colourOf(0, 0, std::uint8_t(x)));
  }
  const std::string file = path("ramp.png");
  ASSERT_TRUE(writePng(file, image));
  const auto read = readPng(file);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->rgb, image.rgb);
}

TEST_F(PngFiles, MissingFileIsReported) {
  std::string error;
  EXPECT_FALSE(readPng(path("none.png"), &error).has_value());
  EXPECT_FALSE(error.empty());
}

TEST_F(PngFiles, NonPngFileIsReported) {
  const std::string file = path("text.png");
  std::ofstream(file) << "not a picture\n";
  std::string error;
  EXPECT_FALSE(readPng(file, &error).has_value());
  EXPECT_FALSE(error.empty());
}

TEST_F(PngFiles, UnwritablePathIsReported) {
  std::string error;
  EXPECT_FALSE(writePng(path("no/such/dir/x.png"), RgbImage(2, 2, kWhite), &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(PngFiles, EmptyImageIsRefused) {
  std::string error;
  EXPECT_FALSE(writePng(path("empty.png"), RgbImage(), &error));
  EXPECT_FALSE(error.empty());
}

TEST(RgbImage, ColourHelpersAgreeWithTheColourReferenceLayout) {
  EXPECT_EQ(colourOf(254, 83, 0), 0x0053FEu);
  EXPECT_EQ(redOf(0x0053FE), 254);
  EXPECT_EQ(greenOf(0x0053FE), 83);
  EXPECT_EQ(blueOf(0x0053FE), 0);
  RgbImage image(3, 2, 0x646464);
  EXPECT_EQ(image.at(2, 1), 0x646464u);
  image.set(7, 7, 0);  // outside: ignored
  EXPECT_THROW(image.at(3, 0), std::out_of_range);
  EXPECT_THROW(RgbImage(-1, 2, 0), std::invalid_argument);
}

}  // namespace
}  // namespace platform
