#pragma once

#include "commands/Context.h"

namespace volmar {

// Analysis > "&Train": trains LowerLimit..UpperLimit prototypes, each in
// NumReplications replications, reporting in the output list, the chart and
// the adjacency graph view as it goes.
void run1Click(Context& ctx);

// Show > "&Adjacency Graph".
void adjacencygraph1Click(Context& ctx);

}  // namespace volmar
