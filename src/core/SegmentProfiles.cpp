#include "core/SegmentProfiles.h"

#include <algorithm>
#include <cmath>

#include "core/FitMeasures.h"

namespace volmar {

namespace {

// Slack on the thresholds: a difference within a millionth of one counts as
// reaching it (0.7 - 0.45 in 32-bit floats falls short of 0.25 by 1e-8).
constexpr double Slack = 1e-6;

bool reaches(double value, double threshold) { return value >= threshold - Slack * std::max(1.0, threshold); }

double spread(long double sum, long double squares, long double n) {
  if (n <= 0) return 0;
  const long double mean = sum / n;
  const long double var = squares / n - mean * mean;
  return var > 0 ? static_cast<double>(std::sqrt(var)) : 0.0;
}

}  // namespace

bool isMarker(double prototype, const VariableSpread& v, const MarkerThresholds& t) {
  if (!(v.sd > 0)) return false;
  const double diff = std::fabs(prototype - v.mean);
  const double absolute = v.outsideUnit ? diff / v.sd : diff;
  if (reaches(absolute, t.absolute)) return true;
  if (v.mean == 0) return false;
  return reaches(diff / std::fabs(v.mean) * 100, t.relative);
}

SegmentProfiles ComputeSegmentProfiles(const Workspace& ws, int labelColumn) {
  SegmentProfiles p;
  p.numVars = std::clamp(ws.NumVars, 0, MaxVars);
  p.numSegments = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  p.numCases = std::clamp(ws.NumCases, 0, MaxCases);
  const int V = p.numVars, S = p.numSegments;
  const int column = std::clamp(labelColumn, 1, MaxReplications);
  const std::size_t cells = static_cast<std::size_t>(S) * static_cast<std::size_t>(V);
  p.variables.assign(static_cast<std::size_t>(V), {});
  p.size.assign(static_cast<std::size_t>(S), 0);
  p.share.assign(static_cast<std::size_t>(S), 0);
  p.prototype.assign(cells, 0);
  p.caseMean.assign(cells, 0);
  p.caseSd.assign(cells, 0);

  // Sums and sums of squares: [0] the whole sample, [s] segment s.
  const std::size_t groups = static_cast<std::size_t>(S) + 1;
  std::vector<long double> sum(groups * static_cast<std::size_t>(V), 0), squares(sum);
  for (int c = 1; c <= p.numCases; ++c) {
    const int label = ws.ClassLabels(c, column);
    const float* row = ws.DataMatrix.row(c);
    const bool labelled = label >= 1 && label <= S;
    if (labelled) ++p.size[static_cast<std::size_t>(label - 1)];
    long double* all = &sum[0];
    long double* allSq = &squares[0];
    long double* seg = labelled ? &sum[static_cast<std::size_t>(label) * static_cast<std::size_t>(V)] : nullptr;
    long double* segSq = labelled ? &squares[static_cast<std::size_t>(label) * static_cast<std::size_t>(V)] : nullptr;
    for (int v = 0; v < V; ++v) {
      const long double x = row[v];
      all[v] += x;
      allSq[v] += x * x;
      if (seg) {
        seg[v] += x;
        segSq[v] += x * x;
      }
      VariableSpread& var = p.variables[static_cast<std::size_t>(v)];
      if (x < 0 || x > 1) var.outsideUnit = true;
      if (c == 1 || row[v] < var.low) var.low = row[v];
      if (c == 1 || row[v] > var.high) var.high = row[v];
    }
  }
  for (int v = 0; v < V; ++v) {
    VariableSpread& var = p.variables[static_cast<std::size_t>(v)];
    if (p.numCases > 0) var.mean = static_cast<double>(sum[static_cast<std::size_t>(v)] / p.numCases);
    var.sd = spread(sum[static_cast<std::size_t>(v)], squares[static_cast<std::size_t>(v)], p.numCases);
  }
  for (int s = 1; s <= S; ++s) {
    const int n = p.size[static_cast<std::size_t>(s - 1)];
    p.share[static_cast<std::size_t>(s - 1)] = ClassShare(n, ws.NumCases);
    for (int v = 1; v <= V; ++v) {
      const std::size_t k = p.index(s, v);
      const std::size_t g = static_cast<std::size_t>(s) * static_cast<std::size_t>(V) + static_cast<std::size_t>(v - 1);
      p.prototype[k] = ws.Prototypes(s, v);
      if (n > 0) p.caseMean[k] = static_cast<double>(sum[g] / n);
      p.caseSd[k] = spread(sum[g], squares[g], n);
    }
  }
  return p;
}

std::vector<int> CompleteLinkageOrder(const std::vector<double>& d, int n) {
  // Cluster k lives in slot k, k being its lowest variable (0-based): a join
  // keeps the lower slot. Its members are listed in leaf order.
  std::vector<std::vector<int>> clusters;
  for (int i = 0; i < n; ++i) clusters.push_back({i});
  auto dist = [&](int i, int j) {
    return i < j ? d[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)]
                 : d[static_cast<std::size_t>(j) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)];
  };
  // Cluster-to-cluster distances (largest member distance), kept up to date
  // by the complete-linkage rule: D(a+b, c) = max(D(a, c), D(b, c)).
  std::vector<double> D(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
  auto at = [&](int a, int b) -> double& {
    return D[static_cast<std::size_t>(std::min(a, b)) * static_cast<std::size_t>(n) +
             static_cast<std::size_t>(std::max(a, b))];
  };
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) at(i, j) = dist(i, j);
  std::vector<bool> alive(static_cast<std::size_t>(n), true);
  for (int joins = 1; joins < n; ++joins) {
    int bestA = -1, bestB = -1;
    double best = 0;
    for (int a = 0; a < n; ++a) {
      if (!alive[static_cast<std::size_t>(a)]) continue;
      for (int b = a + 1; b < n; ++b) {
        if (!alive[static_cast<std::size_t>(b)]) continue;
        const double x = at(a, b);
        // Strictly smaller only: the first pair in (a, b) order keeps a tie.
        if (bestA < 0 || x < best) {
          best = x;
          bestA = a;
          bestB = b;
        }
      }
    }
    for (int c = 0; c < n; ++c)
      if (c != bestA && c != bestB && alive[static_cast<std::size_t>(c)])
        at(bestA, c) = std::max(at(bestA, c), at(bestB, c));
    auto& into = clusters[static_cast<std::size_t>(bestA)];
    auto& from = clusters[static_cast<std::size_t>(bestB)];
    into.insert(into.end(), from.begin(), from.end());
    from.clear();
    alive[static_cast<std::size_t>(bestB)] = false;
  }
  std::vector<int> order;
  if (n > 0)
    for (int m : clusters[0]) order.push_back(m + 1);
  return order;
}

std::vector<double> VariableDistances(const Workspace& ws) {
  const int V = std::clamp(ws.NumVars, 0, MaxVars);
  const int cases = std::clamp(ws.NumCases, 0, MaxCases);
  const std::size_t n = static_cast<std::size_t>(V);
  std::vector<double> d(n * n, 0);
  for (int c = 1; c <= cases; ++c) {
    const float* row = ws.DataMatrix.row(c);
    for (std::size_t i = 0; i < n; ++i) {
      const double xi = row[i];
      double* out = &d[i * n];
      for (std::size_t j = i + 1; j < n; ++j) {
        const double diff = xi - static_cast<double>(row[j]);
        out[j] += diff * diff;
      }
    }
  }
  return d;
}

}  // namespace volmar
