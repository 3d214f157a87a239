// `bigraph classify`: one bigraph, its exact class and inflation run, as text or JSON.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "ExitStatus.h"
#include "JsonWriter.h"
#include "TextReport.h"

namespace {

struct ClassifyChoice {
  InputChoice input;
  RunChoice run;
  std::string format = "text";
};

int classifyCommand(const ClassifyChoice& choice) {
  const InputItem item = readChosenInput(choice.input);
  const Classification c = classify(item.upper, chosenRunSettings(choice.run));
  if (choice.format == "json") {
    std::cout << classificationJson(c) << "\n";
  } else {
    std::cout << "input           " << item.name << "\n";
    writeTextReport(std::cout, c);
  }
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0) {
    printFailure(std::string("cannot write the output: ") + std::strerror(errno));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void addClassifyCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<ClassifyChoice>();
  CLI::App* command = app.add_subcommand(
      "classify", "the exact class, Dynkin type and inflation run of one bigraph");
  addInputOptions(*command, choice->input);
  addRunOptions(*command, choice->run);
  command->add_option("--format", choice->format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  command->callback([choice, &status] { status = classifyCommand(*choice); });
}
