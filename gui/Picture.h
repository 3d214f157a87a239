// The picture of a bigraph: vertex positions on a circle, the edges with their labels and the
// vertices with theirs, and the places of the window's fixed texts.
#pragma once

#include <vector>

#include "Bigraph.h"
#include "Window.h"

namespace velorin {

// Positions of the window's fixed texts (top-left corners).
struct TextPlace {
  int x, y;
};
inline constexpr TextPlace headerPlace{10, 10};
inline constexpr TextPlace shapeLabelPlace{10, 375};
inline constexpr TextPlace startHintPlace{10, 390};
inline constexpr TextPlace shapeTextPlace{10, 395};

// Centre of each vertex mark on the circle of radius 180 and top-left corner of each vertex
// label on the circle of radius 200, both around (300, 207); vertex 0 at the top, the others
// clockwise.
struct Layout {
  std::vector<int> vertexX, vertexY;
  std::vector<int> labelX, labelY;
};

Layout computeLayout(int n);

// Draws every edge with its label, then every vertex mark with its label. It neither clears
// the surface nor writes the header.
void drawBigraph(platform::Surface& surface, const core::Bigraph& bigraph, const Layout& layout,
                 int thickLines);

}  // namespace velorin
