#include "core/PairComparison.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace volmar {

std::uint64_t PairCounts::pairs() const {
  std::uint64_t p = 0;
  for (int a = 0; a <= replications; ++a) p += pairsWithHits[static_cast<std::size_t>(a)];
  return p;
}

std::uint64_t PairCounts::totalHits() const {
  std::uint64_t h = 0;
  for (int a = 0; a <= replications; ++a) h += static_cast<std::uint64_t>(a) * pairsWithHits[static_cast<std::size_t>(a)];
  return h;
}

std::uint64_t PairCounts::pairsDeviating(int d) const {
  if (d < 0 || d > replications / 2) return 0;
  const int other = replications - d;
  std::uint64_t h = pairsWithHits[static_cast<std::size_t>(d)];
  if (other != d) h += pairsWithHits[static_cast<std::size_t>(other)];
  return h;
}

std::uint64_t PairCounts::totalDeviations() const {
  std::uint64_t sum = 0;
  for (int d = 1; d <= replications / 2; ++d) sum += static_cast<std::uint64_t>(d) * pairsDeviating(d);
  return sum;
}

namespace {

// Groups of rows handled by one task, and cases compared per block (the
// block's slice of every replication stays in the core's caches while the
// task's rows pass over it).
constexpr int TaskRows = 32;
constexpr int BlockCases = 1024;
constexpr int Vector = 32;   // bytes per AVX2 comparison
constexpr int Unroll = 128;  // cases per pass of the AVX2 kernel

struct FreeBytes {
  void operator()(void* p) const { std::free(p); }
};

// The distinct label rows, replication by replication.
struct Layout {
  int reps = 0;
  int groups = 0;  // distinct rows
  std::size_t stride = 0;  // bytes from one replication's column to the next
  std::unique_ptr<std::uint8_t, FreeBytes> cols;  // cols[r * stride + g]
  std::vector<std::uint32_t> weight;              // cases per group, 0 beyond
  std::vector<const std::int8_t*> row;            // the group's labels
  std::uint64_t pairsInsideGroups = 0;

  const std::uint8_t* column(int r) const { return cols.get() + static_cast<std::size_t>(r) * stride; }
};

Layout makeLayout(const Workspace& ws, int n, int R) {
  Layout L;
  L.reps = R;
  std::unordered_map<std::string_view, int> index;
  index.reserve(static_cast<std::size_t>(n) * 2);
  for (int c = 1; c <= n; ++c) {
    const std::int8_t* labels = ws.ClassLabels.row(c);
    const std::string_view key(reinterpret_cast<const char*>(labels), static_cast<std::size_t>(R));
    const auto [it, fresh] = index.try_emplace(key, L.groups);
    if (fresh) {
      L.row.push_back(labels);
      L.weight.push_back(0);
      ++L.groups;
    }
    ++L.weight[static_cast<std::size_t>(it->second)];
  }
  for (std::uint32_t w : L.weight) L.pairsInsideGroups += static_cast<std::uint64_t>(w) * (w - 1) / 2;
  // Room for a full pass of the vector kernel beyond the last group.
  L.stride = static_cast<std::size_t>((L.groups + Vector - 1) / Vector * Vector + Unroll);
  const std::size_t bytes = std::max<std::size_t>(64, static_cast<std::size_t>(R) * L.stride);
  L.cols.reset(static_cast<std::uint8_t*>(std::aligned_alloc(64, (bytes + 63) / 64 * 64)));
  std::memset(L.cols.get(), 0, bytes);
  for (int g = 0; g < L.groups; ++g)
    for (int r = 0; r < R; ++r)
      L.cols.get()[static_cast<std::size_t>(r) * L.stride + static_cast<std::size_t>(g)] =
          static_cast<std::uint8_t>(L.row[static_cast<std::size_t>(g)][r]);
  L.weight.resize(L.stride, 0);
  return L;
}

// counts[j - v0] := number of replications in which group j has the labels
// `labels` has, for j = v0 .. at least v1 - 1 (v0 a multiple of Vector).
__attribute__((target("avx2"))) void countAvx2(const Layout& L, const std::int8_t* labels, int v0, int v1,
                                               std::uint8_t* counts) {
  for (int v = v0; v < v1; v += Unroll) {
    __m256i c0 = _mm256_setzero_si256(), c1 = c0, c2 = c0, c3 = c0;
    for (int r = 0; r < L.reps; ++r) {
      const __m256i x = _mm256_set1_epi8(labels[r]);
      const auto* p = reinterpret_cast<const __m256i*>(L.column(r) + v);
      // A match compares to -1: subtracting it counts one.
      c0 = _mm256_sub_epi8(c0, _mm256_cmpeq_epi8(_mm256_load_si256(p), x));
      c1 = _mm256_sub_epi8(c1, _mm256_cmpeq_epi8(_mm256_load_si256(p + 1), x));
      c2 = _mm256_sub_epi8(c2, _mm256_cmpeq_epi8(_mm256_load_si256(p + 2), x));
      c3 = _mm256_sub_epi8(c3, _mm256_cmpeq_epi8(_mm256_load_si256(p + 3), x));
    }
    auto* out = reinterpret_cast<__m256i*>(counts + (v - v0));
    _mm256_store_si256(out, c0);
    _mm256_store_si256(out + 1, c1);
    _mm256_store_si256(out + 2, c2);
    _mm256_store_si256(out + 3, c3);
  }
}

void countPortable(const Layout& L, const std::int8_t* labels, int v0, int v1, std::uint8_t* counts) {
  const int width = v1 - v0;
  std::memset(counts, 0, static_cast<std::size_t>(width));
  for (int r = 0; r < L.reps; ++r) {
    const std::uint8_t x = static_cast<std::uint8_t>(labels[r]);
    const std::uint8_t* p = L.column(r) + v0;
    for (int k = 0; k < width; ++k) counts[k] = static_cast<std::uint8_t>(counts[k] + (p[k] == x));
  }
}

std::atomic<bool> portableOnly{false};

bool useAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes && !portableOnly.load(std::memory_order_relaxed);
}

using Slot = std::array<std::uint64_t, MaxReplications + 1>;

// The pairs of groups i0..i1-1 with every later group.
void runTask(const Layout& L, int i0, int i1, bool avx2, Slot& out) {
  alignas(64) std::uint8_t counts[BlockCases + Unroll];
  // Two tables, alternating by case, so that runs of equal counts do not
  // wait on one another's additions.
  std::uint32_t hist[2][MaxReplications + 1];
  const int m = L.groups;
  const int R = L.reps;
  for (int j0 = (i0 + 1) / Vector * Vector; j0 < m; j0 += BlockCases) {
    const int j1 = std::min(m, j0 + BlockCases);
    for (int i = i0; i < i1; ++i) {
      const int js = std::max(i + 1, j0);
      if (js >= j1) continue;
      const int vs = js / Vector * Vector;
      const std::int8_t* labels = L.row[static_cast<std::size_t>(i)];
      if (avx2)
        countAvx2(L, labels, vs, j1, counts);
      else
        countPortable(L, labels, vs, j1, counts);
      std::memset(hist, 0, sizeof hist);
      const std::uint8_t* c = counts - vs;
      const std::uint32_t* w = L.weight.data();
      int j = js;
      for (; j + 1 < j1; j += 2) {
        hist[0][c[j]] += w[j];
        hist[1][c[j + 1]] += w[j + 1];
      }
      if (j < j1) hist[0][c[j]] += w[j];
      const std::uint64_t wi = L.weight[static_cast<std::size_t>(i)];
      for (int a = 0; a <= R; ++a)
        out[static_cast<std::size_t>(a)] += wi * (static_cast<std::uint64_t>(hist[0][a]) + hist[1][a]);
    }
  }
}

}  // namespace

void usePortablePairKernel(bool portable) { portableOnly.store(portable); }

PairCounts ComparePairs(const Workspace& ws, int numCases, int numReplications,
                        const std::function<void()>& progress, int threads) {
  const int n = std::clamp(numCases, 0, MaxCases);
  const int R = std::clamp(numReplications, 0, MaxReplications);
  PairCounts result;
  result.replications = R;
  if (n < 2) return result;
  const Layout L = makeLayout(ws, n, R);
  result.pairsWithHits[static_cast<std::size_t>(R)] += L.pairsInsideGroups;

  const int tasks = (L.groups + TaskRows - 1) / TaskRows;
  std::vector<Slot> slots(static_cast<std::size_t>(tasks), Slot{});
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  const bool avx2 = useAvx2();
  auto work = [&](bool caller) {
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) return;
      const int t = next.fetch_add(1, std::memory_order_relaxed);
      if (t >= tasks) return;
      const int i0 = t * TaskRows;
      runTask(L, i0, std::min(L.groups, i0 + TaskRows), avx2, slots[static_cast<std::size_t>(t)]);
      if (caller && progress) progress();
    }
  };
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::clamp(threads, 1, std::max(1, tasks));
  std::vector<std::thread> helpers;
  try {
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work, false);
    work(true);
  } catch (...) {
    stop = true;
    for (auto& h : helpers) h.join();
    throw;
  }
  for (auto& h : helpers) h.join();

  for (const Slot& s : slots)
    for (int a = 0; a <= R; ++a) result.pairsWithHits[static_cast<std::size_t>(a)] += s[static_cast<std::size_t>(a)];
  return result;
}

PairCounts ComparePairsPlain(const Workspace& ws, int numCases, int numReplications) {
  const int n = std::clamp(numCases, 0, MaxCases);
  const int R = std::clamp(numReplications, 0, MaxReplications);
  PairCounts result;
  result.replications = R;
  for (int i = 1; i < n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      int a = 0;
      for (int r = 1; r <= R; ++r)
        if (ws.ClassLabels(i, r) == ws.ClassLabels(j, r)) ++a;
      ++result.pairsWithHits[static_cast<std::size_t>(a)];
    }
  }
  return result;
}

}  // namespace volmar
