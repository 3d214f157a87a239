// Shape recognition from the graph structure and the circle and shape layouts.
#include "Shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Components.h"

using namespace core;

namespace bigraph::draw {
namespace {

constexpr double kPi = std::numbers::pi;

bool isOne(const BigInteger& v) { return v == BigInteger(1); }
bool isMinusOne(const BigInteger& v) { return v == BigInteger(-1); }

bool reachesAll(const std::vector<std::vector<int>>& neighbours) {
  const int n = static_cast<int>(neighbours.size());
  if (n == 0) return true;
  std::vector<bool> seen(n, false);
  std::vector<int> stack{0};
  seen[0] = true;
  int count = 1;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    for (int w : neighbours[v])
      if (!seen[w]) {
        seen[w] = true;
        ++count;
        stack.push_back(w);
      }
  }
  return count == n;
}

int degree(const Structure& s, int v) { return static_cast<int>(s.neighbours[v].size()); }

std::vector<int> branchVertices(const Structure& s) {
  std::vector<int> branches;
  for (int v = 0; v < s.n; ++v)
    if (degree(s, v) >= 3) branches.push_back(v);
  return branches;
}

// The vertices from `first` on, walking away from `from` through vertices of degree 2,
// up to and including the first leaf or branch vertex.
std::vector<int> walkArm(const Structure& s, int from, int first) {
  std::vector<int> arm{first};
  int previous = from;
  int current = first;
  while (degree(s, current) == 2) {
    const auto& around = s.neighbours[current];
    const int next = around[0] == previous ? around[1] : around[0];
    previous = current;
    current = next;
    arm.push_back(current);
  }
  return arm;
}

// The arms of a branch vertex, shortest first (ties by their first vertex).
std::vector<std::vector<int>> armsOf(const Structure& s, int centre) {
  std::vector<std::vector<int>> arms;
  for (int w : s.neighbours[centre]) arms.push_back(walkArm(s, centre, w));
  std::stable_sort(arms.begin(), arms.end(),
                   [](const auto& a, const auto& b) { return a.size() < b.size(); });
  return arms;
}

// The star's diagram type, if any, is set in `type`.
std::string starName(const std::vector<std::vector<int>>& arms, bool simpleSolid,
                     std::optional<DiagramType>& type) {
  std::vector<int> lengths;
  for (const auto& arm : arms) lengths.push_back(static_cast<int>(arm.size()));
  if (simpleSolid && lengths.size() == 3)
    type = DiagramType::ofThreeArms(lengths[0], lengths[1], lengths[2]);
  if (simpleSolid && lengths == std::vector<int>{1, 1, 1, 1})
    type = DiagramType::euclideanOf(DiagramFamily::D, 4);
  if (type) return type->captionName();
  std::string name = "star [";
  for (std::size_t k = 0; k < lengths.size(); ++k) {
    if (k > 0) name += ',';
    name += std::to_string(lengths[k]);
  }
  return name + "]";
}

// Two branch vertices of degree 3, each with two arms that are single leaves: D~_{n-1}.
bool isDTilde(const Structure& s, const std::vector<int>& branches) {
  for (int b : branches) {
    int leaves = 0;
    for (int w : s.neighbours[b]) leaves += degree(s, w) == 1 ? 1 : 0;
    if (leaves < 2) return false;
  }
  return true;
}

Shape treeShape(const Structure& s) {
  const std::vector<int> branches = branchVertices(s);
  Shape shape;
  if (branches.empty()) {
    shape.kind = ShapeKind::Path;
    if (s.simpleSolid) shape.type = DiagramType::dynkin(DiagramFamily::A, s.n);
    shape.name = shape.type ? shape.type->captionName() : "path";
  } else if (branches.size() == 1) {
    shape.kind = ShapeKind::Star;
    shape.name = starName(armsOf(s, branches[0]), s.simpleSolid, shape.type);
  } else if (branches.size() == 2 && degree(s, branches[0]) == 3 && degree(s, branches[1]) == 3) {
    shape.kind = ShapeKind::TwoBranches;
    if (s.simpleSolid && isDTilde(s, branches))
      shape.type = DiagramType::euclideanOf(DiagramFamily::D, s.n - 1);
    shape.name = shape.type ? shape.type->captionName() : "tree";
  } else {
    shape.kind = ShapeKind::Tree;
    shape.name = "tree";
  }
  return shape;
}

Point along(Point from, double angle, double distance) {
  return {from.x + distance * std::cos(angle), from.y + distance * std::sin(angle)};
}

void placeArm(std::vector<Point>& at, const std::vector<int>& arm, Point centre, double angle,
              double step) {
  for (std::size_t k = 0; k < arm.size(); ++k)
    at[arm[k]] = along(centre, angle, step * static_cast<double>(k + 1));
}

std::vector<Point> pathLayout(const Structure& s) {
  std::vector<Point> at(s.n);
  if (s.n == 1) return at;
  int start = 0;
  while (degree(s, start) != 1) ++start;  // the end with the smaller number
  std::vector<int> path{start};
  const std::vector<int> rest = walkArm(s, start, s.neighbours[start][0]);
  path.insert(path.end(), rest.begin(), rest.end());
  for (std::size_t k = 0; k < path.size(); ++k) at[path[k]] = {static_cast<double>(k), 0};
  return at;
}

std::vector<Point> cycleLayout(const Structure& s) {
  std::vector<int> order{0};
  int previous = 0;
  int current = s.neighbours[0][0];  // the smaller neighbour of vertex 1
  while (current != 0) {
    order.push_back(current);
    const auto& around = s.neighbours[current];
    const int next = around[0] == previous ? around[1] : around[0];
    previous = current;
    current = next;
  }
  const std::vector<Point> circle = circleLayout(s.n);
  std::vector<Point> at(s.n);
  for (int k = 0; k < s.n; ++k) at[order[k]] = circle[k];
  return at;
}

// D_n and D~_4-like stars fork at 45 degrees; other three-armed stars keep the two longer arms
// on a line and the shortest one downwards; more arms spread evenly, the longest to the left.
std::vector<Point> starLayout(const Structure& s) {
  const int centre = branchVertices(s)[0];
  std::vector<std::vector<int>> arms = armsOf(s, centre);
  std::vector<Point> at(s.n);
  at[centre] = {0, 0};
  if (arms.size() == 3) {
    const bool fork = arms[0].size() == 1 && arms[1].size() == 1;
    placeArm(at, arms[2], at[centre], kPi, 1);
    placeArm(at, arms[1], at[centre], fork ? -kPi / 4 : 0, 1);
    placeArm(at, arms[0], at[centre], fork ? kPi / 4 : -kPi / 2, 1);
    return at;
  }
  const int count = static_cast<int>(arms.size());
  // Neighbouring arms at least one unit apart at their first vertices.
  const double step = std::max(1.0, 1.0 / (2 * std::sin(kPi / count)));
  std::reverse(arms.begin(), arms.end());
  for (int k = 0; k < count; ++k) placeArm(at, arms[k], at[centre], kPi - 2 * kPi * k / count, step);
  return at;
}

// The spine between the two branch vertices on a line, the other arms straight out at 45 degrees.
std::vector<Point> twoBranchLayout(const Structure& s) {
  const std::vector<int> branches = branchVertices(s);
  const int left = branches[0], right = branches[1];
  std::vector<Point> at(s.n);
  std::vector<int> spine;
  std::vector<std::vector<int>> leftArms;
  for (int w : s.neighbours[left]) {
    std::vector<int> arm = walkArm(s, left, w);
    if (arm.back() == right) spine = arm;
    else leftArms.push_back(arm);
  }
  at[left] = {0, 0};
  for (std::size_t k = 0; k < spine.size(); ++k) at[spine[k]] = {static_cast<double>(k + 1), 0};
  placeArm(at, leftArms[0], at[left], 3 * kPi / 4, 1);
  placeArm(at, leftArms[1], at[left], -3 * kPi / 4, 1);
  int placed = 0;
  for (int w : s.neighbours[right]) {
    const int towardsLeft = spine.size() >= 2 ? spine[spine.size() - 2] : left;
    if (w == towardsLeft) continue;
    placeArm(at, walkArm(s, right, w), at[right], placed++ == 0 ? kPi / 4 : -kPi / 4, 1);
  }
  return at;
}

// Layers by distance from a vertex of the highest degree; leaves one unit apart in depth-first
// order and each parent above the middle of its children, so subtrees never overlap.
std::vector<Point> treeLayout(const Structure& s) {
  int root = 0;
  for (int v = 1; v < s.n; ++v)
    if (degree(s, v) > degree(s, root)) root = v;
  std::vector<int> parent(s.n, -1), depth(s.n, 0), preorder;
  std::vector<int> stack{root};
  std::vector<bool> seen(s.n, false);
  seen[root] = true;
  while (!stack.empty()) {
    const int v = stack.back();
    stack.pop_back();
    preorder.push_back(v);
    const auto& around = s.neighbours[v];
    for (auto it = around.rbegin(); it != around.rend(); ++it)
      if (!seen[*it]) {
        seen[*it] = true;
        parent[*it] = v;
        depth[*it] = depth[v] + 1;
        stack.push_back(*it);
      }
  }
  std::vector<Point> at(s.n);
  std::vector<double> low(s.n, 1e300), high(s.n, -1e300);
  double nextLeaf = 0;
  for (int v : preorder)
    if (v != root && degree(s, v) == 1) at[v].x = nextLeaf++;
  for (auto it = preorder.rbegin(); it != preorder.rend(); ++it) {
    const int v = *it;
    if (low[v] <= high[v]) at[v].x = (low[v] + high[v]) / 2;
    at[v].y = -depth[v];
    if (parent[v] >= 0) {
      low[parent[v]] = std::min(low[parent[v]], at[v].x);
      high[parent[v]] = std::max(high[parent[v]], at[v].x);
    }
  }
  return at;
}

const BigInteger& entry(const GramMatrix& g, int x, int y) { return x < y ? g[x][y] : g[y][x]; }

bool isTwinOf(const GramMatrix& g, int u, int v) {
  if (g[u][v] != BigInteger(2) || g[u][u] != g[v][v]) return false;
  for (int x = 0; x < static_cast<int>(g.size()); ++x)
    if (x != u && x != v && entry(g, x, u) != entry(g, x, v)) return false;
  return true;
}

constexpr double kComponentGap = 1.5;  // units between the drawings of two components

// Each component in its own drawing (its shape's, or its own circle when it has none), side by
// side from left to right in the order of their first vertices, each centred on y = 0.
std::vector<Point> componentsLayout(const GramMatrix& gram) {
  const int n = static_cast<int>(gram.size());
  int count = 0;
  const std::vector<int> component =
      componentLabels(n, [&gram](int i, int j) -> const BigInteger& { return gram[i][j]; }, count);
  std::vector<std::vector<int>> members(count);
  for (int v = 0; v < n; ++v) members[component[v]].push_back(v);
  std::vector<Point> at(n);
  double nextLeft = 0;
  for (const std::vector<int>& vertices : members) {
    const int k = static_cast<int>(vertices.size());
    GramMatrix part(k);
    for (int a = 0; a < k; ++a)
      for (int b = a; b < k; ++b) part[a][b] = gram[vertices[a]][vertices[b]];
    const std::vector<Point> local = shapeLayoutWithTwins(part).value_or(circleLayout(k));
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const Point& p : local) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
    for (int a = 0; a < k; ++a)
      at[vertices[a]] = {local[a].x - minX + nextLeft, local[a].y - (minY + maxY) / 2};
    nextLeft += maxX - minX + kComponentGap;
  }
  return at;
}

}  // namespace

std::optional<std::vector<Point>> shapeLayoutWithTwins(const GramMatrix& gram) {
  const int n = static_cast<int>(gram.size());
  if (!structureOf(gram).connected) return componentsLayout(gram);
  std::vector<int> originalOf(n, -1);
  std::vector<int> kept;
  for (int v = 0; v < n; ++v) {
    for (int u : kept)
      if (isTwinOf(gram, u, v)) {
        originalOf[v] = u;
        break;
      }
    if (originalOf[v] < 0) kept.push_back(v);
  }
  if (static_cast<int>(kept.size()) == n) return shapeLayout(structureOf(gram));
  GramMatrix reduced(static_cast<int>(kept.size()));
  for (std::size_t a = 0; a < kept.size(); ++a)
    for (std::size_t b = a; b < kept.size(); ++b) reduced[a][b] = gram[kept[a]][kept[b]];
  const Structure s = structureOf(reduced);
  const std::optional<std::vector<Point>> base = shapeLayout(s);
  if (!base) return std::nullopt;
  std::vector<Point> at(n);
  std::vector<int> indexOf(n, -1);
  for (std::size_t a = 0; a < kept.size(); ++a) {
    at[kept[a]] = (*base)[a];
    indexOf[kept[a]] = static_cast<int>(a);
  }
  std::vector<int> twinsSoFar(n, 0);
  for (int v = 0; v < n; ++v) {
    const int u = originalOf[v];
    if (u < 0) continue;
    // Across the direction from u's first neighbour to u (upwards for a lone vertex).
    Point across{0, 1};
    if (!s.neighbours[indexOf[u]].empty()) {
      const Point w = (*base)[s.neighbours[indexOf[u]][0]];
      const double dx = at[u].x - w.x, dy = at[u].y - w.y;
      const double length = std::hypot(dx, dy);
      if (length > 1e-9) across = {-dy / length, dx / length};
    }
    const int k = twinsSoFar[u]++;
    const double distance = (k / 2 + 1) * (k % 2 == 0 ? 1.0 : -1.0);
    at[v] = {at[u].x + distance * across.x, at[u].y + distance * across.y};
  }
  return at;
}

Structure structureOf(const GramMatrix& gram) {
  Structure s;
  s.n = static_cast<int>(gram.size());
  s.neighbours.resize(s.n);
  for (int i = 0; i < s.n; ++i) {
    if (!isOne(gram[i][i])) s.simpleSolid = false;
    for (int j = i + 1; j < s.n; ++j) {
      const BigInteger& e = gram[i][j];
      if (e.isZero()) continue;
      if (!isMinusOne(e)) s.simpleSolid = false;
      s.neighbours[i].push_back(j);
      s.neighbours[j].push_back(i);
      ++s.edgeCount;
    }
  }
  for (auto& around : s.neighbours) std::sort(around.begin(), around.end());
  s.connected = reachesAll(s.neighbours);
  return s;
}

Shape recognizeShape(const Structure& s) {
  if (s.n == 0) return Shape{ShapeKind::Other, "empty", std::nullopt};
  if (!s.connected) return Shape{ShapeKind::Other, "not connected", std::nullopt};
  if (s.edgeCount == s.n - 1) return treeShape(s);
  const bool cycle = s.edgeCount == s.n &&
                     std::all_of(s.neighbours.begin(), s.neighbours.end(),
                                 [](const auto& around) { return around.size() == 2; });
  if (cycle) {
    std::optional<DiagramType> type;
    if (s.simpleSolid) type = DiagramType::euclideanOf(DiagramFamily::A, s.n - 1);
    return Shape{ShapeKind::Cycle, type ? type->captionName() : "cycle", type};
  }
  return Shape{ShapeKind::Other, "with cycles", std::nullopt};
}

std::vector<Point> circleLayout(int n) {
  std::vector<Point> at(std::max(n, 0));
  if (n <= 1) return at;
  const double radius = std::max(1.5, 1.0 / (2 * std::sin(kPi / n)));
  for (int i = 0; i < n; ++i) at[i] = along({0, 0}, kPi / 2 - 2 * kPi * i / n, radius);
  return at;
}

std::optional<std::vector<Point>> shapeLayout(const Structure& s) {
  switch (recognizeShape(s).kind) {
    case ShapeKind::Path: return pathLayout(s);
    case ShapeKind::Cycle: return cycleLayout(s);
    case ShapeKind::Star: return starLayout(s);
    case ShapeKind::TwoBranches: return twoBranchLayout(s);
    case ShapeKind::Tree: return treeLayout(s);
    case ShapeKind::Other: break;
  }
  return std::nullopt;
}

}  // namespace bigraph::draw
