#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "commands/ParamDialog.h"
#include "commands/Stability.h"
#include "commands/Train.h"
#include "core/Parallel.h"
#include "support/ScriptedShell.h"
#include "support/TempDir.h"

using namespace volmar;
using volmar::test::ScriptedShell;
using volmar::test::TempDir;

namespace {

// A study's lines, values file and chart: what must not change with the
// threads or the split.
struct Outcome {
  std::vector<std::string> lines;
  std::string values;
  std::vector<std::vector<double>> boxes;
  bool operator==(const Outcome&) const = default;
};

class Stability : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();
  ScriptedShell shell;
  Context ctx{*ws, shell};

  void TearDown() override { SetEngineThreads(0); }

  // Three groups of 100 cases along the first of ten variables, 8 apart,
  // normally spread with variance 1 in every variable (Box-Muller on a
  // generator of its own); or uniform cases in [0, 1)^10.
  void data(bool groups, int cases = 300) {
    RandomGenerator g;
    g.setSeed(99);
    for (int c = 1; c <= cases; ++c)
      for (int v = 1; v <= 10; ++v) {
        double x = g.next();
        if (groups) {
          const double u = std::max(x, 1e-12), w = g.next();
          x = std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * w) + (v == 1 ? 8.0 * (c % 3) : 0.0);
        }
        ws->DataMatrix(c, v) = static_cast<float>(x);
      }
    ws->NumCases = cases;
    ws->NumVars = 10;
    mainWindowCreated(ctx);
    shell.paramDialogs.push_back([](ParamDialog& d) {
      d.edits = {"2", "5", "10", "10", "0.3", "2", "1", "1"};
      d.checkBox1 = false;
      ASSERT_TRUE(d.ok());
    });
    runCommand(ctx, parameterize1Click);
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(4242));
  }

  Outcome run(const StabilitySettings& s, int threads) {
    SetEngineThreads(threads);
    shell.lines.clear();
    shell.stabilityCharts.clear();
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(4242));
    runCommand(ctx, [&](Context& c) { runStability(c, s); });
    return outcome();
  }

  Outcome outcome() {
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front();
    Outcome o;
    o.lines = shell.lines;
    if (ctx.stability) o.values = stabilityValuesText(*ctx.stability);
    if (!shell.stabilityCharts.empty())
      for (const StabilityBox& b : shell.stabilityCharts.back().boxes)
        o.boxes.push_back({b.minimum, b.q1, b.median, b.q3, b.maximum});
    return o;
  }

  // The medians of the lines "   N min Q1 median Q3 max".
  std::vector<double> medians() const {
    std::vector<double> m;
    for (std::size_t k = 3; k < shell.lines.size(); ++k) m.push_back(std::stod(shell.lines[k].substr(24, 7)));
    return m;
  }

  static StabilitySettings global(int lower, int upper, int pairs) {
    StabilitySettings s;
    s.lower = lower;
    s.upper = upper;
    s.pairs = pairs;
    return s;
  }
};

}  // namespace

TEST_F(Stability, ThreeSeparatedGroupsAreStableAtThreeSegmentsOnly) {
  data(true);
  const StabilitySettings s = global(2, 5, 40);
  const Outcome o = run(s, 0);
  ASSERT_EQ(o.lines.size(), 7u);
  EXPECT_EQ(o.lines[0], " ");
  EXPECT_EQ(o.lines[1], "   Global stability (bootstrap), adjusted Rand index, 40 pairs");
  EXPECT_EQ(o.lines[2], "         N    min     Q1 median     Q3    max");
  EXPECT_EQ(o.lines[3].substr(0, 10), "         2");
  const auto m = medians();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_GT(m[1], 0.95);
  EXPECT_GT(m[1] - m[2], 0.05) << o.lines[5];
  EXPECT_GT(m[1] - m[3], 0.05) << o.lines[6];
  // The values file: a row per pair, a column per number of segments.
  int rows = 0;
  for (std::size_t p = o.values.find("\r\n"); p != std::string::npos; p = o.values.find("\r\n", p + 2)) ++rows;
  EXPECT_EQ(rows, 40);
  EXPECT_EQ(o.values.substr(0, o.values.find("\r\n")).find('\n'), std::string::npos);
  ASSERT_EQ(shell.stabilityCharts.size(), 1u);
  const StabilityChart& chart = shell.stabilityCharts[0];
  EXPECT_EQ(chart.title, "Global stability (40 bootstrap pairs)");
  EXPECT_EQ(chart.xLabel, "# of segments (prototypes)");
  EXPECT_EQ(chart.yLabel, "adjusted Rand index");
  ASSERT_EQ(chart.boxes.size(), 4u);
  EXPECT_EQ(chart.boxes[1].label, "3");
  EXPECT_EQ(shell.status(), "Done.");
  EXPECT_TRUE(shell.enabled(MenuItem::Stabilityvalues1));
  EXPECT_GT(shell.progressShown, 0);
  EXPECT_EQ(shell.progressEnded, 1);
}

TEST_F(Stability, UniformDataHaveNoStableNumberOfSegments) {
  data(false);
  run(global(2, 6, 30), 0);
  for (double m : medians()) EXPECT_LE(m, 0.8);
}

TEST_F(Stability, ThreadsDoNotChangeLinesValuesOrChart) {
  data(true, 150);
  for (bool neighbors : {false, true}) {
    ws->NeighborUpdate = neighbors;
    StabilitySettings s = global(2, 4, 9);
    s.refine = neighbors;
    const Outcome one = run(s, 1);
    ASSERT_EQ(one.lines.size(), 6u);
    EXPECT_EQ(run(s, 2), one);
    EXPECT_EQ(run(s, 7), one);
  }
}

TEST_F(Stability, TasksMergedGiveTheSingleRunAndMergeRefusesWrongParts) {
  data(true, 150);
  const StabilitySettings s = global(2, 4, 7);
  const Outcome single = run(s, 2);
  TempDir dir;
  const auto split = [&](int tasks, const std::string& prefix, std::uint32_t seed) {
    std::vector<std::string> files;
    for (int t = 1; t <= tasks; ++t) {
      ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(seed));
      StabilitySplit part{tasks, t, dir.file(prefix + std::to_string(t) + ".part"), false};
      runCommand(ctx, [&](Context& c) { runStability(c, s, part); });
      EXPECT_EQ(shell.messages.back(), "Part " + std::to_string(t) + " of " + std::to_string(tasks) +
                                           " written to " + part.partFile + ".");
      files.push_back(part.partFile);
    }
    shell.messages.clear();
    return files;
  };
  for (int tasks : {1, 3, 5}) {
    std::vector<std::string> files = split(tasks, "t" + std::to_string(tasks) + "-", 4242);
    std::reverse(files.begin(), files.end());  // any order
    shell.lines.clear();
    shell.stabilityCharts.clear();
    ctx.stability.reset();
    runCommand(ctx, [&](Context& c) { mergeStabilityParts(c, files); });
    EXPECT_EQ(outcome(), single) << tasks << " tasks";
  }
  const std::vector<std::string> three = split(3, "m-", 4242);
  const auto refused = [&](const std::vector<std::string>& files) {
    shell.messages.clear();
    runCommand(ctx, [&](Context& c) { mergeStabilityParts(c, files); });
    return shell.messages.empty() ? std::string() : shell.messages.back();
  };
  EXPECT_EQ(refused({three[0], three[2]}), "Part 2 of 3 is missing.");
  EXPECT_EQ(refused({three[0], three[1], three[1], three[2]}),
            "Part 2 of 3 is given twice: " + three[1] + " and " + three[1] + ".");
  // Another seed is another study.
  const std::vector<std::string> other = split(3, "o-", 1);
  EXPECT_EQ(refused({three[0], other[1], three[2]}),
            other[1] + " belongs to another study than " + three[0] +
                " (other data, parameters, seed or number of tasks).");
  // A part cut off is no part.
  const std::string text = test::readFile(three[1]);
  const std::string cut = dir.write("cut.part", text.substr(0, text.size() / 2));
  EXPECT_EQ(refused({three[0], cut, three[2]}).find(cut + " is not a complete stability part file"), 0u);
}

TEST_F(Stability, SegmentsOfTheCurrentSolutionAfterTraining) {
  data(true, 150);
  runCommand(ctx, segmentsbootstrap1Click);
  EXPECT_EQ(shell.messages.back(), std::string("No segments are current:") + LineBreak +
                                       "train two or more prototypes, recall or refine first.");
  EXPECT_FALSE(shell.enabled(MenuItem::Segmentsbootstrap1));
  shell.paramDialogs.push_back([](ParamDialog& d) { 
    d.edits = {"3", "3", "10", "10", "0.3", "2", "1", "1"};
    ASSERT_TRUE(d.ok());
  });
  runCommand(ctx, parameterize1Click);
  shell.answers.assign(10, Answer::Ok);
  runCommand(ctx, run1Click);
  EXPECT_TRUE(shell.enabled(MenuItem::Segmentsbootstrap1));
  shell.messages.clear();
  shell.lines.clear();
  StabilityDialog shown;
  shell.stabilityDialogs.push_back([&](StabilityDialog& d) {
    shown = d;
    d.pairs = "12";
    return true;
  });
  runCommand(ctx, segmentsbootstrap1Click);
  ASSERT_TRUE(shell.messages.empty()) << shell.messages[0];
  EXPECT_EQ(shown.pairs, "100");
  ASSERT_EQ(shell.lines.size(), 6u);
  EXPECT_EQ(shell.lines[1], "   Segment-level stability (bootstrap), Jaccard coefficient, 3 segments, 12 pairs");
  EXPECT_EQ(shell.lines[2], "   segment    min     Q1 median     Q3    max");
  for (double m : medians()) EXPECT_GT(m, 0.95);
  EXPECT_EQ(shell.stabilityCharts.back().xLabel, "segment");
}

TEST_F(Stability, DialogTextsAreCheckedAndAStopEndsTheStudyBetweenFits) {
  data(true, 150);
  StabilityDialog d = stabilityDialogFor(*ws, StabilityKind::Global);
  EXPECT_EQ(d.lower, "2");
  EXPECT_EQ(d.upper, "5");
  EXPECT_EQ(d.pairs, "100");
  for (const auto& [lower, upper, pairs, why] : std::vector<std::tuple<const char*, const char*, const char*, std::string>>{
           {"1", "5", "10", "The numbers of segments must run from 2 to 30, the lower not above the upper."},
           {"4", "3", "10", "The numbers of segments must run from 2 to 30, the lower not above the upper."},
           {"2", "31", "10", "The numbers of segments must run from 2 to 30, the lower not above the upper."},
           {"2", "3", "0", "The number of pairs must be from 1 to 1000."},
           {"2", "3", "1001", "The number of pairs must be from 1 to 1000."},
           {"x", "3", "10", "'x' is not a whole number: enter the lowest number of segments."}}) {
    shell.messages.clear();
    shell.stabilityDialogs.push_back([&](StabilityDialog& e) {
      e.lower = lower;
      e.upper = upper;
      e.pairs = pairs;
      return true;
    });
    runCommand(ctx, globalbootstrap1Click);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], why);
  }
  // Cancel runs nothing.
  shell.messages.clear();
  shell.stabilityDialogs.push_back([](StabilityDialog&) { return false; });
  runCommand(ctx, globalbootstrap1Click);
  EXPECT_TRUE(shell.lines.empty());
  // A stop asked for while the fits run.
  shell.onProgress = [&](int, int) { ctx.stopRequested.store(true); };
  shell.stabilityDialogs.push_back([](StabilityDialog&) { return true; });
  runCommand(ctx, globalbootstrap1Click);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(shell.lines.empty());
  EXPECT_EQ(shell.status(), "Stability study stopped.");
  EXPECT_FALSE(shell.busy);
  EXPECT_FALSE(ctx.stability);
}
