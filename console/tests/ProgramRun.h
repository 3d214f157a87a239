// Runs the built `inflations` with its output redirected to a file and a given text on its
// standard input, for the end-to-end tests.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;       // exit status, or -1 when it did not exit normally
  bool timedOut = false;  // killed after the time limit (a wait or a hang)
  std::string output;     // everything written to standard output
  long peakResidentKiB = 0;  // the most memory the program held at once
};

// Runs the program with the arguments (without the program name) and `input` on standard input;
// kills it when it runs longer than `limitSeconds`. A dataLimitBytes above 0 becomes the
// program's RLIMIT_DATA.
ProgramResult runInflations(const std::vector<std::string>& args, const std::string& input = "",
                            int limitSeconds = 60, unsigned long dataLimitBytes = 0);

// The same with standard input taken from the file at inputPath, for inputs too large to hold:
// the program's peak memory counts the memory of this process at the moment it starts.
ProgramResult runInflationsOnFile(const std::vector<std::string>& args,
                                  const std::string& inputPath, int limitSeconds = 60,
                                  unsigned long dataLimitBytes = 0);

// The output with the measured runtime of "Runtime: %.4f sec." replaced by X, so whole outputs
// compare.
std::string withoutRuntime(const std::string& output);
