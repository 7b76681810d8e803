// The numbers of the segment profiles against values worked out by hand:
// sample and segment means and spreads, the marker decision, and the order
// of the variables by complete linkage.
#include <gtest/gtest.h>

#include <cmath>

#include "core/SegmentProfiles.h"
#include "core/Workspace.h"

using namespace volmar;

namespace {

// Four cases of two variables, labelled 1, 2, 1, 2 in replication 2 (all 1
// in replication 1, which must not be read); prototype 3 wins no case.
//   v1: 0, .5, 1, .5  mean .5, SD sqrt(.125); segment 1 (cases 1, 3) mean .5
//       SD .5; segment 2 (cases 2, 4) mean .5 SD 0
//   v2: 2, 4, 6, 8    mean 5, SD sqrt(5); segment 1 mean 4 SD 2; segment 2
//       mean 6 SD 2
std::unique_ptr<Workspace> fourCases() {
  auto ws = Workspace::create();
  ws->NumCases = 4;
  ws->NumVars = 2;
  ws->NumPrototypes = 3;
  ws->NumReplications = 2;
  const float data[4][2] = {{0, 2}, {0.5f, 4}, {1, 6}, {0.5f, 8}};
  for (int c = 1; c <= 4; ++c) {
    ws->DataMatrix(c, 1) = data[c - 1][0];
    ws->DataMatrix(c, 2) = data[c - 1][1];
    ws->ClassLabels(c, 1) = 1;
    ws->ClassLabels(c, 2) = static_cast<std::int8_t>(c % 2 == 1 ? 1 : 2);
  }
  const float protos[3][2] = {{0.75f, 5.5f}, {0.5f, 9}, {0.25f, 5}};
  for (int p = 1; p <= 3; ++p)
    for (int v = 1; v <= 2; ++v) ws->Prototypes(p, v) = protos[p - 1][v - 1];
  return ws;
}

}  // namespace

TEST(SegmentProfiles, MeansSpreadsAndSizesOfTheSampleAndOfEachSegment) {
  const auto ws = fourCases();
  const SegmentProfiles p = ComputeSegmentProfiles(*ws, 2);
  ASSERT_EQ(p.numVars, 2);
  ASSERT_EQ(p.numSegments, 3);
  EXPECT_DOUBLE_EQ(p.variables[0].mean, 0.5);
  EXPECT_DOUBLE_EQ(p.variables[0].sd, std::sqrt(0.125));
  EXPECT_FALSE(p.variables[0].outsideUnit);
  EXPECT_DOUBLE_EQ(p.variables[1].mean, 5);
  EXPECT_DOUBLE_EQ(p.variables[1].sd, std::sqrt(5.0));
  EXPECT_TRUE(p.variables[1].outsideUnit);
  EXPECT_EQ(p.size, (std::vector<int>{2, 2, 0}));
  EXPECT_FLOAT_EQ(static_cast<float>(p.share[0]), 50.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(p.share[2]), 0.0f);
  struct Row {
    int s, v;
    double proto, mean, sd;
  };
  for (const Row& r : {Row{1, 1, 0.75, 0.5, 0.5}, Row{1, 2, 5.5, 4, 2}, Row{2, 1, 0.5, 0.5, 0}, Row{2, 2, 9, 6, 2},
                       Row{3, 1, 0.25, 0, 0}, Row{3, 2, 5, 0, 0}}) {
    EXPECT_DOUBLE_EQ(p.prototypeValue(r.s, r.v), r.proto) << r.s << "," << r.v;
    EXPECT_DOUBLE_EQ(p.segmentMean(r.s, r.v), r.mean) << r.s << "," << r.v;
    EXPECT_NEAR(p.segmentSd(r.s, r.v), r.sd, 1e-12) << r.s << "," << r.v;
  }
  // With the default thresholds: v1 of segment 1 is .25 above the mean
  // (marker), its v2 .5 / sqrt(5) = .22 SDs (not); v2 of segment 2 is
  // 4 / sqrt(5) = 1.79 SDs above (marker);
  // prototype 3's v1 is .25 below (marker), its v2 on the mean.
  const MarkerThresholds t;
  EXPECT_TRUE(p.marker(1, 1, t));
  EXPECT_FALSE(p.marker(1, 2, t));
  EXPECT_FALSE(p.marker(2, 1, t));
  EXPECT_TRUE(p.marker(2, 2, t));
  EXPECT_TRUE(p.marker(3, 1, t));
  EXPECT_FALSE(p.marker(3, 2, t));
  // Replication 1 puts every case in segment 1.
  EXPECT_EQ(ComputeSegmentProfiles(*ws, 1).size, (std::vector<int>{4, 0, 0}));
}

TEST(SegmentProfiles, MarkerDecisions) {
  struct Case {
    const char* what;
    double proto, mean, sd;
    bool outside;
    double a, b;
    bool marker;
  };
  const Case cases[] = {
      {"absolute difference reaches A", 0.75, 0.5, 0.3, false, 0.25, 1000, true},
      {"32-bit values that print as .25 apart reach A", 0.35f, 0.1f, 0.3, false, 0.25, 1000, true},
      {"absolute difference below A", 0.69, 0.45, 0.3, false, 0.25, 1000, false},
      {"below the mean counts alike", 0.2, 0.45, 0.3, false, 0.25, 1000, true},
      {"relative difference reaches B", 0.15, 0.1, 0.1, false, 0.25, 50, true},
      {"relative difference below B", 0.14, 0.1, 0.1, false, 0.25, 50, false},
      {"relative to a negative mean", -1.5, -1, 10, true, 1, 50, true},
      {"outside 0..1: one SD reaches A = 1", 7, 5, 2, true, 1, 1000, true},
      {"outside 0..1: .95 SD does not", 6.9, 5, 2, true, 1, 1000, false},
      {"outside 0..1: a quarter SD reaches A = .25", 5.5, 5, 2, true, 0.25, 1000, true},
      {"outside 0..1: .5 apart is only an eighth SD", 5.5, 5, 4, true, 0.25, 1000, false},
      {"zero mean: the relative rule cannot fire", 0.2, 0, 1, true, 0.25, 50, false},
      {"zero mean: the SD rule still can", 0.3, 0, 1, true, 0.25, 50, true},
      {"constant variable: never a marker", 0.9, 0.1, 0, false, 0.25, 50, false},
      {"constant variable outside 0..1", 9, 5, 0, true, 0.25, 50, false},
  };
  for (const Case& c : cases) {
    const VariableSpread v{c.mean, c.sd, c.outside};
    EXPECT_EQ(isMarker(c.proto, v, MarkerThresholds{c.a, c.b}), c.marker) << c.what;
  }
}

// Five variables of one case at 0, 3, 1, 7 and 5, so that the squared
// distances are the squared gaps:
//   d13 = 1 joins {1,3} first;
//   then D(2,5) = D(4,5) = 4 tie (D({1,3},2) = max(9, 4) = 9): the pair
//   whose lower cluster comes first, (2,5), joins as {2,5};
//   then D({2,5},4) = max(16, 4) = 16 < D({1,3},{2,5}) = 25 < D({1,3},4)
//   = 49: {2,5,4};
//   last {1,3} + {2,5,4}.
// Single linkage would join 2 to {1,3} (distance 4) instead.
TEST(SegmentProfiles, SimilarityOrderByCompleteLinkage) {
  auto ws = Workspace::create();
  ws->NumCases = 1;
  ws->NumVars = 5;
  const float at[5] = {0, 3, 1, 7, 5};
  for (int v = 1; v <= 5; ++v) ws->DataMatrix(1, v) = at[v - 1];
  const std::vector<double> d = VariableDistances(*ws);
  EXPECT_DOUBLE_EQ(d[0 * 5 + 2], 1);
  EXPECT_DOUBLE_EQ(d[1 * 5 + 4], 4);
  EXPECT_DOUBLE_EQ(d[0 * 5 + 3], 49);
  EXPECT_EQ(CompleteLinkageOrder(d, 5), (std::vector<int>{1, 3, 2, 5, 4}));

  // Two cases: columns (0,1), (1,1), (0,0) are 1, 1 and 2 apart; the tie
  // of 1-2 and 1-3 goes to 1-2, then 3 joins: 1, 2, 3.
  ws->NumCases = 2;
  ws->NumVars = 3;
  const float rows[2][3] = {{0, 1, 0}, {1, 1, 0}};
  for (int c = 1; c <= 2; ++c)
    for (int v = 1; v <= 3; ++v) ws->DataMatrix(c, v) = rows[c - 1][v - 1];
  const std::vector<double> d3 = VariableDistances(*ws);
  EXPECT_DOUBLE_EQ(d3[0 * 3 + 1], 1);
  EXPECT_DOUBLE_EQ(d3[0 * 3 + 2], 1);
  EXPECT_DOUBLE_EQ(d3[1 * 3 + 2], 2);
  EXPECT_EQ(CompleteLinkageOrder(d3, 3), (std::vector<int>{1, 2, 3}));
  // Identical columns: every join a tie, file order kept.
  EXPECT_EQ(CompleteLinkageOrder(std::vector<double>(16, 0), 4), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(CompleteLinkageOrder({}, 0), std::vector<int>{});
}
