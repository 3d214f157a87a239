// The run state of velorin in one place: the run parameters, the bound, the bigraph and the
// counters that the run, the picture and the properties report share.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "Bigraph.h"

namespace velorin {

// The six run parameters and what the front end derives from them.
struct RunParameters {
  int every = 1;                    // k: redraw after every k-th inflation; <= 0 only at the end
  int maxsteps = 0;                 // m: stop after m inflations; 0 or unreachable: no bound
  int wait = 0;                     // s: milliseconds to wait after each redraw
  int thickLines = 1;               // w: 1 draws multiple edges thick
  int findDottedEdgeAlgorithm = 2;  // a: the dotted-edge rule, 0..5
  int printInfls = 1;               // p: 1 prints each inflation
  bool displayBeta = false;         // m was -2: the header shows the bound too
  int UIDFpos = 0;                  // bound on the number of inflations for n vertices
                                    // (boundForVertexCount of the run engine)
};

struct RunState {
  RunParameters params;
  std::unique_ptr<core::Bigraph> bigraph;  // the one bigraph of the program
  std::chrono::steady_clock::time_point comienza{};  // when the last run started
  std::uint64_t gl_counter = 0;      // inflations of the last finished run
};


}  // namespace velorin
