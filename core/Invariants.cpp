// The exact invariants of a bigraph: signature and definiteness, determinant, Smith product,
// kernel, negative witness and Dynkin type, computed with FLINT behind Invariants.h.
#include "Invariants.h"

#include <flint/fmpz_lll.h>
#include <flint/fmpz_vec.h>
#include <flint/nmod_mat.h>
#include <flint/ulong_extras.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "Bigraph.h"
#include "FlintBridge.h"
#include "SymmetricElimination.h"

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;
using flint_bridge::fromFmpz;

namespace {

// Component number of every vertex; vertices i < j are joined when upperAt(i, j) != 0.
template <class UpperAt>
std::vector<int> componentsOf(int n, const UpperAt& upperAt, int& count) {
  std::vector<int> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  auto root = [&](int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j)
      if (!upperAt(i, j).isZero()) parent[root(i)] = root(j);
  std::vector<int> label(n, -1);
  std::vector<int> component(n);
  count = 0;
  for (int v = 0; v < n; ++v) {
    int& l = label[root(v)];
    if (l < 0) l = count++;
    component[v] = l;
  }
  return component;
}

IntVector rowOf(const FlintMatrix& m, long i) {
  IntVector row;
  row.reserve(static_cast<std::size_t>(m.cols()));
  for (long j = 0; j < m.cols(); ++j) row.push_back(fromFmpz(m.at(i, j)));
  return row;
}

// Rows of U for the zero rows of the Hermite form H = U S: a Z-basis of the kernel lattice
// (U is unimodular and S symmetric). Used when the elimination's vectors do not divide.
FlintMatrix kernelByHermiteForm(const FlintMatrix& S, long corank) {
  const long n = S.rows();
  FlintMatrix H(n, n);
  FlintMatrix U(n, n);
  fmpz_mat_hnf_transform(H.get(), U.get(), S.get());
  FlintMatrix K(corank, n);
  for (long k = 0; k < corank; ++k)
    _fmpz_vec_set(K.get()->rows[k], U.get()->rows[n - corank + k], n);
  return K;
}

// The product of the nonzero invariant factors from the Smith normal form.
void smithProductBySnf(fmpz_t out, const FlintMatrix& S) {
  FlintMatrix D(S.rows(), S.cols());
  fmpz_mat_snf(D.get(), S.get());
  fmpz_one(out);
  for (long k = 0; k < std::min(S.rows(), S.cols()); ++k)
    if (!fmpz_is_zero(D.at(k, k))) fmpz_mul(out, out, D.at(k, k));
  fmpz_abs(out, out);
}

// Short kernel vectors: LLL keeps the lattice, so the rows stay a Z-basis.
void reduceBasis(FlintMatrix& K) {
  if (K.rows() < 2) return;
  fmpz_lll_t context;
  fmpz_lll_context_init_default(context);
  fmpz_lll(K.get(), nullptr, context);
}

// What the elimination and, where needed, the Hermite and Smith forms give for S.
struct ExactForm {
  symmetric_elimination::Result elimination;
  FlintInteger smithProduct;
  std::optional<FlintMatrix> kernel;
};

// Makes the rows of K (a basis over Q of a sublattice of index dividing a power of p in its
// saturation) a basis of the saturation: while some combination c of the rows is divisible by
// p, with c_t = 1, row t becomes that combination divided by p.
void saturateAt(FlintMatrix& K, ulong p) {
  const long z = K.rows();
  const long n = K.cols();
  for (;;) {
    nmod_mat_t rowsModP, nullspace;
    nmod_mat_init(rowsModP, n, z, p);
    nmod_mat_init(nullspace, z, z, p);
    for (long t = 0; t < z; ++t)
      for (long k = 0; k < n; ++k) nmod_mat_entry(rowsModP, k, t) = fmpz_fdiv_ui(K.at(t, k), p);
    const slong nullity = nmod_mat_nullspace(nullspace, rowsModP);
    std::vector<ulong> c(static_cast<std::size_t>(z));
    for (long t = 0; t < z; ++t) c[t] = nmod_mat_entry(nullspace, t, 0);
    nmod_mat_clear(rowsModP);
    nmod_mat_clear(nullspace);
    if (nullity == 0) return;
    long target = 0;
    while (c[target] == 0) ++target;
    const ulong scale = n_invmod(c[target], p);
    FlintMatrix combination(1, n);
    for (long t = 0; t < z; ++t) {
      const ulong coefficient = n_mulmod2_preinv(c[t], scale, p, n_preinvert_limb(p));
      _fmpz_vec_scalar_addmul_ui(combination.get()->rows[0], K.get()->rows[t], n, coefficient);
    }
    FlintInteger prime;
    fmpz_set_ui(prime.get(), p);
    _fmpz_vec_scalar_divexact_fmpz(K.get()->rows[target], combination.get()->rows[0], n,
                                   prime.get());
  }
}

// In the elimination's final basis, row k of the kernel rows is D e_f + (pivot part), f the
// k-th free vertex, D the last pivot. Saturated, they are a Z-basis L of the kernel; with m the
// index of L's projection on the free coordinates, D = m^2 d (the pivot block spans a
// sublattice of index m of Z^n / L). False when D is too large to factor cheaply.
bool saturateKernel(symmetric_elimination::Result& e, fmpz_t smithProduct) {
  FlintInteger D;
  fmpz_abs(D.get(), e.lastPivot.get());
  if (!fmpz_abs_fits_ui(D.get())) return false;
  FlintMatrix& K = *e.kernelRows;
  n_factor_t primes;
  n_factor_init(&primes);
  n_factor(&primes, fmpz_get_ui(D.get()), 1);
  for (int k = 0; k < primes.num; ++k) saturateAt(K, primes.p[k]);
  const long z = K.rows();
  FlintMatrix freePart(z, z);
  for (long t = 0; t < z; ++t)
    for (long k = 0; k < z; ++k) {
      const long f = e.freeIndices[k];
      if (e.inverseBasis)
        _fmpz_vec_dot(freePart.at(t, k), e.inverseBasis->get()->rows[f], K.get()->rows[t],
                      K.cols());
      else
        fmpz_set(freePart.at(t, k), K.at(t, f));
    }
  FlintInteger m;
  fmpz_mat_det(m.get(), freePart.get());
  fmpz_mul(m.get(), m.get(), m.get());
  if (fmpz_is_zero(m.get()) || !fmpz_divisible(D.get(), m.get())) return false;
  fmpz_divexact(smithProduct, D.get(), m.get());
  return true;
}

ExactForm exactFormOf(const FlintMatrix& S) {
  ExactForm f{symmetric_elimination::eliminate(S), {}, std::nullopt};
  symmetric_elimination::Result& e = f.elimination;
  if (symmetric_elimination::divideKernelRows(e)) {
    fmpz_abs(f.smithProduct.get(), e.lastPivot.get());
  } else if (!saturateKernel(e, f.smithProduct.get())) {
    smithProductBySnf(f.smithProduct.get(), S);
    e.kernelRows.emplace(kernelByHermiteForm(S, e.signature.zero));
  }
  if (e.kernelRows) f.kernel.emplace(std::move(*e.kernelRows));
  return f;
}

// The witness divided by its content; checked, since a wrong witness must never be reported.
IntVector primitiveWitness(FlintMatrix& w, const FlintMatrix& S) {
  const long n = S.rows();
  FlintInteger content;
  _fmpz_vec_content(content.get(), w.get()->rows[0], n);
  if (!fmpz_is_zero(content.get()) && !fmpz_is_one(content.get()))
    _fmpz_vec_scalar_divexact_fmpz(w.get()->rows[0], w.get()->rows[0], n, content.get());
  FlintMatrix Sw(1, n);
  fmpz_mat_mul(Sw.get(), w.get(), S.get());
  FlintInteger value;
  _fmpz_vec_dot(value.get(), Sw.get()->rows[0], w.get()->rows[0], n);
  if (fmpz_sgn(value.get()) >= 0)
    throw std::logic_error("computeInvariants: the elimination's witness is not negative");
  return rowOf(w, 0);
}

void checkKernel(const FlintMatrix& K, const FlintMatrix& S) {
  FlintMatrix SK(K.rows(), S.cols());
  fmpz_mat_mul(SK.get(), K.get(), S.get());
  if (!fmpz_mat_is_zero(SK.get()))
    throw std::logic_error("computeInvariants: a kernel vector is not in the kernel");
}

// The type of each component from its own principal submatrix of S; none if any has none.
std::optional<DiagramSum> typeOfComponents(const FlintMatrix& S, const std::vector<int>& label,
                                           int count) {
  std::vector<DiagramType> types;
  for (int c = 0; c < count; ++c) {
    std::vector<long> members;
    for (long v = 0; v < S.rows(); ++v)
      if (label[v] == c) members.push_back(v);
    const long m = static_cast<long>(members.size());
    FlintMatrix sub(m, m);
    for (long x = 0; x < m; ++x)
      for (long y = 0; y < m; ++y) fmpz_set(sub.at(x, y), S.at(members[x], members[y]));
    ExactForm f = exactFormOf(sub);
    const Signature& s = f.elimination.signature;
    const std::optional<DiagramType> t =
        DiagramType::fromRankAndDeterminant(s.positive, fromFmpz(f.smithProduct.get()), s.zero);
    if (s.negative > 0 || !t) return std::nullopt;
    types.push_back(*t);
  }
  return DiagramSum(std::move(types));
}

}  // namespace

GramMatrix upperGramOf(const Bigraph& g) {
  GramMatrix upper(g.n);
  for (int i = 0; i < g.n; ++i)
    for (int j = i; j < g.n; ++j) upper[i][j] = g.gram[i][j];
  return upper;
}

GramMatrix symmetricGram(const GramMatrix& upper) {
  const std::size_t n = upper.size();
  GramMatrix s(upper.vertices());
  for (std::size_t i = 0; i < n; ++i) {
    s[i][i] = upper[i][i] + upper[i][i];
    for (std::size_t j = i + 1; j < n; ++j) s[i][j] = s[j][i] = upper[i][j];
  }
  return s;
}

const char* definitenessName(Definiteness d) {
  switch (d) {
    case Definiteness::Positive:
      return "positive";
    case Definiteness::NonNegative:
      return "non-negative";
    case Definiteness::Indefinite:
      return "indefinite";
    case Definiteness::NonPositive:
      return "non-positive";
    case Definiteness::Negative:
      return "negative";
  }
  return "?";
}

Definiteness definitenessOf(const Signature& s) {
  if (s.negative == 0) return s.zero == 0 ? Definiteness::Positive : Definiteness::NonNegative;
  if (s.positive > 0) return Definiteness::Indefinite;
  return s.zero > 0 ? Definiteness::NonPositive : Definiteness::Negative;
}

namespace {

// The invariants of the upper-triangular Gram matrix whose entry (i, j), i <= j, is
// upperAt(i, j); S is built from it directly, without an intermediate GramMatrix.
template <class UpperAt>
Invariants invariantsFrom(int n, const UpperAt& upperAt) {
  Invariants inv;
  inv.vertices = n;
  inv.loopFree = true;
  for (int i = 0; i < n; ++i)
    if (!upperAt(i, i).isOne()) inv.loopFree = false;
  const std::vector<int> label = componentsOf(n, upperAt, inv.components);

  FlintMatrix S(n, n);
  for (int i = 0; i < n; ++i) {
    flint_bridge::toFmpz(S.at(i, i), upperAt(i, i));
    fmpz_mul_2exp(S.at(i, i), S.at(i, i), 1);
    for (int j = i + 1; j < n; ++j) {
      flint_bridge::toFmpz(S.at(i, j), upperAt(i, j));
      fmpz_set(S.at(j, i), S.at(i, j));
    }
  }
  ExactForm f = exactFormOf(S);
  symmetric_elimination::Result& e = f.elimination;
  inv.signature = e.signature;
  inv.definiteness = definitenessOf(e.signature);
  inv.corank = e.signature.zero;
  inv.det = e.rank == n ? fromFmpz(e.lastPivot.get()) : BigInteger();
  inv.smithProduct = fromFmpz(f.smithProduct.get());
  if (e.witness) inv.witness = primitiveWitness(*e.witness, S);
  if (f.kernel) {
    reduceBasis(*f.kernel);
    checkKernel(*f.kernel, S);
    for (long k = 0; k < f.kernel->rows(); ++k) inv.kernel.push_back(rowOf(*f.kernel, k));
  }
  if (n > 0 && inv.loopFree && inv.signature.negative == 0) {
    if (inv.components != 1) {
      inv.dynkinType = typeOfComponents(S, label, inv.components);
    } else if (const auto t = DiagramType::fromRankAndDeterminant(n - inv.corank, inv.smithProduct,
                                                                  inv.corank)) {
      inv.dynkinType = DiagramSum(*t);
    }
  }
  return inv;
}

}  // namespace

Invariants computeInvariants(const GramMatrix& upper) {
  return invariantsFrom(static_cast<int>(upper.size()),
                        [&](int i, int j) -> const BigInteger& { return upper[i][j]; });
}

Invariants invariantsOf(const Bigraph& g) {
  if (g.n > 0 && g.gram == nullptr) throw std::invalid_argument("invariantsOf: no matrix");
  return invariantsFrom(std::max(g.n, 0),
                        [&](int i, int j) -> const BigInteger& { return g.gram[i][j]; });
}

std::optional<std::string> typeAgreementError(const Bigraph& recognised, const Invariants& exact) {
  const std::optional<DiagramType> shape = recognised.diagramType();
  if (!shape) return std::nullopt;
  if (exact.vertices != recognised.n) {
    return "the exact invariants are of a bigraph with " + std::to_string(exact.vertices) +
           " vertices, the recognised shape " + shape->name() + " has " +
           std::to_string(recognised.n);
  }
  if (exact.dynkinType == DiagramSum(*shape)) return std::nullopt;
  return "the shape is recognised as " + shape->name() + ", but the exact invariants give " +
         (exact.dynkinType ? "type " + exact.dynkinType->dynkinName() : "no Dynkin type") +
         " with corank " + std::to_string(exact.corank) + " (expected " + shape->dynkinName() +
         " with corank " + std::to_string(shape->corank) + ")";
}

void releaseThreadCaches() { flint_cleanup(); }
