#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>
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

namespace {

// Holds a worker at the end of a unit until the shell has shown that
// unit's first epoch line, or until a generous time has passed (when the
// line never comes before the unit ends).
class UnitGate {
 public:
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool waitOpen() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

struct UnitHookScope {
  explicit UnitHookScope(TrainingUnitHook hook) { setTrainingUnitHook(std::move(hook)); }
  ~UnitHookScope() { setTrainingUnitHook({}); }
};

}  // namespace

// On several threads the unit that comes next is shown while it runs: its
// first epoch line reaches the shell before its worker ends the unit, for
// a unit that follows another on the same worker and for the first unit.
TEST_F(TrainingOnThreads, EpochLinesReachTheShellWhileTheirUnitRuns) {
  const Setting s{"streaming", 3, 3, 4, true, 2, 3, DistEuclidean};
  for (int held : {0, 1}) {
    SCOPED_TRACE("unit " + std::to_string(held));
    UnitGate gate;
    std::atomic<bool> shownBeforeEnd{false};
    UnitHookScope hook([&](TrainingUnitPoint point, int unit) {
      if (point == TrainingUnitPoint::UnitEnd && unit == held) shownBeforeEnd = gate.waitOpen();
    });
    int firstEpochs = 0;
    const Run run = train(s, 2, [&](Context&, CallLog& shell) {
      shell.onLine = [&](const std::string& line) {
        if (line.rfind("epoch #: 1 |", 0) == 0 && firstEpochs++ == held) gate.open();
      };
    });
    EXPECT_TRUE(shownBeforeEnd.load());
    EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "Training completed."), 1);
  }
}

// A worker that fails (memory running out, any error) ends the run with
// the failure's message, wherever it fails: setting up its copy of the
// workspace, in the first unit, or in a unit behind others not yet shown.
// The run never waits for a unit that no worker will run, and never passes
// the failure off as a stop.
TEST_F(TrainingOnThreads, AFailingWorkerEndsTheRunWithItsMessage) {
  struct Case {
    const char* what;
    TrainingUnitPoint point;
    int unit;  // -1: the last unit
    bool memory;
  };
  const Case cases[] = {
      {"worker set-up", TrainingUnitPoint::WorkerSetUp, -1, true},
      {"first unit", TrainingUnitPoint::UnitStart, 0, true},
      {"last unit, at its start", TrainingUnitPoint::UnitStart, -1, true},
      {"last unit, at its end", TrainingUnitPoint::UnitEnd, -1, false},
  };
  const Setting s{"failing", 3, 3, 6, true, 2, 2, DistEuclidean};
  const int last = s.reps - 1;
  for (const Case& c : cases)
    for (int threads : {2, 3, 6}) {
      SCOPED_TRACE(std::string(c.what) + ", threads " + std::to_string(threads));
      std::atomic<bool> failed{false};
      UnitHookScope hook([&](TrainingUnitPoint point, int unit) {
        if (point != c.point || (c.point != TrainingUnitPoint::WorkerSetUp && unit != (c.unit < 0 ? last : c.unit)))
          return;
        if (failed.exchange(true)) return;
        if (c.memory) throw std::bad_alloc();
        throw std::runtime_error("The disk holding the swap file failed.");
      });
      const Run run = train(s, threads);
      EXPECT_TRUE(failed.load());
      ASSERT_EQ(run.messages.size(), 1u);
      EXPECT_EQ(run.messages[0], c.memory ? OutOfMemoryText : "The disk holding the swap file failed.");
      EXPECT_FALSE(run.busy);
      EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "status Training stopped."), 1);
    }
}
