#include "core/Stability.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Distances.h"
#include "core/EngineKernels.h"
#include "core/NeuralGas.h"
#include "core/Refine.h"

namespace volmar {

namespace {

// C(k, 2) as an exact integer.
std::int64_t pairsOf(std::int64_t k) { return k * (k - 1) / 2; }

int clampLabel(std::int8_t v) { return v >= 0 && v <= MaxPrototypes ? v : 0; }

}  // namespace

void PartitionTable::fill(const std::int8_t* first, const std::int8_t* second, int n) {
  std::memset(count, 0, sizeof count);
  std::memset(rowSum, 0, sizeof rowSum);
  std::memset(colSum, 0, sizeof colSum);
  cases = std::max(n, 0);
  for (int c = 0; c < n; ++c) ++count[clampLabel(first[c])][clampLabel(second[c])];
  for (int i = 0; i < Size; ++i)
    for (int j = 0; j < Size; ++j) {
      rowSum[i] += count[i][j];
      colSum[j] += count[i][j];
    }
}

double AdjustedRandIndex(const PartitionTable& t) {
  std::int64_t together = 0, s = 0, u = 0;
  for (int i = 0; i < PartitionTable::Size; ++i) {
    for (int j = 0; j < PartitionTable::Size; ++j) together += pairsOf(t.count[i][j]);
    s += pairsOf(t.rowSum[i]);
    u += pairsOf(t.colSum[i]);
  }
  const std::int64_t all = pairsOf(t.cases);
  if (all == 0) return 1.0;
  const long double expected = static_cast<long double>(s) * static_cast<long double>(u) / all;
  const long double maximum = (static_cast<long double>(s) + static_cast<long double>(u)) / 2;
  const long double den = maximum - expected;
  // Zero only for two equal trivial partitions (see the header).
  if (s == u && (s == 0 || s == all)) return 1.0;
  if (den == 0) return 1.0;
  return static_cast<double>((static_cast<long double>(together) - expected) / den);
}

double BestJaccard(const PartitionTable& t, int segment) {
  const int a = t.rowSum[segment];
  if (a == 0) return 0.0;
  double best = 0.0;
  for (int j = 0; j < PartitionTable::Size; ++j) {
    const int both = t.count[segment][j];
    if (both == 0) continue;
    const double jac = static_cast<double>(both) / static_cast<double>(a + t.colSum[j] - both);
    best = std::max(best, jac);
  }
  return best;
}

std::uint64_t BootstrapFitDraws(int cases, int prototypes, int trials, int epochs) {
  const auto n = static_cast<std::uint64_t>(std::max(cases, 0));
  return n + static_cast<std::uint64_t>(std::max(trials, 1)) * static_cast<std::uint64_t>(prototypes) +
         static_cast<std::uint64_t>(std::max(epochs, 0)) * n;
}

BootstrapFitter::BootstrapFitter(const Workspace& source)
    : source_(source), ws_(Workspace::create()), columns_(std::make_unique<detail::PrototypeColumns>()) {
  Workspace& w = *ws_;
  w.NumCases = source.NumCases;
  w.NumVars = source.NumVars;
  w.NumTrials = source.NumTrials;
  w.NumEpochs = source.NumEpochs;
  w.DistanceKind = source.DistanceKind;
  w.InitLearningRate = source.InitLearningRate;
  w.InitNeighborRange = source.InitNeighborRange;
  w.InitLifetime = source.InitLifetime;
  w.NeighborUpdate = source.NeighborUpdate;
  w.NumReplications = 1;
}

BootstrapFitter::~BootstrapFitter() = default;

std::uint32_t BootstrapFitter::fit(int prototypes, std::uint32_t state, bool refine, std::int8_t* labels) {
  Workspace& w = *ws_;
  const int n = source_.NumCases;
  const int vars = source_.NumVars;
  w.Rng.setSeed(state);
  // The sample: row i of the fit's data is a drawn case of the source.
  for (int i = 1; i <= n; ++i) {
    const int c = DrawCase(w);
    std::copy_n(source_.DataMatrix.row(c), vars, w.DataMatrix.row(i));
  }
  w.NumPrototypes = prototypes;
  double best = 0;
  const int trials = std::max(w.NumTrials, 1);
  for (int trial = 1; trial <= trials; ++trial) {
    RandomSeed(w, prototypes);
    const double d = SumOfMinDistances(w);
    if (trial == 1 || d < best) {
      best = d;
      for (int k = 1; k <= prototypes; ++k) std::copy_n(w.Prototypes.row(k), vars, w.BestStart.row(k));
    }
  }
  for (int k = 1; k <= prototypes; ++k) std::copy_n(w.BestStart.row(k), vars, w.Prototypes.row(k));
  for (int i = 1; i <= prototypes; ++i)
    for (int j = 1; j <= prototypes; ++j) {
      w.Adjacency(i, j) = 0;
      w.EdgeAge(i, j) = 0;
    }
  LearningState st = StartLearning(w, n * w.NumEpochs);
  for (int e = 1; e <= w.NumEpochs; ++e) PresentCases(w, st, n);
  const std::uint32_t end = w.Rng.state();
  if (refine) RefinePrototypes(w, BootstrapRefineLimit, 1, [](const RefineStep&) {});
  // Every case of the source, by the winner search of training.
  detail::PrototypeColumns& cols = *columns_;
  cols.load(w, prototypes);
  alignas(64) double d[detail::ColumnWidth];
  int k = 1;
  for (int c = 1; c <= n; ++c) {
    detail::CaseDistances(w.DistanceKind, source_.DataMatrix.row(c), cols, d);
    detail::FindNearestIn(d, prototypes, k);
    labels[c - 1] = static_cast<std::int8_t>(k);
  }
  return end;
}

}  // namespace volmar
