// The canonical bigraphs N(D, r) and the normal form of a non-negative bigraph with its
// certificate.
//
// Conventions: G is the unit upper-triangular Gram matrix, S = G + G^T, and two bigraphs are
// weakly Gram Z-congruent when S' = B^T S B with det B = +-1.
//
// Why every connected non-negative bigraph reaches N(D, r). Barot and de la Peña ("The Dynkin
// type of a non-negative unit form", Expo. Math. 17, 1999) show that a connected non-negative
// unit form q of corank r and Dynkin type D has a set S of n - r vertices on which q restricts
// to a positive form of type D with Z^n = Z^S (+) rad q. Then q is Z-equivalent to q_D (+) 0_r,
// and so are all forms of that type and corank, N(D, r) among them (Simson and Zając, Linear
// Algebra Appl. 2017, classify non-negative bigraphs of every corank this way).
//
// The algorithm, in polynomial time:
// 1. K (n x r): the saturated kernel basis computeInvariants gives.
// 2. T with det K[T, :] = +-1, greedily (unimodularVertices). Round k picks a vertex t whose
//    row of the remaining columns K' has gcd 1, and makes that row (1, 0, ..., 0) by unimodular
//    column operations. Why a row with gcd 1 always exists: before round k the columns K'
//    (k..r-1) are a saturated basis of rad q_k, q_k the restriction of q to the vertices not
//    yet picked, since the picked rows carry a kernel vector with entry 1 there:
//    Z^V = Z^{V - t} (+) Z k_t, so q_k is non-negative of corank r - k, and it is a unit form.
//    Each component of q_k is connected and non-negative; one of positive corank has, by
//    Barot and de la Peña, a set T_i with Z^{V_i} = Z^{V_i - T_i} (+) rad, so some vertex of
//    T_i carries a radical vector with entry 1: its row of K' has gcd 1. The search makes r
//    rounds of n gcds each; a round that finds no such row contradicts the theorem and is
//    reported as a failure, never guessed around. Afterwards K[T, :] is unitriangular.
// 3. With S' the complement of T, P = [E_{S'} | K] is unimodular and P^T S P = S|_{S'} (+) 0_r.
//    S|_{S'} is positive of type D, so the inflation run (RunEngine) on it ends in the Dynkin
//    diagram of type D (the root lattice of a connected Dynkin diagram is indecomposable, so
//    the result is connected), with its certificate B'.
// 4. A graph isomorphism Q puts that diagram into the standard numbering of canonicalGram, so
//    M = P diag(B' Q, I_r) gives M^T S M = S_D (+) 0_r. N(D, r) has the same with the explicit
//    unimodular C = [E_D | (h, 1, 0..0) | e_m - e_{m+1} | ... | e_m - e_{m+r-1}], h the
//    Euclidean null root; its inverse is written out below, so B = M C^-1 needs no inversion.
// 5. B^T S B = S_N and B X = I are checked exactly (FLINT) before B is returned, where X is
//    the inverse composed from the same factors (the run's steps undone in reverse order,
//    P^-1 from K[T, :]^-1, C written out): an integer X with B X = I proves |det B| = 1 at the
//    cost of one product, where a determinant of B took ten times longer at n = 1000.
#include "NormalForm.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <span>
#include <utility>

#include "Bigraph.h"
#include "Components.h"
#include "FlintBridge.h"
#include "RunEngine.h"

namespace core {

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;

namespace {

// ---- canonical forms ----

void join(GramMatrix& g, int u, int v, long entry) {
  g[std::min(u, v)][std::max(u, v)] = BigInteger(entry);
}

// The vertex joined to the Euclidean extension vertex m (besides A's two ends).
int extensionNeighbour(const DiagramType& t) {
  if (t.family == DiagramFamily::D) return t.rank - 3;
  if (t.rank == 6) return 5;
  if (t.rank == 7) return 0;
  return 6;  // E8
}

void addDynkinEdges(GramMatrix& g, const DiagramType& t) {
  const int m = t.rank;
  for (int v = 1; v < (t.family == DiagramFamily::A ? m : m - 1); ++v) join(g, v - 1, v, -1);
  if (t.family == DiagramFamily::D) join(g, m - 1, 1, -1);
  if (t.family == DiagramFamily::E) join(g, m - 1, 2, -1);
}

// Vertex x joined to the Dynkin vertices the way the extension vertex is.
void addExtensionEdges(GramMatrix& g, const DiagramType& t, int x) {
  const int m = t.rank;
  if (t.family != DiagramFamily::A) return join(g, x, extensionNeighbour(t), -1);
  if (m == 1) return join(g, x, 0, -2);
  join(g, x, 0, -1);
  join(g, x, m - 1, -1);
}

// ---- small FLINT helpers ----

FlintMatrix flintOf(const GramMatrix& m) {
  const long n = static_cast<long>(m.size());
  FlintMatrix out(n, n);
  if (n > 0) flint_bridge::toFlint(out, m);
  return out;
}

FlintMatrix product(const FlintMatrix& a, const FlintMatrix& b) {
  FlintMatrix out(a.rows(), b.cols());
  fmpz_mat_mul(out.get(), a.get(), b.get());
  return out;
}

// Column `to` -= q * column `from`, over all rows.
void subtractColumn(FlintMatrix& K, long to, long from, const fmpz_t q) {
  for (long i = 0; i < K.rows(); ++i) fmpz_submul(K.at(i, to), q, K.at(i, from));
}

void swapColumns(FlintMatrix& K, long a, long b) {
  for (long i = 0; i < K.rows(); ++i) fmpz_swap(K.at(i, a), K.at(i, b));
}

void negateColumn(FlintMatrix& K, long c) {
  for (long i = 0; i < K.rows(); ++i) fmpz_neg(K.at(i, c), K.at(i, c));
}

// gcd of row t over columns from..cols-1 is 1.
bool rowHasUnitGcd(const FlintMatrix& K, long t, long from) {
  FlintInteger g;
  for (long c = from; c < K.cols(); ++c) {
    fmpz_gcd(g.get(), g.get(), K.at(t, c));
    if (fmpz_is_one(g.get())) return true;
  }
  return false;
}

// Euclid on the columns: row t of columns from.. becomes (+1, 0, ..., 0).
void clearRow(FlintMatrix& K, long t, long from) {
  FlintInteger q;
  for (long c = from + 1; c < K.cols(); ++c)
    while (!fmpz_is_zero(K.at(t, c))) {
      fmpz_tdiv_q(q.get(), K.at(t, from), K.at(t, c));
      subtractColumn(K, from, c, q.get());
      swapColumns(K, from, c);
    }
  if (fmpz_sgn(K.at(t, from)) < 0) negateColumn(K, from);
}

// K[T, :]^-1, an integer matrix when det K[T, :] = +-1; throws NormalFormFailure otherwise.
GramMatrix kernelRowsInverse(const std::vector<IntVector>& kernel, const std::vector<int>& T) {
  const long r = static_cast<long>(kernel.size());
  if (r == 0) return {};
  FlintMatrix KT(r, r), inverse(r, r);
  for (long k = 0; k < r; ++k)
    for (long c = 0; c < r; ++c) flint_bridge::toFmpz(KT.at(k, c), kernel[c][T[k]]);
  FlintInteger denominator;
  if (!fmpz_mat_inv(inverse.get(), denominator.get(), KT.get()) ||
      !fmpz_is_pm1(denominator.get()))
    throw NormalFormFailure("normal form: det K[T, :] is not +-1");
  if (fmpz_is_one(denominator.get()) == 0) fmpz_mat_neg(inverse.get(), inverse.get());
  return flint_bridge::fromFlint(inverse);
}

// ---- Dynkin diagrams in standard numbering ----

// The standard numbering of a Dynkin diagram given as an upper Gram matrix: label[v] is the
// vertex of canonicalGram that v becomes. Throws NormalFormFailure when `g` is no Dynkin
// diagram.
struct Labelled {
  DiagramType type;
  std::vector<int> label;
};

// The vertices from `first` on, away from `from`, through vertices of degree 2.
std::vector<int> armFrom(const std::vector<std::vector<int>>& nb, int from, int first) {
  std::vector<int> arm{first};
  int previous = from, current = first;
  while (nb[current].size() == 2) {
    const int next = nb[current][0] == previous ? nb[current][1] : nb[current][0];
    previous = current;
    current = next;
    arm.push_back(current);
  }
  return arm;
}

[[noreturn]] void notDynkin() {
  throw NormalFormFailure(
      "normal form: the inflation run on the positive restriction did not end in a connected "
      "Dynkin diagram");
}

Labelled labelDynkin(const GramMatrix& g) {
  const int m = static_cast<int>(g.size());
  std::vector<std::vector<int>> nb(m);
  int edges = 0;
  for (int i = 0; i < m; ++i) {
    if (g[i][i] != BigInteger(1)) notDynkin();
    for (int j = i + 1; j < m; ++j) {
      if (g[i][j].isZero()) continue;
      if (g[i][j] != BigInteger(-1)) notDynkin();
      nb[i].push_back(j);
      nb[j].push_back(i);
      ++edges;
    }
  }
  if (edges != m - 1) notDynkin();
  Labelled out;
  out.label.assign(m, -1);
  std::vector<int> branches;
  for (int v = 0; v < m; ++v)
    if (nb[v].size() >= 3) branches.push_back(v);
  if (branches.empty()) {
    out.type = DiagramType::dynkin(DiagramFamily::A, m);
    int start = 0;
    while (m > 1 && nb[start].size() != 1) ++start;
    if (m == 1) {
      out.label[0] = 0;
      return out;
    }
    std::vector<int> path{start};
    const std::vector<int> rest = armFrom(nb, start, nb[start][0]);
    path.insert(path.end(), rest.begin(), rest.end());
    if (static_cast<int>(path.size()) != m) notDynkin();
    for (int k = 0; k < m; ++k) out.label[path[k]] = k;
    return out;
  }
  if (branches.size() != 1 || nb[branches[0]].size() != 3) notDynkin();
  const int centre = branches[0];
  std::vector<std::vector<int>> arms;
  for (int w : nb[centre]) arms.push_back(armFrom(nb, centre, w));
  std::stable_sort(arms.begin(), arms.end(),
                   [](const auto& a, const auto& b) { return a.size() < b.size(); });
  const std::size_t a = arms[0].size(), b = arms[1].size(), c = arms[2].size();
  if (a + b + c + 1 != static_cast<std::size_t>(m)) notDynkin();
  if (a == 1 && b == 1) {  // D_m: short arms at 0 and m-1, centre 1, the long arm 2..m-2
    out.type = DiagramType::dynkin(DiagramFamily::D, m);
    out.label[centre] = 1;
    out.label[arms[0][0]] = 0;
    out.label[arms[1][0]] = m - 1;
    for (std::size_t k = 0; k < c; ++k) out.label[arms[2][k]] = static_cast<int>(2 + k);
  } else if (a == 1 && b == 2 && c >= 2 && c <= 4) {  // E_m: centre 2, arm 1, 0; arm 3..m-2
    out.type = DiagramType::dynkin(DiagramFamily::E, m);
    out.label[centre] = 2;
    out.label[arms[1][0]] = 1;
    out.label[arms[1][1]] = 0;
    for (std::size_t k = 0; k < c; ++k) out.label[arms[2][k]] = static_cast<int>(3 + k);
    out.label[arms[0][0]] = m - 1;
  } else {
    notDynkin();
  }
  return out;
}

// ---- one connected component ----

struct ComponentForm {
  DiagramType type;
  normal_form_detail::CertificatePair certificate;  // k x k, k the component's vertices
};

GramMatrix restrictedTo(const GramMatrix& upper, const std::vector<int>& vertices) {
  const std::size_t k = vertices.size();
  GramMatrix out(static_cast<int>(k));
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = a; b < k; ++b) out[a][b] = upper[vertices[a]][vertices[b]];
  return out;
}

// Keeps the inverse of the run's certificate: the step on (i, j) with quotient q multiplies B by
// T = I - q e_i e_j^T on the right, so B^-1 by T^-1 = I + q e_i e_j^T on the left (row i of
// B^-1 plus q times row j). On a unit diagonal q is the pair's entry before the step, minus
// the entry after it.
class InverseTracker : public RunObserver {
 public:
  explicit InverseTracker(int m) : inverse(m) {
    for (int k = 0; k < m; ++k) inverse[k][k] = BigInteger(1);
  }
  bool afterStep(const Bigraph& g, const Coeffs& pair, std::uint64_t) override {
    const BigInteger q = BigInteger(0) - g.gram[std::min(pair.i, pair.j)][std::max(pair.i, pair.j)];
    const std::span<BigInteger> rowI = inverse[pair.i];
    const std::span<const BigInteger> rowJ = std::as_const(inverse)[pair.j];
    for (std::size_t x = 0; x < rowI.size(); ++x)
      if (!rowJ[x].isZero()) rowI[x] += q * rowJ[x];
    return true;
  }
  GramMatrix inverse;
};

// The inflation run on a positive bigraph, with its certificate and that one's inverse; it
// must end.
GramMatrix runToDynkin(const GramMatrix& upper, GramMatrix& result, GramMatrix& inverse) {
  const int m = static_cast<int>(upper.size());
  Bigraph g(m);
  for (int i = 0; i < m; ++i)
    for (int j = i; j < m; ++j) g.gram[i][j] = upper[i][j];
  g.refreshEdgeCounts();
  RunOptions options;
  options.rule = EdgeRule::Last;  // the last dotted edge: 998 steps on A_1000(2), where the first takes 249500
  options.maxSteps = 10LL * m * m + 100;
  options.trackCertificate = true;
  InverseTracker undo(m);
  RunOutcome outcome = runInflations(g, options, undo);
  // Running out of memory is the machine's limit, not a fault of the normal form; on a unit
  // diagonal the integer layer has nothing to refuse, so a refusal is a fault.
  if (outcome.end == RunEnd::Error && outcome.outOfMemory) throw std::bad_alloc();
  if (outcome.end == RunEnd::Error)
    throw NormalFormFailure("normal form: the inflation run on the positive restriction failed: " +
                            outcome.error.value_or("an error of the integer layer"));
  if (outcome.end != RunEnd::NoDottedEdge || !outcome.certificate)
    throw NormalFormFailure("normal form: the inflation run on the positive restriction (" +
                            std::to_string(m) + " vertices) did not end");
  result = upperGramOf(g);
  inverse = std::move(undo.inverse);
  return std::move(*outcome.certificate);
}

ComponentForm formOfComponent(const GramMatrix& upper, const std::vector<IntVector>& kernel) {
  const int n = static_cast<int>(upper.size());
  ComponentForm out;
  const std::vector<int> T = normal_form_detail::unimodularVertices(kernel, n);
  out.certificate = normal_form_detail::composeCertificate(upper, kernel, T, out.type);
  return out;
}

// The vertices of each component, in the order of their first vertex.
std::vector<std::vector<int>> componentsOf(const GramMatrix& upper) {
  int count = 0;
  const std::vector<int> label = componentLabels(
      static_cast<int>(upper.size()), [&](int i, int j) -> const BigInteger& { return upper[i][j]; },
      count);
  std::vector<std::vector<int>> out(count);
  for (int v = 0; v < static_cast<int>(label.size()); ++v) out[label[v]].push_back(v);
  return out;
}

}  // namespace

// ---- the public part ----

bool isValidType(const DiagramType& t) {
  if (t.corank < 0 || t.euclidean != (t.corank == 1)) return false;
  switch (t.family) {
    case DiagramFamily::A: return t.rank >= 1;
    case DiagramFamily::D: return t.rank >= 4;
    case DiagramFamily::E: return t.rank >= 6 && t.rank <= 8;
  }
  return false;
}

GramMatrix canonicalGram(const DiagramType& t) {
  if (!isValidType(t)) throw std::invalid_argument("no canonical form of type " + normalFormName(t));
  const int m = t.rank, size = m + t.corank;
  GramMatrix g(size);
  for (int v = 0; v < size; ++v) g[v][v] = BigInteger(1);
  addDynkinEdges(g, t);
  for (int x = m; x < size; ++x) {
    addExtensionEdges(g, t, x);
    for (int y = m; y < x; ++y) join(g, y, x, 2);
  }
  return g;
}

std::vector<long> euclideanNullRoot(const DiagramType& t) {
  const int m = t.rank;
  if (t.family == DiagramFamily::A) return std::vector<long>(m, 1);
  if (t.family == DiagramFamily::D) {  // the four leaves 1, the inner path 2
    std::vector<long> h(m, 2);
    h[0] = h[m - 2] = h[m - 1] = 1;
    return h;
  }
  if (m == 6) return {1, 2, 3, 2, 1, 2};
  if (m == 7) return {2, 3, 4, 3, 2, 1, 2};
  return {2, 4, 6, 5, 4, 3, 2, 3};
}

namespace {

bool allSquareOfSize(std::initializer_list<const GramMatrix*> matrices, std::size_t n) {
  for (const GramMatrix* m : matrices)
    if (m->size() != n) return false;
  return true;
}

bool congruentExactly(const FlintMatrix& s, const FlintMatrix& b, const FlintMatrix& sp) {
  FlintMatrix bt(b.cols(), b.rows());
  fmpz_mat_transpose(bt.get(), b.get());
  return fmpz_mat_equal(product(bt, product(s, b)).get(), sp.get());
}

}  // namespace

bool isUnimodularCongruence(const GramMatrix& S, const GramMatrix& B, const GramMatrix& Sprime) {
  const long n = static_cast<long>(S.size());
  if (!allSquareOfSize({&S, &B, &Sprime}, S.size())) return false;
  if (n == 0) return true;
  const FlintMatrix b = flintOf(B);
  if (!congruentExactly(flintOf(S), b, flintOf(Sprime))) return false;
  FlintInteger det;
  fmpz_mat_det(det.get(), b.get());
  return fmpz_is_pm1(det.get());
}

bool isCongruenceWithInverse(const GramMatrix& S, const GramMatrix& B, const GramMatrix& X,
                             const GramMatrix& Sprime) {
  const long n = static_cast<long>(S.size());
  if (!allSquareOfSize({&S, &B, &X, &Sprime}, S.size())) return false;
  if (n == 0) return true;
  const FlintMatrix b = flintOf(B);
  if (!congruentExactly(flintOf(S), b, flintOf(Sprime))) return false;
  return fmpz_mat_is_one(product(b, flintOf(X)).get());
}

namespace normal_form_detail {

std::vector<int> unimodularVertices(const std::vector<IntVector>& kernel, int n) {
  const long r = static_cast<long>(kernel.size());
  FlintMatrix K(n, r);
  for (long c = 0; c < r; ++c)
    for (long i = 0; i < n; ++i) flint_bridge::toFmpz(K.at(i, c), kernel[c][i]);
  std::vector<int> T;
  std::vector<bool> picked(n, false);
  for (long k = 0; k < r; ++k) {
    long t = -1;
    for (long i = 0; i < n && t < 0; ++i)
      if (!picked[i] && rowHasUnitGcd(K, i, k)) t = i;
    if (t < 0)
      throw NormalFormFailure("normal form: no vertex set T with det K[T, :] = +-1 (round " +
                              std::to_string(k + 1) + " of " + std::to_string(r) + ")");
    clearRow(K, t, k);
    picked[t] = true;
    T.push_back(static_cast<int>(t));
  }
  std::sort(T.begin(), T.end());
  return T;
}

CertificatePair composeCertificate(const GramMatrix& upper, const std::vector<IntVector>& kernel,
                                   const std::vector<int>& T, DiagramType& type) {
  const int n = static_cast<int>(upper.size());
  const int r = static_cast<int>(kernel.size());
  std::vector<bool> inT(n, false);
  for (int t : T) inT[t] = true;
  std::vector<int> rest;
  for (int v = 0; v < n; ++v)
    if (!inT[v]) rest.push_back(v);
  const int m = static_cast<int>(rest.size());
  if (m != n - r || static_cast<int>(T.size()) != r)
    throw NormalFormFailure("normal form: T has the wrong size");
  const GramMatrix W = kernelRowsInverse(kernel, T);
  GramMatrix dynkin, runInverse;
  const GramMatrix runCertificate = runToDynkin(restrictedTo(upper, rest), dynkin, runInverse);
  const Labelled labelled = labelDynkin(dynkin);
  type = DiagramType::withCorank(labelled.type.family, labelled.type.rank, r);
  CertificatePair out;
  GramMatrix& B = out.B;
  // M = P diag(B' Q, I): column label[v] is B' column v placed on the rows `rest`.
  B = GramMatrix(n);
  for (int v = 0; v < m; ++v)
    for (int a = 0; a < m; ++a) B[rest[a]][labelled.label[v]] = runCertificate[a][v];
  // Y = diag(Q^T B'^-1, I) P^-1, with P^-1 = [E_rest^T - (K W)_rest E_T^T ; W E_T^T]: row
  // label[v] of Y is row v of B'^-1 on the columns `rest`, and minus its product with K W on
  // the columns T; row m + c is row c of W on the columns T.
  std::vector<IntVector> KW(m, IntVector(r));  // (K W) on the rows `rest`
  for (int a = 0; a < m; ++a)
    for (int k = 0; k < r; ++k)
      for (int c = 0; c < r; ++c)
        if (!kernel[c][rest[a]].isZero()) KW[a][k] += kernel[c][rest[a]] * W[c][k];
  GramMatrix Y(n);
  for (int v = 0; v < m; ++v) {
    const std::span<BigInteger> row = Y[labelled.label[v]];
    for (int a = 0; a < m; ++a) {
      const BigInteger& e = runInverse[v][a];
      if (e.isZero()) continue;
      row[rest[a]] = e;
      for (int k = 0; k < r; ++k) row[T[k]] -= e * KW[a][k];
    }
  }
  for (int c = 0; c < r; ++c)
    for (int k = 0; k < r; ++k) Y[m + c][T[k]] = W[c][k];
  if (r == 0) {
    out.inverse = std::move(Y);
    return out;
  }
  // B = M C^-1: column m is K_0 - M_D h, column m + k is K_0 - K_k - M_D h.
  const std::vector<long> h = euclideanNullRoot(type);
  IntVector base = kernel[0];
  for (int x = 0; x < n; ++x)
    for (int c = 0; c < m; ++c)
      if (!B[x][c].isZero()) base[x] -= B[x][c] * BigInteger(h[c]);
  for (int x = 0; x < n; ++x) {
    B[x][m] = base[x];
    for (int k = 1; k < r; ++k) B[x][m + k] = base[x] - kernel[k][x];
  }
  // X = C Y: rows 0..m-1 are Y's plus h times row m of Y; row m the sum of Y's rows m..;
  // row m + k (k >= 1) minus Y's row m + k.
  GramMatrix& X = out.inverse;
  X = std::move(Y);
  for (int c = 0; c < m; ++c)
    for (int x = 0; x < n; ++x)
      if (!X[m][x].isZero()) X[c][x] += BigInteger(h[c]) * X[m][x];
  for (int k = 1; k < r; ++k)
    for (int x = 0; x < n; ++x) X[m][x] += X[m + k][x];
  for (int k = 1; k < r; ++k)
    for (int x = 0; x < n; ++x) X[m + k][x] = BigInteger(0) - X[m + k][x];
  return out;
}

}  // namespace normal_form_detail

std::optional<NormalForm> normalFormOf(const GramMatrix& upper, const Invariants& inv) {
  const bool nonNegative = inv.definiteness == Definiteness::Positive ||
                           inv.definiteness == Definiteness::NonNegative;
  if (upper.empty() || !inv.loopFree || !nonNegative) return std::nullopt;
  const int n = static_cast<int>(upper.size());
  const std::vector<std::vector<int>> parts = componentsOf(upper);
  struct Part {
    std::vector<int> vertices;
    ComponentForm form;
  };
  std::vector<Part> done;
  for (const std::vector<int>& vertices : parts) {
    if (parts.size() == 1) {
      done.push_back({vertices, formOfComponent(upper, inv.kernel)});
      continue;
    }
    const GramMatrix sub = restrictedTo(upper, vertices);
    done.push_back({vertices, formOfComponent(sub, computeInvariants(sub).kernel)});
  }
  std::stable_sort(done.begin(), done.end(), [](const Part& x, const Part& y) {
    return x.form.type < y.form.type;  // family, rank, corank
  });
  NormalForm out;
  out.gram = GramMatrix(n);
  out.certificate = GramMatrix(n);
  GramMatrix inverse(n);
  int offset = 0;
  for (const Part& part : done) {
    const DiagramType& t = part.form.type;
    out.components.push_back(t);
    if (!out.name.empty()) out.name += '+';
    out.name += normalFormName(t);
    out.corank += t.corank;
    const GramMatrix block = canonicalGram(t);
    const int size = static_cast<int>(block.size());
    for (int a = 0; a < size; ++a)
      for (int b = a; b < size; ++b) out.gram[offset + a][offset + b] = block[a][b];
    for (std::size_t a = 0; a < part.vertices.size(); ++a)
      for (int b = 0; b < size; ++b) {
        out.certificate[part.vertices[a]][offset + b] = part.form.certificate.B[a][b];
        inverse[offset + b][part.vertices[a]] = part.form.certificate.inverse[b][a];
      }
    offset += size;
  }
  if (parts.size() == 1 && inv.dynkinType &&
      inv.dynkinType->dynkinName() != out.components[0].dynkinName())
    throw NormalFormFailure("normal form: the run found type " + out.components[0].dynkinName() +
                            " but the invariants say " + inv.dynkinType->dynkinName());
  if (!isCongruenceWithInverse(symmetricGram(upper), out.certificate, inverse,
                               symmetricGram(out.gram)))
    throw NormalFormFailure("normal form " + out.name + ": the certificate failed the exact check");
  return out;
}

}  // namespace core
