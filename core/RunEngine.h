// The one inflation run loop every program uses: the edge-choice rule, the step bound, a
// per-step observer that may stop the run, and optional tracking of the certificate B.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Bigraph.h"
#include "Invariants.h"

// How a run ended.
enum class RunEnd {
  NoDottedEdge,  // the chosen rule found no dotted edge
  StepBound,     // maxSteps inflations were made
  Stopped,       // the observer asked to stop
  Error,         // an error of the integer layer or out of memory; see RunOutcome::error
};

struct RunOptions {
  int rule = 0;                // edge-choice variant, as Bigraph::chooseDottedEdge
  std::int64_t maxSteps = 0;   // stop after this many inflations; <= 0: no bound
  bool trackCertificate = false;
};

// Called by the run around each inflation. The default observer watches nothing.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // Before the edge of step `done + 1` is chosen; false makes this step the last one
  // (velorin's Escape: the inflation in progress is still made).
  virtual bool continueAfterNextStep(std::uint64_t done) { (void)done; return true; }
  // After inflation number `count` on `pair` (0-based vertices); false stops the run.
  virtual bool afterStep(const Bigraph& g, const Coeffs& pair, std::uint64_t count) {
    (void)g; (void)pair; (void)count;
    return true;
  }
};

struct RunOutcome {
  std::uint64_t steps = 0;
  RunEnd end = RunEnd::NoDottedEdge;
  // With RunEnd::Error: the integer layer's own message (or the out-of-memory text), and, for
  // a zero diagonal entry, the sentence naming the vertex and the pair.
  std::optional<std::string> error;
  std::optional<std::string> errorContext;
  // With trackCertificate: B with B^T S B = S' (S before, S' after the run), or none when a step
  // was not a congruence (q G(i,i) != G(i,j)); then certificateNote says which step.
  std::optional<IntMatrix> certificate;
  std::optional<std::string> certificateNote;
};

// Runs inflations on `g` until the rule finds no dotted edge, the bound, the observer or an
// error ends it. A refused inflation propagates as InflationRefused. The matrix is never left
// half-changed: after an error it is as before the failed step.
RunOutcome runInflations(Bigraph& g, const RunOptions& options, RunObserver& observer);
