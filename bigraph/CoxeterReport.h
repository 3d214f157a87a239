// The Coxeter data, roots and congruence comparison of bigraphs as the JSON texts `bigraph`
// prints, for the program and for the Python package alike.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Classification.h"
#include "Coxeter.h"
#include "GramMatrix.h"
#include "Roots.h"

namespace bigraph {

// The failures these functions throw, each with the sentence the program prints after
// "bigraph: " (the Python package raises ValueError with the same what()):
// - BadInput (GramInput.h): a matrix with a nonzero entry below the diagonal; what() is
//   "first: entry (i, j) below the diagonal is not zero" ("second: ..." for compareJson's second
//   matrix, "input: ..." for the others); program status 2.
// - NotPositive (below): roots asked of a bigraph that is not positive, or that has a diagonal
//   entry other than 1; program status 2.
// - TooManyRoots (below): more roots than the bound allows; program status 2.
// - CoxeterWorkStopped (core/Coxeter.h): the stop flag was set; program status 130.
// - DisagreementError (Classification.h): a check of the program's own result failed (a root
//   count or a composed certificate); a fault of the program, status 3.
struct NotPositive : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct TooManyRoots : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The `coxeter` object exactly as `classify --format json` prints it (one JSON object, no line
// break): {"polynomial": [...], "factors": [...], "number": h or null, "matrix": Cox}; the text
// "null" for a bigraph with a diagonal entry other than 1, where Cox is not defined here.
std::string coxeterJson(const core::GramMatrix& upper, const std::atomic<bool>* stop = nullptr);
// The roots exactly as `bigraph roots --format json` prints them: a JSON array of integer
// vectors, in the documented order. Throws NotPositive, TooManyRoots (more than maxRoots).
std::string rootsJson(const core::GramMatrix& upper, bool positiveOnly, std::size_t maxRoots,
                      const std::atomic<bool>* stop = nullptr);
// The compare result exactly as `bigraph compare --format json` prints it. The strong search
// gives up after maxSeconds (its answer is then null with the reason).
std::string compareJson(const core::GramMatrix& first, const core::GramMatrix& second, double maxSeconds,
                        const std::atomic<bool>* stop = nullptr);

// The default of --max-roots: |R| is n h, so A_315 or D_224 already exceed it.
inline constexpr std::size_t kDefaultMaxRoots = 100000;
// The default of --max-seconds for the strong congruence search.
inline constexpr double kDefaultMaxSeconds = 10.0;

// The pieces the reports above are made of, shared with classify, sweep and the commands.
std::string coxeterObjectJson(const core::CoxeterData& data, bool withMatrix);
std::string rootCountsJson(const RootCounts& counts);
// The coefficients lowest degree first, separated by spaces (the CSV column).
std::string polynomialWords(const core::IntPolynomial& p);
// The polynomial in the usual notation, highest degree first: "t^4 + t^3 - t + 1".
std::string polynomialText(const core::IntPolynomial& p);
// The factored polynomial: cyclotomic factors as Phi_m (written with the Greek letter), others
// in parentheses, multiplicities as powers: "Φ_2 Φ_3^2 (t^4 - t^3 + 1)".
std::string factoredText(const core::CoxeterData& data);
// The text report's lines for the Coxeter data and root counts of a classification.
void writeCoxeterText(std::ostream& out, const Classification& c);

// The roots of a positive bigraph in the documented order, all or only the positive ones.
// Throws NotPositive, TooManyRoots, BadInput as above.
std::vector<core::Root> listRoots(const core::GramMatrix& upper, bool positiveOnly, std::size_t maxRoots,
                            const std::atomic<bool>* stop = nullptr);
std::string rootsListJson(const std::vector<core::Root>& roots);
// One root a line, coordinates separated by spaces.
void writeRootsText(std::ostream& out, const std::vector<core::Root>& roots);

// Weak (S2 = B^T S1 B) and strong (G2 = B^T G1 B) Gram congruence of two bigraphs, with exactly
// checked certificates; none where the answer is not known, with the reason.
struct Comparison {
  std::optional<bool> weak;
  std::optional<core::GramMatrix> weakCertificate;
  std::optional<bool> strong;
  std::optional<core::GramMatrix> strongCertificate;
  std::string reason;
  std::optional<std::uint64_t> searchNodes;  // nodes of the strong search, when one was made
};
Comparison compareBigraphs(const core::GramMatrix& first, const core::GramMatrix& second, double maxSeconds,
                           const std::atomic<bool>* stop = nullptr);
std::string comparisonJson(const Comparison& c);
void writeComparisonText(std::ostream& out, const Comparison& c);

}  // namespace bigraph
