// The whole of velorin after its front end: the window, its paint handler and the exit status.
#include "Program.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "CheckedOutput.h"
#include "FrontEnd.h"
#include "InflationRun.h"
#include "Offscreen.h"
#include "OutputCheck.h"

using namespace core;

namespace velorin {

int runOnWindow(platform::Window& window, RunState& state, std::ostream& out) {
  InflationRun run(state, window, out);
  const int status = window.run([&](platform::Surface& surface, const platform::Rect& area) {
    try {
      run.paint(surface, area);
    } catch (const ProgramExit& exit) {
      window.requestClose(exit.status);
      return;
    }
    // The window answered nothing during the run: a close or a key press given meanwhile
    // does not act on the final picture, which stays until the window is closed again.
    window.discardInput();
  });
  if (window.displayLost()) return kDisplayLostStatus;
  return status != 0 ? status : run.exitStatus();
}

int runWindowed(RunState& state, std::ostream& out, std::ostream& err) {
  platform::WindowSpec wanted;
  wanted.title = kWindowTitle;
  wanted.onDisplayLost = [&err] {
    err << "velorin: the connection to the display was lost; going on without a window.\n";
    err.flush();
  };
  if (auto window = platform::openX11Window(wanted)) return runOnWindow(*window, state, out);
  err << "velorin: no display could be opened; running without a window.\n";
  err.flush();
  platform::OffscreenWindow offscreen;
  offscreen.setKey(platform::Key::Shift, true);
  return runOnWindow(offscreen, state, out);
}

int velorinMain(int argc, const char* const argv[]) {
  // Variants 4 and 5 draw from this generator, seeded once before anything else.
  seedRandom15(static_cast<std::uint32_t>(std::time(nullptr)));
  RunState state;
  CheckedFileBuffer outBuffer(stdout);
  std::ostream out(&outBuffer);
  const FrontEndResult frontEnd = readFrontEnd(argc, argv, stdin, out, state);
  const int status = frontEnd.proceed ? runWindowed(state, out, std::cerr) : frontEnd.exitStatus;
  out.flush();
  const int closeError = closeStandardOutput();
  if (const int error = outBuffer.error() != 0 ? outBuffer.error() : closeError) {
    std::cerr << cannotWriteMessage(error) << '\n';
    return kExitWriteFailed;
  }
  return status;
}

}  // namespace velorin
