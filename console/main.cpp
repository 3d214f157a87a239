// Entry of the console program `inflations`.
#include <cstdio>

#include "FrontEnd.h"
#include "OutputCheck.h"
#include "Output.h"
#include "terminal.h"

int main(int argc, char** argv) {
  Out out(stdout);
  const Terminal terminal = Terminal::forStandardOutput();
  Console console{out, terminal};
  const int status = runInflationsProgram(argc, argv, stdin, console);
  out.flush();
  const int closeError = closeStandardOutput();
  if (const int error = out.failed() ? out.error() : closeError) {
    std::fprintf(stderr, "%s\n", cannotWriteMessage(error).c_str());
    return kExitWriteFailed;
  }
  return status;
}
