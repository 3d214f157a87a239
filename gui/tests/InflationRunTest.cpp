// Tests of the interactive run on the offscreen canvas with scripted keys: whole standard
// outputs, redraws, the bound, Escape, a second paint, the final picture and run errors.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "Primitives.h"
#include "RunHarness.h"

using namespace core;

namespace velorin {
namespace {

using testing::RunHarness;
using testing::TextCall;

const std::string kRuntime = "Runtime: T sec.\n";

// The report of the path A_n on n vertices.
std::string pathReport(int n) {
  return "Properties of the resulting (bi)graph:\n"
         " -) #dotted edges: 0\n"
         " -) #solid edges:  " + std::to_string(n - 1) + "\n"
         " -) multiple edges: no\n"
         " -) connected: yes\n"
         " -) loop-free: yes\n"
         " -) shape: Dynkin graph A_" + std::to_string(n) + " \n"
         " -) definiteness: positive\n";
}

// The pairs and the report of an independent run of the same rule on the same bigraph, for
// outputs whose report depends on where the run stopped.
struct Reference {
  std::vector<Coeffs> pairs;
  std::string report;
  std::string shape;
};

Reference referenceRun(const std::vector<std::string>& args, int steps,
                       const std::string& input = "") {
  RunHarness h(args, input);
  Reference ref;
  Bigraph& b = *h.state.bigraph;
  for (int k = 0; k < steps; ++k) {
    const Coeffs c = b.chooseDottedEdge(windowEdgeRule(h.state.params.findDottedEdgeAlgorithm));
    if (c.i == kNoEdge) break;
    b.inflation(c);
    ref.pairs.push_back(c);
  }
  b.recognizeBigraphProperties();
  std::ostringstream report;
  ref.shape = b.describeProperties(static_cast<int>(ref.pairs.size()), h.state.params.UIDFpos,
                                   report);
  ref.report = report.str();
  return ref;
}

std::string pairText(const Coeffs& c) {
  char text[32];
  std::snprintf(text, sizeof text, "[%d, %d]", c.i + 1, c.j + 1);
  return text;
}

TEST(Run, BigraphWithoutDottedEdges) {
  RunHarness h({"--Nakayama", "3", "1"});
  EXPECT_EQ(h.paint(),
            "Zaruzivedo:\n\n0 inflations\n"
            "Properties of the resulting (bi)graph:\n"
            " -) #dotted edges: 0\n"
            " -) #solid edges:  0\n"
            " -) multiple edges: no\n"
            " -) connected: no\n"
            " -) loop-free: yes\n"
            " -) shape: not recognized\n"
            " -) definiteness: unknown \n" +
                kRuntime);
  EXPECT_EQ(h.headers(), (std::vector<std::string>{"Your bigraph:", "Inflation no.: 0"}));
  EXPECT_EQ(h.state.gl_counter, 0);
}

TEST(Run, NakayamaFourTwoWithTheLastDottedEdgeRule) {
  RunHarness h({"--Nakayama", "4", "2"});
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n[2, 4], [1, 3]\n2 inflations\n" + pathReport(4) + kRuntime);
  EXPECT_EQ(h.state.gl_counter, 2);
  EXPECT_EQ(h.surface->countText("Dynkin graph A_4 "), 1);
}

TEST(Run, WithoutPrintingOnlyTheCountLine) {
  RunHarness h({"--Nakayama", "4", "2", "1", "0", "0", "1", "2", "0"});
  EXPECT_EQ(h.paint(), "Computation in progress...\n2 inflations\n" + pathReport(4) + kRuntime);
}

TEST(Run, EightInflationsPrintSevenPairsPerLine) {
  const std::vector<std::string> args = {"--Nakayama", "12", "2", "1", "8", "0"};
  const Reference ref = referenceRun(args, 8);
  ASSERT_EQ(ref.pairs.size(), 8u);
  std::string pairs = pairText(ref.pairs[0]);
  for (int k = 1; k < 7; ++k) pairs += ", " + pairText(ref.pairs[k]);
  pairs += ",\n" + pairText(ref.pairs[7]);
  RunHarness h(args);
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n" + pairs + "\n8 inflations\n" + ref.report + kRuntime);
  EXPECT_EQ(h.surface->countText(ref.shape), 1);
}

TEST(Run, BoundOfThreeStopsAfterThree) {
  const std::vector<std::string> args = {"--Nakayama", "9", "2", "1", "3", "0"};
  const Reference ref = referenceRun(args, 3);
  RunHarness h(args);
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n" + pairText(ref.pairs[0]) + ", " + pairText(ref.pairs[1]) +
                           ", " + pairText(ref.pairs[2]) + "\n3 inflations\n" + ref.report +
                           kRuntime);
  EXPECT_EQ(h.state.bigraph->chooseDottedEdge(EdgeRule(2)).i == kNoEdge, false);
}

TEST(Run, EverySecondInflationRedrawnWithItsHeader) {
  RunHarness h({"--Nakayama", "9", "2", "2", "0", "100", "1", "2", "0"});
  const Reference ref = referenceRun({"--Nakayama", "9", "2", "1", "0", "0"}, 1000);
  const int total = static_cast<int>(ref.pairs.size());
  ASSERT_GE(total, 6);
  h.paint();
  EXPECT_EQ(h.run.redrawCount(), total / 2);
  std::vector<std::string> expected = {"Your bigraph:"};
  for (int k = 2; k <= total; k += 2) expected.push_back("Inflation no.: " + std::to_string(k));
  expected.push_back("Inflation no.: " + std::to_string(total));
  EXPECT_EQ(h.headers(), expected);
  // Each redraw and the final picture clear the painted area first.
  EXPECT_EQ(h.surface->fills, total / 2 + 1);
}

TEST(Run, KZeroDrawsOnlyBeforeAndAfter) {
  RunHarness h({"--Nakayama", "9", "2", "0", "0"});
  h.paint();
  EXPECT_EQ(h.run.redrawCount(), 0);
  EXPECT_EQ(h.surface->fills, 1);
  ASSERT_EQ(h.headers().size(), 2u);
  EXPECT_EQ(h.headers()[0], "Your bigraph:");
}

// Six vertices whose run does not end by itself: dotted edges of multiplicity 2 everywhere.
const std::string kEndlessSix =
    "6\n"
    "1 2 2 2 2 2\n0 1 2 2 2 2\n0 0 1 2 2 2\n0 0 0 1 2 2\n0 0 0 0 1 2\n0 0 0 0 0 1\n";

TEST(Run, MinusTwoOnSixVerticesStopsAtTheBoundAndShowsIt) {
  RunHarness h({}, kEndlessSix + "1\n-2\n0\n1\n2\n0\n");
  ASSERT_TRUE(h.frontEnd.proceed);
  const std::string out = h.paint();
  EXPECT_NE(out.find("Computation in progress...\n30 inflations\n"), std::string::npos) << out;
  const auto headers = h.headers();
  ASSERT_FALSE(headers.empty());
  EXPECT_EQ(headers.back(), "Inflation no.: 30 / 30");
  EXPECT_EQ(headers[headers.size() - 2], "Inflation no.: 30 / 30");  // the last redraw
  EXPECT_EQ(h.run.redrawCount(), 30);
}

TEST(Run, EscapeHeldFromTheStartAllowsOneInflation) {
  const Reference ref = referenceRun({"--Nakayama", "4", "2"}, 1);
  RunHarness h({"--Nakayama", "4", "2"});
  h.canvas.setKey(platform::Key::Escape, true);
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n[2, 4]\n1 inflations\n" + ref.report + kRuntime);
}

TEST(Run, EscapeStopsAnEndlessRunLongBeforeItsBound) {
  // A(10, 3) with the last-dotted rule never runs out of dotted edges; the bound only keeps a
  // broken Escape from hanging the test.
  const int bound = 10000000;
  RunHarness h({"--Nakayama", "10", "3", "0", std::to_string(bound), "0", "0", "2", "0"});
  // Escape reads as up twice, then as down.
  h.canvas.pressAfterReads(platform::Key::Escape, 2);
  h.paint();
  const std::uint64_t reads = h.canvas.keyReads(platform::Key::Escape);
  EXPECT_EQ(reads, 3u);
  EXPECT_GE(h.state.gl_counter, 3);
  EXPECT_LT(h.state.gl_counter, bound);
  // The key is read far less often than once per iteration.
  EXPECT_LT(reads * 10, static_cast<std::uint64_t>(h.state.gl_counter));
}

TEST(Run, FailedWriteStopsAnEndlessRun) {
  // The same endless run; the output fails once the start line is written.
  const int bound = 10000000;
  RunHarness h({"--Nakayama", "10", "3", "0", std::to_string(bound), "0", "0", "2", "1"});
  h.canvas.setKeyScript([&](platform::Key key, std::uint64_t) {
    if (key == platform::Key::Escape) h.out.setstate(std::ios::badbit);
    return key == platform::Key::Shift;
  });
  h.paint();
  EXPECT_EQ(h.state.gl_counter, 1u);
}

TEST(Run, ShiftIsAwaitedBeforeAnythingRuns) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.canvas.setKey(platform::Key::Shift, false);
  h.canvas.pressAfterReads(platform::Key::Shift, 3);
  EXPECT_EQ(h.paint(false), "Zaruzivedo:\n[2, 4], [1, 3]\n2 inflations\n" + pathReport(4) + kRuntime);
  EXPECT_EQ(h.canvas.keyReads(platform::Key::Shift), 4u);
}

TEST(ShiftWait, ShortTapSeenOnlyAsAKeyEventStartsTheRun) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.canvas.setKey(platform::Key::Shift, false);  // the poll never sees the key down
  h.canvas.queueShiftPress();
  EXPECT_EQ(h.paint(false), "Zaruzivedo:\n[2, 4], [1, 3]\n2 inflations\n" + pathReport(4) + kRuntime);
}

TEST(ShiftWait, KeyIsPolledEveryFewMilliseconds) {
  RunHarness h({"--Nakayama", "4", "2"});
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> reads;
  h.canvas.setKeyScript([&](platform::Key key, std::uint64_t read) {
    if (key != platform::Key::Shift) return false;
    reads.push_back(Clock::now());
    return read >= 20;
  });
  h.paint(false);
  ASSERT_EQ(reads.size(), 21u);
  // Waits may overrun on a busy machine but never end early, so the shortest gap is at least
  // the interval asked for, however loaded the machine is.
  auto shortest = reads[1] - reads[0];
  for (std::size_t k = 2; k < reads.size(); ++k)
    shortest = std::min(shortest, reads[k] - reads[k - 1]);
  EXPECT_LT(shortest, std::chrono::milliseconds(10));
}

TEST(ShiftWait, CloseRequestEndsTheWaitWithoutARun) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.canvas.setKey(platform::Key::Shift, false);
  h.canvas.setKeyScript([&](platform::Key, std::uint64_t read) {
    if (read == 2) h.canvas.queueCloseRequest();
    return read > 1000;  // keeps a wait that ignores the request from hanging the test
  });
  EXPECT_EQ(h.paint(false), "");
  EXPECT_EQ(h.canvas.requestedStatus(), 0);
  EXPECT_EQ(h.canvas.keyReads(platform::Key::Shift), 3u);
  EXPECT_EQ(h.headers(), std::vector<std::string>{"Your bigraph:"});
}

TEST(ShiftWait, ExposureRepaintsTheStartPicture) {
  RunHarness h({"--Nakayama", "4", "2", "1", "1", "0"});
  h.canvas.setKeyScript([&](platform::Key key, std::uint64_t read) {
    if (key != platform::Key::Shift) return false;
    if (read == 0) {
      // The window is uncovered: the area comes back white, and the wait must paint it.
      h.canvas.queueExposure({0, 0, h.canvas.width(), h.canvas.height()});
      return false;
    }
    EXPECT_EQ(h.canvas.pixel(300, 120), dotted);
    EXPECT_EQ(h.surface->countText("Your bigraph:"), 2);
    return true;
  });
  h.paint(false);
  EXPECT_EQ(h.canvas.keyReads(platform::Key::Shift), 2u);
}

TEST(ShiftWait, ShiftStillHeldFromTheLastRunDoesNotStartAnother) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.paint();
  // Held down through the next paint's first 50 reads, released once, then pressed again.
  const std::uint64_t readsBefore = h.canvas.keyReads(platform::Key::Shift);
  h.canvas.setKeyScript([&](platform::Key key, std::uint64_t read) {
    return key == platform::Key::Shift && read - readsBefore != 50;
  });
  EXPECT_EQ(h.paint(false), "Zaruzivedo:\n\n0 inflations\n" + pathReport(4) + kRuntime);
  EXPECT_EQ(h.canvas.keyReads(platform::Key::Shift) - readsBefore, 52u);
}

TEST(ShiftWait, LostDisplayStartsTheRunAtOnce) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.canvas.setKeyScript([&](platform::Key, std::uint64_t read) {
    if (read == 1) h.canvas.loseDisplay();
    return false;
  });
  EXPECT_EQ(h.paint(false), "Zaruzivedo:\n[2, 4], [1, 3]\n2 inflations\n" + pathReport(4) + kRuntime);
}

TEST(Run, SecondPaintAfterACompleteRunFindsNothingAndDrawsTheSamePicture) {
  RunHarness h({"--Nakayama", "4", "2"});
  h.paint();
  const platform::RgbImage first = h.canvas.image();
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n\n0 inflations\n" + pathReport(4) + kRuntime);
  EXPECT_EQ(h.state.gl_counter, 0);
  EXPECT_EQ(h.headers(), (std::vector<std::string>{"Your bigraph:", "Inflation no.: 0"}));
  // Only the header's row of text differs.
  const platform::RgbImage& second = h.canvas.image();
  const std::size_t headerRows = 10 + 13;
  const std::size_t rowBytes = static_cast<std::size_t>(first.width) * 3;
  EXPECT_NE(first.rgb, second.rgb);
  EXPECT_TRUE(std::equal(first.rgb.begin() + headerRows * rowBytes, first.rgb.end(),
                         second.rgb.begin() + headerRows * rowBytes));
}

TEST(Run, SecondPaintAfterTheBoundContinuesWhereTheRunStopped) {
  const std::vector<std::string> args = {"--Nakayama", "4", "2", "1", "1", "0"};
  RunHarness h(args);
  EXPECT_EQ(h.paint().substr(0, 32), "Zaruzivedo:\n[2, 4]\n1 inflations\n");
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n[1, 3]\n1 inflations\n" + pathReport(4) + kRuntime);
}

TEST(FinalPicture, TextsInTheirPlaces) {
  RunHarness h({"--Nakayama", "6", "2", "0", "0"});
  h.paint();
  const auto& texts = h.surface->texts;
  ASSERT_GE(texts.size(), 5u);
  EXPECT_EQ(texts[0], (TextCall{10, 10, "Your bigraph:"}));
  EXPECT_EQ(texts[1], (TextCall{10, 390, "(Press 'Shift' key to start...)"}));
  const std::size_t last = texts.size() - 1;
  EXPECT_EQ(texts[last], (TextCall{10, 395, "Dynkin graph A_6 "}));
  EXPECT_EQ(texts[last - 1], (TextCall{10, 375, "Shape recognition: "}));
  EXPECT_EQ(h.headers().back(), "Inflation no.: " + std::to_string(h.state.gl_counter));
  // The path A_6 is drawn: vertex squares where the layout puts them, blue edges, no orange.
  const Layout layout = computeLayout(6);
  for (int q = 0; q < 6; ++q)
    EXPECT_EQ(h.canvas.pixel(layout.vertexX[q], layout.vertexY[q]), colorVertex);
  int orange = 0, blue = 0;
  for (int y = 0; y < h.canvas.height(); ++y)
    for (int x = 0; x < h.canvas.width(); ++x) {
      orange += h.canvas.pixel(x, y) == dotted;
      blue += h.canvas.pixel(x, y) == contin;
    }
  EXPECT_EQ(orange, 0);
  EXPECT_GT(blue, 0);
}

TEST(FinalPicture, StartPictureShowsTheDottedEdges) {
  RunHarness h({"--Nakayama", "4", "2", "1", "1", "0"});
  h.canvas.setKey(platform::Key::Shift, false);
  h.canvas.setKeyScript([&](platform::Key key, std::uint64_t) {
    if (key != platform::Key::Shift) return false;
    // Looked at while waiting for Shift: the start picture is complete by then.
    EXPECT_EQ(h.canvas.pixel(300, 120), dotted);  // the dotted edge 1-3 runs down the middle
    EXPECT_EQ(h.out.str(), "");
    return true;
  });
  h.paint(false);
}

TEST(RunErrors, IntegerLayerErrorEndsTheRunAndTheReportFollows) {
  // Vertex 1 has the diagonal entry 0, so the inflation on its dotted edge divides by zero.
  const std::string input = "3\n0 1 0\n0 1 0\n0 0 1\n1\n0\n0\n1\n2\n1\n";
  const Reference ref = referenceRun({}, 0, input);
  RunHarness h({}, input);
  ASSERT_TRUE(h.frontEnd.proceed);
  EXPECT_EQ(h.paint(), "Zaruzivedo:\n\n"
                       "Error: vertex 1 has diagonal entry 0, so the inflation on [1, 2] divides "
                       "by zero.\n"
                       "Error: BigInteger::operator /: division by zero\n"
                       "0 inflations\n" + ref.report + kRuntime);
  EXPECT_EQ(h.run.exitStatus(), 3);
  EXPECT_EQ(h.surface->countText(ref.shape), 1);
}

TEST(RunTexts, HeaderFormat) {
  RunParameters params;
  params.UIDFpos = 30;
  EXPECT_EQ(inflationHeader(12, params), "Inflation no.: 12");
  params.displayBeta = true;
  EXPECT_EQ(inflationHeader(12, params), "Inflation no.: 12 / 30");
  // Counts past 32 bits in full.
  EXPECT_EQ(inflationHeader(4294967297u, params), "Inflation no.: 4294967297 / 30");
  params.displayBeta = false;
  EXPECT_EQ(inflationHeader(std::uint64_t{1} << 40, params), "Inflation no.: 1099511627776");
}

TEST(EscapePolling, FirstCallAndCallsAfterARedrawReadTheKey) {
  platform::OffscreenWindow keys;
  keys.setKeyScript([](platform::Key, std::uint64_t read) { return read % 2 == 1; });
  EscapePoller escape(keys);
  EXPECT_FALSE(escape.escapeDown());
  EXPECT_EQ(escape.keyReads(), 1u);
  escape.readNextTime();
  EXPECT_TRUE(escape.escapeDown());
  EXPECT_EQ(escape.keyReads(), 2u);
  for (int k = 0; k < 1000; ++k) escape.escapeDown();
  EXPECT_LE(escape.keyReads(), 1002u);
}

}  // namespace
}  // namespace velorin
