// The text display of the Gram matrix: one cell per entry, blank cells of three blanks,
// "%s " for a negative entry and " %s " for any other, each row ended by a line break.
#pragma once

#include "Bigraph.h"
#include "Output.h"

namespace console {

// Writes the entry's cell: "-12 " for -12, " 12 " for 12, " 0 " for 0. The text is the one
// bigIntegerToString gives; entries that fit in 64 bits are converted without a string.
void writeEntryCell(const BigInteger& x, Out& out);

// Every entry on and above the diagonal as a number (zeros as "0"), blanks below it.
void printUpperTriangLiteral(const core::Bigraph& bigraph, Out& out);
// All n x n entries as numbers.
void printCompleteLiteral(const core::Bigraph& bigraph, Out& out);
// Every nonzero entry as a number, wherever it stands; zeros as blanks. The program's display.
void printUpperTriangNonzero(const core::Bigraph& bigraph, Out& out);

}  // namespace console
