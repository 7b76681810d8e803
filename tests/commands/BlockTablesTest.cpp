#include <gtest/gtest.h>

#include <cmath>

#include "commands/BlockTables.h"
#include "commands/SaveFiles.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

// Seven cases, three prototypes; the labels of the last replication (2)
// are 1 2 3 3 3 1 2, while replication 1 holds labels that must never be
// read.
class BlockTables : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void SetUp() override {
    ws->NumCases = 7;
    ws->NumPrototypes = 3;
    ws->NumReplications = 2;
    const int labels[] = {1, 2, 3, 3, 3, 1, 2};
    for (int c = 1; c <= 7; ++c) {
      ws->ClassLabels(c, 1) = 1;
      ws->ClassLabels(c, 2) = static_cast<std::int8_t>(labels[c - 1]);
    }
    ws->LabelsPrototypes = 3;
    ws->LabelsReplications = 2;
    // What an earlier count left must not survive the next one.
    for (int b = 1; b <= MaxBlocks; ++b)
      for (int p = 1; p <= 3; ++p) ws->BlockProtoFreq(b, p) = 99;
  }

  void kBlocks(int k, bool caseFirst) {
    ws->KBlocks = true;
    ws->BlockSize = k;
    ws->CaseFirst = caseFirst;
  }

  std::vector<std::vector<int>> table() const {
    std::vector<std::vector<int>> t;
    for (int b = 1; b <= blockRowCount(*ws); ++b) {
      t.emplace_back();
      for (int p = 1; p <= ws->NumPrototypes; ++p) t.back().push_back(ws->BlockProtoFreq(b, p));
    }
    return t;
  }
};

using Table = std::vector<std::vector<int>>;

TEST_F(BlockTables, CountsEachLayoutTheSameTwiceInARow) {
  struct Case {
    const char* name;
    int k;
    bool caseFirst;
    bool kSamples;
    Table expected;
  };
  // n = 7 is not a multiple of 3: case 7 is left out of the k-blocks counts.
  const Case cases[] = {
      {"case first: blocks of cases 1,4 / 2,5 / 3,6", 3, true, false, {{1, 0, 1}, {0, 1, 1}, {1, 0, 1}}},
      {"measurement first: cases 1,2 / 3,4 / 5,6", 3, false, false, {{1, 1, 0}, {0, 0, 2}, {1, 0, 1}}},
      {"block size 1 counts nothing", 1, true, false, {{0, 0, 0}}},
      {"k-samples: one row per subsample up to the highest", 1, false, true, {{0, 1, 1}, {1, 1, 1}, {1, 0, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.kSamples) {
      ws->KSamples = true;
      ws->BlockSize = 1;
      const int subsample[] = {2, 1, 2, 3, 1, 3, 2};
      for (int i = 1; i <= 7; ++i) ws->SubsampleOf[i] = subsample[i - 1];
    } else {
      kBlocks(c.k, c.caseFirst);
    }
    for (int run = 0; run < 2; ++run) {
      shell.messages.clear();
      blockssamplesxPrototypescontingencytable1Click(ctx);
      EXPECT_EQ(table(), c.expected);
      EXPECT_EQ(shell.messages, std::vector<std::string>{"Ready to show Block(samples) x Prototypes table."});
    }
    EXPECT_TRUE(shell.enabled(MenuItem::BlockssamplesxPrototypestable1));
    EXPECT_TRUE(shell.enabled(MenuItem::Adjgraphforselectedblockssamples1));
  }
}

TEST_F(BlockTables, CasesOutsideTheTableAreNotCountedAndTheUserIsTold) {
  ws->KSamples = true;
  ws->BlockSize = 1;
  for (int i = 1; i <= 7; ++i) ws->SubsampleOf[i] = 1;
  ws->SubsampleOf[2] = 21;         // no such row
  ws->ClassLabels(5, 2) = 0;       // no such prototype
  ws->ClassLabels(6, 2) = 31;
  blockssamplesxPrototypescontingencytable1Click(ctx);
  EXPECT_EQ(table(), (Table{{1, 1, 2}}));
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[0], std::string("3 case(s) left out of the table: a subsample number outside 1..20") +
                                   LineBreak + "or a class label outside 1..3.");
}

TEST_F(BlockTables, LabelsOfEarlierSettingsAreRefusedAndNothingChanges) {
  kBlocks(3, true);
  struct Case {
    const char* name;
    int prototypes, replications, labelsPrototypes;
  };
  const Case cases[] = {{"parameter dialog used (P = 0)", 0, 2, 3},
                        {"replications changed", 3, 4, 3},
                        {"prototypes file of another size", 5, 2, 3},
                        {"never trained", 3, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shell.messages.clear();
    ws->NumPrototypes = c.prototypes;
    ws->NumReplications = c.replications;
    ws->LabelsPrototypes = c.labelsPrototypes;
    for (auto command : {blockssamplesxPrototypescontingencytable1Click, absfrequencies1Click})
      runCommand(ctx, command);
    ASSERT_EQ(shell.messages.size(), 2u);
    for (const auto& m : shell.messages) EXPECT_NE(m.find("rain"), std::string::npos) << m;
    EXPECT_EQ(ws->BlockProtoFreq(1, 1), 99);
    EXPECT_TRUE(shell.questions.empty());  // refused before asking for a pair
  }
}

TEST_F(BlockTables, GridHoldsCellPercentagesOfAllCasesAndCountsInTheMargins) {
  kBlocks(2, true);
  ws->NumCases = 30000;
  const int counts[2][3] = {{1, 0, 15000}, {2, 0, 14997}};
  for (int b = 1; b <= 2; ++b)
    for (int p = 1; p <= 3; ++p) ws->BlockProtoFreq(b, p) = counts[b - 1][p - 1];
  blockssamplesxPrototypestable1Click(ctx);
  ASSERT_EQ(shell.blocksTables.size(), 1u);
  // One case in 30000 is "0.00", unlike a zero count, which stays empty.
  EXPECT_EQ(shell.blocksTables[0], (GridCells{{"type#:", "1", "2", "3", "rowcount"},
                                               {"bl(sa) 1", "0.00", "", "50.00", "15001"},
                                               {"bl(sa) 2", "0.01", "", "49.99", "14999"},
                                               {"colcount", "3", "0", "29997", "30000"}}));
}

TEST_F(BlockTables, BlocksFileFollowsTheRowsOfTheTable) {
  struct Case {
    const char* name;
    bool kSamples;
    const char* bytes;
  };
  const Case cases[] = {{"k-blocks, case first", false, " 1 0 1\r\n 0 1 1\r\n 1 0 1\r\n"},
                        {"k-samples, three subsamples", true, " 0 1 1\r\n 1 1 1\r\n 1 0 1\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.kSamples) {
      ws->KSamples = true;
      ws->BlockSize = 1;
      const int subsample[] = {2, 1, 2, 3, 1, 3, 2};
      for (int i = 1; i <= 7; ++i) ws->SubsampleOf[i] = subsample[i - 1];
    } else {
      kBlocks(3, true);
    }
    blockssamplesxPrototypescontingencytable1Click(ctx);
    volmar::test::TempDir dir;
    shell.saveFiles.push_back(dir.file("t.bsp"));
    blocksSamplesxPrototypestable2Click(ctx);
    EXPECT_EQ(volmar::test::readFile(dir.file("t.bsp")), c.bytes);
  }
}

// ---- Pairs -------------------------------------------------------------------

// Twelve cases of four respondents in three blocks, case first.
class PairTables : public BlockTables {
 protected:
  void SetUp() override {
    BlockTables::SetUp();
    kBlocks(3, true);
    ws->NumCases = 12;
    ws->NumReplications = 1;
    ws->LabelsReplications = 1;
    // respondent r: labels in blocks 1, 2, 3
    const int labels[4][3] = {{1, 1, 2}, {2, 3, 2}, {3, 3, 1}, {1, 2, 3}};
    for (int r = 1; r <= 4; ++r)
      for (int b = 1; b <= 3; ++b) ws->ClassLabels((r - 1) * 3 + b, 1) = static_cast<std::int8_t>(labels[r - 1][b - 1]);
  }

  GridCells pair(const std::string& answer, void (*command)(Context&) = absfrequencies1Click) {
    shell.inputs.push_back(answer);
    shell.messages.clear();
    shell.pairTables.clear();
    runCommand(ctx, command);
    return shell.pairTables.empty() ? GridCells{} : shell.pairTables.back();
  }
};

TEST_F(PairTables, AnswersAreReadWithoutBlanksAndCheckedBeforeCounting) {
  struct Case {
    const char* answer;
    const char* first;
    const char* second;
    const char* message;  // the first message; "" when the table opens
  };
  const Case cases[] = {
      {"3", "", "3", "'' is not a valid integer value"},
      {"1&x", "1", "x", "'x' is not a valid integer value"},
      {"1&4", "1", "4", "Retype. 1 <= values <= 3, connected with & expected."},
      {"0&2", "0", "2", "Retype. 1 <= values <= 3, connected with & expected."},
      {" 2 & 3 ", "2", "3", "Ready to show prototypes in pairwise blocks table."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const bool opens = std::string(c.message).rfind("Ready", 0) == 0;
    const GridCells cells = pair(c.answer);
    EXPECT_EQ(ws->FirstBlockText, c.first);
    EXPECT_EQ(ws->SecondBlockText, c.second);
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages[0], c.message);
    EXPECT_EQ(cells.empty(), !opens);
    EXPECT_EQ(shell.enabled(MenuItem::Frequencyofprototypesforpairofblocks1), opens);
  }
  EXPECT_EQ(shell.questions.back(), "Prepare crosstabulation|Define the pair you want to see|1&2");
}

TEST_F(PairTables, AbsoluteFrequenciesWithSimilarityAndTheTransposedPair) {
  const GridCells oneTwo = pair("1&2");
  EXPECT_EQ(oneTwo, (GridCells{{"1 & 2", "#1", "#2", "#3", "rowcount"},
                               {"type #1", "1", "1", "0", "2"},
                               {"type #2", "0", "0", "1", "1"},
                               {"type #3", "0", "0", "1", "1"},
                               {"colcount", "1", "1", "2", "4"}}));
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Ready to show prototypes in pairwise blocks table.",
                                                      "Similarity Coeff for b1 and b2 = 0.5"}));
  const GridCells twoOne = pair("2&1");
  EXPECT_EQ(shell.messages.back(), "Similarity Coeff for b2 and b1 = 0.5");
  for (std::size_t i = 1; i < 4; ++i)
    for (std::size_t j = 1; j < 4; ++j) EXPECT_EQ(twoOne[i][j], oneTwo[j][i]);
  // The show command opens the same table again, similarity first.
  shell.messages.clear();
  frequencyofprototypesforpairofblocks1Click(ctx);
  EXPECT_EQ(shell.messages, std::vector<std::string>{"Similarity Coeff for b2 and b1 = 0.5"});
  EXPECT_EQ(shell.pairTables.back(), twoOne);
}

TEST_F(PairTables, ABlockWithItselfIsTheDiagonalOfItsRowInTheBlocksTable) {
  blockssamplesxPrototypescontingencytable1Click(ctx);
  const GridCells cells = pair("2&2");
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      EXPECT_EQ(cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)],
                std::to_string(i == j ? ws->BlockProtoFreq(2, i) : 0));
  EXPECT_EQ(shell.messages.back(), "Similarity Coeff for b2 and b2 = 1");
}

TEST_F(PairTables, DeviationsFromIndependenceWithProportionsInTheMargins) {
  const GridCells cells = pair("1&2", standardizeddeviations1Click);
  // No similarity message in this display.
  EXPECT_EQ(shell.messages, std::vector<std::string>{"Ready to show prototypes in pairwise blocks table."});
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0], (std::vector<std::string>{"1 & 2", "#1", "#2", "#3", "row probs"}));
  EXPECT_EQ(cells[4], (std::vector<std::string>{"col probs", "0.250", "0.250", "0.500", "1.000"}));
  EXPECT_EQ(cells[1][4], "0.500");
  // n11 = 1, e11 = 2 * 1 / 4: (1 - 0.5) / sqrt(0.5) = 0.707; n13 = 0, e13 = 1: -1.
  EXPECT_EQ(cells[1][1], "0.707");
  EXPECT_EQ(cells[1][3], "-1.000");
  // A prototype no respondent has gives zeros, not 0 / 0.
  ws->NumPrototypes = ws->LabelsPrototypes = 4;
  const GridCells four = pair("1&3", standardizeddeviations1Click);
  ASSERT_EQ(four.size(), 6u);
  EXPECT_EQ(four[4], (std::vector<std::string>{"type #4", "0.000", "0.000", "0.000", "0.000", "0.000"}));
  EXPECT_EQ(four[5][4], "0.000");
  EXPECT_EQ(four[5][5], "1.000");
}

}  // namespace
