#pragma once

#include <string>

#include "commands/Context.h"

namespace volmar {

// What the commands that classify the cases (training, recall) share: their
// checks before anything changes and the lines they report with.

// Throws CommandError when no data have been read.
void requireData(const Workspace& ws);

// Throws CommandError when the squared distances of the data (and of
// prototypes 1..numPrototypes) could reach the bound of the winner search;
// `what` names the command in the message ("training", "classification").
void requireRankableDistances(const Workspace& ws, int numPrototypes, const char* what);

// "sum(dist^2) = " and the sum in the picture "######.000".
std::string sumOfDistancesText(double sum);

// "class #k: " and the share of class k in percent, "##0.00" and "%".
std::string classShareLine(const Workspace& ws, int k);

}  // namespace volmar
