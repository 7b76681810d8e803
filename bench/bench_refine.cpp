// Refinement of trained prototypes by batch k-means, beside batch k-means
// from random starts on the same data: 30000 cases of 100 variables in 12
// Gaussian groups of unit spread, 30 prototypes. Two data sets:
//   set 0  the group centres drawn uniformly from [0, 4]^100 (seed 2024);
//   set 1  from [0, 2.5]^100 (seed 99): the groups lie closer together.
//
//   BM_NeuralGasThenRefine/set/range
//                            a 5-epoch neural gas run (on-line, neighbour
//                            update on, initial neighbour range `range`)
//                            from randomly drawn cases, then the refinement
//                            of the refine command (RefinePrototypes: Lloyd
//                            iterations and swap rounds) to convergence.
//   BM_KMeansRestarts/set/R  R plain batch k-means runs from randomly drawn
//                            cases, each to convergence; the best sum is kept.
//
// Counters: sum = the final sum of squared distances (double), iterations =
// k-means iterations in all, swaps = kept swap rounds; time per run is the
// benchmark's own. At the end the medians and, per data set and range, the
// time of neural gas + refinement over that of 10 restarts and the sums.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/CalcSubs.h"
#include "core/Refine.h"

using namespace volmar;

namespace {

constexpr int Cases = 30000, Vars = 100, Groups = 12, Prototypes = 30;

std::unique_ptr<Workspace> MakeGroups(int set) {
  auto ws = Workspace::create();
  ws->NumCases = Cases;
  ws->NumVars = Vars;
  ws->DistanceKind = DistEuclidean;
  ws->Rng.setSeed(set == 0 ? 2024 : 99);
  const double width = set == 0 ? 4.0 : 2.5;
  std::vector<double> centre(static_cast<std::size_t>(Groups) * Vars);
  for (double& x : centre) x = width * ws->Rng.next();
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
  auto ws = MakeGroups(static_cast<int>(state.range(0)));
  double trained = 0, refined = 0;
  int iterations = 0, swaps = 0;
  for (auto _ : state) {
    ws->Rng.setSeed(7);
    RandomSeed(*ws, Prototypes);
    ws->NeighborUpdate = true;
    ws->InitLearningRate = 0.3;
    ws->InitNeighborRange = static_cast<double>(state.range(1));
    ws->InitLifetime = 0.1 * Prototypes + 1;
    ws->Adjacency.fill(0);
    ws->EdgeAge.fill(0);
    const int tmax = 5 * Cases;
    LearningState st = StartLearning(*ws, tmax);
    PresentCases(*ws, st, tmax);
    bool first = true;
    const RefineResult r = RefinePrototypes(*ws, 1000, threads(), [&](const RefineStep& step) {
      if (!first) return;
      first = false;
      trained = 0;
      for (double d : step.dist) trained += d;
    });
    refined = 0;
    for (double d : r.dist) refined += d;
    iterations = r.iterations;
    swaps = r.swaps;
  }
  state.counters["trained_sum"] = trained;
  state.counters["sum"] = refined;
  state.counters["iterations"] = iterations;
  state.counters["swaps"] = swaps;
}
BENCHMARK(BM_NeuralGasThenRefine)
    ->ArgsProduct({{0, 1}, {6, 15, 30}})
    ->ArgNames({"set", "range"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

void BM_KMeansRestarts(benchmark::State& state) {
  auto ws = MakeGroups(static_cast<int>(state.range(0)));
  const int restarts = static_cast<int>(state.range(1));
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
BENCHMARK(BM_KMeansRestarts)
    ->ArgsProduct({{0, 1}, {1, 10}})
    ->ArgNames({"set", "restarts"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// One assignment pass of 30000 x 100 against 30 prototypes, 1 thread and all.
void BM_AssignCases(benchmark::State& state) {
  auto ws = MakeGroups(0);
  RandomSeed(*ws, Prototypes);
  std::vector<std::int8_t> labels;
  std::vector<double> dist;
  const int t = state.range(0) == 0 ? threads() : static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(AssignCases(*ws, labels, dist, t));
}
BENCHMARK(BM_AssignCases)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Keeps the medians and the sums of the repetitions beside the console
// output, for the summary at the end.
class Summary : public benchmark::ConsoleReporter {
 public:
  struct Figures {
    double ms = 0, sum = 0;
  };
  std::map<std::string, Figures> median;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        Figures& f = median[run.run_name.str()];
        f.ms = run.GetAdjustedRealTime();
        const auto at = run.counters.find("sum");
        if (at != run.counters.end()) f.sum = at->second;
      }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  std::printf("\nMedians (ms, sum of squared distances):\n");
  for (const auto& [name, f] : summary.median) std::printf("  %-48s %10.1f  %14.1f\n", name.c_str(), f.ms, f.sum);
  for (int set = 0; set <= 1; ++set) {
    const std::string tag = "set:" + std::to_string(set);
    const auto ten = summary.median.find("BM_KMeansRestarts/" + tag + "/restarts:10/iterations:1/repeats:3");
    if (ten == summary.median.end() || ten->second.ms <= 0) continue;
    for (int range : {6, 15, 30}) {
      const auto ng =
          summary.median.find("BM_NeuralGasThenRefine/" + tag + "/range:" + std::to_string(range) + "/iterations:1/repeats:3");
      if (ng == summary.median.end()) continue;
      std::printf("%s range %2d: time %.3f of 10 restarts (goal <= 0.2), sum %.1f vs %.1f (%s)\n", tag.c_str(), range,
                  ng->second.ms / ten->second.ms, ng->second.sum, ten->second.sum,
                  ng->second.sum <= ten->second.sum ? "at most" : "ABOVE");
    }
  }
  benchmark::Shutdown();
  return 0;
}
