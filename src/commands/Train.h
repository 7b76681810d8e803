#pragma once

#include <functional>

#include "commands/Context.h"

namespace volmar {

// Analysis > "&Train": trains LowerLimit..UpperLimit prototypes, each in
// NumReplications replications, reporting in the output list, the chart and
// the adjacency graph view as it goes.
void run1Click(Context& ctx);

// Where a training run on several threads lets a test step in (make a
// worker fail, or hold it): on a worker thread, at the set-up of its copy of
// the workspace (unit -1), at the start of every unit and at its end, before
// the unit counts as finished (the unit's 0-based place in the serial
// order). Empty in the program.
enum class TrainingUnitPoint { WorkerSetUp, UnitStart, UnitEnd };
using TrainingUnitHook = std::function<void(TrainingUnitPoint, int unit)>;
void setTrainingUnitHook(TrainingUnitHook hook);

// Show > "&Adjacency Graph".
void adjacencygraph1Click(Context& ctx);

}  // namespace volmar
