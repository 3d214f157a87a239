// The one inflation run loop: edge choice, inflation, bound, observer, errors and certificate.
#include "RunEngine.h"
#include "RunEngineCounting.h"

#include "CycleWatch.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace core {

namespace {

const char* const kOutOfMemory = "Out of memory during the inflation run.";

// Memory set aside while runs go on and handed back when one runs out, so that what follows an
// out-of-memory end (the final display, the report, the list) still has room. One block per
// thread, kept from run to run, so that short runs pay nothing for it; its bytes are written
// so that the block is really held.
constexpr std::size_t kEmergencyReserveBytes = 1 << 20;
thread_local std::vector<char> emergencyReserve;

void holdReserve() {
  if (emergencyReserve.empty()) emergencyReserve.assign(kEmergencyReserveBytes, 1);
}

void releaseReserve() { std::vector<char>().swap(emergencyReserve); }

// B and what tracking it needs between steps. Each step's new column of B is built before the
// step changes the matrix and swapped in after it, so running out of memory while building it
// leaves B and the matrix in step.
class CertificateTracker {
 public:
  explicit CertificateTracker(int n) : b_(n), column_(n) {
    for (int k = 0; k < n; ++k) b_[k][k] = 1;
  }

  // Before the step on `pair` (number `stepNumber`) changes the matrix: its quotient q, whether
  // the step is a congruence (q G(i,i) = G(i,j) exactly), and if so the new column j of B,
  // column j - q * column i. A step that then fails leaves B as it is.
  void beforeStep(const Bigraph& g, const Coeffs& pair, std::uint64_t stepNumber) {
    if (dropped()) return;
    stepNumber_ = stepNumber;
    const BigInteger& divisor = g.gram[pair.i][pair.i];
    congruence_ = !divisor.isZero();
    if (!congruence_) return;
    remainder_ = g.gram[std::min(pair.i, pair.j)][std::max(pair.i, pair.j)];
    remainder_.divideWithRemainder(divisor, quotient_);
    congruence_ = remainder_.isZero();
    if (!congruence_) return;
    for (std::size_t x = 0; x < b_.size(); ++x) {
      column_[x] = b_[x][pair.j];
      column_[x].subtractProduct(b_[x][pair.i], quotient_);
    }
  }

  // After the step was made: the new column takes its place (no allocation), or B is dropped.
  void afterStep(const Coeffs& pair) {
    if (dropped()) return;
    if (!congruence_) return drop(pair);
    for (std::size_t x = 0; x < b_.size(); ++x) b_[x][pair.j].swap(column_[x]);
  }

  // Gives up B, for example to free its memory; `why` becomes the note.
  void abandon(std::string why) {
    releaseMatrices();
    note_ = std::move(why);
  }

  // Moves the result into the outcome.
  void finish(RunOutcome& outcome) {
    if (dropped()) {
      outcome.certificateNote = std::move(note_);
      return;
    }
    outcome.certificate = std::move(b_);
  }

 private:
  bool dropped() const { return note_.has_value(); }
  void releaseMatrices() {
    GramMatrix().swap(b_);
    IntVector().swap(column_);
  }
  void drop(const Coeffs& pair) {
    releaseMatrices();
    note_ = "step " + std::to_string(stepNumber_) + ", the inflation on [" +
            std::to_string(pair.i + 1) + ", " + std::to_string(pair.j + 1) +
            "], is not a congruence (q G(i,i) != G(i,j)), so no certificate is kept.";
  }

  GramMatrix b_;
  IntVector column_;       // the next column j of B
  std::uint64_t stepNumber_ = 0;
  bool congruence_ = true;
  BigInteger quotient_;
  BigInteger remainder_;
  std::optional<std::string> note_;
};

// The sentence naming the cause of a division by zero in the step on `pair`, or none when the
// failure was something else.
std::optional<std::string> zeroDiagonalContext(const Bigraph& g, const Coeffs& pair) {
  if (g.n <= 2 || !g.gram[pair.i][pair.i].isZero()) return std::nullopt;
  return "vertex " + std::to_string(pair.i + 1) + " has diagonal entry 0, so the inflation on [" +
         std::to_string(pair.i + 1) + ", " + std::to_string(pair.j + 1) + "] divides by zero.";
}

}  // namespace

int boundForVertexCount(int n) {
  if (n <= 0) return 0;
  if (n <= 3) return n * (n - 1) / 2;
  // 6, 7 and 8 vertices have fixed bounds above the n(n-2) rule of the others.
  switch (n) {
    case 6: return 30;
    case 7: return 56;
    case 8: return 112;
    default: {
      // Counts this large cannot be allocated anyway; the bound saturates instead of wrapping.
      const long long bound = static_cast<long long>(n) * (n - 2);
      return bound > INT32_MAX ? INT32_MAX : static_cast<int>(bound);
    }
  }
}

RunOutcome runInflations(Bigraph& g, const RunOptions& options, RunObserver& observer) {
  return run_engine::runInflationsCountingFrom(0, g, options, observer);
}

RunOutcome run_engine::runInflationsCountingFrom(std::uint64_t stepsBefore, Bigraph& g,
                                                 const RunOptions& options, RunObserver& observer) {
  RunOutcome outcome;
  outcome.steps = stepsBefore;
  std::optional<CertificateTracker> tracker;
  std::optional<CycleWatch> cycles;
  const std::uint64_t bound =
      options.maxSteps > 0 ? static_cast<std::uint64_t>(options.maxSteps) : 0;
  Coeffs pair{kNoEdge, kNoEdge};
  try {
    holdReserve();
    if (options.trackCertificate) tracker.emplace(g.n);
    if (options.detectCycles && !isRandom(options.rule)) cycles.emplace(g);
    for (;;) {
      pair = {kNoEdge, kNoEdge};
      const bool lastStep = !observer.continueAfterNextStep(outcome.steps);
      const Coeffs chosen = g.chooseDottedEdge(options.rule);
      if (chosen.i == kNoEdge) {
        outcome.end = RunEnd::NoDottedEdge;
        break;
      }
      observer.prepareStep(outcome.steps);
      if (tracker) tracker->beforeStep(g, chosen, outcome.steps + 1);
      pair = chosen;
      if (cycles) cycles->beforeStep(g, pair.j);
      g.inflation(pair);
      ++outcome.steps;
      if (tracker) tracker->afterStep(pair);
      const bool repeated = cycles && cycles->afterStep(g, pair.j);
      const bool goOn = observer.afterStep(g, pair, outcome.steps);
      if (repeated) {
        outcome.end = RunEnd::Cycle;
        outcome.period = cycles->period();
        break;
      }
      if (bound != 0 && outcome.steps == bound) {
        outcome.end = RunEnd::StepBound;
        break;
      }
      if (!goOn || lastStep) {
        outcome.end = RunEnd::Stopped;
        break;
      }
    }
  } catch (const char* message) {
    outcome.end = RunEnd::Error;
    outcome.error = message;
    if (pair.i != kNoEdge) outcome.errorContext = zeroDiagonalContext(g, pair);
  } catch (const std::bad_alloc&) {
    releaseReserve();
    // A large B is the likeliest to have used the memory up.
    if (tracker) tracker->abandon("no certificate is kept: memory ran out during the run.");
    outcome.end = RunEnd::Error;
    outcome.error = kOutOfMemory;
    outcome.outOfMemory = true;
  }
  if (tracker) tracker->finish(outcome);
  return outcome;
}

}  // namespace core
