// `bigraph draw` run as a program: inputs and run options as for classify, the file written or
// refused with status 1 (4 when the writing fails) and nothing left behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "DrawTestHelpers.h"

using namespace bigraph;

namespace {

struct Outcome {
  int status;
  std::string err;
};

Outcome runBigraph(const std::string& arguments, const drawtest::ScratchFolder& folder) {
  const std::string errFile = folder.path().parent_path().string() + "/" +
                              folder.path().filename().string() + ".err";
  const int raw = std::system((std::string(BIGRAPH_PATH) + " " + arguments + " > /dev/null 2> '" + errFile + "'").c_str());
  Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, drawtest::readFile(errFile)};
  std::remove(errFile.c_str());
  return outcome;
}

TEST(DrawCommand, NakayamaBothSideBySideAsPng) {
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  const std::string file = folder.file("both.png");
  const Outcome o = runBigraph("draw --nakayama 6 3 --state both --output '" + file + "'", folder);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  const drawtest::Pixels pixels(file);
  ASSERT_TRUE(pixels.ok());
  EXPECT_GT(pixels.width(), pixels.height());
}

TEST(DrawCommand, ResultFromAFileWithRunOptionsAsSvg) {
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  std::ofstream(folder.file("a3.txt")) << "1 1 0\n0 1 -1\n0 0 1\n";
  const std::string file = folder.file("result.svg");
  const Outcome o = runBigraph("draw '" + folder.file("a3.txt") + "' --rule first --state result -o '" +
                                   file + "' --layout shape --labels none --size 300x200",
                               folder);
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string svg = drawtest::readFile(file);
  EXPECT_NE(svg.find("width=\"300\""), std::string::npos) << svg.substr(0, 200);
}

TEST(DrawCommand, StandaloneTikz) {
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  const std::string file = folder.file("picture.tex");
  const Outcome o = runBigraph("draw --nakayama 5 2 --standalone --scale 30 -o '" + file + "'", folder);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(drawtest::readFile(file).rfind("\\documentclass[tikz", 0), 0u);
}

// A result drawn without a run is the input: said on standard error, unless a run is made.
TEST(DrawCommand, AResultWithoutARunIsSaidToBeTheInput) {
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  std::ofstream(folder.file("indefinite.txt")) << "1 -2 0\n0 1 -2\n0 0 1\n";
  const std::string input = "draw '" + folder.file("indefinite.txt") + "' -o '" + folder.file("x.png") + "' ";
  struct Case {
    std::string options;
    std::string note;  // empty: no note
  };
  for (const Case& c : {Case{"--state result", "no inflation run: this bigraph is indefinite"},
                        Case{"--state both", "no inflation run: this bigraph is indefinite"},
                        Case{"--state result --max-steps 5", ""},
                        Case{"--state input", ""}}) {
    const Outcome o = runBigraph(input + c.options, folder);
    EXPECT_EQ(o.status, 0) << c.options << ": " << o.err;
    if (c.note.empty()) EXPECT_EQ(o.err, "") << c.options;
    else EXPECT_NE(o.err.find("bigraph: note: " + c.note), std::string::npos) << c.options << ": " << o.err;
  }
  const Outcome skipped = runBigraph("draw --nakayama 5 2 --no-run --state result -o '" +
                                         folder.file("y.png") + "'", folder);
  EXPECT_NE(skipped.err.find("no inflation run (--no-run)"), std::string::npos) << skipped.err;
}

// classify's shape and draw's caption are the same words: a run on two components.
TEST(DrawCommand, CaptionWordsTheShapeAsClassifyDoes) {
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  std::ofstream(folder.file("apart.txt")) << "1 1 -1 0 0\n0 1 -1 0 0\n0 0 1 0 0\n0 0 0 1 -1\n0 0 0 0 1\n";
  const std::string picture = folder.file("apart.tex");
  const Outcome o = runBigraph("draw '" + folder.file("apart.txt") + "' --state both -o '" + picture + "'", folder);
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string json = folder.file("apart.json");
  ASSERT_EQ(drawtest::runCommand(std::string(BIGRAPH_PATH) + " classify '" + folder.file("apart.txt") +
                                 "' --format json > '" + json + "'"), 0);
  EXPECT_NE(drawtest::readFile(json).find("\"shape\": \"not connected (2 components)\""), std::string::npos)
      << drawtest::readFile(json);
  EXPECT_NE(drawtest::readFile(picture).find("result: not connected (2 components), 1 inflation"),
            std::string::npos);
}

struct Refusal {
  std::string label;
  std::string arguments;  // FOLDER stands for the scratch folder
  int status;
  std::string message;
};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.label; }

class DrawRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(DrawRefusalTest, StatusMessageAndNoFile) {
  const Refusal& r = GetParam();
  drawtest::ScratchFolder folder("bigraph-draw-cli");
  std::string arguments = r.arguments;
  for (std::size_t at; (at = arguments.find("FOLDER")) != std::string::npos;)
    arguments.replace(at, 6, folder.path().string());
  const Outcome o = runBigraph(arguments, folder);
  EXPECT_EQ(o.status, r.status) << o.err;
  EXPECT_NE(o.err.find(r.message), std::string::npos) << o.err;
  EXPECT_EQ(folder.entries(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, DrawRefusalTest,
    ::testing::Values(
        Refusal{"UnknownExtension", "draw --nakayama 6 3 -o FOLDER/x.jpg", 1, "unknown picture format"},
        Refusal{"MissingFolder", "draw --nakayama 6 3 -o FOLDER/no/x.png", 4, "cannot write"},
        Refusal{"NoOutput", "draw --nakayama 6 3", 1, "--output"},
        Refusal{"BadState", "draw --nakayama 6 3 --state sideways -o FOLDER/x.png", 1, "sideways"},
        Refusal{"BadSize", "draw --nakayama 6 3 --size 10y10 -o FOLDER/x.png", 1, "WIDTHxHEIGHT"},
        Refusal{"SizeBelowTheSmallest", "draw --nakayama 6 3 --size 400x49 -o FOLDER/x.png", 1, "50"},
        Refusal{"BadInput", "draw FOLDER/missing.txt -o FOLDER/x.png", 2, "missing.txt"}),
    [](const auto& info) { return info.param.label; });

}  // namespace
