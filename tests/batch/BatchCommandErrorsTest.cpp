// A command that ends with an error stops the script with exit status 1,
// after its message; the lines after it do not run.
#include <gtest/gtest.h>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

const std::string openIris = "open " + irisPath() + " vars=4\n";

TEST(BatchCommandErrors, AnUnreadableDataFileGivesExit1AndItsMessage) {
  TempDir dir;
  const std::string missing = dir.file("nothing-here.dat");
  const BatchResult r = runScript(dir, "open " + missing + " vars=4\nshow prototypes\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: Cannot open file \"" + missing + "\": No such file or directory\n"))
      << r.err;
  EXPECT_TRUE(contains(r.err, "script.vb:1: 'open' ended with an error")) << r.err;
  EXPECT_EQ(r.out, "") << "the line after the failing one ran";
}

TEST(BatchCommandErrors, ADataFileWithABadNumberGivesExit1) {
  TempDir dir;
  const BatchResult r = runScript(dir, "open " + dir.write("bad.dat", "1 2\n1,5 3\n") + " vars=2\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: Invalid numeric input\n")) << r.err;
}

TEST(BatchCommandErrors, AnswersTheDialogRefusesGiveItsMessageAndExit1) {
  TempDir dir;
  const BatchResult params = runScript(dir, openIris + "parameterize lower=0\ntrain\n");
  EXPECT_EQ(params.status, 1);
  EXPECT_TRUE(contains(params.err, "message: The lower limit for # of prototypes must be from 1 to 30")) << params.err;
  EXPECT_TRUE(contains(params.err, "message: The \"Set parameters\" dialog did not accept these answers.\n"))
      << params.err;
  EXPECT_TRUE(contains(params.err, "script.vb:2: 'parameterize' ended with an error")) << params.err;

  const BatchResult limits = runScript(dir, openIris + "parameterize lower=4 upper=2\n");
  EXPECT_EQ(limits.status, 1);
  EXPECT_TRUE(contains(limits.err, "message: Lower <= upper required; re-enter.\n")) << limits.err;

  const BatchResult data = runScript(dir, "open " + irisPath() + " vars=101\n");
  EXPECT_EQ(data.status, 1);
  EXPECT_TRUE(contains(data.err, "The \"Define data matrix\" dialog did not accept these answers.")) << data.err;
  EXPECT_FALSE(contains(data.err, "records read")) << "the file was read after a refused dialog";
}

TEST(BatchCommandErrors, ACommandTheMenuHasNotEnabledYetIsRefused) {
  TempDir dir;
  const BatchResult train = runScript(dir, openIris + "train\n");
  EXPECT_EQ(train.status, 1);
  EXPECT_TRUE(contains(train.err, "script.vb:2: 'train' cannot be run now: Analysis > Train is disabled in the "
                                  "menu until parameters have been accepted ('parameterize')"))
      << train.err;
  EXPECT_EQ(train.out, "");

  const BatchResult params = runScript(dir, "parameterize\n");
  EXPECT_EQ(params.status, 1);
  EXPECT_TRUE(contains(params.err, "until a data file has been read ('open')")) << params.err;

  // The Initialize submenu opens with the parameter dialog.
  const BatchResult read = runScript(dir, openIris + "readprototypes " + dir.write("p.wgt", "1 2 3 4\n") + "\n");
  EXPECT_EQ(read.status, 1);
  EXPECT_TRUE(contains(read.err, "lies in a submenu that is disabled until the parameter dialog has been used"))
      << read.err;

  const BatchResult recall = runScript(dir, openIris + "parameterize\nrecall\n");
  EXPECT_EQ(recall.status, 1);
  EXPECT_TRUE(contains(recall.err, "until a prototypes file has been read ('readprototypes')")) << recall.err;

  const BatchResult graph = runScript(dir, openIris + "parameterize lower=2 upper=2 epochs=1 neighbor=off\n"
                                                      "train\nshow graph\n");
  EXPECT_EQ(graph.status, 1);
  EXPECT_TRUE(contains(graph.err, "until a training run with neighbor=on has ended")) << graph.err;
}

TEST(BatchCommandErrors, ASaveOverAnExistingFileRefusesUnlessReplaceIsYes) {
  TempDir dir;
  const std::string target = dir.write("protos.wgt", "keep me\r\n");
  const std::string setup = openIris + "parameterize lower=2 upper=2 trials=2 epochs=1\ntrain\n";

  const BatchResult refused = runScript(dir, setup + "save prototypes " + target + "\nshow prototypes\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(readFile(target), "keep me\r\n");
  EXPECT_TRUE(contains(refused.err, "question: Replace " + target + "?\n"
                                    "answer: Cancel (the safe answer; the script gave none)\n"))
      << refused.err;
  EXPECT_TRUE(contains(refused.err, target + " exists and was not replaced; add replace=yes to overwrite it"))
      << refused.err;
  EXPECT_FALSE(contains(refused.out, "var#:")) << "the line after the refused save ran";

  EXPECT_EQ(runScript(dir, setup + "save prototypes " + target + " replace=no\n").status, 1);
  EXPECT_EQ(readFile(target), "keep me\r\n");

  const BatchResult replaced = runScript(dir, setup + "save prototypes " + target + " replace=yes\n");
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_TRUE(contains(replaced.err, "answer: Yes (replace=yes)\n")) << replaced.err;
  EXPECT_EQ(splitLines(readFile(target)).size(), 2u);
}

TEST(BatchCommandErrors, ASaveThatCannotWriteGivesExit1) {
  TempDir dir;
  const BatchResult r = runScript(dir, "save labels " + dir.file("no/such/folder/x.lst") + "\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "'save labels' ended with an error")) << r.err;
}

TEST(BatchCommandErrors, OutputThatCannotBeWrittenIsNoSuccess) {
  TempDir dir;
  const std::string script = dir.write("s.vb", "open " + irisPath() + " vars=4\nshow prototypes\n");
  const BatchResult r = runBatch({script}, "", "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "standard output could not be written")) << r.err;
}

}  // namespace
