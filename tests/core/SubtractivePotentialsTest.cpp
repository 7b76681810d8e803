#include <gtest/gtest.h>

#include <cmath>

#include "core/SubtractiveClustering.h"

using namespace volmar;

namespace {

void fillRandom(Workspace& ws, int n, int vars, std::uint32_t seed, float scale) {
  ws.NumCases = n;
  ws.NumVars = vars;
  for (int i = 1; i <= n; ++i)
    for (int v = 1; v <= vars; ++v) {
      seed = seed * 134775813u + 1u;
      ws.DataMatrix(i, v) = scale * static_cast<float>(seed >> 8) / 16777216.0f;
    }
}

// The potentials straight from their definition.
std::vector<double> naivePotentials(const Workspace& ws, double alpha) {
  std::vector<double> p(static_cast<std::size_t>(ws.NumCases));
  for (int i = 1; i <= ws.NumCases; ++i) {
    double s = 0;
    for (int j = 1; j <= ws.NumCases; ++j) {
      double d = 0;
      for (int v = 1; v <= ws.NumVars; ++v) {
        const double diff = static_cast<double>(ws.DataMatrix(i, v)) - ws.DataMatrix(j, v);
        d += diff * diff;
      }
      s += std::exp(-alpha * d);
    }
    p[static_cast<std::size_t>(i - 1)] = s;
  }
  return p;
}

}  // namespace

TEST(SubtractivePotentials, MatchTheirDefinition) {
  auto ws = Workspace::create();
  fillRandom(*ws, 300, 7, 5, 1.0f);  // 300 cases: three tiles, the last one partial
  ws->DataMatrix(1, 8) = 99;          // a stale column beyond NumVars must not count
  std::vector<double> p;
  subtractivePotentials(ClusterRows(*ws), 4.0, p, 1);
  const auto q = naivePotentials(*ws, 4.0);
  ASSERT_EQ(p.size(), q.size());
  for (std::size_t i = 0; i < p.size(); ++i) EXPECT_NEAR(p[i], q[i], 1e-12 * q[i]) << i;
}

TEST(SubtractivePotentials, AreTheSameBitForBitOnAnyNumberOfThreads) {
  auto ws = Workspace::create();
  fillRandom(*ws, 1000, 13, 11, 0.5f);
  std::vector<double> one, two, five;
  subtractivePotentials(ClusterRows(*ws), 3.0, one, 1);
  subtractivePotentials(ClusterRows(*ws), 3.0, two, 2);
  subtractivePotentials(ClusterRows(*ws), 3.0, five, 5);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one, five);
}

TEST(SubtractivePotentials, FarPairsAddNothingAndACaseAddsOneToItself) {
  auto ws = Workspace::create();
  ws->NumCases = 3;
  ws->NumVars = 1;
  ws->DataMatrix(1, 1) = 0;
  ws->DataMatrix(2, 1) = 0;
  ws->DataMatrix(3, 1) = 1000;
  std::vector<double> p;
  subtractivePotentials(ClusterRows(*ws), 4.0, p, 2);
  EXPECT_EQ(p, (std::vector<double>{2.0, 2.0, 1.0}));
}

TEST(SubtractivePotentials, ReductionZeroesTheCentre) {
  auto ws = Workspace::create();
  fillRandom(*ws, 20, 3, 3, 1.0f);
  std::vector<double> p;
  subtractivePotentials(ClusterRows(*ws), 4.0, p, 1);
  const double pstar = p[4];
  reducePotentials(ClusterRows(*ws), p, 5, pstar, 6.0);
  EXPECT_EQ(p[4], 0.0);
  EXPECT_EQ(clusterDistance(ClusterRows(*ws), 5, 5), 0.0);
  EXPECT_NEAR(clusterDistance(ClusterRows(*ws), 1, 2),
              std::pow(ws->DataMatrix(1, 1) - ws->DataMatrix(2, 1), 2) +
                  std::pow(ws->DataMatrix(1, 2) - ws->DataMatrix(2, 2), 2) +
                  std::pow(ws->DataMatrix(1, 3) - ws->DataMatrix(2, 3), 2),
              1e-6);
}

TEST(SubtractivePotentials, PortableAndVectorKernelsAgree) {
  auto ws = Workspace::create();
  fillRandom(*ws, 530, 11, 17, 0.3f);
  std::vector<double> vec, portable;
  subtractivePotentials(ClusterRows(*ws), 5.0, vec, 2);
  usePortablePotentialKernel(true);
  subtractivePotentials(ClusterRows(*ws), 5.0, portable, 2);
  const double d = clusterDistance(ClusterRows(*ws), 3, 9);
  usePortablePotentialKernel(false);
  ASSERT_EQ(vec.size(), portable.size());
  for (std::size_t i = 0; i < vec.size(); ++i) EXPECT_NEAR(vec[i], portable[i], 1e-13 * vec[i]) << i;
  // The distance itself is the same to the bit: same lanes, same roundings.
  EXPECT_EQ(d, clusterDistance(ClusterRows(*ws), 3, 9));
}
