#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <vector>

#include "EngineFixtures.h"
#include "core/CalcSubs.h"

using namespace volmar;
using namespace volmar::testing;

namespace {

struct Outcome {
  std::vector<std::uint32_t> prototypeBits;
  std::vector<int> labels;
  std::vector<int> classSizes;
  std::vector<double> sums;      // best seeding, then one per epoch
  std::vector<double> stresses;  // one per epoch
  std::vector<int> adjacency;
  std::vector<double> layout;
  float wssi = 0;
  std::uint32_t rngState = 0;
};

// One replication as the training run performs it, from the public routines:
// seeding trials, epochs of presentations each followed by the sum of
// distances and a projection, then classification and the fit index.
Outcome RunReplication(bool oneStepAtATime, bool neighbors, int kind) {
  auto ws = MakeWorkspace(kind);
  FillRandom(*ws, 400, 9, 31, 0.0f, 4.0f);
  ws->InitLearningRate = 0.3;
  ws->InitNeighborRange = 2;
  ws->InitLifetime = 1;
  ws->NeighborUpdate = neighbors;
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(2024));
  ws->Rng.seedFromClock();

  const int n = 6, trials = 5, epochs = 3;
  ws->NumPrototypes = n;
  const int tmax = *ScheduleLength(ws->NumCases, epochs);
  Outcome out;

  ws->SumDist[n] = 1e13;
  for (int trial = 1; trial <= trials; ++trial) {
    RandomSeed(*ws, n);
    const double d = SumOfMinDistances(*ws);
    if (d < ws->SumDist[n]) {
      ws->SumDist[n] = d;
      for (int k = 1; k <= n; ++k)
        std::copy(ws->Prototypes.row(k), ws->Prototypes.row(k) + ws->NumVars, ws->BestStart.row(k));
    }
  }
  for (int k = 1; k <= n; ++k)
    std::copy(ws->BestStart.row(k), ws->BestStart.row(k) + ws->NumVars, ws->Prototypes.row(k));
  out.sums.push_back(ws->SumDist[n]);
  ws->Adjacency.fill(0);
  ws->EdgeAge.fill(0);

  LearningState st = StartLearning(*ws, tmax);
  for (int e = 1; e <= epochs; ++e) {
    if (oneStepAtATime) {
      for (int s = 0; s < ws->NumCases; ++s) PresentationStep(*ws, st);
    } else {
      PresentCases(*ws, st, ws->NumCases);
    }
    ws->SumDist[n] = SumOfMinDistances(*ws);
    out.sums.push_back(ws->SumDist[n]);
    if (neighbors) out.stresses.push_back(SammonProjection(*ws).stress);
  }
  out.wssi = WSSIndex(*ws).value();
  Classify(*ws, 1);
  CountClassSizes(*ws, 1);

  for (int k = 1; k <= n; ++k)
    for (int v = 1; v <= ws->NumVars; ++v)
      out.prototypeBits.push_back(std::bit_cast<std::uint32_t>(ws->Prototypes(k, v)));
  for (int c = 1; c <= ws->NumCases; ++c) out.labels.push_back(ws->ClassLabels(c, 1));
  for (int k = 1; k <= n; ++k) out.classSizes.push_back(ws->ClassSize[k]);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) out.adjacency.push_back(ws->Adjacency(i, j));
  for (int k = 1; k <= n; ++k) {
    out.layout.push_back(ws->SammonX[k]);
    out.layout.push_back(ws->SammonY[k]);
  }
  out.rngState = ws->Rng.state();
  return out;
}

void ExpectSame(const Outcome& a, const Outcome& b) {
  EXPECT_EQ(a.prototypeBits, b.prototypeBits);
  EXPECT_EQ(a.labels, b.labels);
  EXPECT_EQ(a.classSizes, b.classSizes);
  EXPECT_EQ(a.sums, b.sums);
  EXPECT_EQ(a.stresses, b.stresses);
  EXPECT_EQ(a.adjacency, b.adjacency);
  EXPECT_EQ(a.layout, b.layout);
  EXPECT_EQ(a.wssi, b.wssi);
  EXPECT_EQ(a.rngState, b.rngState);
}

}  // namespace

TEST(Replication, RepeatsBitForBitWithAFixedSeedSource) {
  for (int kind : {DistEuclidean, DistTanimoto})
    for (bool neighbors : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "kind " << kind << ", neighbors " << neighbors);
      const Outcome first = RunReplication(false, neighbors, kind);
      ExpectSame(first, RunReplication(false, neighbors, kind));
      ExpectSame(first, RunReplication(true, neighbors, kind));
    }
}

TEST(Replication, TrainingLowersTheSumOfDistancesAndLearnsAGraph) {
  const Outcome o = RunReplication(false, true, DistEuclidean);
  EXPECT_LT(o.sums.back(), o.sums.front());
  int total = 0;
  for (int s : o.classSizes) total += s;
  EXPECT_EQ(total, 400);
  EXPECT_GT(std::count(o.adjacency.begin(), o.adjacency.end(), 1), 0);
  EXPECT_GT(o.wssi, 0.0f);
  EXPECT_LE(o.wssi, 1.0f);
}
