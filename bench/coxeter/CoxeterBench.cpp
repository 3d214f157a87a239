// Times of the Coxeter polynomial of A_n(r), the roots of E_8 and A_40, and the strong
// congruence search on scrambled pairs of types A, D, E (n = 4..12): time and nodes visited.
// Also looks for pairs with equal Coxeter polynomials that are not strongly congruent.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>

#include "Coxeter.h"
#include "Invariants.h"
#include "Bigraph.h"
#include "Roots.h"
#include "ScrambledBigraphs.h"
#include "StrongCongruence.h"

using namespace core;

namespace {

// A class X_rank of corank r, as the tables below write it.
DiagramType nf(char family, int rank, int corank) {
  const DiagramFamily f = family == 'A' ? DiagramFamily::A : family == 'D' ? DiagramFamily::D : DiagramFamily::E;
  return DiagramType::withCorank(f, rank, corank);
}


double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

template <class F>
double timed(F work) {
  const double start = cpuSeconds();
  work();
  return cpuSeconds() - start;
}

std::string polyKey(const IntPolynomial& p) {
  std::string out;
  for (const BigInteger& c : p) out += bigIntegerToString(c) + " ";
  return out;
}

// A scramble of type t with the Coxeter polynomial of `like` (same == true) or another one.
GramMatrix partner(const DiagramType& t, const GramMatrix& like, bool same, std::uint32_t seed) {
  const std::string wanted = polyKey(characteristicPolynomial(coxeterMatrix(like)));
  for (std::uint32_t k = 0; k < 2000; ++k) {
    GramMatrix g = scrambledBigraph(canonicalGram(t), seed + k);
    if ((polyKey(characteristicPolynomial(coxeterMatrix(g))) == wanted) == same) return g;
  }
  return GramMatrix();
}

void strongTable() {
  std::printf("\nstrong search on two scrambles of one type: equal polynomials (yes), different (no)\n");
  std::printf("%-6s %4s %10s %10s %8s %10s %10s %8s\n", "type", "n", "seconds", "nodes", "answer",
              "seconds", "nodes", "answer");
  std::vector<DiagramType> types;
  for (int n = 4; n <= 12; ++n) types.push_back(nf('A', n, 0));
  for (int n = 4; n <= 12; ++n) types.push_back(nf('D', n, 0));
  for (int n = 6; n <= 8; ++n) types.push_back(nf('E', n, 0));
  auto answer = [](const StrongSearch& s) {
    return s.outcome == SearchOutcome::Found ? "yes" : s.outcome == SearchOutcome::None ? "no" : "time";
  };
  for (const DiagramType& t : types) {
    const GramMatrix g1 = scrambledBigraph(canonicalGram(t), 11);
    std::printf("%-6s %4d", normalFormName(t).c_str(), t.rank);
    for (bool same : {true, false}) {
      const GramMatrix g2 = partner(t, g1, same, 100);
      if (g2.empty()) {
        std::printf(" %10s %10s %8s", "-", "-", "-");
        continue;
      }
      StrongSearch s;
      const double seconds = timed([&] { s = searchStrongCongruence(g1, g2, 60); });
      std::printf(" %10.4f %10llu %8s", seconds, static_cast<unsigned long long>(s.nodes), answer(s));
    }
    std::printf("\n");
  }
}

// Many scrambles of one type, grouped by Coxeter polynomial; each compared with the first of
// its group.
void equalPolynomialHunt(const DiagramType& t, int count) {
  std::map<std::string, GramMatrix> first;
  int pairs = 0, notStrong = 0, open = 0;
  double worst = 0;
  std::uint64_t worstNodes = 0;
  for (int k = 0; k < count; ++k) {
    GramMatrix g = scrambledBigraph(canonicalGram(t), 1000 + k, 2 * t.rank);
    const std::string key = polyKey(characteristicPolynomial(coxeterMatrix(g)));
    auto it = first.find(key);
    if (it == first.end()) {
      first.emplace(key, std::move(g));
      continue;
    }
    StrongSearch s;
    const double seconds = timed([&] { s = searchStrongCongruence(it->second, g, 30); });
    ++pairs;
    if (seconds > worst) worst = seconds, worstNodes = s.nodes;
    if (s.outcome == SearchOutcome::None) ++notStrong;
    if (s.outcome == SearchOutcome::OutOfTime) ++open;
  }
  std::printf("%-6s %3zu polynomials, %4d equal-polynomial pairs: %d not strongly congruent, "
              "%d open; slowest %.4f s (%llu nodes)\n",
              normalFormName(t).c_str(), first.size(), pairs, notStrong, open, worst,
              static_cast<unsigned long long>(worstNodes));
}

}  // namespace

int main() {
  for (int n : {100, 200, 500}) {
    const GramMatrix g = nakayamaGram(n, 2).upperTriangle();
    const double seconds = timed([&] { (void)coxeterDataOf(g, true); });
    std::printf("Coxeter data (matrix, polynomial, factors, number) of A_%d(2): %.3f s CPU\n", n, seconds);
  }
  {
    const GramMatrix g = nakayamaGram(500, 7).upperTriangle();
    const double seconds = timed([&] { (void)coxeterDataOf(g, computeInvariants(g).definiteness == Definiteness::Positive); });
    std::printf("Coxeter data of A_500(7), number decided by powering where not positive: %.3f s CPU\n", seconds);
  }
  for (const DiagramType t : {nf('E', 8, 0), nf('A', 40, 0), nf('D', 40, 0)}) {
    const GramMatrix g = scrambledBigraph(canonicalGram(t), 5);
    std::size_t count = 0;
    const double seconds = timed([&] { count = rootsOf(g, 1000000).size(); });
    std::printf("roots of a scrambled %s: %zu in %.4f s CPU\n", normalFormName(t).c_str(), count, seconds);
  }
  strongTable();
  std::printf("\nequal Coxeter polynomials, strongly congruent or not (200 scrambles each)\n");
  for (const DiagramType t : {nf('A', 6, 0), nf('D', 5, 0), nf('D', 6, 0),
                                 nf('D', 7, 0), nf('D', 8, 0), nf('E', 6, 0),
                                 nf('E', 7, 0), nf('E', 8, 0)})
    equalPolynomialHunt(t, 200);
}
