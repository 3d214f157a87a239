// End-to-end tests of the velorin program without a display: it says so on standard error,
// runs once as if Shift were pressed at once, and ends with the status of the run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Program.h"
#include "RunHarness.h"

namespace velorin {
namespace {

struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

std::string readFile(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string quote(const std::string& s) { return "'" + s + "'"; }

// Runs velorin with the arguments and standard input, without DISPLAY, for at most 60 s.
ProgramRun runVelorin(const std::string& args, const std::string& input = "") {
  char dir[] = "/tmp/velorin_test.XXXXXX";
  if (!mkdtemp(dir)) return {-1, "", "mkdtemp failed"};
  const std::string base = dir;
  std::ofstream(base + "/in") << input;
  const std::string command = "env -u DISPLAY timeout 60 " + quote(VELORIN_PATH) + " " + args +
                              " <" + base + "/in >" + base + "/out 2>" + base + "/err";
  const int raw = std::system(command.c_str());
  ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1,
                 testing::maskRuntime(readFile(base + "/out")), readFile(base + "/err")};
  std::system(("rm -rf " + base).c_str());
  return run;
}

const std::string kNoWindow = "velorin: no display could be opened; running without a window.\n";

TEST(Program, RunsWithoutADisplayOnceAndEndsWithZero) {
  const ProgramRun run = runVelorin("--Nakayama 4 2");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, kNoWindow);
  EXPECT_EQ(run.out,
            "Your data: display every 1 infls; max 0 infls; wait 0 milis.; thick lines: 1; "
            "algorithm: 2; print: 1.\n"
            "(<Esc> terminates computation.)\n"
            "Zaruzivedo:\n[2, 4], [1, 3]\n2 inflations\n"
            "Properties of the resulting (bi)graph:\n"
            " -) #dotted edges: 0\n"
            " -) #solid edges:  3\n"
            " -) multiple edges: no\n"
            " -) connected: yes\n"
            " -) loop-free: yes\n"
            " -) shape: Dynkin graph A_4 \n"
            " -) definiteness: positive\n"
            "Runtime: T sec.\n");
}

TEST(Program, HelpAndBadArgumentsOpenNoWindow) {
  const ProgramRun help = runVelorin("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.substr(help.out.size() - 6), "Enjoy!");
  const ProgramRun bad = runVelorin("--help x");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "");
  EXPECT_EQ(bad.out, "Bad arguments, run \"inflations --help\" to see documentation.\n");
}

TEST(Program, ArgumentsAreTakenAsUtf8Bytes) {
  const ProgramRun run = runVelorin("--Nakayama 3 1 \"$(printf '0\\305\\274')\" 0");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("display every 0 infls"), std::string::npos) << run.out;
  const ProgramRun word = runVelorin("\"$(printf '%s\\305\\274' --Nakayama)\" 3 1");
  EXPECT_EQ(word.status, 1);
}

TEST(Program, BadDialogueInputEndsWithOne) {
  const ProgramRun run = runVelorin("", "3\n1 0 x\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  const std::string line = "Error: Expected an integer for entry (1, 3), but read \"x\".\n";
  ASSERT_GE(run.out.size(), line.size());
  EXPECT_EQ(run.out.substr(run.out.size() - line.size()), line);
}

TEST(Program, IntegerLayerErrorDuringTheRunEndsWithThree) {
  const ProgramRun run = runVelorin("", "3\n0 1 0\n0 1 0\n0 0 1\n1\n0\n0\n1\n2\n1\n");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, kNoWindow);
  EXPECT_NE(run.out.find("Zaruzivedo:\n\n"
                         "Error: vertex 1 has diagonal entry 0, so the inflation on [1, 2] "
                         "divides by zero.\n"
                         "Error: BigInteger::operator /: division by zero\n"
                         "0 inflations\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Runtime: T sec.\n"), std::string::npos);
}

// runOnWindow on the offscreen canvas, whose keys read as up unless the test says otherwise.
struct WindowRun {
  explicit WindowRun(const std::vector<std::string>& args) : harness(args) {
    harness.canvas.setKey(platform::Key::Shift, false);
  }
  int run() { return runOnWindow(harness.canvas, harness.state, out); }
  testing::RunHarness harness;
  std::ostringstream out;
};

TEST(ProgramWindow, DisplayLostWhileWaitingRunsAtOnceAndEndsWithFive) {
  WindowRun w({"--Nakayama", "4", "2"});
  w.harness.canvas.setKeyScript([&](platform::Key, std::uint64_t read) {
    if (read == 3) w.harness.canvas.loseDisplay();
    return false;
  });
  EXPECT_EQ(w.run(), kDisplayLostStatus);
  EXPECT_NE(testing::maskRuntime(w.out.str()).find("2 inflations\n"), std::string::npos);
}

TEST(ProgramWindow, CloseWhileWaitingEndsWithZeroAndPrintsNothing) {
  WindowRun w({"--Nakayama", "4", "2"});
  w.harness.canvas.queueCloseRequest();
  EXPECT_EQ(w.run(), 0);
  EXPECT_EQ(w.out.str(), "");
}

TEST(ProgramWindow, CloseAndKeyPressGivenDuringTheRunAreDropped) {
  WindowRun w({"--Nakayama", "4", "2", "1", "0", "0", "1", "2", "0"});
  // Shift starts the run; Escape is first read inside it, when both arrive.
  w.harness.canvas.setKeyScript([&](platform::Key key, std::uint64_t) {
    if (key == platform::Key::Escape) {
      w.harness.canvas.queueCloseRequest();
      w.harness.canvas.queueShiftPress();
    }
    return key == platform::Key::Shift;
  });
  EXPECT_EQ(w.run(), 0);
  EXPECT_EQ(w.harness.canvas.takeEvents().closeRequested, false);
  EXPECT_EQ(w.harness.canvas.takeEvents().shiftPressed, false);
}

}  // namespace
}  // namespace velorin
