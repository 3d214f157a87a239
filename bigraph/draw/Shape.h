// The shape of a bigraph read off its graph structure, and the two layouts of its vertices:
// on a circle, and the standard drawing of a path, cycle, star, D~ or tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DiagramType.h"
#include "Invariants.h"

namespace bigraph::draw {

// A position in layout units (one unit is the length of an edge in a shape layout), y upwards.
struct Point {
  double x = 0;
  double y = 0;
};

enum class ShapeKind {
  Other,        // not connected, or connected with more than one cycle
  Path,         // A_n, also the single vertex
  Cycle,        // A~_{n-1}
  Star,         // one branch vertex: D_n, E_6..E_8, E~_6..E~_8, D~_4 and other stars
  TwoBranches,  // two branch vertices of degree 3: D~_n among them
  Tree,         // any other tree
};

struct Shape {
  ShapeKind kind = ShapeKind::Other;
  // "A_5", "D_6", "E_8", "A~_4", "D~_5", "E~_6" for loop-free bigraphs with single solid
  // edges (the type's captionName()); otherwise a description such as "star [1,2,3,4]",
  // "tree", "cycle", "not connected".
  std::string name;
  // The Dynkin or Euclidean diagram the bigraph is, when it is one.
  std::optional<core::DiagramType> type;
};

// The vertices and edges of an upper-triangular Gram matrix: edges are the nonzero G(i,j), i < j.
struct Structure {
  int n = 0;
  std::vector<std::vector<int>> neighbours;  // ascending
  int edgeCount = 0;
  bool connected = true;
  bool simpleSolid = true;  // every edge entry is -1 and every diagonal entry is 1
};

Structure structureOf(const core::GramMatrix& gram);
Shape recognizeShape(const Structure& s);

// Vertex 1 at the top, the others clockwise, neighbours on the circle at least one unit apart.
std::vector<Point> circleLayout(int n);
// The standard drawing of the shape, or none when the shape has none (ShapeKind::Other).
std::optional<std::vector<Point>> shapeLayout(const Structure& s);
// The same for a Gram matrix, where twins are drawn beside their original: a twin v of u < v
// has a double dotted edge (+2) to u and the same entries as u with every other vertex (the
// extra vertices of the normal forms of corank 2 and more). The bigraph without its twins must
// have a standard drawing; twins stand one unit across the edge direction of u, alternately on
// either side. A bigraph that is not connected always has a drawing: each component in its own
// (its own circle when it has no standard drawing), side by side in the order of their first
// vertices.
std::optional<std::vector<Point>> shapeLayoutWithTwins(const core::GramMatrix& gram);

}  // namespace bigraph::draw
