#include "commands/ClassifyingCommands.h"

#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NumberFormat.h"

namespace volmar {

void requireData(const Workspace& ws) {
  if (ws.NumCases < 1 || ws.NumVars < 1)
    throw CommandError("No data have been read: open a data file first.");
}

void requireRankableDistances(const Workspace& ws, int numPrototypes, const char* what) {
  if (DistancesInRange(ws, numPrototypes)) return;
  if (numPrototypes > 0 && DistancesInRange(ws, 0))
    // The data alone are fine: the prototypes lie far away from them.
    throw CommandError("The squared distances between these data and the prototypes can reach " +
                       formatGeneral(SquaredDistanceBound(ws, numPrototypes)) + "," + LineBreak +
                       "more than the " + what + " can rank (1E10)." + LineBreak +
                       "The prototypes lie far outside the range of the data: read prototypes" +
                       LineBreak + "written for these data (or rescale the prototypes file).");
  throw CommandError("The squared distances of these data can reach " +
                     formatGeneral(SquaredDistanceBound(ws, numPrototypes)) + "," + LineBreak +
                     "more than the " + what + " can rank (1E10)." + LineBreak +
                     "Rescale the data (for example divide them by a constant) and open them again.");
}

std::string sumOfDistancesText(double sum) { return "sum(dist^2) = " + formatPicture(sum, "######.000"); }

std::string classShareLine(const Workspace& ws, int k) {
  return "class #" + std::to_string(k) + ": " +
         formatPicture(ClassShare(ws.ClassSize[k], ws.NumCases), "##0.00") + "%";
}

}  // namespace volmar
