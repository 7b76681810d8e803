#include <gtest/gtest.h>

#include <cmath>

#include "EngineFixtures.h"
#include "core/Distances.h"
#include "core/Sammon.h"

using namespace volmar;
using namespace volmar::testing;

namespace {

double PlaneDistance(const Workspace& ws, int a, int b) {
  return std::hypot(ws.SammonX[a] - ws.SammonX[b], ws.SammonY[a] - ws.SammonY[b]);
}

// The stress recomputed from the coordinates the projection left.
double Stress(const Workspace& ws) {
  double num = 0, den = 0;
  for (int p = 2; p <= ws.NumPrototypes; ++p)
    for (int j = 1; j < p; ++j) {
      const double target = std::sqrt(PrototypeDistance(ws, p, j));
      const double diff = target - PlaneDistance(ws, p, j);
      num += diff * diff / (target == 0 ? 1.0 : target);
      den += target;
    }
  return num / den;
}

std::unique_ptr<Workspace> WithPrototypes(const std::vector<std::vector<float>>& rows,
                                          std::uint32_t seed) {
  auto ws = MakeWorkspace();
  ws->NumVars = static_cast<int>(rows.front().size());
  SetPrototypes(*ws, rows);
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(seed));
  return ws;
}

}  // namespace

TEST(SammonProjection, TwoPrototypesLieSymmetricallyAtTheirDistance) {
  for (std::uint32_t seed : {1u, 77u, 4096u}) {
    auto ws = WithPrototypes({{0, 0, 0}, {1, 2, 2}}, seed);  // distance 3
    const SammonResult r = SammonProjection(*ws);
    EXPECT_NEAR(ws->SammonX[1], -ws->SammonX[2], 1e-12);
    EXPECT_NEAR(ws->SammonY[1], -ws->SammonY[2], 1e-12);
    EXPECT_NEAR(PlaneDistance(*ws, 1, 2), 3.0, 1e-9);
    EXPECT_LT(r.stress, 5e-5);  // shown as 0.0000
    EXPECT_EQ(r.underflowPairs, 0);
    EXPECT_FALSE(r.coincident);
  }
}

TEST(SammonProjection, TriangleThreeFourFiveIsReproducedWithZeroStress) {
  for (std::uint32_t seed : {3u, 11u, 123456u, 99999u, 0u}) {
    auto ws = WithPrototypes({{0, 0, 1}, {3, 0, 1}, {0, 4, 1}}, seed);
    const SammonResult r = SammonProjection(*ws);
    EXPECT_NEAR(PlaneDistance(*ws, 1, 2), 3.0, 1e-6) << "seed " << seed;
    EXPECT_NEAR(PlaneDistance(*ws, 1, 3), 4.0, 1e-6) << "seed " << seed;
    EXPECT_NEAR(PlaneDistance(*ws, 2, 3), 5.0, 1e-6) << "seed " << seed;
    EXPECT_LT(r.stress, 5e-5);
    EXPECT_NEAR(ws->SammonX[1] + ws->SammonX[2] + ws->SammonX[3], 0.0, 1e-12);
    EXPECT_NEAR(ws->SammonY[1] + ws->SammonY[2] + ws->SammonY[3], 0.0, 1e-12);
  }
}

TEST(SammonProjection, StressIsThatOfTheFinalConfiguration) {
  auto ws = WithPrototypes({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}}, 8);
  const SammonResult r = SammonProjection(*ws);
  EXPECT_GT(r.stress, 1e-4);  // a tetrahedron does not fit into the plane
  EXPECT_NEAR(r.stress, Stress(*ws), 1e-12);
}

TEST(SammonProjection, IdenticalPrototypesNeedNoDivisionByZero) {
  auto ws = WithPrototypes({{0, 0}, {3, 0}, {0, 4}, {3, 0}}, 5);
  const SammonResult r = SammonProjection(*ws);
  EXPECT_TRUE(std::isfinite(r.stress));
  for (int k = 1; k <= 4; ++k) {
    EXPECT_TRUE(std::isfinite(ws->SammonX[k]));
    EXPECT_TRUE(std::isfinite(ws->SammonY[k]));
  }
  EXPECT_NEAR(r.stress, Stress(*ws), 1e-12);
  EXPECT_FALSE(r.coincident);
}

TEST(SammonProjection, CoincidingPointsAreReportedAsACountOfSkippedPairs) {
  // Prototypes 2 and 3 are identical and start on the same point: they get the
  // same step every iteration, so the pair is skipped from both ends each time.
  auto ws = WithPrototypes({{0, 0}, {3, 0}, {3, 0}, {0, 4}}, 1);
  const double start[4][2] = {{0.1, 0.9}, {0.5, 0.5}, {0.5, 0.5}, {0.7, 0.6}};
  for (int k = 1; k <= 4; ++k) {
    ws->SammonX[k] = start[k - 1][0];
    ws->SammonY[k] = start[k - 1][1];
  }
  const SammonResult r = SammonFromLayout(*ws);
  EXPECT_EQ(r.underflowPairs, 2 * SammonIterations);
  EXPECT_EQ(PlaneDistance(*ws, 2, 3), 0.0);
  EXPECT_TRUE(std::isfinite(r.stress));
  EXPECT_NEAR(PlaneDistance(*ws, 1, 2), 3.0, 1e-3);
  EXPECT_NEAR(PlaneDistance(*ws, 2, 4), 5.0, 1e-3);

  // Different prototypes that start on one point part after the first step.
  ws->Prototypes(3, 2) = 1;
  for (int k = 1; k <= 4; ++k) {
    ws->SammonX[k] = start[k - 1][0];
    ws->SammonY[k] = start[k - 1][1];
  }
  EXPECT_EQ(SammonFromLayout(*ws).underflowPairs, 2);
}

TEST(SammonProjection, AllPrototypesTogetherGiveOnePointAtTheOrigin) {
  auto ws = WithPrototypes({{2, 5}, {2, 5}, {2, 5}}, 1);
  ws->SammonX[4] = 9;
  const SammonResult r = SammonProjection(*ws);
  EXPECT_TRUE(r.coincident);
  EXPECT_EQ(r.stress, 0.0);
  EXPECT_EQ(r.underflowPairs, 0);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(ws->SammonX[k], 0.0);
    EXPECT_EQ(ws->SammonY[k], 0.0);
  }
  EXPECT_EQ(ws->SammonX[4], 9.0);  // beyond K: left as it was

  auto one = WithPrototypes({{2, 5}}, 1);
  const SammonResult single = SammonProjection(*one);
  EXPECT_TRUE(single.coincident);
  EXPECT_EQ(single.stress, 0.0);
  EXPECT_EQ(one->SammonX[1], 0.0);
}

TEST(SammonProjection, ReseedsFromTheSeedSourceEveryCall) {
  auto ws = WithPrototypes({{0, 0, 1}, {3, 0, 2}, {0, 4, 0}, {1, 1, 1}}, 500);
  SammonProjection(*ws);
  const double firstX = ws->SammonX[1];
  EXPECT_EQ(ws->Rng.state() != 500u, true);
  SammonProjection(*ws);  // seed 501: another start, another layout
  EXPECT_NE(ws->SammonX[1], firstX);

  auto again = WithPrototypes({{0, 0, 1}, {3, 0, 2}, {0, 4, 0}, {1, 1, 1}}, 500);
  again->Rng.setSeed(12345);  // the state before the call does not matter
  SammonProjection(*again);
  EXPECT_EQ(again->SammonX[1], firstX);
}

TEST(SammonProjection, StartConfigurationIsDrawnXThenY) {
  // With every target 0 except one pair far apart, the first draws are still
  // taken in the order x1, y1, x2, y2: check the generator advanced by 2K.
  auto ws = WithPrototypes({{0}, {1}, {2}}, 42);
  SammonProjection(*ws);
  RandomGenerator g;
  g.setSeed(42);
  for (int i = 0; i < 6; ++i) g.next();
  EXPECT_EQ(ws->Rng.state(), g.state());
}

TEST(ProjectionBounds, ExtentIsTheLargerOfTheTwoSpreads) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 3;
  ws->SammonX[1] = -1.0, ws->SammonY[1] = 0.5;
  ws->SammonX[2] = 2.0, ws->SammonY[2] = -0.5;
  ws->SammonX[3] = 0.5, ws->SammonY[3] = 0.0;
  ws->SammonX[4] = -100, ws->SammonY[4] = 100;  // beyond K
  const ProjectionBox box = ProjectionBounds(*ws);
  EXPECT_EQ(box.minX, -1.0f);
  EXPECT_EQ(box.minY, -0.5f);
  EXPECT_EQ(box.extent, 3.0f);
  ws->SammonY[3] = 4.0;
  EXPECT_EQ(ProjectionBounds(*ws).extent, 4.5f);
}
