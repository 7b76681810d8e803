#pragma once

#include <string_view>
#include <vector>

#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar {

// Number of number tokens in the text of a data or prototypes file: runs of
// characters above code 32, up to the end of the text or a Ctrl-Z.
int countNumberTokens(std::string_view text);

// Reads numPrototypes x numVars numbers of the file grammar from the text,
// prototype 1 variables 1..numVars first; line ends are separators like any
// other. Numbers missing at the end read as 0, numbers beyond those needed
// are left unread. Throws InvalidNumber or NumberOutOfRange at a token that
// cannot be read.
std::vector<float> readPrototypeValues(std::string_view text, int numPrototypes, int numVars);


// Analysis > Initialize > "Read prototypes from &file": reads the current
// number of prototypes (LowerLimit when none are current) from a prototypes
// file, so that the next training run starts from them and "&Recall" can
// classify with them. Refused while no data or no number of prototypes is
// set. A file holding another count of numbers than needed is read all the
// same but the user is warned, naming both counts.
void readprototypesfromfile1Click(Context& ctx);

}  // namespace volmar
