// The front end of velorin: help text, command line, dialogue, normalisation and echo of the
// run parameters, the bound, and the one bigraph.
#pragma once

#include <cstdio>
#include <ostream>

#include "RunState.h"

namespace velorin {

// What main does next: run the window (proceed), or end with exitStatus.
struct FrontEndResult {
  bool proceed = false;
  int exitStatus = 0;
};

// The help text, exactly as printed (its last line has no line break).
const char* helpText();

// Reads the command line (argv as UTF-8 bytes, taken as they are) and, without arguments, the
// dialogue from `in`; writes help, prompts, messages and the echo to `out`. On success the
// parameters, the bound and the bigraph are in `state`. Bad arguments (a missing position or a
// number outside the int range) end with kBadArgumentsLine and status 1, bad input with
// "Error: " and its reason on its own line and status 1.
FrontEndResult readFrontEnd(int argc, const char* const argv[], std::FILE* in, std::ostream& out,
                            RunState& state);

// Normalises w and p to 0 or 1 and an unknown variant to 2.
void normaliseParameters(RunParameters& params);

// The "Your data:" echo line.
std::string echoLine(const RunParameters& params);

// Sets UIDFpos for n vertices and replaces a maximum of -1 or -2 by it (-2 also shows it).
void applyBound(RunParameters& params, int n);

}  // namespace velorin
