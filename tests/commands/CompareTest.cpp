// Analysis > "&Compare over replications" against the scripted shell.
#include <gtest/gtest.h>

#include <filesystem>

#include "commands/Compare.h"
#include "commands/SaveFiles.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::readFile;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

const std::string Intro = std::string("You will be asked for a filename for") + LineBreak +
                          "writing the relative frequencies of the" + LineBreak +
                          "absolute frequencies of misplaced pairs.";

class BeepingShell : public ScriptedShell {
 public:
  void beep() override {
    ScriptedShell::beep();
    events.push_back("beep");
  }
};

class Compare : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  BeepingShell shell;
  Context ctx{*ws, shell};
  TempDir dir;

  // labels[r][c]: the label of case c + 1 in replication r + 1.
  void labels(std::initializer_list<std::initializer_list<int>> reps) {
    int r = 0;
    for (const auto& rep : reps) {
      ++r;
      int c = 0;
      for (int l : rep) ws->ClassLabels(++c, r) = static_cast<std::int8_t>(l);
      ws->NumCases = c;
    }
    ws->NumReplications = r;
  }
  void classSizes(std::initializer_list<int> sizes) {
    int k = 0;
    for (int s : sizes) ws->ClassSize[++k] = s;
    ws->NumPrototypes = k;
  }
  std::vector<std::string> outputLines() const {
    return std::vector<std::string>(shell.lines.end() - 10, shell.lines.end());
  }
};

std::vector<std::string> expectedLines(const std::string& d, const std::string& robust, const std::string& reduction,
                                       const std::string& h, const std::string& m, const std::string& reached) {
  return {" ",
          "   Comparison over replications",
          "# of pairs deviating from ",
          "perfect class assignment:  " + d,
          "robustness (min=.5,max=1)  " + robust,
          "% uncertainty reduction    " + reduction,
          "total # of hits:           " + h,
          "max possible # of hits given",
          "the most recent class sizes:  " + m,
          "% of maximum reached:      " + reached};
}

}  // namespace

// Three cases, R = 2, labels (1,1,2) and (1,2,2), class sizes 1 and 2: the
// whole command, in the order the person sees it.
TEST_F(Compare, TheWorkedExampleGivesItsLinesFileChartAndOrder) {
  labels({{1, 1, 2}, {1, 2, 2}});
  classSizes({1, 2});
  const std::string path = dir.file("hits.err");
  shell.saveFiles.push_back(path);
  runCommand(ctx, compareoverreplications1Click);

  EXPECT_EQ(outputLines(), expectedLines("   2", ".6667", "33.33", "   2", "2", "100.0"));
  EXPECT_EQ(shell.lines.size(), 10u);
  EXPECT_EQ(readFile(path), " 33.333\r\n 66.667\r\n");
  ASSERT_EQ(shell.saveDialogsShown.size(), 1u);
  EXPECT_EQ(shell.saveDialogsShown[0].defaultExt, "err");
  EXPECT_EQ(shell.saveDialogsShown[0].fileName, "*.err");
  EXPECT_EQ(shell.saveDialogsShown[0].filterIndex, ErrorHitsFilter);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{Intro, "Error hits distribution written to file " + path + "."}));

  ASSERT_EQ(shell.bars.size(), 2u);
  EXPECT_EQ(shell.bars[0].label, "0");
  EXPECT_EQ(shell.bars[1].label, "1");
  EXPECT_DOUBLE_EQ(shell.bars[0].value, 100.0 / 3);
  EXPECT_DOUBLE_EQ(shell.bars[1].value, 200.0 / 3);
  EXPECT_TRUE(shell.linePoints.empty());
  EXPECT_EQ(shell.axisMin, 0);
  EXPECT_EQ(shell.axisMax, 100);
  EXPECT_EQ(shell.chartTitle, "Relative frequencies of the numbers of misplaced pairs");
  EXPECT_EQ(shell.chartFoot, "pairs misplaced ... times");
  EXPECT_EQ(shell.statuses, (std::vector<std::string>{"Compare...", "Done."}));
  EXPECT_FALSE(shell.busy);
  EXPECT_EQ(shell.beeps, 1);

  // Message, file, status, the list kept painted while counting, the file's
  // message, the lines, the chart, beep, "Done.".
  std::vector<std::string> e = shell.events;
  e.erase(std::unique(e.begin(), e.end()), e.end());
  EXPECT_EQ(e, (std::vector<std::string>{"message", "save-dialog", "status", "repaint", "message", "line", "select",
                                         "chart-refresh", "beep", "status"}));
}

// Edge cases of the lines and the file, one workspace each.
TEST_F(Compare, LinesAndFileForIdenticalReplicationsOddRAndNoClassSizes) {
  struct Case {
    const char* what;
    std::vector<std::vector<int>> reps;
    std::vector<int> sizes;
    std::vector<std::string> lines;
    std::string file;
  };
  const std::vector<Case> cases = {
      // Every pair placed as always: H = M for the common partition.
      {"identical", {{1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}}, {2, 3},
       expectedLines("   0", "1.0000", "100.00", "   16", "16", "100.0"), " 100.000\r\n .000\r\n .000\r\n"},
      // R = 5, k = 0..2: the pair (1,2) is together 3 times, (1,3) and
      // (2,3) twice: d = 2 for all three.
      {"R odd",
       {{1, 1, 1}, {1, 1, 2}, {1, 1, 2}, {1, 2, 2}, {1, 2, 1}},
       {3},
       // D = 6, H = 7, T = 15, Dmax = 6, M = 5 * 3 = 15.
       expectedLines("   6", ".6000", ".00", "   7", "15", "46.67"), " .000\r\n .000\r\n 100.000\r\n"},
      // K = 0 (parameters entered again): no maximum, percentage 0.
      {"K = 0", {{1, 1, 2}, {1, 2, 2}}, {}, expectedLines("   2", ".6667", "33.33", "   2", "0", ".0"),
       " 33.333\r\n 66.667\r\n"},
  };
  for (const Case& c : cases) {
    auto w = Workspace::create();
    ScriptedShell sh;
    Context cx{*w, sh};
    for (std::size_t r = 0; r < c.reps.size(); ++r)
      for (std::size_t i = 0; i < c.reps[r].size(); ++i)
        w->ClassLabels(static_cast<int>(i + 1), static_cast<int>(r + 1)) = static_cast<std::int8_t>(c.reps[r][i]);
    w->NumCases = static_cast<int>(c.reps[0].size());
    w->NumReplications = static_cast<int>(c.reps.size());
    for (std::size_t k = 0; k < c.sizes.size(); ++k) w->ClassSize[static_cast<int>(k + 1)] = c.sizes[k];
    w->NumPrototypes = static_cast<int>(c.sizes.size());
    const std::string path = dir.file(std::string("f") + std::to_string(&c - cases.data()) + ".err");
    sh.saveFiles.push_back(path);
    runCommand(cx, compareoverreplications1Click);
    EXPECT_EQ(sh.lines, c.lines) << c.what;
    EXPECT_EQ(readFile(path), c.file) << c.what;
  }
}

// The file question: the dialog cancelled, Replace answered No (the dialog
// again), Replace answered Cancel. The analysis runs in every case; an
// existing file is written only after Yes.
TEST_F(Compare, TheSaveQuestionOnlyDecidesTheFileTheAnalysisRunsAlways) {
  labels({{1, 1, 2}, {1, 2, 2}});
  classSizes({1, 2});
  const std::string old = dir.write("old.err", "keep me");
  const std::string fresh = dir.file("fresh.err");
  struct Case {
    const char* what;
    std::deque<std::string> files;
    std::deque<Answer> answers;
    std::string oldAfter;
    bool freshWritten;
  };
  const std::vector<Case> cases = {
      {"dialog cancelled", {""}, {}, "keep me", false},
      {"No, then a new name", {old, fresh}, {Answer::No}, "keep me", true},
      {"No, then cancelled", {old, ""}, {Answer::No}, "keep me", false},
      {"Cancel", {old}, {Answer::Cancel}, "keep me", false},
      {"Yes", {old}, {Answer::Yes}, " 33.333\r\n 66.667\r\n", false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(fresh);
    ScriptedShell sh;
    Context cx{*ws, sh};
    sh.saveFiles = c.files;
    sh.answers = c.answers;
    runCommand(cx, compareoverreplications1Click);
    EXPECT_EQ(sh.saveDialogsShown.size(), c.files.size()) << c.what;
    EXPECT_EQ(readFile(old), c.oldAfter) << c.what;
    EXPECT_EQ(std::filesystem::exists(fresh), c.freshWritten) << c.what;
    if (c.freshWritten) {
      EXPECT_EQ(readFile(fresh), " 33.333\r\n 66.667\r\n");
    }
    EXPECT_EQ(sh.lines.size(), 10u) << c.what;
    EXPECT_EQ(sh.bars.size(), 2u) << c.what;
    EXPECT_EQ(sh.status(), "Done.") << c.what;
    const bool written = c.freshWritten || c.answers == std::deque<Answer>{Answer::Yes};
    EXPECT_EQ(sh.messages.size(), written ? 2u : 1u) << c.what;
  }
  dir.write("old.err", "keep me");
}

// A file that cannot be written (in a folder that does not exist, or a
// folder of that name): the system's reason, nothing appended, the chart
// as it was, the cursor back to normal; nothing is counted.
TEST_F(Compare, AFileThatCannotBeWrittenEndsTheCommandBeforeAnyOutput) {
  labels({{1, 1, 2}, {1, 2, 2}});
  std::filesystem::create_directory(dir.file("folder.err"));
  for (const std::string& path : {dir.file("missing/hits.err"), dir.file("folder.err")}) {
    ScriptedShell sh;
    Context cx{*ws, sh};
    sh.saveFiles.push_back(path);
    runCommand(cx, compareoverreplications1Click);
    ASSERT_EQ(sh.messages.size(), 2u) << path;
    EXPECT_EQ(sh.messages[1].rfind("Cannot write file \"" + path + "\": ", 0), 0u) << sh.messages[1];
    EXPECT_TRUE(sh.lines.empty()) << path;
    EXPECT_TRUE(sh.bars.empty()) << path;
    EXPECT_FALSE(sh.busy);
    EXPECT_EQ(std::count(sh.events.begin(), sh.events.end(), "repaint"), 0) << path;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.err")));
}

// One case (or none): no pair to compare. A message a person can read and
// nothing else; never "nan".
TEST_F(Compare, FewerThanTwoCasesGetAMessageAndNoDialog) {
  for (int n : {0, 1}) {
    ScriptedShell sh;
    Context cx{*ws, sh};
    ws->NumCases = n;
    ws->NumReplications = 3;
    runCommand(cx, compareoverreplications1Click);
    ASSERT_EQ(sh.messages.size(), 1u);
    EXPECT_NE(sh.messages[0].find("at least two cases"), std::string::npos);
    EXPECT_TRUE(sh.saveDialogsShown.empty());
    EXPECT_TRUE(sh.lines.empty());
  }
}

// 30000 cases x 50 replications, each replication a partition into 2 to 13
// classes by c mod m (every row distinct): the counts pass 32 bits and
// print exactly. Expected values from the n - d pairs of each difference d.
TEST_F(Compare, CountsBeyondThirtyTwoBitsPrintExactly) {
  constexpr int n = 30000, R = 50;
  const int moduli[] = {2, 2, 3, 5, 7, 11, 13};
  auto modulus = [&](int r) { return moduli[(r - 1) % 7]; };
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= R; ++r) ws->ClassLabels(c, r) = static_cast<std::int8_t>(1 + c % modulus(r));
  ws->NumCases = n;
  ws->NumReplications = R;
  classSizes({15000, 15000});
  unsigned long long H = 0, D = 0, h[R / 2 + 1] = {};
  for (int d = 1; d < n; ++d) {
    int a = 0;
    for (int r = 1; r <= R; ++r) a += d % modulus(r) == 0;
    H += static_cast<unsigned long long>(a) * (n - d);
    D += static_cast<unsigned long long>(std::min(a, R - a)) * (n - d);
    h[std::min(a, R - a)] += static_cast<unsigned long long>(n - d);
  }
  ASSERT_GT(H, 1ull << 32);
  shell.saveFiles.push_back("");
  runCommand(ctx, compareoverreplications1Click);
  ASSERT_EQ(shell.lines.size(), 10u);
  const auto pad = [](unsigned long long v) { return "   " + std::to_string(v); };
  EXPECT_EQ(shell.lines[3], "perfect class assignment:  " + pad(D));
  EXPECT_EQ(shell.lines[6], "total # of hits:           " + pad(H));
  // M = 50 * 2 * 15000 * 14999 / 2.
  EXPECT_EQ(shell.lines[8], "the most recent class sizes:  11249250000");
  ASSERT_EQ(shell.bars.size(), 26u);
  for (int k = 0; k <= R / 2; ++k)
    EXPECT_DOUBLE_EQ(shell.bars[static_cast<std::size_t>(k)].value, 100.0L * h[k] / 449985000.0L) << k;
}
