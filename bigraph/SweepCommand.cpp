// `bigraph sweep`: a family of bigraphs classified in parallel, one JSON line or CSV row per
// item in a stable order, with a progress line on a terminal, Ctrl-C and --resume.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>

#include "Commands.h"
#include "Interrupt.h"
#include "ExitStatus.h"
#include "JsonWriter.h"
#include "QuotedText.h"
#include "SweepItems.h"
#include "SweepScheduler.h"

using namespace core;

namespace bigraph {

namespace {

struct SweepChoice {
  std::vector<std::string> nakayama;
  std::vector<std::string> files;
  std::string format = "jsonl";
  int jobs = 0;
  std::string resume;
  bool coxeter = false;
  RunChoice run;
};

// A whole line at once, straight to the file descriptor: a signal arriving while a slow reader
// holds the pipe full only sets the flag, and the line is finished before the sweep stops, so
// an interruption never leaves half a line behind.
void writeLine(const std::string& line) {
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t put = ::write(STDOUT_FILENO, line.data() + done, line.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
    done += static_cast<std::size_t>(put);
  }
}

void showProgress(const SweepProgress& p) {
  if (p.current.empty()) {
    std::fputs("\r\033[K", stderr);  // the sweep is over: leave a clean line
    return;
  }
  const double rate = p.elapsedSeconds > 0 ? p.done / p.elapsedSeconds : 0;
  std::fprintf(stderr, "\r\033[K%zu/%zu items, %.1f items/s, at %s, %.1f s", p.done, p.total,
               rate, escapedForTerminal(p.current).c_str(), p.elapsedSeconds);
  std::fflush(stderr);
}

SweepFamily chosenFamily(const SweepChoice& choice) {
  std::optional<std::pair<IntRange, IntRange>> ranges;
  if (!choice.nakayama.empty()) {
    try {
      ranges.emplace(parseRange(choice.nakayama[0], false), parseRange(choice.nakayama[1], true));
    } catch (const std::invalid_argument& e) {
      throw CLI::ValidationError("--nakayama", e.what());
    }
  }
  if (!ranges && choice.files.empty())
    throw CLI::RequiredError("--nakayama N1..N2 R1..R2 or an input file");
  return SweepFamily(ranges, choice.files);
}

}  // namespace

std::string optionsText(const RunSettings& settings) {
  std::string text = std::string("--rule ") + edgeRuleName(settings.rule);
  if (settings.seed) text += " --seed " + std::to_string(*settings.seed);
  if (settings.maxSteps) text += " --max-steps " + std::to_string(*settings.maxSteps);
  if (settings.noRun) text += " --no-run";
  if (settings.certificate) text += " --certificate";
  if (settings.coxeter) text += " --coxeter";
  return text;
}

namespace {

// The seed written in an earlier output's options, if any.
std::optional<std::uint32_t> recordedSeed(const std::string& options) {
  const std::size_t at = options.find("--seed ");
  if (at == std::string::npos) return std::nullopt;
  return static_cast<std::uint32_t>(std::strtoul(options.c_str() + at + 7, nullptr, 10));
}

int sweepCommand(const SweepChoice& choice) {
  const SweepFamily family = chosenFamily(choice);
  // An empty family (--nakayama 3..4 5..n) is a sweep with no items, not a usage error: a
  // script walking over ranges gets a CSV header or nothing, and status 0.
  if (family.size() == 0)
    printFailure("the family is empty (no A_N(R) with N in " + choice.nakayama[0] + " and R in " +
                 choice.nakayama[1] + "); no items");
  const bool csv = choice.format == "csv";
  RunChoice run = choice.run;
  EarlierOutput earlier;
  if (!choice.resume.empty()) {
    earlier = readEarlierOutput(choice.resume, csv, family);
    // A random sweep resumed without --seed goes on with the seed it was started with.
    if (!run.settings.seed && earlier.options && isRandom(edgeRuleNamed(run.rule).value_or(kDefaultRule)))
      run.settings.seed = recordedSeed(*earlier.options);
  }
  RunSettings settings = chosenRunSettings(run);
  settings.coxeter = settings.coxeterForced = choice.coxeter;
  const std::string options = optionsText(settings);
  if (earlier.options && *earlier.options != options)
    throw BadInput(choice.resume, {1, 1},
                   "made with the options " + quotedForMessage(*earlier.options) +
                       ", this sweep has " + quotedForMessage(options));
  if (csv && !earlier.hasHeader) writeLine(csvHeader(settings.coxeter) + "\n");

  InterruptGuard guard(InterruptGuard::SecondSignal::SetsTheFlag);
  const bool progress = isatty(STDERR_FILENO) != 0;
  const std::uint64_t first = earlier.items;  // the items still to do are first, first + 1, ...
  SweepJob job;
  job.count = static_cast<std::size_t>(family.size() - first);
  job.workers = choice.jobs > 0 ? choice.jobs
                                : std::max(1u, std::thread::hardware_concurrency());
  job.name = [&](std::size_t k) { return family.at(first + k).name; };
  // A file that cannot be read is reported (in order, by the writer) and has no line; the
  // sweep goes on with the others and ends with status 2.
  std::vector<std::string> refusals(choice.files.size());
  bool anyRefused = false;
  job.work = [&](std::size_t k) {
    const SweepItem wanted = family.at(first + k);
    const SweepRecord record{first + k + 1, options, settings.seed};
    const auto start = std::chrono::steady_clock::now();
    InputItem item;
    try {
      item = wanted.fileIndex < 0 ? nakayamaItem(*wanted.n, *wanted.r)
                                  : readInputFile(choice.files[wanted.fileIndex]);
    } catch (const BadInput& e) {
      if (wanted.fileIndex < 0) throw;
      refusals[wanted.fileIndex] = e.what();
      return std::string();
    }
    const Classification c = classify(item.upper, settings, &interruptRequested);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return (csv ? csvRow(item, record, c, seconds) : sweepJsonLine(item, record, c)) + "\n";
  };
  std::size_t nextWritten = 0;
  job.write = [&](const std::string& line) {
    const SweepItem written = family.at(first + nextWritten++);
    if (!line.empty()) return writeLine(line);
    if (progress) std::fputs("\r\033[K", stderr);
    printFailure(refusals[written.fileIndex]);
    anyRefused = true;
  };
  if (progress) job.progress = showProgress;
  const std::size_t written = runSweep(job, interruptRequested);
  if (interruptRequested.load()) {
    if (progress) std::fputs("\r\033[K", stderr);  // the message on a line of its own
    printFailure("interrupted; " + std::to_string(first + written) + " of " +
                 std::to_string(family.size()) + " items written");
    return kExitInterrupted;
  }
  return anyRefused ? kExitBadInput : kExitOk;
}

}  // namespace

void addSweepCommand(CLI::App& app, int& status) {
  auto choice = std::make_shared<SweepChoice>();
  CLI::App* command = app.add_subcommand(
      "sweep", "classify a family of bigraphs, one line per item, in a stable order");
  command
      ->add_option("--nakayama", choice->nakayama,
                   "every A_N(R) for N in N1..N2 and R in R1..R2 (inclusive; R2 may be n)")
      ->expected(2)
          ->allow_extra_args(false)
      ->type_name("N1..N2 R1..R2");
  command->add_option("FILES", choice->files, "Gram matrix files (text or JSON), - for standard input");
  command->add_option("--format", choice->format, "jsonl (default) or csv")
      ->check(CLI::IsMember({"jsonl", "csv"}));
  command->add_option("--jobs,-j", choice->jobs, "worker threads (default: number of cores)")
      ->check(CLI::Range(1, 1024));
  command->add_option("--resume", choice->resume,
                      "skip the items already in FILE (an interrupted output; append to it)")
      ->type_name("FILE");
  command->add_flag("--coxeter", choice->coxeter,
                    "add the Coxeter data (polynomial, factors, number) and the root counts; "
                    "in CSV the column coxeter_polynomial, coefficients lowest degree first");
  addRunOptions(*command, choice->run);
  command->footer(inputFormsHelp("bigraph sweep --nakayama 3..10 2..n --format csv > nakayama.csv"));
  command->callback([choice, &status] { status = sweepCommand(*choice); });
}

}  // namespace bigraph
