#pragma once

// Batch k-means (Lloyd) iterations from the current prototypes: every case
// goes to its nearest prototype under the squared Euclidean distance, then
// every prototype moves to the mean of its cases.
//
//   AssignCases(ws, labels, dist, threads)
//                       labels[c - 1] := nearest of prototypes 1..NumPrototypes
//                       to case c by the winner search of the training (ties to
//                       the lower number), dist[c - 1] := its distance. Returns
//                       the sum of the distances added in case order in double.
//                       The cases are cut into blocks of fixed size, so the
//                       result does not depend on the number of threads.
//   MoveToMeans(ws, labels, dist, threads)
//                       prototype k := mean of the cases labelled k, summed in
//                       double by block and the blocks added in order, rounded
//                       to float once. A prototype that has no case moves to
//                       the case farthest from its own prototype (largest
//                       dist, the lowest number on ties) that no other empty
//                       prototype took. Returns the number of such moves.
//
// Both need NumPrototypes >= 1 and squared Euclidean distances below
// DistanceLimit (Classify's conditions).

#include <cstdint>
#include <vector>

#include "core/Workspace.h"

namespace volmar {

double AssignCases(const Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                   int threads);
int MoveToMeans(Workspace& ws, const std::vector<std::int8_t>& labels, const std::vector<double>& dist,
                int threads);

}  // namespace volmar
