// The classify report for people: the counts, the exact invariants, the run and the certificate.
#pragma once

#include <ostream>

#include "Classification.h"

namespace bigraph {

void writeTextReport(std::ostream& out, const Classification& c);
// The matrix in right-aligned columns, each line indented by `indent` spaces.
void writeMatrix(std::ostream& out, const core::GramMatrix& m, int indent);

}  // namespace bigraph
