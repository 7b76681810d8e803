#pragma once

// Agreement of two partitions of the same cases, and the fits that make
// them in a bootstrap study of stability.
//
//   PartitionTable       the cross table n_ij of two labellings of n cases
//                        (labels 0..MaxPrototypes, row = first labelling),
//                        with its margins a_i and b_j. Fixed size: filling
//                        one allocates nothing.
//   AdjustedRandIndex    Hubert and Arabie's correction of the Rand index:
//                        [sum C(n_ij,2) - S T / C(n,2)] / [(S + T) / 2 - S T / C(n,2)]
//                        with S = sum C(a_i,2), T = sum C(b_j,2). The
//                        denominator is 0 only when both partitions put every
//                        case alone or all cases together (or n < 2): the two
//                        are then the same partition, and the index is 1.
//   BestJaccard(t, m)    the largest |A ∩ B| / |A ∪ B| of segment m of the
//                        first labelling (A) with any segment B of the second;
//                        0 when segment m has no case.
//
//   BootstrapFitter      one fit of a stability study: from a given state of
//                        the generator it draws n cases with replacement from
//                        the source's n cases (DrawCase), seeds N prototypes
//                        by the best of max(1, NumTrials) random draws (the
//                        first is always taken, a later one when strictly
//                        better), trains them NumEpochs epochs of n
//                        presentations with the source's learning settings,
//                        optionally refines them (batch k-means, squared
//                        Euclidean only), and labels every case of the source
//                        by the winner search of training (ties to the lower
//                        number). It works in a workspace of its own and
//                        draws exactly BootstrapFitDraws numbers, so the
//                        state any fit starts from is known beforehand.
//                        Runs on the calling thread only.

#include <cstdint>
#include <memory>

#include "core/Limits.h"
#include "core/Workspace.h"

namespace volmar {

namespace detail {
struct PrototypeColumns;
}

struct PartitionTable {
  static constexpr int Size = MaxPrototypes + 1;  // labels 0..MaxPrototypes
  std::int32_t count[Size][Size];
  std::int32_t rowSum[Size];
  std::int32_t colSum[Size];
  int cases = 0;

  // Labels outside 0..MaxPrototypes count as 0.
  void fill(const std::int8_t* first, const std::int8_t* second, int n);
};

double AdjustedRandIndex(const PartitionTable& t);
double BestJaccard(const PartitionTable& t, int segment);

// The generator's draws of one fit: the sample, the seeding trials and the
// presented cases.
std::uint64_t BootstrapFitDraws(int cases, int prototypes, int trials, int epochs);

// The refinement's most Lloyd iterations in a fit.
inline constexpr int BootstrapRefineLimit = 100;

class BootstrapFitter {
 public:
  explicit BootstrapFitter(const Workspace& source);
  ~BootstrapFitter();
  BootstrapFitter(const BootstrapFitter&) = delete;
  BootstrapFitter& operator=(const BootstrapFitter&) = delete;

  // Labels of the source's cases into labels[0..n-1]; returns the state the
  // generator is left in.
  std::uint32_t fit(int prototypes, std::uint32_t state, bool refine, std::int8_t* labels);

 private:
  const Workspace& source_;
  std::unique_ptr<Workspace> ws_;
  std::unique_ptr<detail::PrototypeColumns> columns_;
};

}  // namespace volmar
