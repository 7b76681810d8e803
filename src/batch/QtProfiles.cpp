#include "batch/QtProfiles.h"

#include "batch/QtRuntime.h"
#include "ui/ProfilePainter.h"

namespace volmar::batch {

bool saveProfileChartFile(BatchShell& shell, const ProfileChart& chart) {
  ensureQtApplication();
  FileDialog dialog;
  return saveProfileChart(shell, dialog, [&](ChartFileKind kind) { return renderProfileChart(chart, kind); });
}

}  // namespace volmar::batch
