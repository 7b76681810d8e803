#pragma once

#include "batch/BatchShell.h"
#include "commands/Profiles.h"

namespace volmar::batch {

// The profiles window's "&Save chart..." in a batch run: the chart drawn
// by the window's painter at the saved files' width and written through the
// window's save procedure, the file and the overwrite answer coming from
// the script line. False when the file was not written.
bool saveProfileChartFile(BatchShell& shell, const ProfileChart& chart);

}  // namespace volmar::batch
