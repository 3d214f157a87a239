// A plain model of the console run, for comparing whole outputs: machine integers, a fresh
// matrix per inflation, full scans, the output written as the program writes it when
// redirected (each screen clear a line break, "Runtime: X sec." for the measured time).
#pragma once

#include <string>
#include <vector>

using SmallMatrix = std::vector<std::vector<long long>>;

// The Gram matrix of the Nakayama bigraph A_n(r), by its distance rule.
SmallMatrix referenceNakayama(int n, int r);

// Everything the program prints from the first screen clear to the end of the list, for the
// run with k, m, a (s changes only the waits, not the text).
std::string referenceRunOutput(SmallMatrix g, int k, int m, int a);

// The matrix as the program displays it: nonzero entries as " %d " or "%d ", zeros as blanks.
std::string referenceDisplay(const SmallMatrix& g);

// The number of inflations the run performs without a bound.
int referenceInflationCount(SmallMatrix g, int a);
