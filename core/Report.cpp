// The properties report of a recognised bigraph, and the shape text that goes with it.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "Bigraph.h"

namespace core {

namespace {

const char* const kPrincipal = " -) definiteness: principal (= non-negative + rk(ker) = 1)";
const char* const kPositive = " -) definiteness: positive";
const char* const kIndefinite = " -) definiteness: indefinite";

// A recognised shape: its text and the definiteness line that belongs to it.
struct Shape {
  std::string text;
  const char* definiteness;
};

const char* yesNo(bool answer) { return answer ? "yes\n" : "no\n"; }

void writeHead(const Bigraph& g, std::ostream& out) {
  out << "Properties of the resulting (bi)graph:\n"
      << " -) #dotted edges: " << bigIntegerToString(g.dottedEdges) << "\n"
      << " -) #solid edges:  " << bigIntegerToString(g.solidEdges) << "\n"
      << " -) multiple edges: " << yesNo(g.multipleEdges)
      << " -) connected: " << yesNo(g.connected)
      << " -) loop-free: " << yesNo(g.loopFree)
      << " -) shape: ";
}

bool isKronecker(const Bigraph& g) {
  return g.multipleEdges && g.diagramType() == DiagramType::euclideanOf(DiagramFamily::A, 1);
}

std::string starText(const Bigraph& g) {
  std::string text = "(wild) star graph of type [";
  for (int k = 0; k < g.armCount; ++k) {
    if (k > 0) text += ",";
    text += std::to_string(g.armLengths[k]);
  }
  return text + "]";
}

std::string treeText(const Bigraph& g) {
  return "(wild) tree graph with " + std::to_string(g.ramifications) + " ramifications and " +
         std::to_string(g.leaves) + " leaves";
}

// The shape of a simple graph as recognition left it; none if its fields name no shape.
std::optional<Shape> simpleShape(const Bigraph& g) {
  if (const auto t = g.diagramType()) return Shape{t->reportText(), t->euclidean ? kPrincipal : kPositive};
  if (g.star) return Shape{starText(g), kIndefinite};
  if (g.tree) return Shape{treeText(g), kIndefinite};
  if (g.withCycles) {
    return Shape{"simple connected graph with cycle(s) & non-Euclidean", kIndefinite};
  }
  return std::nullopt;
}

const BigInteger& tenToTheEighty() {
  static const BigInteger bound = [] {
    BigInteger value(1);
    const BigInteger ten(10);
    for (int k = 0; k < 80; ++k) value *= ten;
    return value;
  }();
  return bound;
}

// Grades the edge total E against the number of vertex pairs M and its powers.
std::string edgeTotalAdjective(const Bigraph& g) {
  const long long n = g.n;
  const BigInteger pairs(n * (n - 1) / 2);  // 64 bits: no overflow for any int n
  const BigInteger pairs2 = pairs * pairs;
  const BigInteger pairs3 = pairs2 * pairs;
  const BigInteger pairs4 = pairs3 * pairs;
  const BigInteger total = g.solidEdges + g.dottedEdges;
  std::string adjective;
  if (total > pairs && total <= pairs2) adjective += " (nice)";
  if (total > pairs2 && total <= pairs3) adjective += " (exciting)";
  if (total > pairs3 && total <= pairs4) adjective += " (awesome)";
  if (total > pairs4) {
    adjective += total < tenToTheEighty() ? " (outstanding)"
                                          : " (insane! More edges that atoms in the Universe)";
  }
  return adjective;
}

std::string adjectiveFor(const Bigraph& g) {
  if (!g.multipleEdges) return g.n <= 19 ? " (boring)" : "";
  if (!g.wildEdges) return " (mysterious)";
  return edgeTotalAdjective(g);
}

std::string describeUnrecognised(const Bigraph& g, std::uint64_t inflationCount, int bound,
                                 std::ostream& out) {
  std::string text;
  out << "not recognized\n";
  if (!g.loopFree) {
    text = "unknown shape with loops";
    out << " -) definiteness: unknown\n";
  } else if (g.wildEdges) {
    text = "unknown wild shape";
    out << kIndefinite << "\n";
  } else {
    text = "unknown shape";
    if (g.multipleEdges) {
      out << " -) definiteness: not positive\n";
    } else {
      // A connected bigraph that still has dotted edges after the full bound of inflations
      // is taken as not positive.
      out << " -) definiteness: unknown ";
      if (g.connected && (bound < 0 || inflationCount >= static_cast<std::uint64_t>(bound)))
        out << "[not positive]";
      out << "\n";
    }
  }
  return text + adjectiveFor(g);
}

}  // namespace

std::string Bigraph::describeProperties(std::uint64_t inflationCount, int bound,
                                       std::ostream& out) {
  writeHead(*this, out);
  if (isKronecker(*this)) {
    const std::string text = "Euclidean graph A~_1 (Kronecker)";
    out << text << "\n" << kPrincipal << "\n";
    return text;
  }
  if (isSimpleGraph()) {
    if (std::optional<Shape> shape = simpleShape(*this)) {
      out << shape->text << "\n" << shape->definiteness << "\n";
      return shape->text;
    }
  }
  return describeUnrecognised(*this, inflationCount, bound, out);
}

}  // namespace core
