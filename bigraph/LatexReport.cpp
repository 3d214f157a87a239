// Writing a classification as LaTeX matrices.
#include "LatexReport.h"

#include "QuotedText.h"

using namespace core;

namespace bigraph {

namespace {

void writePmatrix(std::ostream& out, const char* symbol, const GramMatrix& m) {
  out << "\\[ " << symbol << " = \\begin{pmatrix}";
  for (std::size_t i = 0; i < m.size(); ++i) {
    out << (i == 0 ? "\n  " : " \\\\\n  ");
    for (std::size_t j = 0; j < m.size(); ++j)
      out << (j == 0 ? "" : " & ") << bigIntegerToString(m[i][j]);
  }
  out << "\n\\end{pmatrix} \\]\n";
}

}  // namespace

void writeLatexReport(std::ostream& out, const std::string& inputName, const Classification& c) {
  const Invariants& inv = c.invariants;
  // A comment ends at the line break, so the name is written with control bytes as \xNN.
  out << "% bigraph classify " << escapedForTerminal(inputName) << " (needs amsmath)\n";
  out << "% " << definitenessName(inv.definiteness) << ", corank " << inv.corank
      << ", Dynkin type " << (inv.dynkinType ? inv.dynkinType->dynkinName() : "none") << "\n";
  // amsmath sets at most 10 columns unless told otherwise.
  if (inv.vertices > 10) out << "\\setcounter{MaxMatrixCols}{" << inv.vertices << "}\n";
  writePmatrix(out, "G", c.gram);
  if (!c.run) {
    out << "% no inflation run was made, so there is no G' and no B\n";
    return;
  }
  out << "% G': the result of the run (rule " << edgeRuleName(c.run->rule) << ", steps "
      << c.run->steps << ", ended: " << runEndName(c.run->end) << ")\n";
  writePmatrix(out, "G'", c.run->result);
  if (!c.run->certificate) {
    out << "% B: run with --certificate\n";
    return;
  }
  out << "% B with B^T (G + G^T) B = G' + G'^T, verified: "
      << (c.run->verification && c.run->verification->holds ? verificationName(*c.run->verification)
                                                             : "failed")
      << "\n";
  writePmatrix(out, "B", *c.run->certificate);
}

}  // namespace bigraph
