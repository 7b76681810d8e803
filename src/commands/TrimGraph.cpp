#include "commands/TrimGraph.h"

#include <algorithm>
#include <string>

#include "core/NumberReader.h"

namespace volmar {

void trimadjacencygraph1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  const std::string text =
      ctx.shell.inputBox("Input a minimum cutoff value...", "for the statistical Neighborhood:", "0");
  const auto cutoff = parseRealEntry(text);
  if (!cutoff) throw CommandError("'" + text + "' is not a valid floating point value");
  const double c = static_cast<double>(*cutoff);
  if (!(c > 0)) return;
  // Percentages of no cases are not defined: the graph is left as it is.
  if (ws.NumCases < 1) throw CommandError("There are no cases: the statistical neighborhood is not defined.");
  const int k = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= k; ++j) {
      ws.AdjacencyBackup(i, j) = ws.Adjacency(i, j);
      if (100.0 * ws.NeighborhoodCounts(i, j) / ws.NumCases < c) ws.Adjacency(i, j) = 0;
    }
  }
  ctx.shell.enableMenu(MenuItem::Restoreadjacencygraph1, true);
}

void restoreadjacencygraph1Click(Context& ctx) {
  Workspace& ws = ctx.ws;
  const int k = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  for (int i = 1; i <= k; ++i)
    for (int j = 1; j <= k; ++j) ws.Adjacency(i, j) = ws.AdjacencyBackup(i, j);
  ctx.shell.message("Adjacency graph restored.");
}

}  // namespace volmar
