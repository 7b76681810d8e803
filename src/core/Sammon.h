#pragma once

// Sammon projection of the prototypes into the plane, and its bounding box.
//
//   SammonProjection(ws)  reseeds the shared generator from its seed source,
//                         draws SammonX[k], SammonY[k] (k = 1..K, x before y)
//                         uniformly from [0, 1), then runs 100 iterations of
//                         the per-coordinate Newton step (step factor 0.2, all
//                         points moving together from the previous iteration's
//                         coordinates), centring the points after each. The
//                         targets are the Euclidean distances of the prototypes
//                         in the full space (sqrt of PrototypeDistance). A pair
//                         whose points coincide in the plane (d = 0), or whose
//                         terms overflow, loses its remaining terms for that
//                         point and iteration; every such skip is counted in
//                         underflowPairs, so that the caller can say "Underflow."
//                         once per projection instead of once per pair. Returns
//                         the stress of the final configuration,
//                         sum (D - d)^2 / D' over sum D with D' = D, or 1 for
//                         D = 0. When K = 1 or all prototypes coincide (every
//                         D = 0, stress 0 / 0) the exact picture is one point:
//                         all coordinates become 0, stress 0, and coincident is
//                         set; no iterations are run. Entries above K are left.
//   SammonFromLayout(ws)  the same without the reseeding and the random start:
//                         the iterations start from SammonX/SammonY[1..K] as
//                         they are (SammonProjection = random start + this).
//   ProjectionBounds(ws)  minX, minY and the larger of the two extents of
//                         SammonX/SammonY[1..K], kept in single precision and
//                         starting from 1e10 / -1e10. The extent is 0 when all
//                         points coincide; views must not divide by it then.

#include "core/Workspace.h"

namespace volmar {

struct SammonResult {
  double stress = 0;
  int underflowPairs = 0;  // pair terms skipped because points coincided
  bool coincident = false; // K < 2 or all prototypes at one place
};

struct ProjectionBox {
  float minX = 0;
  float minY = 0;
  float extent = 0;
};

inline constexpr int SammonIterations = 100;
inline constexpr double SammonStepFactor = 0.2;

SammonResult SammonProjection(Workspace& ws);
SammonResult SammonFromLayout(Workspace& ws);
ProjectionBox ProjectionBounds(const Workspace& ws);

}  // namespace volmar
