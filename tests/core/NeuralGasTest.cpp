#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "EngineFixtures.h"
#include "core/Distances.h"
#include "core/EngineKernels.h"
#include "core/NeuralGas.h"

using namespace volmar;
using namespace volmar::testing;

namespace {

void SetSchedule(Workspace& ws, double eps, double lambda, double lifetime, bool neighbors) {
  ws.InitLearningRate = eps;
  ws.InitNeighborRange = lambda;
  ws.InitLifetime = lifetime;
  ws.NeighborUpdate = neighbors;
}

std::vector<std::vector<float>> Snapshot(const Workspace& ws) {
  std::vector<std::vector<float>> rows;
  for (int k = 1; k <= ws.NumPrototypes; ++k)
    rows.emplace_back(ws.Prototypes.row(k), ws.Prototypes.row(k) + ws.NumVars);
  return rows;
}

bool RowChanged(const Workspace& ws, const std::vector<std::vector<float>>& before, int k) {
  return !std::equal(before[k - 1].begin(), before[k - 1].end(), ws.Prototypes.row(k));
}

void ClearGraph(Workspace& ws) {
  ws.Adjacency.fill(0);
  ws.EdgeAge.fill(0);
}

// Everything a presentation can change, compared bit for bit.
void ExpectSameAfterSteps(const Workspace& a, const LearningState& sa, const Workspace& b,
                          const LearningState& sb) {
  const int n = a.NumPrototypes;
  for (int k = 1; k <= n; ++k)
    for (int v = 1; v <= a.NumVars; ++v)
      ASSERT_EQ(std::bit_cast<std::uint32_t>(a.Prototypes(k, v)),
                std::bit_cast<std::uint32_t>(b.Prototypes(k, v)))
          << "prototype " << k << ", variable " << v;
  const int ranks = a.NeighborUpdate ? n : 1;
  for (int r = 1; r <= ranks; ++r) ASSERT_EQ(a.Ranking[r], b.Ranking[r]) << "rank " << r;
  for (int k = 1; k <= n; ++k) ASSERT_EQ(a.Dist[k], b.Dist[k]) << "Dist " << k;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      ASSERT_EQ(a.Adjacency(i, j), b.Adjacency(i, j));
      ASSERT_EQ(a.EdgeAge(i, j), b.EdgeAge(i, j));
    }
  EXPECT_EQ(sa.t, sb.t);
  EXPECT_EQ(sa.eps, sb.eps);
  EXPECT_EQ(sa.lambda, sb.lambda);
  EXPECT_EQ(sa.T, sb.T);
  EXPECT_EQ(sa.nearest, sb.nearest);
  EXPECT_EQ(a.Rng.state(), b.Rng.state());
}

// Runs `steps` presentations once with PresentCases and once step by step,
// on two workspaces with the same content, and compares them.
void ExpectRunOfStepsEqualsSingleSteps(int kind, bool neighbors, int n, bool whole, float scale,
                                       int steps, std::uint64_t seed) {
  auto a = MakeWorkspace(kind);
  auto b = MakeWorkspace(kind);
  for (auto* ws : {a.get(), b.get()}) {
    FillRandom(*ws, 120, 17, seed, -scale, scale, whole);
    SeedFromCases(*ws, n, seed + 1);
    SetSchedule(*ws, 0.3, 0.4 * n + 0.5, 0.2 * n + 1, neighbors);
    ClearGraph(*ws);
    ws->Rng.setSeed(static_cast<std::uint32_t>(seed * 7 + 3));
  }
  const int tmax = 120 * 3;
  LearningState sa = StartLearning(*a, tmax);
  LearningState sb = StartLearning(*b, tmax);
  PresentCases(*a, sa, steps / 2);
  PresentCases(*a, sa, steps - steps / 2);
  for (int s = 0; s < steps; ++s) PresentationStep(*b, sb);
  SCOPED_TRACE(::testing::Message() << "kind " << kind << ", neighbors " << neighbors << ", n "
                                    << n << ", whole " << whole << ", scale " << scale);
  ExpectSameAfterSteps(*a, sa, *b, sb);
}

}  // namespace

TEST(PresentationStep, RunnerUpMovesByExpMinusHalfOfTheWinnersStepForRangeTwo) {
  for (bool batch : {false, true}) {
    auto ws = MakeWorkspace();
    SetData(*ws, {{1.0f}});
    SetPrototypes(*ws, {{0.0f}, {-1.0f}});
    SetSchedule(*ws, 0.3, 2.0, 1.0, true);
    ClearGraph(*ws);
    LearningState st = StartLearning(*ws, 1);
    if (batch)
      PresentCases(*ws, st, 1);
    else
      PresentationStep(*ws, st);
    EXPECT_EQ(ws->Ranking[1], 1);
    EXPECT_EQ(ws->Ranking[2], 2);
    // The single presentation of tmax = 1 uses the start values.
    EXPECT_EQ(ws->Prototypes(1, 1), 0.3f);
    const double runnerStep = (ws->Prototypes(2, 1) + 1.0) / 2.0;  // per unit of x - w
    EXPECT_NEAR(runnerStep, 0.3 * std::exp(-0.5), 1e-7);
    EXPECT_NEAR(runnerStep / 0.3, 0.6065, 1e-4);
    EXPECT_EQ(ws->Dist[1], 1e10);
    EXPECT_EQ(ws->Dist[2], 1e10);
  }
}

TEST(PresentationStep, EqualDistancesRankTheLowerNumberFirst) {
  for (bool batch : {false, true}) {
    auto ws = MakeWorkspace();
    SetData(*ws, {{0.0f, 0.0f}});
    SetPrototypes(*ws, {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {0.5f, 0}});
    SetSchedule(*ws, 0.1, 2.0, 1.0, true);
    ClearGraph(*ws);
    LearningState st = StartLearning(*ws, 10);
    if (batch)
      PresentCases(*ws, st, 1);
    else
      PresentationStep(*ws, st);
    const std::vector<int> expected = {5, 1, 2, 3, 4};
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(ws->Ranking[r], expected[r - 1]) << "rank " << r;
  }
}

TEST(PresentationStep, WithoutNeighborUpdateOnlyTheWinnerMovesAndNoEdgesAreLearned) {
  for (bool batch : {false, true}) {
    auto ws = MakeWorkspace();
    FillRandom(*ws, 40, 5, 21);
    SeedFromCases(*ws, 4, 22);
    SetSchedule(*ws, 0.3, 2.0, 1.0, false);
    ClearGraph(*ws);
    ws->Ranking[2] = -7;
    ws->Ranking[3] = -7;
    ws->Rng.setSeed(5);
    LearningState st = StartLearning(*ws, 200);
    for (int s = 0; s < 200; ++s) {
      const auto before = Snapshot(*ws);
      if (batch)
        PresentCases(*ws, st, 1);
      else
        PresentationStep(*ws, st);
      int moved = 0;
      for (int k = 1; k <= 4; ++k) {
        if (RowChanged(*ws, before, k)) {
          ++moved;
          EXPECT_EQ(ws->Ranking[1], k);
        }
      }
      EXPECT_LE(moved, 1);
    }
    EXPECT_EQ(ws->Ranking[2], -7);
    EXPECT_EQ(ws->Ranking[3], -7);
    for (int i = 1; i <= 4; ++i)
      for (int j = 1; j <= 4; ++j) EXPECT_EQ(ws->Adjacency(i, j), 0);
    EXPECT_EQ(st.lambda, 2.0);
    EXPECT_EQ(st.T, 1.0);
    EXPECT_NEAR(st.eps, 0.3 * std::pow(0.005 / 0.3, 201.0 / 200.0), 1e-15);
  }
}

TEST(PresentationStep, SchedulesRunFromTheStartToTheFinalValues) {
  auto ws = MakeWorkspace();
  FillRandom(*ws, 10, 2, 3);
  SeedFromCases(*ws, 3, 4);
  SetSchedule(*ws, 0.3, 2.0, 1.5, true);
  ClearGraph(*ws);
  const int tmax = 4;
  LearningState st = StartLearning(*ws, tmax);
  EXPECT_EQ(st.eps, 0.3);
  EXPECT_EQ(st.lambda, 2.0);
  EXPECT_EQ(st.T, 1.5);
  for (int k = 2; k <= tmax; ++k) {
    PresentationStep(*ws, st);
    // The values that presentation k will use.
    const double q = static_cast<double>(k) / tmax;
    EXPECT_EQ(st.t, k);
    EXPECT_NEAR(st.eps, 0.3 * std::pow(0.005 / 0.3, q), 1e-15);
    EXPECT_NEAR(st.lambda, 2.0 * std::pow(0.01 / 2.0, q), 1e-15);
    EXPECT_NEAR(st.T, 1.5 * std::pow(6.0 / 1.5, q), 1e-14);
  }
  EXPECT_NEAR(st.eps, 0.005, 1e-17);
  EXPECT_NEAR(st.lambda, 0.01, 1e-17);
  EXPECT_NEAR(st.T, 6.0, 1e-15);
}

TEST(PresentationStep, StartValuesOfZeroKeepEveryValueANumber) {
  for (bool batch : {false, true}) {
    auto ws = MakeWorkspace();
    FillRandom(*ws, 30, 3, 8);
    SeedFromCases(*ws, 3, 9);
    ClearGraph(*ws);
    const auto start = Snapshot(*ws);
    SetSchedule(*ws, 0.0, 2.0, 1.0, true);  // learning rate 0: nothing moves
    LearningState st = StartLearning(*ws, 30);
    for (int s = 0; s < 30; ++s) batch ? PresentCases(*ws, st, 1) : PresentationStep(*ws, st);
    EXPECT_EQ(st.eps, 0.0);
    for (int k = 1; k <= 3; ++k) EXPECT_FALSE(RowChanged(*ws, start, k));

    SetSchedule(*ws, 0.3, 0.0, 0.0, true);  // range 0: winner only; lifetime 0: no edges
    st = StartLearning(*ws, 30);
    for (int s = 0; s < 30; ++s) {
      const auto rows = Snapshot(*ws);
      batch ? PresentCases(*ws, st, 1) : PresentationStep(*ws, st);
      for (int k = 1; k <= 3; ++k) {
        if (k != ws->Ranking[1]) {
          ASSERT_FALSE(RowChanged(*ws, rows, k));
        }
      }
    }
    EXPECT_EQ(st.lambda, 0.0);
    EXPECT_EQ(st.T, 0.0);
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) EXPECT_EQ(ws->Adjacency(i, j), 0);
  }
}

TEST(PresentationStep, RefusalHelpersNameTheFaultyStartValue) {
  auto ws = MakeWorkspace();
  SetSchedule(*ws, 0.3, 2.0, 1.0, true);
  EXPECT_EQ(InvalidStartValue(*ws), StartValue::None);
  ws->InitLifetime = 0;
  EXPECT_EQ(InvalidStartValue(*ws), StartValue::Lifetime);
  ws->InitNeighborRange = -1;
  EXPECT_EQ(InvalidStartValue(*ws), StartValue::NeighborRange);
  ws->InitLearningRate = std::nan("");
  EXPECT_EQ(InvalidStartValue(*ws), StartValue::LearningRate);
  EXPECT_EQ(ScheduleLength(30000, 50), 1500000);
  EXPECT_EQ(ScheduleLength(30000, 71582), 2147460000);
  EXPECT_FALSE(ScheduleLength(30000, 71583).has_value());
  EXPECT_FALSE(ScheduleLength(100, 0).has_value());
}

TEST(UpdateConnections, NewEdgeGetsAgesOneAndTwo) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 4;
  ClearGraph(*ws);
  ws->Ranking[1] = 3;
  ws->Ranking[2] = 1;
  UpdateConnections(*ws, 2.0);
  EXPECT_EQ(ws->Adjacency(3, 1), 1);
  EXPECT_EQ(ws->Adjacency(1, 3), 1);
  EXPECT_EQ(ws->EdgeAge(3, 1), 1);
  EXPECT_EQ(ws->EdgeAge(1, 3), 2);
}

TEST(UpdateConnections, BelowLifetimeTwoANewEdgeKeepsOnlyItsWinnerEntry) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 4;
  ClearGraph(*ws);
  ws->Ranking[1] = 2;  // w
  ws->Ranking[2] = 4;  // s
  UpdateConnections(*ws, 1.0);
  EXPECT_EQ(ws->Adjacency(2, 4), 1);
  EXPECT_EQ(ws->EdgeAge(2, 4), 1);
  EXPECT_EQ(ws->Adjacency(4, 2), 0);
  EXPECT_EQ(ws->EdgeAge(4, 2), 2);  // a removed entry keeps its age
  // The pair meets again the other way round: [s, w] is 0, so the edge is new
  // and the entry that survives is now [s, w].
  ws->Ranking[1] = 4;
  ws->Ranking[2] = 2;
  UpdateConnections(*ws, 1.9);
  EXPECT_EQ(ws->Adjacency(4, 2), 1);
  EXPECT_EQ(ws->EdgeAge(4, 2), 1);
  EXPECT_EQ(ws->Adjacency(2, 4), 0);
  EXPECT_EQ(ws->EdgeAge(2, 4), 2);
}

TEST(UpdateConnections, LifetimeBetweenTwoAndThreeDropsTheRunnerUpEntryOneStepEarly) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 4;
  ClearGraph(*ws);
  ws->Ranking[1] = 1;
  ws->Ranking[2] = 2;
  UpdateConnections(*ws, 2.5);
  ws->Ranking[2] = 3;  // 1 wins again with another runner-up
  UpdateConnections(*ws, 2.5);
  EXPECT_EQ(ws->Adjacency(1, 2), 1);
  EXPECT_EQ(ws->EdgeAge(1, 2), 2);
  EXPECT_EQ(ws->Adjacency(2, 1), 0);
  EXPECT_EQ(ws->EdgeAge(2, 1), 3);
  EXPECT_EQ(ws->Adjacency(1, 3), 1);
  EXPECT_EQ(ws->Adjacency(3, 1), 1);
}

TEST(UpdateConnections, LifetimeBelowOneRemovesEveryNewEdgeAtOnce) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 3;
  ClearGraph(*ws);
  ws->Ranking[1] = 1;
  ws->Ranking[2] = 2;
  UpdateConnections(*ws, 0.5);
  EXPECT_EQ(ws->Adjacency(1, 2), 0);
  EXPECT_EQ(ws->Adjacency(2, 1), 0);
}

TEST(UpdateConnections, ExistingEdgeIsRefreshedAndOnlyTheWinnersEdgesAge) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 4;
  ClearGraph(*ws);
  ws->Adjacency(1, 2) = ws->Adjacency(2, 1) = 1;
  ws->EdgeAge(1, 2) = ws->EdgeAge(2, 1) = 3;
  ws->Adjacency(1, 4) = 1;
  ws->EdgeAge(1, 4) = 5;
  ws->Adjacency(3, 4) = ws->Adjacency(4, 3) = 1;  // not at the winner
  ws->EdgeAge(3, 4) = ws->EdgeAge(4, 3) = 9;
  ws->Ranking[1] = 1;
  ws->Ranking[2] = 2;
  UpdateConnections(*ws, 5.5);
  EXPECT_EQ(ws->EdgeAge(1, 2), 1);
  EXPECT_EQ(ws->EdgeAge(2, 1), 1);
  EXPECT_EQ(ws->Adjacency(1, 4), 0);  // age 6 > 5.5
  EXPECT_EQ(ws->EdgeAge(1, 4), 6);
  EXPECT_EQ(ws->EdgeAge(3, 4), 9);
  EXPECT_EQ(ws->Adjacency(3, 4), 1);
  // An existing [w, s] entry refreshes the pair without restoring [s, w].
  ws->Adjacency(2, 1) = 0;
  UpdateConnections(*ws, 5.5);
  EXPECT_EQ(ws->Adjacency(2, 1), 0);
  EXPECT_EQ(ws->EdgeAge(2, 1), 0);
  EXPECT_EQ(ws->EdgeAge(1, 2), 1);
}

TEST(UpdateConnections, AgesStopAtTheLargestEightBitValue) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 3;
  ClearGraph(*ws);
  ws->Adjacency(1, 3) = ws->Adjacency(3, 1) = 1;
  ws->EdgeAge(1, 3) = ws->EdgeAge(3, 1) = 126;
  ws->Ranking[1] = 1;
  ws->Ranking[2] = 2;
  for (int s = 0; s < 3; ++s) UpdateConnections(*ws, 200.0);
  EXPECT_EQ(ws->EdgeAge(1, 3), 127);
  EXPECT_EQ(ws->Adjacency(1, 3), 1);
  UpdateConnections(*ws, 100.0);  // the lifetime has fallen: the old edge dies
  EXPECT_EQ(ws->Adjacency(1, 3), 0);
  EXPECT_EQ(ws->Adjacency(3, 1), 0);
}

// The four statements for i = 1..N in their plain order, one cell at a time.
void UpdateConnectionsInOrder(Workspace& ws, double T) {
  const int w = ws.Ranking[1], s = ws.Ranking[2];
  auto& adj = ws.Adjacency;
  auto& age = ws.EdgeAge;
  if (adj(w, s) == 1) {
    age(w, s) = age(s, w) = 0;
  } else {
    adj(w, s) = adj(s, w) = 1;
    age(w, s) = 0;
    age(s, w) = 1;
  }
  for (int i = 1; i <= ws.NumPrototypes; ++i) {
    if (adj(w, i) > 0 && age(w, i) < 127) ++age(w, i);
    if (adj(i, w) > 0 && age(i, w) < 127) ++age(i, w);
    if (adj(w, i) > 0 && age(w, i) > T) --adj(w, i);
    if (adj(i, w) > 0 && age(i, w) > T) --adj(i, w);
  }
}

TEST(UpdateConnections, EqualsThePlainOrderForAnyGraphAgesAndLifetime) {
  // Every byte value in the graph (edges above 1 and self-loops included),
  // lifetimes at and between the whole ages, beyond the byte range and NaN.
  const double lifetimes[] = {-1e300, -129.0, -128.5, -128.0, -0.5, 0.0, 0.5, 1.0, 1.9999999999999998,
                              2.0, 62.5, 126.5, 127.0, 127.5, 1e300, INFINITY, -INFINITY, NAN};
  std::uint32_t seed = 99;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  auto fast = MakeWorkspace();
  auto plain = MakeWorkspace();
  for (int n : {2, 3, 17, 30})
    for (double T : lifetimes)
      for (int round = 0; round < 20; ++round) {
        fast->NumPrototypes = n;
        for (int r = 1; r <= MaxPrototypes; ++r)
          for (int c = 1; c <= MaxPrototypes; ++c) {
            const std::uint32_t x = next();
            fast->Adjacency(r, c) = static_cast<std::int8_t>(x % 3 == 0 ? (x >> 8) & 0xFF : (x >> 9) & 1);
            fast->EdgeAge(r, c) = static_cast<std::int8_t>((x >> 16) & 0xFF);
          }
        fast->Ranking[1] = static_cast<int>(next() % n) + 1;
        fast->Ranking[2] = fast->Ranking[1] % n + 1;
        plain->NumPrototypes = n;
        plain->Adjacency = fast->Adjacency;
        plain->EdgeAge = fast->EdgeAge;
        plain->Ranking = fast->Ranking;
        UpdateConnections(*fast, T);
        UpdateConnectionsInOrder(*plain, T);
        for (int r = 1; r <= MaxPrototypes; ++r)
          for (int c = 1; c <= MaxPrototypes; ++c) {
            ASSERT_EQ(fast->Adjacency(r, c), plain->Adjacency(r, c)) << n << " " << T << " " << r << "," << c;
            ASSERT_EQ(fast->EdgeAge(r, c), plain->EdgeAge(r, c)) << n << " " << T << " " << r << "," << c;
          }
      }
}

TEST(RankByNearest, EqualsSuccessiveWinnerSearches) {
  TestStream r(77);
  const double bases[] = {1.0, 2.0, 0.375, 7.25, 1e-3};
  for (int trial = 0; trial < 5000; ++trial) {
    const int n = 1 + r.below(30);
    double d[32];
    for (int j = 0; j < n; ++j) {
      const double f = bases[r.below(5)];
      switch (r.below(4)) {
        case 0: d[j] = f; break;
        case 1: d[j] = std::nextafter(f, 10.0); break;  // rounds down to f
        case 2: d[j] = f * (1 - std::ldexp(1.0, -40 - r.below(3))); break;  // rounds up to f
        default: d[j] = f * (1 + 0.3 * r.uniform()); break;
      }
    }
    std::int8_t ranking[33];
    int rankOf[32];
    ASSERT_TRUE(detail::RankByNearest(d, n, ranking, rankOf));
    double scratch[32];
    for (int j = 0; j < n; ++j) scratch[j] = d[j];
    int k = 1;
    for (int rank = 1; rank <= n; ++rank) {
      detail::FindNearestIn(scratch, n, k);
      ASSERT_EQ(ranking[rank], k) << "trial " << trial << ", rank " << rank;
      ASSERT_EQ(rankOf[k - 1], rank);
      scratch[k - 1] = DistanceLimit;
    }
  }
}

TEST(RankByNearest, DeclinesWhenADistanceReachesTheLimit) {
  const double d[3] = {1.0, 1e10, 2.0};
  std::int8_t ranking[4] = {};
  int rankOf[3] = {};
  EXPECT_FALSE(detail::RankByNearest(d, 3, ranking, rankOf));
}

TEST(PresentCases, EqualsPresentationStepsBitForBit) {
  std::uint64_t seed = 1;
  for (int kind : {DistEuclidean, DistTanimoto})
    for (bool neighbors : {true, false})
      for (int n : {1, 2, 5, 8, 13, 30})
        for (bool whole : {false, true})
          ExpectRunOfStepsEqualsSingleSteps(kind, neighbors, n, whole, 4.0f, 250, seed++);
}

TEST(PresentCases, EqualsPresentationStepsWhenDistancesPassTheLimit) {
  // Values up to 1e6 give squared distances beyond 1e10: the searches then
  // repeat their carried-over winner.
  ExpectRunOfStepsEqualsSingleSteps(DistEuclidean, true, 6, false, 1e6f, 200, 900);
  ExpectRunOfStepsEqualsSingleSteps(DistEuclidean, false, 6, false, 1e6f, 200, 901);
}

TEST(PresentationStep, PrototypeUpdateIsRoundedOnceToFloat) {
  // Each row gives a winner w, a case x and a learning rate for which the
  // double sum w + delta lands exactly on a midpoint between two floats
  // although the exact sum lies beside it; narrowing that double would round
  // the wrong way.
  struct Row {
    const char* what;
    float w, x;
    double eps;
    float expected, runnerUp;
  };
  const double eps1 = std::ldexp(1.0, -24) + std::ldexp(1.0, -60);
  const Row rows[] = {
      // 1 + 2^-24 + 2^-60: just above the midpoint between 1 and the next float.
      {"normal", 1.0f, 2.0f, eps1, 1.0f + std::ldexp(1.0f, -23),
       -6.0f + static_cast<float>(eps1 * std::exp(-0.5) * 8)},
      // 2^-149 + 2^-150 - 2^-203: just below the midpoint 3 * 2^-150 of the
      // subnormal floats 2^-149 and 2^-148.
      {"subnormal", std::ldexp(1.0f, -149), 1.0f, std::ldexp(1.0, -150) - std::ldexp(1.0, -203),
       std::ldexp(1.0f, -149), -6.0f},
  };
  for (const Row& row : rows)
    for (bool neighbors : {false, true})
      for (bool batch : {false, true}) {
        auto ws = MakeWorkspace();
        SetData(*ws, {{row.x, row.x}});
        SetPrototypes(*ws, {{row.w, row.w}, {-6.0f, 0.0f}});
        SetSchedule(*ws, row.eps, 2.0, 1.0, neighbors);
        ClearGraph(*ws);
        LearningState st = StartLearning(*ws, 1);
        batch ? PresentCases(*ws, st, 1) : PresentationStep(*ws, st);
        SCOPED_TRACE(::testing::Message()
                     << row.what << ", neighbors " << neighbors << ", batch " << batch);
        EXPECT_EQ(ws->Ranking[1], 1);
        EXPECT_EQ(ws->Prototypes(1, 1), row.expected);
        EXPECT_EQ(ws->Prototypes(1, 2), row.expected);
        EXPECT_EQ(ws->Prototypes(2, 1), neighbors ? row.runnerUp : -6.0f);
      }
}
