// How volmar-batch reads its arguments and its script: a script that cannot
// be parsed runs nothing and exits with 2, naming the line and what was
// expected.
#include <gtest/gtest.h>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(BatchScript, ABadLineGivesExit2WithItsLineNumberAndNothingRuns) {
  TempDir dir;
  const BatchResult r = runScript(dir,
                                  "# a comment, then a blank line\n\n"
                                  "open " + irisPath() + " vars=4\n"
                                  "parameterize lower=two\n"
                                  "show prototypes\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r.err, "script.vb:4: lower=two: expected an integer")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(contains(r.err, "records read")) << "the open line ran";
}

TEST(BatchScript, EveryMalformedLineIsReportedWithWhatWasExpected) {
  const struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {"trian", "unknown command 'trian'; expected one of 'open', 'import', 'parameterize'"},
      {"show", "'show' must be followed by what to do: expected 'show chart', 'show prototypes'"},
      {"save results x.txt", "'save' must be followed by what to do"},
      {"open", "'open' needs FILE; expected open FILE [cases=N]"},
      {"open a.dat b.dat", "unexpected 'b.dat'"},
      {"open a.dat colums=4", "unknown answer 'colums=' for 'open'; expected 'cases=', 'vars='"},
      {"open a.dat vars=4 vars=5", "'vars=' is given twice"},
      {"open a.dat kind=blocks", "kind=blocks: expected 'none', 'kblocks' or 'ksamples'"},
      {"open a.dat blocksize=3", "blocksize= needs kind=kblocks"},
      {"open a.dat kind=ksamples", "kind=ksamples needs subsamples=FILE"},
      {"parameterize rate=0,3", "rate=0,3: expected a number"},
      {"parameterize neighbor=yes", "neighbor=yes: expected 'on' or 'off'"},
      {"train epochs=3", "'train' takes no answers, but 'epochs=' was given"},
      {"save prototypes", "'save prototypes' needs FILE"},
      {"save info out.inf replace=always", "replace=always: expected 'yes' or 'no'"},
      {"open \"a b.dat", "a closing '\"' is missing"},
      {"vars=4", "a line must start with a command"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const BatchResult r = runScript(dir, std::string("\n") + c.line + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, std::string("script.vb:2: ") + c.expected)) << r.err;
  }
}

TEST(BatchScript, AllBadLinesAreListedBeforeGivingUp) {
  TempDir dir;
  const BatchResult r = runScript(dir, "open\nshow prototypes\nrecall now\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r.err, "script.vb:1: ")) << r.err;
  EXPECT_FALSE(contains(r.err, "script.vb:2: ")) << r.err;
  EXPECT_TRUE(contains(r.err, "script.vb:3: ")) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(BatchScript, QuotedFileNamesCommentsAndCrLfLinesAreRead) {
  TempDir dir;
  const std::string data = dir.write("my data #1.dat", "1 2\r\n3 4\r\n");
  const BatchResult r = runScript(dir, "open \"" + data + "\" vars=2   # two rows\r\n\r\nshow prototypes\r\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: 2 records read.\n")) << r.err;
  EXPECT_EQ(r.out, "var#:\t1\t2\n");
}

TEST(BatchScript, AScriptOfDashIsReadFromStandardInput) {
  const BatchResult r = runBatch({"-"}, "open " + irisPath() + " vars=4 cases=10\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "message: 10 records read.\nmessage: The file holds more numbers after case 10, the last of the 10 cases asked for; they were not read.\n");
  const BatchResult bad = runBatch({"-"}, "\nopen\n");
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(contains(bad.err, "<stdin>:2: ")) << bad.err;
}

TEST(BatchScript, BadArgumentsGiveExit2AndTheUsage) {
  TempDir dir;
  const std::string script = dir.write("s.vb", "\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--seed"}, {"--seed", "-1", script}, {"--seed", "4294967296", script},
        {"--seed", "7x", script}, {"--threads", "0", script}, {"--threads=x", script}, {"--threads"},
        {"--verbose", script}, {script, script}, {dir.file("missing.vb")}}) {
    const BatchResult r = runBatch(args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_TRUE(contains(r.err, "usage: volmar-batch [--seed N] [--threads N] [--status] SCRIPT")) << r.err;
  }
  EXPECT_EQ(runBatch({"--seed=4294967295", script}).status, 0);
  EXPECT_EQ(runBatch({"--threads=3", script}).status, 0);
  const BatchResult help = runBatch({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.out, "save prototypes FILE [replace=yes|no]")) << help.out;
}

}  // namespace

namespace {

TEST(BatchScriptAnswers, OpenAnswersReachTheDataMatrixDialog) {
  TempDir dir;
  const BatchResult some = runScript(dir, "open " + irisPath() + " vars=4 cases=20\n");
  ASSERT_EQ(some.status, 0) << some.err;
  EXPECT_EQ(some.err, "message: 20 records read.\nmessage: The file holds more numbers after case 20, the last of the 20 cases asked for; they were not read.\n");

  const BatchResult blocks = runScript(dir, "open " + irisPath() + " vars=4 kind=kblocks blocksize=7 order=measfirst\n");
  ASSERT_EQ(blocks.status, 0) << blocks.err;
  EXPECT_TRUE(contains(blocks.err, "message: #ofVars modulo BlockSize must be 0!\nmessage: Repeat input.\n"))
      << blocks.err;

  std::string indicators;
  for (int c = 0; c < 150; ++c) indicators += std::to_string(c / 50 + 1) + "\n";
  const BatchResult samples = runScript(dir, "open " + irisPath() + " vars=4 kind=ksamples subsamples=" +
                                                 dir.write("groups.txt", indicators) + "\n");
  ASSERT_EQ(samples.status, 0) << samples.err;
  EXPECT_TRUE(contains(samples.err, "message: A filename for reading the subsample\n"
                                    "message: affiliation of each case will be asked next.\n"
                                    "message: Subsample indicator read.\n"))
      << samples.err;
}

TEST(BatchScriptAnswers, ParameterAnswersReachTheParameterDialog) {
  TempDir dir;
  const std::string open = "open " + irisPath() + " vars=4\n";
  const BatchResult reps = runScript(dir, open + "parameterize lower=2 upper=3 reps=5 trials=1 epochs=2 neighbor=off\ntrain\n");
  ASSERT_EQ(reps.status, 0) << reps.err;
  EXPECT_TRUE(contains(reps.err, "message: Replication runs require\nmessage: a constant # of prototypes!\n"
                                 "message: Reps set to unity.\n"))
      << reps.err;
  EXPECT_TRUE(contains(reps.out, "epoch #: 2 | ")) << reps.out;
  EXPECT_FALSE(contains(reps.out, "epoch #: 3 | ")) << reps.out;
  EXPECT_FALSE(contains(reps.out, "Sammon-stress")) << "neighbor=off still projected";
  EXPECT_FALSE(contains(reps.out, "trial #2:")) << "trials=1 ran more trials";

  // The distance answer changes the sums the same seed gives.
  const std::string params = "parameterize lower=2 upper=2 trials=2 epochs=1 distance=";
  const BatchResult tanimoto = runScript(dir, open + params + "tanimoto\ntrain\n", {"--seed", "4"});
  const BatchResult euclid = runScript(dir, open + params + "euclidean\ntrain\n", {"--seed", "4"});
  ASSERT_EQ(tanimoto.status, 0) << tanimoto.err;
  ASSERT_EQ(euclid.status, 0) << euclid.err;
  EXPECT_NE(tanimoto.out, euclid.out);
}

}  // namespace
