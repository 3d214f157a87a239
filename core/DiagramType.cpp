// DiagramType and DiagramSum: recognition from numbers and arms, and the spellings.
#include "DiagramType.h"

#include <algorithm>
#include <tuple>

namespace core {

std::optional<DiagramType> DiagramType::fromRankAndDeterminant(int rank, const BigInteger& d,
                                                               int corank) {
  const auto typed = [&](DiagramFamily family) {
    return DiagramType{family, rank, corank == 1, corank};
  };
  if (rank < 1) return std::nullopt;
  if (d == BigInteger(rank + 1)) return typed(DiagramFamily::A);
  if (rank >= 4 && d == BigInteger(4)) return typed(DiagramFamily::D);
  if ((rank == 6 && d == BigInteger(3)) || (rank == 7 && d == BigInteger(2)) ||
      (rank == 8 && d == BigInteger(1)))
    return typed(DiagramFamily::E);
  return std::nullopt;
}

std::optional<DiagramType> DiagramType::ofThreeArms(int a, int b, int c) {
  if (a == 1 && b == 1) return dynkin(DiagramFamily::D, c + 3);
  if (a == 1 && b == 2 && c <= 4) return dynkin(DiagramFamily::E, c + 4);
  if (a == 1 && b == 2 && c == 5) return euclideanOf(DiagramFamily::E, 8);
  if (a == 1 && b == 3 && c == 3) return euclideanOf(DiagramFamily::E, 7);
  if (a == 2 && b == 2 && c == 2) return euclideanOf(DiagramFamily::E, 6);
  return std::nullopt;
}

char DiagramType::letter() const {
  switch (family) {
    case DiagramFamily::D: return 'D';
    case DiagramFamily::E: return 'E';
    case DiagramFamily::A: break;
  }
  return 'A';
}

std::string DiagramType::name() const {
  return std::string(1, letter()) + (euclidean ? "~" : "") + std::to_string(rank);
}

std::string DiagramType::dynkinName() const { return letter() + std::to_string(rank); }

std::string DiagramType::captionName() const {
  return std::string(1, letter()) + (euclidean ? "~_" : "_") + std::to_string(rank);
}

std::string DiagramType::reportText() const {
  return (euclidean ? "Euclidean graph " : "Dynkin graph ") + captionName() + " ";
}

std::string normalFormName(const DiagramType& type) {
  if (type.corank == 0) return type.dynkinName();
  if (type.corank == 1) return DiagramType::euclideanOf(type.family, type.rank).name();
  return type.dynkinName() + "^(" + std::to_string(type.corank) + ")";
}

bool operator<(const DiagramType& a, const DiagramType& b) {
  return std::tie(a.family, a.rank, a.euclidean, a.corank) <
         std::tie(b.family, b.rank, b.euclidean, b.corank);
}

DiagramSum::DiagramSum(std::vector<DiagramType> terms) : terms_(std::move(terms)) {
  std::sort(terms_.begin(), terms_.end());
}

namespace {

// Runs of equal terms written once, with their count in front when above one.
template <class Spell>
std::string joined(const std::vector<DiagramType>& terms, Spell spell) {
  std::string out;
  for (std::size_t k = 0; k < terms.size();) {
    std::size_t end = k + 1;
    while (end < terms.size() && terms[end] == terms[k]) ++end;
    if (!out.empty()) out += '+';
    if (end - k > 1) out += std::to_string(end - k);
    out += spell(terms[k]);
    k = end;
  }
  return out;
}

}  // namespace

std::string DiagramSum::name() const {
  return joined(terms_, [](const DiagramType& t) { return t.name(); });
}

std::string DiagramSum::dynkinName() const {
  return joined(terms_, [](const DiagramType& t) { return t.dynkinName(); });
}

}  // namespace core
