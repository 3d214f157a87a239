// Tests of the vertex layout on the circle and of the inflation bound for each vertex count.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Picture.h"
#include "RunState.h"

namespace velorin {
namespace {

using Points = std::vector<std::pair<int, int>>;

struct LayoutCase {
  int n;
  Points vertices;
  Points labels;  // empty: not checked
};

Points vertexPoints(const Layout& layout) {
  Points points;
  for (std::size_t i = 0; i < layout.vertexX.size(); ++i)
    points.emplace_back(layout.vertexX[i], layout.vertexY[i]);
  return points;
}

Points labelPoints(const Layout& layout) {
  Points points;
  for (std::size_t i = 0; i < layout.labelX.size(); ++i)
    points.emplace_back(layout.labelX[i], layout.labelY[i]);
  return points;
}

class LayoutPoints : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutPoints, VerticesAndLabelsOnTheirCircles) {
  const LayoutCase& c = GetParam();
  const Layout layout = computeLayout(c.n);
  EXPECT_EQ(vertexPoints(layout), c.vertices);
  if (!c.labels.empty()) {
    EXPECT_EQ(labelPoints(layout), c.labels);
  }
}

INSTANTIATE_TEST_SUITE_P(
    KnownLayouts, LayoutPoints,
    ::testing::Values(
        LayoutCase{1, {{300, 27}}, {{300, 7}}},
        LayoutCase{3, {{300, 27}, {456, 297}, {144, 297}}, {{300, 7}, {473, 307}, {127, 307}}},
        LayoutCase{4,
                   {{300, 27}, {480, 207}, {300, 387}, {120, 207}},
                   {{300, 7}, {500, 207}, {300, 407}, {100, 207}}},
        LayoutCase{6,
                   {{300, 27}, {456, 117}, {456, 297}, {300, 387}, {144, 297}, {144, 117}},
                   {}},
        LayoutCase{8,
                   {{300, 27}, {427, 80}, {480, 207}, {427, 334}, {300, 387}, {173, 334},
                    {120, 207}, {173, 80}},
                   {}}));

TEST(Layout, NoVerticesGiveEmptyArrays) {
  for (int n : {0, -1}) {
    const Layout layout = computeLayout(n);
    EXPECT_TRUE(layout.vertexX.empty());
    EXPECT_TRUE(layout.labelY.empty());
  }
}

}  // namespace
}  // namespace velorin
