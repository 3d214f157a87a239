// The interactive inflation run of velorin inside the paint handler.
#include "InflationRun.h"

#include <cstdio>

#include "Primitives.h"
#include "RunEngine.h"
#include "RunTexts.h"

using namespace core;

namespace velorin {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kKeyReadInterval = std::chrono::milliseconds(1);
constexpr auto kClockCheckLow = std::chrono::microseconds(250);
constexpr int kMaxStride = 64;
// Shift is looked at this often while the start picture waits; a tap of 10 ms is not missed.
constexpr int kShiftPollMs = 4;

}  // namespace

std::string inflationHeader(std::uint64_t counter, const RunParameters& params) {
  std::string header = "Inflation no.: " + std::to_string(counter);
  if (params.displayBeta) header += " / " + std::to_string(params.UIDFpos);
  return header;
}

bool EscapePoller::escapeDown() {
  if (--countdown_ > 0) return down_;
  const auto now = Clock::now();
  if (!forced_) {
    // Keep clock reads between a quarter and one millisecond apart.
    const auto sinceCheck = now - lastCheck_;
    if (sinceCheck < kClockCheckLow && stride_ < kMaxStride) stride_ *= 2;
    else if (sinceCheck > kKeyReadInterval && stride_ > 1) stride_ /= 2;
  }
  countdown_ = stride_;
  lastCheck_ = now;
  if (forced_ || now - lastRead_ >= kKeyReadInterval) {
    down_ = keys_.keyDown(platform::Key::Escape);
    ++reads_;
    lastRead_ = now;
    forced_ = false;
  }
  return down_;
}

InflationRun::InflationRun(RunState& state, platform::Window& keys, std::ostream& out)
    : state_(state), keys_(keys), out_(out) {}

void InflationRun::paint(platform::Surface& surface, const platform::Rect& area) {
  layout_ = computeLayout(state_.bigraph->n);
  redraws_ = 0;
  drawStartPicture(surface);
  if (!waitForShift(surface)) return;
  state_.comienza = Clock::now();
  out_ << (state_.params.printInfls == 1 ? "Zaruzivedo:\n" : "Computation in progress...\n");
  out_.flush();  // the start of a long run shows at once
  const std::uint64_t counter = runInflations(surface, area);
  if (state_.params.printInfls == 1) out_ << '\n';
  if (!pendingErrorContext_.empty()) out_ << "Error: " << pendingErrorContext_ << '\n';
  if (!pendingError_.empty()) out_ << "Error: " << pendingError_ << '\n';
  pendingErrorContext_.clear();
  pendingError_.clear();
  out_ << counter << " inflations\n";
  try {
    finish(surface, area, counter);
  } catch (const char* message) {
    out_ << "Error: " << message << '\n';
    out_.flush();
    integerErrorSeen_ = true;
  }
}

void InflationRun::drawStartPicture(platform::Surface& surface) {
  surface.text(headerPlace.x, headerPlace.y, "Your bigraph:");
  surface.text(startHintPlace.x, startHintPlace.y, "(Press 'Shift' key to start...)");
  drawBigraph(surface, *state_.bigraph, layout_, state_.params.thickLines);
  surface.flush();
}

bool InflationRun::waitForShift(platform::Surface& surface) {
  out_.flush();  // everything so far is visible while the program waits
  for (;;) {
    const platform::WaitEvents events = keys_.takeEvents();
    if (events.closeRequested) {
      keys_.requestClose(0);
      return false;
    }
    if (events.displayLost) return true;  // as without a display: at once
    if (events.exposed) drawStartPicture(surface);
    const bool down = keys_.keyDown(platform::Key::Shift);
    // A press that started a run and is still held must not start the next one.
    if (!down) shiftHeldFromLastRun_ = false;
    if (events.shiftPressed || (down && !shiftHeldFromLastRun_)) {
      shiftHeldFromLastRun_ = true;
      return true;
    }
    mySleep(kShiftPollMs);
  }
}

// The run's part in each step: Escape before it, the printed pair and the redraw after it.
class InflationRun::StepObserver : public RunObserver {
 public:
  StepObserver(InflationRun& run, platform::Surface& surface, const platform::Rect& area)
      : run_(run), surface_(surface), area_(area), escape_(run.keys_) {}

  // Escape seen down: the inflation in progress is still made, and the run ends after it.
  bool continueAfterNextStep(std::uint64_t) override { return !escape_.escapeDown(); }

  bool afterStep(const Bigraph&, const Coeffs& pair, std::uint64_t count) override {
    run_.inflateOnce(surface_, area_, pair, count, escape_);
    return !run_.out_.fail();
  }

 private:
  InflationRun& run_;
  platform::Surface& surface_;
  const platform::Rect& area_;
  EscapePoller escape_;
};

std::uint64_t InflationRun::runInflations(platform::Surface& surface,
                                          const platform::Rect& area) {
  StepObserver observer(*this, surface, area);
  RunOptions options;
  options.rule = windowEdgeRule(state_.params.findDottedEdgeAlgorithm);
  options.maxSteps = state_.params.maxsteps;
  RunOutcome outcome;
  try {
    outcome = ::runInflations(*state_.bigraph, options, observer);
  } catch (const InflationRefused& refused) {
    refuse(refused);
  }
  if (outcome.end == RunEnd::Error) {
    // The matrix is as it was before the failed step: the run ends there, the message is kept.
    pendingError_ = outcome.error.value_or("");
    pendingErrorContext_ = outcome.errorContext.value_or("");
    integerErrorSeen_ = true;
  }
  return outcome.steps;
}

void InflationRun::inflateOnce(platform::Surface& surface, const platform::Rect& area,
                               const Coeffs& pair, std::uint64_t counter, EscapePoller& escape) {
  const RunParameters& params = state_.params;
  if (params.printInfls == 1) out_ << listedPair(counter, pair).view();
  if (params.every > 0 && counter % static_cast<std::uint64_t>(params.every) == 0) {
    redraw(surface, area, counter);
    ++redraws_;
    mySleep(params.wait);
    escape.readNextTime();
  }
}

void InflationRun::redraw(platform::Surface& surface, const platform::Rect& area,
                          std::uint64_t counter) {
  surface.fillWhite(area);
  surface.text(headerPlace.x, headerPlace.y, inflationHeader(counter, state_.params));
  drawBigraph(surface, *state_.bigraph, layout_, state_.params.thickLines);
  surface.flush();
}

void InflationRun::finish(platform::Surface& surface, const platform::Rect& area,
                          std::uint64_t counter) {
  surface.fillWhite(area);
  state_.gl_counter = counter;
  surface.text(headerPlace.x, headerPlace.y, inflationHeader(counter, state_.params));
  drawBigraph(surface, *state_.bigraph, layout_, state_.params.thickLines);
  surface.text(shapeLabelPlace.x, shapeLabelPlace.y, "Shape recognition: ");
  surface.flush();
  state_.bigraph->recognizeBigraphProperties();
  const std::string shape =
      state_.bigraph->describeProperties(state_.gl_counter, state_.params.UIDFpos, out_);
  surface.text(shapeTextPlace.x, shapeTextPlace.y, shape);
  surface.flush();
  const double seconds = std::chrono::duration<double>(Clock::now() - state_.comienza).count();
  char runtime[64];
  std::snprintf(runtime, sizeof runtime, "Runtime: %.4f sec.\n", seconds);
  out_ << runtime;
  out_.flush();
}

void InflationRun::refuse(const InflationRefused& refused) {
  out_ << refusalMessage(refused, RefusalWording::Window);
  out_.flush();
  throw ProgramExit{2};
}

}  // namespace velorin
