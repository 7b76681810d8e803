// Show > "Segment profiles" and File > Save > "Segment description..."
// through the scripted shell: what they need, the chart they hand to the
// window, and the description file's bytes.
#include <gtest/gtest.h>

#include "commands/Profiles.h"
#include "commands/Recall.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

class Profiles : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  // Four cases of two variables in two segments by replication 2 (see the
  // core test for the hand-worked numbers), as a training run leaves them.
  void segments() {
    ws->NumCases = 4;
    ws->NumVars = 2;
    ws->NumPrototypes = 2;
    ws->NumReplications = 2;
    const float data[4][2] = {{0, 2}, {0.5f, 4}, {1, 6}, {0.5f, 8}};
    for (int c = 1; c <= 4; ++c) {
      ws->DataMatrix(c, 1) = data[c - 1][0];
      ws->DataMatrix(c, 2) = data[c - 1][1];
      ws->ClassLabels(c, 2) = static_cast<std::int8_t>(c % 2 == 1 ? 1 : 2);
    }
    const float protos[2][2] = {{0.75f, 5.5f}, {0.5f, 9}};
    for (int p = 1; p <= 2; ++p)
      for (int v = 1; v <= 2; ++v) ws->Prototypes(p, v) = protos[p - 1][v - 1];
    ws->LabelsPrototypes = 2;
    ws->LabelsReplications = 2;
    ctx.names.labelledHere = true;
  }
};

}  // namespace

TEST_F(Profiles, NeedSegmentsOfTheDataHeldWithTheCurrentSettings) {
  runCommand(ctx, segmentprofiles1Click);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "There are no segments to describe yet.\r\nTrain (or recall) on the data first.");
  segments();
  ctx.names.labelledHere = false;  // another file was opened since
  runCommand(ctx, segmentdescription1Click);
  EXPECT_EQ(shell.messages.size(), 2u);
  ctx.names.labelledHere = true;
  ws->NumPrototypes = 0;  // the parameter dialog was used since
  runCommand(ctx, segmentprofiles1Click);
  ASSERT_EQ(shell.messages.size(), 3u);
  EXPECT_EQ(shell.messages[2].rfind("The class labels belong to an earlier setting", 0), 0u) << shell.messages[2];
  EXPECT_TRUE(shell.profileCharts.empty());
  EXPECT_TRUE(shell.saveDialogsShown.empty());
}

TEST_F(Profiles, TheWindowGetsTheChartOfTheLastReplicationsSegments) {
  segments();
  ctx.profileThresholds = {0.5, 40};
  runCommand(ctx, segmentprofiles1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  ASSERT_EQ(shell.profileCharts.size(), 1u);
  const ProfileChart& c = shell.profileCharts[0];
  EXPECT_EQ(c.names, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(c.fileOrder, (std::vector<int>{1, 2}));
  EXPECT_EQ(c.numbers.size, (std::vector<int>{2, 2}));
  EXPECT_EQ(segmentTitle(c.numbers, 1), "Segment 1: 2 cases (50.0 %)");
  // The thresholds last chosen: .25 above a mean of .5 is 50 % (marker by
  // B = 40 %, not by A = .5); 4 above 5 is 1.79 SDs (marker by A).
  EXPECT_EQ(c.thresholds.absolute, 0.5);
  EXPECT_EQ(profileLines(c), (std::vector<std::string>{"1\t1\t0.7500\t0.5000\tyes", "1\t2\t5.5000\t5.0000\tno",
                                                       "2\t1\t0.5000\t0.5000\tno", "2\t2\t9.0000\t5.0000\tyes"}));
  SegmentProfiles one;
  one.size = {1};
  one.share = {0.0333333f};
  EXPECT_EQ(segmentTitle(one, 1), "Segment 1: 1 case (0.0 %)");
}

TEST_F(Profiles, TheDescriptionFileHoldsSizesThenOneRowPerVariable) {
  segments();
  ctx.names.imported = true;
  ctx.names.variables = {"likes, \"really\"", "age"};
  const std::string file = dir.file("segments.csv");
  shell.saveFiles.push_back(file);
  runCommand(ctx, segmentdescription1Click);
  ASSERT_EQ(shell.messages, std::vector<std::string>{"Segment description written."});
  EXPECT_EQ(shell.status(), "Done.");
  ASSERT_EQ(shell.saveDialogsShown.size(), 1u);
  EXPECT_EQ(shell.saveDialogsShown[0].filters[0], "Segment description (*.csv)|*.csv");
  // Sample SDs: sqrt(.125) = .35355, sqrt(5) = 2.23607.
  EXPECT_EQ(volmar::test::readFile(file),
            "variable,sample mean,sample sd,segment 1 prototype,segment 1 mean,segment 1 sd,segment 1 marker,"
            "segment 2 prototype,segment 2 mean,segment 2 sd,segment 2 marker\r\n"
            "cases,4,,2,,,,2,,,\r\n"
            "\"likes, \"\"really\"\"\",0.5000,0.3536,0.7500,0.5000,0.5000,yes,0.5000,0.5000,0.0000,no\r\n"
            "age,5.0000,2.2361,5.5000,4.0000,2.0000,no,9.0000,6.0000,2.0000,yes\r\n");
  // A segment without cases has no mean or SD of its cases.
  for (int c = 1; c <= 4; ++c) ws->ClassLabels(c, 2) = 1;
  shell.saveFiles.push_back(file);
  shell.answers.push_back(Answer::Yes);
  runCommand(ctx, segmentdescription1Click);
  EXPECT_EQ(shell.questions.back(), "Replace " + file + "?");
  const std::string text = volmar::test::readFile(file);
  EXPECT_NE(text.find("cases,4,,4,,,,0,,,\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(",no,9.0000,,,yes\r\n"), std::string::npos) << text;
}

TEST_F(Profiles, ChartFilesAreNamedByTheirKindAndWrittenThroughTheSaveProcedure) {
  EXPECT_EQ(chartFileKind("a/b.PNG"), ChartFileKind::Png);
  EXPECT_EQ(chartFileKind("b.svg"), ChartFileKind::Svg);
  EXPECT_EQ(chartFileKind("b.pdf"), ChartFileKind::Pdf);
  EXPECT_EQ(chartFileKind("b.bmp"), std::nullopt);
  EXPECT_EQ(chartFileKind("b.svg/x"), std::nullopt);
  FileDialog dialog;
  const std::string file = dir.file("chart.svg");
  shell.saveFiles.push_back(file);
  std::optional<ChartFileKind> asked;
  EXPECT_TRUE(saveProfileChart(shell, dialog, [&](ChartFileKind k) {
    asked = k;
    return std::string("<svg/>");
  }));
  EXPECT_EQ(asked, ChartFileKind::Svg);
  EXPECT_EQ(volmar::test::readFile(file), "<svg/>");
  EXPECT_EQ(shell.messages.back(), "Chart file written.");
  // Another extension is refused, nothing written.
  shell.saveFiles.push_back(dir.file("chart.jpg"));
  EXPECT_FALSE(saveProfileChart(shell, dialog, [](ChartFileKind) { return std::string("x"); }));
  EXPECT_EQ(shell.messages.back().rfind("The chart is saved as a PNG, SVG or PDF file:", 0), 0u);
  EXPECT_EQ(volmar::test::namesIn(dir.path()), std::vector<std::string>{"chart.svg"});
  // A renderer that fails leaves the old file as it was.
  shell.saveFiles.push_back(file);
  shell.answers.push_back(Answer::Yes);
  EXPECT_FALSE(saveProfileChart(shell, dialog, [](ChartFileKind) -> std::string {
    throw std::runtime_error("the chart could not be drawn");
  }));
  EXPECT_EQ(shell.messages.back(), "Could not write to file.\r\nthe chart could not be drawn");
  EXPECT_EQ(volmar::test::readFile(file), "<svg/>");
}
