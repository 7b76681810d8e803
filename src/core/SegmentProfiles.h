#pragma once

#include <vector>

#include "core/Workspace.h"

namespace volmar {

// The numbers behind the segment profiles: how each segment (the cases one
// prototype won) stands against the whole sample, variable by variable.
//
// Standard deviations are those of the cases as they are (divided by the
// number of cases, not by one less), so that a segment of one case has a
// spread of 0 rather than none.

// Thresholds of the marker decision: A in absolute terms (for a variable
// with values outside 0..1, in the variable's standard deviations) and B in
// per cent of the sample mean.
struct MarkerThresholds {
  double absolute = 0.25;
  double relative = 50;  // per cent
};

// What is known about one variable of the whole sample.
struct VariableSpread {
  double mean = 0;
  double sd = 0;
  bool outsideUnit = false;  // some value lies below 0 or above 1
  double low = 0, high = 0;  // lowest and highest value of the cases
};

// Whether a segment whose prototype has `prototype` on a variable stands
// out from the sample there: |prototype - mean| reaches A (in SDs when the
// variable has values outside 0..1), or reaches B per cent of |mean|. A
// mean of 0 gives the relative rule nothing to measure against. A constant
// variable (SD 0) is never a marker: all its cases answered alike, so no
// segment differs from the sample on it, whatever its prototype says.
// Differences within a millionth of a threshold count as reaching it, so
// that values that print alike are decided alike.
bool isMarker(double prototype, const VariableSpread& v, const MarkerThresholds& t);

struct SegmentProfiles {
  int numVars = 0;
  int numSegments = 0;
  int numCases = 0;
  std::vector<VariableSpread> variables;  // [v - 1]
  std::vector<int> size;                  // [s - 1], cases labelled s
  std::vector<double> share;              // [s - 1], per cent of all cases
  // [(s - 1) * numVars + (v - 1)]: prototype s's value, and the mean and SD
  // of the cases of segment s (0 for a segment without cases).
  std::vector<double> prototype, caseMean, caseSd;

  double prototypeValue(int s, int v) const { return prototype[index(s, v)]; }
  double segmentMean(int s, int v) const { return caseMean[index(s, v)]; }
  double segmentSd(int s, int v) const { return caseSd[index(s, v)]; }
  bool marker(int s, int v, const MarkerThresholds& t) const {
    return isMarker(prototypeValue(s, v), variables[static_cast<std::size_t>(v - 1)], t);
  }
  std::size_t index(int s, int v) const {
    return static_cast<std::size_t>(s - 1) * static_cast<std::size_t>(numVars) + static_cast<std::size_t>(v - 1);
  }
};

// The profiles of prototypes 1..NumPrototypes over cases 1..NumCases and
// variables 1..NumVars, each case in the segment of its label in
// ClassLabels column `labelColumn`. Sums are taken in extended precision.
// Shares are those the output list reports (ClassShare).
SegmentProfiles ComputeSegmentProfiles(const Workspace& ws, int labelColumn);

// The variables 1..n ordered so that similar ones stand together: a
// complete-linkage hierarchical clustering on the distances d (n x n, row
// major, symmetric; only i < j is read). Each step joins the two clusters
// whose largest distance between members is smallest; of equal candidates
// the pair whose lower-numbered cluster comes first wins, a cluster being
// numbered by its lowest variable. The joined cluster lists the members of
// the lower-numbered cluster first, then those of the other, each in its
// own order. Returns the variable numbers (1-based) in that final order.
std::vector<int> CompleteLinkageOrder(const std::vector<double>& d, int n);

// Squared Euclidean distances between the data columns of variables
// 1..NumVars over cases 1..NumCases (n x n, row major).
std::vector<double> VariableDistances(const Workspace& ws);

}  // namespace volmar
