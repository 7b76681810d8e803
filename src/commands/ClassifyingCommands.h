#pragma once

#include <string>

#include "commands/Context.h"

namespace volmar {

// What the commands that classify the cases (training, recall) share: their
// checks before anything changes and the lines they report with.

// Throws CommandError when no data have been read.
void requireData(const Workspace& ws);

// Throw CommandError when the winner search could meet a squared distance
// at its bound: in training, between a case and any point the prototypes
// (1..numPrototypes as they start, 0 when seeded from the cases) can move
// to; in recall, between a case and a current prototype.
void requireTrainableDistances(const Workspace& ws, int numPrototypes);
// Throws CommandError when the learning can not start: a start value of the
// rates at 0 or below, or more presentations than the schedule can count.
void requireLearningSchedule(const Workspace& ws);
void requireRecallableDistances(const Workspace& ws);

// "sum(dist^2) = " and the sum in the picture "######.000".
std::string sumOfDistancesText(double sum);

// "class #k: " and the share of class k in percent, "##0.00" and "%".
std::string classShareLine(const Workspace& ws, int k);

}  // namespace volmar
