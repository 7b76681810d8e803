#include "core/SubtractiveClustering.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <immintrin.h>
#include <memory>
#include <thread>

namespace volmar {

namespace {


// Squared distance of two padded rows, `quads` groups of four doubles.
// Lane l (0..3) accumulates the variables l, l + 4, l + 8, ... and each term
// is added with a single rounding: acc := round(acc + diff * diff), the
// product taken exactly (a fused multiply-add), as an extended-precision
// intermediate stored to 64 bits would give. The lanes are joined as
// (l0 + l1) + (l2 + l3).
inline double joinLanes(const double s[4]) { return (s[0] + s[1]) + (s[2] + s[3]); }

double distanceGeneric(const double* a, const double* b, int quads) {
  double s[4] = {0, 0, 0, 0};
  for (int q = 0; q < quads; ++q)
    for (int l = 0; l < 4; ++l) {
      const double d = a[4 * q + l] - b[4 * q + l];
      s[l] = std::fma(d, d, s[l]);
    }
  return joinLanes(s);
}

__attribute__((target("avx2,fma"))) inline double joinVector(__m256d v) {
  double s[4];
  _mm256_storeu_pd(s, v);
  return joinLanes(s);
}

__attribute__((target("avx2,fma"))) double distanceFma(const double* a, const double* b, int quads) {
  __m256d acc = _mm256_setzero_pd();
  for (int q = 0; q < quads; ++q) {
    const __m256d d = _mm256_sub_pd(_mm256_load_pd(a + 4 * q), _mm256_load_pd(b + 4 * q));
    acc = _mm256_fmadd_pd(d, d, acc);
  }
  return joinVector(acc);
}

double termOf(double alpha, double d) {
  const double x = alpha * d;
  return x > ExpUnderflowArgument ? 0.0 : std::exp(-x);
}

}  // namespace
}  // namespace volmar

// The vector exponential of the C library's vector math library (four
// lanes, AVX2), computed lane by lane: a lane's value does not depend on
// the others. Declared for the instruction set it is built for, so that
// every compiler passes the vector in a register, as the library expects.
extern "C" __attribute__((target("avx2,fma"))) __m256d _ZGVdN4v_exp(__m256d);

namespace volmar {
namespace {

// Terms of four distances with the vector exponential; the fast kernel
// forms every term this way, single pairs included, so that a pair's term
// does not depend on where it falls in the loops.
__attribute__((target("avx2,fma"))) __m256d termsOf4(double alpha, __m256d d) {
  const __m256d x = _mm256_mul_pd(_mm256_set1_pd(alpha), d);
  const __m256d far = _mm256_cmp_pd(x, _mm256_set1_pd(ExpUnderflowArgument), _CMP_GT_OQ);
  if (_mm256_movemask_pd(far) == 0xF) return _mm256_setzero_pd();
  // Far lanes would send the library down its slow underflow path: give
  // them 0 instead and clear their results.
  const __m256d arg = _mm256_andnot_pd(far, _mm256_sub_pd(_mm256_setzero_pd(), x));
  return _mm256_andnot_pd(far, _ZGVdN4v_exp(arg));
}

__attribute__((target("avx2,fma"))) double termOf1(double alpha, double d) {
  double e[4];
  _mm256_storeu_pd(e, termsOf4(alpha, _mm256_set1_pd(d)));
  return e[0];
}

// One pass of a tile pair: terms of cases i in [i0, i1) with j in [j0, j1).
// rowAcc[i - i0] and colAcc[j - j0] collect the terms in loop order (for the
// diagonal tile both are the same array and only pairs i < j are taken).
void tileGeneric(const ClusterRows& rows, double alpha, int i0, int i1, int j0, int j1, bool diagonal,
                 double* rowAcc, double* colAcc) {
  const int quads = rows.stride() / 4;
  for (int i = i0; i < i1; ++i) {
    const double* a = rows.row(i);
    double rowSum = diagonal ? rowAcc[i - i0] + 1.0 : 0.0;  // 1: the case itself
    for (int j = diagonal ? i + 1 : j0; j < j1; ++j) {
      const double e = termOf(alpha, distanceGeneric(a, rows.row(j), quads));
      rowSum += e;
      colAcc[j - j0] += e;
    }
    rowAcc[i - i0] = rowSum;
  }
}

// The same with four cases j side by side, so that their accumulations
// overlap; each adds its terms exactly as distanceFma does. The cases j are
// taken in slices small enough to stay in the first-level cache while every
// case i of the tile passes over them; rowAcc still receives its terms in
// increasing j and colAcc in increasing i. The diagonal tile, a small share
// of the work, goes through tileGeneric's loop with this distance.
__attribute__((target("avx2,fma"))) void tileFma(const ClusterRows& rows, double alpha, int i0, int i1,
                                                 int j0, int j1, bool diagonal, double* rowAcc,
                                                 double* colAcc) {
  const int quads = rows.stride() / 4;
  if (diagonal) {
    for (int i = i0; i < i1; ++i) {
      const double* a = rows.row(i);
      double rowSum = rowAcc[i - i0] + 1.0;
      for (int j = i + 1; j < j1; ++j) {
        const double e = termOf1(alpha, distanceFma(a, rows.row(j), quads));
        rowSum += e;
        colAcc[j - j0] += e;
      }
      rowAcc[i - i0] = rowSum;
    }
    return;
  }
  constexpr int Slice = 16;
  for (int js = j0; js < j1; js += Slice) {
    const int je = std::min(j1, js + Slice);
    for (int i = i0; i < i1; ++i) {
      const double* a = rows.row(i);
      double rowSum = rowAcc[i - i0];
      int j = js;
      for (; j + 4 <= je; j += 4) {
        const double* b0 = rows.row(j);
        const double* b1 = rows.row(j + 1);
        const double* b2 = rows.row(j + 2);
        const double* b3 = rows.row(j + 3);
        __m256d s0 = _mm256_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
        for (int q = 0; q < quads; ++q) {
          const __m256d x = _mm256_load_pd(a + 4 * q);
          const __m256d d0 = _mm256_sub_pd(x, _mm256_load_pd(b0 + 4 * q));
          const __m256d d1 = _mm256_sub_pd(x, _mm256_load_pd(b1 + 4 * q));
          const __m256d d2 = _mm256_sub_pd(x, _mm256_load_pd(b2 + 4 * q));
          const __m256d d3 = _mm256_sub_pd(x, _mm256_load_pd(b3 + 4 * q));
          s0 = _mm256_fmadd_pd(d0, d0, s0);
          s1 = _mm256_fmadd_pd(d1, d1, s1);
          s2 = _mm256_fmadd_pd(d2, d2, s2);
          s3 = _mm256_fmadd_pd(d3, d3, s3);
        }
        double e[4];
        _mm256_storeu_pd(e, termsOf4(alpha, _mm256_setr_pd(joinVector(s0), joinVector(s1),
                                                           joinVector(s2), joinVector(s3))));
        for (int k = 0; k < 4; ++k) {
          rowSum += e[k];
          colAcc[j + k - j0] += e[k];
        }
      }
      for (; j < je; ++j) {
        const double e = termOf1(alpha, distanceFma(a, rows.row(j), quads));
        rowSum += e;
        colAcc[j - j0] += e;
      }
      rowAcc[i - i0] = rowSum;
    }
  }
}

std::atomic<bool> genericOnly{false};

bool haveFma() {
  static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return yes && !genericOnly.load(std::memory_order_relaxed);
}

double pairDistance(const ClusterRows& rows, int i, int j) {
  const int quads = rows.stride() / 4;
  return haveFma() ? distanceFma(rows.row(i), rows.row(j), quads)
                   : distanceGeneric(rows.row(i), rows.row(j), quads);
}

}  // namespace

void usePortablePotentialKernel(bool portable) { genericOnly.store(portable); }

ClusterRows::ClusterRows(const Workspace& ws)
    : n_(std::max(ws.NumCases, 0)), stride_((ws.NumVars + 3) / 4 * 4) {
  const std::size_t count = static_cast<std::size_t>(n_) * static_cast<std::size_t>(stride_);
  const std::size_t bytes = std::max<std::size_t>(64, (count * sizeof(double) + 63) / 64 * 64);
  data_.reset(static_cast<double*>(std::aligned_alloc(64, bytes)));
  for (int i = 0; i < n_; ++i) {
    const float* src = ws.DataMatrix.row(i + 1);
    double* dst = data_.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride_);
    for (int v = 0; v < stride_; ++v) dst[v] = v < ws.NumVars ? static_cast<double>(src[v]) : 0.0;
  }
}

void subtractivePotentials(const ClusterRows& rows, double alpha, std::vector<double>& potentials,
                           int threads) {
  const int n = rows.cases();
  potentials.assign(static_cast<std::size_t>(n), 0.0);
  if (n == 0) return;
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
    const bool fast = haveFma();
    for (;;) {
      const std::size_t k = next.fetch_add(1, std::memory_order_relaxed);
      if (k >= tasks.size()) return;
      const auto [a, b] = tasks[k];
      const int i0 = a * PotentialTile, i1 = std::min(n, i0 + PotentialTile);
      const int j0 = b * PotentialTile, j1 = std::min(n, j0 + PotentialTile);
      const bool diagonal = a == b;
      std::fill(rowAcc, rowAcc + PotentialTile, 0.0);
      std::fill(colAcc, colAcc + PotentialTile, 0.0);
      if (fast)
        tileFma(rows, alpha, i0, i1, j0, j1, diagonal, rowAcc, diagonal ? rowAcc : colAcc);
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

double clusterDistance(const ClusterRows& rows, int i, int j) { return pairDistance(rows, i - 1, j - 1); }

void reducePotentials(const ClusterRows& rows, std::vector<double>& potentials, int m, double pstar,
                      double beta) {
  for (int i = 0; i < rows.cases(); ++i)
    potentials[static_cast<std::size_t>(i)] -= pstar * std::exp(-beta * pairDistance(rows, i, m - 1));
}

}  // namespace volmar
