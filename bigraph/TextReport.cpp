// Writing the classify report as aligned text.
#include "TextReport.h"

#include <algorithm>
#include <iomanip>

#include "CoxeterReport.h"

using namespace core;

namespace bigraph {

namespace {

const char* yesNo(bool b) { return b ? "yes" : "no"; }

std::string vectorText(const IntVector& v) {
  std::string out = "(";
  for (std::size_t k = 0; k < v.size(); ++k) {
    if (k > 0) out += ", ";
    out += bigIntegerToString(v[k]);
  }
  return out + ")";
}

void line(std::ostream& out, const char* label, const std::string& value) {
  out << std::left << std::setw(16) << label << value << "\n";
}

void writeInvariants(std::ostream& out, const Classification& c) {
  const Invariants& inv = c.invariants;
  line(out, "vertices", std::to_string(inv.vertices));
  line(out, "dotted edges", bigIntegerToString(c.dottedEdges));
  line(out, "solid edges", bigIntegerToString(c.solidEdges));
  line(out, "loop-free", yesNo(inv.loopFree));
  line(out, "connected", yesNo(inv.components <= 1));
  line(out, "components", std::to_string(inv.components));
  std::string signature = "(";
  signature += std::to_string(inv.signature.positive);
  signature += ", ";
  signature += std::to_string(inv.signature.zero);
  signature += ", ";
  signature += std::to_string(inv.signature.negative);
  line(out, "signature", signature + ")  (positive, zero, negative)");
  line(out, "definiteness", definitenessName(inv.definiteness));
  line(out, "corank", std::to_string(inv.corank));
  line(out, "det(G + G^T)", bigIntegerToString(inv.det));
  std::string type = inv.dynkinType ? inv.dynkinType->dynkinName() : "none";
  const NormalForm* nf = c.normalForm ? &*c.normalForm : nullptr;
  if (nf && nf->components.size() == 1 && nf->corank == 1)
    type += "  (Euclidean type " + nf->name + ")";
  line(out, "Dynkin type", type);
  if (!inv.kernel.empty()) {
    out << "kernel basis\n";
    for (const IntVector& v : inv.kernel) out << "  " << vectorText(v) << "\n";
  }
  if (inv.witness) line(out, "witness", vectorText(*inv.witness) + "  (x^T (G + G^T) x < 0)");
}

void writeNormalForm(std::ostream& out, const Classification& c) {
  if (!c.normalForm) {
    line(out, "normal form", "none");
    return;
  }
  const NormalForm& nf = *c.normalForm;
  line(out, "normal form", nf.name + "  (corank " + std::to_string(nf.corank) + ")");
  writeMatrix(out, nf.gram, 2);
  if (!c.showCertificate) return;
  out << "normal form certificate B (B^T S B = N + N^T, |det B| = 1; verified: exact)\n";
  writeMatrix(out, nf.certificate, 2);
}

void writePairs(std::ostream& out, const std::vector<std::pair<int, int>>& pairs,
                std::uint64_t steps) {
  out << "pairs          ";
  if (pairs.empty()) out << " none";
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (k > 0 && k % 8 == 0) out << "\n               ";
    out << " [" << pairs[k].first << ", " << pairs[k].second << "]";
  }
  if (steps > pairs.size()) out << " ... (" << steps - pairs.size() << " more, not kept)";
  out << "\n";
}

void writeRun(std::ostream& out, const RunReport& run) {
  out << "\n";
  std::string rule = edgeRuleName(run.rule);
  if (run.seed) rule += " (seed " + std::to_string(*run.seed) + ")";
  line(out, "run rule", rule);
  line(out, "steps", std::to_string(run.steps));
  std::string ended = runEndName(run.end);
  if (run.error) ended += ": " + *run.error;
  if (run.period)
    ended += " (the matrix of step " + std::to_string(run.steps - *run.period) +
             " came back at step " + std::to_string(run.steps) + ", period " +
             std::to_string(*run.period) + ")";
  line(out, "ended", ended);
  line(out, "shape", run.shape);
  writePairs(out, run.pairs, run.steps);
  out << "result\n";
  writeMatrix(out, run.result, 2);
  if (run.certificate) {
    std::string verified = "not verified";
    if (run.verification)
      verified = run.verification->holds ? "verified: " + verificationName(*run.verification)
                                          : "VERIFICATION FAILED";
    out << "certificate B (B^T S B = S', S = G + G^T before, S' after; " << verified << ")\n";
    writeMatrix(out, *run.certificate, 2);
  } else if (run.certificateNote) {
    line(out, "certificate", "none: " + *run.certificateNote);
  }
}

}  // namespace

void writeMatrix(std::ostream& out, const GramMatrix& m, int indent) {
  std::vector<std::vector<std::string>> text(m.size());
  std::size_t width = 1;
  for (std::size_t i = 0; i < m.size(); ++i)
    for (const BigInteger& e : m[i]) {
      text[i].push_back(bigIntegerToString(e));
      width = std::max(width, text[i].back().size());
    }
  for (const auto& row : text) {
    out << std::string(indent, ' ');
    for (std::size_t k = 0; k < row.size(); ++k)
      out << (k > 0 ? " " : "") << std::right << std::setw(static_cast<int>(width)) << row[k];
    out << "\n";
  }
}

void writeTextReport(std::ostream& out, const Classification& c) {
  writeInvariants(out, c);
  writeNormalForm(out, c);
  writeCoxeterText(out, c);
  if (c.run) writeRun(out, *c.run);
  else out << "\nrun             none\n";
}

}  // namespace bigraph
