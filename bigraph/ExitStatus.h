// The exit statuses of `bigraph`, documented in the README and in --help.
#pragma once

namespace bigraph {

enum ExitStatus {
  kExitOk = 0,            // the work is done, whatever the class of the bigraph
  kExitUsage = 1,         // a bad command line
  kExitBadInput = 2,      // input that is not a Gram matrix, or a file that cannot be read
  kExitDisagreement = 3,  // the run's shape and the exact type disagree: a fault of the program
  kExitFailure = 4,       // anything else: output cannot be written, memory ran out
  kExitInterrupted = 130  // stopped by Ctrl-C or SIGTERM; a sweep's lines written are whole
};

}  // namespace bigraph
