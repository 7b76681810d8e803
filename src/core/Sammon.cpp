#include "core/Sammon.h"

#include <cmath>

#include "core/Distances.h"

namespace volmar {

namespace {

// acc += term unless the term or the sum is not a finite number; reports
// whether it was added (a floating-point fault otherwise).
bool addFinite(double& acc, double term) {
  const double s = acc + term;
  if (!std::isfinite(term) || !std::isfinite(s)) return false;
  acc = s;
  return true;
}

}  // namespace

SammonResult SammonProjection(Workspace& ws) {
  ws.Rng.seedFromClock();
  for (int p = 1; p <= ws.NumPrototypes; ++p) {
    ws.SammonX[p] = ws.Rng.next();
    ws.SammonY[p] = ws.Rng.next();
  }
  return SammonFromLayout(ws);
}

SammonResult SammonFromLayout(Workspace& ws) {
  SammonResult result;
  const int k = ws.NumPrototypes;

  // Target distances, D[p][j] = D[j][p], diagonal unused.
  double target[MaxPrototypes + 1][MaxPrototypes + 1];
  bool anyApart = false;
  for (int p = 2; p <= k; ++p) {
    for (int j = 1; j < p; ++j) {
      const double dist = std::sqrt(PrototypeDistance(ws, p, j));
      target[p][j] = dist;
      target[j][p] = dist;
      if (dist != 0) anyApart = true;
    }
  }
  if (!anyApart) {
    for (int p = 1; p <= k; ++p) ws.SammonX[p] = ws.SammonY[p] = 0.0;
    result.coincident = true;
    return result;
  }

  double* x = ws.SammonX.data();  // x[p - 1] is SammonX[p]
  double* y = ws.SammonY.data();
  double newX[MaxPrototypes];
  double newY[MaxPrototypes];
  // The terms of every ordered pair (p, j). Those of (j, p) follow from
  // those of (p, j) exactly: the differences change sign and nothing else
  // (x[j] - x[p] is -(x[p] - x[j]) in floating point too), so each pair is
  // measured once; the sums still take the terms in the order of j.
  struct Terms {
    double gx, gy, hx, hy;
    bool together;  // the two points coincide
  };
  static thread_local Terms terms[MaxPrototypes][MaxPrototypes];
  for (int iter = 0; iter < SammonIterations; ++iter) {
    for (int p = 1; p < k; ++p)
      for (int j = 0; j < p; ++j) {
        const double dx = x[p] - x[j];
        const double dy = y[p] - y[j];
        const double d = std::sqrt(dx * dx + dy * dy);
        const double dt = target[p + 1][j + 1];
        const double e = dt - d;
        double l = dt * d;
        if (l == 0) l = 1;
        Terms& t = terms[p][j];
        t.gx = dx * e / l;
        t.gy = dy * e / l;
        t.hx = (e - dx * dx * (e / d + 1) / d) / l;
        t.hy = (e - dy * dy * (e / d + 1) / d) / l;
        t.together = d == 0;
        terms[j][p] = {-t.gx, -t.gy, t.hx, t.hy, t.together};
      }
    for (int p = 0; p < k; ++p) {
      double gx = 0, gy = 0, hx = 0, hy = 0;
      for (int j = 0; j < k; ++j) {
        if (j == p) continue;
        const Terms& t = terms[p][j];
        if (!addFinite(gx, t.gx) || !addFinite(gy, t.gy) || t.together || !addFinite(hx, t.hx) ||
            !addFinite(hy, t.hy)) {
          ++result.underflowPairs;
        }
      }
      if (hx == 0) hx = 1;
      if (hy == 0) hy = 1;
      newX[p] = x[p] + SammonStepFactor * gx / std::fabs(hx);
      newY[p] = y[p] + SammonStepFactor * gy / std::fabs(hy);
    }
    double mx = 0, my = 0;
    for (int p = 0; p < k; ++p) {
      mx += newX[p];
      my += newY[p];
    }
    mx /= k;
    my /= k;
    for (int p = 0; p < k; ++p) {
      x[p] = newX[p] - mx;
      y[p] = newY[p] - my;
    }
  }

  // Stress of the final configuration (the stress of earlier iterations is
  // never used, so it is formed once).
  double num = 0, den = 0;
  for (int p = 1; p < k; ++p) {
    for (int j = 0; j < p; ++j) {
      const double dx = x[p] - x[j];
      const double dy = y[p] - y[j];
      const double d = std::sqrt(dx * dx + dy * dy);
      const double dt = target[p + 1][j + 1];
      const double diff = dt - d;
      num += diff * diff / (dt == 0 ? 1.0 : dt);
      den += dt;
    }
  }
  result.stress = num / den;
  return result;
}

ProjectionBox ProjectionBounds(const Workspace& ws) {
  float minX = 1e10f, minY = 1e10f, maxX = -1e10f, maxY = -1e10f;
  for (int k = 1; k <= ws.NumPrototypes; ++k) {
    const double sx = ws.SammonX[k];
    const double sy = ws.SammonY[k];
    if (sx < minX) minX = static_cast<float>(sx);
    if (sy < minY) minY = static_cast<float>(sy);
    if (sx > maxX) maxX = static_cast<float>(sx);
    if (sy > maxY) maxY = static_cast<float>(sy);
  }
  ProjectionBox box;
  box.minX = minX;
  box.minY = minY;
  box.extent = maxX - minX;
  if (maxY - minY > box.extent) box.extent = maxY - minY;
  return box;
}

}  // namespace volmar
