// The input and run options every subcommand shares.
#include <chrono>
#include <limits>
#include <random>

#include "Commands.h"

using namespace core;

namespace bigraph {

void addInputOptions(CLI::App& command, InputChoice& choice) {
  CLI::Option* nakayama =
      command.add_option("--nakayama", choice.nakayama, "the bigraph of the Nakayama algebra A_N(R)")
          ->expected(2)
          ->allow_extra_args(false)
          ->type_name("N R")
          ->check(CLI::Range(0, 1 << 30));
  command
      .add_option("INPUT", choice.path,
                  "a Gram matrix as text or JSON ({\"gram\": [[...], ...]}); - for standard input")
      ->excludes(nakayama);
}

std::string inputFormsHelp(const std::string& example) {
  return "Input files (- for standard input) hold a Gram matrix in one of these forms\n"
         "(the path A_3 as example; / stands for a line break):\n"
         "  rows       n rows of n integers                  1 -1 0 / 0 1 -1 / 0 0 1\n"
         "  dialogue   n alone, then the n*n entries         3 / 1 -1 0 0 1 -1 0 0 1\n"
         "  edge list  \"edges\" [n], then lines i j entry     edges / 1 2 -1 / 2 3 -1\n"
         "  JSON       an object with \"gram\"                 {\"gram\": [[1,-1,0],[0,1,-1],[0,0,1]]}\n"
         "Only the diagonal and the upper triangle count (the edge list's diagonal is 1 unless\n"
         "a line i i d sets it); # starts a comment; a lone number is n, so 0 has no vertex.\n\n"
         "Example:\n  " + example;
}

InputItem readChosenInput(const InputChoice& choice) {
  if (!choice.nakayama.empty()) return nakayamaItem(choice.nakayama[0], choice.nakayama[1]);
  if (choice.path.empty()) throw CLI::RequiredError("--nakayama N R or INPUT");
  return readInputFile(choice.path);
}

void addRunOptions(CLI::App& command, RunChoice& choice) {
  std::vector<std::string> rules;
  for (int k = 0; k < kEdgeRuleCount; ++k) rules.push_back(edgeRuleName(static_cast<EdgeRule>(k)));
  command.add_option("--rule", choice.rule, "edge choice of the inflation run (default last)")
      ->check(CLI::IsMember(rules));
  command.add_option("--seed", choice.settings.seed, "seed of the random rules (printed)");
  command
      .add_option("--max-steps", choice.settings.maxSteps,
                  "step bound; default 10 n^2 + 100, and runs only on positive and corank-1 "
                  "non-negative bigraphs; given, runs any bigraph at most M steps")
      ->type_name("M")
      ->check(CLI::Range(std::int64_t{1}, std::numeric_limits<std::int64_t>::max()));
  command.add_flag("--no-run", choice.settings.noRun, "make no inflation run");
  command.add_flag("--certificate", choice.settings.certificate,
                   "the certificate B with B^T (G + G^T) B = G' + G'^T, verified");
}

RunSettings chosenRunSettings(const RunChoice& choice) {
  RunSettings settings = choice.settings;
  settings.rule = edgeRuleNamed(choice.rule).value_or(kDefaultRule);  // checked by --rule's IsMember
  if (!isRandom(settings.rule)) {
    settings.seed.reset();
  } else if (!settings.seed) {
    std::random_device device;
    settings.seed = static_cast<std::uint32_t>(device());
  }
  return settings;
}

}  // namespace bigraph
