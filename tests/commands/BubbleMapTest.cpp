#include <gtest/gtest.h>

#include "commands/BlockTables.h"
#include "commands/BubbleMap.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::readFile;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

// Four prototypes of 16 cases in blocks of 2 (m = 8 respondents); block 2
// holds the frequencies 3, 1, 4, 0.
class BubbleMap : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void SetUp() override {
    ws->NumCases = 16;
    ws->BlockSize = 2;
    ws->KBlocks = true;
    ws->NumPrototypes = 4;
    const int freq[] = {3, 1, 4, 0};
    for (int p = 1; p <= 4; ++p) ws->BlockProtoFreq(2, p) = freq[p - 1];
    // x extent 10 is the larger one: y stays short of the top row.
    place({{0, 0}, {10, 2}, {9.95, 2.1}, {5, 5}});
  }

  void place(std::initializer_list<std::pair<double, double>> points) {
    int p = 0;
    for (const auto& [x, y] : points) {
      ++p;
      ws->SammonX[p] = x;
      ws->SammonY[p] = y;
    }
  }

  std::optional<BubbleChart> run(const std::string& block, const std::string& factor = "1.0") {
    shell.inputs = {block, factor};
    shell.messages.clear();
    shell.bubbleCharts.clear();
    runCommand(ctx, adjgraphforselectedblockssamples1Click);
    if (shell.bubbleCharts.empty()) return std::nullopt;
    return shell.bubbleCharts.back();
  }
};

TEST_F(BubbleMap, CellsComeFromTheProjectionOnOneScale) {
  const auto chart = run("2");
  ASSERT_TRUE(chart);
  // Smallest x in column 0, smallest y in row 9; largest x in column 9.
  EXPECT_EQ(ws->BubbleCol[1], 0);
  EXPECT_EQ(ws->BubbleRow[1], 9);
  EXPECT_EQ(ws->BubbleCol[2], 9);
  EXPECT_EQ(ws->BubbleRow[2], 7);  // (1 - 0.2) * 100 / 11 = 7.27
  EXPECT_EQ(ws->BubbleCol[4], 4);  // 50 / 11 = 4.5
  EXPECT_EQ(ws->BubbleRow[4], 4);
  // Prototypes 2 and 3 share a cell: the larger frequency, the higher label.
  EXPECT_EQ(ws->BubbleGrid(7, 9), 4);
  ASSERT_EQ(chart->bubbles.size(), 100u);
  const Bubble& shared = chart->bubbles[79];
  EXPECT_EQ(shared.x, 7);
  EXPECT_EQ(shared.y, 9);
  EXPECT_DOUBLE_EQ(shared.radius, 4.0 / 8);
  EXPECT_EQ(shared.label, "P3");
  EXPECT_DOUBLE_EQ(chart->bubbles[90].radius, 3.0 / 8);
  EXPECT_EQ(chart->bubbles[90].label, "P1");
  // A prototype that won no case keeps its label on a bubble of radius 0.
  EXPECT_EQ(chart->bubbles[44].radius, 0);
  EXPECT_EQ(chart->bubbles[44].label, "P4");
  int labelled = 0;
  for (const Bubble& b : chart->bubbles) labelled += !b.label.empty();
  EXPECT_EQ(labelled, 3);
  EXPECT_EQ(chart->title, "Frequencies of prototypes for block (sample) # 2");
  EXPECT_EQ(chart->foot, "Prototypes Sammon-projected into R^2");
  EXPECT_EQ(shell.questions, (std::vector<std::string>{"Determine block or sample|Which do you want to see?|1",
                                                       "Rescale bubble size?|default factor = |1.0"}));

  // When the y extent is the larger one, the largest y is in row 0.
  place({{0, 0}, {2, 10}, {1, 3}, {0.5, 9}});
  ASSERT_TRUE(run("2"));
  EXPECT_EQ(ws->BubbleRow[2], 0);
  EXPECT_EQ(ws->BubbleRow[1], 9);
  EXPECT_EQ(ws->BubbleCol[1], 0);
}

// Every finite factor of 0 or more scales the radii, however large; an
// answer that is no number, a negative one or one beyond the range of
// reals is wrong input and the default 1.0 is used.
TEST_F(BubbleMap, TheFactorScalesEveryRadius) {
  struct Case {
    const char* answer;
    double factor;
    bool wrong;
  };
  const Case cases[] = {{"2", 2, false},        {"0", 0, false},        {"100", 100, false},
                        {" 0.5 ", 0.5, false},  {"100.5", 100.5, false}, {"150", 150, false},
                        {"1e300", 1e300, false}, {"abc", 1, true},       {"-1", 1, true},
                        {"-0.001", 1, true},    {"1e400", 1, true},     {"1e9999", 1, true},
                        {"", 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const auto chart = run("2", c.answer);
    ASSERT_TRUE(chart);
    EXPECT_DOUBLE_EQ(chart->bubbles[79].radius, c.factor * 4 / 8);
    EXPECT_EQ(chart->bubbles[79].label, "P3");
    EXPECT_EQ(shell.messages, c.wrong ? std::vector<std::string>{"Wrong input. Default used."}
                                      : std::vector<std::string>{});
  }
}

TEST_F(BubbleMap, BlocksOutsideTheTableAndMapsWithoutExtentOpenNoChart) {
  ws->BlockSize = 5;
  struct Case {
    const char* block;
    const char* message;
  };
  const Case cases[] = {{"6", "Retype. 1 <= value <= 5 expected."},
                        {"0", "Retype. 1 <= value <= 5 expected."},
                        {"x", "'x' is not a valid integer value"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    EXPECT_FALSE(run(c.block));
    EXPECT_EQ(shell.messages, std::vector<std::string>{c.message});
  }
  // One prototype, or a projection never computed: the map is explained.
  for (int protos : {1, 4}) {
    SCOPED_TRACE(protos);
    ws->NumPrototypes = protos;
    if (protos == 4) place({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    EXPECT_FALSE(run("2"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].find("no extent"), std::string::npos);
  }
}

TEST_F(BubbleMap, SubsamplesOfferEveryRowOfTheTable) {
  ws->KBlocks = false;
  ws->KSamples = true;
  ws->BlockSize = 1;
  for (int c = 1; c <= 16; ++c) ws->SubsampleOf[c] = c % 3 + 1;  // 1..3
  EXPECT_TRUE(run("3"));
  EXPECT_FALSE(run("4"));
  EXPECT_EQ(shell.messages, std::vector<std::string>{"Retype. 1 <= value <= 3 expected."});
}

TEST_F(BubbleMap, SavingTheChartAsksBeforeReplacingAndNeverDamagesAFile) {
  TempDir dir;
  const std::string target = dir.write("chart.bmp", "old");
  FileDialog dialog;
  const auto bitmap = [] { return std::string("BM new"); };

  // No to the question asks for another name; Cancel there writes nothing.
  shell.saveFiles = {target, ""};
  shell.answers = {Answer::No};
  EXPECT_FALSE(savechart1Click(shell, dialog, bitmap));
  EXPECT_EQ(readFile(target), "old");
  EXPECT_EQ(shell.saveDialogsShown.size(), 2u);
  EXPECT_EQ(shell.saveDialogsShown[0].defaultExt, "bmp");
  EXPECT_EQ(shell.saveDialogsShown[0].fileName, "*.bmp");
  EXPECT_EQ(shell.saveDialogsShown[0].filters, std::vector<std::string>{"Bitmap|*.bmp"});

  shell.saveFiles = {target};
  shell.answers = {Answer::Yes};
  EXPECT_TRUE(savechart1Click(shell, dialog, bitmap));
  EXPECT_EQ(readFile(target), "BM new");
  EXPECT_EQ(shell.messages.back(), "Chart file written.");
  EXPECT_EQ(shell.questions.back(), "Replace " + target + "?");

  // A chart that cannot be rendered, or a folder in the way.
  shell.saveFiles = {target, dir.path()};
  shell.answers = {Answer::Yes};
  EXPECT_FALSE(savechart1Click(shell, dialog, []() -> std::string { throw std::runtime_error("no chart"); }));
  EXPECT_FALSE(savechart1Click(shell, dialog, bitmap));
  EXPECT_EQ(readFile(target), "BM new");
  EXPECT_EQ(shell.messages[shell.messages.size() - 2], "Could not write to file.");
  // A failed write also names the file and the system's reason.
  EXPECT_EQ(shell.messages.back().rfind("Could not write to file.\r\nCannot write file \"" + dir.path() + "\": ", 0),
            0u)
      << shell.messages.back();
}

TEST_F(BubbleMap, PrintingSaysWhetherTheChartWentToThePrinter) {
  struct Case {
    bool confirmed, printed;
    std::vector<std::string> messages;
  };
  const Case cases[] = {{false, true, {}}, {true, true, {"Chart sent to printer."}}, {true, false, {"Printing failed."}}};
  for (const Case& c : cases) {
    shell.messages.clear();
    bool printCalled = false;
    printchart1Click(shell, [&] { return c.confirmed; },
                     [&] {
                       printCalled = true;
                       return c.printed;
                     });
    EXPECT_EQ(shell.messages, c.messages);
    EXPECT_EQ(printCalled, c.confirmed);
  }
}

}  // namespace
