// Normal forms of non-negative bigraphs up to weak Gram Z-congruence: the canonical bigraphs
// N(D, r) of every connected Dynkin type D and corank r, and the normal form of a bigraph with
// its exactly verified certificate B (B^T S B = S_N, |det B| = 1, S = G + G^T).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DiagramType.h"
#include "Invariants.h"

namespace core {

// The class of a connected non-negative bigraph is a DiagramType: its Dynkin type X_m and its
// corank r (DiagramType::withCorank), named by normalFormName.

// Whether X_m names a connected Dynkin diagram, r >= 0, and the value is Euclidean exactly
// when r = 1.
bool isValidType(const DiagramType& type);

// The unit upper-triangular Gram matrix of N(D, r) on m + r vertices (0-based below):
// - vertices 0..m-1 are the Dynkin diagram, single solid edges: A_m the path 0-1-..-(m-1);
//   D_m the path 0..m-2 with vertex m-1 joined to vertex 1; E_m the path 0..m-2 with vertex
//   m-1 joined to vertex 2;
// - r >= 1: vertex m extends it to the Euclidean diagram: A~_m joins m to 0 and m-1 (A~_1: a
//   double solid edge to 0), D~_m joins m to m-3, E~_6 to 5, E~_7 to 0, E~_8 to 6;
// - r >= 2: vertices m+1..m+r-1 are twins of vertex m: the same edges to 0..m-1 and a double
//   dotted edge (+2) to m and to each other, so e_m - e_twin lies in the kernel.
// Throws std::invalid_argument for a type that is not valid.
GramMatrix canonicalGram(const DiagramType& type);
// The null root of the Euclidean diagram of `type` on its Dynkin vertices 0..m-1 (the value at
// vertex m is 1): h with S_{D~} (h, 1) = 0.
std::vector<long> euclideanNullRoot(const DiagramType& type);

struct NormalForm {
  // Components of the block sum in block order: by family (A, D, E), then rank, then corank.
  std::vector<DiagramType> components;
  std::string name;   // the components' names joined by "+", "E~7" or "A1+D4^(2)"
  int corank = 0;
  GramMatrix gram;        // the upper Gram matrix of N, the block sum of the canonical forms
  GramMatrix certificate; // B (n x n), B^T (G + G^T) B = N + N^T and |det B| = 1, checked exactly
};

// The normal form failed a step that the theory guarantees, or its certificate failed the
// exact check: a fault of the program, never a property of the input.
struct NormalFormFailure : std::logic_error {
  using std::logic_error::logic_error;
};

// The normal form of `upper` with invariants `inv` (as computeInvariants gives them): none for
// an empty, indefinite, non-positive or negative input, or one with a diagonal entry other
// than 1. Throws NormalFormFailure when a step fails or the certificate does not verify.
std::optional<NormalForm> normalFormOf(const GramMatrix& upper, const Invariants& inv);

// Whether B^T S B = S' and |det B| = 1, every entry compared exactly.
bool isUnimodularCongruence(const GramMatrix& S, const GramMatrix& B, const GramMatrix& Sprime);
// Whether B^T S B = S' and B X = I exactly: X is an integer inverse, so |det B| = 1. The check
// normalFormOf makes; much cheaper than a determinant for large n.
bool isCongruenceWithInverse(const GramMatrix& S, const GramMatrix& B, const GramMatrix& X,
                             const GramMatrix& Sprime);

namespace normal_form_detail {
// The steps of one connected component, exposed for the fault-injection tests.
// Vertices T (ascending) with det K[T, :] = +-1 for the kernel basis `kernel`; throws
// NormalFormFailure when there is none.
std::vector<int> unimodularVertices(const std::vector<IntVector>& kernel, int n);
// The certificate B and its inverse X for a connected `upper` (kernel basis `kernel`) built
// with the vertex set `T`, before any check: what normalFormOf verifies. Sets `type`. Throws
// NormalFormFailure when det K[T, :] is not +-1 or the run does not reach a Dynkin diagram.
struct CertificatePair {
  GramMatrix B;
  GramMatrix inverse;
};
CertificatePair composeCertificate(const GramMatrix& upper, const std::vector<IntVector>& kernel,
                                   const std::vector<int>& T, DiagramType& type);
}  // namespace normal_form_detail

}  // namespace core
