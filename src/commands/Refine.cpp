#include "commands/Refine.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "commands/ClassifyingCommands.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/FloatRounding.h"
#include "core/NumberReader.h"
#include "core/Refine.h"

namespace volmar {

namespace {

int refineThreads = 0;

int threadCount() {
  if (refineThreads > 0) return refineThreads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// The sum of distances as the training keeps it: added in case order in a
// 32-bit float.
float trainingSum(const std::vector<double>& dist) {
  float sum = 0.0f;
  for (double d : dist) sum = SumToFloat(sum, d);
  return sum;
}

}  // namespace

void setRefineThreads(int threads) { refineThreads = threads; }

void refineprototypes1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  requireData(ws);
  const int n = ws.NumPrototypes;
  if (n < 1 || n > MaxPrototypes)
    throw CommandError(std::string("No prototypes are current to refine:") + LineBreak +
                       "train first, or read a prototypes file.");
  if (ws.DistanceKind == DistTanimoto)
    throw CommandError(std::string("Refining moves the prototypes to the means of their classes,") +
                       LineBreak + "which fits the squared Euclidean distance only:" + LineBreak +
                       "choose Euclidean in Parameterize and train again.");
  requireTrainableDistances(ws, n);
  const std::string text = sh.inputBox("Refine prototypes", "maximum # of iterations", "100");
  const auto limit = parseIntegerEntry(text);
  if (!limit || *limit < 1) throw CommandError("'" + text + "' is not a valid number of iterations (1 or more)");

  const int threads = threadCount();
  sh.setBusyCursor(true);
  sh.setStatus("Refine prototypes...");
  sh.appendLine(" ");
  sh.appendLine("Refine prototypes (batch k-means):");
  std::vector<std::int8_t> labels, nextLabels;
  std::vector<double> dist, nextDist;
  double sum = AssignCases(ws, labels, dist, threads);
  sh.appendLine("   start: " + sumOfDistancesText(trainingSum(dist)));
  sh.selectLastLine();
  sh.repaintList();

  std::vector<float> kept(static_cast<std::size_t>(n) * MaxVars);
  auto keep = [&] {
    for (int k = 1; k <= n; ++k)
      std::copy(ws.Prototypes.row(k), ws.Prototypes.row(k) + ws.NumVars, kept.data() + (k - 1) * MaxVars);
  };
  auto restore = [&] {
    for (int k = 1; k <= n; ++k)
      std::copy(kept.data() + (k - 1) * MaxVars, kept.data() + (k - 1) * MaxVars + ws.NumVars, ws.Prototypes.row(k));
  };
  int done = 0;
  bool settled = false;
  while (done < *limit) {
    keep();
    const int refilled = MoveToMeans(ws, labels, dist, threads);
    const double next = AssignCases(ws, nextLabels, nextDist, threads);
    // Rounding of the means can leave a set no better than the last one (or
    // one that only trades cases at equal distances): the last one stays,
    // with its classes.
    if (next > sum || (next == sum && refilled == 0 && nextLabels != labels)) {
      restore();
      settled = true;
      break;
    }
    ++done;
    const bool same = nextLabels == labels;
    labels.swap(nextLabels);
    dist.swap(nextDist);
    sum = next;
    sh.appendLine("   iteration " + std::to_string(done) + ": " + sumOfDistancesText(trainingSum(dist)));
    sh.selectLastLine();
    sh.repaintList();
    if (same && refilled == 0) {
      settled = true;
      break;
    }
  }

  const int column = std::clamp(ws.NumReplications, 1, MaxReplications);
  for (int c = 1; c <= ws.NumCases; ++c) ws.ClassLabels(c, column) = labels[static_cast<std::size_t>(c - 1)];
  CountClassSizes(ws, column);
  ws.SumDist[n] = trainingSum(dist);
  ws.WSSI[n] = WSSIndex(ws).value_or(0.0f);
  sh.setPointValue(Series::Bars, n - 1, ws.SumDist[n]);
  sh.setPointValue(Series::Line, n - 1, ws.WSSI[n]);
  sh.refreshChart();
  sh.appendLine(" ");
  sh.appendLine("   Size of classes:");
  for (int k = 1; k <= n; ++k) sh.appendLine(classShareLine(ws, k));
  sh.appendLine(settled ? "Converged after " + std::to_string(done) + " iterations."
                        : "Stopped after " + std::to_string(done) + " iterations, not converged.");
  sh.selectLastLine();
  sh.repaintList();
  sh.setBusyCursor(false);
  sh.beep();
  sh.setStatus("Done.");
}

}  // namespace volmar
