#include <gtest/gtest.h>

#include <algorithm>

#include "commands/Refine.h"
#include "core/Distances.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

class Refining : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void SetUp() override {
    ws->DistanceKind = DistEuclidean;
    ws->NumReplications = 1;
    // The chart as a training run of 1 to 5 prototypes leaves it.
    for (int n = 1; n <= 5; ++n) {
      shell.addPoint(Series::Bars, 0, std::to_string(n));
      shell.addPoint(Series::Line, 0, std::to_string(n));
    }
  }
  // Groups of cases in two variables around the given centres, spread by a
  // fixed pseudo-random pattern of at most +-0.5.
  void groups(const std::vector<std::pair<float, float>>& centres, int each) {
    std::uint32_t s = 11;
    int c = 0;
    for (const auto& [x, y] : centres)
      for (int i = 0; i < each; ++i) {
        ++c;
        s = s * 134775813u + 1u;
        ws->DataMatrix(c, 1) = x + static_cast<float>(s >> 8) / 16777216.0f - 0.5f;
        s = s * 134775813u + 1u;
        ws->DataMatrix(c, 2) = y + static_cast<float>(s >> 8) / 16777216.0f - 0.5f;
      }
    ws->NumCases = c;
    ws->NumVars = 2;
  }
  void prototypes(const std::vector<std::pair<float, float>>& at) {
    int k = 0;
    for (const auto& [x, y] : at) {
      ++k;
      ws->Prototypes(k, 1) = x;
      ws->Prototypes(k, 2) = y;
    }
    ws->NumPrototypes = k;
  }
  std::vector<double> iterationSums() const {
    std::vector<double> out;
    for (const std::string& l : shell.lines) {
      const auto at = l.find("sum(dist^2) = ");
      if (at != std::string::npos) out.push_back(std::stod(l.substr(at + 14)));
    }
    return out;
  }
};

}  // namespace

TEST_F(Refining, ReachesTheMeansOfWellSeparatedGroupsAndNeverRaisesTheSum) {
  groups({{0, 0}, {10, 0}, {0, 10}}, 40);
  prototypes({{1, 1}, {2, 2}, {3, 3}});  // a poor start, all near the first group
  runCommand(ctx, refineprototypes1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  EXPECT_EQ(shell.questions[0], "Refine prototypes|maximum # of iterations|100");
  const auto sums = iterationSums();
  ASSERT_GE(sums.size(), 3u);
  for (std::size_t i = 1; i < sums.size(); ++i) EXPECT_LE(sums[i], sums[i - 1]) << i;
  // Each prototype ends at the mean of one group: each group's cases share a label.
  std::vector<int> groupOf;
  for (int g = 0; g < 3; ++g) {
    const int label = ws->ClassLabels(g * 40 + 1, 1);
    for (int c = g * 40 + 1; c <= g * 40 + 40; ++c) EXPECT_EQ(ws->ClassLabels(c, 1), label);
    groupOf.push_back(label);
  }
  std::sort(groupOf.begin(), groupOf.end());
  EXPECT_EQ(groupOf, (std::vector<int>{1, 2, 3}));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(ws->ClassSize[k], 40);
  EXPECT_EQ(shell.lines.back().rfind("Converged after ", 0), 0u) << shell.lines.back();
  EXPECT_EQ(ws->SumDist[3], SumOfMinDistances(*ws));
  EXPECT_EQ(shell.bars[2].value, ws->SumDist[3]);
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Refine prototypes...", "Done."}));
}

TEST_F(Refining, AnEmptySegmentTakesTheWorstFittedCase) {
  groups({{0, 0}, {10, 10}}, 30);
  // Prototype 3 lies beyond every case and wins none.
  prototypes({{0, 0}, {1, 1}, {100, 100}});
  shell.inputs.push_back("1");
  runCommand(ctx, refineprototypes1Click);
  // Prototype 2 held the far group: the case farthest from its prototype is
  // in that group, and prototype 3 moved onto it.
  bool onACase = false;
  for (int c = 31; c <= 60; ++c)
    onACase |= ws->Prototypes(3, 1) == ws->DataMatrix(c, 1) && ws->Prototypes(3, 2) == ws->DataMatrix(c, 2);
  EXPECT_TRUE(onACase);
  EXPECT_GT(ws->ClassSize[3], 0);
  EXPECT_EQ(shell.lines.back(), "Stopped after 1 iterations, not converged.");
}

TEST_F(Refining, GivesTheSameBitsOnOneAndTwoThreads) {
  groups({{0, 0}, {3, 1}, {1, 4}, {5, 5}}, 600);  // several blocks of cases
  prototypes({{0, 1}, {1, 0}, {2, 2}, {4, 4}, {5, 0}});
  Workspace& w = *ws;
  setRefineThreads(1);
  runCommand(ctx, refineprototypes1Click);
  const auto lines = shell.lines;
  std::vector<float> one(w.Prototypes.row(1), w.Prototypes.row(1) + 2);
  prototypes({{0, 1}, {1, 0}, {2, 2}, {4, 4}, {5, 0}});
  shell.lines.clear();
  setRefineThreads(2);
  runCommand(ctx, refineprototypes1Click);
  setRefineThreads(0);
  EXPECT_EQ(shell.lines, lines);
  EXPECT_EQ(std::vector<float>(w.Prototypes.row(1), w.Prototypes.row(1) + 2), one);
}

TEST_F(Refining, IsRefusedForTanimotoWithoutPrototypesAndForABadIterationCount) {
  groups({{0, 0}}, 5);
  struct Case {
    int kind, prototypes;
    const char* input;
    const char* message;
  } cases[] = {
      {DistTanimoto, 1, nullptr, "fits the squared Euclidean distance only"},
      {DistEuclidean, 0, nullptr, "No prototypes are current to refine"},
      {DistEuclidean, 1, "0", "'0' is not a valid number of iterations"},
      {DistEuclidean, 1, "x", "'x' is not a valid number of iterations"},
  };
  for (const Case& c : cases) {
    ws->DistanceKind = c.kind;
    ws->NumPrototypes = c.prototypes;
    ws->Prototypes(1, 1) = 7;
    if (c.input) shell.inputs.push_back(c.input);
    shell.messages.clear();
    shell.lines.clear();
    runCommand(ctx, refineprototypes1Click);
    ASSERT_EQ(shell.messages.size(), 1u) << c.message;
    EXPECT_NE(shell.messages[0].find(c.message), std::string::npos) << shell.messages[0];
    EXPECT_TRUE(shell.lines.empty());
    EXPECT_EQ(ws->Prototypes(1, 1), 7.0f);
  }
}
