#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <set>
#include <vector>

#include "EngineFixtures.h"
#include "core/Distances.h"
#include "core/FloatRounding.h"
#include "core/Parallel.h"

using namespace volmar;
using namespace volmar::testing;

TEST(CaseDistance, SquaredEuclideanSumsTheSquaredDifferences) {
  auto ws = MakeWorkspace(DistEuclidean);
  SetData(*ws, {{1, 2, 3}});
  SetPrototypes(*ws, {{0, 4, 3}});
  EXPECT_EQ(CaseDistance(*ws, 1, 1), 5.0);
}

TEST(CaseDistance, TanimotoOfBinaryVectorsIsTheJaccardDistance) {
  auto ws = MakeWorkspace(DistTanimoto);
  // 1 - shared ones / ones in either: 1 of 5, 3 of 4.
  SetData(*ws, {{1, 1, 0, 1, 0}});
  SetPrototypes(*ws, {{1, 0, 1, 0, 1}, {1, 1, 0, 1, 1}});
  EXPECT_DOUBLE_EQ(CaseDistance(*ws, 1, 1), 1.0 - 1.0 / 5.0);
  EXPECT_DOUBLE_EQ(CaseDistance(*ws, 1, 2), 1.0 - 3.0 / 4.0);
}

TEST(CaseDistance, TanimotoOfZeroAgainstZeroIsOne) {
  auto ws = MakeWorkspace(DistTanimoto);
  SetData(*ws, {{0, 0, 0}});
  SetPrototypes(*ws, {{0, 0, 0}});
  EXPECT_EQ(CaseDistance(*ws, 1, 1), 1.0);
}

TEST(CaseDistance, TanimotoOfIdenticalVectorsIsExactlyZero) {
  auto ws = MakeWorkspace(DistTanimoto);
  SetData(*ws, {{0.1f, -0.7f, 3.3f, 1e-3f}});
  SetPrototypes(*ws, {{0.1f, -0.7f, 3.3f, 1e-3f}});
  EXPECT_EQ(CaseDistance(*ws, 1, 1), 0.0);
}

TEST(PrototypeDistance, IsSquaredEuclideanWhateverTheDistanceKind) {
  auto ws = MakeWorkspace(DistTanimoto);
  ws->NumVars = 2;
  SetPrototypes(*ws, {{1, 1}, {4, 5}});
  EXPECT_EQ(PrototypeDistance(*ws, 1, 2), 25.0);
  EXPECT_EQ(PrototypeDistance(*ws, 2, 1), 25.0);
}

TEST(FindNearest, TiesAndRoundingOfTheBoundKeepTheLowerNumber) {
  const double up = 1.0 - std::ldexp(1.0, -30);    // rounds up to the float 1
  const double down = 1.0 + std::ldexp(1.0, -30);  // rounds down to the float 1
  struct Case {
    std::vector<double> dist;
    int winner;
  } cases[] = {
      {{3, 2, 7, 2}, 2},
      // Exact ties whose distance rounds up to the bound: still the lowest.
      {{up, up, up}, 1},
      // A later, slightly larger entry below the rounded-up bound loses.
      {{up, 1.0 - std::ldexp(1.0, -40)}, 1},
      // A later, smaller entry below the rounded-up bound wins.
      {{1.0 - std::ldexp(1.0, -40), up}, 2},
      // A smaller entry within the rounding step of a rounded-down bound
      // does not replace.
      {{down, 1.0 + std::ldexp(1.0, -31)}, 1},
      {{down, 1.0}, 1},
      {{down, up}, 2},
  };
  for (const Case& c : cases) {
    auto ws = MakeWorkspace();
    ws->NumPrototypes = static_cast<int>(c.dist.size());
    for (int j = 1; j <= ws->NumPrototypes; ++j) ws->Dist[j] = c.dist[j - 1];
    int k = 0;
    FindNearest(*ws, k);
    EXPECT_EQ(k, c.winner) << ::testing::PrintToString(c.dist);
  }
}

TEST(FindNearest, EntriesAtTheLimitAreNeverChosenAndTheVariableIsKept) {
  auto ws = MakeWorkspace();
  ws->NumPrototypes = 3;
  ws->Dist[1] = 1e10;
  ws->Dist[2] = 2e10;
  ws->Dist[3] = 1e10;
  int k = 7;
  FindNearest(*ws, k);
  EXPECT_EQ(k, 7);
  ws->Dist[3] = 9.9e9;
  FindNearest(*ws, k);
  EXPECT_EQ(k, 3);
}

TEST(SumToFloat, RoundsTheExactSumOnce) {
  // The exact sum lies just above the midpoint between 1 and the next float;
  // rounding through double would land on the midpoint and go down to 1.
  const double delta = std::ldexp(1.0, -24) + std::ldexp(1.0, -60);
  EXPECT_EQ(static_cast<float>(1.0 + delta), 1.0f);
  EXPECT_EQ(SumToFloat(1.0, delta), 1.0f + std::ldexp(1.0f, -23));
  EXPECT_EQ(SumToFloat(-1.0, -delta), -1.0f - std::ldexp(1.0f, -23));
  // Just below the midpoint, and on it exactly (half to even).
  EXPECT_EQ(SumToFloat(1.0, std::ldexp(1.0, -24) - std::ldexp(1.0, -60)), 1.0f);
  EXPECT_EQ(SumToFloat(1.0, std::ldexp(1.0, -24)), 1.0f);
  EXPECT_EQ(SumToFloat(1.0, 3 * std::ldexp(1.0, -24)), 1.0f + std::ldexp(1.0f, -22));
  EXPECT_EQ(SumToFloat(2.5, -0.25), 2.25f);
}

TEST(RoundHalfEven, ExactHalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
  EXPECT_EQ(RoundHalfEven(7.49), 7.0);
}

TEST(SumOfMinDistances, OnePrototypeGivesTheTotalDistanceToIt) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{0}, {1}, {2}, {3}});
  SetPrototypes(*ws, {{1}});
  EXPECT_EQ(SumOfMinDistances(*ws), 6.0f);
  EXPECT_EQ(ws->Dist[1], 4.0);  // the last case's distance stays in Dist
}

TEST(SumOfMinDistances, AccumulatesInThirtyTwoBits) {
  auto ws = MakeWorkspace();
  // 1e8 + 1 + 1 in floats stays 1e8 (the float step there is 8).
  SetData(*ws, {{1e4f}, {1}, {1}});
  SetPrototypes(*ws, {{0}});
  EXPECT_EQ(SumOfMinDistances(*ws), 1e8f);
}

TEST(SumOfMinDistances, AddsEachCasesNearestDistance) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{0, 0}, {10, 0}, {0, 9}, {6, 6}});
  SetPrototypes(*ws, {{0, 0}, {10, 1}, {1, 10}});
  // Nearest: 0 (p1), 1 (p2), 2 (p3), min(72, 41, 41) = 41.
  EXPECT_EQ(SumOfMinDistances(*ws), 44.0f);
}

TEST(SumOfMinDistances, MatchesTheOnePairRoutinesForAllPrototypeCounts) {
  for (int kind : {DistEuclidean, DistTanimoto}) {
    auto ws = MakeWorkspace(kind);
    FillRandom(*ws, 200, 37, 11, 0.0f, 2.0f);
    for (int n = 1; n <= 30; ++n) {
      SeedFromCases(*ws, n, 100 + n);
      float expected = 0;
      int k = 1;
      for (int c = 1; c <= ws->NumCases; ++c) {
        for (int j = 1; j <= n; ++j) ws->Dist[j] = CaseDistance(*ws, c, j);
        FindNearest(*ws, k);
        expected = SumToFloat(expected, ws->Dist[k]);
      }
      EXPECT_EQ(SumOfMinDistances(*ws), expected) << "kind " << kind << ", n " << n;
    }
  }
}

TEST(Classify, LabelsEachCaseWithItsNearestPrototype) {
  for (int kind : {DistEuclidean, DistTanimoto}) {
    auto ws = MakeWorkspace(kind);
    FillRandom(*ws, 300, 23, 5, -1.0f, 3.0f, true);  // whole numbers: many ties
    for (int n : {1, 2, 7, 8, 9, 16, 17, 30}) {
      SeedFromCases(*ws, n, 40 + n);
      Classify(*ws, 3);
      int k = 1;
      for (int c = 1; c <= ws->NumCases; ++c) {
        for (int j = 1; j <= n; ++j) ws->Dist[j] = CaseDistance(*ws, c, j);
        FindNearest(*ws, k);
        ASSERT_EQ(ws->ClassLabels(c, 3), k) << "kind " << kind << ", n " << n << ", case " << c;
      }
    }
  }
}

TEST(Classify, TieGoesToTheLowerNumberAndOtherColumnsStay) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{0}, {2}, {-2}});
  SetPrototypes(*ws, {{1}, {-1}, {1}});
  ws->ClassLabels(1, 1) = 9;
  Classify(*ws, 2);
  EXPECT_EQ(ws->ClassLabels(1, 2), 1);  // at 1 from prototypes 1, 2 and 3
  EXPECT_EQ(ws->ClassLabels(2, 2), 1);  // prototypes 1 and 3 coincide
  EXPECT_EQ(ws->ClassLabels(3, 2), 2);
  EXPECT_EQ(ws->ClassLabels(1, 1), 9);
}

TEST(CountClassSizes, CountsLabelsOfOneColumnAndAddsUpToTheCases) {
  auto ws = MakeWorkspace();
  FillRandom(*ws, 500, 4, 9);
  SeedFromCases(*ws, 6, 3);
  ws->ClassSize[6] = 77;
  Classify(*ws, 5);
  CountClassSizes(*ws, 5);
  int total = 0;
  for (int k = 1; k <= 6; ++k) {
    int count = 0;
    for (int c = 1; c <= 500; ++c) count += ws->ClassLabels(c, 5) == k;
    EXPECT_EQ(ws->ClassSize[k], count);
    total += ws->ClassSize[k];
  }
  EXPECT_EQ(total, 500);
}

TEST(CountClassSizes, IgnoresLabelsThatNameNoCurrentPrototype) {
  auto ws = MakeWorkspace();
  ws->NumCases = 3;
  ws->NumPrototypes = 2;
  ws->ClassLabels(1, 1) = 2;
  ws->ClassLabels(2, 1) = 0;  // never classified
  ws->ClassLabels(3, 1) = 5;  // left by a run with more prototypes
  CountClassSizes(*ws, 1);
  EXPECT_EQ(ws->ClassSize[1], 0);
  EXPECT_EQ(ws->ClassSize[2], 1);
}

TEST(DrawCase, ZeroDrawGivesCaseOne) {
  auto ws = MakeWorkspace();
  ws->NumCases = 250;
  ws->Rng.setSeed(StateBefore(0));
  EXPECT_EQ(DrawCase(*ws), 1);
  EXPECT_EQ(ws->Rng.state(), 0u);
}

TEST(DrawCase, RoundsHalvesToEven) {
  auto ws = MakeWorkspace();
  ws->NumCases = 4;
  // u * 4 + 0.5 for u = 0.5, 0.125, 0.625: 2.5 -> 2, 1.0 -> 1, 3.0 -> 3.
  ws->Rng.setSeed(StateBefore(0x80000000u));
  EXPECT_EQ(DrawCase(*ws), 2);
  ws->Rng.setSeed(StateBefore(0x20000000u));
  EXPECT_EQ(DrawCase(*ws), 1);
  ws->Rng.setSeed(StateBefore(0xA0000000u));
  EXPECT_EQ(DrawCase(*ws), 3);
  // The largest draw stays within the cases.
  ws->Rng.setSeed(StateBefore(0xFFFFFFFFu));
  EXPECT_EQ(DrawCase(*ws), 4);
}

TEST(RandomSeed, FourPrototypesFromThreeCasesRepeatACase) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{1, 10}, {2, 20}, {3, 30}});
  ws->Prototypes(1, 3) = 42;  // beyond NumVars: left alone
  ws->Rng.setSeed(99);
  RandomSeed(*ws, 4);
  std::multiset<float> firsts;
  for (int k = 1; k <= 4; ++k) {
    const float a = ws->Prototypes(k, 1);
    ASSERT_TRUE(a == 1 || a == 2 || a == 3);
    EXPECT_EQ(ws->Prototypes(k, 2), 10 * a);  // a whole row was copied
    firsts.insert(a);
  }
  std::set<float> distinct(firsts.begin(), firsts.end());
  EXPECT_LT(distinct.size(), 4u);
  EXPECT_EQ(ws->Prototypes(1, 3), 42);
}

TEST(ColumnMean, SumsInThirtyTwoBits) {
  auto ws = MakeWorkspace();
  SetData(*ws, {{1, 16777216.0f}, {2, 1}, {4, 1}});
  EXPECT_EQ(ColumnMean(*ws, 1), 7.0f / 3.0f);
  // 2^24 + 1 + 1 stays 2^24 in floats.
  EXPECT_EQ(ColumnMean(*ws, 2), 16777216.0f / 3.0f);
  ws->NumCases = 0;
  EXPECT_EQ(ColumnMean(*ws, 1), 0.0f);
}

TEST(DistanceRange, RefusesOnlyDistancesThatReallyReachTheLimit) {
  struct Case {
    const char* what;
    std::vector<std::vector<float>> data, prototypes;
    bool move;
    std::optional<double> beyond;
  } cases[] = {
      // The box diagonal is 1.28e10, the largest distance 6.4e9.
      {"spread points", {{4e4f, 0}, {-4e4f, 0}, {0, 4e4f}, {0, -4e4f}, {2e4f, 0}, {0, 2e4f}}, {}, true,
       std::nullopt},
      {"just below", {{0, 0}, {9e4f, 0}, {0, 4.3e4f}}, {}, true, std::nullopt},
      {"two cases 1e5 apart", {{0, 0}, {1e5f, 0}, {5e4f, 1}}, {}, true, 1e10},
      {"8.1e9 + 2.5e9", {{0, 0}, {9e4f, 5e4f}}, {}, true, 8.1e9 + 2.5e9},
      // Prototypes as they are widen the hull in training ...
      {"far prototype, training", {{0, 0}, {1, 1}}, {{2e5f, 0}}, true, 4e10},
      // ... in recall only their own distances count.
      {"far prototype, recall", {{0, 0}, {1, 1}}, {{2e5f, 0}}, false, 4e10},
      {"cases far apart, near prototype, recall", {{0, 0}, {1.5e5f, 0}}, {{7.5e4f, 0}}, false,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto ws = MakeWorkspace(DistEuclidean);
    SetData(*ws, c.data);
    if (!c.prototypes.empty()) SetPrototypes(*ws, c.prototypes);
    const int n = static_cast<int>(c.prototypes.size());
    EXPECT_EQ(DistanceBeyondLimit(*ws, n, c.move), c.beyond);
    EXPECT_EQ(DistancesInRange(*ws, n, c.move), !c.beyond);
    ws->DistanceKind = DistTanimoto;  // Tanimoto distances stay within [0, 4/3]
    EXPECT_TRUE(DistancesInRange(*ws, n, c.move));
  }
}

// The sum and the labels on several threads against the literal one-case-
// at-a-time loop, with runs of cases whose distances all pass the limit (they
// keep the winner carried over from earlier cases, across the boundaries of
// the threads' runs of cases, one run of 1024 cases being wholly such cases),
// and with near ties: cases half-way between two prototypes, nudged by one
// step of the float grid or not at all, and tiny values whose squares fall
// below the normal floats, where a search in single precision alone would
// pick another winner than the double search.
TEST(SumOfMinDistances, OnEveryThreadCountEqualsTheSerialLoopBitForBit) {
  struct Case {
    int kind, n, threads;
    bool farRuns, nearTies;
  };
  const Case cases[] = {{DistEuclidean, 8, 1, false, false}, {DistEuclidean, 8, 3, false, false},
                        {DistEuclidean, 30, 2, true, false}, {DistEuclidean, 5, 7, true, false},
                        {DistTanimoto, 13, 4, false, false}, {DistEuclidean, 6, 1, false, true},
                        {DistEuclidean, 30, 2, true, true}};
  for (const Case& t : cases) {
    auto ws = MakeWorkspace(t.kind);
    FillRandom(*ws, 3500, 60, 5 + t.n, 0.0f, 2.0f);
    SeedFromCases(*ws, t.n, 77);
    if (t.nearTies) {
      // Prototype 2 one float step from prototype 1; prototypes 3 and 4 at
      // 0 and 2e-21 in every variable.
      for (int v = 1; v <= ws->NumVars; ++v) {
        ws->Prototypes(2, v) = v == 1 ? std::nextafter(ws->Prototypes(1, 1), 10.0f) : ws->Prototypes(1, v);
        ws->Prototypes(3, v) = 0;
        ws->Prototypes(4, v) = 2e-21f;
      }
      TestStream r(9);
      for (int c = 1; c <= ws->NumCases; c += 2) {
        const int a = 1 + r.below(t.n), b = 1 + (a % t.n);
        const int kind = r.below(4);
        for (int v = 1; v <= ws->NumVars; ++v) {
          float x = 0.5f * (ws->Prototypes(a, v) + ws->Prototypes(b, v));  // half-way
          if (kind == 1 && v == 1 + c % ws->NumVars) x = std::nextafter(x, 10.0f);
          if (kind == 2) x = ws->Prototypes(1, v);                    // on the pair 1, 2
          if (kind == 3) x = (c % 4 == 1 ? 1e-21f : 0.9e-21f);       // by the tiny pair 3, 4
          ws->DataMatrix(c, v) = x;
        }
      }
    }
    if (t.farRuns)
      for (int c = 1; c <= ws->NumCases; ++c)
        if ((c >= 1020 && c <= 1100) || (c >= 2049 && c <= 3100))
          for (int v = 1; v <= ws->NumVars; ++v) ws->DataMatrix(c, v) = 1e6f;
    ws->NumPrototypes = t.n;
    float expected = 0;
    std::vector<int> labels;
    int k = 1;
    for (int c = 1; c <= ws->NumCases; ++c) {
      for (int j = 1; j <= t.n; ++j) ws->Dist[j] = CaseDistance(*ws, c, j);
      FindNearest(*ws, k);
      labels.push_back(k);
      expected = SumToFloat(expected, ws->Dist[k]);
    }
    std::vector<double> lastDist(ws->Dist.data(), ws->Dist.data() + t.n);
    SetEngineThreads(t.threads);
    const float sum = SumOfMinDistances(*ws);
    std::vector<double> dist(ws->Dist.data(), ws->Dist.data() + t.n);
    Classify(*ws, 2);
    SetEngineThreads(0);
    SCOPED_TRACE(::testing::Message() << "kind " << t.kind << ", n " << t.n << ", threads "
                                      << t.threads << ", far runs " << t.farRuns << ", near ties " << t.nearTies);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sum), std::bit_cast<std::uint32_t>(expected));
    EXPECT_EQ(dist, lastDist);
    for (int c = 1; c <= ws->NumCases; ++c) ASSERT_EQ(ws->ClassLabels(c, 2), labels[c - 1]) << c;
  }
}
