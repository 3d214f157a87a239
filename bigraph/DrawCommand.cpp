// `bigraph draw`: a picture of one bigraph as given, after its inflation run, or both, written
// as SVG, PDF, PNG or TikZ by the file's extension.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "Commands.h"
#include "Draw.h"
#include "DrawResult.h"
#include "ExitStatus.h"
#include "OutputFile.h"

using namespace core;

namespace bigraph {

namespace {

using namespace bigraph::draw;

struct DrawChoice {
  InputChoice input;
  RunChoice run;
  std::string output;
  std::string state = "input";
  std::string layout;
  std::string labels = "numbers";
  std::string size;
  double scale = 0;
  bool standalone = false;
};

// "9 inflations, rule last", or why the bigraph is shown as it was.
std::string runNote(const std::optional<RunReport>& run) {
  if (!run) return "no inflation run";
  std::string note = std::to_string(run->steps) + (run->steps == 1 ? " inflation" : " inflations");
  note += ", rule ";
  note += edgeRuleName(run->rule);
  if (run->end == RunEnd::StepBound) note += ", step bound reached";
  if (run->end == RunEnd::Error) note += ", stopped by an error";
  if (run->end == RunEnd::Cycle) note += ", stopped in a cycle";
  return note;
}

// Why the result drawn is the input itself: a run that was not made is said, not drawn silently.
std::string noRunNote(const RunSettings& settings, const Invariants& inv) {
  if (settings.noRun) return "note: no inflation run (--no-run): the result drawn is the input";
  return std::string("note: no inflation run: this bigraph is ") + definitenessName(inv.definiteness) +
         ", and only positive bigraphs and non-negative ones of corank 1 are run unless "
         "--max-steps N is given: the result drawn is the input";
}

DrawOptions drawOptions(const DrawChoice& choice) {
  DrawOptions options;
  options.state = *parseState(choice.state == "normal" ? "result" : choice.state);
  if (!choice.layout.empty()) options.layout = *parseLayout(choice.layout);
  options.labels = *parseLabels(choice.labels);
  if (!choice.size.empty()) parseSize(choice.size, options.width, options.height);
  options.scale = choice.scale;
  options.standalone = choice.standalone;
  return options;
}

// True when the output names the input file itself (also through a link, or standard input
// redirected from it): drawing would destroy the Gram matrix it reads.
bool outputIsTheInput(const InputChoice& input, const std::string& output) {
  if (!input.nakayama.empty()) return false;
  struct stat in {}, out {};
  const bool inputKnown = input.path == kStandardInputName ? fstat(STDIN_FILENO, &in) == 0
                                                           : stat(input.path.c_str(), &in) == 0;
  return inputKnown && stat(output.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
         in.st_ino == out.st_ino;
}

int drawCommand(const DrawChoice& choice) {
  try {
    // A wrong extension or a target that may not be written is refused before any input is
    // read or run.
    formatOf(choice.output);
    if (outputIsTheInput(choice.input, choice.output))
      throw DrawError("cannot write \"" + choice.output + "\": it is the input file");
    checkOutputTarget(choice.output);
  } catch (const DrawError& e) {
    printFailure(e.what());
    return kExitUsage;
  }
  const InputItem item = readChosenInput(choice.input);
  DrawRequest request;
  request.input = item.upper.clone();
  request.output = choice.output;
  request.options = drawOptions(choice);
  try {
    if (const auto note = addDrawnResult(request, choice.state, chosenRunSettings(choice.run)))
      printFailure(*note);
  } catch (const NoNormalForm& e) {
    printFailure(e.what());
    return kExitBadInput;
  }
  try {
    for (const std::string& note : drawToFile(request).notes) printFailure("note: " + note);
  } catch (const DrawWriteError& e) {
    printFailure(e.what());
    return kExitFailure;
  } catch (const DrawError& e) {
    printFailure(e.what());
    return kExitUsage;
  }
  return kExitOk;
}

CLI::Validator sizeValidator() {
  return CLI::Validator(
      [](std::string& text) {
        int width = 0, height = 0;
        return parseSize(text, width, height)
                   ? std::string()
                   : "expected WIDTHxHEIGHT or N, each side " + std::to_string(kSmallestSide) +
                         " to " + std::to_string(kLargestSide) + " pixels, got " + text;
      },
      "WxH");
}

}  // namespace

std::optional<std::string> addDrawnResult(DrawRequest& request, const std::string& state,
                                          const RunSettings& settings, const std::atomic<bool>* stop,
                                          const InvariantsControl* control) {
  if (state == "normal") {
    RunSettings noRun = settings;
    noRun.noRun = true;
    const Classification c = classify(request.input, noRun, stop, control);
    if (!c.normalForm)
      throw NoNormalForm(std::string("no normal form: only non-negative bigraphs with every "
                                     "diagonal entry 1 have one (this one is ") +
                         definitenessName(c.invariants.definiteness) +
                         (c.invariants.loopFree ? "" : ", with loops") + ")");
    request.result = c.normalForm->gram.clone();
    request.resultNote = "normal form " + c.normalForm->name;
  } else if (state != "input") {
    const Classification c = classify(request.input, settings, stop, control);
    request.result = c.run ? c.run->result.clone() : request.input.clone();
    request.resultNote = runNote(c.run);
    if (!c.run) return noRunNote(settings, c.invariants);
  }
  return std::nullopt;
}

void addDrawCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<DrawChoice>();
  CLI::App* command = app.add_subcommand(
      "draw", "a picture of one bigraph (.svg, .pdf, .png, or TikZ .tex) for papers");
  addInputOptions(*command, choice->input);
  addRunOptions(*command, choice->run);
  command->add_option("--output,-o", choice->output, "the picture; its extension names the format")
      ->required()
      ->type_name("FILE");
  command->add_option("--state", choice->state,
                      "input (default): as given; result: after the inflation run; both: side by "
                      "side; normal: the normal form N of a non-negative bigraph")
      ->check(CLI::IsMember({"input", "result", "both", "normal"}));
  command->add_option("--layout", choice->layout,
                      "circle (default for the input) or shape (default for a result with a "
                      "standard drawing)")
      ->check(CLI::IsMember({"circle", "shape"}));
  command->add_option("--labels", choice->labels, "numbers (default) or none")
      ->check(CLI::IsMember({"numbers", "none"}));
  command->add_option("--size", choice->size,
                      "the exact size in pixels, WIDTHxHEIGHT or N (each side 50 to 30000): the "
                      "whole drawing scaled to fit")
      ->check(sizeValidator());
  command->add_option("--scale", choice->scale, "pixels per edge length (default 60)")
      ->check(CLI::Validator(
          [](std::string& text) {
            // CLI::Range lets NaN through (every comparison with it is false).
            const double value = std::strtod(text.c_str(), nullptr);
            return value >= 0.5 && value <= 10000.0 ? std::string()
                                                    : "expected a number in 0.5 .. 10000, got " + text;
          },
          "FLOAT in [0.5 - 10000]"));
  command->add_flag("--standalone", choice->standalone, "TikZ: a compilable standalone document");
  command->footer(inputFormsHelp("bigraph draw --nakayama 8 3 --state both -o e8.svg"));
  command->callback([choice, &status] { status = drawCommand(*choice); });
}

}  // namespace bigraph
