#include "commands/ClassifyingCommands.h"

#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NeuralGas.h"
#include "core/NumberFormat.h"

namespace volmar {

void requireData(const Workspace& ws) {
  if (ws.NumCases < 1 || ws.NumVars < 1)
    throw CommandError("No data have been read: open a data file first.");
}

void requireLearningSchedule(const Workspace& ws) {
  if (InvalidStartValue(ws) != StartValue::None)
    throw CommandError(
        "The learning rate, adjacency update parameter and lifetime parameter must be above 0: "
        "use Parameterize to set them.");
  if (!ScheduleLength(ws.NumCases, ws.NumEpochs))
    throw CommandError(std::to_string(ws.NumCases) + " cases x " + std::to_string(ws.NumEpochs) +
                       " epochs are too many presentations: use fewer epochs.");
}

void requireTrainableDistances(const Workspace& ws, int numPrototypes) {
  const auto beyond = DistanceBeyondLimit(ws, numPrototypes, true);
  if (!beyond) return;
  throw CommandError("The squared distances of these data can reach " + formatGeneral(*beyond) + "," +
                     LineBreak + "more than the training can rank (1E10)." + LineBreak +
                     "Rescale the data (for example divide them by a constant) and open them again.");
}

void requireRecallableDistances(const Workspace& ws) {
  const auto beyond = DistanceBeyondLimit(ws, ws.NumPrototypes, false);
  if (!beyond) return;
  throw CommandError("The squared distances between the data and the prototypes can reach " +
                     formatGeneral(*beyond) + "," + LineBreak +
                     "more than the classification can rank (1E10)." + LineBreak +
                     "The prototypes do not fit these data: read prototypes on the data's scale.");
}

std::string sumOfDistancesText(double sum) { return "sum(dist^2) = " + formatPicture(sum, "######.000"); }

std::string classShareLine(const Workspace& ws, int k) {
  return "class #" + std::to_string(k) + ": " +
         formatPicture(ClassShare(ws.ClassSize[k], ws.NumCases), "##0.00") + "%";
}

}  // namespace volmar
