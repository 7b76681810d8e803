#include <gtest/gtest.h>

#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NumberFormat.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

class Recalling : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void SetUp() override { ws->DistanceKind = DistEuclidean; }

  void data(std::initializer_list<std::initializer_list<float>> rows) {
    int i = 0;
    for (const auto& r : rows) {
      ++i;
      int v = 0;
      for (float x : r) ws->DataMatrix(i, ++v) = x;
      ws->NumVars = v;
    }
    ws->NumCases = i;
  }
  void prototypes(std::initializer_list<std::initializer_list<float>> rows) {
    int p = 0;
    for (const auto& r : rows) {
      ++p;
      int v = 0;
      for (float x : r) ws->Prototypes(p, ++v) = x;
    }
    ws->NumPrototypes = p;
  }
};

}  // namespace

TEST_F(Recalling, ListsTheSumOfDistancesAndTheClassSharesAfterWhatTheListHeld) {
  data({{0}, {1}, {10}, {12}, {11}});
  prototypes({{0.5f}, {11}});
  for (int c = 1; c <= 5; ++c) ws->ClassLabels(c, 2) = 7;  // an earlier run's replication 2
  shell.lines.push_back("earlier output");
  runCommand(ctx, recallClick);
  // Squared distances .25 + .25 + 1 + 1 + 0; classes of 2 and 3 cases.
  EXPECT_EQ(shell.lines, (std::vector<std::string>{"earlier output", "sum(dist^2) = 2.500", " ", "   Recall:",
                                                   "   Size of classes:", "class #1: 40.00%",
                                                   "class #2: 60.00%"}));
  EXPECT_EQ(ws->SumDist[2], 2.5);
  EXPECT_EQ(ws->ClassSize[1], 2);
  EXPECT_EQ(ws->ClassSize[2], 3);
  const int labels[] = {1, 1, 2, 2, 2};
  for (int c = 1; c <= 5; ++c) {
    EXPECT_EQ(ws->ClassLabels(c, 1), labels[c - 1]);
    EXPECT_EQ(ws->ClassLabels(c, 2), 7);
  }
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Classify...", "Done."}));
  EXPECT_EQ(shell.events,
            (std::vector<std::string>{"line", "select", "repaint", "status", "line", "line", "line", "line",
                                      "select", "repaint", "line", "select", "repaint", "status"}));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Recalling, OnePrototypeTakesEveryCase) {
  data({{0}, {3}, {-4}});
  prototypes({{1}});
  runCommand(ctx, recallClick);
  EXPECT_EQ(shell.lines.back(), "class #1: 100.00%");
  EXPECT_EQ(shell.lines[0], "sum(dist^2) = 30.000");
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(ws->ClassLabels(c, 1), 1);
}

TEST_F(Recalling, IdenticalPrototypesGiveEveryCaseToTheLowerNumber) {
  // The distances round up to their 32-bit values, so an exact tie is
  // below the bound the first prototype leaves.
  data({{0.1f}, {0.3f}, {0.7f}, {1.1f}});
  prototypes({{0.3f}, {0.3f}});
  runCommand(ctx, recallClick);
  EXPECT_EQ(shell.lines.end()[-2], "class #1: 100.00%");
  EXPECT_EQ(shell.lines.back(), "class #2: 0.00%");
}

TEST_F(Recalling, RightAfterTrainingReproducesTheLastReplicationsSumAndShares) {
  // A small data set and a set of trained prototypes, as the training run
  // leaves them after its last replication (column 2 of two).
  for (int c = 1; c <= 60; ++c) {
    ws->DataMatrix(c, 1) = static_cast<float>((c * 37) % 23) / 7.0f;
    ws->DataMatrix(c, 2) = static_cast<float>((c * 11) % 17) / 3.0f;
  }
  ws->NumCases = 60;
  ws->NumVars = 2;
  prototypes({{0.5f, 1}, {2.5f, 4.5f}, {1.7f, 2.2f}});
  ws->NumReplications = 2;
  ws->SumDist[3] = SumOfMinDistances(*ws);
  const std::string trainedSum = "sum(dist^2) = " + formatPicture(ws->SumDist[3], "######.000");
  Classify(*ws, 2);
  CountClassSizes(*ws, 2);
  std::vector<std::string> trainedShares;
  for (int k = 1; k <= 3; ++k)
    trainedShares.push_back("class #" + std::to_string(k) + ": " +
                            formatPicture(ClassShare(ws->ClassSize[k], 60), "##0.00") + "%");

  runCommand(ctx, recallClick);
  ASSERT_EQ(shell.lines.size(), 7u);
  EXPECT_EQ(shell.lines[0], trainedSum);
  EXPECT_EQ(std::vector<std::string>(shell.lines.begin() + 4, shell.lines.end()), trainedShares);
  for (int c = 1; c <= 60; ++c) EXPECT_EQ(ws->ClassLabels(c, 1), ws->ClassLabels(c, 2));
}

TEST_F(Recalling, ClassifiesNewDataWithPrototypesReadFromAFile) {
  TempDir dir;
  data({{0, 0}, {0, 1}, {5, 5}, {6, 5}});
  ws->LowerLimit = 2;
  ws->NumPrototypes = 0;  // as after Parameterize
  shell.openFiles.push_back(dir.write("p.wgt", " 0.000 0.500 \r\n 5.500 5.000 \r\n"));
  runCommand(ctx, readprototypesfromfile1Click);
  ASSERT_TRUE(shell.enabled(MenuItem::Recall));
  runCommand(ctx, recallClick);
  EXPECT_EQ(std::vector<std::string>(shell.lines.begin(), shell.lines.end()),
            (std::vector<std::string>{"sum(dist^2) = 1.000", " ", "   Recall:", "   Size of classes:",
                                      "class #1: 50.00%", "class #2: 50.00%"}));
}

TEST_F(Recalling, IsRefusedWhileNoPrototypesAreCurrent) {
  data({{0}, {1}});
  prototypes({{0.5f}});
  ws->NumPrototypes = 0;  // Parameterize was used after reading them
  ws->ClassLabels(1, 1) = 5;
  runCommand(ctx, recallClick);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"No prototypes are current to classify with:\r\n"
                                                      "read a prototypes file (Initialize > Read prototypes "
                                                      "from file)\r\nor train first."}));
  EXPECT_TRUE(shell.lines.empty());
  EXPECT_TRUE(shell.statuses.empty());
  EXPECT_EQ(ws->ClassLabels(1, 1), 5);
}

TEST_F(Recalling, IsRefusedWithNoDataLoaded) {
  prototypes({{0.5f}});
  ws->NumVars = 1;
  runCommand(ctx, recallClick);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"No data have been read: open a data file first."}));
  EXPECT_TRUE(shell.lines.empty());
}

TEST_F(Recalling, IsRefusedWhenTheDistancesAreBeyondTheWinnerSearch) {
  data({{0}, {2e5f}});
  prototypes({{1}});
  ws->SumDist[1] = 7;
  runCommand(ctx, recallClick);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("The squared distances between the data and the prototypes can reach 39999600001,", 0), 0u)
      << shell.messages[0];
  EXPECT_NE(shell.messages[0].find("The prototypes do not fit these data"), std::string::npos);
  EXPECT_TRUE(shell.lines.empty());
  EXPECT_EQ(ws->SumDist[1], 7);
}
