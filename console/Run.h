// The console inflation run: the loop with its periodic displays, and the sequence around it
// (first display, key, timed run, runtime, key, list of performed inflations).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Bigraph.h"
#include "InflationList.h"
#include "OutputCheck.h"
#include "Output.h"
#include "terminal.h"

namespace console {

// Where the program writes and how it waits.
struct Console {
  Out& out;
  const Terminal& terminal;
};

struct RunParameters {
  int k = 1;   // display every k inflations; k <= 0 only the final state
  int m = 0;   // stop after m inflations; m <= 0 no bound
  long s = 0;  // milliseconds of wait after each periodic display
  int a = 0;   // edge choice: 1, 2, 3 as their rules, any other number the first dotted edge
};

struct RunResult {
  InflationList performed;
  // The integer layer's message when an inflation failed (a zero diagonal entry), or the
  // out-of-memory message; the run ended there, with the matrix from before that step.
  std::optional<std::string> integerError;
  // For a zero diagonal entry: the sentence naming the vertex and the pair.
  std::optional<std::string> errorContext;
};


// The loop on `bigraph`: choose, inflate, record, display every k inflations and wait s ms,
// stop when no dotted edge is left, after m inflations or at the first failed write, then the
// final display unless k = 1. A refused inflation propagates as InflationRefused; an error of
// the integer layer or running out of memory ends the loop, is written as "Error: " and its
// message on its own line after the final display (for a zero diagonal entry preceded by an
// "Error: " line naming the vertex), and is returned in the result.
RunResult inflations(core::Bigraph& bigraph, int k, int m, long s, int a, Console& console);

inline constexpr int kExitRefused = 2;
inline constexpr int kExitIntegerError = 3;

// The whole run sequence on the bigraph built by the front end; destroys it before the runtime
// is printed. Returns the exit status: 0, 2 after a refused inflation (its message printed),
// 3 after an error of the integer layer or out of memory, 4 as soon as a write has failed (the
// rest of the sequence is then left out; the caller reports the failure).
int runSequence(std::unique_ptr<core::Bigraph> bigraph, const RunParameters& parameters,
                Console& console);

}  // namespace console
