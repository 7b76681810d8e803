#include "commands/Train.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <string>
#include <thread>
#include <vector>

#include "commands/ClassifyingCommands.h"
#include "commands/Profiles.h"
#include "commands/RecordingShell.h"
#include "commands/SubtClus.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NeuralGas.h"
#include "core/NumberFormat.h"
#include "core/Parallel.h"
#include "core/Random.h"
#include "core/Sammon.h"

namespace volmar {

namespace {

// The workers' copies of the workspace, kept from one run to the next:
// making one (15 MB, zeroed and paged in anew) costs more than a whole run
// on small data. At most one per worker a run has had, and no more than
// MaxSpareCopies.
constexpr std::size_t MaxSpareCopies = 8;
std::mutex copiesMutex;
std::vector<std::unique_ptr<Workspace>> spareCopies;

// A copy of ws's values for a worker.
std::unique_ptr<Workspace> workerCopy(const Workspace& ws) {
  std::unique_ptr<Workspace> copy;
  {
    std::lock_guard<std::mutex> lock(copiesMutex);
    if (!spareCopies.empty()) {
      copy = std::move(spareCopies.back());
      spareCopies.pop_back();
    }
  }
  if (!copy) copy = Workspace::create();
  CopyValuesOfCases(values(*copy), values(ws));
  return copy;
}

// Gives a worker's copy back for the next run.
struct CopyReturn {
  std::unique_ptr<Workspace>& copy;
  ~CopyReturn() {
    if (!copy) return;
    try {
      std::lock_guard<std::mutex> lock(copiesMutex);
      if (spareCopies.size() < MaxSpareCopies) spareCopies.push_back(std::move(copy));
    } catch (...) {
      // Without room to keep it the copy is freed.
    }
  }
};

void copyRows(Mat<float, MaxPrototypes, MaxVars, VarStride>& to,
              const Mat<float, MaxPrototypes, MaxVars, VarStride>& from, int n, int vars) {
  for (int k = 1; k <= n; ++k) {
    const float* src = from.row(k);
    float* dst = to.row(k);
    for (int v = 0; v < vars; ++v) dst[v] = src[v];
  }
}

// Everything the run needs, checked before anything is changed; an error
// names what is wrong so that the user can mend it.
void checkRunnable(const Workspace& ws, bool prototypesAsTheyAre) {
  requireData(ws);
  if (ws.LowerLimit < 1 || ws.UpperLimit > MaxPrototypes || ws.LowerLimit > ws.UpperLimit ||
      ws.NumEpochs < 1 || ws.NumReplications < 1 || ws.NumReplications > MaxReplications)
    throw CommandError("The training parameters are not set: use Parameterize first.");
  requireLearningSchedule(ws);
  if (DataRangeSum(ws) == 0)
    throw CommandError(std::string("Every variable is constant in these data:") + LineBreak +
                       "there is nothing to segment.");
  requireTrainableDistances(ws, prototypesAsTheyAre ? ws.UpperLimit : 0);
}

// How a run uses the random generator and the seed source, unit by unit.
// The units, in serial order: for N = LowerLimit..UpperLimit, N = 1 is one
// unit; every N >= 2 gives one unit per replication r = 1..NumReplications.
//
// Seeds are requested in this order: one at the start of the run (s0); then,
// with NeighborUpdate on, every unit of N >= 2 takes NumEpochs seeds, one per
// epoch for its projection, units in serial order (N = 1 and subtractive
// clustering take none). So with a fixed source N + k, the unit u takes the
// seeds that follow those of all units before it.
//
// Draws of a unit of N prototypes, with T = NumTrials, E = NumEpochs and
// C = NumCases: T x N for the seeding trials, then C per epoch for the
// presented cases; each projection draws 2N start coordinates right after
// its reseeding. N = 1 draws nothing. Hence the state a unit starts from:
//   - NeighborUpdate off: JumpAhead(s0, draws of every earlier unit), where
//     a unit of N >= 2 draws T x N + E x C;
//   - NeighborUpdate on: JumpAhead(last seed of the previous unit of
//     N' >= 2, 2N'), or s0 for the first unit of N >= 2;
// and within a unit with NeighborUpdate on, epoch e >= 2 presents its cases
// from JumpAhead(seed of epoch e - 1, 2N).
//
// A unit depends on earlier units only through that state as long as it is
// seeded by random trials (NumTrials >= 1 and no subtractive clustering
// pending; the first trial is always taken). Without trials it starts from
// the prototypes the previous unit left (after subtractive clustering, or
// prototypes read from a file), and the units are a chain.
// One unit of a run: the mean for one prototype (r = 0), or replication r
// of N >= 2 prototypes. `start` is the generator's state the unit begins
// with, `seeds` the seeds its projections take, `end` its state when it is
// done (the next unit's start).
struct Unit {
  int n = 0;
  int r = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  std::vector<std::uint32_t> seeds;
};

// The units of the run in serial order, with their states and seeds by the
// rule above. Takes the seeds from the workspace's seed source, in the order
// the serial run would take them; s0 is the state after the first seed.
std::vector<Unit> planUnits(Workspace& ws, std::uint32_t s0) {
  std::vector<Unit> units;
  std::uint32_t state = s0;
  const auto trials = static_cast<std::uint64_t>(ws.NumTrials);
  const auto epochs = static_cast<std::uint64_t>(ws.NumEpochs);
  const auto cases = static_cast<std::uint64_t>(ws.NumCases);
  for (int n = ws.LowerLimit; n <= ws.UpperLimit; ++n) {
    if (n == 1) {
      units.push_back({1, 0, state, state, {}});
      continue;
    }
    const auto draws = static_cast<std::uint64_t>(n);
    for (int r = 1; r <= ws.NumReplications; ++r) {
      Unit u{n, r, state, state, {}};
      if (ws.NeighborUpdate) {
        for (int e = 1; e <= ws.NumEpochs; ++e) {
          ws.Rng.seedFromClock();
          u.seeds.push_back(ws.Rng.state());
        }
        state = JumpAhead(u.seeds.back(), 2 * draws);
      } else {
        state = JumpAhead(state, trials * draws + epochs * cases);
      }
      u.end = state;
      units.push_back(std::move(u));
    }
  }
  return units;
}

// Runs units on one workspace, talking to one shell: the global ones when
// the run is serial, a worker's copy and a recording shell otherwise.
class UnitRun {
 public:
  UnitRun(Context& ctx, int tmax, const std::atomic<bool>& stop, RecordingShell* recording)
      : ctx_(ctx), ws_(ctx.ws), sh_(ctx.shell), tmax_(tmax), stop_(stop), recording_(recording) {}

  void run(int n, int r) {
    ws_.NumPrototypes = n;
    if (r == 1 || n == 1) sh_.appendLine("   >>> # OF SEGMENTS IS " + std::to_string(n) + " <<<");
    if (n == 1) {
      mean();
      return;
    }
    replication(n, r);
    if (r == ws_.NumReplications) ws_.WSSI[n] = WSSIndex(ws_).value_or(0.0f);
  }

 private:
  void stopPoint() const {
    if (stop_.load(std::memory_order_relaxed)) throw CommandStopped();
  }

  void mean() {
    for (int v = 1; v <= ws_.NumVars; ++v) ws_.Prototypes(1, v) = ColumnMean(ws_, v);
    ws_.SumDist[1] = SumOfMinDistances(ws_);
    sh_.appendLine(sumOfDistancesText(ws_.SumDist[1]));
    chartResult(1);
    chartWssi(1);
  }

  // The bars' axis follows the sum of the smallest number of prototypes.
  // A worker on a later number does not know that sum: the shown
  // workspace has it when the call is played.
  void chartResult(int n) {
    if (recording_ && n != ws_.LowerLimit)
      recording_->keep([](Shell& sh, Workspace& shown) {
        sh.setLeftAxis(0, 1.1 * shown.SumDist[shown.LowerLimit]);
      });
    else
      sh_.setLeftAxis(0, 1.1 * ws_.SumDist[ws_.LowerLimit]);
    sh_.setPointValue(Series::Bars, n - 1, ws_.SumDist[n]);
  }

  void chartWssi(int n) {
    ws_.WSSI[n] = WSSIndex(ws_).value_or(0.0f);  // defined: constant data are refused
    sh_.setPointValue(Series::Line, n - 1, ws_.WSSI[n]);
    sh_.refreshChart();
  }

  void replication(int n, int r) {
    ws_.SumDist[n] = 1e13;
    if (!ws_.UseSubtClus && ws_.NumTrials > 0) {
      sh_.appendLine(" ");
      sh_.appendLine("   Seedpoints:");
    }
    bool seeded = false;
    if (ws_.UseSubtClus) {
      SubtClus(ctx_, n);
      ws_.SumDist[n] = SumOfMinDistances(ws_);
      sh_.appendLine(sumOfDistancesText(ws_.SumDist[n]));
      copyRows(ws_.BestStart, ws_.Prototypes, n, ws_.NumVars);
      seeded = true;
    }
    for (int trial = 1; trial <= ws_.NumTrials; ++trial) {
      stopPoint();
      RandomSeed(ws_, n);
      const double d = SumOfMinDistances(ws_);
      // The first trial is always taken, however large its sum.
      if (d < ws_.SumDist[n] || !seeded) {
        ws_.SumDist[n] = d;
        sh_.appendLine("trial #" + std::to_string(trial) + ": " + sumOfDistancesText(ws_.SumDist[n]));
        copyRows(ws_.BestStart, ws_.Prototypes, n, ws_.NumVars);
        seeded = true;
      }
    }
    if (seeded) copyRows(ws_.Prototypes, ws_.BestStart, n, ws_.NumVars);
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j) {
        ws_.Adjacency(i, j) = 0;
        ws_.EdgeAge(i, j) = 0;
      }
    sh_.appendLine(" ");
    sh_.appendLine("   Training:");
    LearningState st = StartLearning(ws_, tmax_);
    sh_.setStatus("Update...");
    for (int e = 1; e <= ws_.NumEpochs; ++e) {
      stopPoint();
      if (ws_.NeighborUpdate) sh_.setStatus("Refresh adjacency matrix...");
      PresentCases(ws_, st, ws_.NumCases);
      ws_.SumDist[n] = SumOfMinDistances(ws_);
      sh_.appendLine("epoch #: " + std::to_string(e) + " | " + sumOfDistancesText(ws_.SumDist[n]));
      sh_.selectLastLine();
      sh_.repaintList();
      if (ws_.NeighborUpdate) project();
    }
    chartResult(n);
    ws_.RepSumDist[r] = ws_.SumDist[n];
    chartWssi(n);
    sh_.setStatus("Classify...");
    Classify(ws_, r);
    CountClassSizes(ws_, r);
    sh_.appendLine("   Size of classes:");
    for (int k = 1; k <= n; ++k) {
      sh_.appendLine(classShareLine(ws_, k));
      sh_.selectLastLine();
    }
  }

  void project() {
    const SammonResult res = SammonProjection(ws_);
    if (res.underflowPairs > 0)
      sh_.message("Underflow." + std::string(LineBreak) + std::to_string(res.underflowPairs) +
                  " pair(s) of points coincided in the plane and were skipped.");
    sh_.appendLine("   Sammon-stress = " + formatPicture(res.stress, "0.0000"));
    sh_.selectLastLine();
    sh_.showGraphView();
  }

  Context& ctx_;
  Workspace& ws_;
  Shell& sh_;
  int tmax_;
  const std::atomic<bool>& stop_;
  RecordingShell* recording_;
};

// What a unit done on a worker leaves for the shown workspace: every value
// a serial unit would have left there.
struct UnitResult {
  std::vector<float> prototypes, bestStart;     // n rows of NumVars
  std::vector<std::int8_t> adjacency, edgeAge;  // n x n
  std::vector<double> sammonX, sammonY, dist;   // 1..n
  std::vector<std::int8_t> ranking, labels;     // 1..n; the cases of column r
  std::vector<std::int32_t> classSize;          // 1..n
  double sumDist = 0, repSumDist = 0;
  float wssi = 0;
  std::uint32_t rngState = 0;

  void take(const Workspace& w, const Unit& u) {
    const int n = u.n;
    for (int k = 1; k <= n; ++k) {
      prototypes.insert(prototypes.end(), w.Prototypes.row(k), w.Prototypes.row(k) + w.NumVars);
      if (n >= 2) bestStart.insert(bestStart.end(), w.BestStart.row(k), w.BestStart.row(k) + w.NumVars);
      dist.push_back(w.Dist[k]);
    }
    sumDist = w.SumDist[n];
    wssi = w.WSSI[n];
    rngState = w.Rng.state();
    if (n == 1) return;
    for (int k = 1; k <= n; ++k) {
      for (int j = 1; j <= n; ++j) {
        adjacency.push_back(w.Adjacency(k, j));
        edgeAge.push_back(w.EdgeAge(k, j));
      }
      ranking.push_back(w.Ranking[k]);
      classSize.push_back(w.ClassSize[k]);
      if (w.NeighborUpdate) {
        sammonX.push_back(w.SammonX[k]);
        sammonY.push_back(w.SammonY[k]);
      }
    }
    for (int c = 1; c <= w.NumCases; ++c) labels.push_back(w.ClassLabels(c, u.r));
    repSumDist = w.RepSumDist[u.r];
  }

  void putInto(Workspace& ws, const Unit& u) const {
    const int n = u.n;
    const auto vars = static_cast<std::size_t>(ws.NumVars);
    ws.NumPrototypes = n;
    for (int k = 1; k <= n; ++k) {
      const auto row = static_cast<std::size_t>(k - 1);
      std::copy_n(prototypes.begin() + static_cast<std::ptrdiff_t>(row * vars), vars, ws.Prototypes.row(k));
      if (n >= 2)
        std::copy_n(bestStart.begin() + static_cast<std::ptrdiff_t>(row * vars), vars, ws.BestStart.row(k));
      ws.Dist[k] = dist[row];
    }
    ws.SumDist[n] = sumDist;
    ws.WSSI[n] = wssi;
    ws.Rng.setSeed(rngState);
    if (n == 1) return;
    std::size_t a = 0;
    for (int k = 1; k <= n; ++k) {
      const auto row = static_cast<std::size_t>(k - 1);
      for (int j = 1; j <= n; ++j, ++a) {
        ws.Adjacency(k, j) = adjacency[a];
        ws.EdgeAge(k, j) = edgeAge[a];
      }
      ws.Ranking[k] = ranking[row];
      ws.ClassSize[k] = classSize[row];
      if (!sammonX.empty()) {
        ws.SammonX[k] = sammonX[row];
        ws.SammonY[k] = sammonY[row];
      }
    }
    for (int c = 1; c <= ws.NumCases; ++c) ws.ClassLabels(c, u.r) = labels[static_cast<std::size_t>(c - 1)];
    ws.RepSumDist[u.r] = repSumDist;
  }
};

TrainingUnitHook& unitHook() {
  static TrainingUnitHook hook;
  return hook;
}

// Runs the units on worker threads, each on its own copy of the workspace,
// and plays them to the shell in serial order while they run: the unit that
// comes next is shown call by call as its worker makes the calls, and units
// finished ahead of it follow at once. Units are handed out from both ends
// of the serial order: the first worker takes the last (largest) units, the
// others the first ones, so that the output can start early and the longest
// units do not come last. When there are nearly as many workers as units,
// more of them start from the back (2W - U of W workers for U units), so
// that the few units left over for the first ones to finish are the small
// ones. Waiting, the window stays painted. A stop request or the failure of
// any worker ends every worker before this returns; a failure is reported
// as the run's error, never as a stop.
class ParallelUnits {
 public:
  ParallelUnits(Context& ctx, std::vector<Unit> units, int threads, int tmax)
      : ctx_(ctx), units_(std::move(units)), slots_(units_.size()), tmax_(tmax) {
    back_ = static_cast<int>(units_.size());
    const int workers = BalancedWorkers(back_, threads);
    const int fromBack = std::max(1, 2 * workers - back_);
    for (int w = 0; w < workers; ++w) {
      // Counted first: a worker that ends at once counts itself out.
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++workersLeft_;
      }
      try {
        workers_.emplace_back([this, w, fromBack] { work(w < fromBack); });
      } catch (const std::system_error& e) {
        // The system has no room for another thread: the workers that
        // started take every unit between them.
        {
          const std::lock_guard<std::mutex> lock(mutex_);
          --workersLeft_;
        }
        if (!workers_.empty()) break;
        throw CommandError(std::string("The training run could not start its threads: ") + e.what());
      } catch (...) {
        end();
        throw;
      }
    }
  }

  ParallelUnits(const ParallelUnits&) = delete;
  ParallelUnits& operator=(const ParallelUnits&) = delete;
  ~ParallelUnits() { end(); }

  void playAll() {
    for (std::size_t u = 0; u < units_.size(); ++u) play(u);
  }

 private:
  // What the player and the worker of one unit share.
  struct Slot {
    std::unique_ptr<RecordingShell> calls;  // set when a worker takes the unit
    bool finished = false;
    bool stopped = false;  // it ended at a stop point, not by an error of its own
    std::exception_ptr error;
    UnitResult result;
  };

  void play(std::size_t u) {
    Slot& slot = slots_[u];
    for (;;) {
      if (ctx_.stopRequested.load()) throw CommandStopped();
      std::unique_lock<std::mutex> lock(mutex_);
      const bool finished = slot.finished;
      // Taken after `finished` was read: a finished unit has kept all.
      std::vector<RecordingShell::Call> calls;
      if (slot.calls) calls = slot.calls->take();
      if (!finished && calls.empty()) {
        // A unit that no worker took is never coming once the workers stop.
        if (!slot.calls && (failure_ || workersLeft_ == 0)) {
          if (failure_) std::rethrow_exception(failure_);
          throw std::logic_error("a unit of the training run was left without a worker");
        }
        done_.wait_for(lock, std::chrono::milliseconds(20));
        lock.unlock();
        ctx_.shell.keepResponsive();
        continue;
      }
      lock.unlock();
      for (const RecordingShell::Call& call : calls) call(ctx_.shell, ctx_.ws);
      if (!finished) continue;
      if (slot.error) {
        // A unit stopped because another failed reports that failure.
        lock.lock();
        if (slot.stopped && failure_) std::rethrow_exception(failure_);
        std::rethrow_exception(slot.error);
      }
      slot.result.putInto(ctx_.ws, units_[u]);
      slot.result = UnitResult();
      slot.calls.reset();
      return;
    }
  }

  void end() {
    stop_.store(true);
    for (std::thread& t : workers_)
      if (t.joinable()) t.join();
    workers_.clear();
  }

  // The next unit to run, or -1 when none is left; its slot gets the
  // recording shell that its worker fills.
  int next(bool fromBack, const Workspace& copy) {
    auto calls = std::make_unique<RecordingShell>(copy);
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_.load() || front_ >= back_) return -1;
    const int u = fromBack ? --back_ : front_++;
    slots_[static_cast<std::size_t>(u)].calls = std::move(calls);
    return u;
  }

  void fail(std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = error;
    stop_.store(true);
  }

  void work(bool fromBack) {
    const EngineSerialScope serial;  // the other cores are busy with units
    try {
      if (const TrainingUnitHook& hook = unitHook()) hook(TrainingUnitPoint::WorkerSetUp, -1);
      std::unique_ptr<Workspace> copy = workerCopy(ctx_.ws);
      const CopyReturn giveBack{copy};
      for (int u = next(fromBack, *copy); u >= 0; u = next(fromBack, *copy)) {
        Slot& slot = slots_[static_cast<std::size_t>(u)];
        std::exception_ptr error;
        bool stopped = false;
        try {
          runUnit(*copy, u, *slot.calls, slot.result);
        } catch (const CommandStopped&) {
          error = std::current_exception();
          stopped = true;
        } catch (...) {
          error = std::current_exception();
          fail(error);
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          slot.error = error;
          slot.stopped = stopped;
          slot.finished = true;
        }
        done_.notify_all();
      }
    } catch (...) {
      // The copy or a recording shell could not be made: no unit of this
      // worker's will come, and the run ends with the reason.
      fail(std::current_exception());
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --workersLeft_;
    }
    done_.notify_all();
  }

  void runUnit(Workspace& w, int index, RecordingShell& calls, UnitResult& result) {
    const Unit& unit = units_[static_cast<std::size_t>(index)];
    if (const TrainingUnitHook& hook = unitHook()) hook(TrainingUnitPoint::UnitStart, index);
    w.Rng.setSeed(unit.start);
    w.Rng.setSeedSource(std::make_unique<SeedList>(unit.seeds));
    Context unitCtx(w, calls);
    UnitRun(unitCtx, tmax_, stop_, &calls).run(unit.n, unit.r);
    if (w.Rng.state() != unit.end)
      throw std::logic_error("a unit of the training run ended at another random state than planned");
    result.take(w, unit);
    if (const TrainingUnitHook& hook = unitHook()) hook(TrainingUnitPoint::UnitEnd, index);
  }

  Context& ctx_;
  const std::vector<Unit> units_;
  std::vector<Slot> slots_;
  const int tmax_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::atomic<bool> stop_{false};
  std::exception_ptr failure_;  // the first failure of a worker
  int front_ = 0;
  int back_ = 0;
  int workersLeft_ = 0;
  std::vector<std::thread> workers_;
};

class TrainingRun {
 public:
  explicit TrainingRun(Context& ctx) : ctx_(ctx), ws_(ctx.ws), sh_(ctx.shell) {}

  void run() {
    start();
    // Only units seeded by random trials are independent of each other.
    const bool independent = !ws_.UseSubtClus && ws_.NumTrials >= 1;
    const int unitCount = (ws_.UpperLimit - std::max(ws_.LowerLimit, 2) + 1) * ws_.NumReplications +
                          (ws_.LowerLimit == 1 ? 1 : 0);
    const int threads = EngineThreads();
    if (threads > 1 && independent && unitCount > 1) {
      ParallelUnits(ctx_, planUnits(ws_, ws_.Rng.state()), threads, tmax_).playAll();
    } else {
      UnitRun units(ctx_, tmax_, ctx_.stopRequested, nullptr);
      for (int n = ws_.LowerLimit; n <= ws_.UpperLimit; ++n)
        for (int r = 1; r <= (n == 1 ? 1 : ws_.NumReplications); ++r) units.run(n, r);
    }
    finish();
  }

 private:
  void start() {
    ws_.Rng.seedFromClock();
    sh_.clearLines();
    tmax_ = *ScheduleLength(ws_.NumCases, ws_.NumEpochs);
    sh_.setStatus("Training under way...");
    sh_.setChartTitle("Sum of distances (bars), wSSI (line)");
    sh_.setChartFoot("# of classes (prototypes)");
    sh_.clearSeries(Series::Bars);
    sh_.clearSeries(Series::Line);
    for (int n = 1; n <= ws_.UpperLimit; ++n) {
      ws_.SumDist[n] = 0;
      ws_.WSSI[n] = 0;
      sh_.addPoint(Series::Bars, 0, std::to_string(n));
      sh_.addPoint(Series::Line, 0, std::to_string(n));
    }
    sh_.refreshChart();
    sh_.setBusyCursor(true);
    sh_.createGraphView();
  }

  void finish() {
    const int upper = ws_.UpperLimit;
    if (ws_.NumReplications == 1) {
      float best = 0;
      int bestN = 0;
      for (int n = 1; n <= upper; ++n)
        if (ws_.WSSI[n] > best) {
          best = ws_.WSSI[n];
          bestN = n;
        }
      sh_.message("Highest wSSI = " + formatGeneral(best) + LineBreak + "for " + std::to_string(bestN) +
                  " classes.");
    }
    sh_.setBusyCursor(false);
    sh_.beep();
    sh_.message("Training completed.");
    sh_.appendLine(" ");
    if (ws_.NeighborUpdate) {
      sh_.appendLine("adjacency matrix:");
      for (int i = 1; i <= upper; ++i) {
        std::string line;
        for (int j = 1; j <= upper; ++j) line += std::to_string(ws_.Adjacency(i, j)) + " ";
        sh_.appendLine(line);
        sh_.selectLastLine();
      }
      sh_.enableMenu(MenuItem::Adjacencygraph1, true);
    }
    if (ws_.LowerLimit == 1 && upper >= 2) dimensionality(upper);
    sh_.setStatus("Done.");
    ws_.LabelsPrototypes = ws_.NumPrototypes;
    ws_.LabelsReplications = ws_.NumReplications;
    ctx_.names.labelledHere = true;
    if (ws_.NumReplications > 1) sh_.enableMenu(MenuItem::Compareoverreplications1, true);
    sh_.enableMenu(MenuItem::Similarityofprototypes1, true);
    sh_.enableMenu(MenuItem::Refineprototypes1, true);
    enableSegmentItems(sh_, true);
    // Stability by bootstrap.
    if (ws_.NumPrototypes >= 2) sh_.enableMenu(MenuItem::Segmentsbootstrap1, true);
    if (ws_.KBlocks || ws_.KSamples)
      sh_.enableMenu(MenuItem::BlockssamplesxPrototypescontingencytable1, true);
    if (ws_.KBlocks) {
      sh_.enableMenu(MenuItem::Crosstabulateblockspairwise1, true);
      sh_.enableMenu(MenuItem::absfrequencies1, true);
    }
  }

  void noDimensionality(const std::string& why) {
    sh_.message("The statistical dimensionality cannot be determined:" + std::string(LineBreak) + why);
  }

  void dimensionality(int upper) {
    sh_.appendLine(" ");
    sh_.message("Determine statistical dimensionality...");
    for (int n = 1; n <= upper; ++n) {
      if (!(ws_.SumDist[n] > 0)) {
        noDimensionality("with " + std::to_string(n) + " prototype(s) the sum of distances is 0.");
        return;
      }
    }
    const auto fit = FitDimensionality(ws_, upper);
    const auto dim = fit ? StatisticalDimensionality(*fit) : std::nullopt;
    if (!dim) {
      noDimensionality("the sums of distances do not fall with the number of prototypes.");
      return;
    }
    sh_.appendLine("statistical dimensionality is " + formatPicture(*dim, "##0.00"));
    sh_.selectLastLine();
  }

  Context& ctx_;
  Workspace& ws_;
  Shell& sh_;
  int tmax_ = 0;
};

}  // namespace

void run1Click(Context& ctx) {
  ctx.stopRequested.store(false);
  checkRunnable(ctx.ws, !ctx.ws.UseSubtClus && ctx.ws.NumTrials <= 0);
  try {
    TrainingRun(ctx).run();
  } catch (...) {
    // Whatever ended the run, the window must not be left busy.
    ctx.shell.setBusyCursor(false);
    ctx.shell.setStatus("Training stopped.");
    throw;
  }
}

void adjacencygraph1Click(Context& ctx) { ctx.shell.bringGraphViewToFront(); }

void setTrainingUnitHook(TrainingUnitHook hook) { unitHook() = std::move(hook); }

}  // namespace volmar
