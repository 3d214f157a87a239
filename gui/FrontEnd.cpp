// The front end of velorin: command line, dialogue, run parameters, bound and bigraph.
#include "FrontEnd.h"

#include <stdio_ext.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "DialogueReader.h"
#include "MemoryFit.h"
#include "NakayamaArguments.h"
#include "RunEngine.h"

using namespace core;

namespace velorin {
namespace {

// The output of the front end, which knows whether a prompt left its line open, so that an
// error message still starts on a line of its own.
class PromptOutput {
 public:
  explicit PromptOutput(std::ostream& out) : out_(out) {}
  // Writes text and makes it visible before the read that follows.
  void prompt(const std::string& text) {
    if (text.empty()) return;
    out_ << text;
    out_.flush();
    midLine_ = text.back() != '\n';
  }
  void endLine() {
    if (midLine_) out_ << '\n';
    midLine_ = false;
  }

 private:
  std::ostream& out_;
  bool midLine_ = false;
};

bool isNakayama(const char* arg) { return std::strcmp(arg, "--Nakayama") == 0; }

// The Nakayama matrix, refusing a negative or unallocatable vertex count.
GramMatrix nakayamaMatrix(int n, int r) {
  checkMatrixFits(n);
  try {
    return nakayamaGram(n, r);
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

// The optional run parameters of "--Nakayama n r k m s w a p", at their fixed positions.
void takeNakayamaParameters(const NakayamaArguments& arguments, RunParameters& params) {
  namespace pos = nakayama_position;
  params.every = arguments.numberOr(pos::k, params.every);
  params.maxsteps = arguments.numberOr(pos::m, params.maxsteps);
  params.wait = arguments.numberOr(pos::s, params.wait);
  params.thickLines = arguments.numberOr(pos::windowW, params.thickLines);
  params.findDottedEdgeAlgorithm = arguments.numberOr(pos::windowA, params.findDottedEdgeAlgorithm);
  params.printInfls = arguments.numberOr(pos::windowP, params.printInfls);
}

void readDialogueParameters(DialogueReader& reader, PromptOutput& out, RunParameters& params) {
  out.prompt(
      "Display bigraph every k inflations (k <= 0 means: display only final effect):\nk = ");
  params.every = reader.readInt("k");
  out.prompt(
      "Execute max. m inflations\n (m = 0: execute until no dotted edges; -1: execute max. "
      "UIDFpos(n)=O(n^2) inflations; -2: as -1 & display UIDFpos(n)):\nm = ");
  params.maxsteps = reader.readInt("m");
  if (params.every > 0) {
    out.prompt("Wait s miliseconds after each display:\ns = ");
    params.wait = reader.readInt("s");
    out.prompt("Display multiple edges thick (1 = yes, 0 = no): ");
    params.thickLines = reader.readInt("w");
  }
  out.prompt(
      "Variant of the algorithm:\n 0 = first dotted,\n 1 = first highest dotted,\n 2 = last "
      "dotted,\n 3 = last highest dotted,\n 4 = first or last, randomly,\n 5 = random dotted "
      "(see \"--help\" for details).\n");
  params.findDottedEdgeAlgorithm = reader.readInt("a");
  out.prompt("Print inflations on std output (1 = yes, 0 = no): ");
  params.printInfls = reader.readInt("p");
}

// Builds the bigraph on the input matrix, which it takes over.
void adoptMatrix(RunState& state, GramMatrix& input) {
  const int n = input.vertices();
  try {
    state.bigraph = std::make_unique<Bigraph>(std::move(input));
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

// The dialogue: vertex count, matrix, parameters.
void readDialogue(std::FILE* in, PromptOutput& out, RunParameters& params, GramMatrix& input) {
  DialogueReader reader(in);
  out.prompt("(Hint:  run \"velorin --help\" to see documentation)\n");
  out.prompt("Number of vertices: ");
  const int n = reader.readInt("the number of vertices");
  checkMatrixFits(n);
  out.prompt("Upper triangular Gram matrix:\n");
  input = reader.readMatrix(n);
  readDialogueParameters(reader, out, params);
  // The rest of the last input line is not left behind for whatever reads after us.
  __fpurge(in);
}

// Reads the bigraph and the parameters; false after bad arguments (already reported).
bool readInput(int argc, const char* const argv[], std::FILE* in, PromptOutput& out,
               RunParameters& params, GramMatrix& input) {
  if (argc <= 1) {
    readDialogue(in, out, params, input);
    return true;
  }
  const auto arguments = isNakayama(argv[1])
                             ? NakayamaArguments::read(argc, argv, nakayama_position::windowP)
                             : std::nullopt;
  if (!arguments) {
    out.prompt(kBadArgumentsLine);
    return false;
  }
  input = nakayamaMatrix(arguments->n(), arguments->r());
  takeNakayamaParameters(*arguments, params);
  return true;
}

}  // namespace

const char* helpText() {
  return "Possible arguments for \"velorin\" program:\n"
         "1) without arguments - introducing a bigraph by hand:\n"
         "   Program asks for the number of vertices and next,\n"
         "   for a non-symmetric upper triangular Gram matrix\n"
         "   (coeffs separated by space, rows separated by newline).\n"
         "   After this, program asks also for parameters k, m, s, w, a, p\n   (cf. below).\n"
         "2) --Nakayama n r:\n"
         "   Program computes the bigraph associated with Nakayama algebra A_n(r).\n"
         "Optional parameters to 2): k m s w a p\n"
         "   k: display bigraph every k inflations\n"
         "      (k <= 0 means: display only final effect);\n"
         "   m: execute max. m inflations\n"
         "      (m =  0 means: execute until no dotted edges;\n"
         "       m = -1 means: execute at most UIDFpos(n)=O(n^2) inflations;\n"
         "       m = -2 means: as -1 & display the value UIDFpos(n));\n"
         "   s: wait s miliseconds after each display\n"
         "      (if k <= 0, s is ignored);\n"
         "   w: 1 = display multiple edges thick, 0 = normal edges\n"
         "      (if k <= 0, w is ignored; if w omitted, its default value is 1);\n"
         "   a: variant of the algorithm: way of choosing edges for the inflation:\n"
         "      0 = choose first dotted edge,\n"
         "      1 = choose first dotted edge with the highest multiplicity\n"
         "          (potentially slightly slower, but in most cases the same\n"
         "          fast as above; different behavior in \"wild cases\")\n"
         "      2 = choose last dotted edge (seems to be faster on Nakayamas),\n"
         "      3 = choose last dotted edge with the highest multiplicity,\n"
         "      4 = choose first or last dotted edge, randomly (nondeterministic!),\n"
         "      5 = choose random dotted edge (nondeterministic!)\n"
         "      (if a omitted, its default value is 2);\n"
         "   p: 1 = print inflations also on std output, 0 = don't print\n"
         "      (if p omitted, its default value is 1).\n"
         "Hint: press <Esc> during computation to terminate.\n"
         "                                                    Enjoy!";
}

void normaliseParameters(RunParameters& params) {
  if (params.thickLines != 0) params.thickLines = 1;
  if (params.printInfls != 0) params.printInfls = 1;
  params.findDottedEdgeAlgorithm = edgeRuleNumber(windowEdgeRule(params.findDottedEdgeAlgorithm));
}

std::string echoLine(const RunParameters& p) {
  char line[256];
  std::snprintf(line, sizeof line,
                "Your data: display every %d infls; max %d infls; wait %d milis.; thick lines: "
                "%d; algorithm: %d; print: %d.\n",
                p.every, p.maxsteps, p.wait, p.thickLines, p.findDottedEdgeAlgorithm,
                p.printInfls);
  return line;
}

void applyBound(RunParameters& params, int n) {
  params.UIDFpos = boundForVertexCount(n);
  if (params.maxsteps == -1) params.maxsteps = params.UIDFpos;
  if (params.maxsteps == -2) {
    params.maxsteps = params.UIDFpos;
    params.displayBeta = true;
  }
}

FrontEndResult readFrontEnd(int argc, const char* const argv[], std::FILE* in, std::ostream& out,
                            RunState& state) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    out << helpText();
    out.flush();
    return {false, 0};
  }
  RunParameters params;
  GramMatrix input;
  PromptOutput prompts(out);
  try {
    if (!readInput(argc, argv, in, prompts, params, input)) {
      out.flush();
      return {false, 1};
    }
    normaliseParameters(params);
    out << echoLine(params) << "(<Esc> terminates computation.)\n";
    applyBound(params, input.vertices());
    adoptMatrix(state, input);
  } catch (const InputError& error) {
    prompts.endLine();
    out << "Error: " << error.what() << '\n';
    out.flush();
    return {false, 1};
  }
  state.params = params;
  out.flush();
  return {true, 0};
}

}  // namespace velorin
