#pragma once

// Analysis > Stability: how well the segments of a number of prototypes are
// reproduced when both the sample and the random start change. Pairs of
// bootstrap samples are fitted (BootstrapFitter) and the two partitions of
// all cases compared: by the adjusted Rand index for every number of
// prototypes of a range (global), or by the best Jaccard coefficient of
// every segment of the current solution (segments).
//
// Every pair's start state of the generator is fixed before the first fit:
// the run takes one seed, and pair p (numbered over the numbers of
// prototypes, then the pairs) starts where the fits of pairs 0..p-1 would
// leave the generator if they ran one after another. So the values are the
// same for any number of threads and any split into tasks (task I of T
// takes the pairs p with p mod T = I - 1).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/Context.h"

namespace volmar {

enum class StabilityKind { Global, Segments };

// What a study computes.
struct StabilitySettings {
  StabilityKind kind = StabilityKind::Global;
  int lower = 2;  // global: the numbers of prototypes lower..upper
  int upper = 2;
  int pairs = 100;
  bool refine = false;
};

// The values of a study: values[column][pair - 1], a column per number of
// prototypes (global) or per segment (segments), labelled by columns.
struct StabilityResult {
  StabilitySettings settings;
  std::vector<std::string> columns;
  std::vector<std::vector<double>> values;
};

// Five numbers of a column's values. Quartiles by linear interpolation
// between the order statistics: the p-quantile of sorted x[0..B-1] is
// x[h] + (h - floor h)(x[floor h + 1] - x[floor h]) at h = (B - 1) p.
struct FiveNumbers {
  double minimum = 0, q1 = 0, median = 0, q3 = 0, maximum = 0;
};
FiveNumbers fiveNumbers(std::vector<double> values);

// The lines of a study in the output list.
std::vector<std::string> stabilityLines(const StabilityResult& r);
// The box plots.
StabilityChart stabilityChart(const StabilityResult& r);
// The values file: a row per pair, a column per number of prototypes or
// segment, tab-separated, general format, CR LF.
std::string stabilityValuesText(const StabilityResult& r);

// The texts of the stability dialog and what they give.
struct StabilityDialog {
  StabilityKind kind = StabilityKind::Global;
  std::string lower, upper, pairs;
  bool refine = false;
  bool refineAllowed = true;  // squared Euclidean distance
};
StabilityDialog stabilityDialogFor(const Workspace& ws, StabilityKind kind);
// The settings, or throws CommandError with what is wrong.
StabilitySettings readStabilityDialog(const StabilityDialog& d);

// A study run on this machine. With tasks > 1 only task's pairs are fitted
// and written to partFile (replaced only with replacePart) instead of
// being reported.
struct StabilitySplit {
  int tasks = 1;
  int task = 1;
  std::string partFile;
  bool replacePart = false;
};
void runStability(Context& ctx, const StabilitySettings& s, const StabilitySplit& split = {});

// Reads the part files of a split study and reports it as the single run
// would. Refuses parts of different studies, a missing part and a part
// given twice, naming them.
void mergeStabilityParts(Context& ctx, const std::vector<std::string>& files);

// Analysis > Stability > "&Global (bootstrap)..." and "&Segments (bootstrap)...".
void globalbootstrap1Click(Context& ctx);
void segmentsbootstrap1Click(Context& ctx);
// File > Save > "Stability values...".
void stabilityvalues1Click(Context& ctx);

}  // namespace volmar
