// The whole of velorin after its front end: the window, its paint handler and the exit status.
#pragma once

#include <ostream>

#include "RunState.h"
#include "Window.h"

namespace velorin {

inline constexpr const char* kWindowTitle = "Zaruzivedo 0.9   KQ 2015-2016";

// The exit status after the connection to the display was lost.
inline constexpr int kDisplayLostStatus = 5;

// Runs the event loop of the window with the inflation run as its paint handler. Returns 0
// after the window is closed, 2 after a refused inflation, 3 when a run ended on an error of
// the integer layer, 5 when the display was lost (the run in progress then ends without a
// window, as the program runs without a display).
int runOnWindow(platform::Window& window, RunState& state, std::ostream& out);

// Opens the X11 window and runs on it. Without a display it says so in one line on `err` and
// runs once on the offscreen canvas, as if Shift were pressed at once and Escape never; when
// the display is lost later, it says so in one line on `err` too.
int runWindowed(RunState& state, std::ostream& out, std::ostream& err);

// The program: front end, then the window. argv holds the arguments as UTF-8 bytes. A failed
// write to standard output (also at its close at exit) is reported on standard error and
// makes the status 4.
int velorinMain(int argc, const char* const argv[]);

}  // namespace velorin
