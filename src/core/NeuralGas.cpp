#include "core/NeuralGas.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "core/Distances.h"
#include "core/EngineKernels.h"
#include "core/FloatRounding.h"
#include "core/VectorLanes.h"

namespace volmar {

namespace {

bool positiveFinite(double v) { return v > 0 && std::isfinite(v); }

// For an edge age a (a whole number from -128 to 127), a > T holds exactly
// when a > AgeLimit(T).
int AgeLimit(double T) {
  constexpr int maxEdgeAge = std::numeric_limits<std::int8_t>::max();
  constexpr int minEdgeAge = std::numeric_limits<std::int8_t>::min();
  if (!(T < maxEdgeAge)) return maxEdgeAge;  // also NaN: no age exceeds it
  if (T < minEdgeAge) return minEdgeAge - 1;
  return static_cast<int>(std::floor(T));
}

// ln(final / start), or 0 (a constant schedule) for an unusable start value.
long double scheduleLog(long double final, double start) {
  return positiveFinite(start) ? std::log(final / static_cast<long double>(start)) : 0.0L;
}

double scheduled(double start, long double logRatio, int t, int tmax) {
  const long double e = tmax > 0 ? logRatio * t / tmax : logRatio;
  return static_cast<double>(static_cast<long double>(start) * std::exp(e));
}

// Neighbourhood factor of rank r; rank 1 is always 1 (also for a range of 0,
// where (1 - r) / lambda would be 0 / 0), and an unusable range gives
// winner-only learning.
double neighborhood(int r, double lambda) {
  if (r == 1) return 1.0;
  if (!(lambda > 0)) return 0.0;
  return std::exp(static_cast<double>(1 - r) / lambda);
}

// h[r] = neighborhood(r, lambda) for r = 1..n, recomputed only when lambda
// (its bits) or n changed since the last call. Below an exponent of -746
// exp gives exactly +0, so those ranks take 0 without calling it.
struct NeighborhoodFactors {
  alignas(64) double h[detail::ColumnWidth + 1] = {};
  std::uint64_t lambdaBits = 0;
  int count = 0;

  void update(double lambda, int n) {
    const auto bits = std::bit_cast<std::uint64_t>(lambda);
    if (n == count && bits == lambdaBits) return;
    lambdaBits = bits;
    count = n;
    h[1] = 1.0;
    for (int r = 2; r <= n; ++r) {
      if (!(lambda > 0)) {
        h[r] = 0.0;
        continue;
      }
      const double a = static_cast<double>(1 - r) / lambda;
      h[r] = a < -746.0 ? 0.0 : std::exp(a);
    }
  }
};

// Steps 4 to 6 of a presentation: counter, connections, schedules.
void finishStep(Workspace& ws, LearningState& st) {
  st.t += 1;
  if (ws.NeighborUpdate) {
    if (ws.NumPrototypes >= 2) UpdateConnections(ws, st.T);
    st.lambda = scheduled(ws.InitNeighborRange, st.logLambda, st.t, st.tmax);
    st.T = scheduled(ws.InitLifetime, st.logT, st.t, st.tmax);
  }
  st.eps = scheduled(ws.InitLearningRate, st.logEps, st.t, st.tmax);
}

}  // namespace

LearningState StartLearning(const Workspace& ws, int tmax) {
  LearningState st;
  st.t = 1;
  st.eps = ws.InitLearningRate;
  st.lambda = ws.InitNeighborRange;
  st.T = ws.InitLifetime;
  st.tmax = tmax;
  st.nearest = 1;
  st.logEps = scheduleLog(0.005L, ws.InitLearningRate);
  st.logLambda = scheduleLog(0.01L, ws.InitNeighborRange);
  st.logT = scheduleLog(2.0L * ws.NumPrototypes, ws.InitLifetime);
  return st;
}

void PresentationStep(Workspace& ws, LearningState& st) {
  const int n = ws.NumPrototypes;
  if (n < 1 || ws.NumCases < 1) return;
  const int c = DrawCase(ws);
  for (int k = 1; k <= n; ++k) ws.Dist[k] = CaseDistance(ws, c, k);
  const float* x = ws.DataMatrix.row(c);
  const int ranks = ws.NeighborUpdate ? n : 1;
  for (int r = 1; r <= ranks; ++r) {
    FindNearest(ws, st.nearest);
    const int j = st.nearest;
    ws.Ranking[r] = static_cast<std::int8_t>(j);
    ws.Dist[j] = DistanceLimit;
    const double factor = st.eps * neighborhood(r, st.lambda);
    float* w = ws.Prototypes.row(j);
    for (int i = 0; i < ws.NumVars; ++i) {
      const double wi = w[i];
      const double delta = factor * (static_cast<double>(x[i]) - wi);
      w[i] = SumToFloat(wi, delta);
    }
  }
  finishStep(ws, st);
}

namespace detail {

VOLMAR_VECTOR_CLONES bool RankByNearest(const double* d, int n, std::int8_t* ranking, int* rankOf) {
  // Padding entries (infinite f) never come before a real one, so the inner
  // loop can run over the full fixed width and vectorise without a tail.
  alignas(64) double dist[ColumnWidth];
  alignas(64) float f[ColumnWidth];
  alignas(64) double key[ColumnWidth];
  bool usable = true;
  for (int j = 0; j < ColumnWidth; ++j) {
    dist[j] = j < n ? d[j] : 0.0;
    usable &= j >= n || dist[j] < DistanceLimit;
    f[j] = static_cast<float>(dist[j]);
  }
  if (!usable) return false;
  // The key below compares d with float(d) widened again. Some vectorisers
  // wrongly treat that round trip as the identity; reading f back through an
  // opaque barrier keeps them from seeing it.
  asm volatile("" : : "r"(f) : "memory");
  // key = min(d, f) orders exactly as the searches take the entries: groups
  // of smaller f first; within a group the rounded-up entries (key d < f) by
  // their distance, then the others (key f); equal keys by number. Padding
  // entries come after every real one.
  for (int j = 0; j < ColumnWidth; ++j) {
    const double fj = f[j];
    key[j] = j < n ? (dist[j] < fj ? dist[j] : fj) : std::numeric_limits<double>::infinity();
  }
  // before[j]: how many entries come before entry j. Each pair i < j is
  // compared once: i comes first exactly when key[i] <= key[j].
  alignas(64) std::int64_t before[ColumnWidth] = {};
  for (int j = 1; j < n; ++j) {
    const double kj = key[j];
    std::int64_t count = 0;
    for (int i = 0; i < j; ++i) {
      const std::int64_t first = key[i] <= kj;
      count += first;
      before[i] += 1 - first;
    }
    before[j] += count;
  }
  for (int j = 0; j < n; ++j) {
    const int b = static_cast<int>(before[j]);
    rankOf[j] = b + 1;
    ranking[b + 1] = static_cast<std::int8_t>(j + 1);
  }
  return true;
}

}  // namespace detail

namespace {

using detail::ColumnWidth;
using detail::LaneBlock;
using detail::PrototypeColumns;
using detail::Broadcast4;
using detail::Doubles4;
using detail::Load4;
using detail::LoadWidened;
using detail::NarrowingScreen;
using detail::StoreNarrowed;
using detail::VectorLanes;

// Moves the first 4 * V prototypes, prototype k + 1 by factor[k] * (x - w),
// variable by variable. Each new value is w + delta narrowed to float, written
// to the spare buffer; should any narrowing have been able to round twice
// (rare; NarrowingScreen), the whole move is redone with the exact SumToFloat
// from the old values, which are still current. Factors and the screen stay
// in registers; the screen is tested once at the end.
//
// The vectors are moved in groups of at most four (16 prototypes), each group
// in its own pass over the variables, so that a group's factors, the
// broadcast case value and the test constants all fit the 16 vector
// registers.
template <int First, int Count>
VOLMAR_INLINE_KERNEL NarrowingScreen moveGroup(const float (*w)[ColumnWidth], float (*moved)[ColumnWidth],
                                     int numVars, const float* x, const double* factor) {
  Doubles4 fk[Count];
  for (int v = 0; v < Count; ++v) fk[v] = Load4(factor + VectorLanes * (First + v));
  NarrowingScreen screen;
  for (int i = 0; i < numVars; ++i) {
    const Doubles4 xi = Broadcast4(x[i]);
#pragma GCC unroll 4
    for (int v = 0; v < Count; ++v) {
      const int lane = VectorLanes * (First + v);
      const Doubles4 wv = LoadWidened(w[i] + lane);
      const Doubles4 s = wv + fk[v] * (xi - wv);
      StoreNarrowed(moved[i] + lane, s);
      screen.add(s);
    }
  }
  return screen;
}

template <int V>
VOLMAR_INLINE_KERNEL void moveLanes(PrototypeColumns& p, const float* x, const double* factor) {
  constexpr int Group = 4;
  float (*moved)[ColumnWidth] = p.spare();
  const int nv = p.numVars;
  NarrowingScreen screen = moveGroup<0, (V < Group ? V : Group)>(p.w, moved, nv, x, factor);
  if constexpr (V > Group) screen.add(moveGroup<Group, V - Group>(p.w, moved, nv, x, factor));
  if (!screen.doubtful()) [[likely]] {
    p.useSpare();
  } else {
    for (int i = 0; i < nv; ++i) {
      const double xi = x[i];
      for (int l = 0; l < VectorLanes * V; ++l) {
        const double w = p.w[i][l];
        p.w[i][l] = SumToFloat(w, factor[l] * (xi - w));
      }
    }
  }
}

VOLMAR_VECTOR_CLONES void moveAll(PrototypeColumns& p, const float* x, const double* factor) {
  switch (p.lanes) {
    case 4: moveLanes<1>(p, x, factor); break;
    case 8: moveLanes<2>(p, x, factor); break;
    case 12: moveLanes<3>(p, x, factor); break;
    case 16: moveLanes<4>(p, x, factor); break;
    case 20: moveLanes<5>(p, x, factor); break;
    case 24: moveLanes<6>(p, x, factor); break;
    case 28: moveLanes<7>(p, x, factor); break;
    default: moveLanes<8>(p, x, factor); break;
  }
}

// Moves prototype j (1-based) alone.
VOLMAR_VECTOR_CLONES void moveOne(PrototypeColumns& p, const float* x, double factor, int j) {
  for (int i = 0; i < p.numVars; ++i) {
    const double w = p.w[i][j - 1];
    const double delta = factor * (static_cast<double>(x[i]) - w);
    const double s = w + delta;
    p.w[i][j - 1] = MayNarrowWrongly(s) ? SumToFloat(w, delta) : static_cast<float>(s);
  }
}

}  // namespace

void PresentCases(Workspace& ws, LearningState& st, int count) {
  const int n = ws.NumPrototypes;
  if (n < 1 || ws.NumCases < 1 || count < 1) return;
  PrototypeColumns cols;
  cols.load(ws, n);
  const bool tanimoto = ws.DistanceKind == DistTanimoto;
  alignas(64) double d[ColumnWidth];
  alignas(64) double factor[ColumnWidth] = {};  // padding lanes keep factor 0
  NeighborhoodFactors h;
  int rankOf[ColumnWidth];
  std::int8_t ranking[ColumnWidth + 1];  // ranking[r] goes to Ranking[r]
  // Each case is drawn one step ahead so that its row can be fetched into
  // the cache while the current step runs. Nothing else draws from the
  // generator inside this loop, so the sequence of cases is unchanged.
  int next = DrawCase(ws);
  for (int step = 0; step < count; ++step) {
    const float* x = ws.DataMatrix.row(next);
    if (step + 1 < count) {
      next = DrawCase(ws);
      const char* row = reinterpret_cast<const char*>(ws.DataMatrix.row(next));
      for (int b = 0; b < ws.NumVars * static_cast<int>(sizeof(float)); b += 64)
        __builtin_prefetch(row + b);
    }
    detail::CaseDistances(ws.DistanceKind, x, cols, d);
    if (!ws.NeighborUpdate) {
      detail::FindNearestIn(d, n, st.nearest);
      ranking[1] = static_cast<std::int8_t>(st.nearest);
      d[st.nearest - 1] = DistanceLimit;
      moveOne(cols, x, st.eps * neighborhood(1, st.lambda), st.nearest);
    } else if (detail::RankByNearest(d, n, ranking, rankOf)) {
      h.update(st.lambda, n);
      for (int k = 0; k < n; ++k) factor[k] = st.eps * h.h[rankOf[k]];
      moveAll(cols, x, factor);
      std::fill(d, d + n, DistanceLimit);
      st.nearest = ranking[n];
    } else {
      // Some distance is at or above the limit: the searches carry their
      // variable over and may take one prototype several times, each time
      // moving it again; only the searches one by one reproduce that.
      for (int r = 1; r <= n; ++r) {
        detail::FindNearestIn(d, n, st.nearest);
        ranking[r] = static_cast<std::int8_t>(st.nearest);
        d[st.nearest - 1] = DistanceLimit;
        moveOne(cols, x, st.eps * neighborhood(r, st.lambda), st.nearest);
      }
    }
    if (tanimoto) cols.updateNorms();
    std::copy(ranking + 1, ranking + 1 + (ws.NeighborUpdate ? n : 1), ws.Ranking.data());
    finishStep(ws, st);
  }
  cols.store(ws);
  std::copy(d, d + n, ws.Dist.data());
}

void UpdateConnections(Workspace& ws, const double& T) {
  const int w = ws.Ranking[1];
  const int s = ws.Ranking[2];
  auto& adj = ws.Adjacency;
  auto& age = ws.EdgeAge;
  if (adj(w, s) == 1) {
    age(w, s) = 0;
    age(s, w) = 0;
  } else {
    adj(w, s) = 1;
    adj(s, w) = 1;
    age(w, s) = 0;
    age(s, w) = 1;
  }
  // Every entry of row w and of column w: its age grows by one (up to the
  // type's maximum) when it holds an edge, then the edge goes when its age
  // exceeds T. Row w and column w share only the cell (w, w), so the two
  // passes run on their own (branch-free, as the pattern of edges is
  // irregular) and the shared cell takes the four statements in their order,
  // aged twice when it holds a self-loop. The pointers and the bound live in
  // locals: a byte store may alias anything in memory, the workspace's own
  // fields included, and would otherwise force them to be read again.
  const int n = ws.NumPrototypes;
  const int limit = AgeLimit(T);
  constexpr int maxAge = std::numeric_limits<std::int8_t>::max();
  constexpr std::size_t stride = static_cast<std::size_t>(std::remove_reference_t<decltype(adj)>::stride());
  auto step = [limit](std::int8_t& a, std::int8_t& g) {
    const int edge = static_cast<int>(a > 0);
    g = static_cast<std::int8_t>(g + (edge & static_cast<int>(g < maxAge)));
    a = static_cast<std::int8_t>(a - (edge & static_cast<int>(g > limit)));
  };
  std::int8_t* const adjRow = adj.row(w);
  std::int8_t* const ageRow = age.row(w);
  for (int i = 0; i < n; ++i)
    if (i != w - 1) step(adjRow[i], ageRow[i]);
  std::int8_t* const adjCol = adj.row(1) + (w - 1);
  std::int8_t* const ageCol = age.row(1) + (w - 1);
  for (int i = 0; i < n; ++i)
    if (i != w - 1) step(adjCol[i * stride], ageCol[i * stride]);
  if (w <= n) {
    std::int8_t& a = adjRow[w - 1];
    std::int8_t& g = ageRow[w - 1];
    const int edge = static_cast<int>(a > 0);
    g = static_cast<std::int8_t>(g + (edge & static_cast<int>(g < maxAge)));
    g = static_cast<std::int8_t>(g + (edge & static_cast<int>(g < maxAge)));
    a = static_cast<std::int8_t>(a - (edge & static_cast<int>(g > limit)));
    a = static_cast<std::int8_t>(a - (static_cast<int>(a > 0) & static_cast<int>(g > limit)));
  }
}

std::optional<int> ScheduleLength(int numCases, int numEpochs) {
  const long long t = static_cast<long long>(numCases) * numEpochs;
  if (t < 1 || t > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(t);
}

StartValue InvalidStartValue(const Workspace& ws) {
  if (!positiveFinite(ws.InitLearningRate)) return StartValue::LearningRate;
  if (!positiveFinite(ws.InitNeighborRange)) return StartValue::NeighborRange;
  if (!positiveFinite(ws.InitLifetime)) return StartValue::Lifetime;
  return StartValue::None;
}

}  // namespace volmar
