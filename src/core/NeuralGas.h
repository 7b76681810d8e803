#pragma once

// The neural gas learning rule with competitive Hebbian learning of the
// connection graph (on-line k-means when NeighborUpdate is off).
//
//   LearningState        t, eps, lambda, T of one replication, the schedule
//                        length tmax and the winner search's carried-over
//                        variable. Made by StartLearning at the start of every
//                        replication.
//   StartLearning(ws, tmax)
//                        t = 1 and the start values InitLearningRate,
//                        InitNeighborRange, InitLifetime. A start value of 0 or
//                        less (the parameter dialog refuses those) keeps that
//                        parameter constant instead of making its schedule nan.
//   PresentationStep(ws, st)
//                        one presentation: draw a case (DrawCase), compute its
//                        distances to prototypes 1..N once, rank the
//                        prototypes by N winner searches (Ranking[r], Dist of a
//                        taken prototype := 1e10) and move the prototype of
//                        rank r by delta = eps * h * (x - w), h = exp((1-r)/lambda),
//                        delta in double and w + delta rounded once to float;
//                        with NeighborUpdate off only rank 1 is searched and
//                        moved. Then t += 1; with NeighborUpdate on,
//                        UpdateConnections(T) (N >= 2 only) and the lambda and T
//                        schedules; always the eps schedule. Schedules are
//                        p_start * exp(ln(p_final / p_start) * t / tmax) in long
//                        double; finals 0.005, 0.01 and 2N.
//   PresentCases(ws, st, count)
//                        count presentation steps with the same result, bit for
//                        bit, as count calls of PresentationStep, but with the
//                        prototypes held by variable for vectorised distances
//                        and updates. Prototypes, Ranking and Dist are in the
//                        workspace when it returns; the training run calls it
//                        once per epoch with count = NumCases.
//   UpdateConnections(ws, T)
//                        connect winner Ranking[1] and runner-up Ranking[2] (a
//                        new edge: ages 0 and 1; an existing [w, s] entry: both
//                        ages 0), then age the winner's entries and remove those
//                        older than T, for i = 1..N in order. A new edge thus
//                        loses its [s, w] entry at once while T < 2. Ages stop
//                        at 127 rather than wrapping; below a lifetime of 127
//                        they never get there.
//   ScheduleLength(cases, epochs)
//                        tmax = cases * epochs, or nothing when it does not fit
//                        the 32-bit counter (or is not positive).
//   InvalidStartValue(ws)
//                        the first start value that is not a positive finite
//                        number, for the caller's message.

#include <cstdint>
#include <optional>

#include "core/Workspace.h"

namespace volmar {

struct LearningState {
  int t = 1;           // presentation counter
  double eps = 0;      // learning rate
  double lambda = 0;   // neighbourhood range
  double T = 0;        // edge lifetime
  int tmax = 0;        // presentations per replication
  int nearest = 1;     // winner search variable, carried over between searches
  // ln(final / start) of the three schedules, fixed for the replication.
  long double logEps = 0;
  long double logLambda = 0;
  long double logT = 0;
};

inline constexpr double FinalLearningRate = 0.005;
inline constexpr double FinalNeighborRange = 0.01;

LearningState StartLearning(const Workspace& ws, int tmax);
void PresentationStep(Workspace& ws, LearningState& st);
void PresentCases(Workspace& ws, LearningState& st, int count);
void UpdateConnections(Workspace& ws, const double& T);

std::optional<int> ScheduleLength(int numCases, int numEpochs);

enum class StartValue { None, LearningRate, NeighborRange, Lifetime };
StartValue InvalidStartValue(const Workspace& ws);

}  // namespace volmar
