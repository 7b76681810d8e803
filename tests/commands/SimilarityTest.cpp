// The similarity listings of Analysis > "&Similarity of prototypes" and the
// trimming and restoring of the adjacency graph.
#include <gtest/gtest.h>

#include "commands/Similarity.h"
#include "commands/TrimGraph.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

using Lines = std::vector<std::string>;

const Lines NeighborhoodHeader = {" ", "statistical neighborhood matrix:", "(pct of datapoints in descending order)"};
const Lines DistanceHeader = {" ", "inter-prototypes distance matrix:", "(negative squared Euclidean distances)"};
const Lines RatioHeader = {" ", "(statNbhd / Dist) matrix:"};

Lines join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class Similarity : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  // One variable: cases and prototypes are points on a line.
  void points(std::initializer_list<float> cases, std::initializer_list<float> protos) {
    ws->NumVars = 1;
    ws->DistanceKind = DistEuclidean;
    ws->NumCases = 0;
    for (float x : cases) ws->DataMatrix(++ws->NumCases, 1) = x;
    ws->NumPrototypes = 0;
    for (float x : protos) ws->Prototypes(++ws->NumPrototypes, 1) = x;
  }
  Lines run(void (*command)(Context&)) {
    shell.lines.clear();
    runCommand(ctx, command);
    return shell.lines;
  }
};

}  // namespace

// Prototypes at 0, 1, 3 and 40000 (squared distances above 1e9 from the
// others). Cases 0.4 and 0.6 have prototypes 1 and 2 as their two nearest;
// 1.9 and 2.5 have 2 and 3; the case at 1 sits on prototype 2 with 1 and 3
// tied behind it (the lower number, 1, is the runner-up). Equal values are
// listed in pair order, pairs no case has at 0.0 after the positive ones.
TEST_F(Similarity, TheThreeListingsRankPairsWithTheirTieRuleAndPictures) {
  points({0.4f, 0.6f, 1.9f, 2.5f, 1.0f}, {0, 1, 3, 40000});
  EXPECT_EQ(run(statNeighborhood1Click),
            join(NeighborhoodHeader, {"1...2:  60.0", "2...3:  40.0", "1...3:  0.0", "1...4:  0.0", "2...4:  0.0",
                                      "3...4:  0.0"}));
  EXPECT_EQ(ws->NeighborhoodCounts(1, 2), 3);
  EXPECT_EQ(ws->NeighborhoodCounts(2, 1), 3);
  EXPECT_EQ(ws->NeighborhoodCounts(3, 2), 2);
  EXPECT_EQ(ws->NeighborhoodCounts(1, 1), 0);
  EXPECT_TRUE(shell.enabled(MenuItem::Trimadjacencygraph1));

  EXPECT_EQ(run(squEuclDist1Click),
            join(DistanceHeader, {"1...2:  -1.0", "2...3:  -4.0", "1...3:  -9.0", "3...4:  -1599760009.0",
                                  "2...4:  -1599920001.0", "1...4:  -1600000000.0"}));
  // 100 * 3 / (5 * 1) = 60, 100 * 2 / (5 * 4) = 10.
  EXPECT_EQ(run(statNbhdsquEucD1Click),
            join(RatioHeader, {"1...2:  60.0", "2...3:  10.0", "1...3:  0.0", "1...4:  0.0", "2...4:  0.0",
                               "3...4:  0.0"}));
  // Every line is brought into view as it is appended.
  EXPECT_EQ(shell.selectCount, 18);
}

// Equal values: the pair met first in the scan (smaller i, then smaller j)
// comes first, also when a later pair has the same value.
TEST_F(Similarity, EqualPercentagesAreListedInPairOrder) {
  points({2.6f, 1.6f, 0.4f, 0.6f}, {0, 1, 3});  // two cases each for (2,3) and (1,2)
  EXPECT_EQ(run(statNeighborhood1Click), join(NeighborhoodHeader, {"1...2:  50.0", "2...3:  50.0", "1...3:  0.0"}));
}

// K = 1: the runner-up is the winner itself, every case counts at [1, 1];
// only the header lines are listed, and trimming is enabled.
TEST_F(Similarity, OnePrototypeCountsEveryCaseOnTheDiagonalAndListsNoPair) {
  points({0, 1, 2}, {5});
  ws->NeighborhoodCounts(2, 2) = 77;  // outside 1..K: left alone
  EXPECT_EQ(run(statNeighborhood1Click), NeighborhoodHeader);
  EXPECT_EQ(ws->NeighborhoodCounts(1, 1), 3);
  EXPECT_EQ(ws->NeighborhoodCounts(2, 2), 77);
  EXPECT_TRUE(shell.enabled(MenuItem::Trimadjacencygraph1));
  EXPECT_EQ(run(squEuclDist1Click), DistanceHeader);
  EXPECT_EQ(run(statNbhdsquEucD1Click), RatioHeader);
}

// "statNbhd / squEucD" counts for itself: NeighborhoodCounts stays as the
// last "stat. Neighborhood" left it, before and after.
TEST_F(Similarity, TheRatioLeavesTheNeighborhoodCountsAlone) {
  points({0.4f, 0.6f, 1.9f, 2.5f}, {0, 1, 3});
  ws->NeighborhoodCounts(1, 2) = 9;
  const Lines before = run(statNbhdsquEucD1Click);
  EXPECT_EQ(ws->NeighborhoodCounts(1, 2), 9);
  run(statNeighborhood1Click);
  const auto counts = ws->NeighborhoodCounts;
  EXPECT_EQ(run(statNbhdsquEucD1Click), before);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(ws->NeighborhoodCounts(i, j), counts(i, j)) << i << "," << j;
  EXPECT_FALSE(shell.enabled(MenuItem::Restoreadjacencygraph1));
}

// Two coinciding prototypes: their distance prints 0.0 (no minus sign) and
// their ratio, a division by 0, is named in words and ranked first.
TEST_F(Similarity, CoincidingPrototypesAreListedInWordsNotAsInfinity) {
  points({0.1f, 0.9f, 2.9f}, {0, 1, 0});
  EXPECT_EQ(run(squEuclDist1Click), join(DistanceHeader, {"1...3:  0.0", "1...2:  -1.0", "2...3:  -1.0"}));
  EXPECT_EQ(run(statNbhdsquEucD1Click),
            join(RatioHeader, {"1...3:  coinciding prototypes (distance 0)", "1...2:  66.667", "2...3:  0.0"}));
}

// Without prototypes or cases there is nothing to count: a message, no
// lines, and NeighborhoodCounts untouched.
TEST_F(Similarity, NoPrototypesOrNoCasesGetAMessage) {
  points({1, 2}, {});
  ws->NeighborhoodCounts(1, 1) = 5;
  for (auto command : {statNeighborhood1Click, squEuclDist1Click, statNbhdsquEucD1Click}) EXPECT_TRUE(run(command).empty());
  EXPECT_EQ(shell.messages.size(), 3u);
  points({}, {1, 2});
  EXPECT_TRUE(run(statNeighborhood1Click).empty());
  EXPECT_EQ(shell.messages.size(), 4u);
  EXPECT_EQ(ws->NeighborhoodCounts(1, 1), 5);
  EXPECT_FALSE(shell.enabled(MenuItem::Trimadjacencygraph1));
}

// ---- Trimming and restoring -------------------------------------------------

namespace {

class Trim : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  // Four prototypes, 20 cases, all six edges learned; the statistical
  // neighbourhoods of the pairs are 0, 5, 10, 15, 20 and 50 per cent.
  void SetUp() override {
    ws->NumCases = 20;
    ws->NumPrototypes = 4;
    const int counts[4][4] = {{0, 0, 1, 2}, {0, 0, 3, 4}, {1, 3, 0, 10}, {2, 4, 10, 0}};
    for (int i = 1; i <= 4; ++i)
      for (int j = 1; j <= 4; ++j) {
        ws->NeighborhoodCounts(i, j) = counts[i - 1][j - 1];
        ws->Adjacency(i, j) = i != j;
      }
  }
  // The edges of the upper triangle, as the graph view draws them.
  std::string edges() const {
    std::string e;
    for (int i = 1; i < 4; ++i)
      for (int j = i + 1; j <= 4; ++j)
        if (ws->Adjacency(i, j) == 1) e += std::to_string(i) + "-" + std::to_string(j) + " ";
    return e;
  }
  void trim(const std::string& answer) {
    shell.inputs.push_back(answer);
    runCommand(ctx, trimadjacencygraph1Click);
  }
};

}  // namespace

// A cutoff equal to a percentage keeps that edge; the twin entries below
// the diagonal are cut too; restore gives the graph before the last trim.
TEST_F(Trim, FiveThenTenThenRestoreGivesTheGraphAfterTheFirstTrim) {
  trim("5");
  EXPECT_EQ(shell.questions,
            (std::vector<std::string>{"Input a minimum cutoff value...|for the statistical Neighborhood:|0"}));
  EXPECT_EQ(edges(), "1-3 1-4 2-3 2-4 3-4 ");
  EXPECT_EQ(ws->Adjacency(2, 1), 0);
  EXPECT_TRUE(shell.enabled(MenuItem::Restoreadjacencygraph1));
  trim("10");
  EXPECT_EQ(edges(), "1-4 2-3 2-4 3-4 ");
  EXPECT_EQ(ws->Adjacency(3, 1), 0);
  runCommand(ctx, restoreadjacencygraph1Click);
  EXPECT_EQ(edges(), "1-3 1-4 2-3 2-4 3-4 ");
  EXPECT_EQ(ws->Adjacency(3, 1), 1);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Adjacency graph restored."}));
  // The view is not repainted by either command; it paints from the
  // workspace when it is next shown.
  EXPECT_EQ(shell.graphShown, 0);
  trim("50.5");  // above every percentage: only the numbers remain
  EXPECT_EQ(edges(), "");
}

// The input box, and answers that change nothing: 0, a negative number, a
// cancelled box (its default "0"); a text that is no number gives the
// conversion message.
TEST_F(Trim, AnswersThatAreNotAPositiveNumberChangeNothing) {
  const std::string all = "1-2 1-3 1-4 2-3 2-4 3-4 ";
  const struct {
    std::string answer;
    std::vector<std::string> messages;
  } cases[] = {
      {"0", {}}, {"-3", {}}, {"", {}}, {"abc", {"'abc' is not a valid floating point value"}}, {"5,5", {"'5,5' is not a valid floating point value"}},
  };
  for (const auto& c : cases) {
    shell.messages.clear();
    if (c.answer.empty()) {
      runCommand(ctx, trimadjacencygraph1Click);  // cancelled: the default text
    } else {
      trim(c.answer);
    }
    EXPECT_EQ(edges(), all) << c.answer;
    EXPECT_EQ(shell.messages, c.messages) << c.answer;
    EXPECT_FALSE(shell.enabled(MenuItem::Restoreadjacencygraph1)) << c.answer;
  }
}
