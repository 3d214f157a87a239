// Strong Gram Z-congruence of positive bigraphs (G2 = B^T G1 B, B integer, det B = +-1)
// decided by a complete search over roots, and the weak certificate between two non-negative
// bigraphs of one class composed from their normal forms.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "NormalForm.h"

namespace core {

enum class SearchOutcome { Found, None, OutOfTime };

struct StrongSearch {
  SearchOutcome outcome = SearchOutcome::None;
  // With Found: B, checked exactly (B^T G1 B = G2 entry by entry, det B = +-1).
  std::optional<GramMatrix> certificate;
  std::uint64_t nodes = 0;  // columns tried (search tree nodes)
  double seconds = 0;
};

// Decides whether G2 = B^T G1 B for some integer B with det B = +-1, for positive unit-diagonal
// G1, G2 of one size (the caller checks positivity; the roots of G1 must be at most
// `maxRoots`, else RootBoundExceeded). Gives up with OutOfTime after maxSeconds. Throws
// CoxeterWorkStopped when `stop` reads true, std::logic_error when a found B fails its check.
StrongSearch searchStrongCongruence(const GramMatrix& first, const GramMatrix& second,
                                    double maxSeconds, const std::atomic<bool>* stop = nullptr,
                                    std::size_t maxRoots = 1000000);

// B with B^T S1 B = S2 (S = G + G^T) for two bigraphs with the same normal form, from their
// certificates B1, B2 (B = B1 B2^-1), checked exactly; none when the normal forms differ.
// Throws NormalFormFailure when the composed B fails its check.
std::optional<GramMatrix> weakCertificate(const GramMatrix& first, const NormalForm& firstForm,
                                          const GramMatrix& second, const NormalForm& secondForm);

// B^T M B, exactly.
GramMatrix congruent(const GramMatrix& M, const GramMatrix& B);
// det M, exactly.
BigInteger determinant(const GramMatrix& M);

}  // namespace core
