// `bigraph draw`: a picture of one bigraph as given, after its inflation run, or both, written
// as SVG, PDF, PNG or TikZ by the file's extension.
#include <iostream>
#include <memory>

#include "Commands.h"
#include "Draw.h"
#include "ExitStatus.h"

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
  return note;
}

DrawOptions drawOptions(const DrawChoice& choice) {
  DrawOptions options;
  options.state = *parseState(choice.state);
  if (!choice.layout.empty()) options.layout = *parseLayout(choice.layout);
  options.labels = *parseLabels(choice.labels);
  if (!choice.size.empty()) parseSize(choice.size, options.width, options.height);
  options.scale = choice.scale;
  options.standalone = choice.standalone;
  return options;
}

int drawCommand(const DrawChoice& choice) {
  try {
    formatOf(choice.output);  // a wrong extension is refused before any input is read or run
  } catch (const DrawError& e) {
    std::cerr << "bigraph: " << e.what() << std::endl;
    return kExitUsage;
  }
  const InputItem item = readChosenInput(choice.input);
  DrawRequest request;
  request.input = item.upper.clone();
  request.output = choice.output;
  request.options = drawOptions(choice);
  if (request.options.state != State::Input) {
    const Classification c = classify(item.upper, chosenRunSettings(choice.run));
    request.result = c.run ? c.run->result.clone() : item.upper.clone();
    request.resultNote = runNote(c.run);
  }
  try {
    for (const std::string& note : drawToFile(request).notes) std::cerr << "bigraph: note: " << note << std::endl;
  } catch (const DrawError& e) {
    std::cerr << "bigraph: " << e.what() << std::endl;
    return kExitUsage;
  }
  return kExitOk;
}

CLI::Validator sizeValidator() {
  return CLI::Validator(
      [](std::string& text) {
        int width = 0, height = 0;
        return parseSize(text, width, height) ? std::string()
                                              : "expected WIDTHxHEIGHT or N in pixels, got " + text;
      },
      "WxH");
}

}  // namespace

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
                      "input (default): as given; result: after the inflation run; both: side by side")
      ->check(CLI::IsMember({"input", "result", "both"}));
  command->add_option("--layout", choice->layout,
                      "circle (default for the input) or shape (default for a result with a "
                      "standard drawing)")
      ->check(CLI::IsMember({"circle", "shape"}));
  command->add_option("--labels", choice->labels, "numbers (default) or none")
      ->check(CLI::IsMember({"numbers", "none"}));
  command->add_option("--size", choice->size, "the exact size in pixels, WIDTHxHEIGHT or N")
      ->check(sizeValidator());
  command->add_option("--scale", choice->scale, "pixels per edge length (default 60)")
      ->check(CLI::Range(0.5, 10000.0));
  command->add_flag("--standalone", choice->standalone, "TikZ: a compilable standalone document");
  command->callback([choice, &status] { status = drawCommand(*choice); });
}
