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
//   SquaredDistanceBound(ws,n) squared diagonal of the box spanned by the cases
//                              and prototypes 1..n: no squared Euclidean distance
//                              between a case and a prototype inside that box
//                              can exceed it. Training keeps prototypes inside
//                              the box, so a bound below DistanceLimit means the
//                              winner search sees every prototype.
//   DistancesInRange(ws, n)    false when the distances of this data could reach
//                              DistanceLimit (squared Euclidean only; Tanimoto
//                              distances lie in [0, 4/3]). The training run and
//                              recall refuse such data.
//
// The kernels behind SumOfMinDistances, Classify and the presentation step give
// bit for bit the values CaseDistance gives; the sums are never regrouped.

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
double SquaredDistanceBound(const Workspace& ws, int numPrototypes);
bool DistancesInRange(const Workspace& ws, int numPrototypes);

}  // namespace volmar
