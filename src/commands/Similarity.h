#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/Context.h"

namespace volmar {

// A K x K matrix of the similarity commands, 1-based like the workspace's.
template <typename T>
struct PrototypeMatrix {
  std::array<std::array<T, MaxPrototypes + 1>, MaxPrototypes + 1> cell{};
  T& operator()(int i, int j) { return cell[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]; }
  const T& operator()(int i, int j) const { return cell[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]; }
};

// Winner and runner-up of every case by the winner search of the training
// (the runner-up is the winner again when there is only one prototype);
// counts[w, s] and counts[s, w] count the cases with w and s as their two
// nearest prototypes. Entries 1..K are set; Dist and Ranking are used as
// scratch, as the search needs them.
void countWinnerPairs(Workspace& ws, PrototypeMatrix<std::int32_t>& counts);

// The lines listing the pairs i < j of prototypes 1..k by falling value
// (equal values in pair order): "i...j:  " and the value as
// "########0.0##". An infinite value stands for two coinciding prototypes
// and is listed as such, before every finite one.
std::vector<std::string> rankedPairLines(const PrototypeMatrix<double>& values, int k);

// Analysis > Similarity of prototypes > "stat. Neighborhood": counts into
// NeighborhoodCounts and enables trimming.
void statNeighborhood1Click(Context& ctx);
// Analysis > Similarity of prototypes > "- squ.Eucl. Dist.".
void squEuclDist1Click(Context& ctx);
// Analysis > Similarity of prototypes > "statNbhd / squEucD": counts of its
// own; NeighborhoodCounts stays as it was.
void statNbhdsquEucD1Click(Context& ctx);

}  // namespace volmar
