#include "commands/Refine.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "commands/ClassifyingCommands.h"
#include "commands/Profiles.h"
#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/FloatRounding.h"
#include "core/NumberFormat.h"
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

// Whether the labels in ClassLabels are those of a training run with
// several replications of the current number of prototypes: then each of
// them can be refined.
bool severalReplications(const Workspace& ws) {
  return ws.LabelsReplications >= 2 && ws.LabelsReplications == ws.NumReplications &&
         ws.LabelsReplications <= MaxReplications && ws.LabelsPrototypes == ws.NumPrototypes;
}

// The labels of every replication, checked: each must be a class of the
// current number of prototypes.
std::vector<std::vector<std::int8_t>> replicationColumns(const Workspace& ws) {
  const int n = ws.NumPrototypes;
  std::vector<std::vector<std::int8_t>> columns(static_cast<std::size_t>(ws.NumReplications));
  for (int r = 1; r <= ws.NumReplications; ++r) {
    auto& col = columns[static_cast<std::size_t>(r - 1)];
    col.reserve(static_cast<std::size_t>(ws.NumCases));
    for (int c = 1; c <= ws.NumCases; ++c) {
      const std::int8_t k = ws.ClassLabels(c, r);
      if (k < 1 || k > n)
        throw CommandError("Case " + std::to_string(c) + " has no class in replication " + std::to_string(r) + ":" +
                           LineBreak + "train again before refining every replication.");
      col.push_back(k);
    }
  }
  return columns;
}

// One replication refined: its classes and prototypes and how it went.
struct Refined {
  float start = 0, end = 0;  // the sums as the training keeps them
  double exact = 0;          // the end sum added in double, in case order
  int iterations = 0;
  bool settled = false;
  std::vector<std::int8_t> labels;
  std::vector<float> prototypes;  // NumPrototypes rows of NumVars
};

// Every replication of the last run refined from its own solution: the
// last one from the current prototypes when they still give its classes
// (as the run left them), every other from the means of its classes. The
// replications go to the threads one at a time, each refined on its own
// copy of the workspace (small data: one after another in the workspace),
// and nothing depends on how many threads there are.
std::vector<Refined> refineEach(Workspace& ws, const std::vector<std::vector<std::int8_t>>& columns, int limit,
                                int threads) {
  const int reps = ws.NumReplications;
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  std::vector<std::int8_t> current;
  std::vector<double> dist;
  AssignCases(ws, current, dist, threads);
  const bool lastAsLeft = current == columns.back();
  std::vector<float> original;
  for (int k = 1; k <= n; ++k) original.insert(original.end(), ws.Prototypes.row(k), ws.Prototypes.row(k) + nv);

  std::vector<Refined> out(static_cast<std::size_t>(reps));
  // A copy of the workspace for each thread costs more than small data
  // take to refine: those are refined one replication after another in the
  // workspace itself, each on every thread.
  const double size = static_cast<double>(ws.NumCases) * nv * n;
  const int workers = size < 1e7 ? 1 : std::clamp(threads, 1, reps);
  int next = 0;
  std::mutex m;
  std::exception_ptr failure;
  auto work = [&](Workspace& w) {
    while (true) {
      int r;
      {
        std::lock_guard<std::mutex> lock(m);
        if (failure || next == reps) return;
        r = ++next;
      }
      if (r == reps && lastAsLeft) {
        for (int k = 1; k <= n; ++k)
          std::copy_n(original.begin() + static_cast<std::ptrdiff_t>((k - 1) * nv), nv, w.Prototypes.row(k));
      } else {
        PrototypesFromLabels(w, columns[static_cast<std::size_t>(r - 1)], 1);
      }
      Refined& one = out[static_cast<std::size_t>(r - 1)];
      // The last replications, when the other threads run out of work,
      // take every thread (the result is the same on any number).
      const int inner = r > reps - workers + 1 ? threads : 1;
      RefineResult result = RefinePrototypes(w, limit, inner, [&](const RefineStep& step) {
        if (step.kind == RefineStep::Start) one.start = trainingSum(step.dist);
      });
      one.end = trainingSum(result.dist);
      for (double d : result.dist) one.exact += d;
      one.iterations = result.iterations;
      one.settled = result.settled;
      one.labels = std::move(result.labels);
      for (int k = 1; k <= n; ++k) one.prototypes.insert(one.prototypes.end(), w.Prototypes.row(k), w.Prototypes.row(k) + nv);
    }
  };
  auto onCopy = [&] {
    try {
      const std::unique_ptr<Workspace> w = Workspace::create();
      CopyValuesOfCases(values(*w), values(ws));
      work(*w);
    } catch (...) {
      std::lock_guard<std::mutex> lock(m);
      if (!failure) failure = std::current_exception();
    }
  };
  if (workers == 1) {
    try {
      work(ws);
    } catch (...) {
      failure = std::current_exception();
    }
    // The prototypes stay as they were until the caller takes the best.
    for (int k = 1; k <= n; ++k)
      std::copy_n(original.begin() + static_cast<std::ptrdiff_t>((k - 1) * nv), nv, ws.Prototypes.row(k));
  } else {
    std::vector<std::thread> pool;
    // Fewer threads than asked for, if the system gives no more.
    try {
      for (int t = 1; t < workers; ++t) pool.emplace_back(onCopy);
    } catch (const std::system_error&) {
    }
    onCopy();
    for (std::thread& th : pool) th.join();
  }
  if (failure) std::rethrow_exception(failure);
  return out;
}

// The class shares and the fit of the current solution, as the training
// reports and charts them.
void showSolution(Context& ctx, const std::vector<std::int8_t>& labels, float sum) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  const int n = ws.NumPrototypes;
  const int column = std::clamp(ws.NumReplications, 1, MaxReplications);
  for (int c = 1; c <= ws.NumCases; ++c) ws.ClassLabels(c, column) = labels[static_cast<std::size_t>(c - 1)];
  CountClassSizes(ws, column);
  ws.SumDist[n] = sum;
  ws.WSSI[n] = WSSIndex(ws).value_or(0.0f);
  // The bars' scale as the training sets it, so that a lower sum of the
  // lowest number of prototypes still fills the chart.
  if (ws.LowerLimit >= 1 && ws.LowerLimit <= n) sh.setLeftAxis(0, 1.1 * ws.SumDist[ws.LowerLimit]);
  sh.setPointValue(Series::Bars, n - 1, ws.SumDist[n]);
  sh.setPointValue(Series::Line, n - 1, ws.WSSI[n]);
  sh.refreshChart();
  sh.appendLine(" ");
  sh.appendLine("   Size of classes:");
  for (int k = 1; k <= n; ++k) sh.appendLine(classShareLine(ws, k));
}

// Refines every replication, keeps the one with the smallest sum (the
// lowest number on ties) as the current solution in the last column and
// the refined classes of the others in theirs; the last replication's take
// the best one's column.
void refineAll(Context& ctx, const std::vector<std::vector<std::int8_t>>& columns, int limit, int threads) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  const int reps = ws.NumReplications;
  const int n = ws.NumPrototypes;
  const int nv = ws.NumVars;
  sh.appendLine("Refine prototypes (batch k-means), every replication:");
  sh.selectLastLine();
  sh.repaintList();
  std::vector<Refined> all = refineEach(ws, columns, limit, threads);
  int best = 1;
  for (int r = 1; r <= reps; ++r) {
    const Refined& one = all[static_cast<std::size_t>(r - 1)];
    sh.appendLine("   replication " + std::to_string(r) + ": " + sumOfDistancesText(one.start) + " -> " +
                  formatPicture(one.end, "######.000") + ", " + std::to_string(one.iterations) + " iterations" +
                  (one.settled ? "" : ", not converged"));
    if (one.exact < all[static_cast<std::size_t>(best - 1)].exact) best = r;
  }
  sh.selectLastLine();
  sh.repaintList();
  // The best one's classes go to the last column, the last one's to the
  // best one's, every other stays in its own.
  std::swap(all[static_cast<std::size_t>(best - 1)], all.back());
  for (int r = 1; r < reps; ++r) {
    const Refined& one = all[static_cast<std::size_t>(r - 1)];
    for (int c = 1; c <= ws.NumCases; ++c) ws.ClassLabels(c, r) = one.labels[static_cast<std::size_t>(c - 1)];
    ws.RepSumDist[r] = one.end;
  }
  const Refined& kept = all.back();
  ws.RepSumDist[reps] = kept.end;
  for (int k = 1; k <= n; ++k)
    std::copy_n(kept.prototypes.begin() + static_cast<std::ptrdiff_t>((k - 1) * nv), nv, ws.Prototypes.row(k));
  showSolution(ctx, kept.labels, kept.end);
  if (best != reps)
    sh.appendLine("Columns " + std::to_string(best) + " and " + std::to_string(reps) +
                  " of the class labels changed places.");
  sh.appendLine("Replication " + std::to_string(best) + " has the smallest sum and is current now.");
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

  const bool every =
      severalReplications(ws) &&
      sh.askYesNo("The last training run has " + std::to_string(ws.NumReplications) + " replications." +
                  LineBreak + "Refine each of them and keep the best (Yes)," + LineBreak +
                  "or the last one only (No)?") == Answer::Yes;
  const auto columns = every ? replicationColumns(ws) : std::vector<std::vector<std::int8_t>>{};

  const int threads = threadCount();
  sh.setBusyCursor(true);
  sh.setStatus("Refine prototypes...");
  sh.appendLine(" ");
  if (every) {
    refineAll(ctx, columns, *limit, threads);
    sh.selectLastLine();
    sh.repaintList();
    sh.setBusyCursor(false);
    sh.beep();
    sh.setStatus("Done.");
    return;
  }
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
      case RefineStep::Moves:
        sh.appendLine("   moves " + std::to_string(step.number) + " (" + std::to_string(step.moved) +
                      " cases moved): " + sum);
        break;
    }
    sh.selectLastLine();
    sh.repaintList();
  });
  const std::vector<std::int8_t>& labels = result.labels;
  const std::vector<double>& dist = result.dist;
  const int done = result.iterations;
  const bool settled = result.settled;

  showSolution(ctx, labels, trainingSum(dist));
  sh.appendLine(settled ? "Converged after " + std::to_string(done) + " iterations."
                        : "Stopped after " + std::to_string(done) + " iterations, not converged.");
  sh.selectLastLine();
  sh.repaintList();
  sh.setBusyCursor(false);
  // Stability by bootstrap.
  if (ctx.names.labelledHere && ws.LabelsPrototypes == n && n >= 2) sh.enableMenu(MenuItem::Segmentsbootstrap1, true);
  sh.beep();
  sh.setStatus("Done.");
  if (ws.LabelsPrototypes == n && ctx.names.labelledHere) {
    enableSegmentItems(sh, true);
  }
}

}  // namespace volmar
