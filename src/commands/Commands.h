#pragma once

#include "commands/Context.h"

namespace volmar {

// File > "&Open": the data matrix dialog, the data file and, for k-samples
// data, the subsample file.
void open1Click(Context& ctx);

// Analysis > "&Parameterize".
void parameterize1Click(Context& ctx);

}  // namespace volmar
