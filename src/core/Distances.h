#pragma once

// Distances between cases and prototypes, the winner search and the
// partition of the cases by their nearest prototype. All routines work in
// place on the workspace and keep no state of their own; indexes are 1-based.
//
//   CaseDistance(ws, c, k)     distance of case c to prototype k under
//                              DistanceKind: 1 = Tanimoto, 1 - sxw / den with
//                              den = sxx + sww - sxw, exactly 1 unless den > 0;
//                              any other kind = squared Euclidean. All sums in
//                              double, variables taken in order 1..NumVars.
//   PrototypeDistance(ws,a,b)  squared Euclidean distance of two prototypes,
//                              whatever DistanceKind says.
//   FindNearest(ws, k)         k := number of the smallest Dist[1..NumPrototypes],
//                              scanning upwards with a running bound that starts
//                              at 1e10 and is kept as a 32-bit float; ties go to
//                              the lower number, entries >= 1e10 are never taken
//                              and k is left as it was when nothing is below.
//   SumOfMinDistances(ws)      sum over the cases of the distance to the nearest
//                              prototype, kept as a 32-bit float (rounded after
//                              every addition). Overwrites Dist. Needs
//                              NumPrototypes >= 1 (returns 0 otherwise).
//   Classify(ws, r)            ClassLabels[c, r] := nearest prototype of case c.
//                              Overwrites Dist; other columns untouched.
//   CountClassSizes(ws, r)     ClassSize[1..NumPrototypes] from column r; labels
//                              outside 1..NumPrototypes are not counted.
//   RandomSeed(ws, n)          prototypes 1..n := independently drawn cases.
//   ColumnMean(ws, v)          mean of variable v, summed as a 32-bit float; 0
//                              when there are no cases.
//   DrawCase(ws)               one draw of a case number in 1..NumCases from the
//                              shared generator: nearest integer to u*n + 0.5
//                              (halves to even); the draw u = 0, which would
//                              give case 0, gives case 1.
//   DistanceBeyondLimit(ws, n, move)
//                              a squared Euclidean distance of at least
//                              DistanceLimit (less a small margin) that the
//                              winner search could meet between a case and
//                              prototypes 1..n, or none. With move (training)
//                              the prototypes may go anywhere in the hull of
//                              the cases and prototypes 1..n, so the pairs of
//                              a case with every case and prototype count;
//                              without (recall) only the case-prototype pairs.
//                              Tanimoto distances lie in [0, 4/3]: never.
//                              Only pairs whose distances to the data's mean
//                              could add up to the limit are measured.
//   DistancesInRange(ws, n, move)   no such distance exists. The training run
//                              and recall refuse data (or prototypes) beyond.
//
// The kernels behind SumOfMinDistances, Classify and the presentation step give
// bit for bit the values CaseDistance gives; the sums are never regrouped.
// SumOfMinDistances and Classify spread the cases over EngineThreads()
// threads (Parallel.h) when the data are large enough; the winners, the sum
// (added in case order afterwards) and Dist are those of the serial loop.

#include <optional>

#include "core/Workspace.h"

namespace volmar {

// An entry of Dist at or above this value is invisible to the winner search;
// the ranking sets a taken prototype's entry to exactly this value.
inline constexpr double DistanceLimit = 1e10;

double CaseDistance(const Workspace& ws, int c, int k);
double PrototypeDistance(const Workspace& ws, int a, int b);
void FindNearest(const Workspace& ws, int& k);
float SumOfMinDistances(Workspace& ws);
void Classify(Workspace& ws, int r);
void CountClassSizes(Workspace& ws, int r);
void RandomSeed(Workspace& ws, int n);
float ColumnMean(const Workspace& ws, int v);

int DrawCase(Workspace& ws);
std::optional<double> DistanceBeyondLimit(const Workspace& ws, int numPrototypes, bool prototypesMove);
bool DistancesInRange(const Workspace& ws, int numPrototypes, bool prototypesMove);

}  // namespace volmar
