// The fast pair counts of the comparison over replications against the
// straight double loop and against counts worked out independently.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "core/PairComparison.h"

using namespace volmar;

namespace {

struct Lcg {
  std::uint32_t s;
  std::uint32_t next(std::uint32_t bound) {
    s = s * 1664525u + 1013904223u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(s) * bound) >> 32);
  }
};

// Labels 1..classes drawn at random; with `stable` set, a case keeps one
// class in every replication except where a draw of 1 in 10 moves it, so
// that many rows repeat and the grouping of identical rows is exercised.
void fillLabels(Workspace& ws, int n, int R, int classes, bool stable, std::uint32_t seed) {
  Lcg g{seed};
  for (int c = 1; c <= n; ++c) {
    const int base = 1 + static_cast<int>(g.next(static_cast<std::uint32_t>(classes)));
    for (int r = 1; r <= R; ++r) {
      int label = base;
      if (!stable || g.next(10) == 0) label = 1 + static_cast<int>(g.next(static_cast<std::uint32_t>(classes)));
      ws.ClassLabels(c, r) = static_cast<std::int8_t>(label);
    }
  }
}

}  // namespace

// Sizes around the kernel's vector width (32), pass width (128), block
// (1024) and task (32 rows); odd and even R up to 50; every kernel and a
// few thread counts: the counts are those of the double loop, exactly.
TEST(PairComparison, CountsEqualTheDoubleLoopForEveryKernelAndThreadCount) {
  auto ws = Workspace::create();
  const std::tuple<int, int, int, bool> cases[] = {
      {2, 2, 2, false},   {3, 2, 2, false},     {33, 3, 3, false},   {129, 5, 4, true},
      {1025, 50, 30, false}, {1100, 7, 3, true}, {2100, 50, 5, true}, {700, 49, 2, false},
  };
  for (const auto& [n, R, classes, stable] : cases) {
    fillLabels(*ws, n, R, classes, stable, static_cast<std::uint32_t>(n * 31 + R));
    const PairCounts plain = ComparePairsPlain(*ws, n, R);
    ASSERT_EQ(plain.pairs(), static_cast<std::uint64_t>(n) * (n - 1) / 2);
    for (bool portable : {false, true}) {
      usePortablePairKernel(portable);
      for (int threads : {1, 2, 5})
        EXPECT_EQ(ComparePairs(*ws, n, R, {}, threads), plain)
            << "n=" << n << " R=" << R << " portable=" << portable << " threads=" << threads;
    }
  }
  usePortablePairKernel(false);
}

// Derived counts: d = min(a, R - a), the middle value of an even R counted
// once.
TEST(PairComparison, DeviationsFoldTheHitCountsAroundHalfOfTheReplications) {
  PairCounts p;
  p.replications = 4;
  p.pairsWithHits = {1, 2, 3, 4, 5};  // pairs with a = 0..4
  EXPECT_EQ(p.pairs(), 15u);
  EXPECT_EQ(p.totalHits(), 0u * 1 + 1 * 2 + 2 * 3 + 3 * 4 + 4 * 5);
  EXPECT_EQ(p.pairsDeviating(0), 1u + 5);
  EXPECT_EQ(p.pairsDeviating(1), 2u + 4);
  EXPECT_EQ(p.pairsDeviating(2), 3u);
  EXPECT_EQ(p.pairsDeviating(3), 0u);
  EXPECT_EQ(p.totalDeviations(), 6u + 2 * 3);
  p.replications = 3;  // a = 0..3: d = 0, 1, 1, 0
  EXPECT_EQ(p.pairsDeviating(0), 1u + 4);
  EXPECT_EQ(p.pairsDeviating(1), 2u + 3);
  EXPECT_EQ(p.totalDeviations(), 5u);
}
