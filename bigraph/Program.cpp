// The program: the command line with its subcommands, and the words and statuses of failures.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <optional>

#include "Commands.h"
#include "CoxeterReport.h"
#include "ExitStatus.h"
#include "QuotedText.h"

using namespace core;

namespace bigraph {

namespace {

const char* const kVersion = "bigraph 1.0";

const char* const kFooter =
    "Exit status: 0 done (whatever the class or answer), 1 bad command line, 2 bad input\n"
    "(also: roots of a bigraph that is not positive, or more than --max-roots),\n"
    "3 a check of the program's own results failed (a fault of the program),\n"
    "4 other failure, 130 interrupted (Ctrl-C or SIGTERM).";

int failure(const std::string& line, int status) {
  printFailure(line);
  return status;
}

// Help and version go to standard output; a failure to write them is a failure like any other.
int helpShown() {
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0) return kExitOk;
  return failure(std::string("cannot write the output: ") + std::strerror(errno), kExitFailure);
}

// The first word that is not an option names the subcommand (the program's own options,
// --help and --version, take no value); an unknown one is named with the list of subcommands,
// where CLI11 would only say that a subcommand is required.
std::optional<std::string> unknownSubcommand(const CLI::App& app, int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    const std::string word = argv[k];
    if (word == "--") break;
    if (!word.empty() && word[0] == '-') continue;
    std::string known;
    for (const CLI::App* command : app.get_subcommands({})) {
      if (command->check_name(word)) return std::nullopt;
      known += (known.empty() ? "" : ", ") + command->get_name();
    }
    return "unknown subcommand " + quotedForMessage(word) + "; the subcommands are " + known +
           " (bigraph --help describes them)";
  }
  return std::nullopt;
}

}  // namespace

void printFailure(const std::string& line) {
  std::cerr << escapedForTerminal("bigraph: " + line) << std::endl;
}

int runBigraph(int argc, char** argv) {
  CLI::App app("Exact class, Dynkin type, inflation run and certificate of bigraphs.", "bigraph");
  app.set_version_flag("--version", kVersion);
  app.footer(kFooter);
  app.require_subcommand(1);
  app.failure_message([](const CLI::App* command, const CLI::Error& e) {
    return escapedForTerminal(CLI::FailureMessage::simple(command, e));
  });
  int status = kExitOk;
  addClassifyCommand(app, status);
  addSweepCommand(app, status);
  addDrawCommand(app, status);
  addRootsCommand(app, status);
  addCompareCommand(app, status);
  if (const auto unknown = unknownSubcommand(app, argc, argv)) return failure(*unknown, kExitUsage);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);  // prints help or version to stdout, errors to stderr
    return code == 0 ? helpShown() : kExitUsage;
  } catch (const BadInput& e) {
    return failure(e.what(), kExitBadInput);
  } catch (const NotPositive& e) {
    return failure(e.what(), kExitBadInput);
  } catch (const TooManyRoots& e) {
    return failure(e.what(), kExitBadInput);
  } catch (const CoxeterWorkStopped&) {
    return failure("interrupted", kExitInterrupted);
  } catch (const DisagreementError& e) {
    return failure(std::string("internal error: ") + e.what(), kExitDisagreement);
  } catch (const std::bad_alloc&) {
    return failure("out of memory", kExitFailure);
  } catch (const std::exception& e) {
    return failure(e.what(), kExitFailure);
  } catch (const char* message) {  // the integer layer throws its messages as text
    return failure(withoutLayerName(message), kExitFailure);
  }
  return status;
}

}  // namespace bigraph
