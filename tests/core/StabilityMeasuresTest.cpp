#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "core/Random.h"
#include "core/Stability.h"

using namespace volmar;

namespace {

using Labels = std::vector<std::int8_t>;

double ari(const Labels& a, const Labels& b) {
  auto t = std::make_unique<PartitionTable>();
  t->fill(a.data(), b.data(), static_cast<int>(a.size()));
  return AdjustedRandIndex(*t);
}

// The same index counted over the pairs of cases: a pairs together in both,
// b together only in the first, c only in the second, d apart in both.
double ariByPairs(const Labels& x, const Labels& y) {
  double a = 0, b = 0, c = 0, d = 0;
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = i + 1; j < x.size(); ++j) {
      const bool p = x[i] == x[j], q = y[i] == y[j];
      (p && q ? a : p ? b : q ? c : d) += 1;
    }
  const double den = (a + b) * (b + d) + (a + c) * (c + d);
  return den == 0 ? 1.0 : 2 * (a * d - b * c) / den;
}

// The best Jaccard coefficient by sets of case numbers.
double jaccardBySets(const Labels& ref, int m, const Labels& other) {
  std::set<int> a;
  for (std::size_t c = 0; c < ref.size(); ++c)
    if (ref[c] == m) a.insert(static_cast<int>(c));
  double best = 0;
  for (int k = 0; k <= MaxPrototypes; ++k) {
    std::set<int> b, both, either(a);
    for (std::size_t c = 0; c < other.size(); ++c)
      if (other[c] == k) b.insert(static_cast<int>(c));
    for (int c : b) (a.count(c) ? both : either).insert(c);
    if (!either.empty()) best = std::max(best, static_cast<double>(both.size()) / either.size());
  }
  return best;
}

double jaccard(const Labels& ref, int m, const Labels& other) {
  auto t = std::make_unique<PartitionTable>();
  t->fill(ref.data(), other.data(), static_cast<int>(ref.size()));
  return BestJaccard(*t, m);
}

}  // namespace

TEST(PartitionAgreement, AdjustedRandIndexOfHandWorkedTables) {
  // {1,1,1,2,2,2} against {1,1,2,2,3,3}: sum C(n_ij,2) = 2, S = 6, T = 3,
  // C(6,2) = 15, so (2 - 1.2) / (4.5 - 1.2) = 8/33.
  EXPECT_DOUBLE_EQ(ari({1, 1, 1, 2, 2, 2}, {1, 1, 2, 2, 3, 3}), 8.0 / 33.0);
  // The same partition under other numbers.
  EXPECT_DOUBLE_EQ(ari({1, 1, 2, 2, 3}, {3, 3, 1, 1, 2}), 1.0);
  // One segment against two: sum = 2, S = 6, T = 2, C = 6: (2 - 2) / (4 - 2).
  EXPECT_DOUBLE_EQ(ari({1, 1, 1, 1}, {1, 1, 2, 2}), 0.0);
  // Both one segment, both every case alone, fewer than two cases: equal
  // trivial partitions agree fully.
  EXPECT_DOUBLE_EQ(ari({4, 4, 4}, {2, 2, 2}), 1.0);
  EXPECT_DOUBLE_EQ(ari({1, 2, 3}, {3, 1, 2}), 1.0);
  EXPECT_DOUBLE_EQ(ari({1}, {2}), 1.0);
  // Worse than chance is negative: (0 - 1) / (2 - 1) with S = T = 2, C = 6.
  EXPECT_DOUBLE_EQ(ari({1, 1, 2, 2}, {1, 2, 1, 2}), -0.5);
}

TEST(PartitionAgreement, AdjustedRandIndexAgreesWithThePairCountOnRandomPartitions) {
  RandomGenerator rng;
  rng.setSeed(12345);
  for (int round = 0; round < 200; ++round) {
    const int n = 2 + static_cast<int>(rng.next() * 60);
    // 1 to 6 segments drawn from labels 0..30, some of them left empty.
    const int k1 = 1 + static_cast<int>(rng.next() * 6), k2 = 1 + static_cast<int>(rng.next() * 6);
    const int base1 = static_cast<int>(rng.next() * 24), base2 = static_cast<int>(rng.next() * 24);
    Labels a(static_cast<std::size_t>(n)), b(a);
    for (int c = 0; c < n; ++c) {
      a[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(base1 + static_cast<int>(rng.next() * k1));
      // Every third round the second partition is close to the first.
      b[static_cast<std::size_t>(c)] = round % 3 == 0 && rng.next() < 0.8
                                           ? a[static_cast<std::size_t>(c)]
                                           : static_cast<std::int8_t>(base2 + static_cast<int>(rng.next() * k2));
    }
    EXPECT_NEAR(ari(a, b), ariByPairs(a, b), 1e-12) << "round " << round;
    for (int m = 0; m <= MaxPrototypes; ++m)
      EXPECT_DOUBLE_EQ(jaccard(a, m, b), jaccardBySets(a, m, b)) << "round " << round << " segment " << m;
  }
}

TEST(PartitionAgreement, BestJaccardOfHandWorkedSegments) {
  const Labels ref{1, 1, 1, 2, 2, 2}, other{1, 1, 2, 2, 2, 3};
  EXPECT_DOUBLE_EQ(jaccard(ref, 1, other), 2.0 / 3.0);  // {0,1,2} and {0,1}
  EXPECT_DOUBLE_EQ(jaccard(ref, 2, other), 0.5);        // {3,4,5} and {2,3,4}
  EXPECT_DOUBLE_EQ(jaccard(ref, 3, other), 0.0);        // no case: not reproduced
  EXPECT_DOUBLE_EQ(jaccard({5, 5, 5}, 5, {1, 1, 1}), 1.0);  // a single segment
}

TEST(BootstrapFits, DrawThePlannedNumbersAndRepeatFromTheSameState) {
  auto ws = Workspace::create();
  ws->NumCases = 90;
  ws->NumVars = 2;
  for (int c = 1; c <= 90; ++c) {
    const int g = (c - 1) % 3;
    ws->DataMatrix(c, 1) = static_cast<float>(10 * g) + static_cast<float>(c % 7) * 0.1f;
    ws->DataMatrix(c, 2) = static_cast<float>(c % 5) * 0.1f;
  }
  ws->NumTrials = 5;
  ws->NumEpochs = 4;
  ws->DistanceKind = DistEuclidean;
  ws->InitLearningRate = 0.3;
  ws->InitNeighborRange = 2;
  ws->InitLifetime = 1;
  for (bool neighbors : {false, true})
    for (bool refine : {false, true}) {
      ws->NeighborUpdate = neighbors;
      BootstrapFitter fitter(*ws);
      Labels a(90), b(90);
      const std::uint32_t end = fitter.fit(3, 77, refine, a.data());
      EXPECT_EQ(end, JumpAhead(77, BootstrapFitDraws(90, 3, 5, 4)));
      EXPECT_EQ(BootstrapFitDraws(90, 3, 5, 4), 90u + 15u + 360u);
      EXPECT_EQ(fitter.fit(3, 77, refine, b.data()), end);
      EXPECT_EQ(a, b);
      // The three groups are found whatever the sample.
      for (int c = 3; c < 90; ++c) EXPECT_EQ(a[static_cast<std::size_t>(c)], a[static_cast<std::size_t>(c % 3)]);
      std::set<int> used(a.begin(), a.end());
      EXPECT_EQ(used.size(), 3u);
    }
}
