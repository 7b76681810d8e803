// Training with replications and the refinement of every replication, on
// data of five shapes and kinds, beside k-means with ten k-means++ restarts
// (scikit-learn, run by bench/kmeans_reference.py on the same files; the
// script bench/refine_vs_kmeans.sh runs both and the whole volmar-batch run).
//
// The data sets, made here with fixed seeds and written as text files:
//   likert6, likert12  2800 x 25 items rated 1..6, driven by five latent
//                      factors (five items each, some reversed), N = 6, 12
//   digits             1797 x 64 grey levels 0..16 of 8 x 8 images of ten
//                      kinds of strokes, shifted and noisy, N = 20
//   wine               178 x 13 measurements in three groups on very
//                      different scales (from tenths to about a thousand), N = 8
//   groups             30000 x 100, 12 Gaussian groups of unit spread around
//                      centres in [0, 4]^100 (the data of bench_refine), N = 30
//
//   BM_TrainRefineAll/set  Analysis > Train with N to N prototypes, 10 trials,
//                          10 epochs, 5 replications, the other parameters at
//                          their defaults; then Refine prototypes with every
//                          replication. Counter sum: the sum of squared
//                          distances kept (double). Seeds 1, 2, 3 for the
//                          three repetitions.
//
// Flags of its own (before the benchmark's):
//   --write-data=FOLDER   writes the data files and sets.txt and ends.
//   --kmeans=FILE         the results of kmeans_reference.py; the summary
//                         then gives the ratios of sums and times.
//   --batch-seconds=S     the median time of the whole volmar-batch run on
//                         the groups set, for its ratio.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "NullShell.h"
#include "commands/Refine.h"
#include "commands/Train.h"
#include "core/Parallel.h"
#include "core/Refine.h"

using namespace volmar;

namespace {

struct DataSet {
  const char* name;
  const char* file;
  int cases, vars, prototypes;
  int decimals;  // written with this many decimals
};

const DataSet Sets[] = {
    {"likert6", "likert", 2800, 25, 6, 0},  {"likert12", "likert", 2800, 25, 12, 0},
    {"digits", "digits", 1797, 64, 20, 0},  {"wine", "wine", 178, 13, 8, 2},
    {"groups", "groups", 30000, 100, 30, 4},
};

// A small generator of its own for the data (the workspace's is used for
// the groups, as bench_refine makes them).
struct Gen {
  std::uint64_t s;
  explicit Gen(std::uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 1) {}
  double uniform() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<double>(s >> 11) / 9007199254740992.0;
  }
  double normal() {
    const double u1 = 1.0 - uniform(), u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }
};

std::vector<double> likert() {
  Gen g(25);
  const int items = 25, factors = 5;
  std::vector<double> loading(items), shift(items);
  std::vector<bool> reversed(items);
  for (int i = 0; i < items; ++i) {
    loading[static_cast<std::size_t>(i)] = 0.45 + 0.35 * g.uniform();
    shift[static_cast<std::size_t>(i)] = 1.2 * g.uniform() - 0.4;
    reversed[static_cast<std::size_t>(i)] = g.uniform() < 0.3;
  }
  const double cuts[5] = {-1.6, -0.9, -0.3, 0.3, 1.0};
  std::vector<double> x;
  for (int c = 0; c < 2800; ++c) {
    double f[factors];
    for (double& v : f) v = g.normal();
    // Two factors lean on each other, as neighbouring traits do.
    f[1] = 0.4 * f[0] + std::sqrt(1 - 0.16) * f[1];
    const double style = 0.3 * g.normal();  // agreeing with every item a little
    for (int i = 0; i < items; ++i) {
      const double l = loading[static_cast<std::size_t>(i)];
      const double z = l * f[i % factors] + std::sqrt(1 - l * l) * g.normal() + shift[static_cast<std::size_t>(i)] + style;
      int v = 1;
      for (double cut : cuts) v += z > cut;
      if (reversed[static_cast<std::size_t>(i)]) v = 7 - v;
      x.push_back(v);
    }
  }
  return x;
}

std::vector<double> digits() {
  Gen g(64);
  // Ten kinds of images, each two or three strokes across the 8 x 8 grid.
  double kinds[10][8][8] = {};
  for (auto& img : kinds) {
    const int strokes = 2 + static_cast<int>(g.uniform() * 2);
    for (int s = 0; s < strokes; ++s) {
      const double x0 = 1 + 5 * g.uniform(), y0 = 1 + 5 * g.uniform(), x1 = 1 + 5 * g.uniform(), y1 = 1 + 5 * g.uniform();
      for (int t = 0; t <= 20; ++t) {
        const double px = x0 + (x1 - x0) * t / 20.0, py = y0 + (y1 - y0) * t / 20.0;
        for (int r = 0; r < 8; ++r)
          for (int c = 0; c < 8; ++c) {
            const double d2 = (r - py) * (r - py) + (c - px) * (c - px);
            img[r][c] = std::max(img[r][c], 16.0 * std::exp(-d2 / 1.1));
          }
      }
    }
  }
  std::vector<double> x;
  for (int n = 0; n < 1797; ++n) {
    const int k = static_cast<int>(g.uniform() * 10);
    const int dr = static_cast<int>(g.uniform() * 3) - 1, dc = static_cast<int>(g.uniform() * 3) - 1;
    const double ink = 0.7 + 0.5 * g.uniform();
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 8; ++c) {
        const int sr = r - dr, sc = c - dc;
        double v = sr >= 0 && sr < 8 && sc >= 0 && sc < 8 ? kinds[k][sr][sc] * ink : 0.0;
        v += 2.0 * g.normal();
        x.push_back(std::clamp(std::round(v), 0.0, 16.0) + 0.0);  // no "-0"
      }
  }
  return x;
}

std::vector<double> wine() {
  Gen g(13);
  // Typical sizes and spreads of the 13 measurements: from tenths to about
  // a thousand.
  const double mean[13] = {13.0, 2.3, 2.37, 19.5, 99.7, 2.3, 2.03, 0.36, 1.59, 5.06, 0.96, 2.61, 747};
  const double spread[13] = {0.81, 1.12, 0.27, 3.34, 14.3, 0.63, 1.0, 0.12, 0.57, 2.32, 0.23, 0.71, 315};
  const int sizes[3] = {59, 71, 48};
  std::vector<double> x;
  for (int k = 0; k < 3; ++k) {
    double centre[13];
    for (int v = 0; v < 13; ++v) centre[v] = mean[v] + spread[v] * (2.4 * g.uniform() - 1.2);
    for (int n = 0; n < sizes[k]; ++n)
      for (int v = 0; v < 13; ++v) {
        double value = std::max(0.01, centre[v] + 0.6 * spread[v] * g.normal());
        if (v == 4 || v == 12) value = std::round(value);
        x.push_back(value);
      }
  }
  return x;
}

std::vector<double> groups() {
  auto ws = Workspace::create();
  ws->Rng.setSeed(2024);
  const int cases = 30000, vars = 100, k = 12;
  std::vector<double> centre(static_cast<std::size_t>(k) * vars);
  for (double& v : centre) v = 4.0 * ws->Rng.next();
  std::vector<double> x;
  x.reserve(static_cast<std::size_t>(cases) * vars);
  for (int c = 1; c <= cases; ++c) {
    const int grp = (c - 1) % k;
    for (int v = 1; v <= vars; ++v) {
      const double u1 = 1.0 - ws->Rng.next(), u2 = ws->Rng.next();
      const double z = std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
      x.push_back(centre[static_cast<std::size_t>(grp) * vars + v - 1] + z);
    }
  }
  return x;
}

std::vector<double> make(const std::string& file) {
  if (file == "likert") return likert();
  if (file == "digits") return digits();
  if (file == "wine") return wine();
  return groups();
}

// The data as text, and as the workspace holds them after reading it.
std::string asText(const DataSet& d, const std::vector<double>& x) {
  std::string text;
  char buf[64];
  for (int c = 0; c < d.cases; ++c) {
    for (int v = 0; v < d.vars; ++v) {
      std::snprintf(buf, sizeof buf, v ? " %.*f" : "%.*f", d.decimals, x[static_cast<std::size_t>(c) * d.vars + v]);
      text += buf;
    }
    text += "\n";
  }
  return text;
}

std::map<std::string, std::vector<float>> loaded;

const std::vector<float>& data(const DataSet& d) {
  auto& x = loaded[d.file];
  if (x.empty()) {
    std::istringstream in(asText(d, make(d.file)));
    std::string token;
    while (in >> token) x.push_back(static_cast<float>(std::strtod(token.c_str(), nullptr)));
  }
  return x;
}

class YesShell : public NullShell {
 public:
  Answer askYesNo(const std::string&) override { return Answer::Yes; }
};

void BM_TrainRefineAll(benchmark::State& state) {
  const DataSet& d = Sets[state.range(0)];
  const std::vector<float>& x = data(d);
  auto ws = Workspace::create();
  ws->NumCases = d.cases;
  ws->NumVars = d.vars;
  for (int c = 1; c <= d.cases; ++c)
    for (int v = 1; v <= d.vars; ++v) ws->DataMatrix(c, v) = x[static_cast<std::size_t>(c - 1) * d.vars + v - 1];
  ws->BlockSize = 1;
  ws->LowerLimit = ws->UpperLimit = d.prototypes;
  ws->NumTrials = 10;
  ws->NumEpochs = 10;
  ws->NumReplications = 5;
  ws->InitLearningRate = 0.3;
  ws->InitNeighborRange = 2;
  ws->InitLifetime = 1;
  ws->NeighborUpdate = true;
  ws->DistanceKind = DistEuclidean;
  ws->ParamsEntered = true;
  YesShell shell;
  Context ctx(*ws, shell);
  // Repetition r of a set runs with seed r.
  static std::map<int, std::uint32_t> seeds;
  const std::uint32_t seed = ++seeds[static_cast<int>(state.range(0))];
  std::vector<double> sums;
  for (auto _ : state) {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(seed));
    run1Click(ctx);
    refineprototypes1Click(ctx);
    state.PauseTiming();
    std::vector<std::int8_t> labels;
    std::vector<double> dist;
    sums.push_back(AssignCases(*ws, labels, dist, 1));
    state.ResumeTiming();
  }
  std::sort(sums.begin(), sums.end());
  state.counters["sum"] = sums[sums.size() / 2];
}
BENCHMARK(BM_TrainRefineAll)
    ->DenseRange(0, 4)
    ->ArgName("set")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime();

class Summary : public benchmark::ConsoleReporter {
 public:
  struct Figures {
    double seconds = 0, sum = 0, worst = 0;  // medians; the largest sum of the seeds
  };
  std::map<int, Figures> median;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.run_name.str();
      const auto at = name.find("set:");
      const auto sum = run.counters.find("sum");
      if (at == std::string::npos || sum == run.counters.end()) continue;
      Figures& f = median[std::atoi(name.c_str() + at + 4)];
      if (run.run_type == Run::RT_Iteration) f.worst = std::max(f.worst, static_cast<double>(sum->second));
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        f.seconds = run.GetAdjustedRealTime() / 1000.0;
        f.sum = sum->second;
      }
    }
  }
};

int writeData(const std::string& folder) {
  std::ofstream list(folder + "/sets.txt");
  std::map<std::string, bool> written;
  for (const DataSet& d : Sets) {
    list << d.name << ' ' << d.file << ' ' << d.cases << ' ' << d.vars << ' ' << d.prototypes << '\n';
    if (written[d.file]) continue;
    written[d.file] = true;
    std::ofstream out(folder + "/" + d.file + ".dat", std::ios::binary);
    out << asText(d, make(d.file));
    if (!out) {
      std::fprintf(stderr, "cannot write %s/%s.dat\n", folder.c_str(), d.file);
      return 1;
    }
  }
  return list ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string kmeans;
  double batchSeconds = 0;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--write-data=", 0) == 0) return writeData(a.substr(13));
    if (a.rfind("--kmeans=", 0) == 0) {
      kmeans = a.substr(9);
      continue;
    }
    if (a.rfind("--batch-seconds=", 0) == 0) {
      batchSeconds = std::atof(a.c_str() + 16);
      continue;
    }
    rest.push_back(argv[i]);
  }
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  benchmark::Shutdown();

  struct Reference {
    double seconds, sum, best;  // median fit time, median and best sum
  };
  std::map<std::string, Reference> reference;
  if (!kmeans.empty()) {
    std::ifstream in(kmeans);
    std::string name;
    Reference r;
    while (in >> name >> r.seconds >> r.sum >> r.best) reference[name] = r;
  }
  // Sums: Volmar's median and largest over its seeds against k-means' median
  // and smallest over its random states; times: medians.
  std::printf("\n%-9s %3s %14s %14s %14s %14s %8s %8s %8s %8s %8s\n", "set", "N", "Volmar med", "Volmar max",
              "k-means med", "k-means min", "med/med", "max/min", "s Volmar", "s kmeans", "time");
  for (const auto& [i, f] : summary.median) {
    const DataSet& d = Sets[i];
    const auto ref = reference.find(d.name);
    if (ref == reference.end()) {
      std::printf("%-9s %3d %14.3f %14.3f %14s %14s %8s %8s %8.3f\n", d.name, d.prototypes, f.sum, f.worst, "-", "-",
                  "-", "-", f.seconds);
      continue;
    }
    const Reference& r = ref->second;
    const bool whole = std::string(d.name) == "groups" && batchSeconds > 0;
    const double seconds = whole ? batchSeconds : f.seconds;
    std::printf("%-9s %3d %14.3f %14.3f %14.3f %14.3f %8.5f %8.5f %8.3f %8.3f %8.3f%s\n", d.name, d.prototypes, f.sum,
                f.worst, r.sum, r.best, f.sum / r.sum, f.worst / r.best, seconds, r.seconds, seconds / r.seconds,
                whole ? "  (whole volmar-batch run)" : "");
  }
  return 0;
}
