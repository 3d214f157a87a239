// `bigraph roots` and `bigraph compare`: the roots of a positive bigraph, and weak and strong
// Gram congruence of two bigraphs with verified certificates.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "CoxeterReport.h"
#include "ExitStatus.h"
#include "Interrupt.h"

using namespace core;

namespace bigraph {

namespace {

struct RootsChoice {
  InputChoice input;
  bool positiveOnly = false;
  std::string format = "text";
  std::size_t maxRoots = kDefaultMaxRoots;
};

struct CompareChoice {
  std::string first;
  std::string second;
  std::string format = "text";
  double maxSeconds = kDefaultMaxSeconds;
};

int flushed() {
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0) {
    printFailure(std::string("cannot write the output: ") + std::strerror(errno));
    return kExitFailure;
  }
  return kExitOk;
}

int rootsCommand(const RootsChoice& choice) {
  const InputItem item = readChosenInput(choice.input);
  InterruptGuard guard(InterruptGuard::SecondSignal::EndsProgram);
  std::vector<Root> roots;
  try {
    roots = listRoots(item.upper, choice.positiveOnly, choice.maxRoots, &interruptRequested);
  } catch (const NotPositive& e) {
    printFailure(item.name + ": " + e.what());
    return kExitBadInput;
  } catch (const TooManyRoots& e) {
    printFailure(item.name + ": " + e.what());
    return kExitBadInput;
  }
  if (choice.format == "json") std::cout << rootsListJson(roots) << "\n";
  else writeRootsText(std::cout, roots);
  return flushed();
}

int compareCommand(const CompareChoice& choice) {
  const InputItem first = readInputFile(choice.first);
  const InputItem second = readInputFile(choice.second);
  InterruptGuard guard(InterruptGuard::SecondSignal::EndsProgram);
  const Comparison c = compareBigraphs(first.upper, second.upper, choice.maxSeconds, &interruptRequested);
  if (choice.format == "json") {
    std::cout << comparisonJson(c) << "\n";
  } else {
    std::cout << "first           " << first.name << "\nsecond          " << second.name << "\n";
    writeComparisonText(std::cout, c);
  }
  return flushed();
}

}  // namespace

void addRootsCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<RootsChoice>();
  CLI::App* command = app.add_subcommand(
      "roots",
      "the roots v (v^T G v = 1) of a positive bigraph, by coordinate sum, largest first, ties "
      "in lexicographic order, largest first; refused with status 2 for one that is not positive");
  addInputOptions(*command, choice->input);
  command->add_flag("--positive", choice->positiveOnly, "only the roots with no negative coordinate");
  command->add_option("--format", choice->format, "text (one root a line, default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  command
      ->add_option("--max-roots", choice->maxRoots,
                   "refuse (status 2) a bigraph with more roots than this (default " +
                       std::to_string(kDefaultMaxRoots) + ")")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  command->footer(inputFormsHelp("bigraph roots --nakayama 6 2 --positive"));
  command->callback([choice, &status] { status = rootsCommand(*choice); });
}

void addCompareCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<CompareChoice>();
  CLI::App* command = app.add_subcommand(
      "compare",
      "weak (S2 = B^T S1 B, S = G + G^T) and strong (G2 = B^T G1 B) Gram congruence of two "
      "bigraphs, each answer yes, no or unknown, with the certificate B verified");
  command->add_option("INPUT1", choice->first, "the first Gram matrix (text or JSON), - for standard input")
      ->required();
  command->add_option("INPUT2", choice->second, "the second Gram matrix")->required();
  command->add_option("--format", choice->format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  command
      ->add_option("--max-seconds", choice->maxSeconds,
                   "time bound of the strong search; past it the answer is unknown (default " +
                       std::to_string(static_cast<int>(kDefaultMaxSeconds)) + ")")
      ->type_name("S")
      ->check(CLI::PositiveNumber);
  command->footer(inputFormsHelp("bigraph compare first.txt second.json --format json"));
  command->callback([choice, &status] { status = compareCommand(*choice); });
}

}  // namespace bigraph
