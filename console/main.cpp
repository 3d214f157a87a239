// Entry of the console program `inflations`.
#include <cstdio>

#include "FrontEnd.h"
#include "OutputCheck.h"
#include "Output.h"
#include "terminal.h"

int main(int argc, char** argv) {
  console::Out out(stdout);
  const console::Terminal terminal = console::Terminal::forStandardOutput();
  console::Console console{out, terminal};
  const int status = console::runInflationsProgram(argc, argv, stdin, console);
  out.flush();
  const int closeError = core::closeStandardOutput();
  if (const int error = out.failed() ? out.error() : closeError) {
    std::fprintf(stderr, "%s\n", core::cannotWriteMessage(error).c_str());
    return core::kExitWriteFailed;
  }
  return status;
}
