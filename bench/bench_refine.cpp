// Refinement of trained prototypes by batch k-means, beside batch k-means
// from random starts on the same data: 30000 cases of 100 variables in 12
// Gaussian groups, 30 prototypes.
//
//   BM_NeuralGasThenRefine   a 5-epoch neural gas run (on-line, neighbour
//                            update on) from randomly drawn cases, then the
//                            refinement to convergence.
//   BM_KMeansRestarts/R      R batch k-means runs from randomly drawn cases,
//                            each to convergence; the best sum is kept.
//
// Counters: sum = the final sum of squared distances (double), iterations =
// k-means iterations in all; time per run is the benchmark's own.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "core/CalcSubs.h"
#include "core/Refine.h"

using namespace volmar;

namespace {

constexpr int Cases = 30000, Vars = 100, Groups = 12, Prototypes = 30;

std::unique_ptr<Workspace> MakeGroups() {
  auto ws = Workspace::create();
  ws->NumCases = Cases;
  ws->NumVars = Vars;
  ws->DistanceKind = DistEuclidean;
  ws->Rng.setSeed(2024);
  std::vector<double> centre(static_cast<std::size_t>(Groups) * Vars);
  for (double& x : centre) x = 4.0 * ws->Rng.next();
  for (int c = 1; c <= Cases; ++c) {
    const int g = (c - 1) % Groups;
    for (int v = 1; v <= Vars; ++v) {
      // Box-Muller from the shared generator: unit spread around the centre.
      const double u1 = 1.0 - ws->Rng.next(), u2 = ws->Rng.next();
      const double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
      ws->DataMatrix(c, v) = static_cast<float>(centre[static_cast<std::size_t>(g) * Vars + v - 1] + z);
    }
  }
  ws->NumPrototypes = Prototypes;
  return ws;
}

int threads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

// Lloyd iterations to convergence from the current prototypes; returns the
// final sum and adds the iterations done.
double lloyd(Workspace& ws, int& iterations) {
  std::vector<std::int8_t> labels, next;
  std::vector<double> dist, nextDist;
  double sum = AssignCases(ws, labels, dist, threads());
  for (int i = 0; i < 1000; ++i) {
    const int refilled = MoveToMeans(ws, labels, dist, threads());
    const double s = AssignCases(ws, next, nextDist, threads());
    ++iterations;
    const bool same = next == labels;
    labels.swap(next);
    dist.swap(nextDist);
    if (s > sum) break;
    sum = s;
    if (same && refilled == 0) break;
  }
  return sum;
}

void BM_NeuralGasThenRefine(benchmark::State& state) {
  auto ws = MakeGroups();
  double trained = 0, refined = 0;
  int iterations = 0;
  for (auto _ : state) {
    ws->Rng.setSeed(7);
    RandomSeed(*ws, Prototypes);
    ws->NeighborUpdate = true;
    ws->InitLearningRate = 0.3;
    ws->InitNeighborRange = static_cast<double>(state.range(0));
    ws->InitLifetime = 0.1 * Prototypes + 1;
    ws->Adjacency.fill(0);
    ws->EdgeAge.fill(0);
    const int tmax = 5 * Cases;
    LearningState st = StartLearning(*ws, tmax);
    PresentCases(*ws, st, tmax);
    std::vector<std::int8_t> labels;
    std::vector<double> dist;
    trained = AssignCases(*ws, labels, dist, threads());
    iterations = 0;
    refined = lloyd(*ws, iterations);
  }
  state.counters["trained_sum"] = trained;
  state.counters["sum"] = refined;
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_NeuralGasThenRefine)->Arg(6)->Arg(15)->Arg(30)->ArgName("range")->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_KMeansRestarts(benchmark::State& state) {
  auto ws = MakeGroups();
  const int restarts = static_cast<int>(state.range(0));
  double best = 0;
  int iterations = 0;
  for (auto _ : state) {
    ws->Rng.setSeed(11);
    best = INFINITY;
    iterations = 0;
    for (int r = 0; r < restarts; ++r) {
      RandomSeed(*ws, Prototypes);
      best = std::min(best, lloyd(*ws, iterations));
    }
  }
  state.counters["sum"] = best;
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_KMeansRestarts)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// One assignment pass of 30000 x 100 against 30 prototypes, 1 thread and all.
void BM_AssignCases(benchmark::State& state) {
  auto ws = MakeGroups();
  RandomSeed(*ws, Prototypes);
  std::vector<std::int8_t> labels;
  std::vector<double> dist;
  const int t = state.range(0) == 0 ? threads() : static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(AssignCases(*ws, labels, dist, t));
}
BENCHMARK(BM_AssignCases)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
