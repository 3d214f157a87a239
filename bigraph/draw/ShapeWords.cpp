// The plain wording of a bigraph's shape, shared by classify's reports and draw's captions.
#include "ShapeWords.h"

#include <vector>

#include "Components.h"
#include "Shape.h"

using namespace core;

namespace bigraph::draw {
namespace {

bool isKronecker(const GramMatrix& g) {
  return g.size() == 2 && g[0][0] == BigInteger(1) && g[1][1] == BigInteger(1) &&
         g[0][1] == BigInteger(-2);
}

std::string formOf(const GramMatrix& gram, const Structure& s, const Shape& shape) {
  if (s.n == 0) return "empty";
  if (!s.connected) {
    int count = 0;
    componentLabels(s.n, [&gram](int i, int j) -> const BigInteger& { return gram[i][j]; }, count);
    return "not connected (" + std::to_string(count) + " components)";
  }
  switch (shape.kind) {
    case ShapeKind::Path: return "path";
    case ShapeKind::Cycle: return "cycle";
    case ShapeKind::Star: return shape.name;
    case ShapeKind::TwoBranches:
    case ShapeKind::Tree: return "tree";
    case ShapeKind::Other: break;
  }
  return "graph with cycles";
}

// "dotted edges", "multiple edges", "loops": those the bigraph has.
std::vector<std::string> departures(const GramMatrix& g) {
  bool dotted = false, multiple = false, loops = false;
  const BigInteger one(1), minusOne(-1);
  for (std::size_t i = 0; i < g.size(); ++i) {
    if (g[i][i] != one) loops = true;
    for (std::size_t j = i + 1; j < g.size(); ++j) {
      const BigInteger& e = g[i][j];
      if (e.isZero()) continue;
      if (e.getSign() == BigInteger::positive) dotted = true;
      if (e != one && e != minusOne) multiple = true;
    }
  }
  std::vector<std::string> words;
  if (dotted) words.emplace_back("dotted edges");
  if (multiple) words.emplace_back("multiple edges");
  if (loops) words.emplace_back("loops");
  return words;
}

}  // namespace

std::string shapeWords(const GramMatrix& gram) {
  if (isKronecker(gram)) return "Euclidean graph A~_1 (Kronecker)";
  const Structure s = structureOf(gram);
  const Shape shape = recognizeShape(s);
  if (shape.type)
    return (shape.type->euclidean ? "Euclidean graph " : "Dynkin graph ") + shape.type->captionName();
  std::string words = formOf(gram, s, shape);
  const std::vector<std::string> extra = departures(gram);
  for (std::size_t k = 0; k < extra.size(); ++k)
    words += (k == 0 ? ", with " : k + 1 == extra.size() ? " and " : ", ") + extra[k];
  return words;
}

}  // namespace bigraph::draw
