// The console inflation run and the sequence around it.
#include "Run.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "MatrixPrint.h"

namespace {

constexpr int kExitRefused = 2;
constexpr int kExitIntegerError = 3;

void showInflationCount(Bigraph& bigraph, std::size_t count, Console& console) {
  console.terminal.clearScreen(console.out);
  printUpperTriangNonzero(bigraph, console.out);
  console.out.write("\nInflation no.: ");
  console.out.writeNumber(static_cast<long long>(count));
}

void writeRefusal(const InflationRefused& refusal, Out& out) {
  const char* format = refusal.kind == InflationRefused::Kind::ContinuousEdge
                           ? "Error: attept to inflate on an continuous edge %d %d!\n"
                           : "Error: attept to inflate on a non-connected pair of vertices %d %d!\n";
  char text[128];
  int length = std::snprintf(text, sizeof text, format, refusal.lo, refusal.hi);
  out.write(text, static_cast<std::size_t>(length));
}

void writeRuntime(double seconds, Out& out) {
  char text[64];
  int length = std::snprintf(text, sizeof text, "\nRuntime: %.4f sec.\n", seconds);
  out.write(text, static_cast<std::size_t>(length));
}

}  // namespace

int consoleVariant(int a) { return (a >= 1 && a <= 3) ? a : 0; }

RunResult inflations(Bigraph& bigraph, int k, int m, long s, int a, Console& console) {
  RunResult result{InflationList(bigraph.n), std::nullopt};
  const int variant = consoleVariant(a);
  std::size_t count = 0;
  for (;;) {
    Coeffs pair = bigraph.chooseDottedEdge(variant);
    if (pair.i == kNoEdge) break;
    try {
      bigraph.inflation(pair);
    } catch (const char* message) {
      result.integerError = message;
      break;
    } catch (const std::bad_alloc&) {
      result.integerError = "Out of memory during the inflation.";
      break;
    }
    result.performed.push(pair);
    ++count;
    if (k > 0 && count % static_cast<std::size_t>(k) == 0) {
      showInflationCount(bigraph, count, console);
      if (s > 0) {
        console.out.flush();  // the display is seen during the wait
        sleepMilliseconds(s);
      }
    }
    if (m > 0 && count == static_cast<std::size_t>(m)) break;
  }
  if (k != 1) showInflationCount(bigraph, count, console);
  if (result.integerError) {
    console.out.endLine();
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

  const auto start = std::chrono::steady_clock::now();
  std::optional<RunResult> result;
  try {
    result.emplace(inflations(*bigraph, p.k, p.m, p.s, p.a, console));
  } catch (const InflationRefused& refusal) {
    writeRefusal(refusal, out);
    return kExitRefused;
  }
  bigraph.reset();
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  writeRuntime(elapsed.count(), out);

  out.write("\nPress any key to display the list of performed inflations...\n");
  console.terminal.waitForKey(out);
  printInflationList(result->performed, out);
  out.flush();
  return result->integerError ? kExitIntegerError : 0;
}
