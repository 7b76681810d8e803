#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Arrays.h"
#include "core/Limits.h"
#include "core/Random.h"

namespace volmar {

// Carriage return + line feed: joins the lines of multi-line messages.
inline constexpr const char* LineBreak = "\r\n";

// Distance kinds stored in Workspace::DistanceKind.
inline constexpr int DistTanimoto = 1;
inline constexpr int DistEuclidean = 2;

// Everything of the workspace but its generator and its arrays with a row
// per case.
struct WorkspaceSettings {
  // Counters and settings.
  int NumCases = 0;
  int NumVars = 0;
  int NumPrototypes = 0;
  int LowerLimit = 0;
  int UpperLimit = 0;
  int NumTrials = 0;
  int NumEpochs = 0;
  int NumReplications = 0;
  int BlockSize = 0;
  int SelectedBlock = 0;
  int DistanceKind = 0;
  double InitLearningRate = 0;
  double InitNeighborRange = 0;
  double InitLifetime = 0;
  bool NeighborUpdate = false;
  bool UseSubtClus = false;
  bool ParamsEntered = false;
  bool KBlocks = false;
  bool KSamples = false;
  bool CaseFirst = false;
  bool PairShowsAbsFreq = false;
  std::string FirstBlockText;
  std::string SecondBlockText;
  // What the labels in ClassLabels were made with: the number of prototypes
  // and of replications of the training run (or one-replication recall) that
  // wrote them; 0 while no labels exist. Analyses that read the labels
  // compare these with NumPrototypes and NumReplications.
  int LabelsPrototypes = 0;
  int LabelsReplications = 0;

  // Arrays.
  Mat<float, MaxPrototypes, MaxVars, VarStride> Prototypes;
  Mat<float, MaxPrototypes, MaxVars, VarStride> BestStart;
  Vec<double, MaxPrototypes> Dist;
  Vec<std::int8_t, MaxPrototypes> Ranking;
  Mat<std::int8_t, MaxPrototypes, MaxPrototypes> Adjacency;
  Mat<std::int8_t, MaxPrototypes, MaxPrototypes> AdjacencyBackup;
  Mat<std::int8_t, MaxPrototypes, MaxPrototypes> EdgeAge;
  Mat<std::int32_t, MaxPrototypes, MaxPrototypes> NeighborhoodCounts;
  Vec<std::int32_t, MaxPrototypes> ClassSize;
  Vec<double, MaxPrototypes> SumDist;
  Vec<float, MaxPrototypes> WSSI;
  Vec<double, MaxReplications> RepSumDist;
  Vec<double, SammonSlots> SammonX;
  Vec<double, SammonSlots> SammonY;
  Mat<std::int32_t, MaxBlocks, MaxPrototypes> BlockProtoFreq;
  Mat<std::int32_t, MaxPrototypes, MaxPrototypes> PairCrossTab;
  Mat<std::int32_t, BubbleGridSize, BubbleGridSize> BubbleGridCells;
  Vec<std::int32_t, MaxPrototypes> BubbleCol;
  Vec<std::int32_t, MaxPrototypes> BubbleRow;
};

// Everything of the workspace but its generator: plain values, so that a
// training run can give each of its worker threads a copy to work on.
struct WorkspaceValues : WorkspaceSettings {
  Mat<float, MaxCases, MaxVars, VarStride> DataMatrix;
  Mat<std::int8_t, MaxCases, MaxReplications> ClassLabels;
  Vec<std::int32_t, MaxCases> SubsampleOf;
};

// to := from, but of the arrays with a row per case only rows 1..NumCases
// (the rows beyond keep what they held): a worker's copy, which for small
// data costs a fraction of the whole workspace.
inline void CopyValuesOfCases(WorkspaceValues& to, const WorkspaceValues& from) {
  static_cast<WorkspaceSettings&>(to) = from;
  const int cases = std::clamp(from.NumCases, 0, MaxCases);
  if (cases == 0) return;
  std::copy(from.DataMatrix.row(1), from.DataMatrix.row(cases) + VarStride, to.DataMatrix.row(1));
  std::copy(from.ClassLabels.row(1), from.ClassLabels.row(cases) + MaxReplications, to.ClassLabels.row(1));
  std::copy(from.SubsampleOf.data(), from.SubsampleOf.data() + cases, to.SubsampleOf.data());
}

// The one shared workspace: data, prototypes, graph, labels, fit measures and
// the counters that say how much of each array is valid. Created once at
// start-up and never reallocated; indexes are 1-based. Entries beyond the
// counters keep whatever an earlier run left there. It cannot be copied by
// accident (the generator and its seed source are not copied); a worker's
// copy takes the values only: `values(copy) = values(ws)`, or of the cases'
// rows only with CopyValuesOfCases.
struct Workspace : WorkspaceValues {
  // The shared pseudo-random generator.
  RandomGenerator Rng;

  // BubbleGrid[r, c] (map row r, map column c) is indexed 0..9 in both
  // directions.
  std::int32_t& BubbleGrid(int r, int c) { return BubbleGridCells(r + 1, c + 1); }
  std::int32_t BubbleGrid(int r, int c) const { return BubbleGridCells(r + 1, c + 1); }

  // The workspace is large (about 15 MB); make it on the heap, once.
  static std::unique_ptr<Workspace> create() { return std::make_unique<Workspace>(); }
};

inline WorkspaceValues& values(Workspace& ws) { return ws; }
inline const WorkspaceValues& values(const Workspace& ws) { return ws; }

}  // namespace volmar
