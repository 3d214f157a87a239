// The shape of a bigraph in plain words: the one wording of `bigraph`'s reports and captions.
#pragma once

#include <string>

#include "GramMatrix.h"

namespace bigraph::draw {

// What the graph of an upper-triangular Gram matrix is (edges: the nonzero entries above the
// diagonal). Loop-free bigraphs with single solid edges that are Dynkin or Euclidean diagrams
// get their name ("Dynkin graph E_6", "Euclidean graph D~_5", "Euclidean graph A~_1
// (Kronecker)" for the double solid edge); everything else its form, "path", "cycle",
// "star [1,2,3,4]", "tree", "graph with cycles", "not connected (3 components)", "empty",
// followed by what keeps it from being a simple graph: ", with dotted edges, multiple edges and
// loops" (a loop: a diagonal entry other than 1).
std::string shapeWords(const core::GramMatrix& gram);

}  // namespace bigraph::draw
