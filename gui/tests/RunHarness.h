// Test harness for the inflation run: the front end on given arguments and input, then paints
// on the offscreen canvas with scripted keys, with the standard output collected.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "FrontEnd.h"
#include "InflationRun.h"
#include "Offscreen.h"
#include "Recording.h"

namespace velorin::testing {

// A readable stream holding `text`.
inline std::FILE* inputOf(const std::string& text) {
  std::FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

// Every runtime figure that has digits, a point and four decimals replaced by T.
inline std::string maskRuntime(const std::string& out) {
  const std::string head = "Runtime: ";
  const std::string tail = " sec.\n";
  std::string masked;
  std::size_t from = 0;
  for (std::size_t at; (at = out.find(head, from)) != std::string::npos;) {
    const std::size_t number = at + head.size();
    std::size_t p = number;
    while (p < out.size() && out[p] >= '0' && out[p] <= '9') ++p;
    const bool digits = p > number && p + 5 <= out.size() && out[p] == '.' &&
                        out.find_first_not_of("0123456789", p + 1) == p + 5 &&
                        out.compare(p + 5, tail.size(), tail) == 0;
    masked += out.substr(from, number - from);
    if (digits) {
      masked += "T";
      from = p + 5;
    } else {
      from = number;
    }
  }
  return masked + out.substr(from);
}

class RunHarness {
 public:
  // Runs the front end; the echo it prints is not part of runOutput().
  explicit RunHarness(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<const char*> argv = {"velorin"};
    for (const auto& a : args) argv.push_back(a.c_str());
    std::FILE* in = inputOf(input);
    std::ostringstream echo;
    frontEnd = readFrontEnd(static_cast<int>(argv.size()), argv.data(), in, echo, state);
    std::fclose(in);
    canvas.setKey(platform::Key::Shift, true);
  }

  // One paint event of the whole window, with a fresh Shift press unless `pressShift` is
  // false; returns the standard output of this paint.
  std::string paint(bool pressShift = true) {
    if (pressShift) canvas.queueShiftPress();
    surface = std::make_unique<RecordingSurface>(canvas);
    const std::size_t before = out.str().size();
    canvas.paintAgain(
        [this](platform::Surface&, const platform::Rect& area) { run.paint(*surface, area); },
        {0, 0, canvas.width(), canvas.height()});
    return maskRuntime(out.str().substr(before));
  }

  // The headers written at (10, 10) during the last paint.
  std::vector<std::string> headers() const {
    std::vector<std::string> found;
    for (const auto& t : surface->texts)
      if (t.x == 10 && t.y == 10) found.push_back(t.text);
    return found;
  }

  RunState state;
  FrontEndResult frontEnd;
  platform::OffscreenWindow canvas;
  std::ostringstream out;
  InflationRun run{state, canvas, out};
  std::unique_ptr<RecordingSurface> surface;
};

}  // namespace velorin::testing
