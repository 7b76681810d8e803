#include "core/Distances.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <cassert>
#include <cstring>
#include <memory>

#include "core/EngineKernels.h"
#include "core/FloatRounding.h"
#include "core/Parallel.h"
#include "core/VectorLanes.h"

namespace volmar {

namespace detail {

void PrototypeColumns::load(const Workspace& ws, int n) {
  assert(n >= 0 && n <= MaxPrototypes);
  numVars = ws.NumVars;
  numProtos = n;
  lanes = (n + LaneBlock - 1) / LaneBlock * LaneBlock;
  if (lanes == 0) lanes = LaneBlock;
  w = buffers[0];
  std::memset(buffers, 0, sizeof buffers);
  for (int k = 0; k < n; ++k) {
    const float* src = ws.Prototypes.row(k + 1);
    for (int i = 0; i < numVars; ++i) w[i][k] = src[i];
  }
  updateNorms();
}

void PrototypeColumns::store(Workspace& ws) const {
  for (int k = 0; k < numProtos; ++k) {
    float* dst = ws.Prototypes.row(k + 1);
    for (int i = 0; i < numVars; ++i) dst[i] = w[i][k];
  }
}

VOLMAR_VECTOR_CLONES void PrototypeColumns::updateNorms() {
  double acc[ColumnWidth] = {};
  for (int i = 0; i < numVars; ++i) {
    for (int k = 0; k < ColumnWidth; ++k) {
      const double wi = w[i][k];
      acc[k] += wi * wi;
    }
  }
  std::memcpy(sww, acc, sizeof acc);
}

namespace {

// The first 4 * V prototypes at once; acc stays in registers across the
// variables, one lane per prototype, each lane summing in variable order.
template <int V>
VOLMAR_INLINE_KERNEL void euclideanLanes(const float* x, int numVars,
                                         const float (*w)[ColumnWidth], double* out) {
  Doubles4 acc[V] = {};
  for (int i = 0; i < numVars; ++i) {
    const Doubles4 xi = Broadcast4(x[i]);
#pragma GCC unroll 8
    for (int v = 0; v < V; ++v) {
      const Doubles4 t = xi - LoadWidened(w[i] + VectorLanes * v);
      acc[v] += t * t;
    }
  }
  for (int v = 0; v < V; ++v) Store4(out + VectorLanes * v, acc[v]);
}

template <int V>
VOLMAR_INLINE_KERNEL void crossLanes(const float* x, int numVars, const float (*w)[ColumnWidth],
                                     double* out) {
  Doubles4 acc[V] = {};
  for (int i = 0; i < numVars; ++i) {
    const Doubles4 xi = Broadcast4(x[i]);
#pragma GCC unroll 8
    for (int v = 0; v < V; ++v) acc[v] += xi * LoadWidened(w[i] + VectorLanes * v);
  }
  for (int v = 0; v < V; ++v) Store4(out + VectorLanes * v, acc[v]);
}

}  // namespace

VOLMAR_VECTOR_CLONES void EuclideanDistances(const float* x, const PrototypeColumns& p,
                                             double* out) {
  // One instance per number of vectors (lanes / 4).
  switch (p.lanes) {
    case 4: euclideanLanes<1>(x, p.numVars, p.w, out); break;
    case 8: euclideanLanes<2>(x, p.numVars, p.w, out); break;
    case 12: euclideanLanes<3>(x, p.numVars, p.w, out); break;
    case 16: euclideanLanes<4>(x, p.numVars, p.w, out); break;
    case 20: euclideanLanes<5>(x, p.numVars, p.w, out); break;
    case 24: euclideanLanes<6>(x, p.numVars, p.w, out); break;
    case 28: euclideanLanes<7>(x, p.numVars, p.w, out); break;
    default: euclideanLanes<8>(x, p.numVars, p.w, out); break;
  }
}

namespace {

using Floats8 = float __attribute__((vector_size(32)));

template <int V>
VOLMAR_INLINE_KERNEL void screeningLanes(const float* x, int numVars, const float (*w)[ColumnWidth],
                                         float* out) {
  Floats8 acc[V] = {};
  for (int i = 0; i < numVars; ++i) {
    const Floats8 xi = Floats8{} + x[i];
#pragma GCC unroll 4
    for (int v = 0; v < V; ++v) {
      Floats8 wv;
      __builtin_memcpy(&wv, w[i] + 8 * v, sizeof wv);
      const Floats8 t = xi - wv;
      acc[v] += t * t;
    }
  }
  for (int v = 0; v < V; ++v) __builtin_memcpy(out + 8 * v, &acc[v], sizeof acc[v]);
}

}  // namespace

VOLMAR_VECTOR_CLONES void ScreeningDistances(const float* x, const PrototypeColumns& p, float* out) {
  static_assert(ColumnWidth % 8 == 0);
  switch ((p.lanes + 7) / 8) {
    case 1: screeningLanes<1>(x, p.numVars, p.w, out); break;
    case 2: screeningLanes<2>(x, p.numVars, p.w, out); break;
    case 3: screeningLanes<3>(x, p.numVars, p.w, out); break;
    default: screeningLanes<4>(x, p.numVars, p.w, out); break;
  }
}

VOLMAR_VECTOR_CLONES void PairDistances(const float* const* x, const float* const* w, int count, int numVars,
                                        double* out) {
  double acc[PairBlock] = {};
  const float* xs[PairBlock];
  const float* ws[PairBlock];
  for (int p = 0; p < PairBlock; ++p) {
    // Missing pairs repeat the first one and are not written.
    xs[p] = x[p < count ? p : 0];
    ws[p] = w[p < count ? p : 0];
  }
  for (int i = 0; i < numVars; ++i) {
#pragma GCC unroll 8
    for (int p = 0; p < PairBlock; ++p) {
      const double t = static_cast<double>(xs[p][i]) - static_cast<double>(ws[p][i]);
      acc[p] += t * t;
    }
  }
  for (int p = 0; p < count; ++p) out[p] = acc[p];
}

VOLMAR_VECTOR_CLONES void TanimotoDistances(const float* x, const PrototypeColumns& p,
                                            double* out) {
  alignas(64) double sxw[ColumnWidth];
  switch (p.lanes) {
    case 4: crossLanes<1>(x, p.numVars, p.w, sxw); break;
    case 8: crossLanes<2>(x, p.numVars, p.w, sxw); break;
    case 12: crossLanes<3>(x, p.numVars, p.w, sxw); break;
    case 16: crossLanes<4>(x, p.numVars, p.w, sxw); break;
    case 20: crossLanes<5>(x, p.numVars, p.w, sxw); break;
    case 24: crossLanes<6>(x, p.numVars, p.w, sxw); break;
    case 28: crossLanes<7>(x, p.numVars, p.w, sxw); break;
    default: crossLanes<8>(x, p.numVars, p.w, sxw); break;
  }
  double sxx = 0;
  for (int i = 0; i < p.numVars; ++i) {
    const double xi = x[i];
    sxx += xi * xi;
  }
  for (int k = 0; k < p.numProtos; ++k) {
    const double den = sxx + p.sww[k] - sxw[k];
    out[k] = den > 0 ? 1.0 - sxw[k] / den : 1.0;
  }
}

}  // namespace detail

double CaseDistance(const Workspace& ws, int c, int k) {
  const float* x = ws.DataMatrix.row(c);
  const float* w = ws.Prototypes.row(k);
  const int nv = ws.NumVars;
  if (ws.DistanceKind == DistTanimoto) {
    double sxw = 0, sxx = 0, sww = 0;
    for (int i = 0; i < nv; ++i) {
      const double xi = x[i];
      const double wi = w[i];
      sxw += xi * wi;
      sxx += xi * xi;
      sww += wi * wi;
    }
    const double den = sxx + sww - sxw;
    return den > 0 ? 1.0 - sxw / den : 1.0;
  }
  double s = 0;
  for (int i = 0; i < nv; ++i) {
    const double t = static_cast<double>(x[i]) - static_cast<double>(w[i]);
    s += t * t;
  }
  return s;
}

double PrototypeDistance(const Workspace& ws, int a, int b) {
  const float* pa = ws.Prototypes.row(a);
  const float* pb = ws.Prototypes.row(b);
  double s = 0;
  for (int i = 0; i < ws.NumVars; ++i) {
    const double t = static_cast<double>(pa[i]) - static_cast<double>(pb[i]);
    s += t * t;
  }
  return s;
}

void FindNearest(const Workspace& ws, int& k) {
  detail::FindNearestIn(ws.Dist.data(), ws.NumPrototypes, k);
}

namespace {

// Below this many multiply-adds a pass stays on the calling thread: waking
// the pool would cost more than it saves.
constexpr long long ParallelWork = 1 << 20;
constexpr int CasesPerTask = 1024;

// The winner search over cases from..to (in order), with the winner's
// variable k carried over as the plain loop carries it. Under the squared
// Euclidean distance each case is first measured in float: where that shows
// one prototype nearer than every other by more than the float sums' error
// and the winner search's own rounding, it is the winner the search picks,
// and only its distance is computed in double (several cases side by side,
// bit for bit the kernel's value). The other cases, and always the last one
// (whose distances stay in d), get the full search. Calls onCase(c, k,
// distance) for every case with a known winner.
template <typename OnCase>
void nearestRun(const Workspace& ws, const detail::PrototypeColumns& cols, int from, int to, int& k,
                double* d, OnCase& onCase) {
  const int n = ws.NumPrototypes;
  const bool screen = ws.DistanceKind != DistTanimoto && n >= 2;
  const double error = detail::ScreenError(ws.NumVars);
  const double apart = (1 + error) * (1 + 0x1p-21) / (1 - error);
  alignas(64) float f[detail::ColumnWidth];
  for (int c0 = from; c0 <= to; c0 += detail::PairBlock) {
    const int c1 = std::min(to, c0 + detail::PairBlock - 1);
    int clear[detail::PairBlock], winner[detail::PairBlock];
    const float* xs[detail::PairBlock];
    const float* wsRows[detail::PairBlock];
    int count = 0;
    for (int c = c0; c <= c1; ++c) {
      const float* x = ws.DataMatrix.row(c);
      if (screen && c != to) {
        detail::ScreeningDistances(x, cols, f);
        int best = 0;
        for (int j = 1; j < n; ++j)
          if (f[j] < f[best]) best = j;
        const double reach = static_cast<double>(f[best]) * apart + 3 * detail::ScreenFloor / (1 - error);
        bool alone = reach < 1e9;
        for (int j = 0; j < n && alone; ++j)
          if (j != best) alone = static_cast<double>(f[j]) > reach;
        if (alone) {
          k = best + 1;
          clear[count] = c;
          winner[count] = k;
          xs[count] = x;
          wsRows[count] = ws.Prototypes.row(k);
          ++count;
          continue;
        }
      }
      detail::CaseDistances(ws.DistanceKind, x, cols, d);
      detail::FindNearestIn(d, n, k);
      if (k != 0) onCase(c, k, d[k - 1]);
    }
    if (count == 0) continue;
    double exact[detail::PairBlock];
    detail::PairDistances(xs, wsRows, count, ws.NumVars, exact);
    for (int p = 0; p < count; ++p) onCase(clear[p], winner[p], exact[p]);
  }
}

// Runs the winner search over every case with the prototypes held by
// columns and calls onCase(c, winner, distance of the winner) once for every
// case, in no particular order (possibly on several threads at once). The
// winner's variable carries over from case to case, as the search requires;
// it starts at prototype 1 so that it always names a prototype. Dist ends
// holding the distances of the last case.
//
// On several threads each task takes a run of cases and starts its variable
// at 0, "not known yet". A case whose distances are all at or above the
// limit leaves the variable as it is, so the cases of a task before its
// first found winner take the winner carried over from the task before; once
// all tasks have ended those cases are done again, in task order, with that
// carried-over winner (CaseDistance gives the kernel's distance bit for
// bit). Every case therefore gets the winner and distance of the serial
// loop.
template <typename OnCase>
void forEachNearest(Workspace& ws, OnCase onCase) {
  const int n = ws.NumPrototypes;
  const int cases = ws.NumCases;
  const long long work = static_cast<long long>(cases) * n * std::max(ws.NumVars, 1);
  const int tasks = (cases + CasesPerTask - 1) / CasesPerTask;
  if (work < ParallelWork || tasks < 2 || EngineThreads() < 2) {
    detail::PrototypeColumns cols;
    cols.load(ws, n);
    alignas(64) double d[detail::ColumnWidth];
    int k = 1;
    if (cases >= 1) {
      nearestRun(ws, cols, 1, cases, k, d, onCase);
      std::copy(d, d + n, ws.Dist.data());
    }
    return;
  }
  struct TaskEnd {
    int firstKnown = 0;  // first case with a found winner, 0 if none
    int last = 0;        // the variable after the task's last case
  };
  std::vector<TaskEnd> ends(static_cast<std::size_t>(tasks));
  alignas(64) double lastDist[detail::ColumnWidth];
  RunTasks(tasks, [&](int t) {
    auto cols = std::make_unique<detail::PrototypeColumns>();
    cols->load(ws, n);
    alignas(64) double d[detail::ColumnWidth];
    const int from = t * CasesPerTask + 1;
    const int to = std::min(cases, from + CasesPerTask - 1);
    int k = t == 0 ? 1 : 0;
    TaskEnd& end = ends[static_cast<std::size_t>(t)];
    auto known = [&](int c, int winner, double dist) {
      if (end.firstKnown == 0 || c < end.firstKnown) end.firstKnown = c;
      onCase(c, winner, dist);
    };
    nearestRun(ws, *cols, from, to, k, d, known);
    end.last = k;
    if (to == cases) std::copy(d, d + n, lastDist);
  });
  int carried = 1;
  for (int t = 0; t < tasks; ++t) {
    const TaskEnd& end = ends[static_cast<std::size_t>(t)];
    const int from = t * CasesPerTask + 1;
    const int to = std::min(cases, from + CasesPerTask - 1);
    const int unknownTo = end.firstKnown == 0 ? to : end.firstKnown - 1;
    for (int c = from; c <= unknownTo; ++c) onCase(c, carried, CaseDistance(ws, c, carried));
    if (end.firstKnown != 0) carried = end.last;
  }
  std::copy(lastDist, lastDist + n, ws.Dist.data());
}

}  // namespace

float SumOfMinDistances(Workspace& ws) {
  if (ws.NumPrototypes < 1) return 0.0f;
  // The winners' distances are gathered first (in any order) and then added
  // in case order, rounding the sum to float after every addition.
  thread_local std::vector<double> winnerDist;
  winnerDist.resize(static_cast<std::size_t>(std::max(ws.NumCases, 0)) + 1);
  double* dist = winnerDist.data();
  forEachNearest(ws, [dist](int c, int, double d) { dist[c] = d; });
  float sum = 0.0f;
  for (int c = 1; c <= ws.NumCases; ++c) sum = SumToFloat(sum, dist[c]);
  return sum;
}

void Classify(Workspace& ws, int r) {
  assert(r >= 1 && r <= MaxReplications);
  if (ws.NumPrototypes < 1) return;
  forEachNearest(ws, [&ws, r](int c, int k, double) {
    ws.ClassLabels(c, r) = static_cast<std::int8_t>(k);
  });
}

void CountClassSizes(Workspace& ws, int r) {
  const int n = ws.NumPrototypes;
  for (int k = 1; k <= n; ++k) ws.ClassSize[k] = 0;
  for (int c = 1; c <= ws.NumCases; ++c) {
    const int label = ws.ClassLabels(c, r);
    if (label >= 1 && label <= n) ++ws.ClassSize[label];
  }
}

int DrawCase(Workspace& ws) {
  const double u = ws.Rng.next();
  const int c = static_cast<int>(RoundHalfEven(u * ws.NumCases + 0.5));
  return std::clamp(c, 1, std::max(ws.NumCases, 1));
}

void RandomSeed(Workspace& ws, int n) {
  if (ws.NumCases < 1) return;
  for (int i = 1; i <= n; ++i) {
    const int c = DrawCase(ws);
    std::copy(ws.DataMatrix.row(c), ws.DataMatrix.row(c) + ws.NumVars, ws.Prototypes.row(i));
  }
}

float ColumnMean(const Workspace& ws, int v) {
  if (ws.NumCases < 1) return 0.0f;  // no cases: no mean, and no 0 / 0
  float sum = 0.0f;
  for (int c = 1; c <= ws.NumCases; ++c) sum = SumToFloat(sum, ws.DataMatrix(c, v));
  return sum / static_cast<float>(ws.NumCases);
}

namespace {

// Distance of a point to the centre, as a double sum over the variables.
double radius(const float* x, const double* centre, int nv) {
  double s = 0;
  for (int i = 0; i < nv; ++i) {
    const double t = static_cast<double>(x[i]) - centre[i];
    s += t * t;
  }
  return std::sqrt(s);
}

double pointDistance(const float* a, const float* b, int nv) {
  double s = 0;
  for (int i = 0; i < nv; ++i) {
    const double t = static_cast<double>(a[i]) - static_cast<double>(b[i]);
    s += t * t;
  }
  return s;
}

}  // namespace

std::optional<double> DistanceBeyondLimit(const Workspace& ws, int numPrototypes, bool prototypesMove) {
  const int nv = ws.NumVars;
  const int nc = ws.NumCases;
  if (ws.DistanceKind == DistTanimoto || nv < 1 || nc < 1) return std::nullopt;
  // A computed sum may exceed the exact one by a few units in the last place
  // and trained prototypes may stray from the hull by a float rounding: the
  // margin keeps such distances below the limit too.
  const double limit = DistanceLimit / (1.0 + 1e-6);
  alignas(64) double centre[MaxVars] = {};
  for (int c = 1; c <= nc; ++c) {
    const float* x = ws.DataMatrix.row(c);
    for (int i = 0; i < nv; ++i) centre[i] += x[i];
  }
  for (int i = 0; i < nv; ++i) centre[i] /= nc;
  // The points a case is compared with: the prototypes, and when they move
  // (training) every point of the hull of cases and prototypes, whose
  // farthest points from any case are cases or prototypes.
  struct Point {
    double r;
    const float* x;
  };
  std::vector<Point> cases, others;
  cases.reserve(static_cast<std::size_t>(nc));
  for (int c = 1; c <= nc; ++c) cases.push_back({radius(ws.DataMatrix.row(c), centre, nv), ws.DataMatrix.row(c)});
  if (prototypesMove) others = cases;
  for (int k = 1; k <= numPrototypes; ++k)
    others.push_back({radius(ws.Prototypes.row(k), centre, nv), ws.Prototypes.row(k)});
  if (others.empty()) return std::nullopt;
  auto farthestFirst = [](const Point& a, const Point& b) { return a.r > b.r; };
  std::sort(cases.begin(), cases.end(), farthestFirst);
  std::sort(others.begin(), others.end(), farthestFirst);
  // By the triangle inequality a pair is at most (r_a + r_b)^2 apart; only
  // pairs whose radii could reach the limit are measured.
  const double reach = std::sqrt(limit) * (1.0 - 1e-9);
  for (const Point& a : cases) {
    if (a.r + others.front().r < reach) break;
    for (const Point& b : others) {
      if (a.r + b.r < reach) break;
      const double d = pointDistance(a.x, b.x, nv);
      if (d >= limit) return d;
    }
  }
  return std::nullopt;
}

bool DistancesInRange(const Workspace& ws, int numPrototypes, bool prototypesMove) {
  return !DistanceBeyondLimit(ws, numPrototypes, prototypesMove);
}

}  // namespace volmar
