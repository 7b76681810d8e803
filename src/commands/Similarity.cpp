#include "commands/Similarity.h"

#include <cmath>
#include <limits>

#include "commands/ClassifyingCommands.h"
#include "core/Distances.h"
#include "core/NumberFormat.h"

namespace volmar {

namespace {

// The commands run on the current prototype set; without one, or without
// cases to count, there is nothing to list.
void requirePrototypes(const Workspace& ws) {
  if (ws.NumPrototypes < 1 || ws.NumPrototypes > MaxPrototypes)
    throw CommandError(std::string("No prototypes are current to compare:") + LineBreak +
                       "train first, or read a prototypes file.");
}

void requireCountable(const Workspace& ws) {
  requirePrototypes(ws);
  requireData(ws);
  requireRecallableDistances(ws);
}

PrototypeMatrix<double> prototypeDistances(const Workspace& ws) {
  PrototypeMatrix<double> d2;
  const int k = ws.NumPrototypes;
  for (int i = 1; i <= k; ++i)
    for (int j = i + 1; j <= k; ++j) d2(i, j) = d2(j, i) = PrototypeDistance(ws, i, j);
  return d2;
}

void appendListing(Shell& sh, const PrototypeMatrix<double>& values, int k) {
  for (const std::string& line : rankedPairLines(values, k)) {
    sh.appendLine(line);
    sh.selectLastLine();
  }
}

}  // namespace

void countWinnerPairs(Workspace& ws, PrototypeMatrix<std::int32_t>& counts) {
  const int k = ws.NumPrototypes;
  for (int i = 1; i <= k; ++i)
    for (int j = 1; j <= k; ++j) counts(i, j) = 0;
  // One variable for both searches, carried from case to case: a search
  // that finds nothing below the bound leaves it as it was.
  int nearest = 1;
  for (int c = 1; c <= ws.NumCases; ++c) {
    for (int p = 1; p <= k; ++p) ws.Dist[p] = CaseDistance(ws, c, p);
    FindNearest(ws, nearest);
    const int w = nearest;
    ws.Ranking[1] = static_cast<std::int8_t>(w);
    ws.Dist[w] = DistanceLimit;
    FindNearest(ws, nearest);
    const int s = nearest;
    ws.Ranking[2] = static_cast<std::int8_t>(s);
    ws.Dist[s] = DistanceLimit;
    counts(w, s) += 1;
    counts(s, w) = counts(w, s);
  }
}

std::vector<std::string> rankedPairLines(const PrototypeMatrix<double>& values, int k) {
  std::vector<std::string> lines;
  PrototypeMatrix<bool> listed;
  const int pairs = k * (k - 1) / 2;
  for (int n = 0; n < pairs; ++n) {
    int bi = 0, bj = 0;
    for (int i = 1; i < k; ++i)
      for (int j = i + 1; j <= k; ++j)
        if (!listed(i, j) && (bi == 0 || values(i, j) > values(bi, bj))) {
          bi = i;
          bj = j;
        }
    listed(bi, bj) = true;
    const double v = values(bi, bj);
    const std::string text = std::isinf(v) ? std::string("coinciding prototypes (distance 0)")
                                           : formatPicture(v, "########0.0##");
    lines.push_back(std::to_string(bi) + "..." + std::to_string(bj) + ":  " + text);
  }
  return lines;
}

void statNeighborhood1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  requireCountable(ws);
  PrototypeMatrix<std::int32_t> counts;
  countWinnerPairs(ws, counts);
  const int k = ws.NumPrototypes;
  for (int i = 1; i <= k; ++i)
    for (int j = 1; j <= k; ++j) ws.NeighborhoodCounts(i, j) = counts(i, j);
  sh.appendLine(" ");
  sh.appendLine("statistical neighborhood matrix:");
  sh.appendLine("(pct of datapoints in descending order)");
  PrototypeMatrix<double> pct;
  for (int i = 1; i <= k; ++i)
    for (int j = i + 1; j <= k; ++j) pct(i, j) = 100.0 * ws.NeighborhoodCounts(i, j) / ws.NumCases;
  appendListing(sh, pct, k);
  sh.enableMenu(MenuItem::Trimadjacencygraph1, true);
}

void squEuclDist1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  requirePrototypes(ws);
  const PrototypeMatrix<double> d2 = prototypeDistances(ws);
  sh.appendLine(" ");
  sh.appendLine("inter-prototypes distance matrix:");
  sh.appendLine("(negative squared Euclidean distances)");
  const int k = ws.NumPrototypes;
  PrototypeMatrix<double> v;
  for (int i = 1; i <= k; ++i)
    for (int j = i + 1; j <= k; ++j) v(i, j) = d2(i, j) > 0 ? -d2(i, j) : 0.0;  // never -0
  appendListing(sh, v, k);
}

void statNbhdsquEucD1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  requireCountable(ws);
  const PrototypeMatrix<double> d2 = prototypeDistances(ws);
  PrototypeMatrix<std::int32_t> counts;
  countWinnerPairs(ws, counts);
  sh.appendLine(" ");
  sh.appendLine("(statNbhd / Dist) matrix:");
  const int k = ws.NumPrototypes;
  PrototypeMatrix<double> v;
  for (int i = 1; i <= k; ++i)
    for (int j = i + 1; j <= k; ++j)
      v(i, j) = d2(i, j) > 0 ? 100.0 * counts(i, j) / (ws.NumCases * d2(i, j))
                             : std::numeric_limits<double>::infinity();
  appendListing(sh, v, k);
}

}  // namespace volmar
