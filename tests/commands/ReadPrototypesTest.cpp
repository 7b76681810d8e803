#include <gtest/gtest.h>

#include "commands/ReadPrototypes.h"
#include "commands/SaveFiles.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

class ReadingPrototypes : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  void SetUp() override {
    // Data of 2 variables are loaded and parameters entered (limits 3..5).
    ws->NumCases = 10;
    ws->NumVars = 2;
    ws->LowerLimit = 3;
    ws->UpperLimit = 5;
    ws->NumTrials = 100;
  }

  void read(const std::string& contents) {
    shell.openFiles.push_back(dir.write("p.wgt", contents));
    runCommand(ctx, readprototypesfromfile1Click);
  }
};

}  // namespace

TEST_F(ReadingPrototypes, AfterParameterizeReadsTheLowerLimitOfPrototypes) {
  ws->NumPrototypes = 0;
  read(" 1.000 2.000 \r\n 3.000 4.000 \r\n 5.000 6.000 \r\n");
  EXPECT_EQ(ws->NumPrototypes, 3);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"3 prototypes read."}));
  float expected = 1;
  for (int p = 1; p <= 3; ++p)
    for (int v = 1; v <= 2; ++v) EXPECT_EQ(ws->Prototypes(p, v), expected++);
  EXPECT_EQ(ws->NumTrials, 0);
  EXPECT_TRUE(shell.enabled(MenuItem::Recall));
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Read prototypes...", "Done."}));
}

TEST_F(ReadingPrototypes, AfterATrainingRunReadsTheLastNumberTrained) {
  ws->LowerLimit = 2;
  ws->NumPrototypes = 5;
  read("1 2\n3 4\n5 6\n7 8\n9 10\n");
  EXPECT_EQ(ws->NumPrototypes, 5);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"5 prototypes read."}));
  EXPECT_EQ(ws->Prototypes(5, 2), 10.0f);
}

TEST_F(ReadingPrototypes, ThePrototypesFilterIsShownAndTheDataFilterComesBack) {
  ctx.openDialog.filterIndex = 2;
  read("1 2 3 4 5 6");
  ASSERT_EQ(shell.openDialogsShown.size(), 1u);
  EXPECT_EQ(shell.openDialogsShown[0].filterIndex, 4);
  EXPECT_EQ(shell.openDialogsShown[0].filters[3], "Prototypes (*.wgt)|*.wgt");
  EXPECT_EQ(ctx.openDialog.filterIndex, 1);
}

TEST_F(ReadingPrototypes, WrittenPrototypesReadBackAsTheRoundedValues) {
  ws->NumPrototypes = 2;
  ws->Prototypes(1, 1) = 1.23456f;
  ws->Prototypes(1, 2) = -0.0625f;
  ws->Prototypes(2, 1) = 100.9999f;
  ws->Prototypes(2, 2) = -7.7777f;
  const std::string path = dir.file("round.wgt");
  shell.saveFiles.push_back(path);
  runCommand(ctx, prototypes2Click);
  ws->Prototypes.fill(42);

  shell.openFiles.push_back(path);
  runCommand(ctx, readprototypesfromfile1Click);
  EXPECT_EQ(ws->Prototypes(1, 1), 1.235f);
  EXPECT_EQ(ws->Prototypes(1, 2), -0.063f);
  EXPECT_EQ(ws->Prototypes(2, 1), 101.0f);
  EXPECT_EQ(ws->Prototypes(2, 2), -7.778f);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Prototypes file written.", "2 prototypes read."}));
}

TEST_F(ReadingPrototypes, LinesDoNotMatterOnlyTheOrderOfTheNumbers) {
  ws->NumPrototypes = 3;
  read("1\t2 3\r\n4\n\n5\r6");
  EXPECT_EQ(ws->Prototypes(2, 1), 3.0f);
  EXPECT_EQ(ws->Prototypes(3, 1), 5.0f);
  EXPECT_EQ(ws->Prototypes(3, 2), 6.0f);
  EXPECT_EQ(shell.messages.size(), 1u);  // the count fits: no warning
}

TEST_F(ReadingPrototypes, MissingNumbersReadAsZeroAndTheUserIsWarned) {
  ws->NumPrototypes = 3;
  ws->Prototypes.fill(9);
  read("1 2 3 4 5\r\n");
  EXPECT_EQ(ws->Prototypes(3, 1), 5.0f);
  EXPECT_EQ(ws->Prototypes(3, 2), 0.0f);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{
                "3 prototypes read.",
                "The file holds 5 numbers, but 3 prototypes of 2 variables need 6:\r\n"
                "the missing values were read as 0.\r\n"
                "The file was probably written for other data or another number of prototypes."}));
  EXPECT_TRUE(shell.enabled(MenuItem::Recall));
  EXPECT_EQ(shell.status(), "Done.");
}

TEST_F(ReadingPrototypes, ExtraNumbersAreIgnoredAndTheUserIsWarned) {
  ws->NumPrototypes = 1;
  ws->Prototypes(2, 1) = 9;
  read(" 1.000 2.000 3.000 \r\n");
  EXPECT_EQ(ws->Prototypes(1, 1), 1.0f);
  EXPECT_EQ(ws->Prototypes(1, 2), 2.0f);
  EXPECT_EQ(ws->Prototypes(2, 1), 9.0f);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{
                "1 prototypes read.",
                "The file holds 3 numbers, but 1 prototype of 2 variables needs 2:\r\n"
                "the numbers after the first 2 were ignored.\r\n"
                "The file was probably written for other data or another number of prototypes."}));
}

TEST_F(ReadingPrototypes, ATokenThatIsNoNumberStopsTheReadingAndChangesNothing) {
  ws->NumPrototypes = 2;
  ws->Prototypes.fill(9);
  read("1 2 3,5 4");
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Invalid numeric input\r\nLine 1: '3,5' is not a number."}));
  EXPECT_EQ(ws->Prototypes(1, 1), 9.0f);
  EXPECT_EQ(ws->Prototypes(1, 2), 9.0f);
  EXPECT_EQ(ws->Prototypes(2, 1), 9.0f);
  EXPECT_EQ(ws->NumTrials, 100);
  EXPECT_FALSE(shell.enabled(MenuItem::Recall));
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Read prototypes..."}));
  EXPECT_EQ(shell.beeps, 0);
}

TEST_F(ReadingPrototypes, CancellingTheDialogChangesNothing) {
  ws->NumPrototypes = 0;
  shell.openFiles.push_back("");
  runCommand(ctx, readprototypesfromfile1Click);
  EXPECT_EQ(ws->NumPrototypes, 0);
  EXPECT_EQ(ws->NumTrials, 100);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(shell.enabled(MenuItem::Recall));
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Read prototypes...", "Done."}));
}

TEST_F(ReadingPrototypes, AFileThatCannotBeOpenedIsReportedAndTheDataFilterComesBack) {
  shell.openFiles.push_back(dir.file("missing.wgt"));
  runCommand(ctx, readprototypesfromfile1Click);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("Cannot open file", 0), 0u);
  EXPECT_EQ(ctx.openDialog.filterIndex, 1);
  EXPECT_FALSE(shell.enabled(MenuItem::Recall));
}

TEST_F(ReadingPrototypes, IsRefusedBeforeAnyParametersAreEntered) {
  ws->NumPrototypes = 0;
  ws->LowerLimit = 0;
  runCommand(ctx, readprototypesfromfile1Click);
  EXPECT_TRUE(shell.openDialogsShown.empty());
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{"The number of prototypes to read is not set yet:\r\n"
                                      "use Parameterize first; the lower limit of prototypes is read."}));
  EXPECT_EQ(ws->NumPrototypes, 0);
  EXPECT_FALSE(shell.enabled(MenuItem::Recall));
}

TEST_F(ReadingPrototypes, IsRefusedWithNoDataLoaded) {
  ws->NumVars = 0;
  ws->NumCases = 0;
  runCommand(ctx, readprototypesfromfile1Click);
  EXPECT_TRUE(shell.openDialogsShown.empty());
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].rfind("No data have been read: open a data file first.", 0), 0u);
}

TEST(NumberTokens, AreRunsAboveBlankUpToCtrlZ) {
  EXPECT_EQ(countNumberTokens(""), 0);
  EXPECT_EQ(countNumberTokens(" \r\n\t"), 0);
  EXPECT_EQ(countNumberTokens("1"), 1);
  EXPECT_EQ(countNumberTokens(" 1.000 -2.250\r\n10.000 \r\n"), 3);
  EXPECT_EQ(countNumberTokens("1\x01" "2\x1a" "3 4"), 2);
}
