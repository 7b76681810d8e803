#include <gtest/gtest.h>

#include <algorithm>

#include "commands/ClassifyingCommands.h"
#include "commands/Refine.h"
#include "core/Distances.h"
#include "core/Refine.h"
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

TEST_F(Refining, ASwapFreesAPrototypeFromASplitGroupForTwoGroupsSharingOne) {
  groups({{0, 0}, {10, 0}, {0, 10}, {10, 10}}, 30);
  // Two prototypes split the first group, one sits between the last two: a
  // fixed point of the iterations, 4 * 30 * 25 above the optimum.
  prototypes({{-0.25f, 0}, {0.25f, 0}, {10, 0}, {5, 10}});
  runCommand(ctx, refineprototypes1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  EXPECT_TRUE(std::find(shell.lines.begin(), shell.lines.end(),
                        "   swap 1 (2 prototypes moved): " + sumOfDistancesText(ws->SumDist[4])) != shell.lines.end());
  const auto sums = iterationSums();
  for (std::size_t i = 1; i < sums.size(); ++i) EXPECT_LE(sums[i], sums[i - 1]) << i;
  std::vector<int> groupOf;
  for (int g = 0; g < 4; ++g) {
    const int label = ws->ClassLabels(g * 30 + 1, 1);
    for (int c = g * 30 + 1; c <= g * 30 + 30; ++c) EXPECT_EQ(ws->ClassLabels(c, 1), label);
    groupOf.push_back(label);
  }
  std::sort(groupOf.begin(), groupOf.end());
  EXPECT_EQ(groupOf, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(shell.lines.back().rfind("Converged after ", 0), 0u) << shell.lines.back();
  EXPECT_EQ(ws->SumDist[4], SumOfMinDistances(*ws));
}

// Cases 0 and 10 share a class (mean 5), ten cases at 16 form the other:
// case 10 lies nearer its own mean (25 against 36), so the iterations stay,
// but moving it lowers the sum from 50 to 32.727: its class loses
// 2/1 x 25, the other gains only 10/11 x 36.
TEST_F(Refining, ASingleCaseMoveThatTheIterationsCannotMakeLowersTheSum) {
  // Cases at 0, 10 and 16 (all the others) on the first of 100 variables:
  // large enough data that only the swaps that promise a gain are tried,
  // and none does (the class at 16 cannot be split).
  const int cases = 26000;
  ws->NumCases = cases;
  ws->NumVars = 100;
  for (int c = 1; c <= cases; ++c)
    for (int v = 1; v <= 100; ++v) ws->DataMatrix(c, v) = v > 1 ? 0.0f : c == 1 ? 0.0f : c == 2 ? 10.0f : 16.0f;
  for (int k = 1; k <= 2; ++k)
    for (int v = 1; v <= 100; ++v) ws->Prototypes(k, v) = v > 1 ? 0.0f : k == 1 ? 5.0f : 16.0f;
  ws->NumPrototypes = 2;
  runCommand(ctx, refineprototypes1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  // Case 2 (at 10) is nearer 5 than 16, but moving it to the large class
  // costs 36 * 25998 / 25999 there and saves 50 in its own.
  EXPECT_NEAR(ws->SumDist[2], 36.0 * (cases - 2) / (cases - 1), 2e-3);
  EXPECT_NE(std::find(shell.lines.begin(), shell.lines.end(), "   moves 1 (1 cases moved): " + sumOfDistancesText(ws->SumDist[2])),
            shell.lines.end());
  const auto sums = iterationSums();
  for (std::size_t i = 1; i < sums.size(); ++i) EXPECT_LE(sums[i], sums[i - 1]) << i;
  EXPECT_EQ(ws->ClassLabels(2, 1), 2);
  EXPECT_EQ(ws->ClassSize[1], 1);
  EXPECT_FLOAT_EQ(ws->Prototypes(2, 1), static_cast<float>((10.0 + 16.0 * (cases - 2)) / (cases - 1)));
  EXPECT_EQ(shell.lines.back().rfind("Converged after ", 0), 0u) << shell.lines.back();
}

// Small data: a swap that promises no gain finds the same end.
TEST_F(Refining, OnSmallDataASwapThatPromisesNoGainIsTriedToo) {
  const float at[] = {0, 10, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
  ws->NumCases = 12;
  ws->NumVars = 2;
  for (int c = 1; c <= 12; ++c) {
    ws->DataMatrix(c, 1) = at[c - 1];
    ws->DataMatrix(c, 2) = 0;
  }
  prototypes({{5, 0}, {16, 0}});
  runCommand(ctx, refineprototypes1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  EXPECT_NE(std::find(shell.lines.begin(), shell.lines.end(), "   swap 1 (2 prototypes moved): sum(dist^2) = 32.727"),
            shell.lines.end());
  EXPECT_EQ(ws->ClassSize[1], 1);
  EXPECT_FLOAT_EQ(ws->Prototypes(2, 1), 170.0f / 11);
  EXPECT_EQ(sumOfDistancesText(ws->SumDist[2]), "sum(dist^2) = 32.727");
}

TEST_F(Refining, EstimatesTheRemovalOfAPrototypeAndTheSplitOfAClassAsRecountedByHand) {
  // Class 1 holds two groups side by side, class 2 one group far away.
  groups({{0, 0}, {3, 0}, {20, 20}}, 40);
  auto mean = [&](int from, int to, int v) {
    double s = 0;
    for (int c = from; c <= to; ++c) s += ws->DataMatrix(c, v);
    return s / (to - from + 1);
  };
  auto squares = [&](int from, int to) {
    const double mx = mean(from, to, 1), my = mean(from, to, 2);
    double s = 0;
    for (int c = from; c <= to; ++c)
      s += (ws->DataMatrix(c, 1) - mx) * (ws->DataMatrix(c, 1) - mx) + (ws->DataMatrix(c, 2) - my) * (ws->DataMatrix(c, 2) - my);
    return s;
  };
  prototypes({{static_cast<float>(mean(1, 80, 1)), static_cast<float>(mean(1, 80, 2))},
              {static_cast<float>(mean(81, 120, 1)), static_cast<float>(mean(81, 120, 2))}});
  std::vector<std::int8_t> labels;
  std::vector<double> dist;
  const double sum = AssignCases(*ws, labels, dist, 2);
  const std::vector<double> cost = RemovalCosts(*ws, labels, dist, 2);
  // Without prototype 2 every case goes to prototype 1, which moves to the mean of all.
  EXPECT_NEAR(cost[1], squares(1, 120) - sum, 1e-4 * sum);
  const std::vector<ClassSplit> split = SplitClasses(*ws, labels, dist, 2);
  // The cut across the long axis of class 1 parts its two groups.
  EXPECT_NEAR(split[0].gain, squares(1, 80) - squares(1, 40) - squares(41, 80), 1e-4 * sum);
  ASSERT_EQ(split[0].lower.size(), 2u);
  EXPECT_NEAR(std::min(split[0].lower[0], split[0].upper[0]), mean(1, 40, 1), 1e-4);
  EXPECT_NEAR(std::max(split[0].lower[0], split[0].upper[0]), mean(41, 80, 1), 1e-4);
}

TEST_F(Refining, GivesTheSameBitsOnOneAndTwoThreads) {
  groups({{0, 0}, {3, 1}, {1, 4}, {5, 5}}, 600);  // several blocks of cases
  // Two prototypes share the first group and one lies between the second
  // and the third: a swap round runs too.
  prototypes({{0, 0}, {0.2f, 0.2f}, {2, 2.5f}, {5, 5}, {5.2f, 5.2f}});
  Workspace& w = *ws;
  setRefineThreads(1);
  runCommand(ctx, refineprototypes1Click);
  const auto lines = shell.lines;
  std::vector<float> one(w.Prototypes.row(1), w.Prototypes.row(1) + 2);
  EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("   swap 1 ", 0) == 0; }),
            lines.end());
  prototypes({{0, 0}, {0.2f, 0.2f}, {2, 2.5f}, {5, 5}, {5.2f, 5.2f}});
  shell.lines.clear();
  setRefineThreads(2);
  runCommand(ctx, refineprototypes1Click);
  setRefineThreads(0);
  EXPECT_EQ(shell.lines, lines);
  EXPECT_EQ(std::vector<float>(w.Prototypes.row(1), w.Prototypes.row(1) + 2), one);
}

TEST_F(Refining, IsRefusedForTanimotoWithoutPrototypesAndForABadIterationCount) {
  groups({{0, 0}}, 5);
  // After a run of three replications: every refusal but the last comes
  // before the question (the scripted shell fails on one not answered).
  ws->NumReplications = ws->LabelsReplications = 3;
  ws->LabelsPrototypes = 1;
  for (int c = 1; c <= 5; ++c) ws->ClassLabels(c, 1) = ws->ClassLabels(c, 2) = ws->ClassLabels(c, 3) = 1;
  ws->ClassLabels(4, 2) = 0;
  struct Case {
    int kind, prototypes;
    const char* input;
    const char* message;
    bool every = false;
  } cases[] = {
      {DistTanimoto, 1, nullptr, "fits the squared Euclidean distance only"},
      {DistEuclidean, 0, nullptr, "No prototypes are current to refine"},
      {DistEuclidean, 1, "0", "'0' is not a valid number of iterations"},
      {DistEuclidean, 1, "x", "'x' is not a valid number of iterations"},
      {DistEuclidean, 1, "5", "Case 4 has no class in replication 2:", true},
  };
  for (const Case& c : cases) {
    ws->DistanceKind = c.kind;
    ws->NumPrototypes = c.prototypes;
    ws->Prototypes(1, 1) = 7;
    if (c.input) shell.inputs.push_back(c.input);
    if (c.every) shell.answers.push_back(Answer::Yes);
    shell.messages.clear();
    shell.lines.clear();
    runCommand(ctx, refineprototypes1Click);
    ASSERT_EQ(shell.messages.size(), 1u) << c.message;
    EXPECT_NE(shell.messages[0].find(c.message), std::string::npos) << shell.messages[0];
    EXPECT_TRUE(shell.lines.empty());
    EXPECT_EQ(ws->Prototypes(1, 1), 7.0f);
  }
}

namespace {

// The sums ending the replication lines of a refinement of every
// replication, in replication order.
std::vector<std::string> replicationEnds(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind("   replication ", 0) == 0) {
      const auto from = l.find(" -> ") + 4;
      out.push_back(l.substr(from, l.find(',', from) - from));
    }
  return out;
}

}  // namespace

// Three replications of four groups: 1 a scatter of labels over every
// group, 2 the groups, 3 the groups numbered backwards with the prototypes
// left at their means. One iteration each: replication 1 is left far from
// the groups, 2 and 3 fit them equally well.
TEST_F(Refining, EveryReplicationEndsWhereRefiningItAloneEndsAndTheSmallestSumIsKept) {
  groups({{0, 0}, {10, 0}, {0, 10}, {10, 10}}, 30);
  const int n = 4, cases = 120;
  std::vector<std::vector<std::int8_t>> columns(3);
  for (int c = 1; c <= cases; ++c) {
    const int g = (c - 1) / 30;
    columns[0].push_back(static_cast<std::int8_t>(1 + (c * 7 / 3) % 4));
    columns[1].push_back(static_cast<std::int8_t>(1 + g));
    columns[2].push_back(static_cast<std::int8_t>(4 - g));
    for (int r = 1; r <= 3; ++r) ws->ClassLabels(c, r) = columns[static_cast<std::size_t>(r - 1)].back();
  }
  // Class means by hand: summed in double in case order, rounded once.
  auto meansOf = [&](Workspace& w, const std::vector<std::int8_t>& labels) {
    for (int k = 1; k <= n; ++k)
      for (int v = 1; v <= 2; ++v) {
        double s = 0;
        int m = 0;
        for (int c = 1; c <= cases; ++c)
          if (labels[static_cast<std::size_t>(c - 1)] == k) {
            s += w.DataMatrix(c, v);
            ++m;
          }
        w.Prototypes(k, v) = static_cast<float>(s / m);
      }
    w.NumPrototypes = n;
  };
  meansOf(*ws, columns[2]);
  ws->NumReplications = ws->LabelsReplications = 3;
  ws->LabelsPrototypes = n;
  ws->LowerLimit = ws->UpperLimit = n;
  const auto before = Workspace::create();
  values(*before) = values(*ws);

  shell.inputs.push_back("1");
  shell.answers.push_back(Answer::Yes);
  runCommand(ctx, refineprototypes1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  ASSERT_EQ(shell.questions.size(), 2u);
  EXPECT_EQ(shell.questions[1], std::string("The last training run has 3 replications.\r\n"
                                            "Refine each of them and keep the best (Yes),\r\n"
                                            "or the last one only (No)?"));
  const std::vector<std::string> ends = replicationEnds(shell.lines);
  ASSERT_EQ(ends.size(), 3u);

  // Each replication alone, as the last replication of a one-replication
  // run: 1 and 2 from the means of their classes, 3 from its prototypes.
  std::vector<std::vector<std::int8_t>> alone;
  for (int r = 1; r <= 3; ++r) {
    SCOPED_TRACE("replication " + std::to_string(r));
    const auto w = Workspace::create();
    values(*w) = values(*before);
    w->NumReplications = 1;
    if (r < 3) meansOf(*w, columns[static_cast<std::size_t>(r - 1)]);
    ScriptedShell sh;
    for (int k = 1; k <= n; ++k) {
      sh.addPoint(Series::Bars, 0, std::to_string(k));
      sh.addPoint(Series::Line, 0, std::to_string(k));
    }
    sh.inputs.push_back("1");
    Context one{*w, sh};
    runCommand(one, refineprototypes1Click);
    ASSERT_TRUE(sh.messages.empty()) << sh.messages[0];
    EXPECT_EQ(sumOfDistancesText(w->SumDist[n]), "sum(dist^2) = " + ends[static_cast<std::size_t>(r - 1)]);
    alone.emplace_back();
    for (int c = 1; c <= cases; ++c) alone.back().push_back(w->ClassLabels(c, 1));
  }
  const auto sumOf = [&](int r) { return std::stod(ends[static_cast<std::size_t>(r - 1)]); };
  EXPECT_GT(sumOf(1), sumOf(2));
  EXPECT_EQ(sumOf(2), sumOf(3));

  // Replication 2 is kept (the lower of two equal sums): its classes go to
  // the last column, those of replication 3 to its column.
  EXPECT_EQ(shell.lines.back(), "Replication 2 has the smallest sum and is current now.");
  EXPECT_EQ(shell.lines[shell.lines.size() - 2], "Columns 2 and 3 of the class labels changed places.");
  for (int c = 1; c <= cases; ++c) {
    EXPECT_EQ(ws->ClassLabels(c, 1), alone[0][static_cast<std::size_t>(c - 1)]) << c;
    EXPECT_EQ(ws->ClassLabels(c, 2), alone[2][static_cast<std::size_t>(c - 1)]) << c;
    EXPECT_EQ(ws->ClassLabels(c, 3), alone[1][static_cast<std::size_t>(c - 1)]) << c;
  }
  EXPECT_EQ(ws->ClassLabels(1, 3), 1);
  EXPECT_EQ(ws->ClassLabels(1, 2), 4);
  EXPECT_EQ(sumOfDistancesText(ws->RepSumDist[1]), "sum(dist^2) = " + ends[0]);
  EXPECT_EQ(ws->RepSumDist[2], ws->RepSumDist[3]);
  EXPECT_EQ(ws->SumDist[n], SumOfMinDistances(*ws));
  EXPECT_EQ(shell.bars[n - 1].value, ws->SumDist[n]);
  EXPECT_EQ(shell.axisMax, 1.1 * ws->SumDist[n]);  // the bar still fills the chart
  for (int k = 1; k <= n; ++k) EXPECT_EQ(ws->ClassSize[k], 30);
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Refine prototypes...", "Done."}));
}

namespace {

// Survey-like whole-number data (ties between distances are common) or
// continuous groups, from a fixed stream.
void fillData(Workspace& w, int cases, int vars, bool whole, std::uint32_t seed) {
  std::uint32_t s = seed;
  auto next = [&] {
    s = s * 134775813u + 1u;
    return static_cast<double>(s >> 8) / 16777216.0;
  };
  w.NumCases = cases;
  w.NumVars = vars;
  for (int c = 1; c <= cases; ++c) {
    const int group = static_cast<int>(next() * 5);
    for (int v = 1; v <= vars; ++v) {
      const double x = group * ((v + group) % 3) + 3 * next();
      w.DataMatrix(c, v) = whole ? static_cast<float>(1 + static_cast<int>(x) % 6) : static_cast<float>(x);
    }
  }
}

// The single-case moves written plainly: every case of every pass looked at
// against every class, the means kept in double as the routine keeps them.
int plainMoves(Workspace& w, std::vector<std::int8_t>& labels, int passes, double enough) {
  const int n = w.NumPrototypes, nv = w.NumVars;
  std::vector<std::vector<double>> mean(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(nv), 0.0));
  std::vector<int> size(static_cast<std::size_t>(n), 0);
  for (int c = 1; c <= w.NumCases; ++c) {
    auto& m = mean[static_cast<std::size_t>(labels[static_cast<std::size_t>(c - 1)] - 1)];
    for (int i = 0; i < nv; ++i) m[static_cast<std::size_t>(i)] += w.DataMatrix(c, i + 1);
    ++size[static_cast<std::size_t>(labels[static_cast<std::size_t>(c - 1)] - 1)];
  }
  for (int k = 0; k < n; ++k)
    for (double& x : mean[static_cast<std::size_t>(k)])
      if (size[static_cast<std::size_t>(k)] > 0) x /= size[static_cast<std::size_t>(k)];
  int moves = 0;
  for (int pass = 0; pass < passes; ++pass) {
    int moved = 0;
    double gain = 0;
    for (int c = 1; c <= w.NumCases; ++c) {
      const int k = labels[static_cast<std::size_t>(c - 1)] - 1;
      const int nk = size[static_cast<std::size_t>(k)];
      if (nk < 2) continue;
      std::vector<double> d(static_cast<std::size_t>(n), 0.0);
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < nv; ++i) {
          const double t = static_cast<double>(w.DataMatrix(c, i + 1)) -
                           static_cast<double>(static_cast<float>(mean[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)]));
          d[static_cast<std::size_t>(j)] += t * t;
        }
      const double removal = nk / (nk - 1.0) * d[static_cast<std::size_t>(k)];
      int to = -1;
      double best = 0;
      for (int j = 0; j < n; ++j) {
        const int nj = size[static_cast<std::size_t>(j)];
        if (j == k || nj == 0) continue;
        const double addition = nj / (nj + 1.0) * d[static_cast<std::size_t>(j)];
        if (to < 0 || addition < best) {
          best = addition;
          to = j;
        }
      }
      if (to < 0 || removal - best <= 1e-7 * removal) continue;
      gain += removal - best;
      const int nj = size[static_cast<std::size_t>(to)];
      for (int i = 0; i < nv; ++i) {
        double& mk = mean[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)];
        double& mj = mean[static_cast<std::size_t>(to)][static_cast<std::size_t>(i)];
        mk = (mk * nk - w.DataMatrix(c, i + 1)) / (nk - 1);
        mj = (mj * nj + w.DataMatrix(c, i + 1)) / (nj + 1);
      }
      --size[static_cast<std::size_t>(k)];
      ++size[static_cast<std::size_t>(to)];
      labels[static_cast<std::size_t>(c - 1)] = static_cast<std::int8_t>(to + 1);
      ++moved;
    }
    moves += moved;
    if (moved == 0 || gain < enough) break;
  }
  for (int k = 0; k < n; ++k)
    if (size[static_cast<std::size_t>(k)] > 0)
      for (int i = 0; i < nv; ++i) w.Prototypes(k + 1, i + 1) = static_cast<float>(mean[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)]);
  return moves;
}

}  // namespace

// The moves pass over the cases that bounds and a look in single precision
// show cannot move, and the iterations over those whose prototype cannot
// have changed: neither may change a result. The moves against the plain
// loop, and the whole refinement against a fresh search from its end.
TEST_F(Refining, PassingOverCasesChangesNoMoveAndNoClass) {
  struct Data {
    int cases, vars, n;
    bool whole;
  };
  for (const Data& t : {Data{1500, 25, 8, true}, Data{2100, 3, 12, false}, Data{900, 40, 30, true}}) {
    SCOPED_TRACE(::testing::Message() << t.cases << " x " << t.vars << ", " << t.n << " prototypes");
    fillData(*ws, t.cases, t.vars, t.whole, 5u + static_cast<std::uint32_t>(t.n));
    ws->NumPrototypes = t.n;
    for (int k = 1; k <= t.n; ++k)
      for (int v = 1; v <= t.vars; ++v) ws->Prototypes(k, v) = ws->DataMatrix(1 + (k * 97) % t.cases, v);
    std::vector<std::int8_t> labels;
    std::vector<double> dist;
    AssignCases(*ws, labels, dist, 1);
    // Every third case in a wrong class: the means move far while the
    // moves put them back, so that bounds taken early must allow for it.
    for (std::size_t c = 0; c < labels.size(); c += 3) labels[c] = static_cast<std::int8_t>(1 + (labels[c] + c) % t.n);
    const auto start = Workspace::create();
    values(*start) = values(*ws);
    std::vector<std::int8_t> plain = labels;
    const int plainCount = plainMoves(*start, plain, 10, 0.0);
    ASSERT_GT(plainCount, 0);
    const int count = SingleCaseMoves(*ws, labels, 10, 0.0);
    EXPECT_EQ(count, plainCount);
    EXPECT_EQ(labels, plain);
    for (int k = 1; k <= t.n; ++k)
      ASSERT_EQ(std::vector<float>(ws->Prototypes.row(k), ws->Prototypes.row(k) + t.vars),
                std::vector<float>(start->Prototypes.row(k), start->Prototypes.row(k) + t.vars)) << k;

    const RefineResult result = RefinePrototypes(*ws, 100, 2, [](const RefineStep&) {});
    std::vector<std::int8_t> fresh;
    std::vector<double> freshDist;
    AssignCases(*ws, fresh, freshDist, 1);
    EXPECT_EQ(result.labels, fresh);
    EXPECT_EQ(result.dist, freshDist);
  }
}
