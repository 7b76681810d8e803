#pragma once

// Batch k-means (Lloyd) iterations from the current prototypes: every case
// goes to its nearest prototype under the squared Euclidean distance, then
// every prototype moves to the mean of its cases.
//
//   AssignCases(ws, labels, dist, threads)
//                       labels[c - 1] := nearest of prototypes 1..NumPrototypes
//                       to case c by the winner search of the training (ties to
//                       the lower number), dist[c - 1] := its distance. Returns
//                       the sum of the distances added in case order in double.
//                       The cases are cut into blocks of fixed size, so the
//                       result does not depend on the number of threads.
//   MoveToMeans(ws, labels, dist, threads)
//                       prototype k := mean of the cases labelled k, summed in
//                       double by block and the blocks added in order, rounded
//                       to float once. A prototype that has no case moves to
//                       the case farthest from its own prototype (largest
//                       dist, the lowest number on ties) that no other empty
//                       prototype took. Returns the number of such moves.
//
//   PrototypesFromLabels(ws, labels, threads)
//                       prototype k := mean of the cases labelled k (labels
//                       1..NumPrototypes), summed as MoveToMeans sums; a
//                       prototype without cases goes to the case farthest from
//                       the mean of its own class, as MoveToMeans moves one.
//                       Gives a partition kept without its prototypes (a
//                       replication's column of ClassLabels) a start for
//                       RefinePrototypes.
//
//   RemovalCosts(ws, labels, dist, threads)
//                       cost[k - 1] := how much the sum of distances would
//                       rise if prototype k were taken away and each of its
//                       cases went to its second nearest prototype, and
//                       those prototypes then moved to the means of their
//                       enlarged classes.
//   SplitClasses(ws, labels, dist, threads)
//                       for every class k: its cases are cut in two by the
//                       hyperplane through prototype k across the principal
//                       axis of the class (power iterations started from the
//                       direction of its worst fitted case); gain := how much
//                       the sum of distances falls when each half gets a
//                       prototype at its own mean, and the two means.
//   SingleCaseMoves(ws, labels, passes)
//                       moves cases one at a time to the class whose mean
//                       they fit better, counting what the move does to both
//                       means: taking case x from class k (n_k cases, mean
//                       m_k) to class j lowers the sum of squared distances
//                       to the means by n_k/(n_k-1)|x-m_k|^2 - n_j/(n_j+1)
//                       |x-m_j|^2; the case goes where that is largest, if
//                       above 0, and both means follow it at once. The cases
//                       are visited in order, in passes until none moves or
//                       the moves of a pass lower the sum by less than
//                       `enough` (at most `passes`); no class is emptied. The means are
//                       kept in double and become prototypes 1..NumPrototypes
//                       at the end. Returns the number of moves. One thread.
//   RefinePrototypes(ws, limit, threads, report)
//                       Lloyd iterations (AssignCases, MoveToMeans) until no
//                       case changes its class, at most `limit`; a set that
//                       does not lower the sum is not kept. Then swap rounds,
//                       at most NumPrototypes of them: the prototypes whose
//                       removal costs least (RemovalCosts) move to split the
//                       classes that gain most (SplitClasses), paired while
//                       the gain exceeds the cost, and Lloyd iterations run
//                       from there; the round is kept only when they settle
//                       within `limit` at a lower sum. A round of several
//                       pairs that does not help is tried once more with its
//                       best pair alone; the rounds end when that does not
//                       help either or no pair promises a gain; on small
//                       data (cases x variables x prototypes up to 5e6) such
//                       a round first tries, one by one, the pairs of the
//                       three cheapest removals and the three best splits,
//                       the largest promised gain less cost first. When the
//                       classes have settled, single-case moves follow
//                       (SingleCaseMoves) and the iterations go on from
//                       their classes, kept while they lower the sum.
//                       report() sees the start, every kept iteration, every
//                       kept round and every kept set of moves.
//
// All need NumPrototypes >= 1 and squared Euclidean distances below
// DistanceLimit (Classify's conditions). Every sum crossing cases is made by
// fixed blocks of cases added in block order, so no result depends on the
// number of threads.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/Workspace.h"

namespace volmar {

double AssignCases(const Workspace& ws, std::vector<std::int8_t>& labels, std::vector<double>& dist,
                   int threads);
int MoveToMeans(Workspace& ws, const std::vector<std::int8_t>& labels, const std::vector<double>& dist,
                int threads);

void PrototypesFromLabels(Workspace& ws, const std::vector<std::int8_t>& labels, int threads);

std::vector<double> RemovalCosts(const Workspace& ws, const std::vector<std::int8_t>& labels,
                                 const std::vector<double>& dist, int threads);

struct ClassSplit {
  double gain = 0;           // 0 for a class of fewer than two cases
  std::vector<float> lower;  // the means of the two halves, NumVars each
  std::vector<float> upper;
};
std::vector<ClassSplit> SplitClasses(const Workspace& ws, const std::vector<std::int8_t>& labels,
                                     const std::vector<double>& dist, int threads);

int SingleCaseMoves(Workspace& ws, std::vector<std::int8_t>& labels, int passes, double enough);

struct RefineStep {
  enum Kind { Start, Iteration, Swap, Moves } kind;
  int number;                      // iteration, round or set of moves, from 1 (0 at the start)
  int moved;                       // prototypes moved in a swap round, cases in a set of moves
  int iterations;                  // Lloyd iterations of a swap round
  const std::vector<double>& dist; // the distance of every case to its prototype
};

struct RefineResult {
  std::vector<std::int8_t> labels;  // the class of every case
  std::vector<double> dist;         // its distance to its prototype
  int iterations = 0;               // Lloyd iterations before the swap rounds
  bool settled = false;             // no case changes its class any more
  int swaps = 0;                    // kept swap rounds
  int moves = 0;                    // cases moved by kept single-case moves
};
RefineResult RefinePrototypes(Workspace& ws, int limit, int threads,
                              const std::function<void(const RefineStep&)>& report);

}  // namespace volmar
