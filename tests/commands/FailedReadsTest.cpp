#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "commands/Commands.h"
#include "commands/DataMatrixDialog.h"
#include "commands/ParamDialog.h"
#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "commands/Train.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

// After iris was opened, parameterized and given prototypes, a data or
// prototypes file that cannot be read completely must leave everything a
// later command uses as it was: the training run and recall afterwards give
// the very lines they gave before.
class Session {
 public:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  Session() {
    mainWindowCreated(ctx);
    open(std::string(VOLMAR_SAMPLE_DATA_DIR) + "/iris.dat", "4");
    shell.paramDialogs.push_back([](ParamDialog& d) {
      d.edits[0] = "2";
      d.edits[1] = "3";
      d.edits[3] = "3";
      d.edits[2] = "2";
      d.edits[4] = "0.3";
      d.edits[5] = "1";
      d.edits[6] = "20";
      d.edits[7] = "1";
      ASSERT_TRUE(d.ok());
    });
    runCommand(ctx, parameterize1Click);
    readPrototypes(dir.write("good.wgt", "5 3.4 1.5 .2\r\n6.5 3 5.5 2\r\n"));
    EXPECT_EQ(shell.messages.back(), "2 prototypes read.");
    EXPECT_TRUE(shell.enabled(MenuItem::Recall));
  }

  void open(const std::string& path, const std::string& vars) {
    shell.dataDialogs.push_back([vars](DataMatrixDialog& d) {
      d.edit2 = vars;
      return d.ok();
    });
    shell.openFiles.push_back(path);
    runCommand(ctx, open1Click);
  }
  void readPrototypes(const std::string& path) {
    shell.openFiles.push_back(path);
    runCommand(ctx, readprototypesfromfile1Click);
  }

  // Everything the next commands read, as bytes.
  std::string snapshot() const {
    std::string s;
    const auto add = [&s](const void* p, std::size_t n) { s.append(static_cast<const char*>(p), n); };
    for (int i = 1; i <= ws->NumCases; ++i) add(ws->DataMatrix.row(i), sizeof(float) * 4);
    for (int p = 1; p <= ws->NumPrototypes; ++p) add(ws->Prototypes.row(p), sizeof(float) * 4);
    for (const int v : {ws->NumCases, ws->NumVars, ws->NumPrototypes, ws->BlockSize, ws->NumTrials})
      add(&v, sizeof v);
    for (const bool b : {ws->KBlocks, ws->KSamples, ws->CaseFirst}) add(&b, sizeof b);
    return s;
  }
  std::map<MenuItem, bool> menu() const { return shell.menu; }

  // The output of recall and of a training run with a fixed seed.
  std::vector<std::string> recallAndTrain() {
    shell.lines.clear();
    runCommand(ctx, recallClick);
    std::vector<std::string> lines = shell.lines;
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(11));
    runCommand(ctx, run1Click);
    lines.insert(lines.end(), shell.lines.begin(), shell.lines.end());
    lines.push_back(shell.status());
    return lines;
  }
};

class FailedReads : public ::testing::Test, public Session {};

struct BadFile {
  const char* name;
  const char* contents;  // nullptr: no such file; "/": a folder
  const char* firstLine;
};

std::string place(TempDir& dir, const BadFile& f) {
  if (!f.contents) return dir.file(f.name);
  if (std::strcmp(f.contents, "/") == 0) {
    const std::string path = dir.file(f.name);
    std::filesystem::create_directory(path);
    return path;
  }
  return dir.write(f.name, f.contents);
}

}  // namespace

TEST_F(FailedReads, AFailedOpenOrPrototypesReadChangesNothingLaterCommandsUse) {
  Session reference;  // the same steps without the failures
  const std::vector<std::string> expected = reference.recallAndTrain();
  ASSERT_EQ(expected.back(), "Done.");
  const std::string state = snapshot();
  const auto menuBefore = menu();

  const BadFile dataFiles[] = {
      {"missing.dat", nullptr, "Cannot open file"},
      {"folder.dat", "/", "Cannot open file"},
      {"token.dat", "1 2 3 4 5 6 7\n1 2 3 4 5 6 7\n1 2 x 4 5 6 7\n", "Invalid numeric input"},
      {"huge.dat", "1 2 3 4 5 6 7\n1 2 3 1e39 5 6 7\n", "Invalid numeric input"},
      {"empty.dat", "", "0 records read."},
  };
  for (const BadFile& f : dataFiles) {
    SCOPED_TRACE(f.name);
    shell.messages.clear();
    open(place(dir, f), "7");
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages[0].rfind(f.firstLine, 0), 0u) << shell.messages[0];
    EXPECT_EQ(snapshot(), state);
    EXPECT_EQ(menu(), menuBefore);
  }
  const BadFile prototypeFiles[] = {
      {"missing.wgt", nullptr, "Cannot open file"},
      {"token.wgt", "1 1 1 1\r\n2 2,5 2 2\r\n", "Invalid numeric input\r\nLine 2: '2,5' is not a number."},
      {"huge.wgt", "1 1 1 1\r\n2 1e400 2 2\r\n",
       "Invalid numeric input\r\nLine 2: '1e400' is beyond the range of the values that can be held."},
  };
  for (const BadFile& f : prototypeFiles) {
    SCOPED_TRACE(f.name);
    shell.messages.clear();
    readPrototypes(place(dir, f));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].rfind(f.firstLine, 0), 0u) << shell.messages[0];
    EXPECT_EQ(snapshot(), state);
    EXPECT_EQ(menu(), menuBefore);
  }
  EXPECT_EQ(recallAndTrain(), expected);
}

TEST_F(FailedReads, ASubsampleFileThatFailsLeavesPlainTwoWayData) {
  const BadFile files[] = {
      {"token.txt", "1 2 x", "Invalid numeric input\r\nLine 1: 'x' is not a number.\r\n"},
      {"range.txt", "1 21 3", "Subsample indicator read."},
      {"folder.txt", "/", "Cannot open file"},
  };
  for (const BadFile& f : files) {
    SCOPED_TRACE(f.name);
    ws->SubsampleOf[1] = 5;
    shell.dataDialogs.push_back([](DataMatrixDialog& d) {
      d.edit2 = "4";
      d.selectKSample();
      return d.ok();
    });
    shell.openFiles.push_back(std::string(VOLMAR_SAMPLE_DATA_DIR) + "/iris.dat");
    shell.openFiles.push_back(place(dir, f));
    shell.messages.clear();
    runCommand(ctx, open1Click);
    EXPECT_EQ(ws->NumCases, 150);  // the data themselves were read
    EXPECT_FALSE(ws->KSamples);
    EXPECT_EQ(ws->SubsampleOf[1], 5);  // no indicator taken from a faulty file
    ASSERT_GE(shell.messages.size(), 3u);
    EXPECT_EQ(shell.messages[2].rfind(f.firstLine, 0), 0u) << shell.messages[2];
    EXPECT_NE(shell.messages.back().find("plain two-way data"), std::string::npos);
  }
}

TEST(OutOfMemory, ACommandThatRunsOutOfMemoryIsReportedAndTheProgramGoesOn) {
  auto ws = Workspace::create();
  ScriptedShell shell;
  Context ctx(*ws, shell);
  shell.busy = true;
  runCommand(ctx, [](Context&) { throw std::bad_alloc(); });
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Not enough memory to complete the command."}));
  EXPECT_FALSE(shell.busy);
}

TEST(DialogNumbers, OverflowIsBeyondTheRangeAndUnderflowReadsAsZero) {
  struct Case {
    std::size_t edit;
    const char* text;
    const char* message;
  } cases[] = {
      {4, "1e5000", "'1e5000' is beyond the range of the values that can be held.\r\nPlease correct the entry."},
      {5, "1e400", "'1e400' is beyond the range of the values that can be held.\r\nPlease correct the entry."},
      {6, "1e-5000", "The lifetime parameter must be above 0 and below 127; '1e-5000' was entered.\r\n"
                     "Please correct the entry."},
      {3, "99999999999", "The # of training epochs must be from 1 to "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto ws = Workspace::create();
    ScriptedShell shell;
    Context ctx(*ws, shell);
    mainWindowCreated(ctx);
    ws->NumCases = 150;
    bool accepted = true;
    shell.paramDialogs.push_back([&](ParamDialog& d) {
      d.edits[c.edit] = c.text;
      accepted = d.ok();
    });
    runCommand(ctx, parameterize1Click);
    EXPECT_FALSE(accepted);
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages.back().rfind(c.message, 0), 0u) << shell.messages.back();
  }
}
