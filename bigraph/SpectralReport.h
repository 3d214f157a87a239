// The Coxeter data, roots and congruence comparison of bigraphs as the JSON texts `bigraph`
// prints, for the program and for the Python package alike.
#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "Coxeter.h"
#include "GramMatrix.h"

// The failures these functions throw, each with the sentence the program prints after
// "bigraph: " (the Python package raises ValueError with the same what()):
// - BadInput (GramInput.h): a matrix that is not upper triangular ("entry (i, j) below the
//   diagonal is not zero ..."); program status 2.
// - NotPositive (below): roots asked of a bigraph that is not positive, or that has a diagonal
//   entry other than 1; program status 2.
// - TooManyRoots (below): more roots than the bound allows; program status 2.
// - SpectralStopped (core/Coxeter.h): the stop flag was set; program status 130.
struct NotPositive : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct TooManyRoots : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The `coxeter` object exactly as `classify --format json` prints it (one JSON object, no line
// break): {"polynomial": [...], "factors": [...], "number": h or null, "matrix": Cox}; the text
// "null" for a bigraph with a diagonal entry other than 1, where Cox is not defined here.
std::string coxeterJson(const GramMatrix& upper, const std::atomic<bool>* stop = nullptr);
// The roots exactly as `bigraph roots --format json` prints them: a JSON array of integer
// vectors, in the documented order. Throws NotPositive, TooManyRoots (more than maxRoots).
std::string rootsJson(const GramMatrix& upper, bool positiveOnly, std::size_t maxRoots,
                      const std::atomic<bool>* stop = nullptr);
// The compare result exactly as `bigraph compare --format json` prints it. The strong search
// gives up after maxSeconds (its answer is then null with the reason).
std::string compareJson(const GramMatrix& first, const GramMatrix& second, double maxSeconds,
                        const std::atomic<bool>* stop = nullptr);
