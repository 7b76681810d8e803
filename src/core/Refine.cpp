#include "core/Refine.h"

#include <algorithm>
#include <thread>

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

double AssignCases(const Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                   int threads) {
  const int n = ws.NumPrototypes;
  const int cases = ws.NumCases;
  labels.assign(static_cast<std::size_t>(cases), 0);
  dist.assign(static_cast<std::size_t>(cases), 0.0);
  if (n < 1 || cases < 1) return 0.0;
  detail::PrototypeColumns cols;
  cols.load(ws, n);
  forEachBlock(blockCount(ws), threads, [&](int b) {
    alignas(64) double d[detail::ColumnWidth];
    int k = 1;
    const int last = std::min(cases, (b + 1) * BlockCases);
    for (int c = b * BlockCases + 1; c <= last; ++c) {
      detail::CaseDistances(DistEuclidean, ws.DataMatrix.row(c), cols, d);
      detail::FindNearestIn(d, n, k);
      labels[static_cast<std::size_t>(c - 1)] = static_cast<std::int8_t>(k);
      dist[static_cast<std::size_t>(c - 1)] = d[k - 1];
    }
  });
  double sum = 0;
  for (double x : dist) sum += x;
  return sum;
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

}  // namespace volmar
