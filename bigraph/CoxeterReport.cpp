// The Coxeter data, roots and congruence comparison of bigraphs as JSON and text.
#include "CoxeterReport.h"

#include <algorithm>
#include <sstream>

#include "GramInput.h"
#include "JsonWriter.h"
#include "StrongCongruence.h"
#include "TextReport.h"

using namespace core;

namespace bigraph {

namespace {

// The most (roots x vertices) the strong search begins with: its first candidate lists.
constexpr std::uint64_t kStrongSearchBudget = 4000000;

std::string nullOr(const std::optional<bool>& b) { return b ? (*b ? "true" : "false") : "null"; }

// Refuses a nonzero entry below the diagonal, as the input reader does.
void checkUpper(const GramMatrix& m, const std::string& name) {
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (!m[i][j].isZero())
        throw BadInput(name, "entry (" + std::to_string(i + 1) + ", " + std::to_string(j + 1) +
                                 ") below the diagonal is not zero");
}

std::string rootJson(const Root& r) {
  std::string out = "[";
  for (std::size_t k = 0; k < r.size(); ++k) {
    if (k > 0) out += ", ";
    out += std::to_string(r[k]);
  }
  return out + "]";
}

std::string optionalMatrixJson(const std::optional<GramMatrix>& m) {
  return m ? integerMatrixJson(*m) : "null";
}

const char* yesNoUnknown(const std::optional<bool>& b) { return b ? (*b ? "yes" : "no") : "unknown"; }

// A monomial with its coefficient's magnitude: "t^3", "2 t", "5".
std::string monomial(const BigInteger& magnitude, std::size_t degree) {
  const bool one = magnitude == BigInteger(1);
  std::string out = (one && degree > 0) ? "" : bigIntegerToString(magnitude);
  if (degree == 0) return out;
  if (!out.empty()) out += " ";
  out += "t";
  if (degree > 1) out.append("^").append(std::to_string(degree));
  return out;
}

// The weak part of a comparison of two bigraphs of the same size.
void compareWeakly(const GramMatrix& g1, const Invariants& i1, const GramMatrix& g2,
                   const Invariants& i2, Comparison& c, std::string& reason) {
  const Signature &s1 = i1.signature, &s2 = i2.signature;
  if (s1.positive != s2.positive || s1.zero != s2.zero || s1.negative != s2.negative) {
    c.weak = false, reason = "weak: different signatures of G + G^T";
  } else if (i1.det != i2.det || i1.smithProduct != i2.smithProduct) {
    c.weak = false, reason = "weak: different determinants or Smith forms of G + G^T";
  } else {
    const auto n1 = normalFormOf(g1, i1), n2 = normalFormOf(g2, i2);
    if (n1 && n2) {
      c.weakCertificate = weakCertificate(g1, *n1, g2, *n2);
      c.weak = c.weakCertificate.has_value();
      reason = c.weak == true ? "weak: same normal form " + n1->name + ", B = B1 B2^-1 verified"
                              : "weak: different normal forms " + n1->name + " and " + n2->name;
    } else {
      reason = "weak: not decided here for bigraphs that are not non-negative with unit diagonal "
               "(signature, determinant and Smith form agree)";
    }
  }
}

void compareStrongly(const GramMatrix& g1, const Invariants& i1, const GramMatrix& g2,
                     const Invariants& i2, double maxSeconds, const std::atomic<bool>* stop,
                     Comparison& c, std::string& reason) {
  if (c.weak == false) {
    c.strong = false, reason = "strong: not weakly congruent";
    return;
  }
  const bool loopFree = hasUnitDiagonal(g1) && hasUnitDiagonal(g2);
  const bool positive1 = i1.definiteness == Definiteness::Positive;
  const bool positive2 = i2.definiteness == Definiteness::Positive;
  if (loopFree && coxeterPolynomial(g1, positive1, stop) != coxeterPolynomial(g2, positive2, stop)) {
    c.strong = false, reason = "strong: different Coxeter polynomials";
    return;
  }
  const bool positive = loopFree && positive1 && positive2;
  if (!positive) {
    reason = "strong: decided here only for positive bigraphs (the Coxeter polynomials agree)";
    return;
  }
  // Candidate lists of n columns over |R| roots: beyond a budget the search is not begun.
  const std::uint64_t roots = i1.dynkinType ? rootCountOfType(*i1.dynkinType) : 0;
  if (roots * g1.size() > kStrongSearchBudget) {
    reason = "strong: not searched, ";
    reason.append(std::to_string(roots)).append(" roots on ").append(std::to_string(g1.size()));
    reason.append(" vertices are beyond the search's size bound");
    return;
  }
  StrongSearch search = searchStrongCongruence(g1, g2, maxSeconds, stop);
  c.searchNodes = search.nodes;
  switch (search.outcome) {
    case SearchOutcome::Found:
      c.strong = true, c.strongCertificate = std::move(search.certificate);
      reason = "strong: B found by the search over roots, B^T G1 B = G2 and det B = +-1 verified";
      break;
    case SearchOutcome::None:
      c.strong = false, reason = "strong: the complete search over roots found no B";
      break;
    case SearchOutcome::OutOfTime:
      reason = "strong: the search over roots reached the time bound (--max-seconds)";
      break;
  }
}

}  // namespace

std::string coxeterObjectJson(const CoxeterData& data, bool withMatrix) {
  std::string out = "{\"polynomial\": " + integerListJson(data.polynomial) + ", \"factors\": [";
  for (std::size_t k = 0; k < data.factors.size(); ++k) {
    const PolynomialFactor& f = data.factors[k];
    out += (k > 0 ? ", " : "");
    out += "{\"polynomial\": " + integerListJson(f.polynomial) +
           ", \"multiplicity\": " + std::to_string(f.multiplicity) + ", \"cyclotomic\": " +
           (f.cyclotomic ? std::to_string(*f.cyclotomic) : "null") + "}";
  }
  out += "], \"number\": " + (data.number ? bigIntegerToString(*data.number) : "null");
  out += ", \"finite_order\": " + nullOr(data.finiteOrder);
  if (withMatrix) out += ", \"matrix\": " + integerMatrixJson(data.matrix);
  return out + "}";
}

std::string rootCountsJson(const RootCounts& counts) {
  return "{\"count\": " + std::to_string(counts.count) + ", \"positive\": " +
         (counts.positive ? std::to_string(*counts.positive) : "null") + "}";
}

std::string polynomialWords(const IntPolynomial& p) {
  std::string out;
  for (const BigInteger& c : p) {
    if (!out.empty()) out += ' ';
    out += bigIntegerToString(c);
  }
  return out;
}

std::string polynomialText(const IntPolynomial& p) {
  std::string out;
  for (std::size_t k = p.size(); k-- > 0;) {
    if (p[k].isZero()) continue;
    const bool negative = p[k].isNegative();
    const BigInteger magnitude = negative ? -p[k] : p[k];
    out += out.empty() ? (negative ? "-" : "") : (negative ? " - " : " + ");
    out += monomial(magnitude, k);
  }
  return out.empty() ? "0" : out;
}

std::string factoredText(const CoxeterData& data) {
  std::string out;
  for (const PolynomialFactor& f : data.factors) {
    if (!out.empty()) out += " ";
    if (f.cyclotomic) out.append("Φ_").append(std::to_string(*f.cyclotomic));
    else out.append("(").append(polynomialText(f.polynomial)).append(")");
    if (f.multiplicity > 1) out.append("^").append(std::to_string(f.multiplicity));
  }
  return out.empty() ? "1" : out;
}

void writeCoxeterText(std::ostream& out, const Classification& c) {
  if (!c.coxeterAsked) return;
  auto line = [&](const char* label, const std::string& value) {
    out << label << std::string(16 - std::min<std::size_t>(15, std::char_traits<char>::length(label)), ' ')
        << value << "\n";
  };
  if (c.coxeterSkipped) {
    std::string text = "not computed (more than ";
    text.append(std::to_string(kCoxeterVerticesByDefault)).append(" vertices; --coxeter computes it)");
    line("cox(t)", text);
    return;
  }
  if (!c.coxeter) {
    line("cox(t)", "not defined (a diagonal entry is not 1)");
    return;
  }
  line("cox(t)", polynomialText(c.coxeter->polynomial));
  line("factored", factoredText(*c.coxeter));
  line("Coxeter number", c.coxeter->number ? bigIntegerToString(*c.coxeter->number)
                         : c.coxeter->finiteOrder ? "none (Cox has infinite order)"
                                                  : "unknown (the order of Cox was not decided)");
  if (c.roots)
    line("roots", std::to_string(c.roots->count) + " (" +
                      (c.roots->positive ? std::to_string(*c.roots->positive) : "not counted") +
                      " positive)");
}

std::vector<Root> listRoots(const GramMatrix& upper, bool positiveOnly, std::size_t maxRoots,
                            const std::atomic<bool>* stop) {
  checkUpper(upper, "input");
  const Invariants inv = computeInvariants(upper);
  if (!inv.loopFree)
    throw NotPositive("a diagonal entry is not 1; roots are listed only for positive bigraphs");
  if (inv.definiteness != Definiteness::Positive || !inv.dynkinType)
    throw NotPositive(std::string("the bigraph is not positive (it is ") +
                      definitenessName(inv.definiteness) +
                      "), so its roots are not finitely many; roots are listed only for "
                      "positive bigraphs");
  const std::uint64_t count = rootCountOfType(*inv.dynkinType);
  if (count > maxRoots)
    throw TooManyRoots("the bigraph has " + std::to_string(count) + " roots, more than the bound " +
                       std::to_string(maxRoots) + " (--max-roots)");
  std::vector<Root> roots = rootsOf(upper, maxRoots, stop);
  if (roots.size() != count)
    throw DisagreementError("the bigraph of type " + inv.dynkinType->dynkinName() + " should have " +
                            std::to_string(count) + " roots, " + std::to_string(roots.size()) +
                            " were found");
  if (positiveOnly) std::erase_if(roots, [](const Root& r) { return !isPositiveRoot(r); });
  return roots;
}

std::string rootsListJson(const std::vector<Root>& roots) {
  std::string out = "[";
  for (std::size_t k = 0; k < roots.size(); ++k) {
    if (k > 0) out += ", ";
    out += rootJson(roots[k]);
  }
  return out + "]";
}

void writeRootsText(std::ostream& out, const std::vector<Root>& roots) {
  for (const Root& r : roots) {
    for (std::size_t k = 0; k < r.size(); ++k) out << (k > 0 ? " " : "") << r[k];
    out << "\n";
  }
}

Comparison compareBigraphs(const GramMatrix& first, const GramMatrix& second, double maxSeconds,
                           const std::atomic<bool>* stop) {
  checkUpper(first, "first");
  checkUpper(second, "second");
  Comparison c;
  if (first.size() != second.size()) {
    c.weak = c.strong = false;
    c.reason = "different numbers of vertices (" + std::to_string(first.size()) + " and " +
               std::to_string(second.size()) + ")";
    return c;
  }
  if (first == second) {  // B = E proves both, whatever the class
    GramMatrix identity(first.vertices());
    for (std::size_t i = 0; i < first.size(); ++i) identity[i][i] = BigInteger(1);
    c.weak = c.strong = true;
    c.weakCertificate = identity.clone();
    c.strongCertificate = std::move(identity);
    c.reason = "the same Gram matrix: B = E";
    return c;
  }
  const Invariants i1 = computeInvariants(first), i2 = computeInvariants(second);
  std::string weakReason, strongReason;
  try {
    compareWeakly(first, i1, second, i2, c, weakReason);
  } catch (const NormalFormFailure& e) {
    throw DisagreementError(e.what());
  }
  compareStrongly(first, i1, second, i2, maxSeconds, stop, c, strongReason);
  c.reason = weakReason + "; " + strongReason;
  return c;
}

std::string comparisonJson(const Comparison& c) {
  std::string out = "{\"weak\": " + nullOr(c.weak);
  out += ", \"weak_certificate\": " + optionalMatrixJson(c.weakCertificate);
  out += ", \"strong\": " + nullOr(c.strong);
  out += ", \"strong_certificate\": " + optionalMatrixJson(c.strongCertificate);
  out += ", \"reason\": " + jsonString(c.reason);
  out += ", \"search_nodes\": " + (c.searchNodes ? std::to_string(*c.searchNodes) : "null");
  return out + "}";
}

void writeComparisonText(std::ostream& out, const Comparison& c) {
  out << "weak            " << yesNoUnknown(c.weak) << "\n";
  if (c.weakCertificate) {
    out << "weak certificate B (B^T S1 B = S2, S = G + G^T, |det B| = 1; verified: exact)\n";
    writeMatrix(out, *c.weakCertificate, 3);
  }
  out << "strong          " << yesNoUnknown(c.strong) << "\n";
  if (c.strongCertificate) {
    out << "strong certificate B (B^T G1 B = G2, det B = +-1; verified: exact)\n";
    writeMatrix(out, *c.strongCertificate, 3);
  }
  if (c.searchNodes) out << "search nodes    " << *c.searchNodes << "\n";
  out << "reason          " << c.reason << "\n";
}

std::string coxeterJson(const GramMatrix& upper, const std::atomic<bool>* stop) {
  checkUpper(upper, "input");
  if (!hasUnitDiagonal(upper)) return "null";
  const Invariants inv = computeInvariants(upper);
  return coxeterObjectJson(coxeterDataOf(upper, inv.definiteness == Definiteness::Positive, stop), true);
}

std::string rootsJson(const GramMatrix& upper, bool positiveOnly, std::size_t maxRoots,
                      const std::atomic<bool>* stop) {
  return rootsListJson(listRoots(upper, positiveOnly, maxRoots, stop));
}

std::string compareJson(const GramMatrix& first, const GramMatrix& second, double maxSeconds,
                        const std::atomic<bool>* stop) {
  return comparisonJson(compareBigraphs(first, second, maxSeconds, stop));
}

}  // namespace bigraph
