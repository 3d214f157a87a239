// The console inflation run and the sequence around it.
#include "Run.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <new>

#include "MatrixPrint.h"
#include "RunEngine.h"
#include "RunTexts.h"

using namespace core;

namespace console {

namespace {

void showInflationCount(const Bigraph& bigraph, std::uint64_t count, Console& console) {
  console.terminal.clearScreen(console.out);
  printUpperTriangNonzero(bigraph, console.out);
  console.out.write("\nInflation no.: ");
  console.out.writeCount(count);
}

// The final display; after running out of memory the text of huge entries may not fit in what is
// left, and the display then stops short instead of ending the program.
void showFinalCount(const Bigraph& bigraph, std::uint64_t count, Console& console) {
  try {
    showInflationCount(bigraph, count, console);
  } catch (const std::bad_alloc&) {
    console.out.endLine();
  }
}

void writeRuntime(double seconds, Out& out) {
  char text[64];
  int length = std::snprintf(text, sizeof text, "\nRuntime: %.4f sec.\n", seconds);
  out.write(text, static_cast<std::size_t>(length));
}

// Records each inflation and shows the matrix every k of them; a failed write stops the run.
class ConsoleObserver : public RunObserver {
 public:
  ConsoleObserver(InflationList& performed, int k, long s, Console& console)
      : performed_(performed), k_(k), s_(s), console_(console) {}

  void prepareStep(std::uint64_t) override { performed_.makeRoomForOne(); }

  bool afterStep(const Bigraph& bigraph, const Coeffs& pair, std::uint64_t count) override {
    performed_.push(pair);
    if (k_ > 0 && count % static_cast<std::uint64_t>(k_) == 0) {
      showInflationCount(bigraph, count, console_);
      if (s_ > 0) {
        console_.out.flush();  // the display is seen during the wait
        sleepMilliseconds(s_);
      }
    }
    return !console_.out.failed();
  }

 private:
  InflationList& performed_;
  int k_;
  long s_;
  Console& console_;
};

}  // namespace

RunResult inflations(Bigraph& bigraph, int k, int m, long s, int a, Console& console) {
  RunResult result{InflationList(bigraph.n), std::nullopt, std::nullopt};
  ConsoleObserver observer(result.performed, k, s, console);
  RunOptions options;
  options.rule = consoleEdgeRule(a);
  options.maxSteps = m;
  RunOutcome outcome = runInflations(bigraph, options, observer);
  if (k != 1) showFinalCount(bigraph, outcome.steps, console);
  if (outcome.end == RunEnd::Error) {
    result.integerError = std::move(outcome.error);
    result.errorContext = std::move(outcome.errorContext);
    console.out.endLine();
    if (result.errorContext) {
      console.out.write("Error: ");
      console.out.write(*result.errorContext);
      console.out.put('\n');
    }
    console.out.write("Error: ");
    console.out.write(*result.integerError);
    console.out.put('\n');
  }
  return result;
}

int runSequence(std::unique_ptr<Bigraph> bigraph, const RunParameters& p, Console& console) {
  Out& out = console.out;
  console.terminal.clearScreen(out);
  printUpperTriangNonzero(*bigraph, out);
  out.write("\n\nPress any key to start automatic inflations...");
  console.terminal.waitForKey(out);
  if (out.failed()) return kExitWriteFailed;

  const auto start = std::chrono::steady_clock::now();
  std::optional<RunResult> result;
  try {
    result.emplace(inflations(*bigraph, p.k, p.m, p.s, p.a, console));
  } catch (const InflationRefused& refusal) {
    out.write(refusalMessage(refusal, RefusalWording::Console));
    return kExitRefused;
  }
  bigraph.reset();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  writeRuntime(elapsed.count(), out);

  out.write("\nPress any key to display the list of performed inflations...\n");
  console.terminal.waitForKey(out);
  if (out.failed()) return kExitWriteFailed;
  printInflationList(result->performed, out);
  out.flush();
  if (out.failed()) return kExitWriteFailed;
  return result->integerError ? kExitIntegerError : 0;
}

}  // namespace console
