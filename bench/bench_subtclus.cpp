// Subtractive clustering potentials on the largest data: 30000 x 100.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/SubtractiveClustering.h"

namespace {

volmar::Workspace& bigData(float scale) {
  static auto ws = volmar::Workspace::create();
  std::uint32_t s = 7;
  ws->NumCases = 30000;
  ws->NumVars = 100;
  for (int i = 1; i <= 30000; ++i)
    for (int v = 1; v <= 100; ++v) {
      s = s * 134775813u + 1u;
      ws->DataMatrix(i, v) = scale * static_cast<float>(s >> 8) / 16777216.0f;
    }
  return *ws;
}

// Data of 100 variables uniform on [0, scale); alpha = 4 / r^2 for the
// radius in range(1) (in thousandths). With scale 1 and r = 0.5 most pairs
// are too far apart for their term to count; with scale 0.05 every term
// is a real exp.
void BM_Potentials(benchmark::State& state) {
  const float scale = static_cast<float>(state.range(0)) / 1000.0f;
  const double r = static_cast<double>(state.range(1)) / 1000.0;
  auto& ws = bigData(scale);
  std::vector<double> p;
  const int threads = static_cast<int>(state.range(2));
  for (auto _ : state) {
    volmar::subtractivePotentials(volmar::ClusterRows(ws), 4.0 / (r * r), p, threads);
    benchmark::DoNotOptimize(p.data());
  }
}

// Baseline: the straight double loop over all ordered pairs, one thread,
// on the first 3000 cases (a hundredth of the pairs of the full data).
void BM_StraightLoop3000(benchmark::State& state) {
  auto& ws = bigData(1.0f);
  const double alpha = 16.0;
  std::vector<double> p(3000);
  for (auto _ : state) {
    for (int i = 1; i <= 3000; ++i) {
      double s = 0;
      for (int j = 1; j <= 3000; ++j) {
        double d = 0;
        for (int v = 1; v <= 100; ++v) {
          const double diff = static_cast<double>(ws.DataMatrix(i, v)) - ws.DataMatrix(j, v);
          d += diff * diff;
        }
        s += std::exp(-alpha * d);
      }
      p[static_cast<std::size_t>(i - 1)] = s;
    }
    benchmark::DoNotOptimize(p.data());
  }
}

void BM_Potentials3000(benchmark::State& state) {
  auto& ws = bigData(1.0f);
  ws.NumCases = 3000;
  std::vector<double> p;
  for (auto _ : state) {
    volmar::subtractivePotentials(volmar::ClusterRows(ws), 16.0, p, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(p.data());
  }
  ws.NumCases = 30000;
}

}  // namespace

BENCHMARK(BM_StraightLoop3000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_Potentials3000)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_Potentials)
    ->Args({1000, 500, 1})
    ->Args({1000, 500, 0})
    ->Args({50, 500, 0})
    ->Args({1000, 10, 0})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
BENCHMARK_MAIN();
