// The interactive inflation run of velorin: the paint handler that shows the bigraph, waits for
// Shift, runs the inflations while watching Escape, and ends with the result, its shape and
// the properties report.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "Picture.h"
#include "RunState.h"
#include "Window.h"

namespace velorin {

// Thrown out of the paint after a refused inflation's message is printed; the program turns
// it into a request to close the window with this status.
struct ProgramExit {
  int status;
};

// The header above the picture during and after a run.
std::string inflationHeader(std::uint64_t counter, const RunParameters& params);

// Reads the Escape key at most about once per millisecond of run time and answers with the
// last state in between: each read is a round trip to the window system, which would
// otherwise dominate a fast run. The clock itself is read only every `stride` calls, a stride
// that adapts so that clock reads fall about a quarter to one millisecond apart.
class EscapePoller {
 public:
  explicit EscapePoller(platform::Window& keys) : keys_(keys) {}
  // Whether Escape is down; the first call always reads the key.
  bool escapeDown();
  // The next call reads the key, as after a redraw that took its time.
  void readNextTime() { countdown_ = 1; forced_ = true; }
  std::uint64_t keyReads() const { return reads_; }

 private:
  using Clock = std::chrono::steady_clock;
  platform::Window& keys_;
  bool down_ = false;
  bool forced_ = true;
  int stride_ = 1;
  int countdown_ = 1;
  Clock::time_point lastCheck_{};
  Clock::time_point lastRead_{};
  std::uint64_t reads_ = 0;
};

class InflationRun {
 public:
  InflationRun(RunState& state, platform::Window& keys, std::ostream& out);

  // The paint handler: the whole sequence on the current state of the bigraph. A refused
  // inflation prints its message and throws ProgramExit{2}. A close request while Shift is
  // awaited asks the window to close with status 0 and returns without a run.
  void paint(platform::Surface& surface, const platform::Rect& area);

  // 3 once a run has ended on an error of the integer layer, else 0.
  int exitStatus() const { return integerErrorSeen_ ? 3 : 0; }
  // Redraws performed during the last run (the pictures before and after not counted).
  int redrawCount() const { return redraws_; }

 private:
  class StepObserver;

  void drawStartPicture(platform::Surface& surface);
  // Waits for a Shift press, repainting the start picture when uncovered; false when the
  // window was asked to close instead.
  bool waitForShift(platform::Surface& surface);
  // The inflation loop; returns the number of inflations. An error of the integer layer or
  // running out of memory ends it like the bound would, and its message is kept for the
  // report; a failed write to the output ends it at once.
  std::uint64_t runInflations(platform::Surface& surface, const platform::Rect& area);
  // After an inflation on the pair: prints it and redraws when due.
  void inflateOnce(platform::Surface& surface, const platform::Rect& area, const core::Coeffs& pair,
                   std::uint64_t counter, EscapePoller& escape);
  void redraw(platform::Surface& surface, const platform::Rect& area, std::uint64_t counter);
  void finish(platform::Surface& surface, const platform::Rect& area, std::uint64_t counter);
  [[noreturn]] void refuse(const core::InflationRefused& refused);

  RunState& state_;
  platform::Window& keys_;
  std::ostream& out_;
  Layout layout_;
  std::string pendingError_;
  std::string pendingErrorContext_;  // for a zero diagonal entry: which vertex and pair
  bool integerErrorSeen_ = false;
  int redraws_ = 0;
  bool shiftHeldFromLastRun_ = false;
};

}  // namespace velorin
