#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/ParamDialog.h"
#include "commands/Train.h"
#include "core/Parallel.h"
#include "support/ScriptedShell.h"

using namespace volmar;
using volmar::test::ScriptedShell;

namespace {

std::string bits(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%a", v);
  return b;
}

// Every call the run makes, with its values, in order; a graph view call
// also takes the graph the view would paint (from the shown workspace).
class CallLog : public ScriptedShell {
 public:
  explicit CallLog(const Workspace& ws) : ws_(ws) {}
  std::vector<std::string> log;
  // Called after every listed line (to ask for a stop, for example).
  std::function<void(const std::string&)> onLine;

  void appendLine(const std::string& line) override {
    log.push_back("line " + line);
    ScriptedShell::appendLine(line);
    if (onLine) onLine(line);
  }
  void selectLastLine() override { log.push_back("select"); }
  void repaintList() override { log.push_back("repaint"); }
  void setStatus(const std::string& text) override {
    log.push_back("status " + text);
    ScriptedShell::setStatus(text);
  }
  void message(const std::string& text) override {
    log.push_back("message " + text);
    ScriptedShell::message(text);
  }
  void setPointValue(Series s, int position, double value) override {
    log.push_back("point " + std::to_string(static_cast<int>(s)) + " " + std::to_string(position) + " " + bits(value));
  }
  void setLeftAxis(double minimum, double maximum) override {
    log.push_back("axis " + bits(minimum) + " " + bits(maximum));
  }
  void refreshChart() override { log.push_back("refresh"); }
  void showGraphView() override {
    std::string g = "graph " + std::to_string(ws_.NumPrototypes);
    for (int k = 1; k <= ws_.NumPrototypes; ++k) {
      g += " " + bits(ws_.SammonX[k]) + "," + bits(ws_.SammonY[k]);
      for (int j = 1; j <= ws_.NumPrototypes; ++j) g += std::to_string(ws_.Adjacency(k, j));
    }
    log.push_back(g);
  }

 private:
  const Workspace& ws_;
};

struct Setting {
  const char* what;
  int lower, upper, reps;
  bool neighbor;
  int trials, epochs;
  int distance;
};

// Everything a run leaves in the workspace that a later command can read.
std::string leftBehind(Workspace& ws, const Setting& s) {
  std::string out;
  auto add = [&](double v) { out += bits(v) + " "; };
  for (int k = 1; k <= s.upper; ++k) {
    for (int v = 1; v <= ws.NumVars; ++v) {
      add(ws.Prototypes(k, v));
      add(ws.BestStart(k, v));
    }
    for (int j = 1; j <= s.upper; ++j) {
      add(ws.Adjacency(k, j));
      add(ws.EdgeAge(k, j));
    }
    add(ws.SammonX[k]);
    add(ws.SammonY[k]);
    add(ws.Dist[k]);
    add(ws.Ranking[k]);
    add(ws.ClassSize[k]);
    add(ws.SumDist[k]);
    add(ws.WSSI[k]);
  }
  for (int r = 1; r <= s.reps; ++r) {
    add(ws.RepSumDist[r]);
    for (int c = 1; c <= ws.NumCases; ++c) add(ws.ClassLabels(c, r));
  }
  add(ws.NumPrototypes);
  add(ws.Rng.state());
  ws.Rng.seedFromClock();  // where the seed source stands
  add(ws.Rng.state());
  return out;
}

class TrainingOnThreads : public ::testing::Test {
 protected:
  ~TrainingOnThreads() override { SetEngineThreads(0); }

  struct Run {
    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::string workspace;
    bool busy = false;
  };

  static void fill(Workspace& ws) {
    // Three groups of 200 cases in 5 variables.
    ws.NumCases = 600;
    ws.NumVars = 5;
    ws.BlockSize = 1;
    std::uint32_t x = 11;
    for (int i = 1; i <= ws.NumCases; ++i)
      for (int v = 1; v <= ws.NumVars; ++v) {
        x = x * 1664525u + 1013904223u;
        ws.DataMatrix(i, v) = static_cast<float>(3 * ((i - 1) % 3) + v % 2) + static_cast<float>(x >> 9) / 8388608.0f;
      }
  }

  static Run train(const Setting& s, int threads, std::function<void(Context&, CallLog&)> prepare = {}) {
    SetEngineThreads(threads);
    auto ws = Workspace::create();
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(21));
    fill(*ws);
    CallLog shell(*ws);
    Context ctx(*ws, shell);
    ParamDialog d(ctx);
    d.edits = {std::to_string(s.lower), std::to_string(s.upper), std::to_string(s.trials),
               std::to_string(s.epochs), "0.3", "2", "1", std::to_string(s.reps)};
    d.checkBox1 = s.neighbor;
    EXPECT_TRUE(d.ok());
    ws->DistanceKind = s.distance;
    if (prepare) prepare(ctx, shell);
    runCommand(ctx, run1Click);
    return {shell.log, shell.messages, leftBehind(*ws, s), shell.busy};
  }
};

}  // namespace

// Every call to the shell with its values, the graph the view paints at each
// showing, and everything left in the workspace (including the generator and
// the seed source) are those of the serial run, whatever the thread count.
TEST_F(TrainingOnThreads, EveryCallAndValueEqualsTheSerialRun) {
  const Setting settings[] = {
      {"replications", 3, 3, 4, true, 3, 2, DistEuclidean},
      {"one to five", 1, 5, 1, true, 2, 3, DistEuclidean},
      {"a range, no graph", 2, 4, 1, false, 2, 2, DistEuclidean},
      {"replications, no graph", 4, 4, 3, false, 3, 2, DistEuclidean},
      {"tanimoto", 2, 4, 2, true, 2, 2, DistTanimoto},
  };
  for (const Setting& s : settings) {
    const Run serial = train(s, 1);
    ASSERT_EQ(std::count(serial.messages.begin(), serial.messages.end(), "Training completed."), 1) << s.what;
    for (int threads : {2, 3, 8}) {
      SCOPED_TRACE(std::string(s.what) + ", threads " + std::to_string(threads));
      const Run run = train(s, threads);
      EXPECT_EQ(run.log, serial.log);
      EXPECT_EQ(run.messages, serial.messages);
      EXPECT_EQ(run.workspace, serial.workspace);
    }
  }
}

// A stop request (the window being closed) ends the run at its next epoch or
// trial on any thread count: no completion message, the cursor back, and
// nothing of later units shown; the next run is whole again.
TEST_F(TrainingOnThreads, AStopRequestEndsTheRunCleanly) {
  const Setting s{"stop", 2, 6, 1, true, 2, 3, DistEuclidean};
  const Run whole = train(s, 1);
  ASSERT_FALSE(whole.busy);
  for (int threads : {1, 2, 4}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    const Run stopped = train(s, threads, [&](Context& ctx, CallLog& shell) {
      shell.onLine = [&ctx](const std::string& line) {
        if (line == "   >>> # OF SEGMENTS IS 3 <<<") ctx.stopRequested.store(true);
      };
    });
    EXPECT_TRUE(stopped.messages.empty()) << stopped.messages.front();
    EXPECT_FALSE(stopped.busy);
    EXPECT_LT(stopped.log.size(), whole.log.size());
    EXPECT_EQ(std::count(stopped.log.begin(), stopped.log.end(), "line    >>> # OF SEGMENTS IS 4 <<<"), 0);
    EXPECT_EQ(std::count(stopped.log.begin(), stopped.log.end(), "status Training stopped."), 1);
    // What was shown before the stop is the serial run's beginning.
    ASSERT_LE(stopped.log.size(), whole.log.size());
    const auto stop = std::find(stopped.log.begin(), stopped.log.end(), "line    >>> # OF SEGMENTS IS 3 <<<");
    ASSERT_NE(stop, stopped.log.end());
    EXPECT_TRUE(std::equal(stopped.log.begin(), stop + 1, whole.log.begin()));
  }
}
