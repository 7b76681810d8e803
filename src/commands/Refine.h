#pragma once

#include "commands/Context.h"

namespace volmar {

// Analysis > "Refine prototypes (batch k-means)": batch k-means iterations
// from the current prototypes on the current data, until no case changes
// its class or the number of iterations asked for (100 by default) is done.
// Each iteration moves every prototype to the mean of its class (a prototype
// without cases to the case farthest from its own prototype) and lists the
// new sum of distances. Only a set that lowers the sum is kept, so the sum
// never rises. When the iterations slow down, swap rounds move the
// prototypes that are cheapest to lose to split the classes that gain most
// (RefinePrototypes in core/Refine.h), one line each, and the iterations go
// on from the last kept round. At the end: the class shares, the iterations
// and whether the classes settled. Writes Prototypes, ClassLabels column NumReplications,
// ClassSize, SumDist and WSSI of NumPrototypes and their chart points; the
// connection graph and its projection stay those of the training.
// Squared Euclidean distance only: with Tanimoto the class mean does not
// minimise the distances, and the command is refused.
void refineprototypes1Click(Context& ctx);

// Threads the refinement uses (0, the default: EngineThreads(), every core
// unless volmar-batch --threads says otherwise). The results do not depend
// on it.
void setRefineThreads(int threads);

}  // namespace volmar
