// A plain model of the console run on machine integers.
#include "ReferenceRun.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

struct Pair {
  int i, j;
};

long long floorDivide(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

long long entry(const SmallMatrix& g, int x, int y) { return g[std::min(x, y)][std::max(x, y)]; }

// All pairs above the diagonal in the order a rule visits them.
std::vector<Pair> visitOrder(int n, bool backwards) {
  std::vector<Pair> order;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) order.push_back({i, j});
  if (backwards) std::reverse(order.begin(), order.end());
  return order;
}

bool choose(const SmallMatrix& g, int a, Pair& chosen) {
  const int n = static_cast<int>(g.size());
  const bool backwards = a == 2 || a == 3;
  const bool highest = a == 1 || a == 3;
  long long best = 0;
  bool found = false;
  for (Pair p : visitOrder(n, backwards)) {
    long long v = g[p.i][p.j];
    if (v <= 0) continue;
    if (!highest) {
      chosen = p;
      return true;
    }
    if (v > best) {
      best = v;
      chosen = p;
      found = true;
    }
  }
  return found;
}

SmallMatrix inflate(const SmallMatrix& g, Pair p) {
  const int n = static_cast<int>(g.size());
  SmallMatrix next(n, std::vector<long long>(n, 0));
  for (int x = 0; x < n; ++x) next[x][x] = g[x][x];
  for (int x = 0; x < n; ++x)
    for (int y = x + 1; y < n; ++y)
      if (x != p.i && x != p.j && y != p.i && y != p.j) next[x][y] = g[x][y];
  next[p.i][p.j] = -g[p.i][p.j];
  for (int x = 0; x < n; ++x) {
    if (x == p.i || x == p.j) continue;
    const long long q = floorDivide(g[p.i][p.j], g[p.i][p.i]);
    next[std::min(x, p.i)][std::max(x, p.i)] = entry(g, x, p.i);
    next[std::min(x, p.j)][std::max(x, p.j)] = entry(g, x, p.j) - entry(g, x, p.i) * q;
  }
  return next;
}

std::string counted(const SmallMatrix& g, int count) {
  std::string text = "\n";
  text += referenceDisplay(g);
  text += "\nInflation no.: ";
  text += std::to_string(count);
  return text;
}

std::string listText(const std::vector<Pair>& done) {
  std::string text;
  char pair[64];
  for (std::size_t p = 0; p < done.size(); ++p) {
    std::snprintf(pair, sizeof pair, p == 0 ? "[%d, %d]" : (p % 7 == 0 ? ",\n[%d, %d]" : ", [%d, %d]"),
                  done[p].i + 1, done[p].j + 1);
    text += pair;
  }
  return text;
}

}  // namespace

SmallMatrix referenceNakayama(int n, int r) {
  SmallMatrix g(n, std::vector<long long>(n, 0));
  for (int x = 0; x < n; ++x) {
    g[x][x] = 1;
    for (int y = x + 1; y < n && r >= 2; ++y) {
      int d = y - x;
      g[x][y] = d % r == 1 ? -1 : (d % r == 0 ? 1 : 0);
    }
  }
  return g;
}

std::string referenceDisplay(const SmallMatrix& g) {
  std::string text;
  for (const auto& row : g) {
    for (long long v : row) {
      char cell[32];
      std::snprintf(cell, sizeof cell, v == 0 ? "   " : (v < 0 ? "%lld " : " %lld "), v);
      text += cell;
    }
    text += "\n";
  }
  return text;
}

std::string referenceRunOutput(SmallMatrix g, int k, int m, int a) {
  std::string text = "\n";
  text += referenceDisplay(g);
  text += "\n\nPress any key to start automatic inflations...";
  std::vector<Pair> done;
  Pair p{};
  while (choose(g, a, p)) {
    g = inflate(g, p);
    done.push_back(p);
    const int count = static_cast<int>(done.size());
    if (k > 0 && count % k == 0) text += counted(g, count);
    if (count == m) break;
  }
  if (k != 1) text += counted(g, static_cast<int>(done.size()));
  text += "\nRuntime: X sec.\n\nPress any key to display the list of performed inflations...\n";
  return text + listText(done);
}

int referenceInflationCount(SmallMatrix g, int a) {
  int count = 0;
  Pair p{};
  while (choose(g, a, p)) {
    g = inflate(g, p);
    ++count;
  }
  return count;
}
