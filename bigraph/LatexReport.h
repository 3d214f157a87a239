// The classify report for papers: G, the result G' and the certificate B as LaTeX matrices.
#pragma once

#include <ostream>
#include <string>

#include "Classification.h"

namespace bigraph {

// Display-math pmatrix environments (amsmath), each with a comment line saying what it is;
// a matrix that is not there (no run, no --certificate) is named in a comment instead.
void writeLatexReport(std::ostream& out, const std::string& inputName, const Classification& c);

}  // namespace bigraph
