#pragma once

#include <optional>
#include <string>

#include "commands/Shell.h"

namespace volmar::batch {

// chart=FILE of a stability study: the chart drawn as the window draws it,
// saved as PNG, SVG or PDF by the file's extension, completely or not at
// all; an existing file only with `replace`. The reason when it was not
// written.
std::optional<std::string> saveStabilityChartFile(const StabilityChart& chart, const std::string& path,
                                                  bool replace);

}  // namespace volmar::batch
