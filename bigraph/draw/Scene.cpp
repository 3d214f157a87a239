// Builds the scene: which panels, which layout, label directions, scale and pixel frame.
#include "Scene.h"

#include <algorithm>
#include <cmath>

#include "BigIntegerUtils.h"
#include "ShapeWords.h"

using namespace core;

namespace bigraph::draw {
namespace {

constexpr int kLargestLabelled = 60;   // above this many vertices: thin lines, no labels
constexpr double kDefaultScale = 60;
constexpr double kDefaultLimit = 1600; // default pictures are at most this wide and tall
constexpr double kPanelGap = 2;        // units between two panels
constexpr double kBorder = 10;         // pixels around everything

struct Box {
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

Box boxOf(const std::vector<SceneVertex>& vertices) {
  if (vertices.empty()) return {};
  Box b{1e300, -1e300, 1e300, -1e300};
  for (const SceneVertex& v : vertices) {
    b.minX = std::min(b.minX, v.at.x);
    b.maxX = std::max(b.maxX, v.at.x);
    b.minY = std::min(b.minY, v.at.y);
    b.maxY = std::max(b.maxY, v.at.y);
  }
  return b;
}

Point unit(Point p, Point fallback) {
  const double length = std::hypot(p.x, p.y);
  if (length < 0.3) return fallback;
  return {p.x / length, p.y / length};
}

std::vector<double> anglesToNeighbours(const std::vector<Point>& at, const Structure& s, int v) {
  std::vector<double> angles;
  for (int w : s.neighbours[v]) angles.push_back(std::atan2(at[w].y - at[v].y, at[w].x - at[v].x));
  return angles;
}

// The middle of the widest angle between the occupied directions, so a label stands clear of
// the edges; among equally wide ones the highest, then the rightmost. Up when nothing is taken.
Point freeDirection(std::vector<double> occupied) {
  if (occupied.empty()) return {0, 1};
  constexpr double kTurn = 2 * 3.14159265358979;
  for (double& a : occupied) a = std::fmod(std::fmod(a, kTurn) + kTurn, kTurn);
  std::sort(occupied.begin(), occupied.end());
  Point best{0, 1};
  double widest = -1;
  for (std::size_t k = 0; k < occupied.size(); ++k) {
    const double from = occupied[k];
    const double to = k + 1 < occupied.size() ? occupied[k + 1] : occupied[0] + kTurn;
    const double middle = (from + to) / 2;
    const Point direction{std::cos(middle), std::sin(middle)};
    const double width = to - from;
    const bool wider = width > widest + 1e-6;
    const bool asWide = std::fabs(width - widest) <= 1e-6;
    if (wider || (asWide && (direction.y > best.y + 1e-6 ||
                             (std::fabs(direction.y - best.y) <= 1e-6 && direction.x > best.x)))) {
      widest = std::max(width, widest);
      best = direction;
    }
  }
  return best;
}

// Numbers stand outside the circle, or clear of the edges in a shape drawing; the diagonal
// entry takes the widest free angle left beside them.
void placeLabels(SceneVertex& vertex, const std::vector<Point>& at, const Structure& s, int v,
                 bool circle) {
  std::vector<double> occupied = anglesToNeighbours(at, s, v);
  vertex.labelDirection = circle ? unit(at[v], {0, 1}) : freeDirection(occupied);
  occupied.push_back(std::atan2(vertex.labelDirection.y, vertex.labelDirection.x));
  vertex.diagonalDirection = freeDirection(occupied);
}

BigInteger magnitudeOf(const BigInteger& e) { return e.getSign() == BigInteger::negative ? -e : e; }

Panel panelOf(const GramMatrix& gram, bool isResult, LayoutChoice choice, bool labelled,
              bool numbers) {
  const Structure s = structureOf(gram);
  std::optional<std::vector<Point>> at;
  const bool wantShape = choice == LayoutChoice::Shape || (choice == LayoutChoice::Default && isResult);
  if (wantShape) at = shapeLayoutWithTwins(gram);
  const bool circle = !at.has_value();
  if (circle) at = circleLayout(s.n);
  Panel panel;
  for (int v = 0; v < s.n; ++v) {
    SceneVertex vertex;
    vertex.at = (*at)[v];
    vertex.hollow = gram[v][v] != BigInteger(1);
    if (labelled && numbers) vertex.number = std::to_string(v + 1);
    if (labelled && vertex.hollow) vertex.diagonal = labelOf(gram[v][v]);
    placeLabels(vertex, *at, s, v, circle);
    panel.vertices.push_back(vertex);
  }
  for (int i = 0; i < s.n; ++i)
    for (int j = i + 1; j < s.n; ++j) {
      const BigInteger& e = gram[i][j];
      if (e.isZero()) continue;
      SceneEdge edge{i, j, e.getSign() == BigInteger::negative, "", false};
      const BigInteger m = magnitudeOf(e);
      if (m != BigInteger(1)) {
        if (labelled) edge.multiplicity = labelOf(m);
        else edge.thick = true;
      }
      panel.edges.push_back(edge);
    }
  return panel;
}

// Side by side, each panel centred on y = 0, the first starting at x = 0.
void placePanels(std::vector<Panel>& panels) {
  double nextLeft = 0;
  for (Panel& panel : panels) {
    const Box b = boxOf(panel.vertices);
    const double dx = nextLeft - b.minX;
    const double dy = -(b.minY + b.maxY) / 2;
    for (SceneVertex& v : panel.vertices) {
      v.at.x += dx;
      v.at.y += dy;
    }
    panel.top = b.maxY + dy;
    panel.centreX = (b.minX + b.maxX) / 2 + dx;
    nextLeft += (b.maxX - b.minX) + kPanelGap;
  }
}

struct Padding {
  double side, top, bottom;
};

Padding paddingOf(const Scene& scene, bool titled) {
  const double labelRoom = scene.compact ? 0 : 2 * scene.fontSize;
  const double side = kBorder + scene.vertexRadius + labelRoom;
  return {side, side + (titled ? 1.6 * scene.fontSize : 0),
          side + (scene.caption.empty() ? 0 : 2.2 * scene.fontSize)};
}

// The largest scale at which spans fit into the room; a zero span does not limit it.
double fittingScale(double spanX, double spanY, double roomX, double roomY, double otherwise) {
  double scale = otherwise;
  if (spanX > 0) scale = std::min(scale, roomX / spanX);
  if (spanY > 0) scale = std::min(scale, roomY / spanY);
  return scale;
}

void frame(Scene& scene, const DrawOptions& options) {
  std::vector<SceneVertex> all;
  for (const Panel& panel : scene.panels) all.insert(all.end(), panel.vertices.begin(), panel.vertices.end());
  const Box b = boxOf(all);
  const Padding pad = paddingOf(scene, scene.panels.size() > 1);
  const double spanX = b.maxX - b.minX, spanY = b.maxY - b.minY;
  const double wanted = options.scale > 0 ? options.scale : kDefaultScale;
  scene.scale = options.scale > 0 ? wanted
                                  : fittingScale(spanX, spanY, kDefaultLimit - 2 * pad.side,
                                                 kDefaultLimit - pad.top - pad.bottom, wanted);
  scene.naturalWidth = std::ceil(spanX * scene.scale + 2 * pad.side);
  scene.naturalHeight = std::ceil(spanY * scene.scale + pad.top + pad.bottom);
  scene.originX = pad.side - b.minX * scene.scale;
  scene.originY = pad.top + b.maxY * scene.scale;
  scene.width = scene.naturalWidth;
  scene.height = scene.naturalHeight;
}

// An exact size: the natural drawing scaled as a whole, up or down, to fit and centred.
void fitToSize(Scene& scene, const DrawOptions& options) {
  if (options.width <= 0 || options.height <= 0) return;
  if (options.width < kSmallestSide || options.height < kSmallestSide)
    throw DrawError("the size " + std::to_string(options.width) + "x" +
                    std::to_string(options.height) + " is too small: each side needs at least " +
                    std::to_string(kSmallestSide) + " pixels");
  scene.width = options.width;
  scene.height = options.height;
  scene.zoom = std::min(scene.width / scene.naturalWidth, scene.height / scene.naturalHeight);
  scene.shiftX = (scene.width - scene.zoom * scene.naturalWidth) / 2;
  scene.shiftY = (scene.height - scene.zoom * scene.naturalHeight) / 2;
}

// Vertices no larger than a third of the closest distance they may have, one unit in a shape
// drawing and the neighbour distance on a large circle.
void sizeMarks(Scene& scene) {
  if (!scene.compact) {
    scene.vertexRadius = std::min(4.5, scene.scale / 4);
    return;
  }
  std::size_t n = 0;
  for (const Panel& panel : scene.panels) n = std::max(n, panel.vertices.size());
  const double radius = std::max(1.5, 1.0 / (2 * std::sin(3.14159265358979 / n)));
  const double chord = n > 1 ? 2 * radius * std::sin(3.14159265358979 / n) : 1;
  const double closest = std::min(chord, 1.0) * scene.scale;
  scene.vertexRadius = std::clamp(closest / 3, 0.8, 3.0);
  scene.lineWidth = std::clamp(closest / 8, 0.25, 0.6);
}

std::string captionOf(const GramMatrix& result, const std::string& note) {
  std::string caption = "result: " + shapeWords(result);
  if (!note.empty()) caption += ", " + note;
  return caption;
}

}  // namespace

std::string labelOf(const BigInteger& entry) {
  constexpr std::size_t kLongest = 12, kHead = 5, kTail = 3;
  const std::string text = bigIntegerToString(entry);
  const std::size_t sign = text[0] == '-' ? 1 : 0;
  const std::size_t digits = text.size() - sign;
  if (digits <= kLongest) return text;
  return text.substr(0, sign + kHead) + "..." + text.substr(text.size() - kTail) + " (" +
         std::to_string(digits) + " digits)";
}

Scene buildScene(const DrawRequest& request) {
  const DrawOptions& options = request.options;
  const bool wantsResult = options.state != State::Input;
  if (wantsResult && !request.result)
    throw DrawError("the picture of the result needs the result of the inflation run");
  std::vector<std::pair<const GramMatrix*, bool>> shown;
  if (options.state != State::Result) shown.push_back({&request.input, false});
  if (wantsResult) shown.push_back({&*request.result, true});

  Scene scene;
  std::size_t largest = 0;
  for (const auto& [gram, isResult] : shown) largest = std::max(largest, gram->size());
  scene.compact = largest > static_cast<std::size_t>(kLargestLabelled);
  if (scene.compact)
    scene.notes.push_back(std::to_string(largest) +
                          " vertices: drawn with thin lines and without labels, multiple edges thicker");
  for (const auto& [gram, isResult] : shown) {
    Panel panel = panelOf(*gram, isResult, options.layout, !scene.compact,
                          options.labels == Labels::Numbers);
    panel.name.assign(1, isResult ? 'r' : 'v');
    if (shown.size() > 1) panel.title = isResult ? "result" : "input";
    scene.panels.push_back(std::move(panel));
  }
  if (options.state == State::Both) scene.caption = captionOf(*request.result, request.resultNote);
  placePanels(scene.panels);
  frame(scene, options);
  sizeMarks(scene);
  fitToSize(scene, options);
  return scene;
}

}  // namespace bigraph::draw
