// The exact invariants of a bigraph: signature and definiteness, determinant, Smith product,
// kernel, negative witness and Dynkin type, computed with FLINT behind Invariants.h.
#include "Invariants.h"

#include <flint/fmpz_lll.h>
#include <flint/fmpz_vec.h>
#include <flint/nmod_mat.h>
#include <flint/ulong_extras.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "Bigraph.h"
#include "Components.h"
#include "FlintBridge.h"
#include "ModularInvariants.h"
#include "SymmetricElimination.h"

namespace core {

using flint_bridge::FlintInteger;
using flint_bridge::FlintMatrix;
using flint_bridge::fromFmpz;

namespace {

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
  for (int k = 0; k < primes.num; ++k) modular_invariants::saturateAt(K, primes.p[k]);
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

ExactForm exactFormOf(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint) {
  ExactForm f{symmetric_elimination::eliminate(S, checkpoint), {}, std::nullopt};
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

using modular_invariants::Facts;

Facts exactFacts(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint) {
  ExactForm f = exactFormOf(S, checkpoint);
  symmetric_elimination::Result& e = f.elimination;
  Facts out;
  out.signature = e.signature;
  if (e.rank == S.rows()) fmpz_set(out.det.get(), e.lastPivot.get());
  fmpz_swap(out.smithProduct.get(), f.smithProduct.get());
  out.kernel = std::move(f.kernel);
  out.witness = std::move(e.witness);
  return out;
}

// From this size on, the elimination's growing entries cost more than the modular route.
constexpr long kModularFrom = 48;

Facts factsOf(const FlintMatrix& S, const symmetric_elimination::Checkpoint& checkpoint) {
  if (S.rows() >= kModularFrom)
    if (std::optional<Facts> f = modular_invariants::compute(S, checkpoint)) return std::move(*f);
  return exactFacts(S, checkpoint);
}

// The facts of a block sum: signatures add, determinants and Smith products multiply, kernels
// and a witness are those of the blocks, placed on their vertices.
void addBlock(Facts& whole, const Facts& block, const std::vector<long>& members, long n) {
  whole.signature.positive += block.signature.positive;
  whole.signature.zero += block.signature.zero;
  whole.signature.negative += block.signature.negative;
  fmpz_mul(whole.det.get(), whole.det.get(), block.det.get());
  fmpz_mul(whole.smithProduct.get(), whole.smithProduct.get(), block.smithProduct.get());
  if (block.kernel) {
    const long before = whole.kernel ? whole.kernel->rows() : 0;
    FlintMatrix K(before + block.kernel->rows(), n);
    for (long t = 0; t < before; ++t) _fmpz_vec_set(K.get()->rows[t], whole.kernel->get()->rows[t], n);
    for (long t = 0; t < block.kernel->rows(); ++t)
      for (std::size_t x = 0; x < members.size(); ++x)
        fmpz_set(K.at(before + t, members[x]), block.kernel->at(t, static_cast<long>(x)));
    whole.kernel.emplace(std::move(K));
  }
  if (block.witness && !whole.witness) {
    whole.witness.emplace(1, n);
    for (std::size_t x = 0; x < members.size(); ++x)
      fmpz_set(whole.witness->at(0, members[x]), block.witness->at(0, static_cast<long>(x)));
  }
}

// Facts of S component by component; `types` gets the components' Dynkin types, none if some
// component has none.
Facts factsByComponent(const FlintMatrix& S, const std::vector<int>& label, int count,
                       std::optional<DiagramSum>& types,
                       const symmetric_elimination::Checkpoint& checkpoint) {
  const long n = S.rows();
  std::vector<std::vector<long>> members(static_cast<std::size_t>(count));
  for (long v = 0; v < n; ++v) members[label[v]].push_back(v);
  // Work grows like the cube of a component's size.
  double total = 0;
  for (const auto& m : members) total += std::pow(static_cast<double>(m.size()), 3);
  Facts whole;
  fmpz_one(whole.det.get());
  fmpz_one(whole.smithProduct.get());
  std::vector<DiagramType> found;
  bool allTyped = true;
  double done = 0;
  for (const std::vector<long>& m : members) {
    const double share = std::pow(static_cast<double>(m.size()), 3);
    symmetric_elimination::Checkpoint part;
    if (checkpoint)
      part = [&](double f) { checkpoint((done + f * share) / total); };
    const long size = static_cast<long>(m.size());
    FlintMatrix sub(size, size);
    for (long x = 0; x < size; ++x)
      for (long y = 0; y < size; ++y) fmpz_set(sub.at(x, y), S.at(m[x], m[y]));
    const Facts block = factsOf(sub, part);
    const std::optional<DiagramType> t = DiagramType::fromRankAndDeterminant(
        block.signature.positive, fromFmpz(block.smithProduct.get()), block.signature.zero);
    if (block.signature.negative > 0 || !t)
      allTyped = false;
    else
      found.push_back(*t);
    addBlock(whole, block, m, n);
    done += share;
    if (checkpoint) checkpoint(done / total);
  }
  if (allTyped) types = DiagramSum(std::move(found));
  return whole;
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

symmetric_elimination::Checkpoint checkpointOf(const InvariantsControl* control) {
  if (control == nullptr || (!control->progress && control->stop == nullptr)) return {};
  return [control](double fraction) {
    if (control->stop != nullptr && control->stop->load(std::memory_order_relaxed))
      throw InvariantsStopped();
    if (control->progress) control->progress(fraction);
  };
}

// The invariants of the upper-triangular Gram matrix whose entry (i, j), i <= j, is
// upperAt(i, j); S is built from it directly, without an intermediate GramMatrix.
template <class UpperAt>
Invariants invariantsFrom(int n, const UpperAt& upperAt, const InvariantsControl* control) {
  Invariants inv;
  inv.vertices = n;
  inv.loopFree = true;
  for (int i = 0; i < n; ++i)
    if (!upperAt(i, i).isOne()) inv.loopFree = false;
  const std::vector<int> label = componentLabels(n, upperAt, inv.components);

  FlintMatrix S(n, n);
  for (int i = 0; i < n; ++i) {
    flint_bridge::toFmpz(S.at(i, i), upperAt(i, i));
    fmpz_mul_2exp(S.at(i, i), S.at(i, i), 1);
    for (int j = i + 1; j < n; ++j) {
      flint_bridge::toFmpz(S.at(i, j), upperAt(i, j));
      fmpz_set(S.at(j, i), S.at(i, j));
    }
  }
  const symmetric_elimination::Checkpoint checkpoint = checkpointOf(control);
  std::optional<DiagramSum> componentTypes;
  Facts f = inv.components > 1
                ? factsByComponent(S, label, inv.components, componentTypes, checkpoint)
                : factsOf(S, checkpoint);
  inv.signature = f.signature;
  inv.definiteness = definitenessOf(f.signature);
  inv.corank = f.signature.zero;
  inv.det = fromFmpz(f.det.get());
  inv.smithProduct = fromFmpz(f.smithProduct.get());
  if (f.witness) inv.witness = primitiveWitness(*f.witness, S);
  if (f.kernel) {
    reduceBasis(*f.kernel);
    checkKernel(*f.kernel, S);
    for (long k = 0; k < f.kernel->rows(); ++k) inv.kernel.push_back(rowOf(*f.kernel, k));
  }
  if (n > 0 && inv.loopFree && inv.signature.negative == 0) {
    if (inv.components != 1) {
      inv.dynkinType = componentTypes;
    } else if (const auto t = DiagramType::fromRankAndDeterminant(n - inv.corank, inv.smithProduct,
                                                                  inv.corank)) {
      inv.dynkinType = DiagramSum(*t);
    }
  }
  return inv;
}

}  // namespace

Invariants computeInvariants(const GramMatrix& upper, const InvariantsControl& control) {
  return invariantsFrom(
      static_cast<int>(upper.size()),
      [&](int i, int j) -> const BigInteger& { return upper[i][j]; }, &control);
}

Invariants computeInvariants(const GramMatrix& upper) {
  return computeInvariants(upper, InvariantsControl{});
}

Invariants invariantsOf(const Bigraph& g) {
  if (g.n > 0 && g.gram == nullptr) throw std::invalid_argument("invariantsOf: no matrix");
  return invariantsFrom(std::max(g.n, 0),
                        [&](int i, int j) -> const BigInteger& { return g.gram[i][j]; },
                        nullptr);
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

}  // namespace core
