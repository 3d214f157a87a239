// The interactive inflation run of velorin inside the paint handler.
#include "InflationRun.h"

#include <cstdio>
#include <new>

#include "Primitives.h"

namespace velorin {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kKeyReadInterval = std::chrono::milliseconds(1);
constexpr auto kClockCheckLow = std::chrono::microseconds(250);
constexpr int kMaxStride = 64;
// Shift is looked at this often while the start picture waits; a tap of 10 ms is not missed.
constexpr int kShiftPollMs = 4;

}  // namespace

std::string refusalMessage(const InflationRefused& refused) {
  const bool solid = refused.kind == InflationRefused::Kind::ContinuousEdge;
  const char* format =
      solid ? "Error: attempt to inflate on an continuous edge %d %d!\n"
            : "Error: attempt to inflate on a non-connected pair of vertices %d %d!\n";
  char text[128];
  std::snprintf(text, sizeof text, format, refused.lo, refused.hi);
  return text;
}

std::string inflationHeader(int counter, const RunParameters& params) {
  std::string header = "Inflation no.: " + std::to_string(counter);
  if (params.displayBeta) header += " / " + std::to_string(params.UIDFpos);
  return header;
}

std::string formatPair(int counter, const Coeffs& pair) {
  const char* format = counter == 1       ? "[%d, %d]"
                       : counter % 7 == 1 ? ",\n[%d, %d]"
                                          : ", [%d, %d]";
  char text[48];
  std::snprintf(text, sizeof text, format, pair.i + 1, pair.j + 1);
  return text;
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
  const int counter = runInflations(surface, area);
  if (state_.params.printInfls == 1) out_ << '\n';
  if (!pendingError_.empty()) {
    out_ << "Error: " << pendingError_ << '\n';
    pendingError_.clear();
  }
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

int InflationRun::runInflations(platform::Surface& surface, const platform::Rect& area) {
  const RunParameters& params = state_.params;
  Bigraph& bigraph = *state_.bigraph;
  EscapePoller escape(keys_);
  int counter = 0;
  bool stop = false;
  do {
    stop = escape.escapeDown();
    try {
      const Coeffs pair = bigraph.chooseDottedEdge(params.findDottedEdgeAlgorithm);
      if (pair.i == kNoEdge) {
        stop = true;
      } else {
        bigraph.inflation(pair);
        ++counter;
        inflateOnce(surface, area, pair, counter, escape);
      }
    } catch (const InflationRefused& refused) {
      refuse(refused);
    } catch (const char* message) {
      // The matrix is as it was before the failed step: end the run there, keep the message.
      pendingError_ = message;
      stop = true;
    } catch (const std::bad_alloc&) {
      pendingError_ = "out of memory during the inflation run.";
      stop = true;
    }
  } while (counter != params.maxsteps && !stop);
  if (!pendingError_.empty()) integerErrorSeen_ = true;
  return counter;
}

void InflationRun::inflateOnce(platform::Surface& surface, const platform::Rect& area,
                               const Coeffs& pair, int counter, EscapePoller& escape) {
  const RunParameters& params = state_.params;
  if (params.printInfls == 1) out_ << formatPair(counter, pair);
  if (params.every > 0 && counter % params.every == 0) {
    redraw(surface, area, counter);
    ++redraws_;
    mySleep(params.wait);
    escape.readNextTime();
  }
}

void InflationRun::redraw(platform::Surface& surface, const platform::Rect& area, int counter) {
  surface.fillWhite(area);
  surface.text(headerPlace.x, headerPlace.y, inflationHeader(counter, state_.params));
  drawBigraph(surface, *state_.bigraph, layout_, state_.params.thickLines);
  surface.flush();
}

void InflationRun::finish(platform::Surface& surface, const platform::Rect& area, int counter) {
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
  out_ << refusalMessage(refused);
  out_.flush();
  throw ProgramExit{2};
}

}  // namespace velorin
