#include "commands/Refine.h"

#include <algorithm>
#include <vector>

#include "commands/ClassifyingCommands.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/FloatRounding.h"
#include "core/NumberReader.h"
#include "core/Parallel.h"
#include "core/Refine.h"

namespace volmar {

namespace {

int refineThreads = 0;

// As many threads as the other sums of distances use (volmar-batch
// --threads), unless a test set them.
int threadCount() {
  if (refineThreads > 0) return refineThreads;
  return std::max(1, EngineThreads());
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
  const RefineResult result = RefinePrototypes(ws, *limit, threads, [&](const RefineStep& step) {
    const std::string sum = sumOfDistancesText(trainingSum(step.dist));
    switch (step.kind) {
      case RefineStep::Start:
        sh.appendLine("   start: " + sum);
        break;
      case RefineStep::Iteration:
        sh.appendLine("   iteration " + std::to_string(step.number) + ": " + sum);
        break;
      case RefineStep::Swap:
        sh.appendLine("   swap " + std::to_string(step.number) + " (" + std::to_string(step.moved) +
                      " prototypes moved): " + sum);
        break;
    }
    sh.selectLastLine();
    sh.repaintList();
  });
  const std::vector<std::int8_t>& labels = result.labels;
  const std::vector<double>& dist = result.dist;
  const int done = result.iterations;
  const bool settled = result.settled;

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
  // ---- Stability (bootstrap) ----
  if (ctx.names.labelledHere && ws.LabelsPrototypes == n && n >= 2) sh.enableMenu(MenuItem::Segmentsbootstrap1, true);
  // ---- end of stability ----
  sh.beep();
  sh.setStatus("Done.");
}

}  // namespace volmar
