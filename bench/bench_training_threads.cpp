// Whole training runs on the largest data (30000 x 100, 12 groups of
// ratings), on one thread and on every core, in the same process:
//   Range      2 to 10 prototypes, 20 random trials, 10 epochs, neighbour
//              update on (9 units of unequal size: the largest bounds the run)
//   Replicas   one count (10 prototypes) with 8 replications of 20 epochs
//              (8 equal units), with and without neighbour update
// The argument is the engine's thread count; 0 is one thread per core. Every
// run of a benchmark gives the same bits whatever the count (the tests check
// that), so the medians compare like with like.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "NullShell.h"
#include "commands/Train.h"
#include "core/Parallel.h"

namespace {

using namespace volmar;

// 12 groups of respondents, each rating 100 items 1..7 around its own profile.
void fillData(Workspace& ws) {
  ws.NumCases = 30000;
  ws.NumVars = 100;
  std::uint32_t s = 7;
  auto next = [&s] { return s = s * 1664525u + 1013904223u; };
  float profile[12][100];
  for (auto& group : profile)
    for (float& v : group) v = static_cast<float>(next() >> 8 & 7) * 0.75f + 1.5f;
  for (int i = 1; i <= ws.NumCases; ++i) {
    const int g = static_cast<int>((next() >> 8) % 12);
    for (int v = 1; v <= ws.NumVars; ++v) {
      const float noise = static_cast<float>(static_cast<int>((next() >> 8) % 5) - 2);
      float x = profile[g][v - 1] + noise;
      x = x < 1.0f ? 1.0f : (x > 7.0f ? 7.0f : x);
      ws.DataMatrix(i, v) = static_cast<float>(static_cast<int>(x + 0.5f));
    }
  }
  ws.BlockSize = 1;
  ws.NumEpochs = 10;
  ws.InitLearningRate = 0.3;
  ws.InitNeighborRange = 2;
  ws.InitLifetime = 1;
  ws.NeighborUpdate = true;
  ws.DistanceKind = DistEuclidean;
  ws.ParamsEntered = true;
}

void runWith(benchmark::State& state, int lower, int upper, int trials, int replications, int threads,
             int epochs = 10, bool neighbours = true) {
  auto ws = Workspace::create();
  fillData(*ws);
  ws->NumEpochs = epochs;
  ws->NeighborUpdate = neighbours;
  ws->LowerLimit = lower;
  ws->UpperLimit = upper;
  ws->NumTrials = trials;
  ws->NumReplications = replications;
  NullShell shell;
  Context ctx(*ws, shell);
  SetEngineThreads(threads);
  for (auto _ : state) {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
    run1Click(ctx);
  }
  state.counters["threads"] = EngineThreads();
  SetEngineThreads(0);
}

void BM_WholeRun_Range2To10(benchmark::State& state) { runWith(state, 2, 10, 20, 1, static_cast<int>(state.range(0))); }
void BM_WholeRun_Replicas8(benchmark::State& state) {
  runWith(state, 10, 10, 20, 8, static_cast<int>(state.range(0)), 20, true);
}
void BM_WholeRun_Replicas8NoNeighbours(benchmark::State& state) {
  runWith(state, 10, 10, 20, 8, static_cast<int>(state.range(0)), 20, false);
}
// One unit of the range alone on one thread: the sizes that bound the run on
// many cores.
void BM_OneUnitOfTheRange(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  runWith(state, n, n, 20, 1, 1);
}

}  // namespace

BENCHMARK(BM_WholeRun_Range2To10)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_WholeRun_Replicas8)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_WholeRun_Replicas8NoNeighbours)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime();

BENCHMARK(BM_OneUnitOfTheRange)->DenseRange(2, 10)->ArgName("N")->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
