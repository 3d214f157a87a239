// EdgeRule: numbers and names of the edge-choice rules.
#include "EdgeRule.h"

namespace core {

namespace {

constexpr const char* kNames[kEdgeRuleCount] = {"first",        "first-highest",     "last",
                                                "last-highest", "random-first-last", "random"};

}  // namespace

EdgeRule consoleEdgeRule(int a) { return a >= 1 && a <= 3 ? static_cast<EdgeRule>(a) : EdgeRule::First; }

EdgeRule windowEdgeRule(int a) {
  return a >= 0 && a < kEdgeRuleCount ? static_cast<EdgeRule>(a) : EdgeRule::Last;
}

const char* edgeRuleName(EdgeRule rule) { return kNames[edgeRuleNumber(rule)]; }

std::optional<EdgeRule> edgeRuleNamed(std::string_view name) {
  for (int k = 0; k < kEdgeRuleCount; ++k)
    if (name == kNames[k]) return static_cast<EdgeRule>(k);
  return std::nullopt;
}

}  // namespace core
