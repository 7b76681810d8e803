#pragma once

#include <optional>
#include <string>

#include "batch/Script.h"

namespace volmar::batch {

// The batch words of Analysis > Stability:
//   stability global [lower=N] [upper=N] [pairs=B] [refine=yes|no] [values=FILE]
//                    [chart=FILE.png|svg|pdf] [replace=yes|no] [tasks=T task=I part=FILE]
//   stability segments [pairs=B] [refine=yes|no] [values=FILE] [chart=FILE] [replace=yes|no]
//   stability merge FILE... [values=FILE] [chart=FILE] [replace=yes|no]
bool stabilityGlobal(Session& s, const ScriptLine& l);
bool stabilitySegments(Session& s, const ScriptLine& l);
bool stabilityMerge(Session& s, const ScriptLine& l);
std::optional<std::string> checkStabilityGlobal(const ScriptLine& l);
std::optional<std::string> checkStabilityResults(const ScriptLine& l);

}  // namespace volmar::batch
