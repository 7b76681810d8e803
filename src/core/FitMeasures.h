#pragma once

// Fit measures of a set of prototypes.
//
//   DataRangeSum(ws)         sum over the variables of (largest - smallest)
//                            value of the cases, in double.
//   WSSIndex(ws)             wSSI = (P * F) / (D * N), formed in long double and
//                            returned as a 32-bit float: P = sum of the
//                            prototypes' ranges per variable, F = number of
//                            prototypes that equal (exactly) the largest or the
//                            smallest prototype value on some variable, D =
//                            DataRangeSum, N = NumPrototypes. Nothing when D is
//                            0 (every variable constant) or N < 1: the index is
//                            then not defined.
//   FitDimensionality(ws, n) least-squares line ln SumDist[m] = a + b * ln m over
//                            m = 1..n, with ln m rounded to a 32-bit float, sums
//                            in double, slope and intercept formed in long double
//                            and stored as 32-bit floats. Nothing when n < 2 or
//                            some SumDist[m] is not a positive finite number.
//   StatisticalDimensionality(fit)
//                            -2 / slope; nothing for a slope of 0.
//   ClassShare(size, cases)  size * 100 / cases in long double, as a 32-bit
//                            float (percent); 0 when there are no cases.

#include <optional>

#include "core/Workspace.h"

namespace volmar {

struct DimensionalityFit {
  float intercept = 0;  // a
  float slope = 0;      // b
};

double DataRangeSum(const Workspace& ws);
std::optional<float> WSSIndex(const Workspace& ws);
std::optional<DimensionalityFit> FitDimensionality(const Workspace& ws, int n);
std::optional<double> StatisticalDimensionality(const DimensionalityFit& fit);
float ClassShare(int classSize, int numCases);

}  // namespace volmar
