#include "core/SubtractiveClustering.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace volmar {

namespace {

typedef double v4d __attribute__((vector_size(32)));

// Rows 1..n of DataMatrix as doubles, columns padded with zeros to a
// multiple of four, each row 32-byte aligned.
struct DoubleRows {
  DoubleRows(const Workspace& ws) : n(ws.NumCases), stride((ws.NumVars + 3) / 4 * 4) {
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(stride);
    data.reset(static_cast<double*>(std::aligned_alloc(64, std::max<std::size_t>(64, (count * sizeof(double) + 63) / 64 * 64))));
    for (int i = 0; i < n; ++i) {
      const float* src = ws.DataMatrix.row(i + 1);
      double* dst = row(i);
      for (int v = 0; v < stride; ++v) dst[v] = v < ws.NumVars ? static_cast<double>(src[v]) : 0.0;
    }
  }
  double* row(int i) const { return data.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride); }
  struct Free {
    void operator()(double* p) const { std::free(p); }
  };
  int n, stride;
  std::unique_ptr<double, Free> data;
};

// Squared distance of two padded rows; `quads` groups of four doubles.
// Stops early, with a value of at least `limit`, once the partial sum
// exceeds it: the sum of non-negative terms can only grow.
#define VOLMAR_DISTANCE_BODY                                             \
  v4d acc = {0, 0, 0, 0};                                                \
  int q = 0;                                                             \
  while (q < quads) {                                                    \
    const int stop = std::min(quads, q + 8);                             \
    for (; q < stop; ++q) {                                              \
      v4d x, y;                                                          \
      std::memcpy(&x, a + 4 * q, sizeof x);                              \
      std::memcpy(&y, b + 4 * q, sizeof y);                              \
      const v4d diff = x - y;                                            \
      acc += diff * diff;                                                \
    }                                                                    \
    const double partial = (acc[0] + acc[1]) + (acc[2] + acc[3]);        \
    if (partial > limit) return partial;                                 \
  }                                                                      \
  return (acc[0] + acc[1]) + (acc[2] + acc[3]);

double distanceGeneric(const double* a, const double* b, int quads, double limit) {
  VOLMAR_DISTANCE_BODY
}

__attribute__((target("avx2"))) double distanceAvx2(const double* a, const double* b, int quads,
                                                    double limit) {
  VOLMAR_DISTANCE_BODY
}

// One pass of a tile pair: terms of cases i in [i0, i1) with j in [j0, j1).
// rowAcc[i - i0] and colAcc[j - j0] collect the terms in loop order.
#define VOLMAR_TILE_BODY(DIST)                                                           \
  const int quads = rows.stride / 4;                                                     \
  const double limit = ExpUnderflowArgument / alpha;                                     \
  for (int i = i0; i < i1; ++i) {                                                        \
    const double* a = rows.row(i);                                                       \
    double rowSum = diagonal ? rowAcc[i - i0] : 0.0;                                     \
    if (diagonal) rowSum += 1.0; /* the case itself */                                   \
    for (int j = diagonal ? i + 1 : j0; j < j1; ++j) {                                   \
      const double d = DIST(a, rows.row(j), quads, limit);                               \
      const double x = alpha * d;                                                        \
      const double e = x > ExpUnderflowArgument ? 0.0 : std::exp(-x);                   \
      rowSum += e;                                                                       \
      colAcc[j - j0] += e;                                                               \
    }                                                                                    \
    rowAcc[i - i0] = rowSum;                                                             \
  }

void tileGeneric(const DoubleRows& rows, double alpha, int i0, int i1, int j0, int j1, bool diagonal,
                 double* rowAcc, double* colAcc) {
  VOLMAR_TILE_BODY(distanceGeneric)
}

__attribute__((target("avx2"))) void tileAvx2(const DoubleRows& rows, double alpha, int i0, int i1,
                                              int j0, int j1, bool diagonal, double* rowAcc,
                                              double* colAcc) {
  VOLMAR_TILE_BODY(distanceAvx2)
}

bool haveAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}

double pairDistance(const DoubleRows& rows, int i, int j) {
  const int quads = rows.stride / 4;
  const double inf = HUGE_VAL;
  return haveAvx2() ? distanceAvx2(rows.row(i), rows.row(j), quads, inf)
                    : distanceGeneric(rows.row(i), rows.row(j), quads, inf);
}

}  // namespace

void subtractivePotentials(const Workspace& ws, double alpha, std::vector<double>& potentials,
                           int threads) {
  const int n = ws.NumCases;
  potentials.assign(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  if (n <= 0) return;
  const DoubleRows rows(ws);
  const int tiles = (n + PotentialTile - 1) / PotentialTile;
  // partial[i * tiles + t]: the terms of case i with the cases of tile t.
  std::vector<double> partial(static_cast<std::size_t>(n) * static_cast<std::size_t>(tiles), 0.0);
  // Tasks: the tile pairs (a <= b), numbered row by row.
  std::vector<std::pair<int, int>> tasks;
  tasks.reserve(static_cast<std::size_t>(tiles) * static_cast<std::size_t>(tiles + 1) / 2);
  for (int a = 0; a < tiles; ++a)
    for (int b = a; b < tiles; ++b) tasks.emplace_back(a, b);

  std::atomic<std::size_t> next{0};
  auto work = [&] {
    double rowAcc[PotentialTile];
    double colAcc[PotentialTile];
    const bool avx2 = haveAvx2();
    for (;;) {
      const std::size_t k = next.fetch_add(1, std::memory_order_relaxed);
      if (k >= tasks.size()) return;
      const auto [a, b] = tasks[k];
      const int i0 = a * PotentialTile, i1 = std::min(n, i0 + PotentialTile);
      const int j0 = b * PotentialTile, j1 = std::min(n, j0 + PotentialTile);
      const bool diagonal = a == b;
      std::fill(rowAcc, rowAcc + PotentialTile, 0.0);
      std::fill(colAcc, colAcc + PotentialTile, 0.0);
      if (avx2)
        tileAvx2(rows, alpha, i0, i1, j0, j1, diagonal, rowAcc, diagonal ? rowAcc : colAcc);
      else
        tileGeneric(rows, alpha, i0, i1, j0, j1, diagonal, rowAcc, diagonal ? rowAcc : colAcc);
      // Each cell of `partial` is written by exactly one task.
      for (int i = i0; i < i1; ++i)
        partial[static_cast<std::size_t>(i) * tiles + static_cast<std::size_t>(b)] = rowAcc[i - i0];
      if (!diagonal)
        for (int j = j0; j < j1; ++j)
          partial[static_cast<std::size_t>(j) * tiles + static_cast<std::size_t>(a)] = colAcc[j - j0];
    }
  };
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::min<int>(threads, static_cast<int>(tasks.size()));
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& th : pool) th.join();

  for (int i = 0; i < n; ++i) {
    double p = 0;
    const double* cells = partial.data() + static_cast<std::size_t>(i) * tiles;
    for (int t = 0; t < tiles; ++t) p += cells[t];
    potentials[static_cast<std::size_t>(i)] = p;
  }
}

double clusterDistance(const Workspace& ws, int i, int j) {
  // Small and rare: build the two rows on the spot.
  alignas(32) double a[VarStride];
  alignas(32) double b[VarStride];
  const int stride = (ws.NumVars + 3) / 4 * 4;
  for (int v = 0; v < stride; ++v) {
    a[v] = v < ws.NumVars ? static_cast<double>(ws.DataMatrix(i, v + 1)) : 0.0;
    b[v] = v < ws.NumVars ? static_cast<double>(ws.DataMatrix(j, v + 1)) : 0.0;
  }
  const double inf = HUGE_VAL;
  return haveAvx2() ? distanceAvx2(a, b, stride / 4, inf) : distanceGeneric(a, b, stride / 4, inf);
}

void reducePotentials(const Workspace& ws, std::vector<double>& potentials, int m, double pstar,
                      double beta) {
  const DoubleRows rows(ws);
  for (int i = 0; i < rows.n; ++i)
    potentials[static_cast<std::size_t>(i)] -= pstar * std::exp(-beta * pairDistance(rows, i, m - 1));
}

}  // namespace volmar
