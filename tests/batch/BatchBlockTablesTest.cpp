// The three-way analyses end to end through volmar-batch: the shipped
// airlines sample as k-blocks of 15 and the SAT/ACT sample as k-samples.
#include <gtest/gtest.h>

#include "BatchProcess.h"

using namespace volmar::test;

namespace {

bool contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& head) {
  std::vector<std::string> out;
  for (const auto& l : splitLines(text))
    if (l.starts_with(head)) out.push_back(l);
  return out;
}

const std::string airlines = "open " + std::string(VOLMAR_SAMPLE_DATA_DIR) +
                             "/airlines-6x15.dat cases=90 vars=4 kind=kblocks blocksize=15 order=casefirst\n"
                             "parameterize lower=4 upper=4 epochs=20 reps=1 distance=tanimoto\n"
                             "train\n";

TEST(BatchBlockTables, KBlocksTablesPairsAndTheBubbleBitmap) {
  TempDir dir;
  const std::string bmp = dir.file("block2.bmp");
  const BatchResult r = runScript(dir,
                                  airlines +
                                      "contingency\nshow blocks\n"
                                      "crosstab 1&2 abs\ncrosstab abs\n"
                                      "crosstab \" 2 & 3 \" dev\nshow pair\n"
                                      "bubbles 2 factor=2 bmp=" + bmp + "\n",
                                  {"--seed", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "message: Ready to show Block(samples) x Prototypes table."));
  // 15 blocks between the header row and the column totals, 90 cases in all.
  const auto header = linesStartingWith(r.out, "type#:\t");
  ASSERT_EQ(header.size(), 1u);
  EXPECT_EQ(header[0], "type#:\t1\t2\t3\t4\trowcount");
  EXPECT_EQ(linesStartingWith(r.out, "bl(sa) ").size(), 15u);
  const auto totals = linesStartingWith(r.out, "colcount\t");
  ASSERT_EQ(totals.size(), 3u);  // the blocks table and two absolute pair tables
  EXPECT_TRUE(totals[0].ends_with("\t90"));
  // A cancelled box takes the default pair: the same table as 1&2.
  const auto pairs = linesStartingWith(r.out, "1 & 2\t");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(totals[1], totals[2]);
  EXPECT_TRUE(totals[1].ends_with("\t6"));  // six airlines
  EXPECT_EQ(linesStartingWith(r.err, "message: Similarity Coeff for b1 and b2 = ").size(), 2u);
  // The deviations table and its second showing.
  const auto devs = linesStartingWith(r.out, "col probs\t");
  ASSERT_EQ(devs.size(), 2u);
  EXPECT_EQ(devs[0], devs[1]);
  EXPECT_TRUE(devs[0].ends_with("\t1.000"));

  EXPECT_EQ(linesStartingWith(r.out, "bubble\t").size(), 100u);
  EXPECT_TRUE(contains(r.out, "title\tFrequencies of prototypes for block (sample) # 2\n"));
  EXPECT_TRUE(contains(r.err, "message: Chart file written."));
  const std::string image = readFile(bmp);
  ASSERT_GT(image.size(), 54u);
  EXPECT_EQ(image.substr(0, 2), "BM");

  // Without replace=yes the bitmap is kept, and the run says why it stopped.
  const BatchResult again = runScript(dir, airlines + "contingency\nbubbles 2 bmp=" + bmp + "\n", {"--seed", "3"});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(contains(again.err, "exists and was not replaced; add replace=yes")) << again.err;
  EXPECT_EQ(readFile(bmp), image);
}

TEST(BatchBlockTables, KSamplesHaveARowPerSubsampleAndNoPairs) {
  TempDir dir;
  const std::string bsp = dir.file("gender.bsp");
  const std::string data = std::string(VOLMAR_SAMPLE_DATA_DIR);
  const std::string open = "open " + data + "/satact.dat cases=687 vars=5 kind=ksamples subsamples=" + data +
                           "/satact-gender.txt\nparameterize lower=3 upper=3 epochs=5 reps=1\ntrain\n";
  const BatchResult r = runScript(dir, open + "contingency\nshow blocks\nsave blocks " + bsp + "\nbubbles 2\n",
                                  {"--seed", "4"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(linesStartingWith(r.out, "bl(sa) ").size(), 2u);
  EXPECT_TRUE(linesStartingWith(r.out, "colcount\t")[0].ends_with("\t687"));
  const auto rows = splitLines(readFile(bsp));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].ends_with("\r"));
  EXPECT_EQ(linesStartingWith(r.out, "bubble\t").size(), 100u);

  const BatchResult pair = runScript(dir, open + "crosstab 1&2 abs\n", {"--seed", "4"});
  EXPECT_EQ(pair.status, 1);
  EXPECT_TRUE(contains(pair.err, "cannot be run now")) << pair.err;
}

TEST(BatchBlockTables, CommandsWaitForWhatEnablesThemAndPairsAreChecked) {
  TempDir dir;
  struct Case {
    std::string script;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {airlines + "show blocks\n", 1, "until the contingency table has been counted ('contingency')"},
      {airlines + "show pair\n", 1, "until a pair of blocks has been cross-tabulated ('crosstab')"},
      {airlines + "crosstab 3 abs\n", 1, "message: '' is not a valid integer value"},
      {airlines + "crosstab 1&16 dev\n", 0, "message: Retype. 1 <= values <= 15, connected with & expected."},
      {airlines + "contingency\nbubbles 16\n", 1, "message: Retype. 1 <= value <= 15 expected."},
      {airlines + "parameterize\ncontingency\n", 1, "Please run a new training"},
      {"crosstab 1&2 both\n", 2, "expected 'abs' (abs. frequencies) or 'dev'"},
      {"bubbles 1 replace=yes\n", 2, "replace= needs bmp=FILE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const BatchResult r = runScript(dir, c.script, {"--seed", "3"});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(contains(r.err, c.err)) << r.err;
  }
}

}  // namespace
