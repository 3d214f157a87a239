// EdgeRule: the six rules that choose the dotted edge of the next inflation, their numbers
// (parameter a of the two programs, each with its own fallback) and their names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

// The numbers are the variant numbers a of the programs' command lines and dialogues.
enum class EdgeRule {
  First = 0,               // first dotted edge in row order
  FirstHighest = 1,        // first of the highest multiplicity
  Last = 2,                // last dotted edge
  LastHighest = 3,         // last of the highest multiplicity
  RandomFirstOrLast = 4,   // first or last, at random
  Random = 5,              // any dotted edge, at random
};

inline constexpr int kEdgeRuleCount = 6;

// `inflations`: 0..3 as above, any other number (the random rules included) as First.
EdgeRule consoleEdgeRule(int a);
// `velorin`: 0..5 as above, any other number as Last.
EdgeRule windowEdgeRule(int a);
// The rule's number a.
inline int edgeRuleNumber(EdgeRule rule) { return static_cast<int>(rule); }

// The names `bigraph` uses: "first", "first-highest", "last", "last-highest",
// "random-first-last", "random".
const char* edgeRuleName(EdgeRule rule);
// The rule of a name, or none.
std::optional<EdgeRule> edgeRuleNamed(std::string_view name);

// The two rules that draw random numbers.
inline bool isRandom(EdgeRule rule) {
  return rule == EdgeRule::RandomFirstOrLast || rule == EdgeRule::Random;
}

}  // namespace core
