#pragma once

// The presentation kernel as it was before the register-held update, the
// vector distances for every lane count, the cached neighbourhood factors,
// the pairwise ranking and the two-pass edge ageing: kept here, unchanged, so that the benchmark can time the current
// kernel against it in the same process. Only for bench_engine.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/Distances.h"
#include "core/EngineKernels.h"
#include "core/FloatRounding.h"
#include "core/NeuralGas.h"

namespace volmar::baseline {

constexpr int Width = 32;
constexpr int Block = 8;

struct Columns {
  float (*w)[Width] = buffers[0];
  alignas(64) double sww[Width];
  int numVars = 0;
  int numProtos = 0;
  int lanes = 0;

  void load(const Workspace& ws, int n) {
    numVars = ws.NumVars;
    numProtos = n;
    lanes = (n + Block - 1) / Block * Block;
    if (lanes == 0) lanes = Block;
    w = buffers[0];
    std::memset(buffers, 0, sizeof buffers);
    for (int k = 0; k < n; ++k) {
      const float* src = ws.Prototypes.row(k + 1);
      for (int i = 0; i < numVars; ++i) w[i][k] = src[i];
    }
  }
  void store(Workspace& ws) const {
    for (int k = 0; k < numProtos; ++k) {
      float* dst = ws.Prototypes.row(k + 1);
      for (int i = 0; i < numVars; ++i) dst[i] = w[i][k];
    }
  }
  float (*spare())[Width] { return w == buffers[0] ? buffers[1] : buffers[0]; }
  void useSpare() { w = spare(); }

  alignas(64) float buffers[2][MaxVars][Width];
};

template <int Lanes>
VOLMAR_INLINE_KERNEL void euclideanLanes(const float* x, int numVars, const float (*w)[Width],
                                         double* out) {
  double acc[Lanes] = {};
  for (int i = 0; i < numVars; ++i) {
    const double xi = x[i];
    for (int l = 0; l < Lanes; ++l) {
      const double t = xi - static_cast<double>(w[i][l]);
      acc[l] += t * t;
    }
  }
  for (int l = 0; l < Lanes; ++l) out[l] = acc[l];
}

VOLMAR_VECTOR_CLONES inline void euclidean(const float* x, const Columns& p, double* out) {
  switch (p.lanes) {
    case 8: euclideanLanes<8>(x, p.numVars, p.w, out); break;
    case 16: euclideanLanes<16>(x, p.numVars, p.w, out); break;
    case 24: euclideanLanes<24>(x, p.numVars, p.w, out); break;
    default: euclideanLanes<32>(x, p.numVars, p.w, out); break;
  }
}

template <int Lanes>
VOLMAR_INLINE_KERNEL void moveLanes(Columns& p, const float* x, const double* factor) {
  double fk[Lanes];
  for (int l = 0; l < Lanes; ++l) fk[l] = factor[l];
  float (*moved)[Width] = p.spare();
  alignas(64) std::int32_t doubt[Lanes] = {};
  const int nv = p.numVars;
  for (int i = 0; i < nv; ++i) {
    const double xi = x[i];
    const float* wi = p.w[i];
    float* out = moved[i];
#pragma GCC unroll 1
    for (int l = 0; l < Lanes; ++l) {
      const double w = wi[l];
      const double s = w + fk[l] * (xi - w);
      out[l] = static_cast<float>(s);
      doubt[l] |= MayNarrowWrongly(s);
    }
  }
  std::int32_t anyDoubt = 0;
  for (int l = 0; l < Lanes; ++l) anyDoubt |= doubt[l];
  if (anyDoubt == 0) [[likely]] {
    p.useSpare();
  } else {
    for (int i = 0; i < nv; ++i) {
      const double xi = x[i];
      for (int l = 0; l < Lanes; ++l) {
        const double w = p.w[i][l];
        p.w[i][l] = SumToFloat(w, fk[l] * (xi - w));
      }
    }
  }
}

VOLMAR_VECTOR_CLONES inline void moveAll(Columns& p, const float* x, const double* factor) {
  switch (p.lanes) {
    case 8: moveLanes<8>(p, x, factor); break;
    case 16: moveLanes<16>(p, x, factor); break;
    case 24: moveLanes<24>(p, x, factor); break;
    default: moveLanes<32>(p, x, factor); break;
  }
}

VOLMAR_VECTOR_CLONES inline void moveOne(Columns& p, const float* x, double factor, int j) {
  for (int i = 0; i < p.numVars; ++i) {
    const double w = p.w[i][j - 1];
    const double delta = factor * (static_cast<double>(x[i]) - w);
    const double s = w + delta;
    p.w[i][j - 1] = MayNarrowWrongly(s) ? SumToFloat(w, delta) : static_cast<float>(s);
  }
}

VOLMAR_VECTOR_CLONES inline bool rankByNearest(const double* d, int n, std::int8_t* ranking, int* rankOf) {
  // Padding entries (infinite f) never come before a real one, so the inner
  // loop can run over the full fixed width and vectorise without a tail.
  alignas(64) double dist[Width];
  alignas(64) float f[Width];
  alignas(64) double key[Width];
  bool usable = true;
  for (int j = 0; j < Width; ++j) {
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
  for (int j = 0; j < Width; ++j) {
    const double fj = f[j];
    key[j] = j < n ? (dist[j] < fj ? dist[j] : fj) : std::numeric_limits<double>::infinity();
  }
  for (int j = 0; j < n; ++j) {
    const double kj = key[j];
    int before = 0;
    for (int i = 0; i < Width; ++i) before += (key[i] < kj) | ((key[i] == kj) & (i < j));
    rankOf[j] = before + 1;
    ranking[before + 1] = static_cast<std::int8_t>(j + 1);
  }
  return true;
}

inline void updateConnections(Workspace& ws, const double& T) {
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
  // Branch-free, as the pattern of edges is irregular; the statements keep
  // their order, which matters when i is the winner itself (a self-loop,
  // whose one entry is then aged twice).
  const std::int8_t maxAge = std::numeric_limits<std::int8_t>::max();
  for (int i = 1; i <= ws.NumPrototypes; ++i) {
    age(w, i) = static_cast<std::int8_t>(age(w, i) + (static_cast<int>(adj(w, i) > 0) & (age(w, i) < maxAge)));
    age(i, w) = static_cast<std::int8_t>(age(i, w) + (static_cast<int>(adj(i, w) > 0) & (age(i, w) < maxAge)));
    adj(w, i) = static_cast<std::int8_t>(adj(w, i) - (static_cast<int>(adj(w, i) > 0) & (age(w, i) > T)));
    adj(i, w) = static_cast<std::int8_t>(adj(i, w) - (static_cast<int>(adj(i, w) > 0) & (age(i, w) > T)));
  }
}

inline double scheduled(double start, long double logRatio, int t, int tmax) {
  const long double e = tmax > 0 ? logRatio * t / tmax : logRatio;
  return static_cast<double>(static_cast<long double>(start) * std::exp(e));
}

inline double neighborhood(int r, double lambda) {
  if (r == 1) return 1.0;
  if (!(lambda > 0)) return 0.0;
  return std::exp(static_cast<double>(1 - r) / lambda);
}

inline void finishStep(Workspace& ws, LearningState& st) {
  st.t += 1;
  if (ws.NeighborUpdate) {
    if (ws.NumPrototypes >= 2) updateConnections(ws, st.T);
    st.lambda = scheduled(ws.InitNeighborRange, st.logLambda, st.t, st.tmax);
    st.T = scheduled(ws.InitLifetime, st.logT, st.t, st.tmax);
  }
  st.eps = scheduled(ws.InitLearningRate, st.logEps, st.t, st.tmax);
}

// Squared Euclidean distance only, as the benchmark uses it.
inline void PresentCases(Workspace& ws, LearningState& st, int count) {
  const int n = ws.NumPrototypes;
  if (n < 1 || ws.NumCases < 1 || count < 1) return;
  static Columns cols;  // about 26 kB; the benchmark is single-threaded
  cols.load(ws, n);
  alignas(64) double d[Width];
  alignas(64) double factor[Width];
  alignas(64) double h[Width + 1];
  int rankOf[Width];
  std::int8_t ranking[Width + 1];
  int next = DrawCase(ws);
  for (int step = 0; step < count; ++step) {
    const float* x = ws.DataMatrix.row(next);
    if (step + 1 < count) {
      next = DrawCase(ws);
      const char* row = reinterpret_cast<const char*>(ws.DataMatrix.row(next));
      for (int b = 0; b < ws.NumVars * static_cast<int>(sizeof(float)); b += 64)
        __builtin_prefetch(row + b);
    }
    euclidean(x, cols, d);
    if (!ws.NeighborUpdate) {
      detail::FindNearestIn(d, n, st.nearest);
      ranking[1] = static_cast<std::int8_t>(st.nearest);
      d[st.nearest - 1] = DistanceLimit;
      moveOne(cols, x, st.eps * neighborhood(1, st.lambda), st.nearest);
    } else if (rankByNearest(d, n, ranking, rankOf)) {
      for (int r = 1; r <= n; ++r) h[r] = neighborhood(r, st.lambda);
      std::fill(factor, factor + Width, 0.0);
      for (int k = 0; k < n; ++k) factor[k] = st.eps * h[rankOf[k]];
      moveAll(cols, x, factor);
      std::fill(d, d + n, DistanceLimit);
      st.nearest = ranking[n];
    } else {
      for (int r = 1; r <= n; ++r) {
        detail::FindNearestIn(d, n, st.nearest);
        ranking[r] = static_cast<std::int8_t>(st.nearest);
        d[st.nearest - 1] = DistanceLimit;
        moveOne(cols, x, st.eps * neighborhood(r, st.lambda), st.nearest);
      }
    }
    std::copy(ranking + 1, ranking + 1 + (ws.NeighborUpdate ? n : 1), ws.Ranking.data());
    finishStep(ws, st);
  }
  cols.store(ws);
  std::copy(d, d + n, ws.Dist.data());
}

}  // namespace volmar::baseline
