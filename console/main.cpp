// Entry of the console program `inflations`.
#include <cstdio>

#include "FrontEnd.h"
#include "Output.h"
#include "terminal.h"

int main(int argc, char** argv) {
  Out out(stdout);
  const Terminal terminal = Terminal::forStandardOutput();
  Console console{out, terminal};
  const int status = runInflationsProgram(argc, argv, stdin, console);
  out.flush();
  return status;
}
