// The console program's front end: command line, help text, dialogue, and the hand-over of
// the bigraph to the run.
#pragma once

#include <cstdio>
#include <memory>

#include "Bigraph.h"
#include "DialogueReader.h"
#include "Output.h"
#include "Run.h"

namespace console {

struct Command {
  enum class Kind { Dialogue, Help, BadArguments, Nakayama };
  Kind kind = Kind::BadArguments;
  int n = 0;  // Nakayama form: A_n(r)
  int r = 0;
  RunParameters parameters;
};

// Reads the command line: no argument, "--help" alone, or "--Nakayama n r [k m [s [a]]]" with
// its fixed positions (k 4, m 5, s 6 read only when k > 0, a 7) and the atoi rule for numbers.
// Fewer arguments than the positions read, or a number read outside the int range, is a bad
// command line.
Command parseCommandLine(int argc, const char* const argv[]);

void printHelp(Out& out);

// The dialogue: the number of vertices, the n x n matrix, then k, m, s (only when k > 0), a;
// prompts go to out, answers come from reader. Throws InputError on bad input.
std::unique_ptr<core::Bigraph> readDialogue(core::DialogueReader& reader, Out& out, RunParameters& parameters);

// The bigraph of A_n(r). Throws InputError for a negative n or one too large for memory.
std::unique_ptr<core::Bigraph> buildNakayama(int n, int r);

// The whole program; returns the exit status (0 help or run, 1 bad arguments or bad input,
// 2 refused inflation, 3 error of the integer layer during the run).
int runInflationsProgram(int argc, const char* const argv[], std::FILE* in, Console& console);

}  // namespace console
