// Reading a data file of 30000 cases x 100 variables, against a bare
// std::from_chars pass over the same bytes.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <string>

#include "commands/DataReading.h"

namespace {

const std::string& dataText() {
  static const std::string text = [] {
    std::string t;
    t.reserve(30000u * 100u * 8u);
    std::uint32_t s = 12345;
    char buf[32];
    for (int i = 0; i < 30000; ++i) {
      for (int v = 0; v < 100; ++v) {
        s = s * 134775813u + 1u;
        const double x = static_cast<double>(s >> 8) / 16777216.0 * 200.0 - 100.0;
        const int n = std::snprintf(buf, sizeof buf, "%s%.3f", v ? " " : "", x);
        t.append(buf, static_cast<std::size_t>(n));
      }
      t += "\r\n";
    }
    return t;
  }();
  return text;
}

void BM_ReadDataRows(benchmark::State& state) {
  const std::string& text = dataText();
  auto ws = volmar::Workspace::create();
  for (auto _ : state) {
    ws->NumCases = 30000;
    ws->NumVars = 100;
    benchmark::DoNotOptimize(volmar::readDataRows(*ws, text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Baseline: from_chars into floats over the same bytes, skipping separators,
// with no grammar checks, no line handling and no extended precision.
void BM_BareFromChars(benchmark::State& state) {
  const std::string& text = dataText();
  for (auto _ : state) {
    const char* p = text.data();
    const char* end = p + text.size();
    float sum = 0;
    while (p < end) {
      while (p < end && static_cast<unsigned char>(*p) <= 32) ++p;
      if (p >= end) break;
      float v = 0;
      auto r = std::from_chars(p, end, v);
      sum += v;
      p = r.ptr;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(BM_BareFromChars)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDataRows)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
