// Tests of the run loop and sequence driven directly, with a terminal that never waits.
#include "Run.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "GramTestHelpers.h"
#include "OutputCapture.h"

using namespace core;
using namespace console;

namespace {

using gramtest::makeBigraph;

int occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

TEST(RunLoop, PlainTerminalClearsWithALineBreakAndNeverWaits) {
  CapturedOut captured;
  const Terminal terminal = Terminal::plain();
  EXPECT_FALSE(terminal.interactive());
  terminal.clearScreen(captured.out());
  terminal.waitForKey(captured.out());
  EXPECT_EQ(captured.text(), "\n");
}

TEST(RunLoop, RecordsEveryInflationAndStopsAtTheBound) {
  CapturedOut captured;
  const Terminal terminal = Terminal::plain();
  Console console{captured.out(), terminal};
  auto bigraph = makeBigraph({{1, -1, 1, -1}, {0, 1, -1, 1}, {0, 0, 1, -1}, {0, 0, 0, 1}});
  RunResult all = inflations(*bigraph, 0, 0, 0, 0, console);
  ASSERT_EQ(all.performed.size(), 2u);
  EXPECT_EQ(all.performed.at(0).i, 0);
  EXPECT_EQ(all.performed.at(0).j, 2);
  EXPECT_EQ(all.performed.at(1).i, 1);
  EXPECT_EQ(all.performed.at(1).j, 3);
  EXPECT_FALSE(all.integerError);
  EXPECT_EQ(occurrences(captured.text(), "Inflation no.: "), 1);  // the final display only

  auto again = makeBigraph({{1, -1, 1, -1}, {0, 1, -1, 1}, {0, 0, 1, -1}, {0, 0, 0, 1}});
  RunResult one = inflations(*again, 1, 1, 0, 0, console);
  EXPECT_EQ(one.performed.size(), 1u);
}

TEST(RunLoop, IntegerErrorEndsTheRunAndKeepsTheList) {
  CapturedOut captured;
  const Terminal terminal = Terminal::plain();
  Console console{captured.out(), terminal};
  auto bigraph = makeBigraph({{1, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  RunResult result = inflations(*bigraph, 0, 0, 0, 0, console);
  ASSERT_TRUE(result.integerError);
  EXPECT_EQ(*result.integerError, "BigInteger::operator /: division by zero");
  EXPECT_EQ(result.performed.size(), 1u);
  const std::string text = captured.text();
  EXPECT_EQ(result.errorContext.value_or(""),
            "vertex 2 has diagonal entry 0, so the inflation on [2, 3] divides by zero.");
  const std::string end =
      "Inflation no.: 1\n"
      "Error: vertex 2 has diagonal entry 0, so the inflation on [2, 3] divides by zero.\n"
      "Error: BigInteger::operator /: division by zero\n";
  ASSERT_GE(text.size(), end.size());
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
}

// Each inflation of this bigraph leaves another dotted edge: the run never ends by itself.
std::unique_ptr<Bigraph> endlessBigraph() {
  return makeBigraph({{1, 2, 0}, {0, 1, 2}, {0, 0, 1}});
}

// A console without waits whose output goes to /dev/full, where every write fails with
// ENOSPC. The file is opened first and closed last, after the output's final flush.
struct FullDeviceConsole {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{std::fopen("/dev/full", "w"), &std::fclose};
  Out out{file.get(), 256};
  const Terminal terminal = Terminal::plain();
  Console console{out, terminal};
};

TEST(RunLoop, FailedWriteStopsTheRun) {
  FullDeviceConsole full;
  ASSERT_NE(full.file, nullptr);
  auto bigraph = endlessBigraph();
  // The bound only keeps a broken stop from hanging the test.
  RunResult result = inflations(*bigraph, 1, 10000000, 0, 0, full.console);
  EXPECT_TRUE(full.out.failed());
  EXPECT_EQ(full.out.error(), ENOSPC);
  EXPECT_LT(result.performed.size(), 100u);
  EXPECT_FALSE(result.integerError);
}

TEST(RunSequence, FailedWriteBeforeTheRunLeavesItOut) {
  FullDeviceConsole full;
  ASSERT_NE(full.file, nullptr);
  // Left out, the run takes no time; made, its 10^8 inflations would take many seconds.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runSequence(endlessBigraph(), RunParameters{0, 100000000, 0, 0}, full.console), 4);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Output, CountsPrintInFull) {
  CapturedOut captured;
  captured.out().writeCount(4294967297ull);
  captured.out().put(' ');
  captured.out().writeCount(18446744073709551615ull);
  EXPECT_EQ(captured.text(), "4294967297 18446744073709551615");
}

TEST(RunSequence, ExitStatusOfEachEnd) {
  const Terminal terminal = Terminal::plain();
  {
    CapturedOut captured;
    Console console{captured.out(), terminal};
    EXPECT_EQ(runSequence(makeBigraph({{1, 1}, {0, 1}}), RunParameters{}, console), 0);
    EXPECT_NE(captured.text().find("[1, 2]"), std::string::npos);
  }
  {
    CapturedOut captured;
    Console console{captured.out(), terminal};
    auto zeroDiagonal = makeBigraph({{0, 1, 0}, {0, 1, 0}, {0, 0, 1}});
    EXPECT_EQ(runSequence(std::move(zeroDiagonal), RunParameters{}, console), 3);
  }
}

}  // namespace
