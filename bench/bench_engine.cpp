// Speed of the learning engine's hot paths: presentation steps, the sum of
// nearest distances, and the Sammon projection.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "core/CalcSubs.h"
#include "core/Parallel.h"
#include "PresentCasesBaseline.h"

using namespace volmar;

namespace {

// A full-size workspace: 30000 cases of 100 variables in [0, 1), prototypes
// seeded from the data.
std::unique_ptr<Workspace> MakeData(int cases, int vars, int prototypes, int kind) {
  auto ws = Workspace::create();
  ws->NumCases = cases;
  ws->NumVars = vars;
  ws->DistanceKind = kind;
  ws->Rng.setSeed(12345);
  for (int c = 1; c <= cases; ++c)
    for (int v = 1; v <= vars; ++v) ws->DataMatrix(c, v) = static_cast<float>(ws->Rng.next());
  ws->NumPrototypes = prototypes;
  RandomSeed(*ws, prototypes);
  ws->InitLearningRate = 0.3;
  ws->InitNeighborRange = 0.2 * prototypes;
  ws->InitLifetime = 0.1 * prototypes + 1;
  ws->Adjacency.fill(0);
  ws->EdgeAge.fill(0);
  return ws;
}

// args: prototypes, neighbour update (0/1); steps are timed in runs of 1000.
template <void (*Kernel)(Workspace&, LearningState&, int)>
void PresentRuns(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto ws = MakeData(30000, 100, n, DistEuclidean);
  ws->NeighborUpdate = state.range(1) != 0;
  LearningState st = StartLearning(*ws, 30000 * 50);
  constexpr int run = 1000;
  for (auto _ : state) {
    Kernel(*ws, st, run);
    benchmark::DoNotOptimize(ws->Prototypes(1, 1));
    if (st.t > 30000 * 50 - run) st = StartLearning(*ws, 30000 * 50);
  }
  state.SetItemsProcessed(state.iterations() * run);
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * run * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void BM_PresentCases(benchmark::State& state) { PresentRuns<PresentCases>(state); }
// The kernel before the register-held update (PresentCasesBaseline.h), in the
// same process for a fair ratio.
void BM_PresentCasesBaseline(benchmark::State& state) { PresentRuns<baseline::PresentCases>(state); }
BENCHMARK(BM_PresentCases)
    ->ArgsProduct({{2, 5, 8, 10, 16, 20, 30}, {1, 0}})
    ->ArgNames({"N", "neighbors"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentCasesBaseline)
    ->ArgsProduct({{5, 10, 30}, {1, 0}})
    ->ArgNames({"N", "neighbors"})
    ->Unit(benchmark::kMicrosecond);

// The one-at-a-time presentation step (row by row, sequential searches), for
// comparison with the vectorised runs.
void BM_PresentationStep(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto ws = MakeData(30000, 100, n, DistEuclidean);
  ws->NeighborUpdate = state.range(1) != 0;
  LearningState st = StartLearning(*ws, 30000 * 50);
  for (auto _ : state) {
    PresentationStep(*ws, st);
    benchmark::DoNotOptimize(ws->Prototypes(1, 1));
    if (st.t > 30000 * 50 - 1) st = StartLearning(*ws, 30000 * 50);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PresentationStep)->ArgsProduct({{10, 30}, {1, 0}})->ArgNames({"N", "neighbors"});

// args: distance kind, threads (0 = every core). 30000 x 100 with 30
// prototypes; wall-clock time, as the work is spread over threads.
void BM_SumOfMinDistances(benchmark::State& state) {
  auto ws = MakeData(30000, 100, 30, static_cast<int>(state.range(0)));
  SetEngineThreads(static_cast<int>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(SumOfMinDistances(*ws));
  SetEngineThreads(0);
  const double madds = 30000.0 * 100 * 30;
  state.counters["madd_per_ns"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * madds * 1e-9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SumOfMinDistances)
    ->ArgsProduct({{DistEuclidean}, {1, 0}})
    ->ArgNames({"kind", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Classify(benchmark::State& state) {
  auto ws = MakeData(30000, 100, 30, DistEuclidean);
  SetEngineThreads(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Classify(*ws, 1);
    benchmark::DoNotOptimize(ws->ClassLabels(1, 1));
  }
  SetEngineThreads(0);
}
BENCHMARK(BM_Classify)->Arg(1)->Arg(0)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_SammonProjection(benchmark::State& state) {
  auto ws = MakeData(1000, 100, static_cast<int>(state.range(0)), DistEuclidean);
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(7));
  for (auto _ : state) benchmark::DoNotOptimize(SammonProjection(*ws).stress);
}
BENCHMARK(BM_SammonProjection)->Arg(30)->ArgName("K")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
