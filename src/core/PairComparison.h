#pragma once

// The pair counts of the comparison over replications.
//
// For every pair of cases i < j among cases 1..numCases, a(i, j) is the
// number of replications r in 1..numReplications in which ClassLabels[i, r]
// equals ClassLabels[j, r] (the bytes are compared as they are, a column
// never written holding zeros). Everything the comparison reports follows
// from how many pairs have each value of a, which is what these routines
// count, exactly, in 64 bits.
//
// ComparePairs gives the same counts as the straight double loop of
// ComparePairsPlain, much faster:
//   - identical label rows are grouped first: the pairs inside a group agree
//     in every replication and need no comparison, and a pair of groups
//     stands for (size of one) x (size of the other) pairs;
//   - the labels are held replication by replication, so one vector
//     comparison tests one replication for 32 pairs at once;
//   - the pairs are cut into tasks (32 groups against all later groups),
//     which the calling thread and helper threads take in turn. Each task
//     counts into its own slot and the slots are added in task order; the
//     counts are integers, so the result is exact and the same for any
//     number of threads.
// The calling thread calls `progress` (when given) between its tasks, a few
// milliseconds apart, so that a window can be kept painted; helper threads
// never call it.

#include <array>
#include <cstdint>
#include <functional>

#include "core/Workspace.h"

namespace volmar {

struct PairCounts {
  int replications = 0;  // R
  // pairsWithHits[a], a = 0..R: the number of pairs together in exactly a
  // replications.
  std::array<std::uint64_t, MaxReplications + 1> pairsWithHits{};

  std::uint64_t pairs() const;
  // H: the sum of a over all pairs.
  std::uint64_t totalHits() const;
  // h[d], d = 0..R div 2: pairs placed against their own majority in exactly
  // d replications, d = min(a, R - a).
  std::uint64_t pairsDeviating(int d) const;
  // D: the sum of d over all pairs.
  std::uint64_t totalDeviations() const;

  bool operator==(const PairCounts&) const = default;
};

// numCases and numReplications are taken within the workspace limits.
// threads = 0 takes one per core.
PairCounts ComparePairs(const Workspace& ws, int numCases, int numReplications,
                        const std::function<void()>& progress = {}, int threads = 0);

// The straight double loop over the pairs, replication by replication: the
// reference the fast routine is checked and measured against.
PairCounts ComparePairsPlain(const Workspace& ws, int numCases, int numReplications);

// Makes ComparePairs use its portable kernel (true) even where the AVX2
// kernel could run, so that the two can be compared.
void usePortablePairKernel(bool portable);

}  // namespace volmar
