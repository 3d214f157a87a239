// The console program's front end: command line, help text, dialogue and hand-over.
#include "FrontEnd.h"

#include <cstring>
#include <new>

#include "MemoryFit.h"
#include "NakayamaArguments.h"

using namespace core;

namespace console {

namespace {

constexpr int kExitBadInput = 1;

constexpr const char* kHelpLines[] = {
    "Possible arguments of \"inflations\" program:\n",
    "1) without arguments - introducing a bigraph by hand:\n",
    "   Program asks for the number of vertices and next,\n",
    "   for a non-symmetric upper triangular Gram matrix\n",
    "   (coeffs separated by space, rows separated by newline).\n",
    "   After this, program asks also for parameters k, m, s, a\n   (cf. below).\n",
    "2) --Nakayama n r:\n",
    "   Program computes the bigraph associated with Nakayama algebra A_n(r).\n",
    "Optional parameters to 2): k m s a\n",
    "   k: display bigraph every k inflations\n      (k <= 0 means: display the final effect only);\n",
    "   m: execute max. m inflations\n      (m <= 0 means: execute until no dotted edges);\n",
    "   s: wait s miliseconds after each display\n      (if k <= 0, s is ignored).\n",
    "   a: variant of the algorithm: way of choosing edges for the inflation:\n",
    "      0 = choose first dotted edge,\n",
    "      1 = choose first dotted edge with the highest mutliplicity\n",
    "          (potentially slightly slower, but in most cases the same\n",
    "          fast as above; different behaviour in \"wild cases\")\n",
    "      2 = choose last dotted edge (seems to be faster on Nakayamas),\n",
    "      3 = choose last dotted edge with the highest mutliplicity,\n",
    "      (if a omitted, its default value is 0).\n",
    "                                                    Enjoy!",
};

Command nakayamaCommand(int argc, const char* const argv[]) {
  namespace pos = nakayama_position;
  Command command;
  const auto arguments = NakayamaArguments::read(argc, argv, pos::consoleA);
  if (!arguments) return command;
  command.kind = Command::Kind::Nakayama;
  command.n = arguments->n();
  command.r = arguments->r();
  RunParameters& p = command.parameters;
  p.k = arguments->numberOr(pos::k, p.k);
  p.m = arguments->numberOr(pos::m, p.m);
  p.s = arguments->numberOr(pos::s, p.s);
  p.a = arguments->numberOr(pos::consoleA, p.a);
  return command;
}

// Writes the prompt and makes it visible before the program waits for the answer.
void prompt(Out& out, const char* text) {
  out.write(text);
  out.flush();
}

// Builds the Bigraph on the input matrix, which it takes over without a copy.
std::unique_ptr<Bigraph> adopt(GramMatrix matrix) {
  const int n = matrix.vertices();
  try {
    return std::make_unique<Bigraph>(std::move(matrix));
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

void writeInputError(const InputError& error, Out& out) {
  out.endLine();
  out.write("Error: ");
  out.write(error.what());
  out.put('\n');
}

}  // namespace

Command parseCommandLine(int argc, const char* const argv[]) {
  Command command;
  if (argc <= 1) {
    command.kind = Command::Kind::Dialogue;
  } else if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    command.kind = Command::Kind::Help;
  } else if (std::strcmp(argv[1], "--Nakayama") == 0) {
    command = nakayamaCommand(argc, argv);
  }
  return command;
}

void printHelp(Out& out) {
  for (const char* line : kHelpLines) out.write(line);
}

std::unique_ptr<Bigraph> readDialogue(DialogueReader& reader, Out& out, RunParameters& p) {
  prompt(out, "(Hint: run \"inflations --help\" to see documentation)\nNumber of vertices: ");
  const int n = reader.readInt("the number of vertices");
  checkMatrixFits(n);
  prompt(out, "Upper triangular Gram matrix:\n");
  GramMatrix matrix = reader.readMatrix(n);
  prompt(out, "Display bigraph every k inflations (k <= 0 means: display only final effect):\nk = ");
  p.k = reader.readInt("k");
  prompt(out, "Execute max. m inflations (m <= 0 means: execute until no dotted edges):\nm = ");
  p.m = reader.readInt("m");
  if (p.k > 0) {
    prompt(out, "Wait s miliseconds after each display:\ns = ");
    p.s = reader.readInt("s");
  }
  prompt(out,
         "Variant of the algorithm:\n 0 = first dotted,\n 1 = first highest dotted,\n"
         " 2 = last dotted,\n 3 = last highest dotted (see \"--help\" for details).\n");
  p.a = reader.readInt("a");
  return adopt(std::move(matrix));
}

std::unique_ptr<Bigraph> buildNakayama(int n, int r) {
  checkMatrixFits(n);
  try {
    return adopt(nakayamaGram(n, r));
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

int runInflationsProgram(int argc, const char* const argv[], std::FILE* in, Console& console) {
  const Command command = parseCommandLine(argc, argv);
  switch (command.kind) {
    case Command::Kind::Help:
      printHelp(console.out);
      return 0;
    case Command::Kind::BadArguments:
      console.out.write(kBadArgumentsLine);
      return kExitBadInput;
    case Command::Kind::Dialogue:
    case Command::Kind::Nakayama:
      break;
  }
  RunParameters parameters = command.parameters;
  std::unique_ptr<Bigraph> bigraph;
  try {
    if (command.kind == Command::Kind::Nakayama) {
      bigraph = buildNakayama(command.n, command.r);
    } else {
      DialogueReader reader(in);
      bigraph = readDialogue(reader, console.out, parameters);
    }
  } catch (const InputError& error) {
    writeInputError(error, console.out);
    return kExitBadInput;
  }
  return runSequence(std::move(bigraph), parameters, console);
}

}  // namespace console
