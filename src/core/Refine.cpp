#include "core/Refine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>
#include <utility>

#include "core/Distances.h"
#include "core/EngineKernels.h"

namespace volmar {

namespace {

constexpr int BlockCases = 1024;

// Runs work(b) for the blocks b = 0..blocks-1 on up to `threads` threads;
// each block is done by one thread, whichever.
template <typename Work>
void forEachBlock(int blocks, int threads, Work work) {
  threads = std::clamp(threads, 1, std::max(blocks, 1));
  if (threads == 1) {
    for (int b = 0; b < blocks; ++b) work(b);
    return;
  }
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([=] {
      for (int b = t; b < blocks; b += threads) work(b);
    });
  for (std::thread& th : pool) th.join();
}

int blockCount(const Workspace& ws) { return (ws.NumCases + BlockCases - 1) / BlockCases; }

}  // namespace

namespace {

// A case keeps its prototype without the full search only when the root of
// its distance, enlarged by this fraction, stays below the bound on every
// other prototype: the winner search then picks it, whatever the roundings.
constexpr double KeepMargin = 1e-6;

// Lower bounds on the root distance of every case to every prototype, kept
// in float (a hair below the double root, so that they stay bounds), row c -
// 1 for case c, NumPrototypes to a row. Empty: none known.
using Bounds = std::vector<float>;

float boundBelow(double squared) { return static_cast<float>(std::sqrt(squared) * (1 - 1e-6)); }

// The winner search of every case, passing over the cases whose prototype
// must still be their nearest. With `prior` (the labels and bounds of the
// prototypes before they moved by shift[k] each), a case keeps its label
// when every other prototype's bound, less that prototype's move, stays
// above its own distance by the margin; a prototype whose bound does not is
// measured on its own (CaseDistance, the kernel's distance bit for bit), and
// only when one of those comes close does the case get the full search.
// Labels and distances come out as AssignCases gives them; `bounds`, unless
// null, receives the bounds for the current prototypes.
struct Prior {
  const std::vector<std::int8_t>& labels;
  const Bounds& bounds;
  std::vector<double> shift;  // 0-based prototypes, a hair above the move
};
double assignNear(const Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                  Bounds* bounds, const Prior* prior, int threads) {
  const int n = ws.NumPrototypes;
  const int cases = ws.NumCases;
  const auto stride = static_cast<std::size_t>(std::max(n, 0));
  labels.assign(static_cast<std::size_t>(cases), 0);
  dist.assign(static_cast<std::size_t>(cases), 0.0);
  if (bounds) bounds->assign(static_cast<std::size_t>(cases) * stride, 0.0f);
  if (n < 1 || cases < 1) return 0.0;
  detail::PrototypeColumns cols;
  cols.load(ws, n);
  forEachBlock(blockCount(ws), threads, [&](int b) {
    alignas(64) double d[detail::ColumnWidth];
    int k = 1;
    const int first = b * BlockCases + 1;
    const int last = std::min(cases, (b + 1) * BlockCases);
    // Every case's distance to its last prototype, several side by side.
    double owns[BlockCases];
    if (prior)
      for (int c = first; c <= last; c += detail::PairBlock) {
        const float* xs[detail::PairBlock];
        const float* ws_[detail::PairBlock];
        const int count = std::min(detail::PairBlock, last - c + 1);
        for (int p = 0; p < count; ++p) {
          xs[p] = ws.DataMatrix.row(c + p);
          ws_[p] = ws.Prototypes.row(prior->labels[static_cast<std::size_t>(c + p - 1)]);
        }
        detail::PairDistances(xs, ws_, count, ws.NumVars, owns + (c - first));
      }
    for (int c = first; c <= last; ++c) {
      const auto at = static_cast<std::size_t>(c - 1);
      float* bound = bounds ? bounds->data() + at * stride : nullptr;
      if (prior) {
        const int a = prior->labels[at];
        const float* was = prior->bounds.data() + at * stride;
        const double own = owns[c - first];
        const double reach = std::sqrt(own) * (1 + KeepMargin);
        bool keep = own < 1e9;
        for (int j = 0; j < n && keep; ++j) {
          if (j == a - 1) continue;
          const double low = static_cast<double>(was[j]) - prior->shift[static_cast<std::size_t>(j)];
          if (low > reach) {
            if (bound) bound[j] = static_cast<float>(low * (1 - 1e-6));
            continue;
          }
          const double dj = CaseDistance(ws, c, j + 1);
          if (bound) bound[j] = boundBelow(dj);
          keep = std::sqrt(dj) > reach;
        }
        if (keep) {
          if (bound) bound[a - 1] = boundBelow(own);
          k = a;
          labels[at] = static_cast<std::int8_t>(a);
          dist[at] = own;
          continue;
        }
      }
      detail::CaseDistances(DistEuclidean, ws.DataMatrix.row(c), cols, d);
      detail::FindNearestIn(d, n, k);
      labels[at] = static_cast<std::int8_t>(k);
      dist[at] = d[k - 1];
      if (bound)
        for (int j = 0; j < n; ++j) bound[j] = boundBelow(d[j]);
    }
  });
  double sum = 0;
  for (double x : dist) sum += x;
  return sum;
}

// How far prototypes 1..n moved from `before` (rows of MaxVars floats), a
// hair above the computed lengths.
std::vector<double> shiftFrom(const Workspace& ws, const std::vector<float>& before) {
  std::vector<double> shift(static_cast<std::size_t>(ws.NumPrototypes), 0.0);
  for (int k = 1; k <= ws.NumPrototypes; ++k) {
    const float* was = before.data() + static_cast<std::size_t>(k - 1) * MaxVars;
    const float* now = ws.Prototypes.row(k);
    double sq = 0;
    for (int i = 0; i < ws.NumVars; ++i) {
      const double t = static_cast<double>(now[i]) - static_cast<double>(was[i]);
      sq += t * t;
    }
    shift[static_cast<std::size_t>(k - 1)] = std::sqrt(sq) * (1 + 1e-9);
  }
  return shift;
}

}  // namespace

double AssignCases(const Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                   int threads) {
  return assignNear(ws, labels, dist, nullptr, nullptr, threads);
}

int MoveToMeans(Workspace& ws, const std::vector<std::int8_t>& labels, const std::vector<double>& dist,
                int threads) {
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  const int blocks = blockCount(ws);
  // Per block: the sums of the variables of each class and the class sizes.
  const std::size_t stride = static_cast<std::size_t>(MaxPrototypes) * MaxVars;
  std::vector<double> sums(static_cast<std::size_t>(blocks) * stride, 0.0);
  std::vector<int> counts(static_cast<std::size_t>(blocks) * MaxPrototypes, 0);
  forEachBlock(blocks, threads, [&](int b) {
    double* s = sums.data() + static_cast<std::size_t>(b) * stride;
    int* count = counts.data() + static_cast<std::size_t>(b) * MaxPrototypes;
    const int last = std::min(ws.NumCases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      const float* x = ws.DataMatrix.row(c);
      double* row = s + static_cast<std::size_t>(k) * MaxVars;
      for (int i = 0; i < nv; ++i) row[i] += x[i];
      ++count[k];
    }
  });
  std::vector<int> empty;
  for (int k = 0; k < n; ++k) {
    double total[MaxVars] = {};
    int size = 0;
    for (int b = 0; b < blocks; ++b) {
      const double* row = sums.data() + static_cast<std::size_t>(b) * stride + static_cast<std::size_t>(k) * MaxVars;
      for (int i = 0; i < nv; ++i) total[i] += row[i];
      size += counts[static_cast<std::size_t>(b) * MaxPrototypes + static_cast<std::size_t>(k)];
    }
    if (size == 0) {
      empty.push_back(k + 1);
      continue;
    }
    float* w = ws.Prototypes.row(k + 1);
    for (int i = 0; i < nv; ++i) w[i] = static_cast<float>(total[i] / size);
  }
  // Empty segments take the worst fitted cases, one each.
  std::vector<bool> taken(dist.size(), false);
  for (int k : empty) {
    std::size_t far = 0;
    bool found = false;
    for (std::size_t c = 0; c < dist.size(); ++c)
      if (!taken[c] && (!found || dist[c] > dist[far])) {
        far = c;
        found = true;
      }
    if (!found) break;
    taken[far] = true;
    const float* x = ws.DataMatrix.row(static_cast<int>(far) + 1);
    std::copy(x, x + nv, ws.Prototypes.row(k));
  }
  return static_cast<int>(empty.size());
}

void PrototypesFromLabels(Workspace& ws, const std::vector<std::int8_t>& labels, int threads) {
  const int nv = ws.NumVars;
  // The means first (an empty class takes some case for now), then the
  // distance of every case to its class mean, by which the empty classes
  // take their cases.
  std::vector<double> dist(labels.size(), 0.0);
  const int refilled = MoveToMeans(ws, labels, dist, threads);
  if (refilled == 0) return;
  forEachBlock(blockCount(ws), threads, [&](int b) {
    const int last = std::min(ws.NumCases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      const float* x = ws.DataMatrix.row(c);
      const float* w = ws.Prototypes.row(labels[static_cast<std::size_t>(c - 1)]);
      double d = 0;
      for (int i = 0; i < nv; ++i) {
        const double e = static_cast<double>(x[i]) - static_cast<double>(w[i]);
        d += e * e;
      }
      dist[static_cast<std::size_t>(c - 1)] = d;
    }
  });
  // MoveToMeans again: the classes with cases get the same means, the empty
  // ones the worst fitted cases.
  MoveToMeans(ws, labels, dist, threads);
}

namespace {

// Per class sums of vectors over the cases, made by block and added in
// block order: add(c, k, row) adds case c's share to row (NumVars doubles)
// of class k (0-based).
template <typename Add>
std::vector<double> classSums(const Workspace& ws, const std::vector<std::int8_t>& labels, int threads, Add add) {
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  const int blocks = blockCount(ws);
  const std::size_t stride = static_cast<std::size_t>(n) * static_cast<std::size_t>(nv);
  std::vector<double> perBlock(static_cast<std::size_t>(blocks) * stride, 0.0);
  forEachBlock(blocks, threads, [&](int b) {
    double* s = perBlock.data() + static_cast<std::size_t>(b) * stride;
    const int last = std::min(ws.NumCases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      add(c, k, s + static_cast<std::size_t>(k) * static_cast<std::size_t>(nv));
    }
  });
  std::vector<double> total(stride, 0.0);
  for (int b = 0; b < blocks; ++b) {
    const double* s = perBlock.data() + static_cast<std::size_t>(b) * stride;
    for (std::size_t i = 0; i < stride; ++i) total[i] += s[i];
  }
  return total;
}

constexpr int PowerSteps = 8;
// Lloyd iterations that settle the classes after the prototypes of a swap
// round moved, before the round is judged.
constexpr int SwapIterations = 3;
// The fall of the sum in one iteration, as a fraction of the sum, below
// which the first descent hands over to the swap rounds.
constexpr double SlowFall = 1e-5;
// The same for the first descent, before the swap rounds.
constexpr double FirstSlowFall = 3e-5;

}  // namespace

std::vector<double> RemovalCosts(const Workspace& ws, const std::vector<std::int8_t>& labels,
                                 const std::vector<double>& dist, int threads) {
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  const std::size_t vars = static_cast<std::size_t>(nv);
  if (n < 2) return std::vector<double>(static_cast<std::size_t>(std::max(n, 0)), std::numeric_limits<double>::infinity());
  const int blocks = blockCount(ws);
  // The rise while the prototypes stay: every case to its second nearest.
  std::vector<double> perBlock(static_cast<std::size_t>(blocks) * MaxPrototypes, 0.0);
  std::vector<std::int8_t> second(static_cast<std::size_t>(ws.NumCases), 0);
  detail::PrototypeColumns cols;
  cols.load(ws, n);
  forEachBlock(blocks, threads, [&](int b) {
    alignas(64) double d[detail::ColumnWidth];
    double* cost = perBlock.data() + static_cast<std::size_t>(b) * MaxPrototypes;
    const int last = std::min(ws.NumCases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      detail::CaseDistances(DistEuclidean, ws.DataMatrix.row(c), cols, d);
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      int j2 = -1;
      for (int j = 0; j < n; ++j)
        if (j != k && (j2 < 0 || d[j] < d[j2])) j2 = j;
      second[static_cast<std::size_t>(c - 1)] = static_cast<std::int8_t>(j2 + 1);
      cost[k] += d[j2] - dist[static_cast<std::size_t>(c - 1)];
    }
  });
  std::vector<double> cost(static_cast<std::size_t>(n), 0.0);
  for (int b = 0; b < blocks; ++b)
    for (int k = 0; k < n; ++k) cost[static_cast<std::size_t>(k)] += perBlock[static_cast<std::size_t>(b) * MaxPrototypes + static_cast<std::size_t>(k)];
  // Less what the receiving prototypes win by moving to the means of their
  // enlarged classes: a class of size m whose cases lie at y = x - w around
  // its prototype w has the sum of squares |y|^2 - |sum y|^2 / m about its
  // mean. own[j] = sum of y over class j; moved[r][j] = over the cases of
  // class r whose second nearest is j, counted in took[r][j].
  const std::vector<double> own = classSums(ws, labels, threads, [&](int c, int k, double* row) {
    const float* x = ws.DataMatrix.row(c);
    const float* w = ws.Prototypes.row(k + 1);
    for (int i = 0; i < nv; ++i) row[i] += static_cast<double>(x[i]) - static_cast<double>(w[i]);
  });
  std::vector<int> size(static_cast<std::size_t>(n), 0);
  std::vector<int> took(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
  for (int c = 1; c <= ws.NumCases; ++c) {
    const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
    ++size[static_cast<std::size_t>(k)];
    ++took[static_cast<std::size_t>(k) * static_cast<std::size_t>(n) + static_cast<std::size_t>(second[static_cast<std::size_t>(c - 1)] - 1)];
  }
  // Sums over (class, second nearest) pairs: these go by spans of whole
  // blocks to keep the partial sums few.
  constexpr int SpanBlocks = 8;
  const int spans = (blocks + SpanBlocks - 1) / SpanBlocks;
  const std::size_t stride = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * vars;
  std::vector<double> perSpan(static_cast<std::size_t>(spans) * stride, 0.0);
  forEachBlock(spans, threads, [&](int sp) {
    double* s = perSpan.data() + static_cast<std::size_t>(sp) * stride;
    const int last = std::min(ws.NumCases, (sp + 1) * SpanBlocks * BlockCases);
    for (int c = sp * SpanBlocks * BlockCases + 1; c <= last; ++c) {
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      const int j = second[static_cast<std::size_t>(c - 1)] - 1;
      const float* x = ws.DataMatrix.row(c);
      const float* w = ws.Prototypes.row(j + 1);
      double* row = s + (static_cast<std::size_t>(k) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)) * vars;
      for (int i = 0; i < nv; ++i) row[i] += static_cast<double>(x[i]) - static_cast<double>(w[i]);
    }
  });
  for (int sp = 1; sp < spans; ++sp)
    for (std::size_t i = 0; i < stride; ++i) perSpan[i] += perSpan[static_cast<std::size_t>(sp) * stride + i];
  for (int r = 0; r < n; ++r)
    for (int j = 0; j < n; ++j) {
      const int m = took[static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)];
      if (m == 0) continue;
      const double* moved = perSpan.data() + (static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)) * vars;
      const double* a = own.data() + static_cast<std::size_t>(j) * vars;
      const int nj = size[static_cast<std::size_t>(j)];
      double before = 0, after = 0;
      for (int i = 0; i < nv; ++i) {
        before += a[i] * a[i];
        after += (a[i] + moved[i]) * (a[i] + moved[i]);
      }
      cost[static_cast<std::size_t>(r)] -= after / (nj + m) - (nj > 0 ? before / nj : 0.0);
    }
  return cost;
}


std::vector<ClassSplit> SplitClasses(const Workspace& ws, const std::vector<std::int8_t>& labels,
                                     const std::vector<double>& dist, int threads) {
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  const std::size_t vars = static_cast<std::size_t>(nv);
  std::vector<ClassSplit> out(static_cast<std::size_t>(n));
  // Every case relative to its prototype: y = x - w.
  auto relative = [&](int c, int k, double* y) {
    const float* x = ws.DataMatrix.row(c);
    const float* w = ws.Prototypes.row(k + 1);
    for (int i = 0; i < nv; ++i) y[i] = static_cast<double>(x[i]) - static_cast<double>(w[i]);
  };
  // The start direction of every class: its worst fitted case (the lowest
  // number on ties).
  std::vector<double> axis(static_cast<std::size_t>(n) * vars, 0.0);
  std::vector<int> worst(static_cast<std::size_t>(n), 0), size(static_cast<std::size_t>(n), 0);
  for (int c = 1; c <= ws.NumCases; ++c) {
    const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
    int& w = worst[static_cast<std::size_t>(k)];
    if (w == 0 || dist[static_cast<std::size_t>(c - 1)] > dist[static_cast<std::size_t>(w - 1)]) w = c;
    ++size[static_cast<std::size_t>(k)];
  }
  for (int k = 0; k < n; ++k)
    if (worst[static_cast<std::size_t>(k)] > 0) relative(worst[static_cast<std::size_t>(k)], k, axis.data() + static_cast<std::size_t>(k) * vars);
  auto normalise = [&](std::vector<double>& next) {
    for (int k = 0; k < n; ++k) {
      double* v = next.data() + static_cast<std::size_t>(k) * vars;
      double norm = 0;
      for (int i = 0; i < nv; ++i) norm += v[i] * v[i];
      norm = std::sqrt(norm);
      double* a = axis.data() + static_cast<std::size_t>(k) * vars;
      if (norm > 0)
        for (int i = 0; i < nv; ++i) a[i] = v[i] / norm;
    }
  };
  // Power iterations: axis := sum over the class of y (y . axis).
  for (int step = 0; step < PowerSteps; ++step) {
    std::vector<double> next = classSums(ws, labels, threads, [&](int c, int k, double* row) {
      double y[MaxVars];
      relative(c, k, y);
      const double* a = axis.data() + static_cast<std::size_t>(k) * vars;
      double p = 0;
      for (int i = 0; i < nv; ++i) p += y[i] * a[i];
      for (int i = 0; i < nv; ++i) row[i] += y[i] * p;
    });
    normalise(next);
  }
  // The halves: y . axis > 0 (the upper one) or not; then the sums of y over
  // each class and over its upper half, and the sizes of the upper halves.
  std::vector<int> upperSize(static_cast<std::size_t>(n), 0);
  // One byte a case: the blocks set theirs from different threads.
  std::vector<std::uint8_t> upperCase(static_cast<std::size_t>(ws.NumCases), 0);
  forEachBlock(blockCount(ws), threads, [&](int b) {
    const int last = std::min(ws.NumCases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      double y[MaxVars];
      relative(c, k, y);
      const double* a = axis.data() + static_cast<std::size_t>(k) * vars;
      double p = 0;
      for (int i = 0; i < nv; ++i) p += y[i] * a[i];
      if (p > 0) upperCase[static_cast<std::size_t>(c - 1)] = 1;
    }
  });
  for (int c = 1; c <= ws.NumCases; ++c)
    if (upperCase[static_cast<std::size_t>(c - 1)]) ++upperSize[static_cast<std::size_t>(labels[static_cast<std::size_t>(c - 1)] - 1)];
  const std::vector<double> all = classSums(ws, labels, threads, [&](int c, int k, double* row) {
    double y[MaxVars];
    relative(c, k, y);
    for (int i = 0; i < nv; ++i) row[i] += y[i];
  });
  const std::vector<double> upper = classSums(ws, labels, threads, [&](int c, int k, double* row) {
    if (!upperCase[static_cast<std::size_t>(c - 1)]) return;
    double y[MaxVars];
    relative(c, k, y);
    for (int i = 0; i < nv; ++i) row[i] += y[i];
  });
  for (int k = 0; k < n; ++k) {
    ClassSplit& split = out[static_cast<std::size_t>(k)];
    const int nu = upperSize[static_cast<std::size_t>(k)];
    const int nl = size[static_cast<std::size_t>(k)] - nu;
    if (nu == 0 || nl == 0) continue;
    const double* su = upper.data() + static_cast<std::size_t>(k) * vars;
    const double* sa = all.data() + static_cast<std::size_t>(k) * vars;
    const float* w = ws.Prototypes.row(k + 1);
    split.lower.resize(vars);
    split.upper.resize(vars);
    // The sum of squares about a mean is sum |y|^2 - |sum y|^2 / size, so
    // the gain of the cut is what the two halves' terms add over the whole.
    double gu = 0, gl = 0, ga = 0;
    for (int i = 0; i < nv; ++i) {
      const double sl = sa[i] - su[i];
      gu += su[i] * su[i];
      gl += sl * sl;
      ga += sa[i] * sa[i];
      split.upper[static_cast<std::size_t>(i)] = static_cast<float>(w[i] + su[i] / nu);
      split.lower[static_cast<std::size_t>(i)] = static_cast<float>(w[i] + sl / nl);
    }
    split.gain = gu / nu + gl / nl - ga / (nu + nl);
  }
  return out;
}

int SingleCaseMoves(Workspace& ws, std::vector<std::int8_t>& labels, int passes, double enough) {
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  const std::size_t vars = static_cast<std::size_t>(nv);
  const std::size_t cases = static_cast<std::size_t>(ws.NumCases);
  // The class means in double, summed in case order; the distances are
  // taken to their float roundings, held in the columns of the winner
  // search and renewed for the two classes of every move.
  std::vector<double> mean(static_cast<std::size_t>(n) * vars, 0.0);
  std::vector<int> size(static_cast<std::size_t>(n), 0);
  for (std::size_t c = 0; c < cases; ++c) {
    const int k = labels[c] - 1;
    const float* x = ws.DataMatrix.row(static_cast<int>(c) + 1);
    double* m = mean.data() + static_cast<std::size_t>(k) * vars;
    for (int i = 0; i < nv; ++i) m[i] += x[i];
    ++size[static_cast<std::size_t>(k)];
  }
  detail::PrototypeColumns cols;
  cols.load(ws, n);
  auto setColumn = [&](int k) {
    const double* m = mean.data() + static_cast<std::size_t>(k) * vars;
    for (int i = 0; i < nv; ++i) cols.w[i][k] = static_cast<float>(m[i]);
  };
  for (int k = 0; k < n; ++k) {
    double* m = mean.data() + static_cast<std::size_t>(k) * vars;
    const int s = size[static_cast<std::size_t>(k)];
    if (s == 0) continue;  // keeps its prototype; never chosen below
    for (int i = 0; i < nv; ++i) m[i] /= s;
    setColumn(k);
  }
  // Bounds that let a pass go by the cases that cannot move. Each pass
  // starts from an anchor, the columns as they stand, and away[k] is how far
  // column k has moved from it since. For a case c looked at before,
  // reach[c] + away[own class] bounds the root of its distance to its own
  // column from above and near[c][j] - away[j] that to column j from below
  // (a look stores the roots with the moves so far taken in, and a new
  // anchor takes in the moves of the pass before). A case whose cheapest
  // move, so bounded, still costs more than its staying is passed over: its
  // full look would not move it either.
  const std::size_t classes = static_cast<std::size_t>(n);
  std::vector<double> away(classes, 0.0);
  std::vector<double> reach(cases, 0.0);
  std::vector<float> near(cases * classes, 0.0f);
  std::vector<char> known(cases, 0);
  std::vector<float> anchor(vars * detail::ColumnWidth);
  auto setAnchor = [&] {
    for (int i = 0; i < nv; ++i)
      std::copy(cols.w[i], cols.w[i] + detail::ColumnWidth, anchor.data() + static_cast<std::size_t>(i) * detail::ColumnWidth);
  };
  auto measureAway = [&](int k) {
    double s = 0;
    for (int i = 0; i < nv; ++i) {
      const double t = static_cast<double>(cols.w[i][k]) - anchor[static_cast<std::size_t>(i) * detail::ColumnWidth + static_cast<std::size_t>(k)];
      s += t * t;
    }
    away[static_cast<std::size_t>(k)] = std::sqrt(s) * (1 + 1e-9);
  };
  setAnchor();
  // Whether a case of class k stays, its staying costing at most `staying`,
  // when lowSq(j) is at most its squared distance to column j: then no
  // class's cost of taking it in undercuts its staying.
  auto cannotMove = [&](int k, double staying, const auto& lowSq) {
    for (int j = 0; j < n; ++j) {
      const int nj = size[static_cast<std::size_t>(j)];
      if (j == k || nj == 0) continue;
      if (!(nj / (nj + 1.0) * lowSq(j) > staying)) return false;
    }
    return true;
  };
  // Stores a look at case c of class k: below(j) at most its squared
  // distance to column j, ownAbove at least that to its own column.
  auto remember = [&](std::size_t c, const auto& below, double ownAbove, int k) {
    float* low = near.data() + c * classes;
    for (std::size_t j = 0; j < classes; ++j)
      low[j] = static_cast<float>(std::max(0.0, std::sqrt(std::max(0.0, below(static_cast<int>(j)))) - away[j]) * (1 - 1e-6));
    reach[c] = std::sqrt(ownAbove) * (1 + 1e-6) + away[static_cast<std::size_t>(k)];
  };
  alignas(64) double d[detail::ColumnWidth];
  alignas(64) float f[detail::ColumnWidth];
  const double screenError = detail::ScreenError(nv);
  int moves = 0;
  for (int pass = 0; pass < passes; ++pass) {
    if (pass > 0) {
      for (std::size_t c = 0; c < cases; ++c) {
        if (!known[c]) continue;
        float* low = near.data() + c * classes;
        for (std::size_t j = 0; j < classes; ++j)
          low[j] = static_cast<float>(std::max(0.0, static_cast<double>(low[j]) - away[j]) * (1 - 1e-6));
        reach[c] += away[static_cast<std::size_t>(labels[c] - 1)];
      }
      setAnchor();
      std::fill(away.begin(), away.end(), 0.0);
    }
    int moved = 0;
    double gain = 0;
    for (std::size_t c = 0; c < cases; ++c) {
      const int k = labels[c] - 1;
      const int nk = size[static_cast<std::size_t>(k)];
      if (nk < 2) continue;
      if (known[c]) {
        const double up = reach[c] + away[static_cast<std::size_t>(k)];
        const float* low = near.data() + c * classes;
        if (cannotMove(k, nk / (nk - 1.0) * up * up, [&](int j) {
              const double l = static_cast<double>(low[j]) - away[static_cast<std::size_t>(j)];
              return l > 0 ? l * l : -1.0;
            }))
          continue;
      }
      const float* x = ws.DataMatrix.row(static_cast<int>(c) + 1);
      known[c] = 1;
      // A look in float first, at a fraction of the cost: it shows most
      // cases to stay, whatever its roundings.
      detail::ScreeningDistances(x, cols, f);
      const auto floatBelow = [&](int j) { return f[j] * (1 - screenError) - detail::ScreenFloor; };
      const double floatAbove = f[k] * (1 + screenError) + detail::ScreenFloor;
      if (cannotMove(k, nk / (nk - 1.0) * floatAbove, floatBelow)) {
        remember(c, floatBelow, floatAbove, k);
        continue;
      }
      detail::EuclideanDistances(x, cols, d);
      remember(c, [&](int j) { return d[j]; }, d[k], k);
      const double removal = nk / (nk - 1.0) * d[k];
      int to = -1;
      double best = std::numeric_limits<double>::infinity();
      for (int j = 0; j < n; ++j) {
        const int nj = size[static_cast<std::size_t>(j)];
        if (j == k || nj == 0) continue;
        const double addition = nj / (nj + 1.0) * d[j];
        if (addition < best) {
          best = addition;
          to = j;
        }
      }
      // Gains within the rounding of the means would only trade cases
      // back and forth.
      if (to < 0 || removal - best <= 1e-7 * removal) continue;
      reach[c] = std::sqrt(d[to]) * (1 + 1e-6) + away[static_cast<std::size_t>(to)];
      gain += removal - best;
      const int nj = size[static_cast<std::size_t>(to)];
      double* mk = mean.data() + static_cast<std::size_t>(k) * vars;
      double* mj = mean.data() + static_cast<std::size_t>(to) * vars;
      for (int i = 0; i < nv; ++i) {
        mk[i] = (mk[i] * nk - x[i]) / (nk - 1);
        mj[i] = (mj[i] * nj + x[i]) / (nj + 1);
      }
      setColumn(k);
      setColumn(to);
      measureAway(k);
      measureAway(to);
      --size[static_cast<std::size_t>(k)];
      ++size[static_cast<std::size_t>(to)];
      labels[c] = static_cast<std::int8_t>(to + 1);
      ++moved;
    }
    moves += moved;
    if (moved == 0 || gain < enough) break;
  }
  for (int k = 0; k < n; ++k)
    if (size[static_cast<std::size_t>(k)] > 0) {
      const double* m = mean.data() + static_cast<std::size_t>(k) * vars;
      float* w = ws.Prototypes.row(k + 1);
      for (int i = 0; i < nv; ++i) w[i] = static_cast<float>(m[i]);
    }
  return moves;
}

namespace {

// Passes of single-case moves at most, for one set of moves.
constexpr int MovePasses = 10;

// Lloyd iterations from the current prototypes and their classes (labels,
// dist, sum), at most limit; a set that does not lower the sum is taken
// back. Returns the iterations kept and whether the classes settled. With
// slowFall > 0 it also ends after an iteration that lowered the sum by less
// than that fraction of it.
struct Descent {
  int iterations = 0;
  bool settled = false;
  bool slowed = false;  // an iteration lowered the sum by less than slowFall of it
};
// `lower` holds the bounds of assignNear for the current prototypes and
// labels, or nothing; it is kept up to date.
Descent descend(Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                Bounds& lower, double& sum, int limit, int threads,
                const std::function<void(int)>& kept, double slowFall = 0) {
  const int n = ws.NumPrototypes;
  std::vector<std::int8_t> nextLabels;
  std::vector<double> nextDist;
  Bounds nextLower;
  std::vector<float> saved(static_cast<std::size_t>(n) * MaxVars);
  Descent out;
  while (out.iterations < limit) {
    for (int k = 1; k <= n; ++k)
      std::copy(ws.Prototypes.row(k), ws.Prototypes.row(k) + ws.NumVars, saved.data() + (k - 1) * MaxVars);
    const int refilled = MoveToMeans(ws, labels, dist, threads);
    const bool bounded = !labels.empty() && lower.size() == labels.size() * static_cast<std::size_t>(n);
    const Prior prior{labels, lower, bounded ? shiftFrom(ws, saved) : std::vector<double>()};
    const double next = assignNear(ws, nextLabels, nextDist, &nextLower, bounded ? &prior : nullptr, threads);
    // Rounding of the means can leave a set no better than the last one (or
    // one that only trades cases at equal distances): the last one stays,
    // with its classes.
    if (next > sum || (next == sum && refilled == 0 && nextLabels != labels)) {
      for (int k = 1; k <= n; ++k)
        std::copy(saved.data() + (k - 1) * MaxVars, saved.data() + (k - 1) * MaxVars + ws.NumVars, ws.Prototypes.row(k));
      out.settled = true;
      break;
    }
    ++out.iterations;
    const bool same = nextLabels == labels;
    labels.swap(nextLabels);
    dist.swap(nextDist);
    lower.swap(nextLower);
    const bool slow = sum - next < slowFall * sum;
    sum = next;
    if (kept) kept(out.iterations);
    if (same && refilled == 0) {
      out.settled = true;
      break;
    }
    if (slow) {
      out.slowed = true;
      break;
    }
  }
  return out;
}

struct Pair {
  int removed, split;  // 0-based prototypes
};

// The prototypes by rising removal cost and by falling split gain (the
// lower number first on ties).
std::pair<std::vector<int>, std::vector<int>> candidateOrders(const std::vector<double>& cost,
                                                              const std::vector<ClassSplit>& splits) {
  const int n = static_cast<int>(cost.size());
  std::vector<int> byCost(static_cast<std::size_t>(n)), byGain(static_cast<std::size_t>(n));
  std::iota(byCost.begin(), byCost.end(), 0);
  std::iota(byGain.begin(), byGain.end(), 0);
  std::stable_sort(byCost.begin(), byCost.end(), [&](int a, int b) { return cost[static_cast<std::size_t>(a)] < cost[static_cast<std::size_t>(b)]; });
  std::stable_sort(byGain.begin(), byGain.end(), [&](int a, int b) {
    return splits[static_cast<std::size_t>(a)].gain > splits[static_cast<std::size_t>(b)].gain;
  });
  return {byCost, byGain};
}

// The swap pairs of one round: the cheapest removal with the best split
// while the split gains more than the removal costs, each prototype in one
// pair at most (the lower number first on ties).
std::vector<Pair> swapPairs(const std::vector<double>& cost, const std::vector<ClassSplit>& splits) {
  const int n = static_cast<int>(cost.size());
  const auto [byCost, byGain] = candidateOrders(cost, splits);
  std::vector<bool> used(static_cast<std::size_t>(n), false);
  std::vector<Pair> pairs;
  std::size_t r = 0, s = 0;
  while (true) {
    while (r < byCost.size() && used[static_cast<std::size_t>(byCost[r])]) ++r;
    if (r == byCost.size()) break;
    const int removed = byCost[r];
    used[static_cast<std::size_t>(removed)] = true;
    while (s < byGain.size() && used[static_cast<std::size_t>(byGain[s])]) ++s;
    if (s == byGain.size()) break;
    const int split = byGain[s];
    if (!(splits[static_cast<std::size_t>(split)].gain > cost[static_cast<std::size_t>(removed)])) break;
    used[static_cast<std::size_t>(split)] = true;
    pairs.push_back({removed, split});
  }
  return pairs;
}

// The pairs of the WideChoices cheapest removals and the WideChoices best
// splits (a prototype never both), by the promised gain less the cost, the
// best first (ties: the order of the removals, then of the splits).
constexpr int WideChoices = 3;
constexpr double WideSearchSize = 5e6;  // cases x variables x prototypes
std::vector<Pair> widePairs(const std::vector<double>& cost, const std::vector<ClassSplit>& splits) {
  const int n = static_cast<int>(cost.size());
  const auto [byCost, byGain] = candidateOrders(cost, splits);
  std::vector<Pair> pairs;
  std::vector<double> promise;
  for (int r = 0; r < std::min(n, WideChoices); ++r)
    for (int g = 0; g < std::min(n, WideChoices); ++g) {
      const int removed = byCost[static_cast<std::size_t>(r)], split = byGain[static_cast<std::size_t>(g)];
      if (removed == split || !(splits[static_cast<std::size_t>(split)].gain > 0)) continue;
      pairs.push_back({removed, split});
      promise.push_back(splits[static_cast<std::size_t>(split)].gain - cost[static_cast<std::size_t>(removed)]);
    }
  std::vector<std::size_t> order(pairs.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return promise[a] > promise[b]; });
  std::vector<Pair> out;
  for (std::size_t i : order) out.push_back(pairs[i]);
  return out;
}

}  // namespace

RefineResult RefinePrototypes(Workspace& ws, int limit, int threads,
                              const std::function<void(const RefineStep&)>& report) {
  RefineResult out;
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  Bounds lower;  // assignNear's bounds for the current prototypes
  double sum = assignNear(ws, out.labels, out.dist, &lower, nullptr, threads);
  report({RefineStep::Start, 0, 0, 0, out.dist});
  auto listed = [&](int i) { report({RefineStep::Iteration, out.iterations + i, 0, 0, out.dist}); };
  // The last iterations of a descent move the prototypes little; when a
  // swap helps they would be wasted, so the swap rounds start as soon as the
  // descent slows down, and the descent goes on after them.
  const Descent first = descend(ws, out.labels, out.dist, lower, sum, limit, threads, listed, n < 2 ? 0.0 : FirstSlowFall);
  out.iterations = first.iterations;
  out.settled = first.settled;
  if (!out.settled && !first.slowed) return out;

  std::vector<float> saved(static_cast<std::size_t>(n) * MaxVars);
  // Moves the first `take` pairs' prototypes and settles the classes; keeps
  // the round when the sum fell, else puts the prototypes back.
  auto tryPairs = [&](const std::vector<Pair>& pairs, std::size_t take, const std::vector<ClassSplit>& splits) {
    for (int k = 1; k <= n; ++k)
      std::copy(ws.Prototypes.row(k), ws.Prototypes.row(k) + nv, saved.data() + (k - 1) * MaxVars);
    for (std::size_t p = 0; p < take; ++p) {
      const ClassSplit& s = splits[static_cast<std::size_t>(pairs[p].split)];
      std::copy(s.lower.begin(), s.lower.end(), ws.Prototypes.row(pairs[p].removed + 1));
      std::copy(s.upper.begin(), s.upper.end(), ws.Prototypes.row(pairs[p].split + 1));
    }
    std::vector<std::int8_t> labels;
    std::vector<double> dist;
    Bounds bounds;
    double next = assignNear(ws, labels, dist, &bounds, nullptr, threads);
    const Descent d = descend(ws, labels, dist, bounds, next, SwapIterations, threads, nullptr);
    if (next < sum) {
      sum = next;
      out.labels.swap(labels);
      out.dist.swap(dist);
      lower.swap(bounds);
      ++out.swaps;
      report({RefineStep::Swap, out.swaps, static_cast<int>(2 * take), d.iterations, out.dist});
      return true;
    }
    for (int k = 1; k <= n; ++k)
      std::copy(saved.data() + (k - 1) * MaxVars, saved.data() + (k - 1) * MaxVars + nv, ws.Prototypes.row(k));
    return false;
  };
  // Small data afford a wider search: when no pair promises a gain, or the
  // promising ones fail, pairs of the cheapest removals and the best splits
  // are tried one by one, the most promising first (the estimates miss what
  // the iterations after a swap win).
  const bool wide = static_cast<double>(ws.NumCases) * nv * n <= WideSearchSize;
  for (int round = 1; round <= n; ++round) {
    const std::vector<ClassSplit> splits = SplitClasses(ws, out.labels, out.dist, threads);
    const std::vector<double> cost = RemovalCosts(ws, out.labels, out.dist, threads);
    const std::vector<Pair> all = swapPairs(cost, splits);
    bool kept = false;
    for (std::size_t take = all.size(); take >= 1 && !kept; take = take > 1 ? 1 : 0) kept = tryPairs(all, take, splits);
    if (!kept && wide) {
      const std::vector<Pair> more = widePairs(cost, splits);
      for (std::size_t p = 0; p < more.size() && !kept; ++p) {
        if (!all.empty() && more[p].removed == all[0].removed && more[p].split == all[0].split) continue;
        kept = tryPairs({more[p]}, 1, splits);
      }
    }
    if (!kept) break;
  }
  bool slowed = false;
  if (!out.settled || out.swaps > 0) {
    // The listed iterations go on within the same limit, until the classes
    // settle or, with more than one prototype, the fall slows down again.
    const Descent last = descend(ws, out.labels, out.dist, lower, sum, limit - out.iterations, threads, listed,
                                 n < 2 ? 0.0 : SlowFall);
    out.iterations += last.iterations;
    out.settled = last.settled;
    slowed = last.slowed;
  }
  // Where the iterations settle or crawl, cases can still fit another class
  // better once its mean moves towards them: single-case moves, then the
  // iterations from the classes they leave, kept while the sum falls.
  for (int set = 1; (out.settled || slowed) && n >= 2; ++set) {
    for (int k = 1; k <= n; ++k)
      std::copy(ws.Prototypes.row(k), ws.Prototypes.row(k) + nv, saved.data() + (k - 1) * MaxVars);
    std::vector<std::int8_t> labels = out.labels;
    const int moved = SingleCaseMoves(ws, labels, MovePasses, SlowFall * sum);
    std::vector<double> dist;
    Bounds bounds;
    const double next = moved == 0 ? sum : assignNear(ws, labels, dist, &bounds, nullptr, threads);
    if (!(next < sum)) {
      for (int k = 1; k <= n; ++k)
        std::copy(saved.data() + (k - 1) * MaxVars, saved.data() + (k - 1) * MaxVars + nv, ws.Prototypes.row(k));
      break;
    }
    const bool small = sum - next < SlowFall * sum;
    sum = next;
    out.labels.swap(labels);
    out.dist.swap(dist);
    lower.swap(bounds);
    out.moves += moved;
    report({RefineStep::Moves, set, moved, 0, out.dist});
    const Descent more = descend(ws, out.labels, out.dist, lower, sum, limit - out.iterations, threads, listed, SlowFall);
    out.iterations += more.iterations;
    out.settled = more.settled;
    slowed = more.slowed;
    // A set that gained little ends them.
    if (small) break;
  }
  if (!out.settled && slowed) {
    // The moves found nothing more: the iterations end where the classes
    // settle.
    const Descent last = descend(ws, out.labels, out.dist, lower, sum, limit - out.iterations, threads, listed);
    out.iterations += last.iterations;
    out.settled = last.settled;
  }
  return out;
}

}  // namespace volmar
