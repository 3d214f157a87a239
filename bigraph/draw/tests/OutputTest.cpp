// The four formats for the Nakayama bigraph A_6(3) and its E_6 result: the pictures read back
// as pixels (SVG through rsvg-convert, PDF through pdftoppm) and the TikZ compiled by pdflatex.
#include <gtest/gtest.h>

#include <regex>

#include "DrawTestHelpers.h"

using namespace bigraph;

namespace bigraph::draw {
namespace {

using drawtest::Pixels;

DrawRequest nakayamaRequest(State state, const std::string& output) {
  DrawRequest request;
  request.input = drawtest::nakayama(6, 3);
  request.result = drawtest::lastDottedResult(request.input);
  request.output = output;
  request.options.state = state;
  return request;
}

// The fraction of points along the edge, away from its ends and its middle (where a
// multiplicity label may stand), that have the edge's colour.
double edgeColourShare(const Pixels& pixels, Point a, Point b, bool (*colour)(drawtest::Rgb)) {
  int hits = 0, samples = 0;
  for (double t = 0.15; t <= 0.85; t += 0.005) {
    if (t > 0.38 && t < 0.62) continue;
    ++samples;
    hits += colour(pixels.at(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y))) ? 1 : 0;
  }
  return static_cast<double>(hits) / samples;
}

// Every vertex where the scene puts it, each edge in its style: solid edges blue along their
// whole length, dotted ones orange with gaps.
void expectPictureOfScene(const Pixels& pixels, const Scene& scene) {
  ASSERT_TRUE(pixels.ok());
  EXPECT_NEAR(pixels.width(), scene.width, 1);
  EXPECT_NEAR(pixels.height(), scene.height, 1);
  int solid = 0, dotted = 0;
  for (const Panel& panel : scene.panels) {
    for (std::size_t v = 0; v < panel.vertices.size(); ++v) {
      const Point p = scene.toPixels(panel.vertices[v].at);
      EXPECT_TRUE(drawtest::isDark(pixels.at(p.x + scene.vertexRadius * 0.5, p.y)))
          << panel.name << v + 1 << " at " << p.x << "," << p.y;
      EXPECT_FALSE(drawtest::isDark(pixels.at(p.x + scene.vertexRadius * 3, p.y + scene.vertexRadius * 3)));
    }
    for (const SceneEdge& e : panel.edges) {
      const Point a = scene.toPixels(panel.vertices[e.from].at);
      const Point b = scene.toPixels(panel.vertices[e.to].at);
      const std::string edge = panel.name + std::to_string(e.from + 1) + "-" + std::to_string(e.to + 1);
      if (e.solid) {
        ++solid;
        EXPECT_GT(edgeColourShare(pixels, a, b, drawtest::isSolidBlue), 0.8) << edge;
        EXPECT_LT(edgeColourShare(pixels, a, b, drawtest::isDottedOrange), 0.1) << edge;
      } else {
        ++dotted;
        const double share = edgeColourShare(pixels, a, b, drawtest::isDottedOrange);
        EXPECT_GT(share, 0.35) << edge;
        EXPECT_LT(share, 0.85) << edge << " has no gaps";
        EXPECT_LT(edgeColourShare(pixels, a, b, drawtest::isSolidBlue), 0.15) << edge;
      }
    }
  }
  EXPECT_GT(solid, 0);
  if (scene.panels.front().name == "v") {
    EXPECT_GT(dotted, 0);
  }
}

TEST(NakayamaPictures, TheRunEndsInE6) {
  const DrawRequest request = nakayamaRequest(State::Both, "x.png");
  EXPECT_EQ(recognizeShape(structureOf(*request.result)).name, "E_6");
  // The input has both kinds of edges, so both styles are exercised.
  const Scene scene = buildScene(request);
  bool dotted = false;
  for (const SceneEdge& e : scene.panels[0].edges) dotted = dotted || !e.solid;
  EXPECT_TRUE(dotted);
  EXPECT_EQ(scene.caption, "result: Dynkin graph E_6");
}

struct FormatCase {
  std::string label;
  std::string extension;
  State state;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.label; }

class CairoFormatTest : public ::testing::TestWithParam<FormatCase> {};

// The picture as pixels: the PNG itself, the SVG through rsvg-convert, the PDF at 72 dpi.
std::string rasterised(const std::string& file, const std::string& extension,
                       const drawtest::ScratchFolder& folder) {
  if (extension == ".png" || extension == ".PNG") return file;
  const std::string png = folder.file("raster.png");
  if (extension == ".svg") {
    EXPECT_EQ(drawtest::runCommand("rsvg-convert -o '" + png + "' '" + file + "'"), 0);
  } else {
    const std::string stem = folder.file("raster");
    EXPECT_EQ(drawtest::runCommand("pdftoppm -r 72 -png -singlefile '" + file + "' '" + stem + "'"), 0);
  }
  return png;
}

TEST_P(CairoFormatTest, VerticesAndBothEdgeStylesWhereTheSceneHasThem) {
  const FormatCase& c = GetParam();
  drawtest::ScratchFolder folder("bigraph-draw");
  const std::string file = folder.file("picture" + c.extension);
  const DrawRequest request = nakayamaRequest(c.state, file);
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  const Pixels pixels(rasterised(file, c.extension, folder));
  expectPictureOfScene(pixels, buildScene(request));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, CairoFormatTest,
    ::testing::Values(FormatCase{"SvgInput", ".svg", State::Input},
                      FormatCase{"SvgResult", ".svg", State::Result},
                      FormatCase{"PdfInput", ".pdf", State::Input},
                      FormatCase{"PdfBoth", ".pdf", State::Both},
                      FormatCase{"PngInput", ".png", State::Input},
                      FormatCase{"PngResult", ".png", State::Result},
                      FormatCase{"PngBoth", ".PNG", State::Both}),
    [](const auto& info) { return info.param.label; });

TEST(PdfOutput, IsAVectorDocument) {
  drawtest::ScratchFolder folder("bigraph-draw");
  const std::string file = folder.file("picture.pdf");
  std::ostringstream err;
  ASSERT_EQ(runDraw(nakayamaRequest(State::Both, file), err), 0);
  const std::string pdf = drawtest::readFile(file);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  // No embedded image: the edges and vertices are paths.
  EXPECT_EQ(pdf.find("/Subtype /Image"), std::string::npos);
}

TEST(SvgOutput, IsVectorAndSizedInPixels) {
  drawtest::ScratchFolder folder("bigraph-draw");
  const std::string file = folder.file("picture.svg");
  std::ostringstream err;
  const DrawRequest request = nakayamaRequest(State::Input, file);
  ASSERT_EQ(runDraw(request, err), 0);
  const std::string svg = drawtest::readFile(file);
  const Scene scene = buildScene(request);
  EXPECT_NE(svg.find("width=\"" + std::to_string(static_cast<int>(scene.width)) + "\""), std::string::npos)
      << svg.substr(0, 300);
  EXPECT_EQ(svg.find("<image"), std::string::npos);
  EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
}

TEST(HollowVertices, ShowTheirDiagonalEntry) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request;
  request.input = drawtest::matrixOf(3, shapes::pathEdges(3));
  request.input[1][1] = BigInteger(3);
  request.output = folder.file("hollow.png");
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0);
  const Scene scene = buildScene(request);
  EXPECT_EQ(scene.panels[0].vertices[1].diagonal, "3");
  EXPECT_TRUE(scene.panels[0].vertices[1].hollow);
  EXPECT_TRUE(scene.panels[0].vertices[0].diagonal.empty());
  const Pixels pixels(request.output);
  const Point hollow = scene.toPixels(scene.panels[0].vertices[1].at);
  const Point filled = scene.toPixels(scene.panels[0].vertices[0].at);
  EXPECT_FALSE(drawtest::isDark(pixels.at(hollow.x, hollow.y)));
  EXPECT_TRUE(drawtest::isDark(pixels.at(filled.x, filled.y)));
}

TEST(TikzOutput, NamedStylesAndCoordinatesRoundedToThreeDecimals) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = nakayamaRequest(State::Both, folder.file("picture.tex"));
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0) << err.str();
  const std::string tex = drawtest::readFile(request.output);
  EXPECT_EQ(tex.rfind("\\begin{tikzpicture}", 0), 0u);
  EXPECT_EQ(tex.find("\\documentclass"), std::string::npos);
  for (const char* style : {"solid edge", "dotted edge", "vertex", "caption"})
    EXPECT_NE(tex.find("\\bigraphdefaultstyle{" + std::string(style) + "}"), std::string::npos) << style;
  EXPECT_NE(tex.find("\\draw[dotted edge] (v"), std::string::npos);
  EXPECT_NE(tex.find("\\draw[solid edge] (r"), std::string::npos);
  EXPECT_NE(tex.find("$E_{6}$"), std::string::npos);
  const std::regex coordinate("at \\((-?[0-9]+\\.[0-9]+),(-?[0-9]+\\.[0-9]+)\\)");
  int coordinates = 0;
  for (std::sregex_iterator it(tex.begin(), tex.end(), coordinate), end; it != end; ++it) {
    ++coordinates;
    for (int k : {1, 2}) EXPECT_EQ((*it)[k].str().size() - (*it)[k].str().find('.'), 4u) << (*it)[0];
  }
  EXPECT_GE(coordinates, 12);
}

// Ink counts of the page of a compiled TikZ picture.
struct PageColours {
  int dark = 0, orange = 0, blue = 0, red = 0;
};

PageColours compiledColours(const drawtest::ScratchFolder& folder, const std::string& document) {
  const std::string command = "cd '" + folder.path().string() + "' && pdflatex -interaction=nonstopmode "
                              "-halt-on-error " + document + ".tex > latex.log 2>&1";
  EXPECT_EQ(drawtest::runCommand(command), 0) << drawtest::readFile(folder.file("latex.log"));
  const std::string png = folder.file("page");
  EXPECT_EQ(drawtest::runCommand("pdftoppm -r 72 -png -singlefile '" + folder.file(document + ".pdf") +
                                 "' '" + png + "'"), 0);
  const Pixels pixels(png + ".png");
  EXPECT_TRUE(pixels.ok());
  PageColours count;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const drawtest::Rgb c = pixels.at(x, y);
      count.dark += drawtest::isDark(c) ? 1 : 0;
      count.orange += drawtest::isDottedOrange(c) ? 1 : 0;
      count.blue += drawtest::isSolidBlue(c) ? 1 : 0;
      count.red += c.r > 200 && c.g < 60 && c.b < 60 ? 1 : 0;
    }
  return count;
}

// The README's restyling: a paper's \tikzset before the picture wins over its default style.
TEST(TikzOutput, StylesTheDocumentSetsWin) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = nakayamaRequest(State::Both, folder.file("fig.tex"));
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0) << err.str();
  std::ofstream(folder.file("paper.tex"))
      << "\\documentclass{article}\n\\usepackage{tikz}\n"
         "\\tikzset{solid edge/.style={draw=red, line width=1pt}}\n"
         "\\begin{document}\n\\input{fig}\n\\end{document}\n";
  const PageColours page = compiledColours(folder, "paper");
  EXPECT_GT(page.red, 50);
  EXPECT_EQ(page.blue, 0);
  EXPECT_GT(page.orange, 50);  // the styles left alone keep their defaults
  EXPECT_GT(page.dark, 12 * 5);
}

TEST(TikzOutput, StandaloneDocumentCompilesWithPdflatex) {
  drawtest::ScratchFolder folder("bigraph-draw");
  DrawRequest request = nakayamaRequest(State::Both, folder.file("picture.tex"));
  request.options.standalone = true;
  std::ostringstream err;
  ASSERT_EQ(runDraw(request, err), 0) << err.str();
  const PageColours page = compiledColours(folder, "picture");
  EXPECT_GT(page.dark, 12 * 5);
  EXPECT_GT(page.orange, 50);
  EXPECT_GT(page.blue, 50);
}

}  // namespace
}  // namespace bigraph::draw
