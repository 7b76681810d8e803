// File > Import of CSV files: the file's shapes (quotes, byte order mark,
// line ends, separators, decimal commas), missing values, the choice of
// variables, IDs, the layouts and the refusals that leave the data alone.
#include <gtest/gtest.h>

#include <functional>

#include "commands/Commands.h"
#include "commands/Import.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

class Import : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;
  std::optional<SurveyFile> scanned;

  // Imports `csv` with the options the chooser gives (the dialog's default
  // choice when it gives none); true when the command ran to its end.
  bool import(const std::string& csv, std::function<void(ImportOptions&)> choose = {}, CsvFormat format = {}) {
    shell.openFiles.push_back(dir.write("survey.csv", csv));
    bool completed = false;
    runCommand(ctx, [&](Context& c) {
      import1Click(c, format, [&](const SurveyFile& f) {
        scanned = f;
        ImportOptions o;
        o.variables = defaultImportVariables(f, "");
        if (choose) choose(o);
        return std::optional(o);
      });
      completed = true;
    });
    return completed;
  }

  // The workspace holds 2 cases of 3 variables from an earlier file.
  void holdEarlierData() {
    ws->NumCases = 2;
    ws->NumVars = 3;
    ws->DataMatrix(1, 1) = 42;
  }
  void expectEarlierDataKept() {
    EXPECT_EQ(ws->NumCases, 2);
    EXPECT_EQ(ws->NumVars, 3);
    EXPECT_EQ(ws->DataMatrix(1, 1), 42.0f);
    EXPECT_FALSE(ctx.names.imported);
    EXPECT_FALSE(shell.enabled(MenuItem::Parameterize1));
  }

  std::vector<float> row(int c) const {
    std::vector<float> r;
    for (int v = 1; v <= ws->NumVars; ++v) r.push_back(ws->DataMatrix(c, v));
    return r;
  }
};

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

struct ShapeCase {
  const char* name;
  std::string csv;
  std::vector<std::string> variables;  // chosen; the ID is "id"
  std::vector<std::vector<float>> rows;
  std::vector<std::string> ids;
};

}  // namespace

TEST_F(Import, ReadsEveryShapeOfCsvFile) {
  const ShapeCase cases[] = {
      {"quoted separators, quotes and a line break",
       "id,name,q1\n1,\"Smith, \"\"Jo\"\"\nLondon\",2.5\n\"2,b\",x,3\n",
       {"q1"}, {{2.5f}, {3.0f}}, {"1", "2,b"}},
      {"byte order mark and CR LF", "\xEF\xBB\xBFid,q1,q2\r\n1,2,3\r\n2,4,5\r\n", {"q1", "q2"},
       {{2, 3}, {4, 5}}, {"1", "2"}},
      {"semicolon with decimal commas", "id;q1;q2\n10;1,5;-2,25\n11;3;1e2\n", {"q1", "q2"},
       {{1.5f, -2.25f}, {3, 100}}, {"10", "11"}},
      {"tab with decimal commas and blanks around numbers", "id\tq1\tq2\nA\t 0,5 \t7\nB\t1\t2\n", {"q2", "q1"},
       {{7, 0.5f}, {2, 1}}, {"A", "B"}},
      {"empty lines and a last line without its end", "id,q1\n\n1,2\n\r\n2,3", {"q1"}, {{2}, {3}}, {"1", "2"}},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.name);
    shell.messages.clear();
    // Segments of the data before are not those of the new data.
    shell.enableMenu(MenuItem::Segmentprofiles1, true);
    shell.enableMenu(MenuItem::Segmentdescription1, true);
    ASSERT_TRUE(import(c.csv, [&](ImportOptions& o) {
      o.variables = c.variables;
      o.id = "id";
    })) << (shell.messages.empty() ? "" : shell.messages.back());
    ASSERT_EQ(ws->NumCases, static_cast<int>(c.rows.size()));
    for (std::size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(row(static_cast<int>(r) + 1), c.rows[r]);
    EXPECT_EQ(ctx.names.ids, c.ids);
    EXPECT_EQ(ctx.names.variables, c.variables);
    EXPECT_EQ(ctx.names.idName, "id");
    EXPECT_FALSE(shell.enabled(MenuItem::Segmentprofiles1));
    EXPECT_FALSE(shell.enabled(MenuItem::Segmentdescription1));
  }
}

TEST_F(Import, ListsTheVariablesWithTypesAndMissingCounts) {
  ASSERT_TRUE(import("id;name;q1;q2\n1;Ann;1,5;NA\n2;Bob;;3\n3;\"Cy\";2;4\n", [](ImportOptions& o) {
    o.variables = {"q2"};
  }));
  ASSERT_TRUE(scanned);
  EXPECT_EQ(scanned->separator, ';');
  EXPECT_TRUE(scanned->decimalComma);
  EXPECT_EQ(scanned->rows, 3);
  ASSERT_EQ(scanned->variables.size(), 4u);
  const SurveyVariable& name = scanned->variables[1];
  EXPECT_FALSE(name.numeric);
  EXPECT_EQ(name.firstTextLine, 2);
  EXPECT_EQ(name.firstText, "Ann");
  EXPECT_TRUE(scanned->variables[2].numeric);
  EXPECT_EQ(scanned->variables[2].missing, 1);
  EXPECT_EQ(scanned->variables[3].missing, 1);
  EXPECT_EQ(defaultImportVariables(*scanned, "id"), (std::vector<std::string>{"q1", "q2"}));
}

TEST_F(Import, LeavesOutCasesWithMissingValuesAndKeepsTheirPlace) {
  ASSERT_TRUE(import("resp,a,b,c\n101,1,2,3\n102,,2,3\n103,1,99,-9\n104,4,5,6\n105,.,5,-9\n", [](ImportOptions& o) {
    o.variables = {"a", "b", "c"};
    o.id = "resp";
    o.missingCodes = {"99", "-9", "."};
  }));
  EXPECT_EQ(ws->NumCases, 2);
  EXPECT_EQ(row(2), (std::vector<float>{4, 5, 6}));
  EXPECT_EQ(ctx.names.caseOfRow, (std::vector<int>{1, 0, 0, 2, 0}));
  ASSERT_FALSE(shell.messages.empty());
  EXPECT_EQ(shell.messages[0], "2 cases read, 3 left out for missing values (5 rows in the file).\r\n"
                               "Missing most often: a (2), c (2), b (1).");
  EXPECT_TRUE(shell.enabled(MenuItem::Parameterize1));
  EXPECT_EQ(shell.status(), "Done.");
}

TEST_F(Import, ChoosesAHundredOfThreeHundredVariables) {
  std::string csv;
  for (int v = 1; v <= 300; ++v) csv += (v > 1 ? "," : "") + std::string("v") + std::to_string(v);
  csv += "\n";
  for (int r = 1; r <= 3; ++r) {
    for (int v = 1; v <= 300; ++v) csv += (v > 1 ? "," : "") + std::to_string(r * 1000 + v);
    csv += "\n";
  }
  ASSERT_TRUE(import(csv, [](ImportOptions& o) {
    o.variables.clear();
    for (int v = 300; v > 100; v -= 2) o.variables.push_back("v" + std::to_string(v));
  }));
  EXPECT_EQ(ws->NumVars, 100);
  EXPECT_EQ(ws->DataMatrix(3, 1), 3300.0f);
  EXPECT_EQ(ws->DataMatrix(3, 100), 3102.0f);
  EXPECT_EQ(ctx.names.variable(100), "v102");
  // Without a choice the dialog offers the first hundred.
  EXPECT_EQ(defaultImportVariables(*scanned, "").size(), 100u);
}

TEST_F(Import, WarnsOfRepeatedAndMissingIds) {
  ASSERT_TRUE(import("id,q\nA,1\nB,2\nA,3\n,4\n", [](ImportOptions& o) {
    o.variables = {"q"};
    o.id = "id";
  }));
  EXPECT_EQ(ws->NumCases, 4);
  ASSERT_EQ(shell.messages.size(), 3u);
  EXPECT_EQ(shell.messages[1], "The ID 'A' of line 4 repeats that of line 2.\r\n"
                               "1 row repeats an earlier ID: segments cannot be merged back by 'id' alone.");
  EXPECT_EQ(shell.messages[2], "1 row has no ID (the first on line 5).");
}

TEST_F(Import, WithoutAnIdTheRowNumberIsTheId) {
  ASSERT_TRUE(import("q\n1\n\n\n2\n3\n", [](ImportOptions& o) { o.missingCodes = {"2"}; }));
  EXPECT_EQ(ctx.names.idHeading(), "row");
  EXPECT_EQ(ctx.names.ids, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(ctx.names.caseOfRow, (std::vector<int>{1, 0, 2}));
}

TEST_F(Import, RefusesWhatItCannotReadAndChangesNothing) {
  std::string tooMany = "q\n";
  for (int i = 0; i <= MaxCases; ++i) tooMany += "1\n";
  struct Refusal {
    const char* name;
    std::string csv;
    std::function<void(ImportOptions&)> choose;
    std::string message;
  };
  const Refusal refusals[] = {
      {"a ragged row", "a,b\n1,2\n3\n", {}, "Line 3 has 1 fields; the header line has 2.\r\nNothing was imported."},
      {"a text value", "id,a\n1,2\n2,two\n", [](ImportOptions& o) { o.variables = {"a"}; },
       "Line 3: 'two' in the variable 'a' is neither a number nor a missing code.\r\nNothing was imported."},
      {"a string variable chosen", "name,a\nAnn,2\n", [](ImportOptions& o) { o.variables = {"name"}; },
       "Line 2: 'Ann' in the variable 'name' is neither a number nor a missing code.\r\nNothing was imported."},
      {"a header only", "a,b\r\n", {}, "The file holds no data.\r\nImport a file with a header line and at least one row of values."},
      {"every case missing", "a,b\n1,\n,2\n", {},
       "No case is complete: every row lacks a value of the chosen variables.\r\nNothing was imported."},
      {"more complete cases than the limit", tooMany, {},
       "The file holds 30001 complete cases; at most 30000 can be imported.\r\nNothing was imported. Cut the file "
       "into parts of at most 30000 cases (for example by region or wave) and import them one by one."},
      {"an unknown variable", "a\n1\n", [](ImportOptions& o) { o.variables = {"b"}; },
       "The file has no variable 'b'."},
      {"the ID as data", "a\n1\n", [](ImportOptions& o) { o.id = "a"; },
       "'a' is the ID and cannot also be a data variable."},
      {"a subsample number out of range", "g,a\n1,1\n21,2\n",
       [](ImportOptions& o) {
         o.variables = {"a"};
         o.subsamples = "g";
       },
       "Line 3: '21' in the variable 'g' is no subsample number; subsample numbers must be whole numbers "
       "from 1 to 20.\r\nNothing was imported."},
      {"an open quote", "a\n\"1\n2\n", {},
       "Line 2 is not valid CSV: a field in quotes is not closed before the end of the file"},
      {"a number too large", "a\n1e39\n", {},
       "Line 2: '1e39' in the variable 'a' is out of range.\r\nNothing was imported."},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.name);
    shell.messages.clear();
    holdEarlierData();
    EXPECT_FALSE(import(r.csv, r.choose));
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages.back(), r.message);
    expectEarlierDataKept();
  }
}

TEST_F(Import, TakesSubsamplesFromAVariable) {
  ASSERT_TRUE(import("id,wave,a\n1,2,5\n2,,6\n3,1,7\n", [](ImportOptions& o) {
    o.variables = {"a"};
    o.id = "id";
    o.subsamples = "wave";
  }));
  EXPECT_TRUE(ws->KSamples);
  EXPECT_FALSE(ws->KBlocks);
  EXPECT_EQ(ws->BlockSize, 1);
  EXPECT_EQ(ws->NumCases, 2);
  EXPECT_EQ(ws->SubsampleOf[1], 2);
  EXPECT_EQ(ws->SubsampleOf[2], 1);
}

TEST_F(Import, TakesTheKBlocksLayout) {
  ASSERT_TRUE(import("a\n1\n2\n3\n4\n", [](ImportOptions& o) {
    o.kBlocks = true;
    o.blockSize = 2;
    o.caseFirst = false;
  }));
  EXPECT_TRUE(ws->KBlocks);
  EXPECT_FALSE(ws->KSamples);
  EXPECT_EQ(ws->BlockSize, 2);
  EXPECT_FALSE(ws->CaseFirst);
}

// A respondent missing a value in one block is left out with every block,
// so the rows kept still belong to the respondents and blocks of the layout.
TEST_F(Import, KBlocksLeaveOutWholeRespondents) {
  struct Case {
    const char* name;
    const char* csv;
    bool caseFirst;
    std::vector<float> kept;  // the values of a, case by case
    std::vector<int> caseOfRow;
  };
  const Case cases[] = {
      // Respondents 1 (rows 1-2), 2 (rows 3-4), 3 (rows 5-6); respondent 2
      // lacks b in block 2.
      {"measurements within cases", "a,b\n11,1\n12,1\n21,1\n22,\n31,1\n32,1\n", true, {11, 12, 31, 32},
       {1, 2, 0, 0, 3, 4}},
      // Block 1 of respondents 1-3, then their block 2; respondent 2 lacks b
      // in block 1.
      {"cases within measurements", "a,b\n11,1\n21,\n31,1\n12,1\n22,1\n32,1\n", false, {11, 31, 12, 32},
       {1, 0, 2, 3, 0, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shell.messages.clear();
    ASSERT_TRUE(import(c.csv, [&](ImportOptions& o) {
      o.kBlocks = true;
      o.blockSize = 2;
      o.caseFirst = c.caseFirst;
    })) << shell.messages.back();
    EXPECT_EQ(ws->NumCases, 4);
    for (std::size_t i = 0; i < c.kept.size(); ++i) EXPECT_EQ(ws->DataMatrix(static_cast<int>(i) + 1, 1), c.kept[i]) << i;
    EXPECT_EQ(ctx.names.caseOfRow, c.caseOfRow);
    EXPECT_EQ(shell.messages.front(),
              "4 cases read, 2 left out for missing values (6 rows in the file).\r\nMissing most often: b (1).\r\n"
              "Blocks of 2: 1 respondent with a missing value was left out with all their rows.");
  }
  // Rows that are no whole number of blocks cannot be kept in line.
  holdEarlierData();
  shell.messages.clear();
  EXPECT_FALSE(import("a,b\n1,1\n2,\n3,1\n", [](ImportOptions& o) {
    o.kBlocks = true;
    o.blockSize = 2;
  }));
  EXPECT_EQ(shell.messages.back(),
            "The file's 3 rows are no whole number of blocks of 2, so the respondents with missing values cannot be "
            "left out with all their rows.\r\nNothing was imported.");
  EXPECT_EQ(ws->NumCases, 2);
  EXPECT_EQ(ws->NumVars, 3);
  EXPECT_EQ(ws->DataMatrix(1, 1), 42.0f);
}

TEST_F(Import, TheSeparatorAndDecimalMarkCanBeGiven) {
  // Detected from the header, ";" would split this file; told "," it keeps
  // "a;b" as one name.
  ASSERT_TRUE(import("\"a;b\",c\n1,2\n", [](ImportOptions& o) { o.variables = {"a;b", "c"}; }, {',', {}}));
  EXPECT_EQ(row(1), (std::vector<float>{1, 2}));
  // A decimal point only: "1,5" is no number then.
  holdEarlierData();
  shell.messages.clear();
  EXPECT_FALSE(import("a;b\n1,5;2\n", [](ImportOptions& o) { o.variables = {"a", "b"}; }, {';', false}));
  EXPECT_TRUE(has(shell.messages.back(), "'1,5' in the variable 'a' is neither a number"));
}

TEST_F(Import, OpenLeavesNoNames) {
  ASSERT_TRUE(import("id,q\nA,1\n", [](ImportOptions& o) {
    o.variables = {"q"};
    o.id = "id";
  }));
  EXPECT_TRUE(ctx.names.imported);
  shell.dataDialogs.push_back([](DataMatrixDialog& d) {
    d.edit2 = "1";
    return d.ok();
  });
  shell.openFiles.push_back(dir.write("plain.dat", "5\n6\n"));
  runCommand(ctx, open1Click);
  EXPECT_FALSE(ctx.names.imported);
  EXPECT_EQ(ctx.names.variable(1), "1");
  EXPECT_EQ(ctx.names.idHeading(), "case");
}

TEST_F(Import, SegmentsFileHasOneRowPerRowOfTheFile) {
  ASSERT_TRUE(import("id,q\n\"A,1\",1\nB,\nC,3\n", [](ImportOptions& o) {
    o.variables = {"q"};
    o.id = "id";
  }));
  ws->LabelsPrototypes = 3;
  ws->LabelsReplications = 2;
  ws->NumReplications = 2;
  ws->ClassLabels(1, 1) = 2;
  ws->ClassLabels(1, 2) = 3;
  ws->ClassLabels(2, 1) = 1;
  ws->ClassLabels(2, 2) = 1;
  EXPECT_EQ(segmentsCsvText(ctx), "id,segment_r1,segment_r2\r\n\"A,1\",2,3\r\nB,,\r\nC,1,1\r\n");
  ws->LabelsReplications = 1;
  EXPECT_EQ(segmentsCsvText(ctx), "id,segment\r\n\"A,1\",2\r\nB,\r\nC,1\r\n");
  ctx.names.labelledHere = true;  // as a training run on these data leaves it

  const std::string path = dir.file("seg.csv");
  shell.saveFiles.push_back(path);
  runCommand(ctx, segmentswithIDs1Click);
  EXPECT_EQ(test::readFile(path), "id,segment\r\n\"A,1\",2\r\nB,\r\nC,1\r\n");
  EXPECT_EQ(shell.messages.back(), "Segments with IDs written.");
}

TEST_F(Import, NoSegmentsBeforeATrainingRun) {
  ASSERT_TRUE(import("q\n1\n"));
  runCommand(ctx, segmentswithIDs1Click);
  EXPECT_EQ(shell.messages.back(), "There are no segments to save yet.\r\nTrain (or recall) on the data first.");
  EXPECT_TRUE(shell.saveDialogsShown.empty());
}
