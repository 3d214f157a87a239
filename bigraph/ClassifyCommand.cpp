// `bigraph classify`: one bigraph, its exact class and inflation run, as text, JSON or LaTeX.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "CoxeterReport.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "JsonWriter.h"
#include "LatexReport.h"
#include "TextReport.h"

using namespace core;

namespace bigraph {

namespace {

struct ClassifyChoice {
  InputChoice input;
  RunChoice run;
  std::string format = "text";
  bool coxeter = false;
  bool noCoxeter = false;
};

// A progress line on standard error, on a terminal only, once the work has taken a few
// seconds; cleared before anything else is written.
class ProgressLine {
 public:
  void show(double fraction) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(2) || now - last_ < std::chrono::milliseconds(200))
      return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\r\033[Kexact invariants: %.0f%%, %.0f s (Ctrl-C stops)",
                 100 * fraction, seconds);
    std::fflush(stderr);
    shown_ = true;
  }
  void clear() {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_ = start_;
  bool shown_ = false;
};

int classifyCommand(const ClassifyChoice& choice) {
  const InputItem item = readChosenInput(choice.input);
  // Ctrl-C sets the flag once (it is read only between steps of the work); a second one ends
  // the program at once.
  InterruptGuard guard(InterruptGuard::SecondSignal::EndsProgram);
  ProgressLine progress;
  InvariantsControl control;
  control.stop = &interruptRequested;
  if (isatty(STDERR_FILENO)) control.progress = [&progress](double f) { progress.show(f); };
  Classification c;
  try {
    RunSettings settings = chosenRunSettings(choice.run);
    settings.coxeter = !choice.noCoxeter;
    settings.coxeterForced = choice.coxeter;
    c = classify(item.upper, settings, &interruptRequested, &control);
  } catch (const InvariantsStopped&) {
    progress.clear();
    std::cerr << "bigraph: interrupted" << std::endl;
    return kExitInterrupted;
  } catch (const CoxeterWorkStopped&) {
    progress.clear();
    std::cerr << "bigraph: interrupted" << std::endl;
    return kExitInterrupted;
  }
  progress.clear();
  if (choice.format == "json") {
    std::cout << classificationJson(c) << "\n";
  } else if (choice.format == "latex") {
    writeLatexReport(std::cout, item.name, c);
  } else {
    std::cout << "input           " << item.name << "\n";
    writeTextReport(std::cout, c);
  }
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0) {
    printFailure(std::string("cannot write the output: ") + std::strerror(errno));
    return kExitFailure;
  }
  // A run stopped by Ctrl-C is reported as "stopped"; the status still says so.
  return interruptRequested.load() ? kExitInterrupted : kExitOk;
}

}  // namespace

void addClassifyCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<ClassifyChoice>();
  CLI::App* command = app.add_subcommand(
      "classify",
      "the exact class, Dynkin type, Coxeter data and inflation run of one bigraph");
  addInputOptions(*command, choice->input);
  addRunOptions(*command, choice->run);
  command->add_option("--format", choice->format,
                      "text (default), json, or latex (G, the result G' and B as pmatrix)")
      ->check(CLI::IsMember({"text", "json", "latex"}));
  CLI::Option* coxeter = command->add_flag(
      "--coxeter", choice->coxeter,
      "make the Coxeter data also above " + std::to_string(kCoxeterVerticesByDefault) +
          " vertices (made by default up to there)");
  command->add_flag("--no-coxeter", choice->noCoxeter, "leave out the Coxeter data and roots")
      ->excludes(coxeter);
  command->footer(inputFormsHelp("bigraph classify --nakayama 6 2 --certificate\n"
                                 "  printf 'edges\\n1 2 -1\\n2 3 -1\\n' | bigraph classify - --format json"));
  command->callback([choice, &status] { status = classifyCommand(*choice); });
}

}  // namespace bigraph
