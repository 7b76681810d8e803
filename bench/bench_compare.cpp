// The pair loop of the comparison over replications at full size: 30000
// cases x 50 replications, 449,985,000 pairs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "core/PairComparison.h"

namespace {

constexpr int Cases = 30000;
constexpr int Reps = 50;
constexpr int Classes = 10;

struct Lcg {
  std::uint32_t s;
  std::uint32_t next(std::uint32_t bound) {
    s = s * 1664525u + 1013904223u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(s) * bound) >> 32);
  }
};

// Realistic labels: a stable partition into Classes classes, numbered anew
// in every replication (prototype numbers are arbitrary), with 5 % of the
// cases placed in some other class in each replication.
volmar::Workspace& realistic() {
  static auto ws = [] {
    auto w = volmar::Workspace::create();
    Lcg g{11};
    int base[Cases + 1];
    for (int c = 1; c <= Cases; ++c) base[c] = static_cast<int>(g.next(Classes));
    for (int r = 1; r <= Reps; ++r) {
      int perm[Classes];
      std::iota(perm, perm + Classes, 1);
      for (int k = Classes - 1; k > 0; --k) std::swap(perm[k], perm[g.next(static_cast<std::uint32_t>(k + 1))]);
      for (int c = 1; c <= Cases; ++c) {
        int cls = base[c];
        if (g.next(100) < 5) cls = (cls + 1 + static_cast<int>(g.next(Classes - 1))) % Classes;
        w->ClassLabels(c, r) = static_cast<std::int8_t>(perm[cls]);
      }
    }
    return w;
  }();
  return *ws;
}

// Labels drawn uniformly from 1..Classes, independently for every case and
// replication: every row distinct, nothing to group.
volmar::Workspace& uniform() {
  static auto ws = [] {
    auto w = volmar::Workspace::create();
    Lcg g{5};
    for (int c = 1; c <= Cases; ++c)
      for (int r = 1; r <= Reps; ++r) w->ClassLabels(c, r) = static_cast<std::int8_t>(1 + g.next(Classes));
    return w;
  }();
  return *ws;
}

void run(benchmark::State& state, volmar::Workspace& ws) {
  const int cases = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  for (auto _ : state) {
    const volmar::PairCounts p = volmar::ComparePairs(ws, cases, Reps, {}, threads);
    benchmark::DoNotOptimize(p.pairsWithHits.data());
  }
  state.counters["pairs"] = static_cast<double>(cases) * (cases - 1) / 2;
}

void BM_CompareRealistic(benchmark::State& state) { run(state, realistic()); }
void BM_CompareUniform(benchmark::State& state) { run(state, uniform()); }

// Baseline: the plain double loop, one thread, on the first 3000 cases (a
// hundredth of the pairs of the full data).
void BM_PlainLoopRealistic(benchmark::State& state) {
  auto& ws = realistic();
  for (auto _ : state) {
    const volmar::PairCounts p = volmar::ComparePairsPlain(ws, 3000, Reps);
    benchmark::DoNotOptimize(p.pairsWithHits.data());
  }
}
void BM_PlainLoopUniform(benchmark::State& state) {
  auto& ws = uniform();
  for (auto _ : state) {
    const volmar::PairCounts p = volmar::ComparePairsPlain(ws, 3000, Reps);
    benchmark::DoNotOptimize(p.pairsWithHits.data());
  }
}

}  // namespace

BENCHMARK(BM_CompareRealistic)->Args({Cases, 2})->Args({Cases, 1})->Args({3000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareUniform)->Args({Cases, 2})->Args({Cases, 1})->Args({3000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoopRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoopUniform)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
