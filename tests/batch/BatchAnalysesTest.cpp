// The analyses through volmar-batch: compare, similarity, trim, restore and
// the graph after a trim.
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

const std::string trained = "open " + irisPath() + " vars=4\n"
                            "parameterize lower=4 upper=4 epochs=4 reps=4 neighbor=on\n"
                            "train\n";

}  // namespace

TEST(BatchAnalyses, CompareWritesTheFileAndChartAndTheGraphFollowsTrimAndRestore) {
  TempDir dir;
  const std::string err = dir.file("iris.err");
  const BatchResult r = runScript(dir,
                                  trained + "compare " + err +
                                      "\nshow chart\ncompare\n"
                                      "similarity neighborhood\nsimilarity distance\nsimilarity ratio\n"
                                      "show graph\ntrim 100\nshow graph\ntrim\nrestore\nshow graph\n",
                                  {"--seed", "5"});
  ASSERT_EQ(r.status, 0) << r.err;
  // R = 4: three lines, CR LF each, adding up to 100.
  const std::string file = readFile(err);
  const auto fileLines = splitLines(file);
  ASSERT_EQ(fileLines.size(), 3u) << file;
  double sum = 0;
  for (const auto& l : fileLines) {
    ASSERT_TRUE(l.size() > 1 && l[0] == ' ' && l.back() == '\r') << l;
    sum += std::stod(l.substr(1));
  }
  EXPECT_NEAR(sum, 100.0, 0.002);
  EXPECT_TRUE(contains(r.err, "message: You will be asked for a filename for\n"
                              "message: writing the relative frequencies of the\n"
                              "message: absolute frequencies of misplaced pairs.\n"));
  EXPECT_TRUE(contains(r.err, "message: Error hits distribution written to file " + err + ".\n"));
  // The second comparison had no file: its dialog was cancelled.
  EXPECT_TRUE(contains(r.err, "the save dialog was cancelled"));
  EXPECT_EQ(linesStartingWith(r.out, "   Comparison over replications").size(), 2u);
  EXPECT_TRUE(contains(r.out, "title\tRelative frequencies of the numbers of misplaced pairs\n"
                              "foot\tpairs misplaced ... times\naxis\t0\t100\nbar\t0\t"));
  EXPECT_EQ(linesStartingWith(r.out, "bar\t").size(), 3u);
  EXPECT_TRUE(contains(r.out, "statistical neighborhood matrix:\n(pct of datapoints in descending order)\n"));
  EXPECT_TRUE(contains(r.out, "inter-prototypes distance matrix:\n"));
  EXPECT_TRUE(contains(r.out, "(statNbhd / Dist) matrix:\n"));

  // show graph: before the trim, after "trim 100" (no edges; "trim" alone
  // changes nothing) and after restore (the learned edges again).
  std::vector<std::vector<std::string>> graphs;
  for (const auto& l : splitLines(r.out)) {
    if (l.starts_with("node\t1\t")) graphs.emplace_back();
    if (l.starts_with("edge\t")) graphs.back().push_back(l);
  }
  ASSERT_EQ(graphs.size(), 3u);
  EXPECT_FALSE(graphs[0].empty());
  EXPECT_TRUE(graphs[1].empty());
  EXPECT_EQ(graphs[2], graphs[0]);
  EXPECT_TRUE(contains(r.err, "input: Input a minimum cutoff value... (for the statistical Neighborhood:): 0 (the default)\n"));
  EXPECT_TRUE(contains(r.err, "message: Adjacency graph restored.\n"));
}

// Each command only where the menu offers it; an existing file is not
// replaced without replace=yes (and the analysis still ran).
TEST(BatchAnalyses, CommandsFollowTheMenuAndAnExistingFileNeedsReplace) {
  TempDir dir;
  const std::string open = "open " + irisPath() + " vars=4\n";
  const struct {
    std::string script;
    std::string why;
  } refused[] = {
      {open + "similarity neighborhood\n", "a training run has ended"},
      {open + "parameterize lower=3 upper=3 reps=1\ntrain\ncompare\n", "reps=2 or more"},
      {open + "parameterize lower=3 upper=3\ntrain\ntrim 5\n", "similarity neighborhood"},
      {open + "parameterize lower=3 upper=3\ntrain\nsimilarity neighborhood\nrestore\n", "trim CUTOFF"},
  };
  for (const auto& c : refused) {
    const BatchResult r = runScript(dir, c.script);
    EXPECT_EQ(r.status, 1) << c.script;
    EXPECT_TRUE(contains(r.err, c.why)) << r.err;
  }

  const std::string err = dir.write("kept.err", "keep me");
  BatchResult r = runScript(dir, trained + "compare " + err + "\n", {"--seed", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(readFile(err), "keep me");
  EXPECT_TRUE(contains(r.out, "   Comparison over replications\n"));
  EXPECT_TRUE(contains(r.err, "add replace=yes"));
  r = runScript(dir, trained + "compare " + err + " replace=yes\n", {"--seed", "5"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(splitLines(readFile(err)).size(), 3u);

  // A non-number in the cutoff: the conversion message, exit 1.
  r = runScript(dir, trained + "similarity neighborhood\ntrim five\n", {"--seed", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "message: 'five' is not a valid floating point value\n"));
  // replace= without a file is a script error.
  r = runScript(dir, trained + "compare replace=yes\n");
  EXPECT_EQ(r.status, 2);

  const BatchResult help = runBatch({"--help"});
  for (const char* usage : {"  compare [FILE] [replace=yes|no]\n", "  similarity neighborhood\n", "  similarity distance\n",
                            "  similarity ratio\n", "  trim [CUTOFF]\n", "  restore\n"})
    EXPECT_TRUE(contains(help.out, usage)) << usage;
}
