#include <gtest/gtest.h>

#include <algorithm>

#include "commands/ParamDialog.h"
#include "commands/SubtClus.h"
#include "commands/Train.h"
#include "core/NumberReader.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

class Training : public ::testing::Test {
 protected:
  Training() {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(7));
    // Two groups of cases in two variables: 40 around (0, 0), 40 around (5, 5).
    ws->NumCases = 80;
    ws->NumVars = 2;
    std::uint32_t s = 3;
    for (int i = 1; i <= 80; ++i) {
      const float centre = i <= 40 ? 0.0f : 5.0f;
      for (int v = 1; v <= 2; ++v) {
        s = s * 134775813u + 1u;
        ws->DataMatrix(i, v) = centre + static_cast<float>(s >> 8) / 16777216.0f;
      }
    }
    ws->BlockSize = 1;
  }

  // Parameters as the dialog would store them.
  void params(int lower, int upper, int reps = 1, bool neighbor = true, int trials = 5, int epochs = 3) {
    ParamDialog d(ctx);
    d.edits = {std::to_string(lower), std::to_string(upper), std::to_string(trials),
               std::to_string(epochs), "0.3", "2", "1", std::to_string(reps)};
    d.checkBox1 = neighbor;
    ASSERT_TRUE(d.ok());
  }

  void train() { runCommand(ctx, run1Click); }

  int count(const std::string& line) const {
    return static_cast<int>(std::count(shell.lines.begin(), shell.lines.end(), line));
  }
  int countPrefix(const std::string& prefix) const {
    return static_cast<int>(std::count_if(shell.lines.begin(), shell.lines.end(), [&](const std::string& l) {
      return l.rfind(prefix, 0) == 0;
    }));
  }

  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
};

}  // namespace

TEST_F(Training, OnePrototypeOnly) {
  params(1, 1);
  train();
  // Before the closing blank line only the two lines of N = 1; after it the
  // one-row adjacency listing.
  ASSERT_EQ(shell.lines.size(), 5u);
  EXPECT_EQ(shell.lines[0], "   >>> # OF SEGMENTS IS 1 <<<");
  EXPECT_EQ(shell.lines[1].rfind("sum(dist^2) = ", 0), 0u);
  EXPECT_EQ(shell.lines[2], " ");
  EXPECT_EQ(shell.lines[3], "adjacency matrix:");
  EXPECT_EQ(shell.lines[4], "0 ");
  // The prototype is the mean vector; the sum is the total squared distance to it.
  double sum = 0;
  for (int i = 1; i <= 80; ++i)
    for (int v = 1; v <= 2; ++v) {
      const double d = ws->DataMatrix(i, v) - ws->Prototypes(1, v);
      sum += d * d;
    }
  EXPECT_NEAR(ws->SumDist[1], sum, 1e-3 * sum);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{"Highest wSSI = 0\r\nfor 0 classes.", "Training completed."}));
  EXPECT_EQ(shell.status(), "Done.");
  EXPECT_FALSE(shell.busy);
  EXPECT_EQ(shell.bars.size(), 1u);
  EXPECT_EQ(shell.bars[0].value, ws->SumDist[1]);
  EXPECT_DOUBLE_EQ(shell.axisMax, 1.1 * ws->SumDist[1]);
}

TEST_F(Training, OneToFourListsDimensionalityAndTheBestWssi) {
  params(1, 4);
  train();
  EXPECT_EQ(countPrefix("   >>> # OF SEGMENTS IS "), 4);
  EXPECT_EQ(countPrefix("statistical dimensionality is "), 1);
  ASSERT_GE(shell.messages.size(), 3u);
  // The best wSSI, the first of equal values, in the general format.
  float best = 0;
  int bestN = 0;
  for (int n = 1; n <= 4; ++n)
    if (ws->WSSI[n] > best) {
      best = ws->WSSI[n];
      bestN = n;
    }
  EXPECT_GT(bestN, 1);
  EXPECT_EQ(shell.messages[0].rfind("Highest wSSI = ", 0), 0u);
  EXPECT_NE(shell.messages[0].find("\r\nfor " + std::to_string(bestN) + " classes."), std::string::npos);
  EXPECT_EQ(shell.messages[1], "Training completed.");
  EXPECT_EQ(shell.messages[2], "Determine statistical dimensionality...");
  EXPECT_EQ(ws->NumPrototypes, 4);
  EXPECT_EQ(count("adjacency matrix:"), 1);
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(shell.bars[static_cast<std::size_t>(n - 1)].value, ws->SumDist[n]);
    EXPECT_EQ(shell.bars[static_cast<std::size_t>(n - 1)].label, std::to_string(n));
    EXPECT_FLOAT_EQ(static_cast<float>(shell.linePoints[static_cast<std::size_t>(n - 1)].value), ws->WSSI[n]);
  }
  EXPECT_TRUE(shell.enabled(MenuItem::Adjacencygraph1));
  EXPECT_TRUE(shell.enabled(MenuItem::Similarityofprototypes1));
  EXPECT_FALSE(shell.enabled(MenuItem::BlockssamplesxPrototypescontingencytable1));
  EXPECT_GT(shell.graphShown, 0);
}

TEST_F(Training, ThreeToFiveLeavesTheSmallerNumbersAtZero) {
  ws->SumDist[1] = ws->SumDist[2] = 99;
  ws->WSSI[1] = ws->WSSI[2] = 0.5f;
  params(3, 5);
  train();
  EXPECT_EQ(ws->SumDist[1], 0.0);
  EXPECT_EQ(ws->SumDist[2], 0.0);
  EXPECT_EQ(ws->WSSI[1], 0.0f);
  EXPECT_EQ(shell.bars[0].value, 0.0);
  EXPECT_EQ(shell.bars[1].value, 0.0);
  EXPECT_GT(shell.bars[2].value, 0.0);
  EXPECT_EQ(countPrefix("statistical dimensionality is "), 0);
  EXPECT_DOUBLE_EQ(shell.axisMax, 1.1 * ws->SumDist[3]);
}

TEST_F(Training, WithoutNeighbourUpdateThereIsNoGraph) {
  params(2, 3, 1, false);
  train();
  EXPECT_EQ(countPrefix("   Sammon-stress = "), 0);
  EXPECT_EQ(count("adjacency matrix:"), 0);
  EXPECT_EQ(shell.graphShown, 0);
  EXPECT_FALSE(shell.enabled(MenuItem::Adjacencygraph1));
  EXPECT_EQ(shell.graphCreated, 1);
}

TEST_F(Training, ReplicationsFillTheirColumns) {
  params(3, 3, 5);
  for (int c = 1; c <= 80; ++c)
    for (int r = 1; r <= 5; ++r) ws->ClassLabels(c, r) = 0;
  train();
  for (int r = 1; r <= 5; ++r) {
    EXPECT_GT(ws->RepSumDist[r], 0.0) << r;
    for (int c = 1; c <= 80; ++c) {
      EXPECT_GE(ws->ClassLabels(c, r), 1);
      EXPECT_LE(ws->ClassLabels(c, r), 3);
    }
  }
  EXPECT_EQ(ws->RepSumDist[5], ws->SumDist[3]);
  EXPECT_EQ(countPrefix("Highest wSSI"), 0);
  for (const auto& m : shell.messages) EXPECT_EQ(m.find("Highest wSSI"), std::string::npos);
  EXPECT_TRUE(shell.enabled(MenuItem::Compareoverreplications1));
  EXPECT_EQ(count("   Size of classes:"), 5);
}

TEST_F(Training, ListedTrialsFallStrictlyAndTheFirstIsAlwaysListed) {
  params(4, 4, 1, true, 100, 1);
  train();
  std::vector<double> sums;
  for (const auto& l : shell.lines)
    if (l.rfind("trial #", 0) == 0) sums.push_back(static_cast<double>(*parseReal(l.substr(l.rfind(' ') + 1))));
  ASSERT_FALSE(sums.empty());
  EXPECT_EQ(shell.lines[1], " ");
  EXPECT_EQ(shell.lines[2], "   Seedpoints:");
  EXPECT_EQ(shell.lines[3].rfind("trial #1: sum(dist^2) = ", 0), 0u);
  for (std::size_t i = 1; i < sums.size(); ++i) EXPECT_LT(sums[i], sums[i - 1]);
}

TEST_F(Training, SubtractiveClusteringSeedsOnlyTheFirstNumber) {
  params(2, 4);
  runCommand(ctx, subtractiveclustering1Click);
  shell.inputs.push_back("1");
  train();
  EXPECT_EQ(count("Subtractive clustering initialization:"), 1);
  EXPECT_EQ(count("   Seedpoints:"), 0);
  EXPECT_EQ(countPrefix("trial #"), 0);
  EXPECT_EQ(countPrefix("data point # "), 2);
  EXPECT_FALSE(ws->UseSubtClus);
  EXPECT_EQ(ws->NumTrials, 0);
  // The two centres lie one in each group.
  EXPECT_NE(ws->BestStart(1, 1) < 2.5f, ws->BestStart(2, 1) < 2.5f);
}

TEST_F(Training, IsRepeatableBitForBitWithAFixedSeed) {
  params(2, 3, 1, true, 10, 4);
  train();
  const auto firstLines = shell.lines;
  std::vector<float> protos;
  for (int k = 1; k <= 3; ++k)
    for (int v = 1; v <= 2; ++v) protos.push_back(ws->Prototypes(k, v));
  ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(7));
  train();
  EXPECT_EQ(shell.lines, firstLines);
  for (int k = 1; k <= 3; ++k)
    for (int v = 1; v <= 2; ++v) EXPECT_EQ(ws->Prototypes(k, v), protos[static_cast<std::size_t>((k - 1) * 2 + v - 1)]);
}

TEST_F(Training, KBlocksDataEnableTheBlockAnalyses) {
  ws->KBlocks = true;
  ws->BlockSize = 4;
  params(2, 2);
  train();
  EXPECT_TRUE(shell.enabled(MenuItem::BlockssamplesxPrototypescontingencytable1));
  EXPECT_TRUE(shell.enabled(MenuItem::Crosstabulateblockspairwise1));
  EXPECT_TRUE(shell.enabled(MenuItem::absfrequencies1));
}

TEST_F(Training, KSamplesDataEnableTheTableButNotTheCrossTabulation) {
  ws->KSamples = true;
  params(2, 2);
  train();
  EXPECT_TRUE(shell.enabled(MenuItem::BlockssamplesxPrototypescontingencytable1));
  EXPECT_FALSE(shell.enabled(MenuItem::Crosstabulateblockspairwise1));
}

TEST_F(Training, ConstantDataAreRefusedBeforeAnythingChanges) {
  params(1, 3);
  for (int i = 1; i <= 80; ++i) ws->DataMatrix(i, 1) = ws->DataMatrix(i, 2) = 2;
  shell.lines = {"earlier line"};
  train();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "Every variable is constant in these data:\r\nthere is nothing to segment.");
  EXPECT_EQ(shell.lines, std::vector<std::string>{"earlier line"});
  EXPECT_FALSE(shell.busy);
}

TEST_F(Training, OnlyDataWhoseDistancesReachTheRankingBoundAreRefused) {
  // Largest squared distance 6.4e9, though the box's diagonal is 1.28e10.
  const float points[6][2] = {{4e4f, 0}, {-4e4f, 0}, {0, 4e4f}, {0, -4e4f}, {2e4f, 0}, {0, 2e4f}};
  ws->NumCases = 6;
  for (int c = 1; c <= 6; ++c)
    for (int v = 1; v <= 2; ++v) ws->DataMatrix(c, v) = points[c - 1][v - 1];
  params(2, 2);
  train();
  for (const std::string& m : shell.messages) EXPECT_EQ(m.find("can reach"), std::string::npos) << m;
  EXPECT_EQ(shell.statuses.back(), "Done.");

  ws->DataMatrix(1, 1) = 1e6f;
  ws->DataMatrix(2, 1) = -1e6f;
  shell.messages.clear();
  train();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("The squared distances of these data can reach 4000000000000,", 0), 0u)
      << shell.messages[0];
  EXPECT_NE(shell.messages[0].find("more than the training can rank"), std::string::npos);
  EXPECT_FALSE(shell.busy);
}

TEST_F(Training, APerfectFitSkipsTheDimensionalityWithAMessage) {
  // Three distinct points: three prototypes fit them exactly.
  ws->NumCases = 3;
  ws->NumVars = 1;
  ws->DataMatrix(1, 1) = 0;
  ws->DataMatrix(2, 1) = 1;
  ws->DataMatrix(3, 1) = 2;
  params(1, 3, 1, false, 50, 30);
  train();
  if (ws->SumDist[3] == 0) {
    EXPECT_EQ(countPrefix("statistical dimensionality is "), 0);
    EXPECT_NE(std::find_if(shell.messages.begin(), shell.messages.end(),
                           [](const std::string& m) { return m.find("cannot be determined") != std::string::npos; }),
              shell.messages.end());
  }
  EXPECT_EQ(shell.status(), "Done.");
  for (const auto& l : shell.lines) EXPECT_EQ(l.find("nan"), std::string::npos) << l;
}

TEST_F(Training, RefusesToRunWithoutData) {
  params(2, 2);
  ws->NumCases = 0;
  train();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "No data have been read: open a data file first.");
}
