#include "commands/Recall.h"

#include <string>

#include "commands/ClassifyingCommands.h"
#include "commands/Profiles.h"
#include "core/Distances.h"
#include "core/Limits.h"

namespace volmar {

namespace {

void checkRecallable(const Workspace& ws) {
  requireData(ws);
  if (ws.NumPrototypes < 1)
    throw CommandError(std::string("No prototypes are current to classify with:") + LineBreak +
                       "read a prototypes file (Initialize > Read prototypes from file)" + LineBreak +
                       "or train first.");
  if (ws.NumPrototypes > MaxPrototypes || ws.NumVars > MaxVars || ws.NumCases > MaxCases)
    throw CommandError("The data or the prototypes exceed the limits of the workspace.");
  requireRecallableDistances(ws);
}

}  // namespace

void recallClick(Context& ctx) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  checkRecallable(ws);
  const int n = ws.NumPrototypes;
  ws.SumDist[n] = SumOfMinDistances(ws);
  sh.appendLine(sumOfDistancesText(ws.SumDist[n]));
  sh.selectLastLine();
  sh.repaintList();
  sh.setStatus("Classify...");
  Classify(ws, 1);
  CountClassSizes(ws, 1);
  // With one replication the recalled labels are the ones the block
  // analyses read; with more, column NumReplications keeps the training's.
  if (ws.NumReplications == 1) {
    ws.LabelsPrototypes = n;
    ws.LabelsReplications = 1;
    ctx.names.labelledHere = true;
    enableSegmentItems(sh, true);
    // Stability by bootstrap.
    if (n >= 2) sh.enableMenu(MenuItem::Segmentsbootstrap1, true);
  }
  sh.appendLine(" ");
  sh.appendLine("   Recall:");
  sh.appendLine("   Size of classes:");
  for (int k = 1; k <= n; ++k) {
    sh.appendLine(classShareLine(ws, k));
    sh.selectLastLine();
    sh.repaintList();
  }
  sh.setStatus("Done.");
}

}  // namespace volmar
