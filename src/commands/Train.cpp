#include "commands/Train.h"

#include <cmath>
#include <string>

#include "commands/ClassifyingCommands.h"
#include "commands/SubtClus.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NeuralGas.h"
#include "core/NumberFormat.h"
#include "core/Sammon.h"

namespace volmar {

namespace {

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
  if (InvalidStartValue(ws) != StartValue::None)
    throw CommandError(
        "The learning rate, adjacency update parameter and lifetime parameter must be above 0: "
        "use Parameterize to set them.");
  if (!ScheduleLength(ws.NumCases, ws.NumEpochs))
    throw CommandError(std::to_string(ws.NumCases) + " cases x " + std::to_string(ws.NumEpochs) +
                       " epochs are too many presentations: use fewer epochs.");
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
class TrainingRun {
 public:
  explicit TrainingRun(Context& ctx) : ctx_(ctx), ws_(ctx.ws), sh_(ctx.shell) {}

  void run() {
    start();
    for (int n = ws_.LowerLimit; n <= ws_.UpperLimit; ++n) prototypes(n);
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

  void chartResult(int n) {
    sh_.setLeftAxis(0, 1.1 * ws_.SumDist[ws_.LowerLimit]);
    sh_.setPointValue(Series::Bars, n - 1, ws_.SumDist[n]);
  }

  void chartWssi(int n) {
    ws_.WSSI[n] = WSSIndex(ws_).value_or(0.0f);  // defined: constant data are refused
    sh_.setPointValue(Series::Line, n - 1, ws_.WSSI[n]);
    sh_.refreshChart();
  }

  void prototypes(int n) {
    ws_.NumPrototypes = n;
    sh_.appendLine("   >>> # OF SEGMENTS IS " + std::to_string(n) + " <<<");
    if (n == 1) {
      for (int v = 1; v <= ws_.NumVars; ++v) ws_.Prototypes(1, v) = ColumnMean(ws_, v);
      ws_.SumDist[1] = SumOfMinDistances(ws_);
      sh_.appendLine(sumOfDistancesText(ws_.SumDist[1]));
      chartResult(1);
      chartWssi(1);
      return;
    }
    for (int r = 1; r <= ws_.NumReplications; ++r) replication(n, r);
    ws_.WSSI[n] = WSSIndex(ws_).value_or(0.0f);
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
    if (ws_.NumReplications > 1) sh_.enableMenu(MenuItem::Compareoverreplications1, true);
    sh_.enableMenu(MenuItem::Similarityofprototypes1, true);
    sh_.enableMenu(MenuItem::Refineprototypes1, true);
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

void adjacencygraph1Click(Context& ctx) { ctx.shell.showGraphView(); }

}  // namespace volmar
