#pragma once

#include "commands/Context.h"

namespace volmar {

// Analysis > Initialize > "&Subtractive clustering": the next training run
// seeds from density centres instead of random trials.
void subtractiveclustering1Click(Context& ctx);

// Fills Prototypes rows 1..K with the K density centres among the cases,
// asking the user for the radius and logging each centre; clears
// UseSubtClus and NumTrials at its end. Throws CommandError for a radius
// that is not a number or is 0, before anything is changed.
void SubtClus(Context& ctx, int K);

}  // namespace volmar
