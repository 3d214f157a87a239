// The picture of a bigraph: layout on a circle, edges and vertices with their labels.
#include "Picture.h"

#include <cmath>

#include "Primitives.h"

using namespace core;

namespace velorin {
namespace {

// The picture keeps these short forms of pi and pi/2, so positions match the known layouts.
constexpr double kPi = 3.14159;
constexpr double kHalfPi = 1.570795;
constexpr int kCentreX = 300;
constexpr int kCentreY = 207;
constexpr double kVertexRadius = 180;
constexpr double kLabelRadius = 200;
constexpr int kVertexSize = 6;

// Whether the entry is 1 or -1: an edge of multiplicity one, drawn without a label.
bool isPlainEdge(const BigInteger& e) { return e.isOne() || e.isMinusOne(); }

// Rounds to the nearest integer, halves away from zero.
int roundToInt(double v) { return static_cast<int>(std::round(v)); }

void drawEdge(platform::Surface& surface, const Layout& layout, int i, int j, const BigInteger& e,
              int thickLines) {
  const BigInteger zero;
  const bool solid = e < zero;
  const BigInteger magnitude = solid ? -e : e;
  const BigInteger w(thickLines);
  // |e| * w + 1 + 1 - w: 2 for every edge when w = 0, |e| + 1 when w = 1.
  const BigInteger edgeWidth = magnitude * w + BigInteger(1) + BigInteger(1) - w;
  myLine(surface, layout.vertexX[i], layout.vertexY[i], layout.vertexX[j], layout.vertexY[j],
         edgeWidth, solid ? contin : dotted);
  if (!isPlainEdge(e)) {
    surface.text((layout.vertexX[i] + layout.vertexX[j]) / 2,
                 (layout.vertexY[i] + layout.vertexY[j]) / 2, bigIntegerToString(e));
  }
}

void drawVertex(platform::Surface& surface, const Layout& layout, int q, const BigInteger& d) {
  BigPixel(surface, layout.vertexX[q], layout.vertexY[q], kVertexSize, colorVertex);
  if (!d.isOne()) {
    surface.text(layout.labelX[q], layout.labelY[q], bigIntegerToString(d - BigInteger(1)));
  }
}

}  // namespace

Layout computeLayout(int n) {
  Layout layout;
  if (n <= 0) return layout;
  layout.vertexX.resize(n);
  layout.vertexY.resize(n);
  layout.labelX.resize(n);
  layout.labelY.resize(n);
  const double step = 1.0 / n;
  for (int i = 0; i < n; ++i) {
    const double angle = kHalfPi - (step * i * 2) * kPi;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    layout.vertexX[i] = kCentreX + roundToInt(kVertexRadius * c);
    layout.vertexY[i] = kCentreY - roundToInt(kVertexRadius * s);
    layout.labelX[i] = kCentreX + roundToInt(kLabelRadius * c);
    layout.labelY[i] = kCentreY - roundToInt(kLabelRadius * s);
  }
  return layout;
}

void drawBigraph(platform::Surface& surface, const Bigraph& bigraph, const Layout& layout,
                 int thickLines) {
  const int n = bigraph.n;
  const BigInteger zero;
  // Edges first, so the vertex squares lie on top of the lines.
  for (int i = 0; i + 1 < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const BigInteger& e = bigraph.gram[i][j];
      if (e != zero) drawEdge(surface, layout, i, j, e, thickLines);
    }
  for (int q = 0; q < n; ++q) drawVertex(surface, layout, q, bigraph.gram[q][q]);
}

}  // namespace velorin
