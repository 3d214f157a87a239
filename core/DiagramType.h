// DiagramType: a simply-laced Dynkin or Euclidean diagram (A, D, E) as one value with its
// spellings, and DiagramSum, a disjoint union of them in the standard notation ("2A1+D4").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BigIntegerUtils.h"

namespace core {

// The numbers are the classic codes of Bigraph's dynkinType and euclideanType fields.
enum class DiagramFamily : std::int16_t { A = 1, D = 2, E = 3 };

// The Dynkin type X_rank of a connected non-negative form and its corank. A Dynkin diagram X_k
// has corank 0 on k vertices; the Euclidean diagram X~_k has corank 1 on k + 1 vertices
// (`euclidean`). A connected non-negative unit form is determined up to Z-congruence by its
// Dynkin type and corank (Barot, de la Pena, "The Dynkin type of a non-negative unit form",
// Expo. Math. 17 (1999)), so one of corank 1 is the Euclidean diagram's: the exact invariants
// and the recognised drawing give the same value and are compared with ==.
struct DiagramType {
  DiagramFamily family = DiagramFamily::A;
  int rank = 0;
  bool euclidean = false;
  int corank = 0;

  static DiagramType dynkin(DiagramFamily family, int rank) { return {family, rank, false, 0}; }
  static DiagramType euclideanOf(DiagramFamily family, int rank) { return {family, rank, true, 1}; }
  // The class of a connected non-negative form of Dynkin type X_rank and corank r: the Dynkin
  // diagram for r = 0, the Euclidean one for r = 1, the normal form N(X_rank, r) beyond.
  static DiagramType withCorank(DiagramFamily family, int rank, int corank) {
    return {family, rank, corank == 1, corank};
  }
  // The Dynkin type X_k read off the rank k and d, the product of the nonzero invariant factors
  // of the symmetric Gram matrix (A_k: d = k + 1; D_k, k >= 4: d = 4; E_6, E_7, E_8: d = 3, 2,
  // 1); none when no connected Dynkin diagram has them. The value has the corank given, and
  // is Euclidean for corank 1.
  static std::optional<DiagramType> fromRankAndDeterminant(int rank, const BigInteger& d,
                                                           int corank = 0);
  // A star with three arms a <= b <= c (vertices counted without the centre): D_n, E_6..E_8
  // or E~_6..E~_8, or none.
  static std::optional<DiagramType> ofThreeArms(int a, int b, int c);

  int vertices() const { return rank + (euclidean ? 1 : 0); }
  std::int16_t code() const { return static_cast<std::int16_t>(family); }
  char letter() const;

  std::string name() const;         // "E8", "E~7"
  std::string dynkinName() const;   // the type of the form, without the tilde: "E8", "E7"
  std::string reportText() const;   // "Dynkin graph E_8 ", "Euclidean graph E~_7 "
  std::string captionName() const;  // "E_8", "E~_7", as pictures' captions write it

  bool operator==(const DiagramType&) const = default;
};

// The name of the normal form N(X_m, r): "E7" (r = 0), "E~7" (r = 1), "E7^(2)" (r >= 2).
std::string normalFormName(const DiagramType& type);

// Orders by family, then rank, then corank: the order of a sum's terms.
bool operator<(const DiagramType& a, const DiagramType& b);

// A disjoint union of diagrams, kept sorted. Equal terms are written once with their count:
// "2A1+D4", and the identity on 2240 vertices "2240A1".
class DiagramSum {
 public:
  DiagramSum() = default;
  DiagramSum(std::vector<DiagramType> terms);  // NOLINT: a sum of its terms
  DiagramSum(DiagramType single) : DiagramSum(std::vector<DiagramType>{single}) {}  // NOLINT

  const std::vector<DiagramType>& terms() const { return terms_; }
  std::string name() const;        // terms by their name(): "2A1+E~7"
  std::string dynkinName() const;  // terms by their dynkinName(): "2A1+E7"

  bool operator==(const DiagramSum&) const = default;

 private:
  std::vector<DiagramType> terms_;
};

}  // namespace core
