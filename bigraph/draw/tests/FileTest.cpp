// Output files: bad paths and unknown extensions give a clear error and status 1 and leave no
// file behind; option words; large bigraphs drawn without labels.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "DrawTestHelpers.h"

using namespace bigraph;

namespace bigraph::draw {
namespace {

DrawRequest pathRequest(const std::string& output) {
  DrawRequest request;
  request.input = drawtest::matrixOf(4, shapes::pathEdges(4));
  request.output = output;
  return request;
}

struct BadOutput {
  std::string label;
  std::string file;  // inside the scratch folder
  std::string message;
};

void PrintTo(const BadOutput& c, std::ostream* out) { *out << c.label; }

class BadOutputTest : public ::testing::TestWithParam<BadOutput> {};

TEST_P(BadOutputTest, ClearErrorStatusOneAndNothingLeft) {
  const BadOutput& c = GetParam();
  drawtest::ScratchFolder folder("bigraph-draw-bad");
  std::filesystem::create_directory(folder.file("sub.png"));
  const int before = folder.entries();
  std::ostringstream err;
  EXPECT_EQ(runDraw(pathRequest(folder.file(c.file)), err), 1);
  EXPECT_EQ(err.str().rfind("Error: ", 0), 0u) << err.str();
  EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
  EXPECT_EQ(err.str().back(), '\n');
  EXPECT_EQ(folder.entries(), before);
  EXPECT_TRUE(std::filesystem::is_empty(folder.file("sub.png")));
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, BadOutputTest,
    ::testing::Values(
        BadOutput{"MissingFolder", "no/such/folder/picture.svg", "No such file or directory"},
        BadOutput{"UnknownExtension", "picture.jpg", "unknown picture format \".jpg\""},
        BadOutput{"NoExtension", "picture", "has no extension: use .svg, .pdf, .png or .tex"},
        BadOutput{"Folder", "sub.png", "it is a folder"},
        BadOutput{"FolderInsideAFile", "sub.png/../x.png/y.pdf", "cannot write"}),
    [](const auto& info) { return info.param.label; });

TEST(OutputFile, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  drawtest::ScratchFolder folder("bigraph-draw");
  const std::string file = folder.file("picture.svg");
  std::ofstream(file) << "old";
  std::ostringstream err;
  ASSERT_EQ(runDraw(pathRequest(file), err), 0) << err.str();
  EXPECT_EQ(folder.entries(), 1);
  EXPECT_NE(drawtest::readFile(file).find("<svg"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "the picture kept the private mode of a temporary file";
}

TEST(OutputFile, ResultAskedForWithoutAResultIsRefused) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = pathRequest(folder.file("picture.png"));
  request.options.state = State::Both;
  std::ostringstream err;
  EXPECT_EQ(runDraw(request, err), 1);
  EXPECT_NE(err.str().find("needs the result"), std::string::npos);
  EXPECT_EQ(folder.entries(), 0);
}

TEST(OutputFile, SizeTooSmallIsRefused) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = pathRequest(folder.file("picture.png"));
  request.options.width = 20;
  request.options.height = 20;
  std::ostringstream err;
  EXPECT_EQ(runDraw(request, err), 1);
  EXPECT_NE(err.str().find("too small"), std::string::npos);
  EXPECT_EQ(folder.entries(), 0);
}

struct Ink {
  double total = 0;
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;  // the inked box
};

Ink inkOf(const drawtest::Pixels& pixels) {
  Ink ink;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const double i = drawtest::inkAt(pixels.at(x, y));
      ink.total += i;
      if (i < 0.1) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  return ink;
}

// An exact size scales the whole drawing, fonts and lines included, up or down: the ink grows
// with the square of the zoom, and the drawing is centred, filling the picture one way.
TEST(OutputFile, ExactSizeScalesTheWholeDrawingToFitAndCentresIt) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = pathRequest(folder.file("natural.png"));
  request.input = drawtest::nakayama(6, 3);
  request.result = drawtest::lastDottedResult(request.input);
  request.options.state = State::Both;
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0) << err.str();
  const Scene natural = buildScene(request);
  const Ink naturalInk = inkOf(drawtest::Pixels(request.output));
  const int w = static_cast<int>(natural.width), h = static_cast<int>(natural.height);
  struct Size {
    int width, height;
  };
  for (const Size size : {Size{2 * w, 2 * h}, Size{w / 2, h / 2}, Size{1800, 900}, Size{1200, 1200},
                          Size{400, 100}}) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    request.options.width = size.width;
    request.options.height = size.height;
    request.output = folder.file("sized.png");
    ASSERT_EQ(runDraw(request, err), 0) << err.str();
    const drawtest::Pixels pixels(request.output);
    ASSERT_EQ(pixels.width(), size.width);
    ASSERT_EQ(pixels.height(), size.height);
    const double zoom = std::min(size.width / natural.width, size.height / natural.height);
    EXPECT_NEAR(buildScene(request).zoom, zoom, 1e-12);
    const Ink ink = inkOf(pixels);
    EXPECT_NEAR(ink.total / (naturalInk.total * zoom * zoom), 1, 0.2);
    // Centred: the natural drawing's ink lands where the zoom about the middle puts it.
    const auto expected = [zoom](double naturalAt, double naturalSide, int side) {
      return (side - zoom * naturalSide) / 2 + zoom * naturalAt;
    };
    EXPECT_NEAR((ink.left + ink.right) / 2.0,
                expected((naturalInk.left + naturalInk.right) / 2.0, natural.width, size.width), 2 + zoom);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0,
                expected((naturalInk.top + naturalInk.bottom) / 2.0, natural.height, size.height), 2 + zoom);
  }
}

TEST(LargeBigraphs, ThinLinesNoLabelsAndANote) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request;
  request.input = drawtest::nakayama(90, 2);
  request.output = folder.file("large.png");
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0);
  EXPECT_EQ(err.str(),
            "Note: 90 vertices: drawn with thin lines and without labels, multiple edges thicker.\n");
  const Scene scene = buildScene(request);
  EXPECT_TRUE(scene.compact);
  EXPECT_LT(scene.lineWidth, 1);
  EXPECT_LE(scene.width, 1600);
  for (const SceneVertex& v : scene.panels[0].vertices) EXPECT_TRUE(v.number.empty());
  const drawtest::Pixels pixels(request.output);
  for (const SceneVertex& v : scene.panels[0].vertices) {
    const Point p = scene.toPixels(v.at);
    EXPECT_TRUE(drawtest::isDark(pixels.at(p.x, p.y)));
  }
}

// Above 60 vertices a double edge is drawn visibly wider than a single one: more ink across it.
TEST(LargeBigraphs, MultipleEdgesThicker) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request;
  request.input = drawtest::matrixOf(61, shapes::pathEdges(61));
  request.input[0][1] = BigInteger(-2);
  request.output = folder.file("large.png");
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0);
  const Scene scene = buildScene(request);
  const drawtest::Pixels pixels(request.output);
  // Ink along a short line across the middle of edge e.
  const auto inkAcross = [&](const SceneEdge& e) {
    const Point a = scene.toPixels(scene.panels[0].vertices[e.from].at);
    const Point b = scene.toPixels(scene.panels[0].vertices[e.to].at);
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const Point across{-(b.y - a.y) / length, (b.x - a.x) / length};
    double ink = 0;
    for (double t = -4; t <= 4; t += 0.25)
      ink += drawtest::inkAt(pixels.at((a.x + b.x) / 2 + t * across.x, (a.y + b.y) / 2 + t * across.y));
    return ink;
  };
  const SceneEdge& doubled = scene.panels[0].edges[0];
  ASSERT_TRUE(doubled.thick);
  EXPECT_FALSE(scene.panels[0].edges[1].thick);
  EXPECT_GT(inkAcross(doubled), 1.8 * inkAcross(scene.panels[0].edges[1]));
}

TEST(Labels, LongEntriesAbbreviatedWithTheirLength) {
  const std::pair<std::string, std::string> cases[] = {
      {"7", "7"},
      {"-123456789012", "-123456789012"},
      {"1234567890123", "12345...123 (13 digits)"},
      {"-" + std::string(401, '9') + "8", "-99999...998 (402 digits)"},
  };
  for (const auto& [entry, label] : cases) EXPECT_EQ(labelOf(stringToBigInteger(entry)), label);
  DrawRequest request = pathRequest("x.svg");
  request.input[0][1] = stringToBigInteger("-" + std::string(300, '7'));
  EXPECT_EQ(buildScene(request).panels[0].edges[0].multiplicity, "77777...777 (300 digits)");
}

TEST(Labels, NoneDropsTheNumbersButKeepsDiagonalEntries) {
  DrawRequest request = pathRequest("x.svg");
  request.input[2][2] = BigInteger(0);
  request.input[0][1] = BigInteger(3);
  request.options.labels = Labels::None;
  const Scene scene = buildScene(request);
  for (const SceneVertex& v : scene.panels[0].vertices) EXPECT_TRUE(v.number.empty());
  EXPECT_EQ(scene.panels[0].vertices[2].diagonal, "0");
  EXPECT_EQ(scene.panels[0].edges[0].multiplicity, "3");
  EXPECT_FALSE(scene.panels[0].edges[0].solid);
}

TEST(Layouts, InputOnTheCircleResultInItsShapeUnlessAskedOtherwise) {
  DrawRequest request = pathRequest("x.svg");
  request.result = request.input.clone();
  request.options.state = State::Both;
  const Scene byDefault = buildScene(request);
  // The input's path lies on the circle: its vertices are not collinear; the result's are.
  EXPECT_NE(byDefault.panels[0].vertices[0].at.y, byDefault.panels[0].vertices[1].at.y);
  EXPECT_EQ(byDefault.panels[1].vertices[0].at.y, byDefault.panels[1].vertices[3].at.y);
  request.options.layout = LayoutChoice::Circle;
  EXPECT_NE(buildScene(request).panels[1].vertices[0].at.y, buildScene(request).panels[1].vertices[1].at.y);
  request.options.layout = LayoutChoice::Shape;
  EXPECT_EQ(buildScene(request).panels[0].vertices[0].at.y, buildScene(request).panels[0].vertices[3].at.y);
}

TEST(OptionWords, ParsedExactly) {
  EXPECT_EQ(parseState("both"), State::Both);
  EXPECT_FALSE(parseState("Both"));
  EXPECT_EQ(parseLayout("shape"), LayoutChoice::Shape);
  EXPECT_FALSE(parseLayout("tree"));
  EXPECT_EQ(parseLabels("none"), Labels::None);
  EXPECT_FALSE(parseLabels(""));
}

TEST(OptionWords, Sizes) {
  struct Case {
    std::string text;
    bool ok;
    int width, height;
  };
  for (const Case& c : std::vector<Case>{{"800x600", true, 800, 600},
                                         {"500", true, 500, 500},
                                         {"400x100", true, 400, 100},
                                         {"50", true, 50, 50},
                                         {"49x600", false, 0, 0},
                                         {"0x10", false, 0, 0},
                                         {"10x", false, 0, 0},
                                         {"x10", false, 0, 0},
                                         {"-5", false, 0, 0},
                                         {"12.5", false, 0, 0},
                                         {"40000", false, 0, 0},
                                         {"99999999999999", false, 0, 0}}) {
    int w = 0, h = 0;
    EXPECT_EQ(parseSize(c.text, w, h), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(w, c.width) << c.text;
      EXPECT_EQ(h, c.height) << c.text;
    }
  }
}

TEST(Formats, FromTheExtensionInAnyCase) {
  EXPECT_EQ(formatOf("a/b.SVG"), Format::Svg);
  EXPECT_EQ(formatOf("b.pdf"), Format::Pdf);
  EXPECT_EQ(formatOf("b.Png"), Format::Png);
  EXPECT_EQ(formatOf("paper/fig.tex"), Format::Tikz);
  EXPECT_THROW(formatOf("b.eps"), DrawError);
  EXPECT_THROW(formatOf(".png"), DrawError);  // a hidden file named ".png" has no extension
}

}  // namespace
}  // namespace bigraph::draw

namespace bigraph::draw {
namespace {

TEST(TinyBigraphs, NoneOneAndTwoVerticesAreDrawnInEveryFormat) {
  drawtest::ScratchFolder folder("bigraph-draw");
  for (int n : {0, 1, 2}) {
    for (const char* extension : {".svg", ".pdf", ".png", ".tex"}) {
      DrawRequest request;
      request.input = drawtest::matrixOf(n, n == 2 ? shapes::Edges{{0, 1, 2}} : shapes::Edges{});
      request.result = request.input.clone();
      request.options.state = State::Both;
      request.output = folder.file("tiny" + std::to_string(n) + extension);
      std::ostringstream err;
      EXPECT_EQ(runDraw(request, err), 0) << n << extension << ": " << err.str();
      EXPECT_TRUE(std::filesystem::file_size(request.output) > 0) << n << extension;
    }
  }
}

}  // namespace
}  // namespace bigraph::draw
