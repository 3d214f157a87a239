// Classification of one bigraph: exact invariants, the planned run, its shape and certificate.
#include "Classification.h"

#include <algorithm>
#include <sstream>

#include "Bigraph.h"
#include "Roots.h"
#include "ShapeWords.h"

using namespace core;

namespace bigraph {

const char* runEndName(RunEnd end) {
  switch (end) {
    case RunEnd::NoDottedEdge: return "no dotted edge";
    case RunEnd::StepBound: return "step bound";
    case RunEnd::Stopped: return "stopped";
    case RunEnd::Error: return "error";
    case RunEnd::Cycle: return "cycle";
  }
  return "error";
}

std::int64_t defaultStepBound(int n) { return 10LL * n * n + 100; }

// Positive bigraphs end every run, non-negative ones of corank 1 most runs; other runs need not
// end, so they are made only on request, with the bound given.
std::optional<std::int64_t> plannedStepBound(const RunSettings& settings, const Invariants& inv) {
  if (settings.noRun) return std::nullopt;
  const bool runsEnd = inv.definiteness == Definiteness::Positive ||
                       (inv.definiteness == Definiteness::NonNegative && inv.corank == 1);
  if (settings.maxSteps) return *settings.maxSteps;
  if (runsEnd) return defaultStepBound(inv.vertices);
  return std::nullopt;
}

namespace {

void countEdges(const GramMatrix& upper, Classification& c) {
  for (std::size_t i = 0; i < upper.size(); ++i)
    for (std::size_t j = i + 1; j < upper.size(); ++j) {
      const BigInteger& e = upper[i][j];
      if (e.sign == BigInteger::positive) c.dottedEdges += e;
      if (e.sign == BigInteger::negative) c.solidEdges -= e;
    }
}

// Collects the first pairs and stops the run when asked to from outside.
class PairRecorder : public RunObserver {
 public:
  PairRecorder(std::vector<std::pair<int, int>>& pairs, const std::atomic<bool>* stop)
      : pairs_(pairs), stop_(stop) {}
  bool afterStep(const Bigraph&, const Coeffs& pair, std::uint64_t) override {
    if (pairs_.size() < kPairsKept) pairs_.emplace_back(pair.i + 1, pair.j + 1);
    return stop_ == nullptr || !stop_->load(std::memory_order_relaxed);
  }

 private:
  std::vector<std::pair<int, int>>& pairs_;
  const std::atomic<bool>* stop_;
};

// A run that ends on a Dynkin or Euclidean graph has found the type; the exact invariants must
// name the same one, or the program has a fault.
void checkAgreement(const Invariants& inv, const Bigraph& g, const RunReport& run) {
  if (run.end != RunEnd::NoDottedEdge) return;
  if (const auto disagreement = typeAgreementError(g, inv))
    throw DisagreementError("the run ended on \"" + run.shape + "\" but " + *disagreement);
}

RunReport makeRun(const GramMatrix& upper, const Invariants& inv, const RunSettings& settings,
                  std::int64_t bound, const std::atomic<bool>* stop) {
  RunReport run;
  run.rule = settings.rule;
  if (isRandom(settings.rule)) {
    run.seed = settings.seed.value_or(1);
    seedRandom15(*run.seed);
  }
  Bigraph g(upper.upperTriangle());
  PairRecorder recorder(run.pairs, stop);
  RunOptions options;
  options.rule = settings.rule;
  options.maxSteps = bound;
  options.trackCertificate = settings.certificate;
  options.detectCycles = true;
  RunOutcome outcome = runInflations(g, options, recorder);
  run.steps = outcome.steps;
  run.end = outcome.end;
  if (outcome.end == RunEnd::Cycle) run.period = outcome.period;
  // The sentence that names the vertex says all; the integer layer's own words do not.
  if (outcome.error)
    run.error = outcome.errorContext ? *outcome.errorContext : withoutLayerName(*outcome.error);
  run.result = upperGramOf(g);
  run.shape = bigraph::draw::shapeWords(run.result);
  g.recognizeBigraphProperties();  // for the agreement check
  if (settings.certificate) {
    run.certificateNote = outcome.certificateNote;
    if (outcome.certificate) {
      run.certificate = std::move(outcome.certificate);
      run.verification = verifyCertificate(symmetricGram(upper), *run.certificate,
                                           symmetricGram(run.result), run.seed.value_or(1));
    }
  }
  checkAgreement(inv, g, run);
  return run;
}

void addCoxeterData(const GramMatrix& upper, const RunSettings& settings, Classification& c,
                    const std::atomic<bool>* stop) {
  c.coxeterAsked = true;
  if (!c.invariants.loopFree) return;
  if (!settings.coxeterForced && upper.vertices() > kCoxeterVerticesByDefault) {
    c.coxeterSkipped = true;
    return;
  }
  const bool positive = c.invariants.definiteness == Definiteness::Positive;
  c.coxeter = coxeterDataOf(upper, positive, stop);
  if (positive && c.invariants.dynkinType)
    c.roots = rootCountsOf(upper, *c.invariants.dynkinType, stop);
}

}  // namespace

RootCounts rootCountsOf(const GramMatrix& upper, const DiagramSum& type,
                        const std::atomic<bool>* stop) {
  RootCounts counts;
  counts.count = rootCountOfType(type);
  if (counts.count > kRootsListedForCount) return counts;
  const std::vector<Root> roots = rootsOf(upper, kRootsListedForCount, stop);
  if (roots.size() != counts.count)
    throw DisagreementError("the bigraph of type " + type.dynkinName() + " should have " +
                            std::to_string(counts.count) + " roots, " +
                            std::to_string(roots.size()) + " were found");
  counts.positive = static_cast<std::uint64_t>(std::count_if(roots.begin(), roots.end(), isPositiveRoot));
  return counts;
}

Classification classify(const GramMatrix& upper, const RunSettings& settings,
                        const std::atomic<bool>* stop, const InvariantsControl* control) {
  Classification c;
  c.gram = upper.clone();
  countEdges(upper, c);
  c.invariants = control != nullptr ? computeInvariants(upper, *control) : computeInvariants(upper);
  try {
    c.normalForm = normalFormOf(upper, c.invariants);
  } catch (const NormalFormFailure& e) {
    throw DisagreementError(e.what());
  }
  c.showCertificate = settings.certificate;
  // A sweep gives the stop flag alone, without a control of the invariants: it stops the Coxeter
  // work all the same.
  const std::atomic<bool>* coxeterStop = stop != nullptr || control == nullptr ? stop : control->stop;
  if (settings.coxeter) addCoxeterData(upper, settings, c, coxeterStop);
  if (const auto bound = plannedStepBound(settings, c.invariants))
    c.run = makeRun(upper, c.invariants, settings, *bound, stop);
  return c;
}

std::string withoutLayerName(const std::string& message) {
  const std::size_t scope = message.find("::");
  const std::size_t colon = message.find(": ");
  if (scope == std::string::npos || colon == std::string::npos || scope > colon) return message;
  return message.substr(colon + 2);
}

}  // namespace bigraph
