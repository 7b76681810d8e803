// Import of SPSS and Stata files through the reader process, on files that
// ReadStat's own command-line tool writes: names, labels, user-missing
// values and ranges, system-missing values, text variables refused as data,
// a value-labelled subsample variable; and a reader that crashes,
// hangs or fails leaves the workspace as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "commands/Import.h"
#include "io/SurveyReader.h"
#include "support/RScript.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

// The survey as CSV and the variables' metadata as ReadStat's converter
// takes them.
const char* SurveyCsv =
    "id,name,wave,q1,q2\n"
    "101,Ann,1,3.5,9\n"
    "102,Bob,2,,4\n"
    "103,Cy,2,97,2\n"
    "104,Di,1,98.5,1\n"
    "105,Ed,2,4,5\n";

std::string metadata(const char* type, bool withMissing) {
  const std::string missing1 = withMissing ? R"(, "missing": {"type": "RANGE", "low": 97, "high": 99})" : "";
  const std::string missing2 = withMissing ? R"(, "missing": {"type": "DISCRETE", "values": [9]})" : "";
  return std::string(R"({"type": ")") + type + R"(", "variables": [
 {"type": "NUMERIC", "name": "id", "label": "Respondent"},
 {"type": "STRING", "name": "name", "label": "Name"},
 {"type": "NUMERIC", "name": "wave", "label": "Survey wave", "categories": [{"code": 1, "label": "Spring"}, {"code": 2, "label": "Autumn"}]},
 {"type": "NUMERIC", "name": "q1", "label": "Price rating")" + missing1 + R"(},
 {"type": "NUMERIC", "name": "q2", "label": "Quality")" + missing2 + "}]}";
}

class SurveyFiles : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  void TearDown() override {
    io::setSurveyReaderProgram("");
    io::setSurveyReaderLimits({});
  }

  // Writes the survey with ReadStat's converter; fails the test when it
  // cannot (the Debian package readstat is missing).
  std::string write(const std::string& name, const char* type, bool withMissing) {
    const std::string in = dir.write(name + ".csv", SurveyCsv);
    const std::string meta = dir.write(name + ".json", metadata(type, withMissing));
    const std::string out = dir.file(name);
    const std::string cmd = "readstat '" + in + "' '" + meta + "' '" + out + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "ReadStat's tool (Debian package readstat) must be installed: " << cmd;
    return out;
  }

  bool import(const SurveyFile& file, const ImportOptions& o) {
    bool done = false;
    runCommand(ctx, [&](Context& c) {
      importSurveyData(c, file, o);
      done = true;
    });
    return done;
  }
};

TEST_F(SurveyFiles, SpssFileGivesNamesLabelsTypesMissingValuesAndValueLabels) {
  const std::string path = write("survey.sav", "SPSS", true);
  SurveyFile file;
  runCommand(ctx, [&](Context&) { file = scanSurveyFile(path); });
  ASSERT_EQ(file.variables.size(), 5u) << (shell.messages.empty() ? "" : shell.messages.back());
  EXPECT_EQ(file.format, "SPSS");
  EXPECT_EQ(file.rows, 5);
  const std::vector<std::string> types = {"number", "text", "number", "number", "number"};
  for (std::size_t i = 0; i < types.size(); ++i) EXPECT_EQ(file.variables[i].type, types[i]) << i;
  EXPECT_EQ(file.variables[3].name, "q1");
  EXPECT_EQ(file.variables[3].label, "Price rating");
  // System-missing, and 97 and 98.5 in the user-missing range 97..99.
  EXPECT_EQ(file.variables[3].missing, 3);
  EXPECT_EQ(file.variables[4].missing, 1);  // the user-missing value 9
  EXPECT_EQ(file.variables[2].valueLabels,
            (std::vector<std::pair<double, std::string>>{{1, "Spring"}, {2, "Autumn"}}));
  EXPECT_EQ(defaultImportVariables(file, "id"), (std::vector<std::string>{"wave", "q1", "q2"}));

  ImportOptions o;
  o.variables = {"q2", "q1"};
  o.id = "id";
  o.subsamples = "wave";
  ASSERT_TRUE(import(file, o)) << shell.messages.back();
  EXPECT_EQ(ws->NumCases, 1);
  EXPECT_EQ(ws->NumVars, 2);
  EXPECT_EQ(ws->DataMatrix(1, 1), 5.0f);
  EXPECT_EQ(ws->DataMatrix(1, 2), 4.0f);
  EXPECT_TRUE(ws->KSamples);
  EXPECT_EQ(ws->SubsampleOf[1], 2);
  EXPECT_EQ(ctx.names.ids, (std::vector<std::string>{"101", "102", "103", "104", "105"}));
  EXPECT_EQ(ctx.names.caseOfRow, (std::vector<int>{0, 0, 0, 0, 1}));
  EXPECT_EQ(shell.messages.back(), "1 case read, 4 left out for missing values (5 rows in the file).\r\n"
                                   "Missing most often: q1 (3), q2 (1).");
}

TEST_F(SurveyFiles, TextVariablesAreRefusedAsDataButMayBeTheId) {
  const std::string path = write("survey.sav", "SPSS", true);
  SurveyFile file;
  runCommand(ctx, [&](Context&) { file = scanSurveyFile(path); });
  ASSERT_EQ(file.variables.size(), 5u);
  ws->NumCases = 9;
  ImportOptions text;
  text.variables = {"q2", "name"};
  EXPECT_FALSE(import(file, text));
  EXPECT_EQ(shell.messages.back(), "The variable 'name' holds text and cannot be data.");
  EXPECT_EQ(ws->NumCases, 9);
  // A text ID is fine.
  ImportOptions o;
  o.variables = {"q2"};
  o.id = "name";
  o.missingCodes = {"4"};
  ASSERT_TRUE(import(file, o));
  EXPECT_EQ(ctx.names.ids.front(), "Ann");
  EXPECT_EQ(ws->NumCases, 3);  // 9 (user-missing) and the code 4 left out
}

TEST_F(SurveyFiles, StataFileIsRead) {
  const std::string path = write("survey.dta", "STATA", false);
  SurveyFile file;
  runCommand(ctx, [&](Context&) { file = scanSurveyFile(path); });
  ASSERT_EQ(file.variables.size(), 5u) << (shell.messages.empty() ? "" : shell.messages.back());
  EXPECT_EQ(file.format, "Stata");
  EXPECT_EQ(file.variables[1].type, "text");
  EXPECT_EQ(file.variables[3].missing, 1);
  ImportOptions o;
  o.variables = {"q1", "q2"};
  o.id = "id";
  o.missingCodes = {"97"};
  ASSERT_TRUE(import(file, o));
  EXPECT_EQ(ws->NumCases, 3);
  EXPECT_EQ(ws->DataMatrix(2, 1), 98.5f);
}

// Files as R's haven writes them: dates and date-times, SPSS user-missing
// values and ranges, Stata tagged missing values, value labels.
TEST_F(SurveyFiles, FilesWrittenByRHaven) {
  test::runR(dir, R"(
d <- data.frame(id = c(1, 2, 3, 4, 5, 6))
d$visit <- as.Date(c("2024-03-01", "2024-03-02", NA, "2024-03-04", "2024-03-05", "2024-03-06"))
d$stamp <- as.POSIXct("2024-03-01 10:00:00", tz = "UTC") + (1:6) * 3600
d$name <- c("Ann", "Bob", "Cy", "Di", "Ed", "Flo")
d$wave <- labelled(c(1, 2, 2, 1, 2, 1), c(North = 1, South = 2), label = "Region of interview")
d$q1 <- labelled_spss(c(3.5, 9, 2, 97.5, 4, NA), na_values = 9, na_range = c(97, 99), label = "Price rating")
d$q2 <- c(1, 2, 3, 4, 5, 6)
write_sav(d, "haven.sav")
d$q1 <- c(3.5, tagged_na("a"), 2, tagged_na("z"), 4, NA)
write_dta(d, "haven.dta")
)");
  for (const char* name : {"haven.sav", "haven.dta"}) {
    SCOPED_TRACE(name);
    SurveyFile file;
    runCommand(ctx, [&](Context&) { file = scanSurveyFile(dir.file(name)); });
    ASSERT_EQ(file.variables.size(), 7u) << (shell.messages.empty() ? "" : shell.messages.back());
    const std::vector<std::string> types = {"number", "date", "date", "text", "number", "number", "number"};
    for (std::size_t i = 0; i < types.size(); ++i) EXPECT_EQ(file.variables[i].type, types[i]) << i;
    // Missing: system-missing and 9 and 97.5 (SPSS), or the tagged .a and .z
    // (Stata).
    EXPECT_EQ(file.variables[5].missing, 3);
    EXPECT_EQ(file.variables[4].valueLabels,
              (std::vector<std::pair<double, std::string>>{{1, "North"}, {2, "South"}}));
    EXPECT_EQ(defaultImportVariables(file, "id"), (std::vector<std::string>{"wave", "q1", "q2"}));

    ws->NumCases = 9;
    for (const char* date : {"visit", "stamp"}) {
      ImportOptions o;
      o.variables = {"q2", date};
      EXPECT_FALSE(import(file, o));
      EXPECT_EQ(shell.messages.back(), "The variable '" + std::string(date) + "' holds dates and cannot be data.");
      EXPECT_EQ(ws->NumCases, 9);
    }
    ImportOptions o;
    o.variables = {"q1", "q2"};
    o.id = "name";
    o.subsamples = "wave";
    ASSERT_TRUE(import(file, o)) << shell.messages.back();
    EXPECT_EQ(ws->NumCases, 3);
    EXPECT_EQ(ctx.names.caseOfRow, (std::vector<int>{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(ws->DataMatrix(3, 1), 4.0f);
    EXPECT_EQ(ws->DataMatrix(3, 2), 5.0f);
    EXPECT_EQ(ws->SubsampleOf[2], 2);
    EXPECT_EQ(ctx.names.ids[5], "Flo");
  }
}

TEST_F(SurveyFiles, AReaderThatCrashesHangsOrFailsChangesNothing) {
  const std::string path = write("survey.sav", "SPSS", true);
  struct Case {
    const char* name;
    std::string script;
    std::string message;
  };
  const Case cases[] = {
      {"crash", "#!/bin/sh\nkill -SEGV $$\n",
       "The reader of \"" + path + "\" ended abnormally (Segmentation fault): the file is damaged or of a kind it "
       "cannot read.\r\nNothing was imported."},
      {"hang", "#!/bin/sh\nexec sleep 30\n",
       "Reading \"" + path + "\" took longer than 1 seconds and was stopped.\r\nNothing was imported."},
      {"error", "#!/bin/sh\necho 'Invalid file, or file has unsupported features' >&2\nexit 1\n",
       "The file \"" + path + "\" cannot be read: Invalid file, or file has unsupported features.\r\nNothing was imported."},
      {"cut short", "#!/bin/sh\nprintf 'rows\\t5\\n'\n", "The file reader gave an incomplete answer for \"" + path + "\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string fake = dir.write(std::string("reader-") + c.name, c.script);
    ASSERT_EQ(::chmod(fake.c_str(), 0755), 0);
    io::setSurveyReaderProgram(fake);
    io::setSurveyReaderLimits({1, std::size_t{256} << 20});
    ws->NumCases = 9;
    shell.messages.clear();
    shell.openFiles.push_back(path);
    runCommand(ctx, [](Context& cx) { import1Click(cx, {}, [](const SurveyFile&) { return std::optional(ImportOptions{}); }); });
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages.back(), c.message);
    EXPECT_EQ(ws->NumCases, 9);
    EXPECT_FALSE(ctx.names.imported);
  }
}

}  // namespace

namespace {

TEST_F(SurveyFiles, SegmentsAsSpssFileReadBackWithLabelsAndSystemMissing) {
  shell.openFiles.push_back(dir.write("s.csv", "resp,q\nA7,1\nB8,\nC9,3\n"));
  runCommand(ctx, [](Context& c) {
    import1Click(c, {}, [](const SurveyFile&) {
      ImportOptions o;
      o.variables = {"q"};
      o.id = "resp";
      return std::optional(o);
    });
  });
  ASSERT_EQ(ws->NumCases, 2);
  ws->LabelsPrototypes = 3;
  ws->LabelsReplications = 2;
  ws->ClassLabels(1, 1) = 2;
  ws->ClassLabels(1, 2) = 3;
  ws->ClassLabels(2, 1) = 1;
  ws->ClassLabels(2, 2) = 1;
  ctx.names.labelledHere = true;  // as a training run on these data leaves it
  const std::string path = dir.file("segments.sav");
  shell.saveFiles.push_back(path);
  runCommand(ctx, segmentswithIDs1Click);
  ASSERT_EQ(shell.messages.back(), "Segments with IDs written.");

  // Read back by the reader of imports, and by ReadStat's own tool.
  SurveyFile back;
  runCommand(ctx, [&](Context&) { back = scanSurveyFile(path); });
  ASSERT_EQ(back.variables.size(), 3u) << shell.messages.back();
  EXPECT_EQ(back.rows, 3);
  EXPECT_EQ(back.variables[0].name, "resp");
  EXPECT_EQ(back.variables[0].type, "text");
  EXPECT_EQ(back.variables[1].name, "segment_r1");
  EXPECT_EQ(back.variables[1].label, "Segment of 3 prototypes, replication 1 of 2");
  EXPECT_EQ(back.variables[2].missing, 1);
  EXPECT_EQ(back.variables[2].valueLabels,
            (std::vector<std::pair<double, std::string>>{{1, "Segment 1"}, {2, "Segment 2"}, {3, "Segment 3"}}));
  const std::string csv = dir.file("back.csv");
  ASSERT_EQ(std::system(("readstat '" + path + "' '" + csv + "' >/dev/null 2>&1").c_str()), 0);
  EXPECT_EQ(test::readFile(csv), "\"resp\",\"segment_r1\",\"segment_r2\"\n\"A7\",2.000000,3.000000\n\"B8\",,\n\"C9\",1.000000,1.000000\n");
}

}  // namespace
