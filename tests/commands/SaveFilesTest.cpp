#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "commands/BubbleMap.h"
#include "commands/Compare.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "support/Child.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ChildResult;
using volmar::test::FileSizeLimit;
using volmar::test::Nobody;
using volmar::test::runInChild;
using volmar::test::readFile;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

// Records the beep among the other events, so that its place is seen.
class BeepingShell : public ScriptedShell {
 public:
  void beep() override {
    ScriptedShell::beep();
    events.push_back("beep");
  }
};

class ResultFiles : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  BeepingShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  void prototypes(std::initializer_list<std::initializer_list<float>> rows) {
    int p = 0;
    for (const auto& r : rows) {
      ++p;
      int v = 0;
      for (float x : r) ws->Prototypes(p, ++v) = x;
      ws->NumVars = v;
    }
    ws->NumPrototypes = p;
  }

  std::vector<std::string> filesInDir() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace

// ---- Contents ---------------------------------------------------------------

TEST_F(ResultFiles, PrototypesAreOneLinePerPrototypeWithBlankPrefixedValuesAndATrailingBlank) {
  prototypes({{1, -2.25f, 10}, {12.3456f, -0.5f, 0}});
  EXPECT_EQ(prototypesFileText(*ws), " 1.000 -2.250 10.000 \r\n 12.346 -0.500 0.000 \r\n");
  ws->NumPrototypes = 0;  // none current: an empty file
  EXPECT_EQ(prototypesFileText(*ws), "");
}

TEST_F(ResultFiles, PrototypeValuesAreRoundedToThreeDecimalsHalvesAwayFromZero) {
  // 0.0625 and -1.0625 are exact halves at the fourth decimal; 999.99957 and
  // -0.0004 round across a digit boundary and to zero.
  prototypes({{0.0625f, -1.0625f, 999.9996f, -0.0004f, -123456.7f}});
  EXPECT_EQ(prototypesFileText(*ws), " 0.063 -1.063 1000.000 0.000 -123456.703 \r\n");
}

TEST_F(ResultFiles, ClassLabelsAreOneLinePerCaseWithNoBlankAfterTheLast) {
  ws->NumCases = 2;
  ws->NumReplications = 3;
  ws->ClassLabels(1, 1) = 3;
  ws->ClassLabels(1, 2) = 12;
  ws->ClassLabels(1, 3) = 3;
  ws->ClassLabels(2, 1) = 30;
  ws->ClassLabels(2, 2) = 1;
  ws->ClassLabels(2, 3) = 7;
  ws->ClassLabels(1, 4) = 9;  // beyond the replications in use
  EXPECT_EQ(classLabelsFileText(*ws), " 3 12 3\r\n 30 1 7\r\n");
}

TEST_F(ResultFiles, ClassLabelsBeforeAnyTrainingAreAllZeroAndNoDataGiveAnEmptyFile) {
  ws->NumCases = 3;
  ws->NumReplications = 1;
  EXPECT_EQ(classLabelsFileText(*ws), " 0\r\n 0\r\n 0\r\n");
  ws->NumCases = 0;
  EXPECT_EQ(classLabelsFileText(*ws), "");
}

TEST_F(ResultFiles, InfoLinesShowOneToThreeDecimals) {
  ws->NumReplications = 3;
  ws->RepSumDist[1] = 1234.5;
  ws->RepSumDist[2] = 1234.56789;
  ws->RepSumDist[3] = 7;
  ws->RepSumDist[4] = 99;
  EXPECT_EQ(infoFileText(*ws), " 1234.5\r\n 1234.568\r\n 7.0\r\n");
}

TEST_F(ResultFiles, BlocksTableIsOneLinePerBlockAndZeroIsWrittenAsZero) {
  ws->BlockSize = 2;
  ws->NumPrototypes = 3;
  ws->BlockProtoFreq(1, 1) = 5;
  ws->BlockProtoFreq(1, 3) = 12345;
  ws->BlockProtoFreq(2, 2) = 40;
  ws->BlockProtoFreq(3, 1) = 8;  // beyond the blocks in use
  EXPECT_EQ(blocksTableFileText(*ws), " 5 0 12345\r\n 0 40 0\r\n");
}

TEST_F(ResultFiles, BlocksTableBeforeItIsComputedHoldsZeros) {
  ws->BlockSize = 1;
  ws->NumPrototypes = 4;
  EXPECT_EQ(blocksTableFileText(*ws), " 0 0 0 0\r\n");
}

// Before any data no block size is set: the command writes a file of no
// lines, not a lone line end.
TEST_F(ResultFiles, BlocksTableBeforeAnyDataIsAnEmptyFile) {
  ASSERT_EQ(ws->BlockSize, 0);
  const std::string path = dir.file("t.bsp");
  shell.saveFiles.push_back(path);
  runCommand(ctx, blocksSamplesxPrototypestable2Click);
  EXPECT_EQ(shell.messages, std::vector<std::string>{"Contingency table (abs frequencies) written."});
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(readFile(path), "");
  // Prototypes without data, as a prototypes file read first leaves them.
  ws->NumPrototypes = 3;
  EXPECT_EQ(blocksTableFileText(*ws), "");
}

// ---- The four commands ------------------------------------------------------

struct Writer {
  void (*command)(Context&);
  const char* ext;
  int filter;
  const char* status;
  const char* completion;
  bool beeps;
};

TEST_F(ResultFiles, EachCommandPresetsItsDialogAndReportsAsItWrites) {
  const Writer writers[] = {
      {prototypes2Click, "wgt", 1, "Save data...", "Prototypes file written.", false},
      {classlabels1Click, "lst", 2, "Save data...", "Class labels written.", false},
      {infooverreplications1Click, "inf", 3, "Save info measure...", "Info measure written.", true},
      {blocksSamplesxPrototypestable2Click, "bsp", 5, "Save data...",
       "Contingency table (abs frequencies) written.", false},
  };
  prototypes({{1.5f}});
  ws->NumCases = 1;
  ws->NumReplications = 1;
  ws->ClassLabels(1, 1) = 1;
  ws->RepSumDist[1] = 2;
  ws->BlockSize = 1;
  ws->BlockProtoFreq(1, 1) = 1;
  const std::string expected[] = {" 1.500 \r\n", " 1\r\n", " 2.0\r\n", " 1\r\n"};
  int i = 0;
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.ext);
    BeepingShell sh;
    Context c{*ws, sh};
    // The dialog keeps what an earlier use left; the preset replaces it.
    c.saveDialog.fileName = "/somewhere/else.txt";
    c.saveDialog.filterIndex = 4;
    const std::string path = dir.file(std::string("out.") + w.ext);
    sh.saveFiles.push_back(path);
    runCommand(c, w.command);
    ASSERT_EQ(sh.saveDialogsShown.size(), 1u);
    const FileDialog& shown = sh.saveDialogsShown[0];
    EXPECT_EQ(shown.defaultExt, w.ext);
    EXPECT_EQ(shown.fileName, std::string("*.") + w.ext);
    EXPECT_EQ(shown.filterIndex, w.filter);
    EXPECT_EQ(shown.filters, (std::vector<std::string>{"Prototypes file (*.wgt)|*.wgt",
                                                        "Class labels file (*.lst)|*.lst",
                                                        "Info measure file (*.inf)|*.inf",
                                                        "Error hits file (*.err)|*.err",
                                                        "Blocks(sample)xPrototypes|*.bsp"}));
    EXPECT_EQ(readFile(path), expected[i++]);
    EXPECT_EQ(sh.messages, (std::vector<std::string>{w.completion}));
    EXPECT_EQ(sh.statuses, (std::vector<std::string>{w.status, "Done."}));
    EXPECT_TRUE(sh.questions.empty());
    if (w.beeps) {
      EXPECT_EQ(sh.events, (std::vector<std::string>{"save-dialog", "status", "beep", "message", "status"}));
    } else {
      EXPECT_EQ(sh.beeps, 0);
      EXPECT_EQ(sh.events, (std::vector<std::string>{"save-dialog", "status", "message", "status"}));
    }
  }
}

TEST_F(ResultFiles, CancellingTheDialogWritesNothingAndSaysNothing) {
  prototypes({{1}});
  shell.saveFiles.push_back("");
  runCommand(ctx, prototypes2Click);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(shell.statuses.empty());
  EXPECT_TRUE(filesInDir().empty());
}

TEST_F(ResultFiles, AnExistingFileIsReplacedOnlyAfterYes) {
  prototypes({{4}});
  const std::string path = dir.write("p.wgt", "old contents");
  shell.saveFiles.push_back(path);
  shell.answers.push_back(Answer::Yes);
  runCommand(ctx, prototypes2Click);
  EXPECT_EQ(shell.questions, (std::vector<std::string>{"Replace " + path + "?"}));
  EXPECT_EQ(readFile(path), " 4.000 \r\n");
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Prototypes file written."}));
}

TEST_F(ResultFiles, TheReplaceQuestionNamesTheFullFileName) {
  std::filesystem::create_directory(dir.file("sub"));
  const std::string path = dir.write("p.wgt", "old");
  shell.saveFiles.push_back(dir.path() + "/sub/../p.wgt");
  shell.answers.push_back(Answer::Cancel);
  runCommand(ctx, prototypes2Click);
  EXPECT_EQ(shell.questions, (std::vector<std::string>{"Replace " + path + "?"}));
}

TEST_F(ResultFiles, NoAsksForAnotherNameAndKeepsTheFirstFile) {
  prototypes({{4}});
  const std::string first = dir.write("a.wgt", "keep me");
  const std::string second = dir.file("b.wgt");
  shell.saveFiles = {first, second};
  shell.answers.push_back(Answer::No);
  runCommand(ctx, prototypes2Click);
  EXPECT_EQ(shell.saveDialogsShown.size(), 2u);
  EXPECT_EQ(shell.questions.size(), 1u);
  EXPECT_EQ(readFile(first), "keep me");
  EXPECT_EQ(readFile(second), " 4.000 \r\n");
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"Prototypes file written."}));
}

TEST_F(ResultFiles, CancelInTheReplaceQuestionWritesNothing) {
  prototypes({{4}});
  const std::string path = dir.write("p.wgt", "keep me");
  shell.saveFiles.push_back(path);
  shell.answers.push_back(Answer::Cancel);
  runCommand(ctx, prototypes2Click);
  EXPECT_EQ(shell.saveDialogsShown.size(), 1u);
  EXPECT_EQ(readFile(path), "keep me");
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(shell.statuses.empty());
}

// Every writer, with a workspace that gives it far more than the size limit
// lets through. A new writer gets a row here.
namespace {

struct FailingSave {
  void (*command)(Context&);
  const char* ext;
  std::vector<std::string> statuses;
  void (*fill)(Workspace&);
  std::vector<std::string> messagesBefore = {};  // shown before the failure
  const char* firstLine = "";                     // the failure's own first line
};

// The bubble window's "&Save chart", with a bitmap of 16 KB.
void saveBubbleChart(Context& c) {
  FileDialog dialog;
  savechart1Click(c.shell, dialog, [] { return "BM" + std::string(16384, 'x'); });
}

}  // namespace

TEST_F(ResultFiles, AWriteThatFailsPartWayLeavesTheOldFileAsItWas) {
  const FailingSave writers[] = {
      {prototypes2Click, "wgt", {"Save data..."},
       [](Workspace& w) {
         w.NumPrototypes = 30;
         w.NumVars = 100;
       }},
      {classlabels1Click, "lst", {"Save data..."},
       [](Workspace& w) {
         w.NumCases = 3000;
         w.NumReplications = 5;
       }},
      {infooverreplications1Click, "inf", {"Save info measure..."},
       [](Workspace& w) {
         w.NumReplications = 50;
         for (int r = 1; r <= 50; ++r) w.RepSumDist[r] = 1234.5 * r;
       }},
      {blocksSamplesxPrototypestable2Click, "bsp", {"Save data..."},
       [](Workspace& w) {
         w.BlockSize = 20;
         w.NumPrototypes = 30;
       }},
      // 26 lines of relative frequencies; the folder check before the count
      // passes, the write itself fails.
      {compareoverreplications1Click, "err", {"Compare..."},
       [](Workspace& w) {
         w.NumCases = 4;
         w.NumReplications = 50;
       },
       {"You will be asked for a filename for\r\nwriting the relative frequencies of the\r\n"
        "absolute frequencies of misplaced pairs."}},
      {saveBubbleChart, "bmp", {}, [](Workspace&) {}, {}, "Could not write to file.\r\n"},
  };
  for (const FailingSave& w : writers) {
    SCOPED_TRACE(w.ext);
    auto space = Workspace::create();
    w.fill(*space);
    BeepingShell sh;
    Context c{*space, sh};
    const std::string path = dir.write(std::string("old.") + w.ext, "old contents\r\n");
    sh.saveFiles.push_back(path);
    sh.answers.push_back(Answer::Yes);
    {
      FileSizeLimit limit(64);
      runCommand(c, w.command);
    }
    EXPECT_EQ(readFile(path), "old contents\r\n");
    ASSERT_EQ(sh.messages.size(), w.messagesBefore.size() + 1);
    EXPECT_TRUE(std::equal(w.messagesBefore.begin(), w.messagesBefore.end(), sh.messages.begin()));
    EXPECT_EQ(sh.messages.back().rfind(w.firstLine + ("Cannot write file \"" + path + "\": "), 0), 0u)
        << sh.messages.back();
    EXPECT_EQ(sh.statuses, w.statuses);
    EXPECT_FALSE(sh.busy);
    std::filesystem::remove(path);
  }
  EXPECT_TRUE(filesInDir().empty());  // no temporary left behind
}

TEST_F(ResultFiles, AFolderOfThatNameIsReportedAndKeptAsItWas) {
  ws->NumCases = 1;
  ws->NumReplications = 1;
  const std::string folder = dir.file("labels.lst");
  std::filesystem::create_directory(folder);
  const std::string inside = dir.write("labels.lst/x", "x");
  shell.saveFiles.push_back(folder);
  runCommand(ctx, classlabels1Click);
  EXPECT_TRUE(shell.questions.empty());  // a folder is not offered for replacing
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].find("Cannot write file"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(readFile(inside), "x");
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Save data..."}));
}

TEST_F(ResultFiles, AFolderPathThroughAFileIsReportedWithNothingWritten) {
  ws->NumReplications = 1;
  const std::string notAFolder = dir.write("plain", "data");
  shell.saveFiles.push_back(notAFolder + "/info.inf");
  runCommand(ctx, infooverreplications1Click);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].find("Cannot write file"), std::string::npos);
  EXPECT_EQ(shell.beeps, 0);
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Save info measure..."}));
  EXPECT_EQ(readFile(notAFolder), "data");
}

// ---- Protected files, links and permissions (as an ordinary user) -------------

namespace {

// Runs a save as an ordinary user: in a child process that has dropped to
// the unprivileged uid when the tests run as root. Returns the error text
// ("" when the save succeeded), or nullopt when no such user can be had.
std::optional<std::string> saveAsUser(const std::string& path, const std::string& contents) {
  const ChildResult r = runInChild(
      [&] {
        writeFileReplacing(path, contents);
        return std::string();
      },
      ::getuid() == 0 ? std::optional(Nobody) : std::nullopt);
  if (!r.started || r.exitStatus != 0) return std::nullopt;
  return r.text;
}

// A folder and files that the ordinary user owns.
void giveToUser(const std::string& path, mode_t mode) {
  if (::getuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

}  // namespace

TEST_F(ResultFiles, ProtectedFilesAndLinksAreHandledAsTheUserExpects) {
  namespace fs = std::filesystem;
  if (!saveAsUser(dir.file("probe"), "x")) GTEST_SKIP() << "no unprivileged user to run the saves as";
  giveToUser(dir.path(), 0755);
  struct Case {
    const char* what;
    mode_t mode;        // of the existing file
    bool throughLink;   // the save names a symbolic link to it
    bool readOnlyFolder;
    const char* error;  // part of the message; nullptr: the save succeeds
  } cases[] = {
      {"read-only file", 0444, false, false, "Permission denied"},
      {"link to a file", 0644, true, false, nullptr},
      {"link to a read-only file", 0444, true, false, "Permission denied"},
      {"permissions kept", 0640, false, false, nullptr},
      {"read-only folder", 0644, false, true, "does not allow new files"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string sub = dir.file("case" + std::to_string(++n));
    fs::create_directory(sub);
    giveToUser(sub, 0755);
    const std::string real = sub + "/real.lst";
    {
      std::FILE* f = std::fopen(real.c_str(), "w");
      std::fputs("old", f);
      std::fclose(f);
    }
    giveToUser(real, c.mode);
    std::string target = real;
    if (c.throughLink) {
      target = sub + "/link.lst";
      fs::create_symlink("real.lst", target);
    }
    if (c.readOnlyFolder) giveToUser(sub, 0555);
    const auto error = saveAsUser(target, "new");
    ASSERT_TRUE(error.has_value());
    if (c.error) {
      EXPECT_NE(error->find(c.error), std::string::npos) << *error;
      EXPECT_EQ(error->rfind("Cannot write file \"" + target + "\"", 0), 0u) << *error;
      EXPECT_EQ(readFile(real), "old");
    } else {
      EXPECT_EQ(*error, "");
      EXPECT_EQ(readFile(real), "new");
    }
    EXPECT_EQ(fs::is_symlink(fs::symlink_status(target)), c.throughLink);
    EXPECT_EQ(static_cast<mode_t>(fs::status(real).permissions()), c.mode);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(sub)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left.size(), c.throughLink ? 2u : 1u);  // no temporary file stays
    giveToUser(sub, 0755);
  }
}
