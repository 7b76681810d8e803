#pragma once

#include "commands/Context.h"

namespace volmar {

// Analysis > "&Recall": classifies the cases of the current data with the
// current prototypes, without learning. Lists the sum of distances and the
// class shares, and leaves the labels in column 1 of ClassLabels. Refused,
// before anything changes, while no data are loaded, no prototypes are
// current (NumPrototypes 0, as after Parameterize) or the data's distances
// are beyond what the winner search can rank.
void recallClick(Context& ctx);

}  // namespace volmar
