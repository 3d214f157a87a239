// The classification of one bigraph: its exact invariants and, where the settings ask for it,
// an inflation run with its pairs, result, shape and certificate. No printing here.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Coxeter.h"
#include "Invariants.h"
#include "NormalForm.h"
#include "RunEngine.h"

namespace bigraph {

inline constexpr core::EdgeRule kDefaultRule = core::EdgeRule::Last;

// The most inflation pairs a report keeps.
inline constexpr std::size_t kPairsKept = 1000000;

// What the command line asked of a run.
struct RunSettings {
  core::EdgeRule rule = kDefaultRule;
  std::optional<std::uint32_t> seed;    // for the random rules; none elsewhere
  std::optional<std::int64_t> maxSteps; // given with --max-steps
  bool noRun = false;
  bool certificate = false;
  bool coxeter = false;  // the Coxeter data, and the root counts of a positive input
  // Without it the Coxeter data are made only up to kCoxeterVerticesByDefault vertices.
  bool coxeterForced = false;
};

// The largest bigraph whose Coxeter data classify makes without --coxeter (about a second).
inline constexpr int kCoxeterVerticesByDefault = 300;

// The run that was made, in the terms of the reports.
struct RunReport {
  core::EdgeRule rule = kDefaultRule;
  std::optional<std::uint32_t> seed;
  std::uint64_t steps = 0;
  core::RunEnd end = core::RunEnd::NoDottedEdge;
  std::optional<std::uint64_t> period;  // with RunEnd::Cycle: the matrix after `steps` is the
                                        // one after `steps - period`
  std::optional<std::string> error;  // with RunEnd::Error: the message (and its context)
  std::string shape;                 // the shape of the result in plain words (draw/ShapeWords.h)
  // The performed inflations, 1-based: the first kPairsKept of them (`steps` counts them all),
  // so a long run's memory does not grow with its length.
  std::vector<std::pair<int, int>> pairs;
  core::GramMatrix result;                        // the final upper-triangular Gram matrix
  std::optional<core::GramMatrix> certificate;    // B with B^T S B = S'
  std::optional<core::Verification> verification;
  std::optional<std::string> certificateNote;  // why no certificate could be made
};

// The number of roots of a positive bigraph, and of its roots with no negative coordinate
// (none when there are too many roots to list them for the count).
struct RootCounts {
  std::uint64_t count = 0;
  std::optional<std::uint64_t> positive;
};

// The most roots classify lists to count the positive ones.
inline constexpr std::uint64_t kRootsListedForCount = 20000;

struct Classification {
  core::GramMatrix gram;         // the upper-triangular input, echoed so an output can be rerun
  BigInteger dottedEdges;  // sum of the positive entries above the diagonal
  BigInteger solidEdges;   // sum of the magnitudes of the negative entries above it
  core::Invariants invariants;
  std::optional<RunReport> run;
  // Every non-negative loop-free input: its normal form N and the certificate B (always
  // computed and checked exactly; shown with --certificate).
  std::optional<core::NormalForm> normalForm;
  bool showCertificate = false;
  // With RunSettings::coxeter: the Coxeter data of a loop-free input (none otherwise) and the
  // root counts of a positive one.
  bool coxeterAsked = false;
  bool coxeterSkipped = false;  // too large to be made without --coxeter
  std::optional<core::CoxeterData> coxeter;
  std::optional<RootCounts> roots;
};

// The root counts of a positive loop-free bigraph of type `type`: |R| from the type, checked
// against the listed roots when there are at most kRootsListedForCount. Throws
// DisagreementError when the two differ.
RootCounts rootCountsOf(const core::GramMatrix& upper, const core::DiagramSum& type,
                        const std::atomic<bool>* stop = nullptr);

// "no dotted edge", "step bound", "stopped", "error", "cycle".
const char* runEndName(core::RunEnd end);

// The exact type and the shape the run reached disagree: a fault of the program, not of the
// input. what() says both.
struct DisagreementError : std::logic_error {
  using std::logic_error::logic_error;
};

// A message of the integer layer without the name of the function that threw it:
// "BigInteger::operator /: division by zero" becomes "division by zero".
std::string withoutLayerName(const std::string& message);

// The default step bound of a run on n vertices: 10 n^2 + 100.
std::int64_t defaultStepBound(int n);
// The run the settings ask for on a bigraph with these invariants: none, or its step bound
// (<= 0 for no bound never happens: every run made is bounded).
std::optional<std::int64_t> plannedStepBound(const RunSettings& settings, const core::Invariants& inv);

// Classifies `upper`. `stop`, when given and set, stops a run after its current step (Ctrl-C
// in a sweep); the run then ends as "stopped". It also stops the Coxeter data
// (CoxeterWorkStopped; `control->stop` when `stop` is not given). `control`, when given,
// reports the progress of the exact invariants and may stop them (InvariantsStopped). Throws
// DisagreementError on a disagreement, and when the normal form fails a step or its check.
Classification classify(const core::GramMatrix& upper, const RunSettings& settings,
                        const std::atomic<bool>* stop = nullptr,
                        const core::InvariantsControl* control = nullptr);

}  // namespace bigraph
