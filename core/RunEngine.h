// The one inflation run loop every program uses: the edge-choice rule, the step bound, a
// per-step observer that may stop the run, and optional tracking of the certificate B.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Bigraph.h"
#include "Invariants.h"

namespace core {

// How a run ended.
enum class RunEnd {
  NoDottedEdge,  // the chosen rule found no dotted edge
  StepBound,     // maxSteps inflations were made
  Stopped,       // the observer asked to stop
  Error,         // an error of the integer layer or out of memory; see RunOutcome::error
  Cycle,         // the matrix came back to one it had `period` steps earlier (detectCycles)
};

struct RunOptions {
  EdgeRule rule = EdgeRule::First;
  std::int64_t maxSteps = 0;   // stop after this many inflations; <= 0: no bound
  bool trackCertificate = false;
  // End the run when its matrix repeats (CycleWatch.h). Only for the four deterministic rules,
  // where a repeated matrix repeats everything after it; the random rules ignore it.
  bool detectCycles = false;
};

// Called by the run around each inflation. The default observer watches nothing.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // Before the edge of step `done + 1` is chosen; false makes this step the last one
  // (velorin's Escape: the inflation in progress is still made).
  virtual bool continueAfterNextStep(std::uint64_t done) { (void)done; return true; }
  // Before step `done + 1` changes the matrix: the place to make room for recording it, so that
  // running out of memory (std::bad_alloc here) ends the run with the matrix untouched.
  virtual void prepareStep(std::uint64_t done) { (void)done; }
  // After inflation number `count` on `pair` (0-based vertices); false stops the run. A
  // std::bad_alloc or an integer-layer message thrown here ends the run with RunEnd::Error,
  // that inflation made and counted.
  virtual bool afterStep(const Bigraph& g, const Coeffs& pair, std::uint64_t count) {
    (void)g; (void)pair; (void)count;
    return true;
  }
};

struct RunOutcome {
  std::uint64_t steps = 0;
  RunEnd end = RunEnd::NoDottedEdge;
  std::uint64_t period = 0;  // with RunEnd::Cycle: the matrix after `steps` equals the one
                             // after `steps - period`
  // With RunEnd::Error: the integer layer's own message (or the out-of-memory text), and, for
  // a zero diagonal entry, the sentence naming the vertex and the pair.
  std::optional<std::string> error;
  std::optional<std::string> errorContext;
  // With RunEnd::Error: whether memory ran out, rather than the integer layer refusing a step.
  bool outOfMemory = false;
  // With trackCertificate: B with B^T S B = S' (S before, S' after the run), or none when a step
  // was not a congruence (q G(i,i) != G(i,j)); then certificateNote says which step.
  std::optional<GramMatrix> certificate;
  std::optional<std::string> certificateNote;
};

// The bound UIDFpos(n) on the number of inflations of a bigraph on n vertices: 0, 0, 1, 3 for
// n = 0..3, 8, 15, 30, 56, 112 for n = 4..8 and n(n-2) from 9 on (saturating at INT32_MAX);
// 0 for n < 0.
int boundForVertexCount(int n);

// Runs inflations on `g` until the rule finds no dotted edge, the bound, the observer or an
// error ends it. A refused inflation propagates as InflationRefused. The matrix is never left
// half-changed: after an error it is as before the failed step. Running out of memory anywhere
// in the run (inflation, observer, certificate) ends it with RunEnd::Error and an
// out-of-memory message, after handing back a reserve so that what follows has some room.
RunOutcome runInflations(Bigraph& g, const RunOptions& options, RunObserver& observer);

}  // namespace core
