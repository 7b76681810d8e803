#include <gtest/gtest.h>

#include "commands/Commands.h"
#include "commands/DataMatrixDialog.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

class OpenCommand : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  // Opens `contents` as the data file with the dialog entries given.
  void open(const std::string& contents, const std::string& cases, const std::string& vars) {
    const std::string path = dir.write("data.dat", contents);
    shell.dataDialogs.push_back([cases, vars](DataMatrixDialog& d) {
      d.edit1 = cases;
      d.edit2 = vars;
      return d.ok();
    });
    shell.openFiles.push_back(path);
    runCommand(ctx, open1Click);
  }
};

}  // namespace

TEST_F(OpenCommand, DropsTheRestOfALineAfterTheLastNumberOfARow) {
  open("1 2 3\r\n1 2 3\r\n1 2 3\r\n", "30000", "2");
  EXPECT_EQ(ws->NumCases, 3);
  EXPECT_EQ(ws->NumVars, 2);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ws->DataMatrix(i, 1), 1.0f);
    EXPECT_EQ(ws->DataMatrix(i, 2), 2.0f);
  }
  EXPECT_EQ(shell.messages, (std::vector<std::string>{
                                "3 records read.",
                                "The lines of this file hold 3 numbers each; 2 variables were asked for."}));
  EXPECT_TRUE(shell.enabled(MenuItem::Parameterize1));
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Read data...", "Done."}));
}

TEST_F(OpenCommand, ARowMaySpanLines) {
  open("1 2\n3 4\n", "30000", "4");
  EXPECT_EQ(ws->NumCases, 1);
  EXPECT_EQ(ws->DataMatrix(1, 3), 3.0f);
  EXPECT_EQ(ws->DataMatrix(1, 4), 4.0f);
}

TEST_F(OpenCommand, ACommaStopsTheReadAndChangesNothing) {
  ws->NumCases = 7;  // from an earlier file
  ws->NumVars = 3;
  ws->DataMatrix(2, 2) = 9;
  shell.menu[MenuItem::Parameterize1] = false;
  open("1 2\r\n3 4\r\n1,5 6\r\n", "100", "2");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "Invalid numeric input\r\nLine 3: '1,5' is not a number.");
  EXPECT_EQ(ws->DataMatrix(2, 2), 9.0f);
  EXPECT_EQ(ws->NumCases, 7);
  EXPECT_EQ(ws->NumVars, 3);
  EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
  EXPECT_EQ(shell.status(), "Read data...");
}

// The end of the file adds no data: blank lines after the last row add no
// row, and a row the end cuts short is left out and said so; the matrix
// beyond the rows read keeps what it held.
TEST_F(OpenCommand, TheEndOfTheFileAddsNoRowAndACutShortRowIsLeftOut) {
  struct Case {
    const char* name;
    std::string text;
    const char* cases;
    const char* vars;
    int rows;
    std::vector<std::string> messages;
  };
  const std::string twoRows = "1 2\r\n3 4";
  const std::vector<std::string> two{"2 records read."};
  const Case cases[] = {
      {"line end after the last row", twoRows + "\r\n", "30000", "2", 2, two},
      {"no line end after the last row", twoRows, "30000", "2", 2, two},
      {"blank lines", twoRows + "\r\n\r\n\r\n", "30000", "2", 2, two},
      {"lines of blanks and tabs", twoRows + "\r\n \t \r\n\t\n   ", "30000", "2", 2, two},
      {"blank lines before a Ctrl-Z", twoRows + "\r\n\r\n\x1a" + "5 6\r\n", "30000", "2", 2, two},
      {"last row cut short", "1 2 3\n4", "30000", "3", 1,
       {"1 records read.\r\nThe last row held only 1 of 3 values and was left out."}},
      {"cut short, then blank lines", "1 2 3\n4 5\n\n  \n", "30000", "3", 1,
       {"1 records read.\r\nThe last row held only 2 of 3 values and was left out."}},
      {"a row over two lines cut short", "1 2\n3 4\n5 6\n7\n", "30000", "4", 1,
       {"1 records read.\r\nThe last row held only 3 of 4 values and was left out."}},
      {"a short row beyond the cases asked for", twoRows + "\r\n5\r\n", "2", "2", 2,
       {"2 records read.", "The file holds more numbers after case 2, the last of the 2 cases asked for; "
                           "they were not read."}},
      {"a short row within the cases asked for", twoRows + "\r\n5\r\n", "3", "2", 2,
       {"2 records read.\r\nThe last row held only 1 of 2 values and was left out."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int i = 1; i <= 4; ++i)
      for (int v = 1; v <= 4; ++v) ws->DataMatrix(i, v) = 9;
    shell.messages.clear();
    open(c.text, c.cases, c.vars);
    EXPECT_EQ(ws->NumCases, c.rows);
    EXPECT_EQ(shell.messages, c.messages);
    EXPECT_EQ(ws->DataMatrix(1, 1), 1.0f);
    for (int v = 1; v <= 4; ++v) EXPECT_EQ(ws->DataMatrix(c.rows + 1, v), 9.0f) << v;
  }
}

// A file whose only row is cut short holds no data: nothing is taken.
TEST_F(OpenCommand, AFileOfOneCutShortRowHoldsNoData) {
  ws->NumCases = 5;
  ws->NumVars = 2;
  open("1 2\r\n", "30000", "3");
  EXPECT_EQ(shell.messages, (std::vector<std::string>{
                                "0 records read.\r\nThe last row held only 2 of 3 values and was left out.",
                                "The file holds no data.\r\nOpen a file with at least one row of numbers."}));
  EXPECT_EQ(ws->NumCases, 5);
  EXPECT_EQ(ws->NumVars, 2);
  EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
}

TEST_F(OpenCommand, ReadsNoMoreRowsThanCasesEntered) {
  std::string text;
  for (int i = 1; i <= 250; ++i) text += std::to_string(i) + "\r\n";
  ws->DataMatrix(101, 1) = -1;
  open(text, "100", "1");
  EXPECT_EQ(ws->NumCases, 100);
  EXPECT_EQ(ws->DataMatrix(100, 1), 100.0f);
  EXPECT_EQ(ws->DataMatrix(101, 1), -1.0f);  // untouched
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"100 records read.",
                                                      "The file holds more numbers after case 100, the last "
                                                      "of the 100 cases asked for; they were not read."}));
}

TEST_F(OpenCommand, KBlocksWarnsWhenCasesAreNoMultipleOfTheBlockSize) {
  std::string text;
  for (int i = 1; i <= 10; ++i) text += "1\n";
  shell.dataDialogs.push_back([](DataMatrixDialog& d) {
    d.edit2 = "1";
    d.selectKBlock();
    d.bssize = "3";
    return d.ok();
  });
  shell.openFiles.push_back(dir.write("k.dat", text));
  runCommand(ctx, open1Click);
  EXPECT_EQ(ws->NumCases, 10);
  EXPECT_TRUE(ws->KBlocks);
  EXPECT_TRUE(ws->CaseFirst);  // selected with k-blocks
  EXPECT_EQ(ws->BlockSize, 3);
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[1], "#ofVars modulo BlockSize must be 0!\r\nRepeat input.");
}

TEST_F(OpenCommand, KSamplesAsksForTheSubsampleFileEvenAfterACancelledDataFile) {
  open("1\n2\n3\n", "30000", "1");
  shell = ScriptedShell();
  shell.dataDialogs.push_back([](DataMatrixDialog& d) {
    d.edit1 = "2";  // describes no file: the 3 cases held stay
    d.selectKSample();
    return d.ok();
  });
  shell.openFiles.push_back("");  // data file cancelled
  shell.openFiles.push_back(dir.write("sub.txt", "1 2\r\n2\r\n"));
  runCommand(ctx, open1Click);
  EXPECT_EQ(shell.messages,
            (std::vector<std::string>{
                "A filename for reading the subsample\r\naffiliation of each case will be asked next.",
                "Subsample indicator read."}));
  EXPECT_EQ(ws->SubsampleOf[1], 1);
  EXPECT_EQ(ws->SubsampleOf[2], 2);
  EXPECT_EQ(ws->SubsampleOf[3], 2);
  EXPECT_EQ(ws->NumCases, 3);
  EXPECT_TRUE(ws->KSamples);
  EXPECT_EQ(shell.statuses,
            (std::vector<std::string>{"Read data...", "Done.", "Read subsample info...", "Done."}));
  ASSERT_EQ(shell.openDialogsShown.size(), 2u);
  EXPECT_EQ(shell.openDialogsShown[1].filterIndex, 5);
  EXPECT_EQ(shell.openDialogsShown[1].fileName, "*.*");
  EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
}

TEST_F(OpenCommand, SubsampleNumbersOutsideTheBlockRangeAreRefused) {
  shell.dataDialogs.push_back([](DataMatrixDialog& d) {
    d.edit1 = "2";
    d.edit2 = "1";
    d.selectKSample();
    return d.ok();
  });
  shell.openFiles.push_back(dir.write("d.dat", "1\n2\n"));
  shell.openFiles.push_back(dir.write("s.txt", "1 21"));
  runCommand(ctx, open1Click);
  EXPECT_FALSE(ws->KSamples);
  ASSERT_EQ(shell.messages.size(), 4u);
  EXPECT_NE(shell.messages[3].find("Case 2 has the subsample number 21"), std::string::npos);
}

TEST_F(OpenCommand, AFileThatCannotBeOpenedIsReportedWithItsReason) {
  shell.openFiles.push_back(dir.file("missing.dat"));
  runCommand(ctx, open1Click);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].find("missing.dat"), std::string::npos);
  EXPECT_NE(shell.messages[0].find("No such file"), std::string::npos);
  EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
}

TEST_F(OpenCommand, AnEmptyFileDoesNotEnableParameters) {
  open("", "30000", "2");
  EXPECT_EQ(ws->NumCases, 0);
  EXPECT_EQ(shell.messages[0], "0 records read.");
  EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
}

TEST_F(OpenCommand, ReadsTheShippedSampleData) {
  shell.openFiles.push_back(std::string(VOLMAR_SAMPLE_DATA_DIR) + "/iris.dat");
  shell.dataDialogs.push_back([](DataMatrixDialog& d) {
    d.edit2 = "4";
    return d.ok();
  });
  runCommand(ctx, open1Click);
  EXPECT_EQ(ws->NumCases, 150);
  EXPECT_EQ(shell.messages[0], "150 records read.");
}

TEST(DataMatrixDialogLogic, ControlsFollowEachOther) {
  auto ws = Workspace::create();
  ScriptedShell shell;
  Context ctx(*ws, shell);
  DataMatrixDialog d(ctx);
  EXPECT_EQ(d.edit1, "30000");
  EXPECT_EQ(d.edit2, "100");
  EXPECT_EQ(d.bssize, "20");
  EXPECT_FALSE(d.bssizeEnabled);
  EXPECT_FALSE(d.askforfnEnabled);
  d.selectKSample();
  EXPECT_TRUE(d.askforfnEnabled);
  EXPECT_FALSE(d.bssizeEnabled);
  d.selectKBlock();
  EXPECT_FALSE(d.ksample);
  EXPECT_FALSE(d.askforfnEnabled);
  EXPECT_TRUE(d.bssizeEnabled);
  EXPECT_TRUE(d.casefirst);
  EXPECT_TRUE(d.shape.CaseFirst);
  d.selectMeasFirst();
  EXPECT_FALSE(d.casefirst);
  EXPECT_FALSE(d.shape.CaseFirst);
  d.selectKSample();
  EXPECT_TRUE(d.bssizeEnabled);  // keeps its state
  d.help();
  EXPECT_EQ(shell.messages.back(), "Use the context-specific hints.");
}

TEST(DataMatrixDialogLogic, RefusesEntriesTheWorkspaceCannotHold) {
  auto ws = Workspace::create();
  ScriptedShell shell;
  Context ctx(*ws, shell);
  DataMatrixDialog d(ctx);
  d.edit1 = "abc";
  EXPECT_FALSE(d.ok());
  EXPECT_EQ(shell.messages.back(), "'abc' is not a valid integer value");
  for (const char* bad : {"0", "30001", "-5"}) {
    d.edit1 = bad;
    EXPECT_FALSE(d.ok()) << bad;
  }
  d.edit1 = "30000";
  d.edit2 = "101";
  EXPECT_FALSE(d.ok());
  EXPECT_NE(shell.messages.back().find("number of variables must be from 1 to 100"), std::string::npos);
  d.edit2 = "100";
  d.selectKBlock();
  d.bssize = "0";
  EXPECT_FALSE(d.ok());
  d.bssize = "21";
  EXPECT_FALSE(d.ok());
  EXPECT_EQ(d.shape.NumCases, 0);  // nothing stored by a refused entry
  d.bssize = "20";
  EXPECT_TRUE(d.ok());
  EXPECT_EQ(d.shape.NumCases, 30000);
  EXPECT_EQ(d.shape.BlockSize, 20);
  EXPECT_EQ(ws->NumCases, 0);  // the workspace gets the shape with a data file
  // The block size counts only for k-blocks data.
  d.selectKSample();
  d.bssize = "0";
  EXPECT_TRUE(d.ok());
  EXPECT_EQ(d.shape.BlockSize, 1);
}
