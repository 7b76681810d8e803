#include "core/FitMeasures.h"

#include <algorithm>
#include <cmath>

namespace volmar {

double DataRangeSum(const Workspace& ws) {
  const int nv = ws.NumVars;
  if (nv < 1 || ws.NumCases < 1) return 0.0;
  // One pass over the rows; min and max of floats are exact, so taking them
  // before widening to double gives the same ranges.
  alignas(64) float lo[MaxVars];
  alignas(64) float hi[MaxVars];
  std::copy(ws.DataMatrix.row(1), ws.DataMatrix.row(1) + nv, lo);
  std::copy(ws.DataMatrix.row(1), ws.DataMatrix.row(1) + nv, hi);
  for (int c = 2; c <= ws.NumCases; ++c) {
    const float* x = ws.DataMatrix.row(c);
    for (int i = 0; i < nv; ++i) {
      lo[i] = std::min(lo[i], x[i]);
      hi[i] = std::max(hi[i], x[i]);
    }
  }
  double sum = 0;
  for (int i = 0; i < nv; ++i) sum += static_cast<double>(hi[i]) - static_cast<double>(lo[i]);
  return sum;
}

std::optional<float> WSSIndex(const Workspace& ws) {
  const int n = ws.NumPrototypes;
  if (n < 1) return std::nullopt;
  const double dataRanges = DataRangeSum(ws);
  if (!(dataRanges > 0)) return std::nullopt;
  bool flagged[MaxPrototypes] = {};
  double protoRanges = 0;
  for (int v = 1; v <= ws.NumVars; ++v) {
    double lo = ws.Prototypes(1, v);
    double hi = lo;
    for (int k = 2; k <= n; ++k) {
      const double w = ws.Prototypes(k, v);
      lo = std::min(lo, w);
      hi = std::max(hi, w);
    }
    for (int k = 1; k <= n; ++k) {
      const double w = ws.Prototypes(k, v);
      if (w == hi || w == lo) flagged[k - 1] = true;
    }
    protoRanges += hi - lo;
  }
  const int numFlagged = static_cast<int>(std::count(flagged, flagged + n, true));
  const long double q = (static_cast<long double>(protoRanges) * numFlagged) /
                        (static_cast<long double>(dataRanges) * n);
  return static_cast<float>(q);
}

std::optional<DimensionalityFit> FitDimensionality(const Workspace& ws, int n) {
  if (n < 2 || n > MaxPrototypes) return std::nullopt;
  double sx = 0, sy = 0, sxy = 0, sxx = 0;
  for (int m = 1; m <= n; ++m) {
    const double s = ws.SumDist[m];
    if (!(s > 0) || !std::isfinite(s)) return std::nullopt;
    const double x = static_cast<float>(std::log(static_cast<long double>(m)));
    const double y = static_cast<double>(std::log(static_cast<long double>(s)));
    sx += x;
    sy += y;
    sxy += x * y;
    sxx += x * x;
  }
  const long double nn = n;
  const long double den = nn * sxx - static_cast<long double>(sx) * sx;
  if (!(den != 0)) return std::nullopt;
  DimensionalityFit fit;
  fit.slope = static_cast<float>((nn * sxy - static_cast<long double>(sx) * sy) / den);
  fit.intercept = static_cast<float>(sy / nn - fit.slope * static_cast<long double>(sx) / nn);
  return fit;
}

std::optional<double> StatisticalDimensionality(const DimensionalityFit& fit) {
  if (fit.slope == 0 || !std::isfinite(fit.slope)) return std::nullopt;
  return -2.0 / static_cast<double>(fit.slope);
}

float ClassShare(int classSize, int numCases) {
  if (numCases < 1) return 0.0f;
  return static_cast<float>(static_cast<long double>(classSize) * 100 / numCases);
}

}  // namespace volmar
