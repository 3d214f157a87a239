// The subcommands of `bigraph`. Each registers itself on the program's CLI::App with its options
// and a callback that does the work and leaves its exit status in `status`; a new subcommand is
// one more such function, called in Program.cpp. The input and run options are shared here so
// every subcommand reads its input the same way.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Classification.h"
#include "GramInput.h"

namespace bigraph {

void addClassifyCommand(CLI::App& app, int& status);
void addSweepCommand(CLI::App& app, int& status);
void addDrawCommand(CLI::App& app, int& status);
void addRootsCommand(CLI::App& app, int& status);
void addCompareCommand(CLI::App& app, int& status);

// One input: `--nakayama N R` or a file name ("-" for standard input).
struct InputChoice {
  std::vector<int> nakayama;
  std::string path;
};
// Adds --nakayama and the positional INPUT to `command`.
void addInputOptions(CLI::App& command, InputChoice& choice);
// The chosen input, read; throws CLI::RequiredError when neither was given, BadInput when the
// input is bad.
InputItem readChosenInput(const InputChoice& choice);

// The end of a subcommand's --help: the input forms, each with its example, then `example`
// (one or more command lines).
std::string inputFormsHelp(const std::string& example);

// --rule, --seed, --max-steps, --no-run, --certificate.
struct RunChoice {
  std::string rule = core::edgeRuleName(kDefaultRule);
  RunSettings settings;
};
void addRunOptions(CLI::App& command, RunChoice& choice);
// The settings with the rule's number, and a seed drawn now when a random rule has none.
RunSettings chosenRunSettings(const RunChoice& choice);

// The run options as they are written into every sweep line, so --resume can tell a line made
// otherwise: "--rule R", then "--seed S", "--max-steps M", "--no-run", "--certificate".
std::string optionsText(const RunSettings& settings);

// "bigraph: LINE" on standard error, with bytes a terminal would act on (from file names and
// other outside text) escaped as \xNN. Every failure message of the program goes through here.
void printFailure(const std::string& line);

// Runs the program: parses the command line and calls the chosen subcommand.
int runBigraph(int argc, char** argv);

}  // namespace bigraph
