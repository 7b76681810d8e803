#pragma once

// The learning engine: the numerical routines that work in place on the
// workspace. No user interface, no files, no messages: where something cannot
// be computed the routine says so in its result and the caller reports it.
//
//   Distances.h    CaseDistance, PrototypeDistance, FindNearest,
//                  SumOfMinDistances, Classify, CountClassSizes, RandomSeed,
//                  ColumnMean, DrawCase, and the distance range check.
//   NeuralGas.h    the learning state, the presentation step (one at a time
//                  or a run of them), UpdateConnections, schedule checks.
//   FitMeasures.h  DataRangeSum, WSSIndex, FitDimensionality, ClassShare.
//   Sammon.h       SammonProjection, ProjectionBounds.

#include "core/Distances.h"
#include "core/FitMeasures.h"
#include "core/NeuralGas.h"
#include "core/Sammon.h"
