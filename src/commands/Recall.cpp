#include "commands/Recall.h"

#include <string>

#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"

namespace volmar {

namespace {

void checkRecallable(const Workspace& ws) {
  if (ws.NumCases < 1 || ws.NumVars < 1)
    throw CommandError("No data have been read: open a data file first.");
  if (ws.NumPrototypes < 1)
    throw CommandError(std::string("No prototypes are current to classify with:") + LineBreak +
                       "read a prototypes file (Initialize > Read prototypes from file)" + LineBreak +
                       "or train first.");
  if (ws.NumPrototypes > MaxPrototypes || ws.NumVars > MaxVars || ws.NumCases > MaxCases)
    throw CommandError("The data or the prototypes exceed the limits of the workspace.");
  if (!DistancesInRange(ws, ws.NumPrototypes))
    throw CommandError("The squared distances of these data can reach " +
                       formatGeneral(SquaredDistanceBound(ws, ws.NumPrototypes)) + "," + LineBreak +
                       "more than the classification can rank (1E10)." + LineBreak +
                       "Rescale the data (for example divide them by a constant) and open them again.");
}

}  // namespace

void recallClick(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  checkRecallable(ws);
  const int n = ws.NumPrototypes;
  ws.SumDist[n] = SumOfMinDistances(ws);
  sh.appendLine("sum(dist^2) = " + formatPicture(ws.SumDist[n], "######.000"));
  sh.selectLastLine();
  sh.repaintList();
  sh.setStatus("Classify...");
  Classify(ws, 1);
  CountClassSizes(ws, 1);
  sh.appendLine(" ");
  sh.appendLine("   Recall:");
  sh.appendLine("   Size of classes:");
  for (int k = 1; k <= n; ++k) {
    sh.appendLine("class #" + std::to_string(k) + ": " +
                  formatPicture(ClassShare(ws.ClassSize[k], ws.NumCases), "##0.00") + "%");
    sh.selectLastLine();
    sh.repaintList();
  }
  sh.setStatus("Done.");
}

}  // namespace volmar
