// The global stability study (bootstrap pairs, adjusted Rand index) on
// 1453 cases x 11 binary variables with five known segments, N = 2..8,
// B = 100 pairs (1400 fits), 10 trials, 10 epochs, neighbour update off and
// on, on one and on two threads; beside it, in the same run, the same
// protocol with scikit-learn (bench/stability_sklearn.py: KMeans(n_init=10)
// on each sample, predict on all cases, adjusted_rand_score), timed by the
// script itself after its imports. Needs python3-sklearn for the baseline
// (benchmark only); without it that benchmark reports an error.
//
// The large study: 30000 x 100, N = 2..10, B = 20 (360 fits), and the parts
// of one fit of 10 prototypes on those data: the sample and the
// classification of every case (0 epochs, 1 trial), the 10 seeding trials,
// and the 10 epochs of training.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "NullShell.h"
#include "commands/Stability.h"
#include "core/Parallel.h"
#include "core/Random.h"
#include "core/Stability.h"

using namespace volmar;

namespace {

class StudyShell : public NullShell {
 public:
  std::vector<std::string> lines;
  void appendLine(const std::string& l) override { lines.push_back(l); }
};

// Five segments of binary profiles: each variable is 1 with probability
// 0.85 or 0.15 by the segment's pattern; segment sizes 30, 25, 20, 15, 10 %.
void binaryData(Workspace& ws) {
  RandomGenerator g;
  g.setSeed(2024);
  const int n = 1453, vars = 11;
  for (int c = 1; c <= n; ++c) {
    const double u = static_cast<double>(c - 1) / n;
    const int seg = u < 0.30 ? 0 : u < 0.55 ? 1 : u < 0.75 ? 2 : u < 0.90 ? 3 : 4;
    for (int v = 1; v <= vars; ++v) {
      const bool high = ((v * 7 + seg * 3) % 5) < 2 + (seg % 2);
      ws.DataMatrix(c, v) = g.next() < (high ? 0.85 : 0.15) ? 1.0f : 0.0f;
    }
  }
  ws.NumCases = n;
  ws.NumVars = vars;
}

void largeData(Workspace& ws) {
  RandomGenerator g;
  g.setSeed(77);
  for (int c = 1; c <= MaxCases; ++c) {
    const int seg = c % 8;
    for (int v = 1; v <= MaxVars; ++v)
      ws.DataMatrix(c, v) = static_cast<float>(((v + seg) % 8 == 0 ? 3.0 : 0.0) + g.next());
  }
  ws.NumCases = MaxCases;
  ws.NumVars = MaxVars;
}

void parameters(Workspace& ws, bool neighbors, int lower, int upper) {
  ws.LowerLimit = lower;
  ws.UpperLimit = upper;
  ws.NumTrials = 10;
  ws.NumEpochs = 10;
  ws.NumReplications = 1;
  ws.InitLearningRate = 0.3;
  ws.InitNeighborRange = 2;
  ws.InitLifetime = 1;
  ws.NeighborUpdate = neighbors;
  ws.DistanceKind = DistEuclidean;
  ws.ParamsEntered = true;
}

Workspace& binaryWorkspace() {
  static std::unique_ptr<Workspace> ws = [] {
    auto w = Workspace::create();
    binaryData(*w);
    return w;
  }();
  return *ws;
}

void BM_GlobalStability(benchmark::State& state) {
  Workspace& ws = binaryWorkspace();
  parameters(ws, state.range(0) != 0, 2, 8);
  SetEngineThreads(static_cast<int>(state.range(1)));
  StudyShell shell;
  Context ctx(ws, shell);
  StabilitySettings s;
  s.lower = 2;
  s.upper = 8;
  s.pairs = 100;
  for (auto _ : state) {
    ws.Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
    shell.lines.clear();
    runStability(ctx, s);
  }
  SetEngineThreads(0);
  if (shell.lines.size() != 10) state.SkipWithError("the study printed no result");
  state.counters["fits"] = 1400;
}
BENCHMARK(BM_GlobalStability)
    ->ArgNames({"neighbors", "threads"})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_SklearnSameProtocol(benchmark::State& state) {
  Workspace& ws = binaryWorkspace();
  const std::string data = "/tmp/volmar-bench-stability.txt";
  {
    std::ofstream out(data);
    for (int c = 1; c <= ws.NumCases; ++c) {
      for (int v = 1; v <= ws.NumVars; ++v) out << ws.DataMatrix(c, v) << (v < ws.NumVars ? " " : "\n");
    }
  }
  const std::string script = std::string(VOLMAR_BENCH_DIR) + "/stability_sklearn.py";
  for (auto _ : state) {
    // Debian's interpreter, which has python3-sklearn (not one of a PATH of its own).
    const std::string cmd = "/usr/bin/python3 " + script + " " + data + " 2 8 100";
    FILE* p = popen(cmd.c_str(), "r");
    char buf[256] = {};
    double seconds = -1;
    if (p && std::fgets(buf, sizeof buf, p)) seconds = std::atof(buf);
    if (p) pclose(p);
    if (seconds <= 0) {
      state.SkipWithError("python3 with scikit-learn (Debian python3-sklearn) did not run the script");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_SklearnSameProtocol)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

Workspace& largeWorkspace() {
  static std::unique_ptr<Workspace> ws = [] {
    auto w = Workspace::create();
    largeData(*w);
    parameters(*w, false, 2, 10);
    return w;
  }();
  return *ws;
}

// The parts of one fit of 10 prototypes: trials x epochs as the arguments.
void BM_LargeFitParts(benchmark::State& state) {
  Workspace& ws = largeWorkspace();
  ws.NumTrials = static_cast<int>(state.range(0));
  ws.NumEpochs = static_cast<int>(state.range(1));
  BootstrapFitter fitter(ws);
  std::vector<std::int8_t> labels(static_cast<std::size_t>(ws.NumCases));
  std::uint32_t s = 5;
  for (auto _ : state) s = fitter.fit(10, s, false, labels.data());
  ws.NumTrials = 10;
  ws.NumEpochs = 10;
}
BENCHMARK(BM_LargeFitParts)
    ->ArgNames({"trials", "epochs"})
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({10, 10})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_LargeStudy(benchmark::State& state) {
  Workspace& ws = largeWorkspace();
  SetEngineThreads(static_cast<int>(state.range(0)));
  StudyShell shell;
  Context ctx(ws, shell);
  StabilitySettings s;
  s.lower = 2;
  s.upper = 10;
  s.pairs = 20;
  for (auto _ : state) {
    ws.Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
    runStability(ctx, s);
  }
  SetEngineThreads(0);
}
BENCHMARK(BM_LargeStudy)->ArgNames({"threads"})->Arg(2)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
